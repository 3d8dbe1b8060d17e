// The database going away or refusing to be written while the screen is
// open: a PostgreSQL server stopped and started again, a connection cut in
// the middle of a write, a SQLite file held by another writer, a SQLite file
// that cannot be written. The operator is told in plain words, nothing is
// left half-written, nothing hangs, and the screen works again once the
// database does.

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <atomic>
#include <chrono>
#include <future>
#include <thread>
#include <unistd.h>

#include "Cli_qdl00005.h"
#include "Srv_qdl00005.h"
#include "adoconnection.h"
#include "connection.h"
#include "consistency.h"
#include "dbfixture.h"
#include "demodb.h"
#include "layoutdump.h"
#include "pgservers.h"
#include "process.h"
#include "screensession.h"
#include "testmain.h"

namespace {

const char* const kSeed[] = {
    "INSERT INTO LOJA (CDFILIAL, CDLOJA, NRMESAPADRAO) VALUES ('9999', '00001', NULL)",
    "INSERT INTO CONFTELA (CDFILIAL, NRCONFTELA, CDLOJA) VALUES ('9999', '00001', '00001')",
    "INSERT INTO SALA (CDFILIAL, CDSALA, NMSALA, IDSITSALA) VALUES ('9999', 'SAL', 'Salão', 'A'), "
    "('9999', 'VAR', 'Varanda', 'A')",
    "INSERT INTO MESA (CDFILIAL, CDLOJA, NRMESA, CDSALA, NMMESA, IDSTMESA, IDSTMESAAUX) VALUES "
    "('9999', '00001', '1', 'SAL', 'Mesa 1', 'A', 'D'), ('9999', '00001', '2', 'SAL', 'Mesa 2', 'A', 'D'), "
    "('9999', '00001', '3', 'SAL', 'Mesa 3', 'A', 'D'), ('9999', '00001', '10', 'VAR', 'Varanda 10', 'A', 'D')",
    "INSERT INTO ITMENUCONFTE (CDFILIAL, NRCONFTELA, IDTPBUTTON, NRBUTTON, CDIDENTBUTON, DSBUTTON, NRCOLORTEXT, "
    "NRCOLORBACK, DSMESSAGEBUT, IDTPBUTONAUX, NRBUTTONAUX, NRPGCONFTELA, NRPGCONFTAUX) VALUES "
    "('9999', '00001', '4', '01', 'SAL', 'Salão', 0, 11571344, '', '0', '0', '1', '0'), "
    "('9999', '00001', '4', '02', 'VAR', 'Varanda', 0, 11571344, '', '0', '0', '1', '0'), "
    "('9999', '00001', '3', '01', '1', 'Mesa 1', 0, 11571344, '', '4', '01', '1', '1'), "
    "('9999', '00001', '3', '01', '10', 'Varanda 10', 0, 11571344, '', '4', '02', '1', '1')",
};

void seed(TADOConnection& db)
{
    for (const char* sql : kSeed) {
        SqlQuery q(db);
        ASSERT_TRUE(q.exec(QString::fromUtf8(sql))) << errorText(q.lastError());
    }
}

QStringList dumpOf(const QString& connectionString)
{
    QStringList rows;
    withConnection(connectionString, [&](TADOConnection& db) { rows = dumpLayout(db); });
    return rows;
}

bool checksClean(const QString& connectionString)
{
    bool clean = false;
    withConnection(connectionString, [&](TADOConnection& db) {
        const LayoutReport r = checkLayout(db);
        for (const LayoutProblem& p : r.problems)
            ADD_FAILURE() << p.text.toStdString();
        clean = r.clean();
    });
    return clean;
}

// The real screen on a connection string, the operator dialogs scripted.
class Screen : public ScreenSession {
public:
    using ScreenSession::ScreenSession;

