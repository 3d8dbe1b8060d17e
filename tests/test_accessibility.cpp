// The screen as a screen reader and a keyboard meet it: read through Qt's
// accessibility interface as a client reads it, every button has a name
// that says what it is and shows, in both languages; and real keys reach
// every area and table button and press them.

#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QKeySequence>
#include <QRegularExpression>
#include <QSet>
#include <QTest>
#include <functional>

#include "formfixture.h"
#include "testmain.h"
#include "theme.h"

namespace {

struct Read {
    QString name, description;
    QAccessible::State state;
};

// Every visible button of the window by object name, as the client reads it:
// the tree walked from the window's interface down.
QMap<QString, Read> readButtons(QWidget* window)
{
    QMap<QString, Read> buttons;
    QList<QAccessibleInterface*> todo{QAccessible::queryAccessibleInterface(window)};
    while (!todo.isEmpty()) {
        QAccessibleInterface* iface = todo.takeFirst();
        if (!iface)
            continue;
        for (int i = 0; i < iface->childCount(); ++i)
            todo << iface->child(i);
        if (iface->role() == QAccessible::Button && !iface->state().invisible && iface->object())
            buttons.insert(iface->object()->objectName(),
                           {iface->text(QAccessible::Name), iface->text(QAccessible::Description), iface->state()});
    }
    return buttons;
}

// No button goes unnamed, blank, broken over lines or called by a glyph's
// letter ("A-").
void expectWellNamed(const QMap<QString, Read>& buttons)
{
    static const QRegularExpression glyphLetter(QStringLiteral("^\\s*\\S?\\s*-?\\s*$"));
    for (auto it = buttons.cbegin(); it != buttons.cend(); ++it) {
        const QString& name = it->name;
        EXPECT_FALSE(glyphLetter.match(name).hasMatch()) << it.key().toStdString() << ": \"" << name.toStdString() << '"';
        EXPECT_FALSE(name.contains(QLatin1Char('\n')) || name.contains(QLatin1Char('\r')))
            << it.key().toStdString() << ": " << name.toStdString();
        EXPECT_FALSE(it->description.trimmed().isEmpty()) << it.key().toStdString();
    }
}

class Accessibility : public FormTest {
protected:
    void TearDown() override
    {
        FormTest::TearDown();
        installLanguage(QStringLiteral("pt"));
    }

