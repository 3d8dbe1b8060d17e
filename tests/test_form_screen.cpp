// The screen as it opens and pages: layout, menus, command enabling,
// cursors, and the local parameters file.

#include <QUrl>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QScopeGuard>
#include <QTemporaryDir>

#include "Srv_qdl00005.h"
#include "connection.h"
#include "errors.h"
#include "formfixture.h"
#include "process.h"
#include "screensession.h"
#include "testmain.h"

namespace {

class ScreenTest : public FormTest {};

TEST_P(ScreenTest, LayoutPlacesEveryControlWhereTheScreenExpectsIt)
{
    openScreen();
    EXPECT_EQ(form->size(), QSize(800, 600));
    EXPECT_TRUE(form->windowFlags() & Qt::FramelessWindowHint);
    EXPECT_FALSE(form->mask().isEmpty());
    EXPECT_FALSE(form->mask().contains(QPoint(1, 1))); // rounded corner clipped
    EXPECT_TRUE(form->mask().contains(QPoint(400, 300)));

    EXPECT_EQ(table(1)->geometry(), QRect(143, 202, 77, 50));
    EXPECT_EQ(table(14)->geometry().top(), 254);
    EXPECT_EQ(table(15)->geometry().top(), 255);
    EXPECT_EQ(table(16)->geometry().top(), 255);
    EXPECT_EQ(table(48)->geometry(), QRect(697, 462, 77, 50));
    EXPECT_EQ(area(7)->geometry(), QRect(140, 99, 100, 40));
    EXPECT_EQ(strip(18)->geometry(), QRect(140 + 107 * 5, 142, 100, 12));
    EXPECT_EQ(form->tcbConfirma->text(), QStringLiteral("Ctrl+Enter\n\rConfirmar"));
    EXPECT_EQ(form->tcbLimpar->geometry(), QRect(13, 240, 110, 62));

    // Operations find buttons by building their names.
    EXPECT_EQ(form->FindComponent("tcb49"), nullptr);
    EXPECT_EQ(form->FindComponent("tcb00"), nullptr);
    EXPECT_EQ(form->FindComponent("tcbAmb19"), nullptr);
    EXPECT_EQ(form->FindComponent("tcb7"), nullptr);
    EXPECT_EQ(form->FindComponent("tcb007"), nullptr);
    EXPECT_EQ(form->FindComponent("panAmb05")->objectName(), QStringLiteral("panAmb05"));
}

TEST_P(ScreenTest, StartUpShowsStoredAreasAndTheTablesOfAreaOnePageOne)
{
    placeArea("01", "SAL", "Salão", 255, 65280);
    placeArea("03", "VAR", "Varanda");
    placeTable("01", "1", "01", "1", "Mesa 1", 16777215, 32768);
    placeTable("05", "1", "01", "2", "Mesa 2");
    placeTable("02", "2", "01", "3", "Mesa 3");   // another page
    placeTable("04", "1", "03", "10", "Varanda 10"); // another area
    openScreen();

    EXPECT_EQ(stCdfilial, QStringLiteral("9999"));
    EXPECT_EQ(stNrConf, QStringLiteral("00001"));
    EXPECT_EQ(form->stCdLojaAber, QStringLiteral("00001"));
    EXPECT_EQ(form->stNrFocusAmb, QStringLiteral("01"));
    EXPECT_EQ(form->stCdAmb, QStringLiteral("SAL"));
    EXPECT_EQ(form->NrPagina, 1);
    EXPECT_EQ(form->lblPagina->text(), QStringLiteral("1"));
    EXPECT_EQ(form->lblConfig->text(), QStringLiteral("Configuração de Mesa"));
    EXPECT_EQ(form->lblMensagem->text(),
              QStringLiteral("Clique em um dos botões desta tela para associar ambientes e suas mesas."));

    EXPECT_EQ(area(1)->text(), QStringLiteral("Salão"));
    EXPECT_EQ(area(1)->Color(), 255);
    EXPECT_EQ(area(1)->FontColor(), 65280);
    EXPECT_EQ(strip(1)->Color(), 255);
    EXPECT_EQ(area(3)->text(), QStringLiteral("Varanda"));
    EXPECT_EQ(area(2)->text(), QStringLiteral(" "));
    EXPECT_EQ(area(2)->Color(), 11571344);
    for (int n = 1; n <= 18; ++n)
        EXPECT_EQ(strip(n)->isHidden(), n != 1) << n;

    EXPECT_EQ(table(1)->text(), QStringLiteral("Mesa 1"));
    EXPECT_EQ(table(1)->Color(), 32768);
    EXPECT_EQ(table(1)->FontColor(), 16777215);
    EXPECT_EQ(table(1)->glyph().cacheKey(), form->imgLivre->pixmap().cacheKey());
    EXPECT_EQ(table(5)->text(), QStringLiteral("Mesa 2"));
    for (int n : {2, 3, 4, 6, 48})
        EXPECT_TRUE(isFreeTable(n)) << n;

    EXPECT_EQ(form->cdsControleAmb.RecordCount(), 2);
    EXPECT_TRUE(form->cdsAlteracoes.IsEmpty());
    EXPECT_TRUE(form->tcbAnterior->isHidden());
    EXPECT_FALSE(form->tcbProximo->isHidden());
    EXPECT_TRUE(form->tcbNome->isEnabled());
    EXPECT_FALSE(form->tcbConfirma->isEnabled());
    EXPECT_FALSE(form->tcbCancela->isEnabled());
    EXPECT_FALSE(boExcluir || boMudaCor || boMudaFonte || boMudaNome);
}

TEST_P(ScreenTest, EmptyConfigurationShowsOnlyFreeButtons)
{
    openScreen();
    for (int n = 1; n <= 18; ++n) {
        EXPECT_EQ(area(n)->text(), QStringLiteral(" "));
        EXPECT_EQ(area(n)->Color(), 11571344);
        EXPECT_EQ(area(n)->FontColor(), 0);
    }
    for (int n = 1; n <= 48; ++n)
        EXPECT_TRUE(isFreeTable(n)) << n;
    EXPECT_TRUE(form->cdsControleAmb.IsEmpty());
    EXPECT_TRUE(form->stCdAmb.isEmpty());
}

TEST_P(ScreenTest, PagingRebuildsTheGridAndShowsThePreviousButtonAwayFromPageOne)
{
    placeArea("01", "SAL", "Salão");
    placeTable("03", "2", "01", "3", "Mesa 3");
    placeTable("07", "10", "01", "4", "Mesa 4");
    openScreen();

    click(form->tcbProximo);
    EXPECT_EQ(form->NrPagina, 2);
    EXPECT_EQ(form->lblPagina->text(), QStringLiteral("2"));
    EXPECT_FALSE(form->tcbAnterior->isHidden());
    EXPECT_EQ(table(3)->text(), QStringLiteral("Mesa 3"));
    EXPECT_TRUE(host->serviceCalls.contains("getPesqMesas:9999-00001-2-01"));

    click(form->tcbAnterior);
    EXPECT_EQ(form->NrPagina, 1);
    EXPECT_TRUE(form->tcbAnterior->isHidden());
    EXPECT_TRUE(isFreeTable(3));

    for (int i = 0; i < 9; ++i)
        typeChar('b');
    EXPECT_EQ(form->NrPagina, 10);
    EXPECT_EQ(form->lblPagina->text(), QStringLiteral("10"));
    EXPECT_EQ(host->serviceCalls.last(), QStringLiteral("getPesqMesas:9999-00001-10-01"));
    EXPECT_EQ(table(7)->text(), QStringLiteral("Mesa 4"));
    typeChar('A');
    EXPECT_EQ(form->NrPagina, 9);
    EXPECT_TRUE(isFreeTable(7));
}

TEST_P(ScreenTest, StoredNumbersThatNameNoButtonAreSkipped)
{
    placeArea("19", "SAL", "Fora");
    placeTable("49", "1", "01", "1", "Fora");
    placeTable("7", "1", "01", "2", "Um dígito");
    openScreen();
    for (int n = 1; n <= 18; ++n)
        EXPECT_EQ(area(n)->text(), QStringLiteral(" "));
    for (int n = 1; n <= 48; ++n)
        EXPECT_TRUE(isFreeTable(n));
    // The row still counts as a placed area.
    EXPECT_EQ(form->cdsControleAmb.RecordCount(), 1);
}

// What the operator can reach in each editing mode, entered through the
// commands themselves: a mode leaves on only its own command (to go on with
// it), Cancel, and Confirm where changes wait for it (colours and clears;
// renames are written at once); paging waits until the mode ends.
TEST_P(ScreenTest, EditingModesLeaveOnlyTheirOwnCommandConfirmAndCancel)
{
    openScreen();
    const QList<TBlendedBitBtn*> modes = {form->tcbNome, form->tcbCorButton, form->tcbCorTexto, form->tcbLimpar};
    const auto expectIdle = [&](const char* when) {
        for (TBlendedBitBtn* b : modes)
            EXPECT_TRUE(b->isEnabled()) << when << " " << b->objectName().toStdString();
        EXPECT_FALSE(form->tcbConfirma->isEnabled()) << when;
        EXPECT_FALSE(form->tcbCancela->isEnabled()) << when;
        EXPECT_FALSE(form->tcbProximo->isHidden()) << when;
        EXPECT_EQ(form->tcbAnterior->isHidden(), form->NrPagina == 1) << when;
        EXPECT_TRUE(form->tcbSair->isEnabled()) << when;
    };
    const auto expectMode = [&](TBlendedBitBtn* own, bool confirmable) {
        const std::string name = own->objectName().toStdString();
        for (TBlendedBitBtn* b : modes)
            EXPECT_EQ(b->isEnabled(), b == own) << name << " mode, " << b->objectName().toStdString();
        EXPECT_EQ(form->tcbConfirma->isEnabled(), confirmable) << name << " mode";
        EXPECT_TRUE(form->tcbCancela->isEnabled()) << name << " mode";
        EXPECT_TRUE(form->tcbProximo->isHidden()) << name << " mode";
        EXPECT_TRUE(form->tcbAnterior->isHidden()) << name << " mode";
        EXPECT_TRUE(form->tcbSair->isEnabled()) << name << " mode";
    };
    expectIdle("opened");

    click(form->tcbNome);
    ASSERT_TRUE(boMudaNome);
    expectMode(form->tcbNome, false);
    click(form->tcbLimpar); // off: the tap changes nothing
    EXPECT_TRUE(boMudaNome);
    EXPECT_FALSE(boExcluir);
    click(form->tcbCancela);
    expectIdle("rename cancelled");

    click(form->tcbLimpar);
    ASSERT_TRUE(boExcluir);
    expectMode(form->tcbLimpar, true);
    click(form->tcbCancela);
    expectIdle("clear cancelled");

    host->colours.push_back(QStringLiteral("255"));
    click(form->tcbCorButton);
    ASSERT_TRUE(boMudaCor);
    expectMode(form->tcbCorButton, true);
    host->colours.push_back(QStringLiteral("65280"));
    click(form->tcbCorButton); // another colour, same mode
    expectMode(form->tcbCorButton, true);
    click(form->tcbCancela);
    expectIdle("colour cancelled");

    host->colours.push_back(QStringLiteral("0"));
    click(form->tcbCorTexto);
    ASSERT_TRUE(boMudaFonte);
    expectMode(form->tcbCorTexto, true);
    click(form->tcbCancela);

    // A colour choice abandoned from the idle screen starts no mode.
    host->colours.push_back(QStringLiteral("X"));
    click(form->tcbCorTexto);
    EXPECT_FALSE(boMudaFonte);
    expectIdle("text colour abandoned");

    // Away from page one the previous-page command shows as well.
    typeChar('b');
    typeChar('b');
    ASSERT_EQ(form->NrPagina, 3);
    expectIdle("page 3");
    click(form->tcbLimpar);
    expectMode(form->tcbLimpar, true);
    click(form->tcbCancela);
    expectIdle("page 3, clear cancelled");

    // Unknown letters change nothing.
    form->tcbConfirma->setEnabled(true);
    form->ControlaHabilitacao("X");
    form->ControlaHabilitacao("");
    form->ControlaHabilitacao("h");
    EXPECT_TRUE(form->tcbConfirma->isEnabled());
    EXPECT_TRUE(form->tcbSair->isEnabled());
}

TEST_P(ScreenTest, MudaCursorSetsTheMenuButtonsOnly)
{
    openScreen();
    form->MudaCursor("1");
    EXPECT_EQ(table(48)->cursor().shape(), Qt::PointingHandCursor);
    EXPECT_EQ(area(18)->cursor().shape(), Qt::PointingHandCursor);
    EXPECT_EQ(strip(1)->cursor().shape(), Qt::ArrowCursor);
    EXPECT_EQ(form->tcbNome->cursor().shape(), Qt::ArrowCursor);
    form->MudaCursor("0");
    EXPECT_EQ(table(1)->cursor().shape(), Qt::ArrowCursor);
    form->MudaCursor("");
    EXPECT_EQ(area(1)->cursor().shape(), Qt::PointingHandCursor);
}

TEST_P(ScreenTest, WithoutParametersFileTheDefaultSchemeReachesColoreTela)
{
    openScreen();
    const QVariantList scheme = form->property("qdlColorScheme").toList();
    ASSERT_EQ(scheme.size(), 6);
    const int expected[] = {12960962, 14737632, 8683643, 8421504, 15658734, 8388608};
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(scheme[i].toInt(), expected[i]) << i;
}

// Beside the program (as in a build), else in the configuration folders (an
// installed terminal, the program in /usr/bin).
TEST_P(ScreenTest, ParametersFileSuppliesTheScheme)
{
    QTemporaryDir config;
    ASSERT_TRUE(config.isValid());
    const QByteArray oldConfig = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    const auto restore = qScopeGuard([&] { qputenv("XDG_CONFIG_HOME", oldConfig); });
    for (const QString& place : {exeDir.filePath("PARAMETROSQDL.CDS"), config.filePath("quadrel/PARAMETROSQDL.CDS")}) {
        SCOPED_TRACE(place.toStdString());
        QDir().mkpath(QFileInfo(place).path());
        QFile f(place);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(R"(<?xml version="1.0" standalone="yes"?>
<DATAPACKET Version="2.0"><METADATA><FIELDS>
<FIELD attrname="INCOR1" fieldtype="i4"/><FIELD attrname="INCOR2" fieldtype="i4"/>
<FIELD attrname="INCOR3" fieldtype="i4"/><FIELD attrname="INCOR4" fieldtype="i4"/>
<FIELD attrname="INCOR5" fieldtype="i4"/><FIELD attrname="INCOR6" fieldtype="i4"/>
</FIELDS><PARAMS/></METADATA><ROWDATA>
<ROW INCOR1="1" INCOR2="2" INCOR3="3" INCOR4="" INCOR5="5" INCOR6="16777215"/>
<ROW INCOR1="9" INCOR2="9" INCOR3="9" INCOR4="9" INCOR5="9" INCOR6="9"/>
</ROWDATA></DATAPACKET>)");
        f.close();
        openScreen();
        const QVariantList scheme = form->property("qdlColorScheme").toList();
        ASSERT_EQ(scheme.size(), 6);
        const int expected[] = {1, 2, 3, 0, 5, 16777215}; // first record; an empty field reads 0
        for (int i = 0; i < 6; ++i)
            EXPECT_EQ(scheme[i].toInt(), expected[i]) << i;
        closeScreen();
        QFile::remove(place);
    }
}

TEST_P(ScreenTest, BrokenParametersFileStopsStartUpWithAClearError)
{
    // Each file and what its message must name so the operator can mend it:
    // the missing field, or the file that cannot be read as a data packet.
    const std::pair<QByteArray, QString> files[] = {
        {R"(<DATAPACKET><METADATA><FIELDS><FIELD attrname="INCOR1" fieldtype="i4"/><FIELD attrname="INCOR2" fieldtype="i4"/><FIELD attrname="INCOR3" fieldtype="i4"/><FIELD attrname="INCOR4" fieldtype="i4"/><FIELD attrname="INCOR5" fieldtype="i4"/></FIELDS></METADATA><ROWDATA><ROW INCOR1="1"/></ROWDATA></DATAPACKET>)",
         QStringLiteral("INCOR6")},
        {R"(<DATAPACKET><METADATA><FIELDS><FIELD attrname="INCOR1")", // malformed XML
         exeDir.filePath("PARAMETROSQDL.CDS")},
        {"INCOR1=1\n", exeDir.filePath("PARAMETROSQDL.CDS")}, // not a data packet
    };
    for (const auto& [content, cause] : files) {
        QFile f(exeDir.filePath("PARAMETROSQDL.CDS"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(content);
        f.close();
        form = new TfrmConfMesa(nullptr);
        try {
            form->InicializaForm({}, -1);
            ADD_FAILURE() << "start-up went on with " << content.toStdString();
        } catch (const EQdlError& e) {
            EXPECT_TRUE(e.message().contains(cause)) << e.message().toStdString();
        }
        closeScreen();
    }
}

// ---- the screen outside a FormTest (drills, outage tests) -----------------------

// A session must leave nothing behind: the next one, in the same process,
// would otherwise meet the last one's screen, data module or database.
TEST(ScreenSession, OpensTheScreenOnItsDatabaseAndLeavesNothingBehind)
{
    QDL_REQUIRE_BACKEND(QStringLiteral("sqlite"));
    TestDatabase db = TestDatabase::create(QStringLiteral("sqlite"));
    const QString connectionBefore = _GetStringConexQdl({});
    QString sessionDir;
    {
        ScreenSession s(db.connectionString);
        EXPECT_EQ(_GetStringConexQdl({}), db.connectionString);
        sessionDir = hostExecutableDir();
        EXPECT_TRUE(QDir(sessionDir).exists());
        ASSERT_TRUE(startScreen(s.form));
        EXPECT_EQ(frmConfMesa, s.form);
        ASSERT_NE(rdmConfMesa, nullptr);
        s.click(s.form->tcbProximo);
        EXPECT_EQ(s.form->NrPagina, 2);
    }
    EXPECT_EQ(frmConfMesa, nullptr);
    EXPECT_EQ(rdmConfMesa, nullptr);
    EXPECT_EQ(_GetStringConexQdl({}), connectionBefore);
    EXPECT_NE(hostExecutableDir(), sessionDir);
    db.drop();
}

TEST_P(ScreenTest, ARoleOfOtherBranchesIsToldWhyAtStartUpNotThatNoAreaIsRegistered)
{
    if (!db->isPostgres())
        GTEST_SKIP() << "roles are PostgreSQL's";
    db->grantTerminalBranches({QStringLiteral("0001")});
    ASSERT_TRUE(startScreen(form)); // the messages of start-up kept
    QDeadlineTimer bound(5000);
    while (host->messages.isEmpty() && !bound.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    ASSERT_EQ(host->messages.size(), 1);
    const QString said = host->messages[0].text;
    const QString role = QUrl(db->connectionString).userName();
    EXPECT_TRUE(said.contains(role) && said.contains(QStringLiteral("--grant-terminal %1 --branch 0001,9999").arg(role)))
        << said.toStdString();
    EXPECT_FALSE(area(1)->isEnabled());
    EXPECT_FALSE(table(1)->isEnabled());
}

} // namespace

QDL_FORM_SUITE(ScreenTest);

QDL_TEST_MAIN()