    void open()
    {
        ASSERT_TRUE(startScreen(form));
        host.clearRecords();
    }
    void confirm() { key(Qt::Key_Return, Qt::ControlModifier); }
    QString lastMessage() const { return host.messages.isEmpty() ? QString() : host.messages.last().text; }
};

// ---- PostgreSQL ---------------------------------------------------------------------------

// A server of the test's own (scripts/pgcluster.sh), which it may stop and
// start without disturbing the other tests' server.
class PrivateServer {
public:
    PrivateServer()
    {
        const QStringList out = bash("qdl_pg_start && printf '%s\\n' \"$QDL_PG_URL\" \"$QDL_PG_DIR\" "
                                     "\"$QDL_PG_PORT\" \"$QDL_PG_BIN\"")
                                    .split('\n', Qt::SkipEmptyParts);
        if (out.size() == 4) {
            m_url = out[0];
            m_env.insert("QDL_PG_DIR", out[1]);
            m_env.insert("QDL_PG_PORT", out[2]);
            m_env.insert("QDL_PG_BIN", out[3]);
        }
    }
    ~PrivateServer()
    {
        if (!m_url.isEmpty())
            bash("qdl_pg_stop");
    }
    bool up() const { return !m_url.isEmpty(); }
    // A database of its own on the server, with the tables and the seed.
    QString createDatabase()
    {
        QString url;
        withConnection(m_url, [&](TADOConnection& admin) {
            SqlQuery q(admin);
            EXPECT_TRUE(q.exec("CREATE DATABASE qdl_outage")) << errorText(q.lastError());
        });
        url = QString(m_url).replace("/postgres", "/qdl_outage");
        withConnection(url, [&](TADOConnection& db) {
            createQdlDatabase(db, false);
            seed(db);
        });
        return grantTestTerminalAt(url); // the screen connects as a terminal
    }
    void pause() { bash("qdl_pg_pause"); }
    void resume() { bash("qdl_pg_resume"); }

private:
    QString bash(const QString& command) { return runPgCluster(command, m_env); }

    QString m_url;
    QHash<QString, QString> m_env;
};

TEST(PostgresOutage, AServerStoppedUnderTheScreenIsToldAndTheScreenWorksOnceItIsBack)
{
    QDL_REQUIRE_BACKEND(QStringLiteral("postgresql"));
    PrivateServer server;
    ASSERT_TRUE(server.up());
    const QString url = server.createDatabase();
    const QStringList before = dumpOf(url);
    Screen s(url);
    s.open();

    // A text-colour batch is waiting when the server goes.
    s.host.colours.push_back("255");
    s.key(Qt::Key_F6);
    s.click(s.form->tableButton(1));
    s.click(s.form->areaButton(1));
    s.click(s.form->areaButton(2));
    server.pause();
    s.confirm();
    ASSERT_EQ(s.host.messages.size(), 1);
    EXPECT_TRUE(s.lastMessage().contains("getMudaFonte")) << s.lastMessage().toStdString();
    // The stopped server is seen before the call: the message says it cannot
    // be reached (or, had the stop come during the call, that it went away).
    EXPECT_TRUE(s.lastMessage().contains("Connection refused") || s.lastMessage().contains("terminating connection")
                || s.lastMessage().contains("server closed"))
        << s.lastMessage().toStdString();
    EXPECT_TRUE(s.host.errors.isEmpty()) << s.host.errors.join('\n').toStdString();
    EXPECT_TRUE(boMudaFonte); // the batch waits

    // While it is down, every try says the database cannot be reached.
    s.host.clearRecords();
    s.confirm();
    ASSERT_EQ(s.host.messages.size(), 1);
    EXPECT_TRUE(s.lastMessage().contains("getMudaFonte"));
    EXPECT_TRUE(s.lastMessage().contains("Não foi possível abrir o banco de dados")) << s.lastMessage().toStdString();
    EXPECT_TRUE(s.host.errors.isEmpty());

    server.resume();
    EXPECT_EQ(dumpOf(url), before); // nothing half-written
    s.host.clearRecords();
    s.confirm(); // the same batch, now written whole
    EXPECT_TRUE(s.host.messages.isEmpty()) << s.lastMessage().toStdString();
    EXPECT_FALSE(boMudaFonte);
    withConnection(url, [](TADOConnection& db) {
        SqlQuery q(db);
        EXPECT_TRUE(q.exec("SELECT COUNT(*) FROM ITMENUCONFTE WHERE NRCOLORTEXT = 255")) << errorText(q.lastError());
        EXPECT_TRUE(q.next());
        EXPECT_EQ(q.value(0).toInt(), 3);
    });

    // And the next placement goes through.
    s.host.picks.push_back({"NRMESA", "2"});
    s.click(s.form->tableButton(2));
    EXPECT_TRUE(s.host.messages.isEmpty()) << s.lastMessage().toStdString();
    EXPECT_EQ(s.form->tableButton(2)->text(), QStringLiteral("Mesa 2"));
    EXPECT_TRUE(checksClean(url));
}

TEST(PostgresOutage, AConnectionCutInTheMiddleOfAWriteIsToldLeavesNothingAndTheNextCallReconnects)
{
    QDL_REQUIRE_BACKEND(QStringLiteral("postgresql"));
    TestDatabase db = TestDatabase::create(QStringLiteral("postgresql"), false);
    seed(db.openCheckConnection());
    // The server ends this session's connection in the middle of the update.
    db.exec("CREATE FUNCTION qdl_cut_fn() RETURNS trigger LANGUAGE plpgsql AS $$ BEGIN "
            "PERFORM pg_terminate_backend(pg_backend_pid()); RETURN NEW; END $$");
    db.exec("CREATE TRIGGER qdl_cut BEFORE UPDATE ON ITMENUCONFTE FOR EACH ROW WHEN (OLD.IDTPBUTTON = '4') "
            "EXECUTE FUNCTION qdl_cut_fn()");
    const QStringList before = dumpLayout(db.openCheckConnection());
    {
        Screen s(db.connectionString);
        s.open();
        s.host.colours.push_back("255");
        s.key(Qt::Key_F5);
        s.click(s.form->areaButton(1));
        s.click(s.form->areaButton(2));
        s.confirm();
        // The rollback cannot reach the server either: the failure escapes
        // the service and reaches the host's error report, naming it. When
        // the server's last words do not get out before the socket closes,
        // the client cannot know whether the COMMIT ran, and says so.
        const QString told = (s.host.messageTexts() + s.host.errors).join('\n');
        const bool unknown = told.contains(TfrmConfMesa::outcomeUnknownText());
        EXPECT_TRUE(told.contains("getMudaCor") || unknown) << told.toStdString();
        EXPECT_FALSE(rdmConfMesa->adcConfigMesa->InTransaction());
        EXPECT_EQ(dumpLayout(db.openCheckConnection()), before);

        db.exec("DROP TRIGGER qdl_cut ON ITMENUCONFTE");
        s.host.clearRecords();
        if (unknown) { // the screen showed what is stored: mark the colours again
            s.host.colours.push_back("255");
            s.key(Qt::Key_F5);
            s.click(s.form->areaButton(1));
            s.click(s.form->areaButton(2));
        }
        s.confirm();
        EXPECT_TRUE(s.host.messages.isEmpty()) << s.lastMessage().toStdString();
        EXPECT_EQ(db.countRows("SELECT COUNT(*) FROM ITMENUCONFTE WHERE NRCOLORBACK = 255"), 2);
    }
    db.drop();
}

// ---- SQLite ----------------------------------------------------------------------------------

class SqliteTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        db = TestDatabase::create(QStringLiteral("sqlite"), false);
        seed(db.openCheckConnection());
    }
    void TearDown() override { db.drop(); }
    TestDatabase db;
};