    // The key as a keyboard sends it: to the control that has the focus.
    void press(Qt::Key k, Qt::KeyboardModifiers m = Qt::NoModifier)
    {
        QWidget* focused = QApplication::focusWidget();
        QTest::keyClick(focused ? focused : form, k, m);
    }
    QString focusedName() const
    {
        const QWidget* focused = QApplication::focusWidget();
        return focused ? focused->objectName() : QString();
    }
};

struct Expected {
    const char* language;
    const char *placed, *free, *selectedArea, *freeArea, *clearPending, *textPending, *confirm, *previous, *next;
};

TEST_P(Accessibility, EveryButtonSaysWhatItIsAndWhatItShowsInBothLanguages)
{
    placeArea("01", "SAL", "Salão Principal");
    placeTable("02", "1", "01", "2", "Mesa 02");
    const Expected languages[] = {
        {"pt", "Mesa 02, página 1, Salão Principal", "Botão de mesa 9, livre",
         "Salão Principal, botão de ambiente 1, selecionado", "Botão de ambiente 2, livre",
         "Mesa 02, página 1, Salão Principal, limpeza pendente",
         "Mesa 02, página 1, Salão Principal, nova cor do texto pendente", "Confirmar", "Página anterior",
         "Próxima página"},
        {"en", "Mesa 02, page 1, Salão Principal", "Table button 9, free", "Salão Principal, area button 1, selected",
         "Area button 2, free", "Mesa 02, page 1, Salão Principal, clear pending",
         "Mesa 02, page 1, Salão Principal, new text colour pending", "Confirm", "Previous page", "Next page"},
    };
    for (const Expected& e : languages) {
        SCOPED_TRACE(e.language);
        installLanguage(QLatin1String(e.language));
        openScreen();
        QMap<QString, Read> read = readButtons(form);
        // 18 areas, 48 tables, the strip of the selected area, 7 commands and
        // the next-page button (the previous one is hidden on page 1).
        EXPECT_EQ(read.size(), 18 + 48 + 1 + 7 + 1);
        expectWellNamed(read);
        EXPECT_EQ(read["tcb02"].name, QString::fromUtf8(e.placed));
        EXPECT_EQ(read["tcb09"].name, QString::fromUtf8(e.free));
        EXPECT_EQ(read["tcbAmb01"].name, QString::fromUtf8(e.selectedArea));
        EXPECT_TRUE(read["tcbAmb01"].state.selected);
        EXPECT_EQ(read["tcbAmb02"].name, QString::fromUtf8(e.freeArea));
        EXPECT_FALSE(read["tcbAmb02"].state.selected);
        EXPECT_EQ(read["tcbConfirma"].name, QString::fromUtf8(e.confirm));
        EXPECT_EQ(read["tcbProximo"].name, QString::fromUtf8(e.next));

        typeChar('b');
        read = readButtons(form);
        EXPECT_EQ(read["tcbAnterior"].name, QString::fromUtf8(e.previous));
        typeChar('a');

        // A pending clear, then a pending text colour, said on the button
        // until Cancel drops them.
        key(Qt::Key_F7);
        click(table(2));
        EXPECT_EQ(readButtons(form)["tcb02"].name, QString::fromUtf8(e.clearPending));
        click(area(1)); // clears the grid's look too
        read = readButtons(form);
        EXPECT_EQ(read["tcb02"].name, QString::fromUtf8(e.clearPending));
        EXPECT_TRUE(read["tcbAmb01"].name.endsWith(QString::fromUtf8(e.clearPending).section(", ", -1)))
            << read["tcbAmb01"].name.toStdString();
        expectWellNamed(read);
        key(Qt::Key_F2);
        host->colours.push_back(QStringLiteral("255"));
        key(Qt::Key_F6);
        click(table(2));
        EXPECT_EQ(readButtons(form)["tcb02"].name, QString::fromUtf8(e.textPending));
        key(Qt::Key_F2);
        EXPECT_EQ(readButtons(form)["tcb02"].name, QString::fromUtf8(e.placed));
        closeScreen();
    }
}

TEST_P(Accessibility, KeysReachEveryAreaAndTableButtonAndPressThem)
{
    placeArea("01", "SAL", "Salão Principal");
    openScreen();
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form));
    ASSERT_EQ(focusedName(), QStringLiteral("tcbAmb01"));

    // Row by row, there and back, as an operator would walk the grids; the
    // first key only shows where the focus is.
    QSet<QString> visited{focusedName()};
    press(Qt::Key_Right);
    EXPECT_EQ(focusedName(), QStringLiteral("tcbAmb01"));
    const auto walk = [&](int rows, int columns) {
        for (int row = 0; row < rows; ++row) {
            for (int c = 1; c < columns; ++c) {
                press(row % 2 == 0 ? Qt::Key_Right : Qt::Key_Left);
                visited << focusedName();
            }
            press(Qt::Key_Down);
            visited << focusedName();
        }
    };
    walk(3, 6); // the last Down leaves the areas for the first table row
    EXPECT_TRUE(focusedName().startsWith(QLatin1String("tcb0"))) << focusedName().toStdString();
    while (focusedName() != QLatin1String("tcb01")) {
        const QString before = focusedName();
        press(Qt::Key_Left);
        ASSERT_NE(focusedName(), before);
        visited << focusedName();
    }
    walk(6, 8);
    for (int n = 1; n <= 18; ++n)
        EXPECT_TRUE(visited.contains(area(n)->objectName())) << n;
    for (int n = 1; n <= 48; ++n)
        EXPECT_TRUE(visited.contains(table(n)->objectName())) << n;

    // Tab goes from group to group, back to where each was left; the ring
    // goes with the focus.
    EXPECT_EQ(focusedName(), QStringLiteral("tcb41")); // nothing lies below the last row
    QAbstractButton* last = table(41);
    const QImage ringed = last->grab().toImage();
    press(Qt::Key_Tab);
    EXPECT_EQ(focusedName(), QStringLiteral("tcbNome"));
    EXPECT_NE(last->grab().toImage(), ringed);
    press(Qt::Key_Tab);
    EXPECT_EQ(focusedName(), QStringLiteral("tcbAmb18"));
    press(Qt::Key_Backtab);
    press(Qt::Key_Backtab);
    EXPECT_EQ(QApplication::focusWidget(), last);

    // Space presses the focused free table: the pick list offers the area's
    // tables and the pick lands on that button, as a tap would.
    host->picks.push_back({QStringLiteral("NRMESA"), QStringLiteral("3")});
    press(Qt::Key_Space);
    ASSERT_EQ(host->pickCalls.size(), 1);
    EXPECT_EQ(host->pickCalls[0].dataset, QStringLiteral("cdsMesas"));
    EXPECT_EQ(last->text(), QStringLiteral("Mesa 3"));
    EXPECT_EQ(readButtons(form)[last->objectName()].name, QStringLiteral("Mesa 3, página 1, Salão Principal"));
    // Enter alone presses too (the pick list is cancelled here).
    press(Qt::Key_Right);
    press(Qt::Key_Return);
    EXPECT_EQ(host->pickCalls.size(), 2);

    // The screen's own keys keep their meaning while a button has the focus.
    press(Qt::Key_F7);
    EXPECT_TRUE(boExcluir);
    press(Qt::Key_F2);
    EXPECT_FALSE(boExcluir);
    press(Qt::Key_B);
    EXPECT_EQ(form->NrPagina, 2);
}

