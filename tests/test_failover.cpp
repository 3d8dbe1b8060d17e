// Failover: a primary and its synchronous hot standby on loopback
// (scripts/pgcluster.sh), the screen open on libpq's multi-host connection
// string. The primary is killed with SIGKILL and the standby promoted; the
// open screen's next action reaches the new primary without being reopened,
// and every change it reported as written is there.

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QScopeGuard>
#include <QTextStream>
#include <csignal>
#include <cstdio>

#include "Cli_qdl00005.h"
#include "adoconnection.h"
#include "checkcommand.h"
#include "connection.h"
#include "consistency.h"
#include "dbfixture.h"
#include "pgservers.h"
#include "demodb.h"
#include "screensession.h"
#include "testmain.h"

namespace {

class ServerPair {
public:
    ServerPair()
    {
        const QStringList out = bash("qdl_pg_pair_start && printf '%s\\n' \"$QDL_PG_PAIR_URL\" \"$QDL_PG_PAIR_DIR\" "
                                     "\"$QDL_PG_BIN\"")
                                    .split('\n', Qt::SkipEmptyParts);
        if (out.size() == 3) {
            m_url = out[0];
            m_env.insert("QDL_PG_PAIR_DIR", out[1]);
            m_env.insert("QDL_PG_BIN", out[2]);
        }
    }
    ~ServerPair()
    {
        if (!m_url.isEmpty())
            bash("qdl_pg_pair_stop");
    }
    bool up() const { return !m_url.isEmpty(); }
    // The demo database on the primary, named by both servers.
    QString createDemo()
    {
        runSql(m_url, "CREATE DATABASE qdl_failover");
        const QString url = QString(m_url).replace("/postgres?", "/qdl_failover?");
        createQdlDatabaseAt(url, true);
        return grantTestTerminalAt(url); // the screens connect as a terminal

    }
    void killPrimary() { bash("qdl_pg_primary_kill"); }
    void promoteStandby() { bash("qdl_pg_standby_promote"); }

    static QString scalar(const QString& url, const QString& sql)
    {
        QString value;
        withConnection(url, [&](TADOConnection& db) {
            SqlQuery q(db);
            if (q.exec(sql) && q.next())
                value = q.value(0).toString();
            else
                ADD_FAILURE() << sql.toStdString() << ": " << errorText(q.lastError());
        });
        return value;
    }

private:
    static void runSql(const QString& url, const QString& sql)
    {
        withConnection(url, [&](TADOConnection& db) {
            SqlQuery q(db);
            EXPECT_TRUE(q.exec(sql)) << errorText(q.lastError());
        });
    }
    QString bash(const QString& command) { return runPgCluster(command, m_env); }