// Another writer holds the file's write lock, on a thread of its own, for
// holdMs or until the holder goes, whichever comes first; released is set
// just before it lets go.
class LockHolder {
public:
    LockHolder(const QString& connectionString, int holdMs)
    {
        std::promise<void> locked;
        std::future<void> isLocked = locked.get_future();
        std::shared_future<void> letGo = m_letGo.get_future().share();
        m_thread = std::thread([this, connectionString, holdMs, letGo, &locked] {
            TADOConnection c;
            c.ConnectionString = connectionString;
            try {
                c.setConnected(true);
                c.BeginTrans(); // BEGIN IMMEDIATE: the write lock, now
            } catch (const std::exception& e) {
                m_failure = ADOExceptionMessage(e, &c, QString());
                locked.set_value();
                return;
            }
            locked.set_value();
            letGo.wait_for(std::chrono::milliseconds(holdMs));
            released = true;
            try {
                c.CommitTrans();
            } catch (const std::exception& e) {
                m_failure = ADOExceptionMessage(e, &c, QString());
            }
        });
        isLocked.wait();
        EXPECT_TRUE(m_failure.isEmpty()) << m_failure.toStdString();
    }
    ~LockHolder()
    {
        m_letGo.set_value();
        m_thread.join();
        EXPECT_TRUE(m_failure.isEmpty()) << m_failure.toStdString();
    }
    std::atomic<bool> released{false};

private:
    std::promise<void> m_letGo;
    QString m_failure;
    std::thread m_thread;
};

TEST_F(SqliteTest, AWriterHoldingTheFileForAFewSecondsIsWaitedForAndThePlacementGoesThrough)
{
    Screen s(db.connectionString);
    s.open();
    LockHolder holder(db.connectionString, 2000);
    s.host.picks.push_back({"NRMESA", "2"});
    s.click(s.form->tableButton(2));
    EXPECT_TRUE(holder.released); // it waited for the other writer
    EXPECT_TRUE(s.host.messages.isEmpty()) << s.lastMessage().toStdString();
    EXPECT_EQ(db.countRows("SELECT COUNT(*) FROM ITMENUCONFTE WHERE CDIDENTBUTON = '2'"), 1);
}

