// The screen killed (SIGKILL) at a random moment while it confirms a batch of
// 100 pending changes, again and again on one database: each time the
// database opens, passes the layout check, and every change is either wholly
// written or not at all. Changes are written in list order, one transaction
// each, so what is written must be a prefix of the batch.
//
// On PostgreSQL a killed process's last change may still be on its way: its
// statement and COMMIT went to the server in one pipeline, and the server runs
// what it received until it next reads the socket and finds the client gone.
// The layout is read back once the server has ended the process's session
// (each run names its session apart); what it read the moment the process was
// gone is kept beside, to count the changes that landed after the kill.
//
// QDL_DRILL_KILLS sets the number of kills per database (default 50).

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QProcess>
#include <QRandomGenerator>
#include <QThread>
#include <memory>

#include "adoconnection.h"
#include "connection.h"
#include "consistency.h"
#include "dbfixture.h"
#include "testmain.h"

namespace {

constexpr int kButtons = 100;
// How long the server gets to end a killed process's session.
constexpr int kSessionEndBoundMs = 60000;

struct Row {
    QString page, number, table;
    bool present = true;
    qint64 colour = 0;
};

class KillTest : public ::testing::TestWithParam<QString> {
protected:
    void SetUp() override
    {
        QDL_REQUIRE_BACKEND(GetParam());
        db = TestDatabase::create(GetParam(), false);
        db.exec("INSERT INTO LOJA (CDFILIAL, CDLOJA, NRMESAPADRAO) VALUES ('9999', '00001', NULL)");
        db.exec("INSERT INTO CONFTELA (CDFILIAL, NRCONFTELA, CDLOJA) VALUES ('9999', '00001', '00001')");
        db.exec("INSERT INTO SALA (CDFILIAL, CDSALA, NMSALA, IDSITSALA) VALUES ('9999', 'SAL', 'Salão', 'A')");
        db.exec("INSERT INTO ITMENUCONFTE (CDFILIAL, NRCONFTELA, IDTPBUTTON, NRBUTTON, CDIDENTBUTON, DSBUTTON, "
                "NRCOLORTEXT, NRCOLORBACK, DSMESSAGEBUT, IDTPBUTONAUX, NRBUTTONAUX, NRPGCONFTELA, NRPGCONFTAUX) "
                "VALUES ('9999', '00001', '4', '01', 'SAL', 'Salão', 0, 11571344, '', '0', '0', '1', '0')");
        // In the order the batch records them: page by page, button by button.
        for (int i = 0; i < kButtons; ++i) {
            Row r;
            r.page = QString::number(1 + i / 48);
            r.number = QString::number(1 + i % 48).rightJustified(2, QLatin1Char('0'));
            r.table = QString::number(101 + i);
            db.exec(QStringLiteral("INSERT INTO MESA (CDFILIAL, CDLOJA, NRMESA, CDSALA, NMMESA, IDSTMESA, IDSTMESAAUX) "
                                   "VALUES ('9999', '00001', '%1', 'SAL', 'Mesa %1', 'A', 'D')")
                        .arg(r.table));
            insert(r);
            rows << r;
        }
    }
    void TearDown() override { db.drop(); }

    void insert(const Row& r)
    {
        db.exec(QStringLiteral("INSERT INTO ITMENUCONFTE (CDFILIAL, NRCONFTELA, IDTPBUTTON, NRBUTTON, CDIDENTBUTON, "
                               "DSBUTTON, NRCOLORTEXT, NRCOLORBACK, DSMESSAGEBUT, IDTPBUTONAUX, NRBUTTONAUX, "
                               "NRPGCONFTELA, NRPGCONFTAUX) VALUES ('9999', '00001', '3', '%1', '%2', 'Mesa %2', %3, "
                               "11571344, '', '4', '01', '%4', '1')")
                    .arg(r.number, r.table)
                    .arg(r.colour)
                    .arg(r.page));
    }

    // The stored rows as they are now, read on a connection opened afresh,
    // and the layout check on it.
    QList<Row> readBack(LayoutReport* report)
    {
        TADOConnection c;
        c.ConnectionString = db.connectionString;
        try {
            c.setConnected(true);
        } catch (const std::exception& e) {
            ADD_FAILURE() << ADOExceptionMessage(e, &c, QString()).toStdString();
            return rows;
        }
        const QList<Row> now = storedRows(c);
        *report = checkLayout(c);
        c.setConnected(false);
        return now;
    }

