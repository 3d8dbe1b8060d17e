// Hostile captions: quotes, semicolons, SQL, accents, emoji, exactly forty
// characters. Typed on the keyboard and saved by a rename on the real form,
// each is stored whole and reads back the same, on SQLite and PostgreSQL. A
// longer caption is stopped, in view, on the keyboard itself, and one that
// reaches the database by another way is refused, never cut.

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>

#include "dialogs/keyboard.h"
#include "formfixture.h"
#include "siblings.h"
#include "testmain.h"

namespace {

const QString kFortyAccented = QStringLiteral("Área externa à beira da piscina coberta!");
const QString kFortyWithEmoji = QStringLiteral("🍷 Vinhos & Petiscos — Salão de Festas !");

QStringList hostileCaptions()
{
    return {
        QStringLiteral("O'Brien \"VIP\" \\ mesa"),
        QStringLiteral("Mesa 1'; DROP TABLE ITMENUCONFTE; --"),
        QStringLiteral("' OR '1'='1"),
        QStringLiteral("x'); DELETE FROM MESA WHERE ('1'='1"),
        QStringLiteral("%s %d %n {0} $1 :P_DSBUTTON ? \\x00"),
        QStringLiteral("Ação çãõ ÉÍÓÚ ñ ü ß"),
        QStringLiteral("Vinho 🍷 e massa 🍝"),
        QStringLiteral("  espaços  à volta  "),
        kFortyAccented,
        kFortyWithEmoji,
    };
}

class InputTest : public FormTest {
protected:
    void SetUp() override
    {
        FormTest::SetUp();
        if (HasFatalFailure() || IsSkipped())
            return;
        placeArea("01", "SAL", "Salão");
        placeTable("01", "1", "01", "1", "Mesa 1");
    }
    QString storedTableCaption()
    {
        return value("SELECT DSBUTTON FROM ITMENUCONFTE WHERE IDTPBUTTON = '3' AND CDIDENTBUTON = '1'");
    }
    QString storedAreaCaption()
    {
        return value("SELECT DSBUTTON FROM ITMENUCONFTE WHERE IDTPBUTTON = '4' AND CDIDENTBUTON = 'SAL'");
    }
    void rename(QWidget* button, const QString& caption)
    {
        key(Qt::Key_F3);
        host->typed.push_back(caption);
        click(button);
    }
};

TEST_P(InputTest, HostileCaptionsAreStoredWholeAndReadBackTheSame)
{
    ASSERT_EQ(kFortyAccented.size(), 40);
    ASSERT_EQ(kFortyWithEmoji.size(), 40); // UTF-16 units, as the keyboard counts them
    openScreen();
    const int areasBefore = count("SELECT COUNT(*) FROM SALA");
    const int tablesBefore = count("SELECT COUNT(*) FROM MESA");
    for (const QString& caption : hostileCaptions()) {
        SCOPED_TRACE(caption.toStdString());
        host->clearRecords();
        rename(table(1), caption);
        rename(area(1), caption);
        EXPECT_TRUE(host->messages.isEmpty()) << host->messageTexts().join('\n').toStdString();
        EXPECT_EQ(storedTableCaption(), caption);
        EXPECT_EQ(storedAreaCaption(), caption);
        // Read back by a screen opened afresh.
        closeScreen();
        openScreen();
        EXPECT_EQ(table(1)->text(), caption);
        EXPECT_EQ(area(1)->text(), caption);
    }
    EXPECT_EQ(count("SELECT COUNT(*) FROM ITMENUCONFTE"), 2);
    EXPECT_EQ(count("SELECT COUNT(*) FROM SALA"), areasBefore);
    EXPECT_EQ(count("SELECT COUNT(*) FROM MESA"), tablesBefore);
    std::printf("QDL-FIGURE hostile-captions-%s=%d\n", qPrintable(GetParam()), int(hostileCaptions().size()) * 2);
}

TEST_P(InputTest, HostileTableAndAreaNamesArePlacedWhole)
{
    const QString name = QStringLiteral("D'Ávila; DROP TABLE MESA --");
    exec("INSERT INTO SALA (CDFILIAL, CDSALA, NMSALA, IDSITSALA) VALUES ('9999', 'Q''X', 'Pátio \"O''Hara\"', 'A')");
    exec("INSERT INTO MESA (CDFILIAL, CDLOJA, NRMESA, CDSALA, NMMESA, IDSTMESA, IDSTMESAAUX) "
         "VALUES ('9999', '00001', '7''', 'Q''X', 'D''Ávila; DROP TABLE MESA --', 'A', 'D')");
    openScreen();
    host->picks.push_back({"CDSALA", "Q'X"});
    click(area(2));
    EXPECT_EQ(area(2)->text(), QStringLiteral("Pátio \"O'Hara\""));
    host->picks.push_back({"NRMESA", "7'"});
    click(table(3));
    EXPECT_TRUE(host->messages.isEmpty()) << host->messageTexts().join('\n').toStdString();
    EXPECT_EQ(value("SELECT DSBUTTON FROM ITMENUCONFTE WHERE CDIDENTBUTON = '7'''"), name);
    EXPECT_EQ(value("SELECT NRBUTTONAUX FROM ITMENUCONFTE WHERE CDIDENTBUTON = '7'''"), QStringLiteral("02"));
    closeScreen();
    openScreen();
    click(area(2));
    EXPECT_EQ(table(3)->text(), name);
}

// The real keyboard, worked with real key presses: the forty-first
// character is refused where the operator sees it, so what is saved is what
// was shown.
TEST_P(InputTest, TheKeyboardStopsALongerCaptionInViewAndTheFortyShownAreSaved)
{
    openScreen();
    TecladoAlfaNumerico = runKeyboard;
    const QString typed = QStringLiteral("Mesa do canto junto à janela da varanda sul"); // 43
    QString counterAtEnd, editAtEnd;
    bool keysOff = false;
    QTimer::singleShot(0, [&] {
        QWidget* k = QApplication::activeModalWidget();
        ASSERT_NE(k, nullptr);
        auto* edit = k->findChild<QLineEdit*>("kbdEdit");
        ASSERT_NE(edit, nullptr);
        QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(edit, Qt::Key_Backspace);
        for (const QChar c : typed) {
            if (c.unicode() < 0x80)
                QTest::keyClick(edit, char(c.unicode()));
            else
                QTest::sendKeyEvent(QTest::Click, edit, Qt::Key(c.toUpper().unicode()), QString(c), {});
        }
        editAtEnd = edit->text();
        counterAtEnd = k->findChild<QLabel*>("kbdCounter")->text();
        keysOff = !k->findChild<QWidget*>("key_a")->isEnabled();
        QTest::keyClick(edit, Qt::Key_Return);
    });
    key(Qt::Key_F3);
    click(table(1));
    EXPECT_EQ(editAtEnd, typed.left(40));
    EXPECT_EQ(counterAtEnd, QStringLiteral("40/40"));
    EXPECT_TRUE(keysOff);
    EXPECT_EQ(storedTableCaption(), typed.left(40));
    EXPECT_EQ(table(1)->text(), typed.left(40));
}

// Another host's keyboard might hand over more: the database refuses it on
// both engines, the operator is told, and the stored caption stays whole.
TEST_P(InputTest, ALongerCaptionFromElsewhereIsRefusedNeverCut)
{
    openScreen();
    const QString longer = kFortyAccented + QStringLiteral("x");
    rename(table(1), longer);
    ASSERT_FALSE(host->messages.isEmpty());
    EXPECT_TRUE(host->messages.last().text.contains("getMudaNome")) << host->messages.last().text.toStdString();
    EXPECT_EQ(storedTableCaption(), QStringLiteral("Mesa 1"));
    EXPECT_EQ(table(1)->text(), QStringLiteral("Mesa 1"));
}

} // namespace

QDL_FORM_SUITE(InputTest);

QDL_TEST_MAIN()