TEST_F(SqliteTest, AWriterHoldingTheFileBeyondTheWaitGivesAClearErrorNotAHang)
{
    Screen s(db.connectionString);
    s.open();
    const QStringList before = dumpLayout(db.openCheckConnection());
    {
        LockHolder holder(db.connectionString, 33000); // past the session's 30 s busy wait
        s.host.picks.push_back({"NRMESA", "2"});
        s.click(s.form->tableButton(2));
        EXPECT_FALSE(holder.released);
        ASSERT_EQ(s.host.messages.size(), 1);
        EXPECT_TRUE(s.lastMessage().contains("getInsere")) << s.lastMessage().toStdString();
        EXPECT_TRUE(s.lastMessage().contains("database is locked")) << s.lastMessage().toStdString();
    }
    EXPECT_EQ(dumpLayout(db.openCheckConnection()), before);
    s.host.clearRecords();
    s.host.picks.push_back({"NRMESA", "2"});
    s.click(s.form->tableButton(2)); // the file is free again
    EXPECT_TRUE(s.host.messages.isEmpty()) << s.lastMessage().toStdString();
    EXPECT_EQ(s.form->tableButton(2)->text(), QStringLiteral("Mesa 2"));
}

// A file the screen cannot write: as root, the drill runs as user nobody.
struct DrillRun {
    int status = -1;
    QString out;
};

DrillRun runWritesDrill(const QString& connectionString)
{
    QProcess p;
    p.start(qEnvironmentVariable("QDL_BUILD_DIR") + "/bin/qdl-drill",
            {"writes", "--database", connectionString, "--as-nobody"});
    if (!p.waitForFinished(120000)) {
        p.kill();
        p.waitForFinished();
        ADD_FAILURE() << "the drill hung";
    }
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, QString::fromUtf8(p.readAllStandardOutput())};
}

class ReadOnlyTest : public SqliteTest {
protected:
    void makeReadOnly(bool wal)
    {
        const QString path = db.connectionString.mid(7);
        before = dumpOf(db.connectionString);
        // The data layer's own connections leave a file in WAL mode; one
        // that is not goes back to the rollback journal.
        db.exec(wal ? "PRAGMA journal_mode = WAL" : "PRAGMA journal_mode = DELETE");
        ASSERT_EQ(db.scalar("PRAGMA journal_mode"), wal ? QStringLiteral("wal") : QStringLiteral("delete"));
        db.openCheckConnection().setConnected(false); // nothing of the test's own holds the file open
        // Others may make their -wal and -shm files in the folder; the file
        // itself stays unwritable.
        QFile::setPermissions(QFileInfo(path).absolutePath(), QFileDevice::Permissions(0x7777));
        QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther);
    }
    QStringList before;
};

TEST_F(ReadOnlyTest, AFileInWalModeThatCannotBeWrittenRefusesEachWriteInPlainWords)
{
    ASSERT_NO_FATAL_FAILURE(makeReadOnly(true));
    const DrillRun run = runWritesDrill(db.connectionString);
    ASSERT_EQ(run.status, 0) << run.out.toStdString();
    ASSERT_TRUE(run.out.contains("OPENED")) << run.out.toStdString();
    for (const char* service : {"getInsere", "getMudaNome", "getMudaFonte", "setDeleta"}) {
        bool told = false;
        for (const QString& line : run.out.split('\n'))
            told = told || (line.startsWith("MESSAGE") && line.contains(service) && line.contains("readonly"));
        EXPECT_TRUE(told) << service << "\n" << run.out.toStdString();
    }
    EXPECT_FALSE(run.out.contains("ERROR ")) << run.out.toStdString();
    EXPECT_TRUE(run.out.contains("PAGE 2")) << run.out.toStdString(); // and the screen still answers
    EXPECT_EQ(dumpOf(db.connectionString), before);
}

TEST_F(ReadOnlyTest, AFileThatCannotBeWrittenNorSwitchedToWalIsRefusedAtOpening)
{
    ASSERT_NO_FATAL_FAILURE(makeReadOnly(false));
    const DrillRun run = runWritesDrill(db.connectionString);
    EXPECT_EQ(run.status, 0) << run.out.toStdString();
    EXPECT_TRUE(run.out.contains("STARTUP-ERROR") && run.out.contains("readonly")) << run.out.toStdString();
    EXPECT_FALSE(run.out.contains("OPENED"));
    EXPECT_EQ(dumpOf(db.connectionString), before);
}

} // namespace

QDL_TEST_MAIN()