    QString m_url;
    QHash<QString, QString> m_env;
};

// A rename through the keyboard path; what the operator was told.
QStringList rename(ScreenSession& s, int tableButton, const QString& name)
{
    s.host.clearRecords();
    s.host.typed.push_back(name);
    s.key(Qt::Key_F3);
    s.click(s.form->tableButton(tableButton));
    return s.host.messageTexts();
}

TEST(Failover, AnOpenScreenGoesOnOnThePromotedStandbyAndLosesNothing)
{
    if (!backendAvailable(QStringLiteral("postgresql"), nullptr) && !backendRequired(QStringLiteral("postgresql")))
        GTEST_SKIP() << "PostgreSQL is not installed";
    ServerPair pair;
    ASSERT_TRUE(pair.up());
    const QString url = pair.createDemo();

    ScreenSession s(url);
    ASSERT_TRUE(startScreen(s.form));
    EXPECT_TRUE(rename(s, 1, "Antes da queda").isEmpty());
    EXPECT_TRUE(rename(s, 2, "Também antes").isEmpty());

    QElapsedTimer sinceKill;
    pair.killPrimary();
    sinceKill.start();
    pair.promoteStandby();

    // The first action after the failover goes through: no message.
    EXPECT_TRUE(rename(s, 3, "Depois da queda").isEmpty()) << s.host.messageTexts().join('|').toStdString();
    const qint64 toFirstAction = sinceKill.elapsed();
    s.host.colours.push_back("255");
    s.key(Qt::Key_F6);
    s.click(s.form->tableButton(4));
    s.key(Qt::Key_Return, Qt::ControlModifier);
    EXPECT_TRUE(s.host.messageTexts().isEmpty()) << s.host.messageTexts().join('|').toStdString();
    stopScreen(s.form);

    // Everything reported as written is on the new primary, and the layout is sound.
    EXPECT_EQ(ServerPair::scalar(url, "SELECT pg_is_in_recovery()::text"), QStringLiteral("false"));
    EXPECT_EQ(ServerPair::scalar(url, "SELECT COUNT(*) FROM ITMENUCONFTE WHERE DSBUTTON IN "
                                      "('Antes da queda', 'Também antes', 'Depois da queda')"),
              QStringLiteral("3"));
    EXPECT_EQ(ServerPair::scalar(url, "SELECT COUNT(*) FROM ITMENUCONFTE WHERE NRCOLORTEXT = 255 AND "
                                      "IDTPBUTTON = '3' AND NRBUTTON = '04' AND NRPGCONFTELA = '1'"),
              QStringLiteral("1"));
    QString report;
    QTextStream out(&report);
    EXPECT_EQ(runLayoutCheck(url, out), 0) << report.toStdString();
    std::printf("QDL-FIGURE failover-kill-to-first-action-ms=%lld failover-changes-lost=0\n",
                static_cast<long long>(toFirstAction));
}

// The primary killed while a screen (a process of its own) confirms a batch
// of text colours: every row the screen let go of as written is on the new
// primary; the row in flight is there whole or still pending; the layout is
// sound.
TEST(Failover, AConfirmationInFlightIsWholeOrReportedAsFailed)
{
    if (!backendAvailable(QStringLiteral("postgresql"), nullptr) && !backendRequired(QStringLiteral("postgresql")))
        GTEST_SKIP() << "PostgreSQL is not installed";
    ServerPair pair;
    ASSERT_TRUE(pair.up());
    const QString url = pair.createDemo();
    const QString drill = qEnvironmentVariable("QDL_BUILD_DIR") + QStringLiteral("/bin/qdl-drill");

    QProcess screen;
    screen.start(drill, {"confirm", "--database", url, "--mode", "colour", "--colour", "255"});
    QByteArray output;
    QElapsedTimer clock;
    clock.start();
    while (!output.contains("CONFIRMING") && clock.elapsed() < 60000 && screen.waitForReadyRead(1000))
        output += screen.readAllStandardOutput();
    ASSERT_TRUE(output.contains("CONFIRMING")) << output.toStdString();
    pair.killPrimary();
    ASSERT_TRUE(screen.waitForFinished(60000));
    output += screen.readAllStandardOutput();
    pair.promoteStandby();

    const auto number = [&](const char* word) {
        const int at = output.indexOf(word);
        return at < 0 ? -1 : output.mid(at + int(qstrlen(word)) + 1).split('\n').value(0).toInt();
    };
    const int pending = number("PENDING"), leftPending = number("DONE");
    ASSERT_GT(pending, 0) << output.toStdString();
    ASSERT_GE(leftPending, 0) << output.toStdString();
    const int reportedWritten = pending - leftPending;
    const int stored = ServerPair::scalar(url, "SELECT COUNT(*) FROM ITMENUCONFTE WHERE CDFILIAL = '9999' AND "
                                               "IDTPBUTTON = '3' AND NRBUTTONAUX = '01' AND NRCOLORTEXT = 255")
                           .toInt();
    EXPECT_GE(stored, reportedWritten) << output.toStdString();     // nothing reported written is lost
    EXPECT_LE(stored, reportedWritten + 1) << output.toStdString(); // at most the row in flight, whole
    if (leftPending > 0) {
        EXPECT_TRUE(output.contains("MESSAGE")) << output.toStdString(); // the failure was told
    }
    QString report;
    QTextStream out(&report);
    EXPECT_EQ(runLayoutCheck(url, out), 0) << report.toStdString();
    std::printf("QDL-FIGURE failover-batch-rows=%d written-before-kill=%d in-flight-stored=%d\n", pending,
                reportedWritten, stored - reportedWritten);
}

// A server of the test's own set to wait for a synchronous standby that is
// not there (a promoted server still set to wait for its old partner), with
// the demo tables; stopped when the object goes. url is empty when it could
// not start (the test has failed).
struct WaitingForNobody {
    WaitingForNobody()
    {
        const QStringList out =
            runPgCluster("qdl_pg_start -c synchronous_standby_names=nobody >/dev/null && "
                         "printf '%s\\n%s\\n%s\\n' \"$QDL_PG_URL\" \"$QDL_PG_DIR\" \"$QDL_PG_BIN\"")
                .split('\n', Qt::SkipEmptyParts);
        if (out.size() != 3)
            return;
        dir = out[1];
        bin = out[2];
        // The tables are made on a connection that does not wait for the standby.
        localUrl = out[0] + QStringLiteral("?options=-c%20synchronous_commit%3Dlocal");
        createQdlDatabaseAt(localUrl, true);
        grantTestTerminalAt(localUrl);
        url = urlAs(out[0], QLatin1String(kTestTerminalRole)); // the screens connect as a terminal
    }
    ~WaitingForNobody()
    {
        if (!dir.isEmpty())
            runPgCluster("qdl_pg_stop", {{"QDL_PG_DIR", dir}, {"QDL_PG_BIN", bin}});
    }
    WaitingForNobody(const WaitingForNobody&) = delete;
    WaitingForNobody& operator=(const WaitingForNobody&) = delete;

