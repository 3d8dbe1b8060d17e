// What assistive technology reads of the screen (every button's name and
// description, from what it shows now) and moving over the buttons with the
// keyboard.

#include <QCoreApplication>
#include <QKeyEvent>
#include <algorithm>
#include <QPointer>

#include "Cli_qdl00005.h"
#include "layoutrules.h"

namespace {

bool isFree(const QAbstractButton* b)
{
    return b->text().trimmed().isEmpty();
}

QString twoDigits(int n)
{
    return QString::number(n).rightJustified(2, QLatin1Char('0'));
}

// What the pending list holds for a button that has rows in it, in the
// words a reader hears: its clear, or its new colour (a background only
// where the button may have one).
QStringList pendingWords(bool hasRows, bool backColourAllowed)
{
    if (!hasRows)
        return {};
    if (boExcluir)
        return {QCoreApplication::translate("TfrmConfMesa", "limpeza pendente")};
    if (boMudaCor && backColourAllowed)
        return {QCoreApplication::translate("TfrmConfMesa", "nova cor de fundo pendente")};
    if (boMudaFonte)
        return {QCoreApplication::translate("TfrmConfMesa", "nova cor do texto pendente")};
    return {};
}

} // namespace

QList<TfrmConfMesa::PendingRow> TfrmConfMesa::pendingRows()
{
    // Read without moving the list's cursor for good: a handler may read
    // the row it has just appended.
    QList<PendingRow> rows;
    const int current = cdsAlteracoes.RecNo();
    for (int row = 0; row < cdsAlteracoes.RecordCount(); ++row) {
        cdsAlteracoes.setRecNo(row);
        rows << currentPending();
    }
    if (current >= 0)
        cdsAlteracoes.setRecNo(current);
    return rows;
}

void TfrmConfMesa::describeScreen()
{
    const QList<PendingRow> pending = pendingRows();
    for (int n = 1; n <= NRBUTTONSAMBI; ++n)
        describeArea(n, pending);
    for (int n = 1; n <= NRBUTTONSMESA; ++n)
        describeTable(n, pending);
    describeCommands();
    describeControl(lblPagina, tr("Página %1").arg(NrPagina), QString());
    describeControl(shpMostraCor, tr("Cor escolhida"), QString());
}

void TfrmConfMesa::describeArea(int n, const QList<PendingRow>& pending)
{
    TTouchButton* b = areaButton(n);
    if (!b)
        return;
    const QString number = twoDigits(n);
    const bool selected = stNrFocusAmb.toInt() == n;
    const bool hasRows = std::any_of(pending.cbegin(), pending.cend(), [&](const PendingRow& r) {
        return r.type == kAreaButtonType && r.number == number;
    });
    const QStringList pendingParts = pendingWords(hasRows, true);
    const bool clearing = hasRows && boExcluir;

    // A cleared button shows the free look until the clear is confirmed: its
    // stored caption still names it.
    QString caption = isFree(b) ? QString() : oneLineCaption(b->text());
    if (caption.isEmpty() && clearing && cdsPesqAmbientes.Locate(QStringLiteral("NRBUTTON"), number, true))
        caption = oneLineCaption(cdsPesqAmbientes.FieldByName(QStringLiteral("DSBUTTON")).AsString());

    QStringList parts;
    if (caption.isEmpty() && !clearing) {
        parts << tr("Botão de ambiente %1, livre").arg(n);
    } else {
        parts << (caption.isEmpty() ? tr("Botão de ambiente %1").arg(n)
                                    : tr("%1, botão de ambiente %2").arg(caption).arg(n));
    }
    if (selected)
        parts << tr("selecionado");
    parts << pendingParts;

    QString description;
    const bool occupied = !isFree(b);
    if (!occupied)
        description = (boExcluir || boMudaCor || boMudaFonte || boMudaNome)
                          ? tr("Botão livre: não há o que mudar.")
                          : tr("Escolhe um ambiente para este botão.");
    else if (boExcluir)
        description = tr("Marca o ambiente e suas mesas para serem limpos ao confirmar.");
    else if (boMudaCor)
        description = tr("Marca o botão para a cor de fundo escolhida.");
    else if (boMudaFonte)
        description = tr("Marca o botão para a cor do texto escolhida.");
    else if (boMudaNome)
        description = tr("Abre o teclado para mudar o nome do botão.");
    else
        description = tr("Seleciona este ambiente e mostra suas mesas.");

    describeControl(b, parts.join(QStringLiteral(", ")), description);
    setAccessibleSelected(b, selected);
    if (TTouchButton* strip = areaStrip(n)) {
        describeControl(strip, tr("Marca do botão de ambiente %1").arg(n), description);
        setAccessibleSelected(strip, selected);
    }
}

