// Many terminals on one layout: the screen shows what other terminals
// commit, and never reports a write that did not happen. The other terminal
// is a data module of its own (its own connection) running the services, or
// plain SQL as a sales terminal writes it.

#include <QDeadlineTimer>
#include <QProcess>
#include <QScopeGuard>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <future>
#include <thread>

#include "Srv_qdl00005.h"
#include "adoconnection.h"
#include "connection.h"
#include "formfixture.h"
#include "siblings.h"
#include "statements.h"
#include "testmain.h"

namespace {

const QString kChangedElsewhere =
    QStringLiteral("Este botão foi mudado em outro terminal; a tela mostra agora o que está gravado.");
constexpr int kBoundMs = 5000;

// Another terminal's data module on its own connection; its calls run with
// it as the module the services use.
class OtherTerminal {
public:
    OtherTerminal()
    {
        TrdmConfMesa* mine = rdmConfMesa;
        m_module = new TrdmConfMesa(nullptr);
        rdmConfMesa = m_module;
        m_module->adcConfigMesa->setConnected(true);
        rdmConfMesa = mine;
    }
    ~OtherTerminal()
    {
        TrdmConfMesa* mine = rdmConfMesa;
        delete m_module;
        rdmConfMesa = mine;
    }
    template <class Call>
    void run(Call&& call)
    {
        TrdmConfMesa* mine = rdmConfMesa;
        rdmConfMesa = m_module;
        call();
        rdmConfMesa = mine;
    }

private:
    TrdmConfMesa* m_module;
};

class TerminalTest : public FormTest {
protected:
    int buttons(const QString& where)
    {
        return count(QStringLiteral("SELECT COUNT(*) FROM ITMENUCONFTE WHERE CDFILIAL = '9999' AND ") + where);
    }
    int menuBuilds() const { return int(host->services().count(QStringLiteral("getPesqAmbientes"))); }
    // The other terminal places table nrmesa on table button number of
    // area button 01, page 1.
    void placeElsewhere(OtherTerminal& other, const QString& number, const QString& nrmesa, const QString& name)
    {
        other.run([&] {
            ServiceResult r;
            ASSERT_EQ(getInsere("9999", "00001", number, name, 0, 11571344, QString(), "1", nrmesa, "3", "4", "01",
                                "1", r),
                      0);
            ASSERT_FALSE(r.isError()) << r.toText().toStdString();
        });
    }
    // Another screen, the real form in a process of its own, runs a drill
    // (qdl-drill) on this database; answers what it said.
    QString otherScreen(const QStringList& drill)
    {
        QProcess p;
        p.start(qEnvironmentVariable("QDL_BUILD_DIR") + QStringLiteral("/bin/qdl-drill"),
                drill + QStringList{QStringLiteral("--database"), db->connectionString});
        EXPECT_TRUE(p.waitForFinished(30000)) << "the other screen hung";
        EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
        return QString::fromUtf8(p.readAllStandardOutput());
    }
};

TEST_P(TerminalTest, AnIdleScreenShowsAnotherTerminalsChangeAndKeepsItsPlace)
{
    placeArea("01", "SAL", "Salão");
    placeArea("02", "VAR", "Varanda");
    placeTable("01", "1", "01", "1", "Mesa 1");
    openScreen();
    click(area(1));
    host->clearRecords();

    OtherTerminal other;
    placeElsewhere(other, "03", "2", "Mesa 2");
    ASSERT_TRUE(QTest::qWaitFor([&] { return table(3)->text() == QLatin1String("Mesa 2"); }, kBoundMs));
    EXPECT_EQ(table(3)->glyph().cacheKey(), form->imgLivre->pixmap().cacheKey());
    EXPECT_EQ(form->stNrFocusAmb, QStringLiteral("01"));
    EXPECT_EQ(form->NrPagina, 1);

    // A sales terminal's or another program's write is seen too.
    exec("UPDATE ITMENUCONFTE SET DSBUTTON = 'Terraço novo' WHERE IDTPBUTTON = '4' AND NRBUTTON = '02'");
    ASSERT_TRUE(QTest::qWaitFor([&] { return area(2)->text() == QStringLiteral("Terraço novo"); }, kBoundMs));
    EXPECT_FALSE(strip(1)->isHidden()); // the selected area stays selected
    EXPECT_EQ(form->stCdAmb, QStringLiteral("SAL"));
}

// Another program puts back what this screen removed (a restore, say): the
// row it writes is the one the screen last read before its own change.
TEST_P(TerminalTest, AWriteThatPutsBackWhatThisScreenChangedIsShown)
{
    placeArea("01", "SAL", "Salão");
    placeTable("01", "1", "01", "1", "Mesa 1");
    openScreen();
    click(area(1));
    key(Qt::Key_F7);
    click(table(1));
    key(Qt::Key_Return, Qt::ControlModifier);
    ASSERT_EQ(buttons("CDIDENTBUTON = '1'"), 0);
    ASSERT_TRUE(isFreeTable(1));

    placeTable("01", "1", "01", "1", "Mesa 1");
    ASSERT_TRUE(QTest::qWaitFor([&] { return table(1)->text() == QLatin1String("Mesa 1"); }, kBoundMs));
}

TEST_P(TerminalTest, ABusyScreenRefreshesWhenItIsIdleAgain)
{
    placeArea("01", "SAL", "Salão");
    placeTable("01", "1", "01", "1", "Mesa 1");
    openScreen();
    click(form->tcbLimpar);
    click(table(1)); // a pending clear: the screen is busy
    ASSERT_TRUE(isFreeTable(1));

    OtherTerminal other;
    placeElsewhere(other, "05", "3", "Mesa 3");
    ASSERT_TRUE(QTest::qWaitFor([&] { return form->refreshPending(); }, kBoundMs));
    EXPECT_TRUE(isFreeTable(1)) << "the pending clear was undone under the operator";
    EXPECT_TRUE(isFreeTable(5));
    EXPECT_EQ(form->cdsAlteracoes.RecordCount(), 1);

    click(form->tcbCancela);
    EXPECT_EQ(table(1)->text(), QStringLiteral("Mesa 1"));
    EXPECT_EQ(table(5)->text(), QStringLiteral("Mesa 3"));
    EXPECT_FALSE(form->refreshPending());
}

TEST_P(TerminalTest, AnotherBranchsChangeLeavesTheScreenAlone)
{
    placeArea("01", "SAL", "Salão");
    openScreen();
    exec("INSERT INTO ITMENUCONFTE (CDFILIAL, NRCONFTELA, IDTPBUTTON, NRBUTTON, CDIDENTBUTON, DSBUTTON, "
         "NRCOLORTEXT, NRCOLORBACK, DSMESSAGEBUT, IDTPBUTONAUX, NRBUTTONAUX, NRPGCONFTELA, NRPGCONFTAUX) "
         "VALUES ('0001', '00001', '4', '01', 'SAL', 'Outra filial', 0, 11571344, '', '0', '0', '1', '0')");
    exec("INSERT INTO ITMENUCONFTE (CDFILIAL, NRCONFTELA, IDTPBUTTON, NRBUTTON, CDIDENTBUTON, DSBUTTON, "
         "NRCOLORTEXT, NRCOLORBACK, DSMESSAGEBUT, IDTPBUTONAUX, NRBUTTONAUX, NRPGCONFTELA, NRPGCONFTAUX) "
         "VALUES ('9999', '00002', '4', '01', 'SAL', 'Outra configuração', 0, 11571344, '', '0', '0', '1', '0')");
    // Then one change of this screen's own configuration: exactly one rebuild follows.
    exec("UPDATE ITMENUCONFTE SET DSBUTTON = 'Salão novo' WHERE CDFILIAL = '9999' AND NRCONFTELA = '00001'");
    ASSERT_TRUE(QTest::qWaitFor([&] { return area(1)->text() == QStringLiteral("Salão novo"); }, kBoundMs));
    EXPECT_EQ(menuBuilds(), 1);
}

TEST_P(TerminalTest, AScreenWhoseSessionWasDroppedCatchesUpAfterReconnecting)
{
    if (!db->isPostgres())
        GTEST_SKIP() << "a session the server drops (PostgreSQL)";
    placeArea("01", "SAL", "Salão");
    openScreen();
    SqlQuery pid(*rdmConfMesa->adcConfigMesa);
    ASSERT_TRUE(pid.exec("SELECT pg_backend_pid()") && pid.next()) << errorText(pid.lastError());
    const QString backend = pid.value(0).toString();
    pid.finish();
    exec("SELECT pg_terminate_backend(" + backend + ")");
    exec("UPDATE ITMENUCONFTE SET DSBUTTON = 'Depois da queda' WHERE IDTPBUTTON = '4' AND NRBUTTON = '01'");
    ASSERT_TRUE(QTest::qWaitFor([&] { return area(1)->text() == QLatin1String("Depois da queda"); }, kBoundMs));
    // Listening again: a later change arrives as before.
    exec("UPDATE ITMENUCONFTE SET DSBUTTON = 'De novo' WHERE IDTPBUTTON = '4' AND NRBUTTON = '01'");
    ASSERT_TRUE(QTest::qWaitFor([&] { return area(1)->text() == QLatin1String("De novo"); }, kBoundMs));
}

// ---- writes that find their button gone -------------------------------------------

TEST_P(TerminalTest, ARenameOfAButtonClearedElsewhereIsReportedAndNothingIsWritten)
{
    placeArea("01", "SAL", "Salão");
    placeTable("01", "1", "01", "1", "Mesa 1");
    openScreen();
    click(form->tcbNome); // busy: the screen keeps what it shows
    exec("DELETE FROM ITMENUCONFTE WHERE IDTPBUTTON = '3'");
    host->typed.push_back("Novo nome");
    click(table(1));
    EXPECT_TRUE(host->messageTexts().contains(kChangedElsewhere)) << host->messageTexts().join('|').toStdString();
    EXPECT_TRUE(isFreeTable(1)); // as stored
    EXPECT_EQ(buttons("DSBUTTON = 'Novo nome'"), 0);
    EXPECT_FALSE(boMudaNome);
}

TEST_P(TerminalTest, AColourBatchReportsTheButtonGoneAndWritesTheOthers)
{
    placeArea("01", "SAL", "Salão");
    placeTable("01", "1", "01", "1", "Mesa 1");
    placeTable("02", "1", "01", "2", "Mesa 2");
    openScreen();
    host->colours.push_back("255");
    click(form->tcbCorTexto);
    click(table(1));
    click(table(2));
    exec("DELETE FROM ITMENUCONFTE WHERE IDTPBUTTON = '3' AND NRBUTTON = '01'");
    click(form->tcbConfirma);
    EXPECT_EQ(host->messageTexts().count(kChangedElsewhere), 1);
    EXPECT_EQ(buttons("NRBUTTON = '02' AND NRCOLORTEXT = 255"), 1);
    EXPECT_TRUE(isFreeTable(1));
    EXPECT_FALSE(boMudaFonte);
}

TEST_P(TerminalTest, AnAreaClearedElsewhereIsReportedInTheBatch)
{
    placeArea("01", "SAL", "Salão");
    placeArea("02", "VAR", "Varanda");
    openScreen();
    click(form->tcbLimpar);
    click(area(1));
    click(area(2));
    exec("DELETE FROM ITMENUCONFTE WHERE NRBUTTON = '01'");
    click(form->tcbConfirma);
    EXPECT_EQ(host->messageTexts().count(kChangedElsewhere), 1);
    EXPECT_EQ(buttons("IDTPBUTTON = '4'"), 0);
}

// ---- writes over a change made elsewhere -------------------------------------------

// Marked for a text colour here: a table the other screen then recolours, an
// area (marked twice) another program gives the first mark's colour, an area
// it renames. The confirmation writes only the colour nobody changed, tells
// of the others once each, and both menus show what is stored.
TEST_P(TerminalTest, AColourIsWrittenOnlyOverTheColourTheScreenShowed)
{
    placeArea("01", "SAL", "Salão");
    placeArea("02", "VAR", "Varanda");
    placeTable("01", "1", "01", "1", "Mesa 1");
    openScreen();
    host->colours.push_back("255");
    key(Qt::Key_F6);
    click(table(1));
    click(area(1));
    click(area(2));
    host->colours.push_back("16711680");
    key(Qt::Key_F6);
    click(area(2));

    const QString other = otherScreen({"confirm", "--mode", "colour", "--colour", "65280"});
    ASSERT_TRUE(other.contains("PENDING 1\n")) << other.toStdString();
    ASSERT_FALSE(other.contains("MESSAGE")) << other.toStdString();
    exec("UPDATE ITMENUCONFTE SET NRCOLORTEXT = 255 WHERE IDTPBUTTON = '4' AND NRBUTTON = '02'");
    exec("UPDATE ITMENUCONFTE SET DSBUTTON = 'Salão novo' WHERE IDTPBUTTON = '4' AND NRBUTTON = '01'");
    key(Qt::Key_Return, Qt::ControlModifier);

    EXPECT_EQ(host->messageTexts().count(kChangedElsewhere), 2) << host->messageTexts().join('|').toStdString();
    EXPECT_EQ(buttons("IDTPBUTTON = '3' AND NRCOLORTEXT = 65280"), 1);
    EXPECT_EQ(buttons("IDTPBUTTON = '4' AND NRBUTTON = '02' AND NRCOLORTEXT = 255"), 1);
    EXPECT_EQ(buttons("IDTPBUTTON = '4' AND NRBUTTON = '01' AND NRCOLORTEXT = 255"), 1);
    EXPECT_EQ(table(1)->FontColor(), 65280);
    EXPECT_EQ(area(2)->FontColor(), 255);
    EXPECT_EQ(area(1)->FontColor(), 255);
    EXPECT_EQ(area(1)->text(), QStringLiteral("Salão novo"));
    EXPECT_FALSE(boMudaFonte);
}

// The other screen renames the area while this one's keyboard is open on it.
TEST_P(TerminalTest, ARenameOverOneMadeWhileTheKeyboardWasOpenIsRefused)
{
    placeArea("01", "SAL", "Salão");
    openScreen();
    QString other;
    TecladoAlfaNumerico = [&](const QString&, int, int, int) {
        other = otherScreen({"rename-area", "--caption", "Salão da outra"});
        return QStringLiteral("Salão desta");
    };
    key(Qt::Key_F3);
    click(area(1));
    ASSERT_TRUE(other.startsWith("RENAMED\n")) << other.toStdString();
    EXPECT_FALSE(other.contains("MESSAGE")) << other.toStdString();
    EXPECT_TRUE(host->messageTexts().contains(kChangedElsewhere)) << host->messageTexts().join('|').toStdString();
    EXPECT_EQ(buttons("IDTPBUTTON = '4' AND DSBUTTON = 'Salão da outra'"), 1);
    EXPECT_EQ(area(1)->text(), QStringLiteral("Salão da outra"));
}

// What this screen wrote itself is what its next changes are made over: a
// button it placed, renamed twice, marked twice in one batch (the last mark
// decides) and again in the next, is written each time.
TEST_P(TerminalTest, TheScreensOwnWritesAreWhatItsNextChangesAreMadeOver)
{
    openScreen();
    host->picks.push_back({"CDSALA", "VAR"});
    click(area(2));
    host->picks.push_back({"NRMESA", "10"});
    click(table(1));
    ASSERT_EQ(buttons("CDIDENTBUTON IN ('VAR', '10')"), 2);
    for (const char* name : {"Varanda A", "Varanda B"}) {
        host->typed.push_back(name);
        key(Qt::Key_F3);
        click(area(2));
    }
    EXPECT_EQ(buttons("CDIDENTBUTON = 'VAR' AND DSBUTTON = 'Varanda B'"), 1);

    host->colours.push_back("255");
    key(Qt::Key_F6);
    click(table(1));
    click(area(2));
    host->colours.push_back("65280");
    key(Qt::Key_F6);
    click(area(2));
    key(Qt::Key_Return, Qt::ControlModifier);
    host->colours.push_back("16711680");
    key(Qt::Key_F6);
    click(area(2));
    key(Qt::Key_Return, Qt::ControlModifier);

    EXPECT_FALSE(host->messageTexts().contains(kChangedElsewhere)) << host->messageTexts().join('|').toStdString();
    EXPECT_EQ(buttons("CDIDENTBUTON = '10' AND NRCOLORTEXT = 255"), 1);
    EXPECT_EQ(buttons("CDIDENTBUTON = 'VAR' AND NRCOLORTEXT = 16711680"), 1);
}

// A sales terminal marks a table of the area occupied while the area is being
// removed: its open transaction holds the table's row until it commits. The
// removal waits for it and then keeps the area.
TEST_P(TerminalTest, AnAreaWhoseTableIsTakenDuringItsRemovalIsKept)
{
    placeArea("01", "SAL", "Salão");
    placeTable("01", "1", "01", "1", "Mesa 1");
    openScreen();

    std::promise<bool> began;
    std::future<bool> salesBegan = began.get_future();
    std::promise<void> waiting;
    std::future<void> removalWaits = waiting.get_future();
    std::atomic<bool> removalWaited{false}, lockSeen{false};
    QString salesFailure;
    // The sales program has rights of its own on the tables: the owner's here.
    const QString connection = db->ownerConnectionString;
    const bool postgres = db->isPostgres();
    std::thread sales([&] {
        TADOConnection c;
        c.ConnectionString = connection;
        try {
            c.setConnected(true);
            c.BeginTrans();
            SqlQuery q(c);
            if (!q.exec("UPDATE MESA SET IDSTMESAAUX = 'O' WHERE NRMESA = '1'")) {
                salesFailure = QString::fromStdString(errorText(q.lastError()));
                began.set_value(false);
                return;
            }
            began.set_value(true);
            // Commit once the removal waits on this transaction (bounded).
            removalWaited = removalWaits.wait_for(std::chrono::milliseconds(kBoundMs)) == std::future_status::ready;
            if (removalWaited && postgres) {
                // What it waits for, as the server sees it: this transaction's lock.
                TADOConnection watcher;
                watcher.ConnectionString = connection;
                watcher.setConnected(true);
                SqlQuery w(watcher);
                w.prepare("SELECT COUNT(*) FROM pg_stat_activity WHERE wait_event_type = 'Lock' AND "
                          "application_name = 'quadrel-qdl00005'");
                const QDeadlineTimer bound(kBoundMs);
                while (!lockSeen && !bound.hasExpired()) { // a round trip a try
                    if (!w.exec() || !w.next()) {
                        salesFailure = QString::fromStdString(errorText(w.lastError()));
                        break;
                    }
                    lockSeen = w.value(0).toInt() > 0;
                    w.finish();
                }
            }
            c.CommitTrans();
        } catch (const std::exception& e) {
            salesFailure = ADOExceptionMessage(e, &c, QString());
            try {
                began.set_value(false);
            } catch (const std::future_error&) {
                // it had begun
            }
        }
    });
    auto joinSales = qScopeGuard([&] { sales.join(); });
    ASSERT_EQ(salesBegan.wait_for(std::chrono::milliseconds(kBoundMs)), std::future_status::ready);
    ASSERT_TRUE(salesBegan.get()) << salesFailure.toStdString();

    // While a call waits on the database the window is kept painting, and
    // timers run: one of them sees the removal's connection waiting.
    bool told = false;
    QTimer look;
    look.setInterval(0);
    QObject::connect(&look, &QTimer::timeout, [&] {
        if (!told && rdmConfMesa->adcConfigMesa->Busy()) {
            told = true;
            waiting.set_value();
        }
    });
    look.start();
    ServiceResult r;
    ASSERT_EQ(setDelAmbiente("9999", "00001", "SAL", "01", "4", "0", "0", "0", "1", r), 0);
    look.stop();
    sales.join();
    joinSales.dismiss();
    EXPECT_TRUE(salesFailure.isEmpty()) << salesFailure.toStdString();
    EXPECT_TRUE(removalWaited) << "the removal never waited for the sales terminal";
    if (postgres) {
        EXPECT_TRUE(lockSeen) << "the removal waited, but not for the sales terminal's lock";
    }
    EXPECT_EQ(r.toText(), QString::fromLatin1(qdl::kMesaInd));
    EXPECT_EQ(buttons("1 = 1"), 2);
}

// Two screens in two processes on one SQLite file: one renames an area
// through the keyboard path, the other, open and idle, shows it.
TEST(TwoProcesses, OneScreenSeesWhatTheOtherWrites)
{
    TestDatabase db = TestDatabase::create(QStringLiteral("sqlite"), true);
    const QString drill = qEnvironmentVariable("QDL_BUILD_DIR") + QStringLiteral("/bin/qdl-drill");
    const QString caption = QStringLiteral("Renomeada ao lado");
    QProcess watcher;
    watcher.start(drill, {"watch", "--database", db.connectionString, "--caption", caption});
    ASSERT_TRUE(watcher.waitForReadyRead(30000)) << watcher.readAllStandardError().toStdString();
    const QByteArray opened = watcher.readLine();
    ASSERT_TRUE(opened.startsWith("OPENED")) << opened.toStdString();

    QProcess renamer;
    renamer.start(drill, {"rename-area", "--database", db.connectionString, "--caption", caption});
    ASSERT_TRUE(renamer.waitForFinished(30000));
    const QByteArray said = renamer.readAllStandardOutput();
    EXPECT_TRUE(said.startsWith("RENAMED\n")) << said.toStdString();
    EXPECT_FALSE(said.contains("MESSAGE")) << said.toStdString();

    ASSERT_TRUE(watcher.waitForFinished(30000));
    EXPECT_EQ(watcher.readAllStandardOutput().trimmed(), QByteArray("SEEN"));
    EXPECT_EQ(watcher.exitCode(), 0);
    db.drop();
}

} // namespace

QDL_FORM_SUITE(TerminalTest);

QDL_TEST_MAIN()
