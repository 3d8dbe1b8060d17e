#include "dialogs/keyboard.h"

#include <QApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QTimer>
#include <QVBoxLayout>

#include "colors.h"
#include "dialogs/touchdialog.h"
#include "touchcontrols.h"

namespace {

QPointer<QWidget>& previewSource()
{
    static QPointer<QWidget> source;
    return source;
}

// Object names of the keys that are not letters or digits.
QString keyName(QChar ch)
{
    switch (ch.unicode()) {
    case '-': return QStringLiteral("key_minus");
    case '/': return QStringLiteral("key_slash");
    case ',': return QStringLiteral("key_comma");
    case '.': return QStringLiteral("key_period");
    case '&': return QStringLiteral("key_amp");
    case '(': return QStringLiteral("key_lparen");
    case ')': return QStringLiteral("key_rparen");
    case '\'': return QStringLiteral("key_apos");
    case '+': return QStringLiteral("key_plus");
    case ':': return QStringLiteral("key_colon");
    default: return QStringLiteral("key_") + ch;
    }
}

// A button would take a lone "&" for a mnemonic marker.
QString keyLabel(const QString& ch)
{
    return ch == QLatin1String("&") ? QStringLiteral("&&") : ch;
}

// A stand-in of the button being renamed, same size, scale, font, colours
// and glyph, so the operator sees where the caption wraps or gets cut.
QAbstractButton* makePreview(QWidget* source, const UiScale& ui, QWidget* parent)
{
    QAbstractButton* preview = nullptr;
    if (auto* touch = qobject_cast<TTouchButton*>(source)) {
        auto* b = new TTouchButton(parent);
        b->SetColor(touch->Color());
        b->SetFontColor(touch->FontColor());
        b->setScale(touch->scale());
        preview = b;
    } else if (auto* speed = qobject_cast<TSpeedButton*>(source)) {
        auto* b = new TSpeedButton(parent);
        b->SetColor(speed->Color());
        b->SetFontColor(speed->FontColor());
        b->setGlyph(speed->glyph());
        b->setScale(speed->scale());
        preview = b;
    } else {
        // No source, or another kind of control: a table button of the
        // real size in the free colours.
        auto* b = new TSpeedButton(parent);
        b->setScale(ui.factor());
        if (source)
            b->setPalette(source->palette());
        preview = b;
    }
    if (source) {
        preview->setFont(source->font());
        preview->setFixedSize(source->size());
    } else {
        preview->setFont(ui.font(preview->font()));
        preview->setFixedSize(ui.size({77, 50}));
    }
    preview->setObjectName(QStringLiteral("kbdPreview"));
    preview->setFocusPolicy(Qt::NoFocus);
    preview->setAttribute(Qt::WA_TransparentForMouseEvents);
    return preview;
}

// The dialog hands focus over as if by Tab, which would select the whole
// caption and make the first key wipe it; the operator edits it instead.
class CaptionEdit : public QLineEdit {
public:
    using QLineEdit::QLineEdit;

protected:
    void focusInEvent(QFocusEvent* event) override
    {
        const bool hadSelection = hasSelectedText();
        QLineEdit::focusInEvent(event);
        if (!hadSelection)
            deselect();
    }
};

} // namespace

class TKeyboardDialog : public TTouchDialog {
    Q_OBJECT
public:
    TKeyboardDialog(const QString& initial, const QString& title, int maxLength, bool withPreview,
                    QWidget* source, QWidget* parent = nullptr);

    QString text() const { return m_edit->text(); }

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    enum class Shift { Off, Once, Locked };

    QPushButton* addCharKey(QGridLayout* grid, QChar ch, int row, int column, int span = 1);
    QPushButton* addKey(QGridLayout* grid, const QString& label, const QString& name, int row,
                        int column, int span = 1);
    void typeChar(QChar ch);
    void toggleShift();
    void refreshKeys();
    void textChanged();
    void refuse();

    QLineEdit* m_edit;
    QLabel* m_counter;
    QAbstractButton* m_preview = nullptr;
    QPushButton* m_shift = nullptr;
    QList<QPushButton*> m_charKeys;
    Shift m_shiftState = Shift::Off;
    int m_maxLength;
};