void TfrmConfMesa::describeTable(int n, const QList<PendingRow>& pending)
{
    TSpeedButton* b = tableButton(n);
    if (!b)
        return;
    const QString number = twoDigits(n);
    const QString page = pageText();
    // Rows of this button on the page and area shown now.
    const bool hasRows = std::any_of(pending.cbegin(), pending.cend(), [&](const PendingRow& r) {
        return r.type == kTableButtonType && r.number == number && r.page == page && r.parentNumber == stNrFocusAmb;
    });
    const QStringList pendingParts = pendingWords(hasRows, false);
    const bool clearing = hasRows && boExcluir;

    QString caption = isFree(b) ? QString() : oneLineCaption(b->text());
    if (caption.isEmpty() && clearing && cdsPesqMesas.Locate(QStringLiteral("NRBUTTON"), number, true))
        caption = oneLineCaption(cdsPesqMesas.FieldByName(QStringLiteral("DSBUTTON")).AsString());

    QStringList parts;
    if (caption.isEmpty() && !clearing) {
        parts << tr("Botão de mesa %1, livre").arg(n);
    } else {
        parts << (caption.isEmpty() ? tr("Botão de mesa %1").arg(n) : caption);
        parts << tr("página %1").arg(NrPagina);
        // The area's caption, or its stored one while its clear is pending.
        const TTouchButton* area = areaButton(stNrFocusAmb.toInt());
        if (area && !isFree(area))
            parts << oneLineCaption(area->text());
        else if (area && cdsPesqAmbientes.Locate(QStringLiteral("NRBUTTON"), stNrFocusAmb, true))
            parts << oneLineCaption(cdsPesqAmbientes.FieldByName(QStringLiteral("DSBUTTON")).AsString());
    }
    parts << pendingParts;

    QString description;
    const bool occupied = !isFree(b);
    if (!occupied)
        description = (boExcluir || boMudaCor || boMudaFonte || boMudaNome)
                          ? tr("Botão livre: não há o que mudar.")
                          : tr("Escolhe uma mesa do ambiente selecionado para este botão.");
    else if (boExcluir)
        description = tr("Marca a mesa para ser limpa ao confirmar.");
    else if (boMudaCor)
        description = tr("A cor de fundo de uma mesa não pode ser mudada.");
    else if (boMudaFonte)
        description = tr("Marca o botão para a cor do texto escolhida.");
    else if (boMudaNome)
        description = tr("Abre o teclado para mudar o nome do botão.");
    else
        description = tr("Mesa colocada. Para mudar o nome, a cor do texto ou limpar, escolha antes o comando.");
    describeControl(b, parts.join(QStringLiteral(", ")), description);
}

