// qdl-load: many terminals working on one database at once.
//
//   qdl-load --database URL --terminals 200 [--workers 4] [--seconds 60] [--think 5000]
//            [--generate [--rows 100000]] [--seed 1] [--terminal-role ROLE]
//
// --think 0 runs at saturation (each worker's terminals one after the
// other, no pause); --think 5000 is a chain's day: every terminal one action
// every five seconds on average. --generate makes the chain first (the
// SQLite file, or the PostgreSQL database emptied and filled again).
// --terminal-role PREFIX: on PostgreSQL each terminal connects as the login
// role PREFIX_BRANCH of its branch (made when missing, given that branch as
// --grant-terminal gives it), as a chain's terminals do; --database stays
// the owner's, for the set-up and the checks.
//
// What it measures and how (bench/loadengine.h has the terminals): the
// services use the one global rdmConfMesa, so a process can run one service
// call at a time. qdl-load starts --workers processes of itself; each holds
// its share of the terminals, each terminal a data module with its own
// connection, and runs them from one event loop, pointing rdmConfMesa at the
// terminal whose action is due. The database thus sees N sessions of which
// at most --workers are busy at once, which is what a chain's N terminals
// look like to the server as long as their actions seldom coincide: at one
// action every five seconds, 200 terminals make 40 actions a second. An
// action's time is counted from when it was due, not from when its worker
// got to it, so a worker that falls behind shows in the figures rather than
// hiding in the pacing. Each service call is timed on its own as well.
//
// At the end: every worker says what each of its terminals' areas must hold,
// the parent compares that with the database and runs the layout check.
// Exit status 0 when both are clean, 3 when not, 1 on a failure to run.

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QSet>
#include <QTextStream>
#include <cstdio>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "adoconnection.h"
#include "benchdata.h"
#include "checkcommand.h"
#include "connection.h"
#include "consistency.h"
#include "errors.h"
#include "loadengine.h"
#include "terminalroles.h"

