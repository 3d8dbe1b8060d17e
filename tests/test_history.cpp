// The layout's history: a change through the services is recorded with the
// row before and after and who made it; another program's change is recorded
// too; a terminal role reads only its branches' records and can neither
// write nor delete one; qdl-host --history prints them in local time and
// --prune-history removes the old ones.

#include <QJsonDocument>
#include <QJsonObject>
#include <QSysInfo>
#include <QTimeZone>
#include <sqlite3.h>

#include "Srv_qdl00005.h"
#include "adoconnection.h"
#include "dbfixture.h"
#include "hostprogram.h"
#include "testmain.h"

namespace {

class History : public ::testing::TestWithParam<QString> {
protected:
    void SetUp() override
    {
        QDL_REQUIRE_BACKEND(GetParam());
        db = TestDatabase::create(GetParam());
    }
    void TearDown() override { db.drop(); }

    // The newest record's column.
    QString newest(const char* column) const
    {
        return db.scalar(QStringLiteral("SELECT %1 FROM QDL_HISTORICO ORDER BY NRHISTORICO DESC LIMIT 1").arg(QLatin1String(column)));
    }
    static QJsonObject object(const QString& json) { return QJsonDocument::fromJson(json.toUtf8()).object(); }

    HostRun host(const QStringList& arguments, const QString& zone = QStringLiteral("UTC")) const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("TZ", zone);
        env.insert("XDG_CONFIG_HOME", db.name + QStringLiteral("/none"));
        env.insert("XDG_CONFIG_DIRS", db.name + QStringLiteral("/none"));
        return runHostProgram(env, arguments);
    }

    TestDatabase db;
};

TEST_P(History, AChangeIsRecordedWithTheRowsBeforeAndAfterAndWhoWhateverProgramWritesIt)
{
    {
        ServiceSession session(db);
        ServiceResult r;
        ASSERT_EQ(getMudaNome("9999", "00001", "01", "1", "Novo nome", "4", "0", "0", "0", "Salão Principal", r), 0);
        ASSERT_EQ(r.toText(), QString()) << r.toText().toStdString();
    }
    EXPECT_EQ(newest("IDOPERACAO"), "U");
    const QJsonObject before = object(newest("DSANTES")), after = object(newest("DSDEPOIS"));
    EXPECT_EQ(before.value("DSBUTTON").toString(), QStringLiteral("Salão Principal"));
    EXPECT_EQ(after.value("DSBUTTON").toString(), QStringLiteral("Novo nome"));
    EXPECT_EQ(after.size(), 14);
    EXPECT_TRUE(after.value("NRCOLORBACK").isDouble());
    EXPECT_EQ(after.value("NRBUTTON").toString(), "01");
    if (db.isSqlite())
        EXPECT_TRUE(newest("DSQUEM").endsWith(QLatin1Char('@') + QSysInfo::machineHostName())) << newest("DSQUEM").toStdString();
    else // the login role the program connected as, and its name
        EXPECT_TRUE(newest("DSQUEM").startsWith(QLatin1String(kTestTerminalRole) + QLatin1Char('@'))
                    && newest("DSQUEM").endsWith("(quadrel-qdl00005)"))
            << newest("DSQUEM").toStdString();

    // Another program: a plain connection without this program's session.
    if (db.isSqlite()) {
        sqlite3* other = nullptr;
        ASSERT_EQ(sqlite3_open((db.name + QStringLiteral("/qdl.db")).toUtf8().constData(), &other), SQLITE_OK);
        EXPECT_EQ(sqlite3_exec(other, "DELETE FROM ITMENUCONFTE WHERE IDTPBUTTON = '3' AND NRBUTTON = '01' AND NRBUTTONAUX = '01' AND NRPGCONFTELA = '1'",
                               nullptr, nullptr, nullptr),
                  SQLITE_OK);
        sqlite3_close(other);
        EXPECT_EQ(newest("DSQUEM"), "unknown");
    } else {
        db.exec("DELETE FROM ITMENUCONFTE WHERE IDTPBUTTON = '3' AND NRBUTTON = '01' AND NRBUTTONAUX = '01' AND NRPGCONFTELA = '1'");
        EXPECT_TRUE(newest("DSQUEM").startsWith(QLatin1String(kTestOwnerRole) + QLatin1Char('@'))) << newest("DSQUEM").toStdString();
    }
    EXPECT_EQ(newest("IDOPERACAO"), "D");
    EXPECT_EQ(newest("DSDEPOIS"), "");
    EXPECT_EQ(object(newest("DSANTES")).value("DSBUTTON").toString(), "Mesa 01");

    // An update that changes nothing is no record; a statement that removes
    // several rows records each of them.
    const QString count = QStringLiteral("SELECT COUNT(*) FROM QDL_HISTORICO");
    const int records = db.countRows(count);
    db.exec("UPDATE ITMENUCONFTE SET DSBUTTON = DSBUTTON WHERE IDTPBUTTON = '4'");
    EXPECT_EQ(db.countRows(count), records);
    db.exec("DELETE FROM ITMENUCONFTE WHERE IDTPBUTTON = '3' AND NRBUTTON IN ('02', '03') AND NRBUTTONAUX = '01' "
            "AND NRPGCONFTELA = '1'");
    EXPECT_EQ(db.countRows(count), records + 2);
}