    // The batch's rows as connection c reads them.
    QList<Row> storedRows(TADOConnection& c)
    {
        QList<Row> now = rows;
        QHash<QString, qint64> stored;
        SqlQuery q(c);
        EXPECT_TRUE(q.exec("SELECT NRPGCONFTELA, NRBUTTON, CDIDENTBUTON, NRCOLORTEXT FROM ITMENUCONFTE "
                           "WHERE IDTPBUTTON = '3'"))
            << errorText(q.lastError());
        while (q.next())
            stored.insert(q.value(0).toString() + '/' + q.value(1).toString() + '/' + q.value(2).toString(),
                          qint64(q.value(3).toDouble()));
        q.finish();
        for (Row& r : now) {
            const auto it = stored.constFind(r.page + '/' + r.number + '/' + r.table);
            r.present = it != stored.constEnd();
            r.colour = r.present ? *it : -1;
        }
        return now;
    }

    // PostgreSQL: the drill's connection string, its session named so that
    // the server's list of sessions shows it apart from every other.
    QString drillConnection(const QString& session) const
    {
        if (!db.isPostgres())
            return db.connectionString;
        return db.connectionString + (db.connectionString.contains(QLatin1Char('?')) ? '&' : '?')
            + QStringLiteral("application_name=") + session;
    }

    // PostgreSQL: waits (bounded) until the server has no session of that
    // name left, on the owner's connection, which sees every session.
    // Answers how long it took, and whether the session was still there at
    // first; -1 past the bound.
    qint64 waitForSessionEnd(const QString& session, bool* stillThere)
    {
        *stillThere = false;
        if (!db.isPostgres())
            return 0;
        QElapsedTimer clock;
        clock.start();
        SqlQuery q(db.openCheckConnection());
        if (!q.prepare(QStringLiteral("SELECT COUNT(*) FROM pg_stat_activity WHERE datname = current_database() "
                                      "AND application_name = '%1'")
                           .arg(session))) {
            ADD_FAILURE() << errorText(q.lastError());
            return -1;
        }
        const QDeadlineTimer bound(kSessionEndBoundMs);
        for (bool first = true; !bound.hasExpired(); first = false) { // a round trip a try
            if (!q.exec() || !q.next()) {
                ADD_FAILURE() << errorText(q.lastError());
                return -1;
            }
            const bool open = q.value(0).toInt() > 0;
            q.finish();
            if (!open)
                return clock.elapsed();
            *stillThere = *stillThere || first;
        }
        return -1;
    }

    struct Run {
        bool killed = false;
        qint64 confirmMs = -1; // from CONFIRMING to the end, when not killed
        QString output;
    };
    // Starts a batch, its session named session (PostgreSQL); once it says
    // CONFIRMING, kills it after killAfterUs (a negative delay lets it finish).
    Run runBatch(const QString& session, const QString& mode, qint64 colour, qint64 killAfterUs)
    {
        Run run;
        QProcess p;
        p.setProcessChannelMode(QProcess::SeparateChannels);
        p.start(qEnvironmentVariable("QDL_BUILD_DIR") + "/bin/qdl-drill",
                {"confirm", "--database", drillConnection(session), "--mode", mode, "--colour",
                 QString::number(colour)});
        QElapsedTimer clock;
        clock.start();
        while (!run.output.contains("CONFIRMING") && p.state() != QProcess::NotRunning && clock.elapsed() < 60000) {
            p.waitForReadyRead(100);
            run.output += QString::fromUtf8(p.readAllStandardOutput());
        }
        EXPECT_TRUE(run.output.contains("CONFIRMING")) << run.output.toStdString()
                                                       << p.readAllStandardError().toStdString();
        QElapsedTimer confirming;
        confirming.start();
        if (killAfterUs >= 0) {
            QThread::usleep(static_cast<unsigned long>(killAfterUs));
            run.killed = p.state() != QProcess::NotRunning;
            p.kill(); // SIGKILL
        }
        if (!p.waitForFinished(120000)) {
            ADD_FAILURE() << "the batch did not end";
            p.kill();
            p.waitForFinished();
        }
        run.output += QString::fromUtf8(p.readAllStandardOutput());
        if (!run.killed) {
            run.confirmMs = confirming.elapsed();
            EXPECT_TRUE(run.output.contains("DONE 0")) << run.output.toStdString();
        }
        return run;
    }

