#include "dialogs/messagedialog.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QScrollArea>
#include <QVBoxLayout>

#include "dialogs/touchdialog.h"

namespace {

enum class MessageKind { Information, Question, Error };

// A round badge with a sign, drawn so it stays sharp at any size.
class TMessageBadge : public QWidget {
public:
    TMessageBadge(MessageKind kind, QWidget* parent) : QWidget(parent), m_kind(kind)
    {
        setFixedSize(64, 64);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        QColor fill(31, 78, 156);
        QString sign = QStringLiteral("i");
        if (m_kind == MessageKind::Question) {
            fill = QColor(0, 0, 128);
            sign = QStringLiteral("?");
        } else if (m_kind == MessageKind::Error) {
            fill = QColor(196, 32, 32);
            sign = QStringLiteral("!");
        }
        p.setPen(Qt::NoPen);
        p.setBrush(fill);
        p.drawEllipse(QRectF(rect()).adjusted(2, 2, -2, -2));
        p.setPen(Qt::white);
        p.setFont(touchui::font(38, true));
        p.drawText(rect(), Qt::AlignCenter, sign);
    }

private:
    MessageKind m_kind;
};

} // namespace

class TMessageDialog : public TTouchDialog {
    Q_OBJECT
public:
    TMessageDialog(const QString& text, const QString& code, MessageKind kind,
                   QWidget* parent = nullptr);

    bool answer() const { return m_answer; }

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void answerWith(bool value);

    bool m_question;
    bool m_answer = false;
};

TMessageDialog::TMessageDialog(const QString& text, const QString& code, MessageKind kind,
                               QWidget* parent)
    : TTouchDialog(parent), m_question(kind == MessageKind::Question)
{
    setObjectName(QStringLiteral("messageDialog"));
    switch (kind) {
    case MessageKind::Information: setTitle(tr("Informação")); break;
    case MessageKind::Question: setTitle(tr("Confirmação")); break;
    case MessageKind::Error: setTitle(tr("Erro")); break;
    }
    if (kind == MessageKind::Error)
        setFrameColors(bodyColor(), QColor(150, 20, 20), Qt::white, QColor(192, 192, 192));

    constexpr int kTextWidth = 440;
    auto* row = new QHBoxLayout;
    row->setSpacing(18);
    auto* badge = new TMessageBadge(kind, this);
    badge->setObjectName(QStringLiteral("msgIcon"));
    row->addWidget(badge, 0, Qt::AlignTop);

    auto* label = new QLabel(text, this);
    label->setObjectName(QStringLiteral("msgText"));
    label->setFont(touchui::font(20));
    label->setWordWrap(true);
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    label->setFixedWidth(kTextWidth);
    label->setMinimumHeight(64);
    const int textHeight = label->heightForWidth(kTextWidth);
    if (textHeight > 300) {
        // A long database error stays readable by dragging.
        auto* scroll = new QScrollArea(this);
        scroll->setObjectName(QStringLiteral("msgScroll"));
        scroll->setFrameShape(QFrame::NoFrame);
        scroll->setWidget(label);
        scroll->setWidgetResizable(false);
        scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        scroll->setFixedSize(kTextWidth + 26, 300);
        scroll->setStyleSheet(QStringLiteral("QScrollArea, QScrollArea > QWidget > QWidget { background: transparent; }"
                                             "QScrollBar:vertical { width: 24px; }"));
        label->setFixedHeight(textHeight);
        row->addWidget(scroll, 1);
    } else {
        row->addWidget(label, 1);
    }
    contentLayout()->addLayout(row, 1);

    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(12);
    auto* codeLabel = new QLabel(this);
    codeLabel->setObjectName(QStringLiteral("msgCode"));
    codeLabel->setFont(touchui::font(15));
    if (!code.isEmpty())
        codeLabel->setText(tr("Código %1").arg(code));
    buttons->addWidget(codeLabel, 1, Qt::AlignBottom);
    if (m_question) {
        auto* no = touchui::makeButton(tr("Não"), QStringLiteral("msgNo"), touchui::ButtonRole::Normal, this);
        auto* yes = touchui::makeButton(tr("Sim"), QStringLiteral("msgYes"), touchui::ButtonRole::Primary, this);
        no->setMinimumWidth(150);
        yes->setMinimumWidth(150);
        buttons->addWidget(no);
        buttons->addWidget(yes);
        connect(no, &QPushButton::clicked, this, [this] { answerWith(false); });
        connect(yes, &QPushButton::clicked, this, [this] { answerWith(true); });
    } else {
        auto* ok = touchui::makeButton(tr("OK"), QStringLiteral("msgOk"), touchui::ButtonRole::Primary, this);
        ok->setMinimumWidth(150);
        buttons->addWidget(ok);
        connect(ok, &QPushButton::clicked, this, [this] { answerWith(true); });
    }
    contentLayout()->addLayout(buttons);

    setFocusPolicy(Qt::StrongFocus);
    setFocus();
    adjustSize();
    resize(qMax(width(), 600), height());
}

void TMessageDialog::answerWith(bool value)
{
    m_answer = value;
    if (value)
        accept();
    else
        reject();
}

void TMessageDialog::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        answerWith(true);
        return;
    case Qt::Key_Escape:
        // Esc is Não for a question; it only closes an information.
        answerWith(!m_question);
        return;
    default:
        TTouchDialog::keyPressEvent(event);
    }
}

bool showMessageDialog(const MessageRequest& request, QWidget* parent)
{
    TMessageDialog dialog(request.text, request.code,
                          request.isQuestion() ? MessageKind::Question : MessageKind::Information,
                          parent);
    dialog.exec();
    return dialog.answer();
}

void showErrorDialog(const QString& text, QWidget* parent)
{
    TMessageDialog dialog(text, QString(), MessageKind::Error, parent);
    dialog.exec();
}

#include "messagedialog.moc"