    QString url;      // its commits wait for the standby
    QString localUrl; // its commits do not
    QString dir, bin;
};

// A server whose commits wait for a standby that is not there (a promoted
// server still set to wait for its old partner): the action is told as
// failed after the wait limit, with what the server said, and the screen
// answers again.
TEST(Failover, ACommitThatWaitsWithoutEndIsToldAfterTheWaitLimit)
{
    if (!backendAvailable(QStringLiteral("postgresql"), nullptr) && !backendRequired(QStringLiteral("postgresql")))
        GTEST_SKIP() << "PostgreSQL is not installed";
    const WaitingForNobody server;
    ASSERT_FALSE(server.url.isEmpty());

    qputenv("QDL_WAIT_LIMIT", "2");
    const auto limit = qScopeGuard([] { qunsetenv("QDL_WAIT_LIMIT"); });
    ScreenSession s(server.url);
    ASSERT_TRUE(startScreen(s.form));
    QElapsedTimer clock;
    clock.start();
    const QStringList told = rename(s, 1, "Sem reserva");
    const qint64 waited = clock.elapsed();
    ASSERT_EQ(told.size(), 1);
    // Stored on the primary, unconfirmed by the standby: neither done nor
    // failed. The operator is told so, and the screen shows what is stored.
    EXPECT_EQ(told[0], TfrmConfMesa::outcomeUnknownText()) << told[0].toStdString();
    EXPECT_EQ(s.form->tableButton(1)->text(), QStringLiteral("Sem reserva"));
    // The screen answers: the next page shows, and Esc leaves.
    s.click(s.form->tcbProximo);
    EXPECT_EQ(s.form->NrPagina, 2);
    std::printf("QDL-FIGURE stuck-commit-told-after-ms=%lld\n", static_cast<long long>(waited));
}

// A server that dies while a commit waits for its synchronous standby may
// still send the COMMIT's own answer, but never the ready-for-query after it:
// the rename (its COMMIT travelling with the update) must be told as failed,
// never shown as written, for the standby never had it.
void renameWhileTheServerDiesWaitingForItsStandby()
{
    const WaitingForNobody server;
    ASSERT_FALSE(server.url.isEmpty());
    // The tables and their notify trigger were made on a connection that
    // does not wait for the standby: the only commit left to wait is the
    // rename's.
    const QString& local = server.localUrl;

    QProcess screen;
    screen.start(qEnvironmentVariable("QDL_BUILD_DIR") + QStringLiteral("/bin/qdl-drill"),
                 {"rename-area", "--database", server.url, "--caption", "Nunca confirmado"});
    ASSERT_TRUE(screen.waitForStarted());
    // Until the rename's commit waits for the standby.
    QElapsedTimer clock;
    clock.start();
    bool waiting = false;
    while (!waiting && clock.elapsed() < 30000 && screen.state() == QProcess::Running) {
        waiting = ServerPair::scalar(local, "SELECT COUNT(*) FROM pg_stat_activity WHERE wait_event = 'SyncRep'")
                  == QStringLiteral("1");
        if (!waiting)
            screen.waitForReadyRead(50); // a bounded pause that also reads what the drill says
    }
    ASSERT_TRUE(waiting) << screen.readAllStandardOutput().toStdString();
    QFile pidFile(server.dir + QStringLiteral("/data/postmaster.pid"));
    ASSERT_TRUE(pidFile.open(QIODevice::ReadOnly));
    ASSERT_EQ(::kill(pidFile.readLine().trimmed().toInt(), SIGKILL), 0);
    ASSERT_TRUE(screen.waitForFinished(60000));
    const QString output = QString::fromUtf8(screen.readAllStandardOutput());
    ASSERT_TRUE(output.contains("RENAMED")) << output.toStdString();
    EXPECT_TRUE(output.contains("MESSAGE")) << "a rename the standby never had was shown as written:\n"
                                            << output.toStdString();
}

TEST(Failover, ACommitWhoseServerDiesWaitingForItsStandbyIsToldAsFailed)
{
    if (!backendAvailable(QStringLiteral("postgresql"), nullptr) && !backendRequired(QStringLiteral("postgresql")))
        GTEST_SKIP() << "PostgreSQL is not installed";
    // Whether the dying server's COMMIT answer gets out is a race on its
    // side: three rounds, each on a fresh server.
    for (int round = 1; round <= 3; ++round) {
        SCOPED_TRACE(round);
        renameWhileTheServerDiesWaitingForItsStandby();
        if (HasFatalFailure())
            return;
    }
}

} // namespace

QDL_TEST_MAIN()