TEST_P(History, TheProgramListsTheChangesInLocalTimeAndPrunesTheOldOnes)
{
    const QString esc = db.isSqlite() ? QStringLiteral("char(27)") : QStringLiteral("chr(27)");
    db.exec(QStringLiteral("UPDATE ITMENUCONFTE SET DSBUTTON = 'Sal' || %1 || '[2J', NRCOLORBACK = 255 "
                           "WHERE IDTPBUTTON = '4' AND NRBUTTON = '01'")
                .arg(esc));
    // Far from UTC: a time taken as UTC rather than local would miss by hours.
    const QString zone = QStringLiteral("Asia/Kolkata");
    const auto local = [&zone](int seconds) {
        return QDateTime::currentDateTimeUtc().addSecs(seconds).toTimeZone(QTimeZone(zone.toUtf8())).toString("yyyy-MM-dd HH:mm:ss");
    };
    HostRun run = host({"--database", db.connectionString, "--lang", "en", "--history", "--branch", "9999", "--configuration",
                        "00001", "--since", local(-120)},
                       zone);
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    const QStringList lines = run.out.split(QLatin1Char('\n'));
    ASSERT_GE(lines.size(), 3) << run.out.toStdString();
    EXPECT_TRUE(lines[1].startsWith(local(0).left(13))) << run.out.toStdString(); // the hour, in the zone's local time
    EXPECT_TRUE(lines[1].contains("changed")) << run.out.toStdString();
    EXPECT_TRUE(lines[2].contains(QStringLiteral("caption \"Salão Principal\" → \"Sal\\x1b[2J\"; background colour #9090B0 → #FF0000")))
        << run.out.toStdString();
    EXPECT_FALSE(run.out.contains(QChar(27)));

    run = host({"--database", db.connectionString, "--history", "--since", local(120)}, zone);
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_EQ(run.out.count(QLatin1Char('\n')), 2) << run.out.toStdString();

    run = host({"--database", db.connectionString, "--history", "--since", "2026-12-07 25:00"});
    EXPECT_EQ(run.status, 2);
    EXPECT_TRUE(run.err.contains("2026-12-07 25:00")) << run.err.toStdString();

    const int records = db.countRows("SELECT COUNT(*) FROM QDL_HISTORICO");
    run = host({"--database", db.ownerConnectionString, "--lang", "en", "--prune-history", local(-3600)}, zone);
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_EQ(db.countRows("SELECT COUNT(*) FROM QDL_HISTORICO"), records);
    run = host({"--database", db.ownerConnectionString, "--lang", "en", "--prune-history", local(60)}, zone);
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.contains(QStringLiteral("%1 history records").arg(records))) << run.out.toStdString();
    EXPECT_EQ(db.countRows("SELECT COUNT(*) FROM QDL_HISTORICO"), 0);
}

// count records of branch 9999, configuration 00001, additions of the
// buttons "q0" ... "q<count-1>" in that order (DSANTES names them too), a
// second apart every `sameTime` records from the start time (UTC): many
// records share a time, as a bulk change's do.
void addRecords(const TestDatabase& db, int count, int sameTime, const QString& start)
{
    ASSERT_TRUE(db.exec(
        db.isSqlite()
            ? QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < %1) "
                             "INSERT INTO QDL_HISTORICO (DTALTERACAO, IDOPERACAO, CDFILIAL, NRCONFTELA, DSQUEM, DSANTES, DSDEPOIS) "
                             "SELECT strftime('%Y-%m-%d %H:%M:%f', '%3', '+' || (i / %2) || ' seconds'), 'I', '9999', '00001', "
                             "'test', 'q' || i, '{\"DSBUTTON\": \"q' || i || '\"}' FROM n ORDER BY i")
                  .arg(count - 1)
                  .arg(sameTime)
                  .arg(start)
            : QStringLiteral("INSERT INTO QDL_HISTORICO (DTALTERACAO, IDOPERACAO, CDFILIAL, NRCONFTELA, DSQUEM, DSANTES, DSDEPOIS) "
                             "SELECT CAST('%3+00' AS TIMESTAMPTZ) + (i / %2) * INTERVAL '1 second', 'I', '9999', '00001', "
                             "'test', 'q' || i, '{\"DSBUTTON\": \"q' || i || '\"}' FROM generate_series(0, %1) i ORDER BY i")
                  .arg(count - 1)
                  .arg(sameTime)
                  .arg(start)));
}

