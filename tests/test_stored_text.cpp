// Stored values are data, never commands: control characters in what the
// layout check prints and in operator messages are escaped, a caption
// longer than its column is cut where it is read, and a stored colour that
// is no colour is refused on the message line and named by the check. On
// SQLite and PostgreSQL, where another program wrote what the screen would
// not.

#include <QFileInfo>
#include <QProcess>
#include <cmath>
#include <limits>

#include "Srv_qdl00005.h"
#include "errors.h"
#include "formfixture.h"
#include "hostprogram.h"
#include "messages.h"
#include "screensession.h"
#include "storedvalues.h"
#include "testmain.h"

namespace {

class StoredText : public FormTest {
protected:
    // The backend's function for a character by its code.
    QString chr(int code) const
    {
        const QString function = db->isPostgres() ? QStringLiteral("chr") : QStringLiteral("char");
        return QStringLiteral("%1(%2)").arg(function).arg(code);
    }

    // The caption of the area button 01 and of the table button 01 made
    // longer than DSBUTTON's 40 characters, as a program that went past
    // the schema writes it: SQLite without its checks, a column widened.
    void storeOverlongCaptions(const QString& start, int pairs)
    {
        if (db->isPostgres())
            exec("ALTER TABLE ITMENUCONFTE ALTER COLUMN DSBUTTON TYPE TEXT");
        else
            exec("PRAGMA ignore_check_constraints = ON");
        const QString filler = db->isPostgres() ? QStringLiteral("repeat('ab', %1)").arg(pairs)
                                                : QStringLiteral("replace(hex(zeroblob(%1)), '00', 'ab')").arg(pairs);
        exec(QStringLiteral("UPDATE ITMENUCONFTE SET DSBUTTON = '%1' || %2 WHERE NRBUTTON = '01'").arg(start, filler));
    }
};

TEST_P(StoredText, CheckPrintsControlCharactersOfStoredCodesEscaped)
{
    placeArea("01", "SAL", "Salão");
    placeArea("02", "X", "Varanda");
    placeTable("01", "1", "01", "1", "Mesa 1");
    // ESC ] 0 ; t BEL (retitles the terminal) ESC [ 2 J (clears it): ten
    // characters, as wide as the code's column; and CSI, the C1 control.
    exec(QStringLiteral("UPDATE ITMENUCONFTE SET CDIDENTBUTON = %1 || ']0;t' || %2 || %1 || '[2J' "
                        "WHERE IDTPBUTTON = '4' AND NRBUTTON = '02'")
             .arg(chr(27), chr(7)));
    exec(QStringLiteral("UPDATE ITMENUCONFTE SET CDIDENTBUTON = %1 || '2J' WHERE IDTPBUTTON = '3'").arg(chr(0x9b)));

    QProcess p;
    p.start(qEnvironmentVariable("QDL_BUILD_DIR") + QStringLiteral("/bin/qdl-host"),
            {"--lang", "pt", "--database", db->connectionString, "--check"});
    ASSERT_TRUE(p.waitForFinished(60000)) << "qdl-host --check did not finish";
    const QByteArray out = p.readAllStandardOutput();
    EXPECT_EQ(p.exitCode(), 1) << out.toStdString();
    // Both codes are named, as text.
    EXPECT_TRUE(out.contains(R"("\x1b]0;t\x07\x1b[2J")")) << out.toStdString();
    EXPECT_TRUE(out.contains(R"("\x9b2J")")) << out.toStdString();
    for (const char control : {'\x1b', '\x07'})
        EXPECT_FALSE(out.contains(control)) << int(control) << " printed raw:\n" << out.toStdString();
    EXPECT_FALSE(out.contains("\xc2\x9b")) << "CSI printed raw:\n" << out.toStdString();
}

TEST_P(StoredText, OverlongCaptionIsShownAndReadCutToItsColumn)
{
    placeArea("01", "SAL", "Salão");
    placeTable("01", "1", "01", "1", "Mesa 1");
    storeOverlongCaptions(QStringLiteral("Salão "), 500000); // a megabyte
    const QString shown = QStringLiteral("Salão ") + QStringLiteral("ab").repeated(17); // 40 characters
    ASSERT_EQ(shown.size(), 40);

    openScreen();
    EXPECT_EQ(area(1)->text(), shown);
    EXPECT_EQ(table(1)->text(), shown);

    // The services hand over no more than the column holds.
    ServiceResult areas, tables;
    ASSERT_EQ(getPesqAmbientes("9999", "00001", areas), 0);
    ASSERT_EQ(getPesqMesas("9999", "00001", "1", "01", tables), 0);
    for (const ServiceResult* r : {&areas, &tables}) {
        const DataPacket p = r->toPacket();
        ASSERT_EQ(p.rows.size(), 1);
        EXPECT_EQ(p.rows[0][p.columnIndex("DSBUTTON")].toString(), shown);
    }
}

TEST_P(StoredText, ColourThatIsNoColourIsRefusedWithAMessage)
{
    placeArea("01", "SAL", "Salão");
    placeTable("01", "1", "01", "1", "Mesa 1");
    placeTable("02", "1", "01", "2", "Mesa 2");
    // SQLite keeps a REAL of 1e300 in the column; PostgreSQL once the
    // column is widened by hand to a double.
    if (db->isPostgres())
        exec("ALTER TABLE ITMENUCONFTE ALTER COLUMN NRCOLORBACK TYPE DOUBLE PRECISION");
    exec("UPDATE ITMENUCONFTE SET NRCOLORBACK = 1e300 WHERE IDTPBUTTON = '4'");
    exec("UPDATE ITMENUCONFTE SET NRCOLORTEXT = -1 WHERE IDTPBUTTON = '3' AND NRBUTTON = '01'");
    exec("UPDATE ITMENUCONFTE SET NRCOLORBACK = 16777216 WHERE IDTPBUTTON = '3' AND NRBUTTON = '02'");

    // A table row whose number names no button of the screen is left out
    // and said too.
    insertButton({"3", "zz", "1", "4", "01", "1", "3", "Mesa 3"});

    ASSERT_TRUE(startScreen(form)); // the screen opens, no message box in its way
    EXPECT_TRUE(host->messages.isEmpty()) << host->messageTexts().join('\n').toStdString();
    EXPECT_TRUE(form->lblMensagem->text().startsWith(QStringLiteral("A tela não mostra 4 valor"))) << form->lblMensagem->text().toStdString();
    const QString told = form->lblMensagem->toolTip();
    EXPECT_TRUE(told.contains(QStringLiteral("botão de ambiente 01, cor de fundo (NRCOLORBACK): 1e+300")))
        << told.toStdString();
    EXPECT_TRUE(told.contains(QStringLiteral("mesa 01, página 1 do botão de ambiente 01, "
                                             "cor do texto (NRCOLORTEXT): -1")))
        << told.toStdString();
    EXPECT_TRUE(told.contains(QStringLiteral("mesa 02, página 1 do botão de ambiente 01, "
                                             "cor de fundo (NRCOLORBACK): 16777216")))
        << told.toStdString();
    EXPECT_TRUE(told.contains(QStringLiteral("botão de mesa zz, página 1 do botão de ambiente 01: não há esse botão na tela")))
        << told.toStdString();
    // The buttons show the colours of a button just placed.
    EXPECT_EQ(area(1)->Color(), 11571344);
    EXPECT_EQ(strip(1)->Color(), 11571344);
    EXPECT_EQ(table(1)->FontColor(), 0);
    EXPECT_EQ(table(2)->Color(), 11571344);
    EXPECT_EQ(table(1)->Color(), 11571344); // the sound colour of the same row stays
    // Told once: the menu built again leaves the line to what came after.
    form->lblMensagem->setText(QStringLiteral("depois"));
    form->MontaMenuMesa();
    EXPECT_EQ(form->lblMensagem->text(), QStringLiteral("depois"));
}

// A picture of the screen is taken and the program ends as with a sound
// layout; the check names the button.
TEST_P(StoredText, AColourOutOfRangeLeavesTheScreenshotToEndAndIsNamedByTheCheck)
{
    placeArea("01", "SAL", "Salão");
    exec("UPDATE ITMENUCONFTE SET NRCOLORBACK = -1 WHERE IDTPBUTTON = '4'");
    QTemporaryDir dir;
    const QString picture = dir.filePath("screen.png");
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    const HostRun shot = runHostProgram(env, {"--lang", "pt", "--database", db->connectionString, "--screenshot", picture});
    EXPECT_EQ(shot.status, 0) << shot.err.toStdString();
    EXPECT_GT(QFileInfo(picture).size(), 0);

    const HostRun check = runHostProgram(env, {"--lang", "pt", "--database", db->connectionString, "--check"});
    EXPECT_EQ(check.status, 1) << check.out.toStdString();
    EXPECT_TRUE(check.out.contains(QStringLiteral("botão de ambiente \"01\" (ambiente \"SAL\"): cor do fundo (NRCOLORBACK) -1 "
                                                  "fora do intervalo de 0 a 16777215.")))
        << check.out.toStdString();
}

QDL_FORM_SUITE(StoredText);

// NaN and the infinities, which the databases do not hand over as such
// today, are no colour either; a fractional part is dropped.
TEST(StoredTextColours, OnlyWholeColoursFromBlackToWhiteAreTaken)
{
    constexpr double inf = std::numeric_limits<double>::infinity();
    for (const double no : {std::nan(""), inf, -inf, -1.0, -0.5, 16777216.0, 1e300})
        EXPECT_EQ(storedColour(no), std::nullopt) << no;
    EXPECT_EQ(storedColour(0.0), 0);
    EXPECT_EQ(storedColour(16777215.9), 16777215);
}

// A service's failure names its arguments (captions, names) in the message:
// they come to the operator on one line, their control characters escaped;
// the message's own lines stay.
TEST(StoredTextMessages, ServiceFailureShowsArgumentsEscaped)
{
    ScriptedHost host;
    const QString arguments = QStringLiteral("9999-00001-01-1-\x1b[2J\nMesa");
    EXPECT_THROW(MensagemMetodo(ServiceResult::error(QStringLiteral("recusado")), true, 0,
                                QStringLiteral("getMudaNome"), QStringLiteral("Cli_Qdl00005"), arguments, QString()),
                 EAbort);
    ASSERT_EQ(host.messages.size(), 1);
    const QString text = host.messages[0].text;
    EXPECT_TRUE(text.contains(QStringLiteral(R"(9999-00001-01-1-\x1b[2J\x0aMesa)"))) << text.toStdString();
    EXPECT_EQ(text.count(QLatin1Char('\n')), 2) << text.toStdString();
    EXPECT_FALSE(text.contains(QChar(0x1b))) << text.toStdString();
}

// A caption holding RLO would print "Mesa 1 etiS" as "Mesa Site 1": each
// bidirectional embedding, override and isolate is shown by its code; the
// characters either side of their ranges stay as they are.
TEST(StoredTextMessages, BidirectionalControlsAreShownByTheirCodes)
{
    EXPECT_EQ(printableText(u"Mesa \u202E1 etiS\u202C"), QStringLiteral(R"(Mesa \u202e1 etiS\u202c)"));
    EXPECT_EQ(printableText(u"\u202A\u202B\u202D\u2066\u2067\u2068\u2069"),
              QStringLiteral(R"(\u202a\u202b\u202d\u2066\u2067\u2068\u2069)"));
    const QString neighbours = QStringLiteral(u"\u2029\u202F\u2065\u206A");
    EXPECT_EQ(printableText(neighbours), neighbours);
}

} // namespace

QDL_TEST_MAIN()