    TestDatabase db;
    QList<Row> rows; // what is stored, as the test knows it
};

TEST_P(KillTest, EveryChangeOfAKilledBatchIsWhollyWrittenOrNotAtAll)
{
    const int kills = qEnvironmentVariableIsSet("QDL_DRILL_KILLS") ? qEnvironmentVariableIntValue("QDL_DRILL_KILLS") : 50;
    QRandomGenerator random(20240611u + quint32(db.isSqlite() ? 1 : 2));

    const auto sessionName = [](int run) {
        return QStringLiteral("qdl-kill-%1-%2").arg(QCoreApplication::applicationPid()).arg(run);
    };

    // A batch left alone writes all of it, and shows how long confirming takes.
    const Run calibration = runBatch(sessionName(0), "colour", 1000, -1);
    LayoutReport report;
    for (const Row& r : readBack(&report))
        ASSERT_EQ(r.colour, 1000) << "table " << r.table.toStdString();
    for (Row& r : rows)
        r.colour = 1000;
    const qint64 windowUs = std::max<qint64>(calibration.confirmMs * 1200, 20000);

    int killed = 0, midway = 0, none = 0, whole = 0;
    int sessionsOutliving = 0, lateLandings = 0, lateRowsMost = 0; // PostgreSQL
    qint64 sessionEndMostMs = 0;
    for (int i = 1; i <= kills; ++i) {
        const bool clear = i % 5 == 0;
        const qint64 colour = 1000 + i; // never seen before: tells written from not
        SCOPED_TRACE(QStringLiteral("kill %1 (%2)").arg(i).arg(clear ? "clear" : "colour").toStdString());
        const Run run = runBatch(sessionName(i), clear ? "clear" : "colour", colour,
                                 qint64(random.bounded(quint64(windowUs))));
        killed += run.killed ? 1 : 0;

        // The process is gone; its session on the server may not be yet.
        const QList<Row> atKill = db.isPostgres() ? storedRows(db.openCheckConnection()) : QList<Row>();
        bool outlived = false;
        const qint64 sessionEndMs = waitForSessionEnd(sessionName(i), &outlived);
        ASSERT_GE(sessionEndMs, 0) << "the server kept the killed process's session past "
                                   << kSessionEndBoundMs << " ms";
        sessionEndMostMs = std::max(sessionEndMostMs, sessionEndMs);
        sessionsOutliving += outlived ? 1 : 0;

        const QList<Row> now = readBack(&report);
        if (db.isPostgres()) {
            int late = 0;
            for (int j = 0; j < kButtons; ++j)
                late += atKill[j].present != now[j].present || atKill[j].colour != now[j].colour ? 1 : 0;
            lateLandings += late > 0 ? 1 : 0;
            lateRowsMost = std::max(lateRowsMost, late);
        }
        EXPECT_TRUE(report.clean()) << (report.problems.isEmpty() ? "" : report.problems.first().text.toStdString());
        // The written changes are the first k of the batch; the others are untouched.
        int k = 0;
        while (k < kButtons && (clear ? !now[k].present : now[k].colour == colour))
            ++k;
        for (int j = k; j < kButtons; ++j) {
            ASSERT_TRUE(now[j].present) << "table " << rows[j].table.toStdString() << " lost";
            ASSERT_EQ(now[j].colour, rows[j].colour) << "table " << rows[j].table.toStdString();
        }
        (k == 0 ? none : k == kButtons ? whole : midway)++;
        if (clear) {
            for (int j = 0; j < k; ++j)
                insert(rows[j]); // put the cleared buttons back for the next batch
        } else {
            for (int j = 0; j < k; ++j)
                rows[j].colour = colour;
        }
    }
    std::printf("QDL-FIGURE kills-%s=%d kills-midway-%s=%d before-first-%s=%d after-last-%s=%d confirm-ms-%s=%lld\n",
                qPrintable(GetParam()), killed, qPrintable(GetParam()), midway, qPrintable(GetParam()), none,
                qPrintable(GetParam()), whole, qPrintable(GetParam()), static_cast<long long>(calibration.confirmMs));
    if (db.isPostgres())
        std::printf("QDL-FIGURE sessions-outliving-kill-postgresql=%d late-landings-postgresql=%d "
                    "late-rows-most-postgresql=%d session-end-most-ms-postgresql=%lld\n",
                    sessionsOutliving, lateLandings, lateRowsMost, static_cast<long long>(sessionEndMostMs));
    EXPECT_GE(killed, kills / 2); // most kills land while the process runs
    EXPECT_GT(midway, 0);         // and some in the middle of the batch
}

} // namespace

INSTANTIATE_TEST_SUITE_P(Backends, KillTest, ::testing::ValuesIn(testBackends()), backendName);

QDL_TEST_MAIN()