void TfrmConfMesa::describeCommands()
{
    // The key each command announces is set once, from the key table
    // (announceKeys).
    struct Command {
        TBlendedBitBtn* button;
        QString name, description;
    };
    const int pendingCount = cdsAlteracoes.RecordCount();
    const Command commands[] = {
        {tcbNome, tr("Mudar nome"), tr("Tecla F3: o próximo botão escolhido recebe um nome novo.")},
        {tcbCorButton, tr("Cor do botão"), tr("Tecla F5: escolhe a cor de fundo dos botões escolhidos em seguida.")},
        {tcbCorTexto, tr("Cor da fonte"), tr("Tecla F6: escolhe a cor do texto dos botões escolhidos em seguida.")},
        {tcbLimpar, tr("Limpar botão"), tr("Tecla F7: os botões escolhidos em seguida são limpos ao confirmar.")},
        {tcbConfirma, tr("Confirmar"), tr("Teclas Ctrl+Enter: grava as mudanças pendentes (%1).").arg(pendingCount)},
        {tcbCancela, tr("Cancelar"), tr("Tecla F2: descarta as mudanças pendentes e volta ao início.")},
        {tcbSair, tr("Sair"), tr("Tecla Esc: fecha a tela; mudanças não confirmadas são descartadas.")},
        {tcbAnterior, tr("Página anterior"), tr("Tecla A: mostra a página %1 das mesas.").arg(qMax(1, NrPagina - 1))},
        {tcbProximo, tr("Próxima página"), tr("Tecla B: mostra a página %1 das mesas.").arg(NrPagina + 1)},
    };
    for (const Command& c : commands)
        describeControl(c.button, c.name, c.description);
}

// ---- Keyboard movement --------------------------------------------------------

int TfrmConfMesa::navigationGroup(const QWidget* w) const
{
    if (!w)
        return -1;
    const QString name = w->objectName();
    if (name.startsWith(QLatin1String("tcbAmb")))
        return areaButton(name.right(2).toInt()) == w ? 0 : -1;
    if (name.size() == 5 && name.startsWith(QLatin1String("tcb")))
        return tableButton(name.right(2).toInt()) == w ? 1 : -1;
    for (const QWidget* c : {tcbNome, tcbCorButton, tcbCorTexto, tcbLimpar, tcbConfirma, tcbCancela, tcbSair,
                             tcbAnterior, tcbProximo})
        if (c == w)
            return 2;
    return -1;
}

QList<QAbstractButton*> TfrmConfMesa::navigableButtons(int group) const
{
    QList<QAbstractButton*> all;
    if (group < 0 || group == 0)
        for (int n = 1; n <= NRBUTTONSAMBI; ++n)
            all << areaButton(n);
    if (group < 0 || group == 1)
        for (int n = 1; n <= NRBUTTONSMESA; ++n)
            all << tableButton(n);
    if (group < 0 || group == 2)
        all << QList<QAbstractButton*>{tcbNome, tcbCorButton, tcbCorTexto, tcbLimpar, tcbConfirma,
                                       tcbCancela,  tcbSair,     tcbAnterior, tcbProximo};
    QList<QAbstractButton*> usable;
    for (QAbstractButton* b : all)
        if (b && b->isEnabled() && b->isVisibleTo(this))
            usable << b;
    return usable;
}

void TfrmConfMesa::focusByKeyboard(QAbstractButton* button)
{
    setAttribute(Qt::WA_KeyboardFocusChange);
    button->setFocus(Qt::TabFocusReason);
    button->update();
    const int group = navigationGroup(button);
    if (group >= 0)
        m_groupFocus[group] = button;
}

void TfrmConfMesa::showFocusRing()
{
    // The first key shows where the focus is; with no button holding it,
    // it lands on the selected area.
    auto* current = qobject_cast<QAbstractButton*>(focusWidget());
    const QList<QAbstractButton*> usable = navigableButtons(-1);
    if (navigationGroup(current) < 0 || !usable.contains(current)) {
        current = areaButton(stNrFocusAmb.toInt());
        if (!usable.contains(current))
            current = usable.value(0);
    }
    if (!current)
        return;
    // A closed dialog may leave no window active (no window manager hands
    // the activation back) while keys still reach this one: the ring shows
    // once the screen is active again.
    if (!isActiveWindow())
        activateWindow();
    focusByKeyboard(current);
}