TKeyboardDialog::TKeyboardDialog(const QString& initial, const QString& title, int maxLength,
                                 bool withPreview, QWidget* source, QWidget* parent)
    : TTouchDialog(parent), m_maxLength(maxLength)
{
    setObjectName(QStringLiteral("keyboardDialog"));
    setTitle(title);

    auto* top = new QHBoxLayout;
    top->setSpacing(ui().px(10));
    m_edit = new CaptionEdit(this);
    m_edit->setObjectName(QStringLiteral("kbdEdit"));
    m_edit->setFont(touchFont(22));
    m_edit->setMinimumHeight(ui().px(52));
    m_edit->setMaxLength(maxLength);
    m_edit->setText(initial.left(maxLength));
    m_edit->setCursorPosition(int(m_edit->text().size()));
    m_edit->setAccessibleName(title);
    m_edit->setStyleSheet(ui().styleSheet(QStringLiteral(
        "QLineEdit { background: white; color: %1; border: 2px solid %2;"
        " border-radius: 8px; padding: 0px 10px; }").arg(kDialogInk.name(), kDialogBlue.name())));
    m_counter = new QLabel(this);
    m_counter->setObjectName(QStringLiteral("kbdCounter"));
    m_counter->setFont(touchFont(18, true));
    m_counter->setMinimumWidth(ui().px(72));
    m_counter->setAlignment(Qt::AlignCenter);
    top->addWidget(m_edit, 1);
    top->addWidget(m_counter);
    if (withPreview) {
        auto* label = new QLabel(tr("Prévia:"), this);
        label->setObjectName(QStringLiteral("kbdPreviewLabel"));
        label->setFont(touchFont(16));
        m_preview = makePreview(source, ui(), this);
        m_preview->setAccessibleName(tr("Prévia do botão"));
        top->addSpacing(ui().px(6));
        top->addWidget(label);
        top->addWidget(m_preview, 0, Qt::AlignVCenter);
    }
    contentLayout()->addLayout(top);

    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(ui().px(6));
    grid->setVerticalSpacing(ui().px(6));
    const QString rows[] = {
        QStringLiteral("1234567890"),
        QStringLiteral("qwertyuiop-"),
        QStringLiteral("asdfghjklç/"),
        QStringLiteral("zxcvbnm,.&"),
        QStringLiteral("áàâãéêíóôõú"),
    };
    for (int c = 0; c < rows[0].size(); ++c)
        addCharKey(grid, rows[0][c], 0, c);
    auto* backspace = addKey(grid, QStringLiteral("⌫"), QStringLiteral("key_backspace"), 0, 10);
    backspace->setAutoRepeat(true);
    backspace->setToolTip(tr("Apagar o último caractere"));
    // The symbol keys are read by what they do, not by their symbol.
    backspace->setAccessibleName(tr("Apagar o último caractere"));
    for (int r = 1; r <= 2; ++r) {
        for (int c = 0; c < rows[r].size(); ++c)
            addCharKey(grid, rows[r][c], r, c);
    }
    m_shift = addKey(grid, QStringLiteral("⇧"), QStringLiteral("key_shift"), 3, 0);
    m_shift->setCheckable(true);
    m_shift->setToolTip(tr("Maiúsculas: um toque para a próxima letra, dois para travar"));
    m_shift->setAccessibleName(tr("Maiúsculas"));
    m_shift->setAccessibleDescription(m_shift->toolTip());
    for (int c = 0; c < rows[3].size(); ++c)
        addCharKey(grid, rows[3][c], 3, c + 1);
    for (int c = 0; c < rows[4].size(); ++c)
        addCharKey(grid, rows[4][c], 4, c);
    addCharKey(grid, QLatin1Char('('), 5, 0);
    addCharKey(grid, QLatin1Char(')'), 5, 1);
    auto* space = addKey(grid, tr("espaço"), QStringLiteral("key_space"), 5, 2, 6);
    space->setFont(touchFont(18));
    m_charKeys << space;
    addCharKey(grid, QLatin1Char('\''), 5, 8);
    addCharKey(grid, QLatin1Char('+'), 5, 9);
    addCharKey(grid, QLatin1Char(':'), 5, 10);
    for (int c = 0; c < 11; ++c)
        grid->setColumnStretch(c, 1);
    contentLayout()->addLayout(grid, 1);

    auto* clear = makeButton(tr("Limpar"), QStringLiteral("key_clear"), touchui::ButtonRole::Normal);
    auto* cancel = makeButton(tr("Cancelar"), QStringLiteral("key_cancel"), touchui::ButtonRole::Normal);
    auto* ok = makeButton(tr("OK"), QStringLiteral("key_ok"), touchui::ButtonRole::Primary);
    addActionRow(clear, cancel, ok);

    connect(backspace, &QPushButton::clicked, m_edit, &QLineEdit::backspace);
    connect(m_shift, &QPushButton::clicked, this, &TKeyboardDialog::toggleShift);
    connect(space, &QPushButton::clicked, this, [this] { typeChar(QLatin1Char(' ')); });
    connect(clear, &QPushButton::clicked, m_edit, &QLineEdit::clear);
    connect(m_edit, &QLineEdit::textChanged, this, &TKeyboardDialog::textChanged);
    connect(m_edit, &QLineEdit::selectionChanged, this, &TKeyboardDialog::refreshKeys);
    connect(m_edit, &QLineEdit::returnPressed, this, &QDialog::accept);

    textChanged();
    refreshKeys();
    m_edit->setFocus();
    resize(ui().size({788, 564}));
}