TEST_P(History, AHistoryOfManyReadsIsPrintedWholeAndInOrder)
{
    // Times shared across the reads' boundaries: going on after the last
    // record printed must neither skip nor repeat the ones of its time.
    const int count = 2500;
    addRecords(db, count, 700, QStringLiteral("2030-01-01 00:00:00"));
    const HostRun run = host({"--database", db.connectionString, "--lang", "en", "--history", "--since", "2029-12-31"});
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    const QStringList lines = run.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), count + 2) << run.out.left(2000).toStdString();
    for (int i = 0; i < count; ++i)
        ASSERT_TRUE(lines[i + 1].endsWith(QStringLiteral(", \"q%1\"").arg(count - 1 - i))) << i << ": " << lines[i + 1].toStdString();
    EXPECT_EQ(lines.last(), QStringLiteral("%1 changes.").arg(count));
}

TEST_P(History, ATimeAloneIsReadFromTheTimeIndexInOrder)
{
    addRecords(db, 5000, 1, QStringLiteral("2030-01-01 00:00:00"));
    ASSERT_TRUE(db.exec(QStringLiteral("ANALYZE")));
    SqlQuery q(db.openCheckConnection());
    ASSERT_TRUE(q.exec(QStringLiteral("%1 SELECT * FROM QDL_HISTORICO WHERE DTALTERACAO >= '2030-01-01 01:20:00' "
                                      "ORDER BY DTALTERACAO DESC, NRHISTORICO DESC LIMIT 10")
                           .arg(db.isSqlite() ? QStringLiteral("EXPLAIN QUERY PLAN") : QStringLiteral("EXPLAIN"))));
    QString plan;
    while (q.next())
        plan += q.value(db.isSqlite() ? 3 : 0).toString() + QLatin1Char('\n');
    q.finish();
    EXPECT_TRUE(plan.contains(QLatin1String("IX_QDL_HISTORICO_DATA"), Qt::CaseInsensitive)) << plan.toStdString();
    EXPECT_FALSE(plan.contains(QLatin1String("TEMP B-TREE")) || plan.contains(QLatin1String("Sort"))) << plan.toStdString();
}

TEST_P(History, APruneRemovesTheOldestInTransactionsOfItsOwnAndKeepsTheNewer)
{
    const int newer = db.countRows("SELECT COUNT(*) FROM QDL_HISTORICO");
    const int old = 25000; // more than two removals' worth
    addRecords(db, old, 1, QStringLiteral("2020-01-01 00:00:00"));
    // A record the removal cannot take, past the second removal.
    ASSERT_TRUE(db.exec(db.isSqlite() ? QStringLiteral("CREATE TRIGGER QDL_TESTE_RECUSA BEFORE DELETE ON QDL_HISTORICO "
                                                       "WHEN OLD.DSANTES = 'q22000' BEGIN SELECT RAISE(ABORT, 'recusado'); END")
                                      : QStringLiteral("CREATE FUNCTION QDL_TESTE_RECUSA() RETURNS trigger LANGUAGE plpgsql AS $$ BEGIN "
                                                       "IF OLD.DSANTES = 'q22000' THEN RAISE EXCEPTION 'recusado'; END IF; "
                                                       "RETURN OLD; END $$")));
    if (db.isPostgres()) {
        ASSERT_TRUE(db.exec(QStringLiteral("CREATE TRIGGER QDL_TESTE_RECUSA BEFORE DELETE ON QDL_HISTORICO "
                                           "FOR EACH ROW EXECUTE FUNCTION QDL_TESTE_RECUSA()")));
    }
    const QString older = QStringLiteral("SELECT COUNT(*) FROM QDL_HISTORICO WHERE DTALTERACAO < '2021-01-01'");
    HostRun run = host({"--database", db.ownerConnectionString, "--lang", "en", "--prune-history", "2021-01-01"});
    EXPECT_EQ(run.status, 2) << run.out.toStdString();
    // The removals before the failure stay, oldest first; the failed one
    // leaves all of its records.
    const int left = db.countRows(older);
    EXPECT_GT(left, 0);
    EXPECT_LT(left, old - 2 * 5000);
    EXPECT_EQ(db.countRows(QStringLiteral("SELECT MIN(CAST(SUBSTR(DSANTES, 2) AS INTEGER)) FROM QDL_HISTORICO "
                                           "WHERE DTALTERACAO < '2021-01-01'")),
              old - left);
    EXPECT_TRUE(run.out.contains(QStringLiteral("%1 history records").arg(old - left))) << run.out.toStdString();

    ASSERT_TRUE(db.exec(QStringLiteral("DROP TRIGGER QDL_TESTE_RECUSA%1").arg(db.isSqlite() ? QString() : QStringLiteral(" ON QDL_HISTORICO"))));
    run = host({"--database", db.ownerConnectionString, "--lang", "en", "--prune-history", "2021-01-01"});
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_EQ(db.countRows(older), 0);
    EXPECT_EQ(db.countRows("SELECT COUNT(*) FROM QDL_HISTORICO"), newer);
}

