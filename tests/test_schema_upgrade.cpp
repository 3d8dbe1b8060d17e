// A database made by release 5.80.12 (schema version 0: no stamp, the index
// of tables by number without their area), and one made at schema version 2
// (before the history), upgraded to this program's schema with every row kept; a newer schema than the program's never written to;
// the embedded default file upgraded after a copy is kept beside it. The
// databases come from tests/data: a SQLite file and a PostgreSQL dump, each
// the demo layout with a few changes.

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>
#include <QUrl>

#include "Srv_qdl00005.h"
#include "adoconnection.h"
#include "consistency.h"
#include "dbfixture.h"
#include "errors.h"
#include "hostprogram.h"
#include "layoutdump.h"
#include "schemaupgrade.h"
#include "testmain.h"

namespace {

QString dataFile(const QString& name)
{
    return qEnvironmentVariable("QDL_SOURCE_DIR") + QStringLiteral("/tests/data/") + name;
}

class Upgrade : public ::testing::TestWithParam<QString> {
protected:
    void SetUp() override { QDL_REQUIRE_BACKEND(GetParam()); }
    // The database of tests/data/<base>.db or <base>-postgresql.sql, opened
    // as its owner on connection.
    void load(const QString& base)
    {
        if (GetParam() == QLatin1String("sqlite")) {
            ASSERT_TRUE(QFile::copy(dataFile(base + ".db"), dir.filePath("old.db")));
            QFile(dir.filePath("old.db")).setPermissions(QFile::ReadOwner | QFile::WriteOwner);
            url = QStringLiteral("sqlite:") + dir.filePath("old.db");
        } else {
            db = TestDatabase::create(GetParam(), false);
            // An empty database holding the dump: the test's tables go first.
            for (const char* table : {"ITMENUCONFTE", "CONFTELA", "MESA", "SALA", "LOJA", "QDL_VERSAO", "QDL_TERMINAL_FILIAL",
                                      "QDL_HISTORICO"})
                db.exec(QStringLiteral("DROP TABLE IF EXISTS %1 CASCADE").arg(QLatin1String(table)));
            db.exec("DO $$ DECLARE f text; BEGIN FOR f IN SELECT p.oid::regprocedure::text FROM pg_proc p "
                    "WHERE p.proname LIKE 'qdl\\_%' AND p.pronamespace = current_schema()::regnamespace "
                    "LOOP EXECUTE 'DROP FUNCTION ' || f || ' CASCADE'; END LOOP; END $$");
            QFile dump(dataFile(base + "-postgresql.sql"));
            ASSERT_TRUE(dump.open(QIODevice::ReadOnly));
            QString script;
            for (const QString& line : QString::fromUtf8(dump.readAll()).split(QLatin1Char('\n')))
                if (!line.startsWith(QLatin1Char('\\'))) // psql's own commands
                    script += line + QLatin1Char('\n');
            TADOConnection restore; // the dump empties search_path for its session
            restore.ConnectionString = db.ownerConnectionString;
            restore.setConnected(true);
            restore.runScript(script, QStringLiteral("restore"));
            url = db.ownerConnectionString; // the schema's owner upgrades it
        }
        connection.ConnectionString = url;
        connection.setConnected(true);
    }
    void TearDown() override
    {
        connection.setConnected(false);
        db.drop();
    }