QPushButton* TKeyboardDialog::addKey(QGridLayout* grid, const QString& label, const QString& name,
                                     int row, int column, int span)
{
    auto* key = makeButton(label, name, touchui::ButtonRole::Key);
    key->setMinimumSize(ui().size({58, 52}));
    key->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    grid->addWidget(key, row, column, 1, span);
    return key;
}

QPushButton* TKeyboardDialog::addCharKey(QGridLayout* grid, QChar ch, int row, int column, int span)
{
    auto* key = addKey(grid, keyLabel(QString(ch)), keyName(ch), row, column, span);
    key->setProperty("qdlChar", QString(ch));
    connect(key, &QPushButton::clicked, this, [this, ch] { typeChar(ch); });
    m_charKeys << key;
    return key;
}

void TKeyboardDialog::typeChar(QChar ch)
{
    if (m_edit->text().size() >= m_maxLength && !m_edit->hasSelectedText()) {
        refuse();
        return;
    }
    const QChar typed = m_shiftState == Shift::Off ? ch : ch.toUpper();
    m_edit->insert(QString(typed));
    if (m_shiftState == Shift::Once && ch.isLetter()) {
        m_shiftState = Shift::Off;
        refreshKeys();
    }
}

void TKeyboardDialog::toggleShift()
{
    switch (m_shiftState) {
    case Shift::Off: m_shiftState = Shift::Once; break;
    case Shift::Once: m_shiftState = Shift::Locked; break;
    case Shift::Locked: m_shiftState = Shift::Off; break;
    }
    refreshKeys();
}

void TKeyboardDialog::refreshKeys()
{
    const bool upper = m_shiftState != Shift::Off;
    m_shift->setChecked(upper);
    m_shift->setText(m_shiftState == Shift::Locked ? QStringLiteral("⇪") : QStringLiteral("⇧"));
    const bool full = m_edit->text().size() >= m_maxLength && !m_edit->hasSelectedText();
    for (QPushButton* key : std::as_const(m_charKeys)) {
        const QString ch = key->property("qdlChar").toString();
        if (!ch.isEmpty())
            key->setText(keyLabel(upper ? ch.toUpper() : ch));
        key->setEnabled(!full);
    }
}

void TKeyboardDialog::textChanged()
{
    const int length = int(m_edit->text().size());
    m_counter->setText(QStringLiteral("%1/%2").arg(length).arg(m_maxLength));
    QPalette p = m_counter->palette();
    p.setColor(QPalette::WindowText, length >= m_maxLength ? kLimitRed : kNavy);
    m_counter->setPalette(p);
    if (m_preview)
        m_preview->setText(m_edit->text());
    refreshKeys();
}

void TKeyboardDialog::refuse()
{
    QApplication::beep();
    m_counter->setStyleSheet(ui().styleSheet(QStringLiteral("background: %1; border-radius: 6px;").arg(kRefusalFlash.name())));
    QTimer::singleShot(400, m_counter, [counter = m_counter] { counter->setStyleSheet({}); });
}

void TKeyboardDialog::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        accept();
        return;
    }
    TTouchDialog::keyPressEvent(event);
}

QString runKeyboard(const QString& initial, int /*a*/, int /*b*/, int /*c*/)
{
    QWidget* source = previewSource();
    previewSource() = nullptr;
    TKeyboardDialog dialog(initial, TKeyboardDialog::tr("Digite o nome do botão"), kCaptionMaxLength,
                           true, source);
    if (dialog.exec() != QDialog::Accepted)
        return QStringLiteral("@");
    return dialog.text();
}

void setKeyboardPreviewSource(QWidget* button)
{
    previewSource() = button;
}

QString runPlainKeyboard(const QString& initial, const QString& title, int maxLength, QWidget* parent)
{
    TKeyboardDialog dialog(initial, title, maxLength, false, nullptr, parent);
    if (dialog.exec() != QDialog::Accepted)
        return {};
    return dialog.text().isNull() ? QStringLiteral("") : dialog.text();
}

#include "keyboard.moc"