// A tap moves the focus without showing it; Enter and Space then only show
// where it is, and never press a button the operator did not choose.
TEST_P(Accessibility, AKeyAfterATapPressesOnlyWhatTheOperatorSees)
{
    placeArea("01", "SAL", "Salão Principal");
    placeTable("01", "1", "01", "1", "Mesa 1");
    placeArea("02", "VAR", "Varanda");
    placeTable("01", "1", "02", "10", "Varanda 10");
    openScreen();
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form));

    click(area(2));
    press(Qt::Key_F7);
    click(table(1));
    EXPECT_EQ(focusedName(), QStringLiteral("tcb01"));
    for (const Qt::Key k : {Qt::Key_Return, Qt::Key_Space})
        press(k); // the first shows the ring on the tapped table; the second presses it again: no change
    ASSERT_EQ(form->cdsAlteracoes.RecordCount(), 1);
    press(Qt::Key_Return, Qt::ControlModifier);
    EXPECT_EQ(count("SELECT COUNT(*) FROM ITMENUCONFTE WHERE CDIDENTBUTON IN ('SAL', '1')"), 2);
    EXPECT_EQ(count("SELECT COUNT(*) FROM ITMENUCONFTE WHERE CDIDENTBUTON = '10'"), 0);

    // At start-up too, the first Enter only shows the ring on the selected area.
    closeScreen();
    openScreen();
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form));
    press(Qt::Key_F7);
    press(Qt::Key_Return);
    EXPECT_TRUE(form->cdsAlteracoes.IsEmpty());
    EXPECT_EQ(focusedName(), QStringLiteral("tcbAmb01"));
}

// The key a command announces, read as a screen reader reads it, is the
// key its caption shows, and pressed it runs that command.
TEST_P(Accessibility, TheKeyEachCommandAnnouncesRunsIt)
{
    openScreen();
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form));
    // Each command where its button is usable, and what shows it ran (both
    // colour screens are cancelled).
    const std::pair<QAbstractButton*, std::function<bool()>> commands[] = {
        {form->tcbProximo, [&] { return form->NrPagina == 2; }},
        {form->tcbAnterior, [&] { return form->NrPagina == 1; }},
        {form->tcbCorButton, [&] { return host->colourCalls == 1; }},
        {form->tcbCorTexto, [&] { return host->colourCalls == 2; }},
        {form->tcbNome, [&] { return boMudaNome; }},
        {form->tcbCancela, [&] { return !boMudaNome; }},
        {form->tcbLimpar, [&] { return boExcluir; }},
        {form->tcbConfirma, [&] { return !boExcluir; }},
        {form->tcbSair, [&] { return !form->isVisible(); }},
    };
    for (const auto& [command, ran] : commands) {
        SCOPED_TRACE(command->objectName().toStdString());
        ASSERT_TRUE(command->isEnabled() && command->isVisible());
        QAccessibleActionInterface* actions = QAccessible::queryAccessibleInterface(command)->actionInterface();
        ASSERT_NE(actions, nullptr);
        const QStringList announced = actions->keyBindingsForAction(QAccessibleActionInterface::pressAction());
        ASSERT_EQ(announced.size(), 1);
        EXPECT_TRUE(command->text().startsWith(announced[0])) << announced[0].toStdString();
        const QKeySequence keys = QKeySequence::fromString(announced[0], QKeySequence::PortableText);
        ASSERT_EQ(keys.count(), 1) << announced[0].toStdString();
        press(keys[0].key(), keys[0].keyboardModifiers());
        EXPECT_TRUE(ran()) << announced[0].toStdString();
    }
}

QDL_FORM_SUITE(Accessibility);

} // namespace

QDL_TEST_MAIN()
