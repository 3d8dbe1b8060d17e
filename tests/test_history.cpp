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
        ASSERT_EQ(getMudaNome("9999", "00001", "01", "1", "Novo nome", "4", "0", "0", "0", r), 0);
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
    EXPECT_EQ(run.out.count(QLatin1Char('\n')), 1) << run.out.toStdString();

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
    terminal.setConnected(false);
    db.drop();
}

} // namespace

QDL_TEST_MAIN()