bool TfrmConfMesa::focusRingShown() const
{
    // What the focused button draws, not the form's own flag: an inactive
    // form keeps both its focus button and the flag, but draws no ring.
    const QWidget* focused = focusWidget();
    return focused && showsFocusRing(*focused);
}

bool TfrmConfMesa::pressKey(const QKeyEvent* event)
{
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    const int key = event->key();
    return modifiers == Qt::NoModifier && (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space);
}

void TfrmConfMesa::focusByTap(QWidget* tapped)
{
    // A tap moves the focus to what it pressed (a strip stands for its area
    // button) and hides the ring: the next key then starts from there, and
    // never presses a button the operator did not choose.
    QWidget* target = tapped;
    if (tapped->objectName().startsWith(QLatin1String("panAmb")))
        target = areaButton(tapped->objectName().right(2).toInt());
    const bool hadRing = focusRingShown();
    setAttribute(Qt::WA_KeyboardFocusChange, false);
    QWidget* before = focusWidget();
    if (auto* button = qobject_cast<QAbstractButton*>(target); button && navigationGroup(button) >= 0) {
        button->setFocus(Qt::MouseFocusReason);
        m_groupFocus[navigationGroup(button)] = button;
    }
    if (hadRing && before)
        before->update();
}

bool TfrmConfMesa::navigationKey(QKeyEvent* event)
{
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    const int key = event->key();
    const bool arrow = key == Qt::Key_Left || key == Qt::Key_Right || key == Qt::Key_Up || key == Qt::Key_Down;
    const bool tab = key == Qt::Key_Tab || key == Qt::Key_Backtab;
    if (!(arrow && modifiers == Qt::NoModifier) && !(tab && (modifiers & ~Qt::ShiftModifier) == 0))
        return false;

    auto* current = qobject_cast<QAbstractButton*>(focusWidget());
    const int group = navigationGroup(current);
    const QList<QAbstractButton*> usable = navigableButtons(-1);
    if (group < 0 || !usable.contains(current) || !focusRingShown()) {
        showFocusRing();
        return true;
    }

    if (tab) {
        const int step = key == Qt::Key_Backtab || (modifiers & Qt::ShiftModifier) ? 2 : 1;
        for (int i = 1; i <= 3; ++i) {
            const int next = (group + step * i) % 3;
            const QList<QAbstractButton*> members = navigableButtons(next);
            if (members.isEmpty())
                continue;
            QAbstractButton* target = m_groupFocus[next];
            if (!members.contains(target)) {
                target = members.first();
                if (next == 0 && members.contains(areaButton(stNrFocusAmb.toInt())))
                    target = areaButton(stNrFocusAmb.toInt());
            }
            focusByKeyboard(target);
            return true;
        }
        return true;
    }

    // The nearest button that way: distance along the key's direction, with
    // a sideways step counted thrice, so rows and columns are kept.
    const QPoint from = current->geometry().center();
    QAbstractButton* best = nullptr;
    qint64 bestScore = 0;
    for (QAbstractButton* b : usable) {
        if (b == current)
            continue;
        const QPoint to = b->geometry().center();
        int along = 0, across = 0;
        switch (key) {
        case Qt::Key_Left: along = from.x() - to.x(); across = to.y() - from.y(); break;
        case Qt::Key_Right: along = to.x() - from.x(); across = to.y() - from.y(); break;
        case Qt::Key_Up: along = from.y() - to.y(); across = to.x() - from.x(); break;
        default: along = to.y() - from.y(); across = to.x() - from.x(); break;
        }
        // Only what lies that way, not far off to the side: Down from the
        // last table row does not end on Leave.
        if (along <= 0 || qAbs(across) > 2 * along)
            continue;
        const qint64 score = qint64(along) + 3 * qint64(qAbs(across));
        if (!best || score < bestScore) {
            best = b;
            bestScore = score;
        }
    }
    if (best)
        focusByKeyboard(best);
    return true;
}
