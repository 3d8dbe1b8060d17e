#pragma once

// Many terminals on one database: the load engine behind qdl-load and its
// test. A terminal is one data module (TrdmConfMesa, its own connection)
// working the way an operator does on one area button of configuration 00001
// of a branch of the chain: mostly menu reads and lookups, some placements,
// renames, colour batches and clears, now and then the whole area removed and
// placed again. It keeps what the layout of its area must be after each
// answer it got, so that at the end every write it counted can be looked for.
//
// Terminals and branches: one terminal in five shares its branch with the
// next one (terminals 0 and 1, 10 and 11, ...): each of the two keeps its own
// area (buttons 01 and 02), both read the same menus and both recolour the
// branch's area button 03, the same row, in every colour batch. That row is
// where two terminals wait for each other's row lock on PostgreSQL; on SQLite
// every writer of the file waits for the one before it anyway.
//
// The services use one global data module, so terminals do not run one a
// thread. A worker process holds several terminals and runs them from one
// event loop, pointing rdmConfMesa at a terminal's module for each of its
// calls; qdl-load starts several workers, and those are what the database
// sees as concurrent sessions.

#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>

namespace qdlload {

inline const QString kConf = QStringLiteral("00001");

// Where one terminal works.
struct Seat {
    int terminal = 0;
    int branchIndex = 0; // chainBranch index
    QString branch;      // CDFILIAL
    QString areaButton;  // "01" or "02"
    QString sharedButton; // "03" when the branch has two terminals, else empty
};

// The seats of n terminals (the same for every process of one run).
QList<Seat> seats(int terminals);
// Which worker of `workers` runs a seat: the two terminals of a branch share
// a worker, so that each worker can tell what their common row must hold.
int workerOf(const Seat& seat, int workers);

// Makes the chain (schema and at least `rows` buttons, enough branches for
// the terminals) in an empty database; see qdlbench::generateChain.
void generate(const QString& connection, int terminals, qint64 rows, std::uint32_t seed);
// Before a run: every table of the terminals' areas becomes free (an area
// with an occupied table cannot be removed, nor its table buttons cleared).
void freeTables(const QString& connection, int terminals);

// One button row under a terminal's area button, or the area button itself.
struct Button {
    QString type, number, page, ident, caption; // IDTPBUTTON, NRBUTTON, NRPGCONFTELA, CDIDENTBUTON, DSBUTTON
    qint64 text = 0, back = 0;
    QString auxType, auxNumber, auxPage;
    QString key() const; // one comparable line
};

// What a terminal's area must hold at the end.
struct AreaState {
    int terminal = 0;
    QString branch, areaButton;
    QList<Button> rows;
};

// A row that two terminals recolour: its colour must be the last one one of
// them wrote (or the first, when neither changed it).
struct SharedRow {
    QString branch, button;
    QList<qint64> allowedBack;
};

struct Counters {
    qint64 actions = 0, calls = 0, writes = 0; // writes: calls answered done that changed a row
    qint64 dbErrors = 0, mesaInd = 0, botaoAlt = 0;
};

struct WorkerResult {
    QMap<QString, QList<quint32>> serviceUs; // each call's time, by service
    QMap<QString, QList<quint32>> actionUs;  // each action, from when it was due to its last answer
    Counters counters;
    double seconds = 0; // the loop's own time
    QStringList errors; // the first answers that were not what the terminal expected
    QList<AreaState> areas;
    QList<SharedRow> shared;
};

struct WorkerOptions {
    QString connection;
    int terminals = 10, worker = 0, workers = 1;
    double seconds = 10;
    // Mean time between one terminal's actions (each wait drawn from 0.5 to
    // 1.5 times it); 0: none, the worker's terminals one after the other.
    double thinkMs = 5000;
    std::uint32_t seed = 1;
    // PostgreSQL: each terminal connects as terminalRoleOf(terminalRole, its
    // branch), the set-up and checks as connection's user; empty: all as it.
    QString terminalRole;
};

// The login role of a branch's terminals, and a connection string as it.
QString terminalRoleOf(const QString& prefix, const QString& branch);
QString connectionAs(const QString& connection, const QString& role);

// Opens the worker's terminals (each a data module of its own), reads where
// each area stands, then calls ready() and runs until the time is up.
WorkerResult runWorker(const WorkerOptions& options, const std::function<void()>& ready);

bool writeResult(const WorkerResult& r, const QString& path);
bool readResult(const QString& path, WorkerResult& r);
void merge(WorkerResult& into, const WorkerResult& from);

// Compares the database with what the terminals counted: one line per
// difference (a write lost, a row doubled or left behind, a colour or name
// that is not the last one written). Empty when all is there.
QStringList verify(const QString& connection, const QList<AreaState>& areas, const QList<SharedRow>& shared);

// Percentile (0..100) of microsecond samples, in milliseconds.
double percentileMs(QList<quint32> samples, double p);

} // namespace qdlload