    QTemporaryDir dir;
    TestDatabase db;
    QString url;
    TADOConnection connection;
};

TEST_P(Upgrade, AReleaseWithoutAVersionUpgradesWithEveryRowKeptAndTodaysIndexes)
{
    ASSERT_NO_FATAL_FAILURE(load("release-5.80.12"));
    ASSERT_EQ(schemaVersionOf(connection), 0);
    const QStringList before = dumpLayout(connection);
    ASSERT_EQ(before.size(), 19);

    QString said;
    QTextStream log(&said);
    EXPECT_EQ(upgradeSchema(connection, log), kSchemaVersion);
    EXPECT_EQ(schemaVersionOf(connection), kSchemaVersion);
    EXPECT_EQ(dumpLayout(connection), before);
    SqlQuery index(connection);
    ASSERT_TRUE(index.exec(GetParam() == QLatin1String("sqlite")
                               ? "SELECT COUNT(*) FROM pragma_index_info('IX_MESA_NRMESA') WHERE name = 'CDSALA'"
                               : "SELECT COUNT(*) FROM pg_indexes WHERE indexname = 'ix_mesa_nrmesa' "
                                 "AND indexdef LIKE '%cdsala%'"));
    ASSERT_TRUE(index.next());
    EXPECT_EQ(index.value(0).toInt(), 1);
    index.finish();
    EXPECT_TRUE(checkLayout(connection).clean());

    // The history keeps what changes from now on, the row before included.
    connection.execute(QStringLiteral("UPDATE ITMENUCONFTE SET DSBUTTON = 'Depois' WHERE IDTPBUTTON = '4' AND NRBUTTON = '01'"),
                       QStringLiteral("rename"));
    SqlQuery history(connection);
    ASSERT_TRUE(history.exec("SELECT IDOPERACAO, DSANTES, DSDEPOIS, DSQUEM, DSCHAVE FROM QDL_HISTORICO"));
    ASSERT_TRUE(history.next());
    EXPECT_EQ(history.value(0).toString(), "U");
    EXPECT_TRUE(history.value(1).toString().contains("\"CDIDENTBUTON\"")) << history.value(1).toString().toStdString();
    EXPECT_TRUE(history.value(2).toString().contains("\"Depois\"")) << history.value(2).toString().toStdString();
    EXPECT_NE(history.value(3).toString(), "unknown"); // this program's session names itself
    // ... and the button, by which a restore finds it.
    EXPECT_TRUE(history.value(4).toString().contains("\"01\"")) << history.value(4).toString().toStdString();
    EXPECT_FALSE(history.next());
    history.finish();

    EXPECT_EQ(upgradeSchema(connection, log), 0); // once is enough
}

TEST_P(Upgrade, ASecondVersionGetsItsHistoryAloneWithEveryRowKept)
{
    ASSERT_NO_FATAL_FAILURE(load("version-2"));
    ASSERT_EQ(schemaVersionOf(connection), 2);
    const QStringList before = dumpLayout(connection);
    ASSERT_EQ(before.size(), 18);
    QString said;
    QTextStream log(&said);
    EXPECT_EQ(upgradeSchema(connection, log), kSchemaVersion - 2);
    EXPECT_EQ(schemaVersionOf(connection), kSchemaVersion);
    EXPECT_EQ(dumpLayout(connection), before);
    EXPECT_TRUE(checkLayout(connection).clean());
    // The recoloured buttons' removal is recorded with the colours they had.
    SqlQuery q(connection);
    ASSERT_TRUE(q.exec("DELETE FROM ITMENUCONFTE WHERE NRCOLORTEXT = 16777215")) << errorText(q.lastError());
    const int removed = q.numRowsAffected();
    EXPECT_GT(removed, 0);
    ASSERT_TRUE(q.exec("SELECT COUNT(*) FROM QDL_HISTORICO WHERE IDOPERACAO = 'D' AND DSDEPOIS IS NULL "
                       "AND DSANTES LIKE '%16777215%'")) << errorText(q.lastError());
    ASSERT_TRUE(q.next());
    EXPECT_EQ(q.value(0).toInt(), removed);
}

TEST_P(Upgrade, ATerminalRoleSetUpBeforeWritesOnlyThroughTheOperationsAfter)
{
    if (GetParam() != QLatin1String("postgresql"))
        GTEST_SKIP() << "roles are PostgreSQL's";
    ASSERT_NO_FATAL_FAILURE(load("version-2"));
    const QString role = QUrl(db.connectionString).userName();
    // What --grant-terminal gave before: writes of its own, listed by name.
    for (const QString& sql : {QStringLiteral("GRANT SELECT ON LOJA, CONFTELA, SALA, MESA, ITMENUCONFTE, QDL_VERSAO TO %1"),
                               QStringLiteral("GRANT INSERT, UPDATE, DELETE ON ITMENUCONFTE TO %1"),
                               QStringLiteral("GRANT UPDATE (IDSTMESAAUX) ON MESA TO %1"),
                               QStringLiteral("INSERT INTO QDL_TERMINAL_FILIAL VALUES ('%1', '9999')")})
        connection.execute(sql.arg(role), sql);
    QString said;
    QTextStream log(&said);
    upgradeSchema(connection, log);

    ServiceSession session(db); // as the terminal
    ServiceResult r;
    ASSERT_EQ(getMudaNome("9999", "00001", "01", "1", "Depois", "4", "0", "0", "0", "Salão Novo", r), 0);
    EXPECT_EQ(r.toText(), QString()) << r.toText().toStdString();
    // No right of its own that locks or writes.
    EXPECT_EQ(db.countRows(QStringLiteral("SELECT COUNT(*) FROM (VALUES ('ITMENUCONFTE'), ('MESA')) t(n) "
                                          "WHERE has_any_column_privilege('%1', n, 'UPDATE') OR has_table_privilege('%1', n, 'DELETE') "
                                          "OR has_table_privilege('%1', n, 'INSERT')").arg(role)),
              0);
    EXPECT_EQ(db.countRows("SELECT COUNT(*) FROM ITMENUCONFTE WHERE DSBUTTON = 'Depois'"), 1);
}

TEST_P(Upgrade, ANewerSchemaIsNeverWrittenToAndNotUpgraded)
{
    ASSERT_NO_FATAL_FAILURE(load("release-5.80.12"));
    QString said;
    QTextStream log(&said);
    upgradeSchema(connection, log);
    connection.execute(GetParam() == QLatin1String("sqlite") ? QStringLiteral("PRAGMA user_version = 9")
                                                             : QStringLiteral("INSERT INTO QDL_VERSAO (NRVERSAO) VALUES (9)"),
                       QStringLiteral("stamp"));
    const QStringList before = dumpLayout(connection);
    EXPECT_THROW(upgradeSchema(connection, log), EQdlError);

    TestDatabase target;
    target.kind = GetParam();
    target.connectionString = url;
    ServiceSession session(target);
    ServiceResult r;
    getMudaNome("9999", "00001", "01", "1", "Novo nome", "4", "0", "0", "0", "Salão Azul", r);
    EXPECT_TRUE(r.toText().contains("9")) << r.toText().toStdString();
    EXPECT_TRUE(r.toText().contains(QString::number(kSchemaVersion))) << r.toText().toStdString();
    EXPECT_EQ(dumpLayout(connection), before);
}

INSTANTIATE_TEST_SUITE_P(Db, Upgrade, ::testing::ValuesIn(testBackends()), backendName);

TEST(OwnDemoFile, IsUpgradedWithACopyKeptBeside)
{
    QTemporaryDir home;
    const QString file = home.filePath("quadrel/qdl-demo.db");
    ASSERT_TRUE(QDir().mkpath(home.filePath("quadrel")));
    ASSERT_TRUE(QFile::copy(dataFile("release-5.80.12.db"), file));
    QFile(file).setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_DATA_HOME", home.path());
    env.insert("XDG_CONFIG_HOME", home.filePath("config"));
    env.insert("XDG_CONFIG_DIRS", home.filePath("none"));
    env.remove("QDL_DATABASE");
    env.insert("QT_QPA_PLATFORM", "offscreen");
    const HostRun run = runHostProgram(env, {"--screenshot", home.filePath("shot.png")});
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_TRUE(QFile::exists(file + ".v0.bak")) << run.err.toStdString();
    TADOConnection upgraded;
    upgraded.ConnectionString = QStringLiteral("sqlite:") + file;
    upgraded.setConnected(true);
    EXPECT_EQ(schemaVersionOf(upgraded), kSchemaVersion);
    TADOConnection copy;
    copy.ConnectionString = QStringLiteral("sqlite:") + file + ".v0.bak";
    copy.setConnected(true);
    EXPECT_EQ(schemaVersionOf(copy), 0);
    EXPECT_EQ(dumpLayout(copy), dumpLayout(upgraded));

    // It keeps a year of history: an older record goes when the screen opens.
    upgraded.execute(QStringLiteral("INSERT INTO QDL_HISTORICO (DTALTERACAO, IDOPERACAO, CDFILIAL, NRCONFTELA, DSQUEM) "
                                    "VALUES (strftime('%Y-%m-%d %H:%M:%f', 'now', '-13 months'), 'D', '9999', '00091', 'x'), "
                                    "(strftime('%Y-%m-%d %H:%M:%f', 'now', '-11 months'), 'D', '9999', '00092', 'x')"),
                     QStringLiteral("old records"));
    upgraded.setConnected(false);
    EXPECT_EQ(runHostProgram(env, {"--screenshot", home.filePath("shot.png")}).status, 0);
    upgraded.setConnected(true);
    SqlQuery q(upgraded);
    ASSERT_TRUE(q.exec("SELECT group_concat(NRCONFTELA) FROM QDL_HISTORICO WHERE NRCONFTELA IN ('00091', '00092')"));
    ASSERT_TRUE(q.next());
    EXPECT_EQ(q.value(0).toString(), QStringLiteral("00092"));
}

} // namespace

QDL_TEST_MAIN()
