#include "dialogs/messagedialog.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QScrollArea>
#include <QVBoxLayout>

#include "colors.h"
#include "dialogs/touchdialog.h"

namespace {

enum class MessageKind { Information, Question, Error };

// A round badge with a sign, drawn so it stays sharp at any size.
class TMessageBadge : public QWidget {
public:
    TMessageBadge(MessageKind kind, const UiScale& ui, QWidget* parent) : QWidget(parent), m_kind(kind), m_ui(ui)
    {
        setFixedSize(m_ui.size({64, 64}));
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        QColor fill = kDialogBlue;
        QString sign = QStringLiteral("i");
        if (m_kind == MessageKind::Question) {
            fill = kNavy;
            sign = QStringLiteral("?");
        } else if (m_kind == MessageKind::Error) {
            fill = kErrorSign;
            sign = QStringLiteral("!");
        }
        p.setPen(Qt::NoPen);
        p.setBrush(fill);
        const int inset = m_ui.px(2);
        p.drawEllipse(QRectF(rect()).adjusted(inset, inset, -inset, -inset));
        p.setPen(Qt::white);
        p.setFont(touchui::font(m_ui, 38, true));
        p.drawText(rect(), Qt::AlignCenter, sign);
    }

private:
    MessageKind m_kind;
    UiScale m_ui;
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
        setFrameColors(bodyColor(), kErrorBand, Qt::white, kSilver);

    const int textWidth = ui().px(440);
    const int textRoom = ui().px(300); // taller text scrolls
    auto* row = new QHBoxLayout;
    row->setSpacing(ui().px(18));
    auto* badge = new TMessageBadge(kind, ui(), this);
    badge->setObjectName(QStringLiteral("msgIcon"));
    badge->setAccessibleName(title());
    row->addWidget(badge, 0, Qt::AlignTop);

    auto* label = new QLabel(text, this);
    label->setObjectName(QStringLiteral("msgText"));
    label->setFont(touchFont(20));
    label->setWordWrap(true);
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    label->setFixedWidth(textWidth);
    label->setMinimumHeight(ui().px(64));
    const int textHeight = label->heightForWidth(textWidth);
    if (textHeight > textRoom) {
        // A long database error stays readable by dragging.
        auto* scroll = new QScrollArea(this);
        scroll->setObjectName(QStringLiteral("msgScroll"));
        scroll->setFrameShape(QFrame::NoFrame);
        scroll->setWidget(label);
        scroll->setWidgetResizable(false);
        scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        scroll->setFixedSize(textWidth + ui().px(26), textRoom);
        scroll->setStyleSheet(ui().styleSheet(QStringLiteral("QScrollArea, QScrollArea > QWidget > QWidget { background: transparent; }"
                                                             "QScrollBar:vertical { width: 24px; }")));
        label->setFixedHeight(textHeight);
        row->addWidget(scroll, 1);
    } else {
        row->addWidget(label, 1);
    }
    contentLayout()->addLayout(row, 1);

    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(ui().px(12));
    auto* codeLabel = new QLabel(this);
    codeLabel->setObjectName(QStringLiteral("msgCode"));
    codeLabel->setFont(touchFont(15));
    if (!code.isEmpty())
        codeLabel->setText(tr("Código %1").arg(code));
    buttons->addWidget(codeLabel, 1, Qt::AlignBottom);
    if (m_question) {
        auto* no = makeButton(tr("Não"), QStringLiteral("msgNo"), touchui::ButtonRole::Normal);
        auto* yes = makeButton(tr("Sim"), QStringLiteral("msgYes"), touchui::ButtonRole::Primary);
        no->setMinimumWidth(ui().px(150));
        yes->setMinimumWidth(ui().px(150));
        buttons->addWidget(no);
        buttons->addWidget(yes);
        connect(no, &QPushButton::clicked, this, [this] { answerWith(false); });
        connect(yes, &QPushButton::clicked, this, [this] { answerWith(true); });
    } else {
        auto* ok = makeButton(tr("OK"), QStringLiteral("msgOk"), touchui::ButtonRole::Primary);
        ok->setMinimumWidth(ui().px(150));
        buttons->addWidget(ok);
        connect(ok, &QPushButton::clicked, this, [this] { answerWith(true); });
    }
    contentLayout()->addLayout(buttons);

    setFocusPolicy(Qt::StrongFocus);
    setFocus();
    adjustSize();
    resize(qMax(width(), ui().px(600)), height());
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
