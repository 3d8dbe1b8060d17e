// The screen's keys, in one table: for each command its button, the key
// that runs it and the code or character the form's key events speak for
// it. The key translation, FormKeyDown, FormKeyPress and the key each
// command button announces to assistive technology all read it.

#include <QKeyEvent>
#include <QKeySequence>

#include "Cli_qdl00005.h"

namespace {

// When a key reaches its command.
enum class Runs {
    Never,        // the key is swallowed: its code is cleared
    WhileEnabled, // while the command's button is enabled
    WhileShown,   // while the command's button is not hidden
    Always,
};

struct ScreenKey {
    // The key as announced. A key given with modifiers needs exactly those;
    // one given without takes any.
    QKeyCombination keys;
    // The virtual-key code FormKeyDown speaks; 0 for a letter, which
    // reaches FormKeyPress as the character it types (Qt numbers a letter's
    // key by its upper-case character: Qt::Key_A is 'A').
    quint16 code;
    Runs runs;
    TBlendedBitBtn* TfrmConfMesa::*button;
    void (TfrmConfMesa::*command)(QObject* sender);
    // The same key elsewhere on the keyboard (Return beside keypad Enter),
    // if any.
    Qt::Key sameKey = Qt::Key(0);
};

// In the order FormKeyDown tests them: a swallowed key reaches nothing after.
constexpr ScreenKey kScreenKeys[] = {
    {Qt::CTRL | Qt::Key_Delete, vk::Delete, Runs::Never, nullptr, nullptr},
    {Qt::ALT | Qt::Key_F4, vk::F4, Runs::Never, nullptr, nullptr}, // Alt+F4 does not close the screen
    {Qt::CTRL | Qt::Key_Enter, vk::Enter, Runs::WhileEnabled, &TfrmConfMesa::tcbConfirma,
     &TfrmConfMesa::tcbConfirmaClick, Qt::Key_Return},
    {Qt::Key_F2, vk::F2, Runs::WhileEnabled, &TfrmConfMesa::tcbCancela, &TfrmConfMesa::tcbCancelaClick},
    {Qt::Key_F3, vk::F3, Runs::WhileEnabled, &TfrmConfMesa::tcbNome, &TfrmConfMesa::tcbNomeClick},
    {Qt::Key_F5, vk::F5, Runs::WhileEnabled, &TfrmConfMesa::tcbCorButton, &TfrmConfMesa::tcbCorButtonClick},
    {Qt::Key_F6, vk::F6, Runs::WhileEnabled, &TfrmConfMesa::tcbCorTexto, &TfrmConfMesa::tcbCorTextoClick},
    {Qt::Key_F7, vk::F7, Runs::WhileEnabled, &TfrmConfMesa::tcbLimpar, &TfrmConfMesa::tcbLimparClick},
    {Qt::Key_Escape, vk::Escape, Runs::Always, &TfrmConfMesa::tcbSair, &TfrmConfMesa::tcbSairClick},
    // The paging buttons are shown only in the idle state.
    {Qt::Key_A, 0, Runs::WhileShown, &TfrmConfMesa::tcbAnterior, &TfrmConfMesa::tcbAnteriorClick},
    {Qt::Key_B, 0, Runs::WhileShown, &TfrmConfMesa::tcbProximo, &TfrmConfMesa::tcbProximoClick},
};

bool modifiersMatch(const ScreenKey& k, Qt::KeyboardModifiers held)
{
    const Qt::KeyboardModifiers wanted = k.keys.keyboardModifiers();
    return wanted == Qt::NoModifier || held == wanted;
}

// The table's key-down for a key as Qt delivers it, whatever the modifiers.
const ScreenKey* keyDown(int qtKey)
{
    for (const ScreenKey& k : kScreenKeys)
        if (k.code != 0 && (qtKey == k.keys.key() || (k.sameKey != 0 && qtKey == k.sameKey)))
            return &k;
    return nullptr;
}

// Runs the key's command with its button as sender, as a click would, while
// the key reaches it.
void runCommand(TfrmConfMesa& form, const ScreenKey& k)
{
    TBlendedBitBtn* button = form.*k.button;
    const bool reaches = k.runs == Runs::Always || (k.runs == Runs::WhileEnabled && button->isEnabled())
                      || (k.runs == Runs::WhileShown && !button->isHidden());
    if (reaches)
        (form.*k.command)(button);
}

} // namespace

void TfrmConfMesa::FormKeyDown(QObject*, quint16& key, Qt::KeyboardModifiers shift)
{
    // Each entry sees the code as the entries before it left it.
    for (const ScreenKey& k : kScreenKeys) {
        if (k.code == 0 || key != k.code || !modifiersMatch(k, shift))
            continue;
        if (k.runs == Runs::Never)
            key = 0;
        else
            runCommand(*this, k); // the code stays as it came
    }
}

void TfrmConfMesa::FormKeyPress(QObject*, QChar& key)
{
    if (key >= u'a' && key <= u'z')
        key = key.toUpper();
    for (const ScreenKey& k : kScreenKeys)
        if (k.code == 0 && key.unicode() == k.keys.key())
            runCommand(*this, k);
}

bool TfrmConfMesa::formKey(const QKeyEvent* event)
{
    bool consumed = false;
    if (const ScreenKey* k = keyDown(event->key())) {
        quint16 key = k->code;
        const auto modifiers = event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
        runHandler([&] { FormKeyDown(this, key, modifiers); });
        // A command's key ends here, whether its command ran or not; a key
        // only swallowed ends here when it was.
        consumed = key == 0 || k->runs != Runs::Never;
        // Enter alone means nothing else here: it presses the focused button
        // (Space, too, as for any button).
        if (k->code == vk::Enter && modifiers == Qt::NoModifier && !m_inHandler)
            if (auto* focused = qobject_cast<QAbstractButton*>(focusWidget());
                focused && navigationGroup(focused) >= 0 && focused->isEnabled())
                focused->click();
    }
    const QString text = event->text();
    if (!consumed && text.size() == 1 && !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
        QChar c = text.at(0);
        runHandler([&] { FormKeyPress(this, c); });
    }
    return consumed;
}

void TfrmConfMesa::announceKeys()
{
    for (const ScreenKey& k : kScreenKeys)
        if (k.button)
            setAccessibleShortcut(this->*k.button, QKeySequence(k.keys).toString(QKeySequence::PortableText));
}