INSTANTIATE_TEST_SUITE_P(Db, History, ::testing::ValuesIn(testBackends()), backendName);

// PostgreSQL: the test's terminal role has branch 9999 only.
TEST(HistoryRights, ATerminalRoleReadsItsBranchesRecordsAndCannotWriteOrDeleteAny)
{
    QDL_REQUIRE_BACKEND(QStringLiteral("postgresql"));
    TestDatabase db = TestDatabase::create(QStringLiteral("postgresql"));
    db.exec("INSERT INTO ITMENUCONFTE SELECT '0001', NRCONFTELA, IDTPBUTTON, NRBUTTON, CDIDENTBUTON, DSBUTTON, NRCOLORTEXT, "
            "NRCOLORBACK, DSMESSAGEBUT, IDTPBUTONAUX, NRBUTTONAUX, NRPGCONFTELA, NRPGCONFTAUX, DTULTATUITCT "
            "FROM ITMENUCONFTE WHERE CDFILIAL = '9999'");
    ASSERT_GT(db.countRows("SELECT COUNT(*) FROM QDL_HISTORICO WHERE CDFILIAL = '0001'"), 0);

    TADOConnection terminal;
    terminal.ConnectionString = db.connectionString;
    terminal.setConnected(true);
    SqlQuery q(terminal);
    ASSERT_TRUE(q.exec("SELECT COUNT(*) FROM QDL_HISTORICO WHERE CDFILIAL = '0001'") && q.next());
    EXPECT_EQ(q.value(0).toInt(), 0);
    ASSERT_TRUE(q.exec("SELECT COUNT(*) FROM QDL_HISTORICO WHERE CDFILIAL = '9999'") && q.next());
    EXPECT_GT(q.value(0).toInt(), 0);
    q.finish();
    const int records = db.countRows("SELECT COUNT(*) FROM QDL_HISTORICO");
    for (const char* forged : {"INSERT INTO QDL_HISTORICO (IDOPERACAO, CDFILIAL, NRCONFTELA, DSQUEM) VALUES ('U', '9999', '00001', 'x')",
                               "DELETE FROM QDL_HISTORICO", "UPDATE QDL_HISTORICO SET DSQUEM = 'x'"})
        EXPECT_FALSE(q.exec(forged)) << forged;
    EXPECT_EQ(db.countRows("SELECT COUNT(*) FROM QDL_HISTORICO WHERE DSQUEM = 'x'"), 0);
    EXPECT_EQ(db.countRows("SELECT COUNT(*) FROM QDL_HISTORICO"), records);

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_CONFIG_HOME", db.name);
    env.insert("XDG_CONFIG_DIRS", db.name);
    const HostRun run = runHostProgram(env, {"--database", db.connectionString, "--prune-history", "2999-01-01"});
    EXPECT_EQ(run.status, 2) << run.out.toStdString();
    EXPECT_EQ(db.countRows("SELECT COUNT(*) FROM QDL_HISTORICO"), records);
    // Another branch's records are refused, not listed as none.
    const HostRun other = runHostProgram(env, {"--lang", "pt", "--database", db.connectionString, "--history", "--branch", "0001"});
    EXPECT_EQ(other.status, 2) << other.out.toStdString();
    EXPECT_TRUE(other.err.contains("é de terminal das filiais 9999 e não pode ler nem mudar a filial \"0001\"")) << other.err.toStdString();
    terminal.setConnected(false);
    db.drop();
}

} // namespace

QDL_TEST_MAIN()