namespace {

struct Options {
    QString connection;
    int terminals = 10, workers = 4, worker = -1;
    double seconds = 10, thinkMs = 5000;
    quint32 seed = 1;
    bool generate = false;
    qint64 rows = 100000;
    QString result;
    QString terminalRole;
};

// Each terminal's branch gets its role, prefix_BRANCH, made when missing.
void grantTerminalRoles(const QString& ownerConnection, const QString& prefix, int terminals)
{
    TADOConnection db;
    db.ConnectionString = ownerConnection;
    db.setConnected(true);
    QSet<QString> done;
    for (const qdlload::Seat& seat : qdlload::seats(terminals)) {
        if (done.contains(seat.branch))
            continue;
        done.insert(seat.branch);
        const QString role = qdlload::terminalRoleOf(prefix, seat.branch);
        db.execute(QStringLiteral("DO $$ BEGIN CREATE ROLE \"%1\" LOGIN; EXCEPTION WHEN duplicate_object THEN NULL; END $$")
                       .arg(role),
                   QStringLiteral("CREATE ROLE"));
        QString said;
        QTextStream log(&said);
        grantTerminal(db, role, {seat.branch}, log);
    }
}

int runAsWorker(const Options& o)
{
    qdlload::WorkerOptions w;
    w.connection = o.connection;
    w.terminals = o.terminals;
    w.worker = o.worker;
    w.workers = o.workers;
    w.seconds = o.seconds;
    w.thinkMs = o.thinkMs;
    w.seed = o.seed;
    w.terminalRole = o.terminalRole;
    const qdlload::WorkerResult r = qdlload::runWorker(w, [] {
        // Every worker's terminals are open before any starts.
        std::cout << "ready" << std::endl;
        std::string line;
        std::getline(std::cin, line);
    });
    return qdlload::writeResult(r, o.result) ? 0 : 1;
}

// Sessions waiting for a lock, sampled from a connection of its own.
struct LockSampler {
    explicit LockSampler(const QString& connection)
    {
        if (isSqliteConnectionString(connection))
            return;
        db.ConnectionString = connection;
        try {
            db.setConnected(true);
        } catch (const std::exception& e) {
            std::fprintf(stderr, "qdl-load: no lock sampling: %s\n", e.what());
            return;
        }
        DbError error;
        query = db.prepare(QStringLiteral("SELECT count(*) FROM pg_stat_activity WHERE wait_event_type = 'Lock' AND "
                                          "datname = current_database()"),
                           error);
        on = query != nullptr;
    }
    void sample()
    {
        if (!on)
            return;
        if (!query->exec() || !query->next()) {
            query->finish();
            return;
        }
        const int waiting = int(query->value(0).toDouble());
        query->finish();
        ++samples;
        if (waiting > 0)
            ++withWaits;
        sessionSamples += waiting;
        maxWaiting = std::max(maxWaiting, waiting);
    }
    TADOConnection db;
    std::unique_ptr<TADOQuery> query;
    bool on = false;
    qint64 samples = 0, withWaits = 0, sessionSamples = 0;
    int maxWaiting = 0;
};

constexpr int kSampleMs = 20;

int runParent(const Options& o)
{
    QTextStream out(stdout);
    const bool sqlite = isSqliteConnectionString(o.connection);
    if (o.generate) {
        QElapsedTimer t;
        t.start();
        qdlbench::resetDatabase(o.connection);
        qdlload::generate(o.connection, o.terminals, o.rows, o.seed);
        out << "chain made in " << QString::number(double(t.elapsed()) / 1000, 'f', 1) << " s" << Qt::endl;
    }
    qdlload::freeTables(o.connection, o.terminals);
    if (!sqlite && !o.terminalRole.isEmpty())
        grantTerminalRoles(o.connection, o.terminalRole, o.terminals);

    QTemporaryDir dir;
    const int workers = std::min(o.workers, o.terminals);
    std::vector<std::unique_ptr<QProcess>> procs;
    for (int i = 0; i < workers; ++i) {
        auto p = std::make_unique<QProcess>();
        p->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        p->start(QCoreApplication::applicationFilePath(),
                 {QStringLiteral("--database"), o.connection, QStringLiteral("--terminal-role"), o.terminalRole,
                  QStringLiteral("--terminals"),
                  QString::number(o.terminals), QStringLiteral("--workers"), QString::number(workers),
                  QStringLiteral("--worker"), QString::number(i), QStringLiteral("--seconds"),
                  QString::number(o.seconds), QStringLiteral("--think"), QString::number(o.thinkMs),
                  QStringLiteral("--seed"), QString::number(o.seed), QStringLiteral("--result"),
                  dir.filePath(QStringLiteral("worker-%1").arg(i))});
        procs.push_back(std::move(p));
    }
    for (auto& p : procs) {
        while (!p->canReadLine())
            if (!p->waitForReadyRead(300000)) {
                std::fprintf(stderr, "qdl-load: a worker did not open its terminals\n");
                return 1;
            }
        p->readLine();
    }
    LockSampler locks(o.connection);
    for (auto& p : procs) {
        p->write("go\n");
        p->waitForBytesWritten();
    }
    for (auto& p : procs) {
        while (!p->waitForFinished(kSampleMs))
            locks.sample();
        if (p->exitStatus() != QProcess::NormalExit || p->exitCode() != 0) {
            std::fprintf(stderr, "qdl-load: a worker failed\n");
            return 1;
        }
    }

    qdlload::WorkerResult all;
    for (int i = 0; i < workers; ++i) {
        qdlload::WorkerResult r;
        if (!qdlload::readResult(dir.filePath(QStringLiteral("worker-%1").arg(i)), r)) {
            std::fprintf(stderr, "qdl-load: no result from worker %d\n", i);
            return 1;
        }
        qdlload::merge(all, r);
    }

    const qdlload::Counters& c = all.counters;
    out << "qdl-load: " << (sqlite ? "sqlite" : "postgresql") << ", " << o.terminals << " terminals in " << workers
        << " workers, " << o.seconds << " s, "
        << (o.thinkMs > 0 ? QStringLiteral("one action every %1 ms a terminal").arg(o.thinkMs)
                          : QStringLiteral("saturation"))
        << Qt::endl;
    out << "actions " << c.actions << " (" << QString::number(double(c.actions) / all.seconds, 'f', 1)
        << "/s), calls " << c.calls << " (" << QString::number(double(c.calls) / all.seconds, 'f', 1)
        << "/s), writes done " << c.writes << Qt::endl;
    out << "answers not done: database errors " << c.dbErrors << ", Mesa_Ind " << c.mesaInd << ", Botao_Alt "
        << c.botaoAlt << Qt::endl;
    if (locks.on)
        out << "lock waits (pg_stat_activity every " << kSampleMs << " ms): " << locks.withWaits << " of "
            << locks.samples << " samples, at most " << locks.maxWaiting << " sessions waiting, ~"
            << locks.sessionSamples * kSampleMs << " session-ms waited" << Qt::endl;
    else
        out << "lock waits: SQLite's busy wait is not visible from outside; see the writes' p99" << Qt::endl;
    for (const QString& e : all.errors.mid(0, 10))
        out << "  " << e << Qt::endl;

    const auto table = [&](const char* what, const QMap<QString, QList<quint32>>& m) {
        out << "| " << what << " | count | p50 ms | p99 ms | max ms |" << Qt::endl << "|---|---:|---:|---:|---:|" << Qt::endl;
        for (auto it = m.cbegin(); it != m.cend(); ++it)
            out << "| " << it.key() << " | " << it.value().size() << " | "
                << QString::number(qdlload::percentileMs(it.value(), 50), 'f', 2) << " | "
                << QString::number(qdlload::percentileMs(it.value(), 99), 'f', 2) << " | "
                << QString::number(qdlload::percentileMs(it.value(), 100), 'f', 2) << " |" << Qt::endl;
    };
    table("service (one call)", all.serviceUs);
    table("action (from when it was due)", all.actionUs);

    const QStringList differences = qdlload::verify(o.connection, all.areas, all.shared);
    out << "writes in the database: "
        << (differences.isEmpty() ? QStringLiteral("all %1 areas as their terminals left them").arg(all.areas.size())
                                  : QStringLiteral("%1 differences").arg(differences.size()))
        << Qt::endl;
    for (const QString& d : differences.mid(0, 20))
        out << "  " << d << Qt::endl;
    QString checkText;
    QTextStream checkOut(&checkText);
    const int check = runLayoutCheck(o.connection, checkOut);
    out << "layout check: " << (check == 0 ? "clean" : "NOT clean") << Qt::endl;
    if (check != 0)
        out << checkText.left(4000);
    return differences.isEmpty() && check == 0 ? 0 : 3;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Many terminals on one database."));
    parser.addHelpOption();
    const QCommandLineOption database(QStringLiteral("database"), QStringLiteral("sqlite:PATH or postgresql:// URL."),
                                      QStringLiteral("URL"));
    const QCommandLineOption terminals(QStringLiteral("terminals"), QStringLiteral("Terminals."), QStringLiteral("N"),
                                       QStringLiteral("10"));
    const QCommandLineOption workers(QStringLiteral("workers"), QStringLiteral("Worker processes."),
                                     QStringLiteral("K"), QStringLiteral("4"));
    const QCommandLineOption seconds(QStringLiteral("seconds"), QStringLiteral("Length of the run."),
                                     QStringLiteral("S"), QStringLiteral("10"));
    const QCommandLineOption think(QStringLiteral("think"),
                                   QStringLiteral("Mean ms between a terminal's actions; 0: saturation."),
                                   QStringLiteral("MS"), QStringLiteral("5000"));
    const QCommandLineOption seed(QStringLiteral("seed"), QStringLiteral("The terminals' choices."),
                                  QStringLiteral("S"), QStringLiteral("1"));
    const QCommandLineOption generate(QStringLiteral("generate"), QStringLiteral("Make the chain first."));
    const QCommandLineOption rows(QStringLiteral("rows"), QStringLiteral("ITMENUCONFTE rows of the chain, at least."),
                                  QStringLiteral("N"), QStringLiteral("100000"));
    const QCommandLineOption terminalRole(QStringLiteral("terminal-role"),
                                          QStringLiteral("PostgreSQL: each terminal connects as PREFIX_BRANCH."),
                                          QStringLiteral("PREFIX"));
    const QCommandLineOption worker(QStringLiteral("worker"), QStringLiteral("(internal) run as worker I."),
                                    QStringLiteral("I"));
    const QCommandLineOption result(QStringLiteral("result"), QStringLiteral("(internal) worker's result file."),
                                    QStringLiteral("FILE"));
    parser.addOptions({database, terminals, workers, seconds, think, seed, generate, rows, terminalRole, worker, result});
    parser.process(app);

    Options o;
    o.connection = parser.value(database);
    o.terminals = parser.value(terminals).toInt();
    o.workers = std::max(1, parser.value(workers).toInt());
    o.seconds = parser.value(seconds).toDouble();
    o.thinkMs = parser.value(think).toDouble();
    o.seed = parser.value(seed).toUInt();
    o.generate = parser.isSet(generate);
    o.rows = parser.value(rows).toLongLong();
    o.terminalRole = parser.value(terminalRole);
    if (o.connection.isEmpty() || o.terminals < 1) {
        std::fprintf(stderr, "qdl-load: --database and --terminals (at least 1) are required\n");
        return 2;
    }
    try {
        if (parser.isSet(worker)) {
            o.worker = parser.value(worker).toInt();
            o.result = parser.value(result);
            return runAsWorker(o);
        }
        return runParent(o);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "qdl-load: %s\n", e.what());
        return 1;
    }
}
