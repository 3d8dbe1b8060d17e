#pragma once

// `qdl-host --history` and `--prune-history`: the layout's history
// (QDL_HISTORICO, written by the database's own triggers on every change to
// ITMENUCONFTE) listed for an operator, and its old records removed by the
// schema's owner.
//
// Exit status: 0 done; 2 a bad time, an older schema without the history,
// a branch the role may not read, or a database that cannot be opened, read
// or written.

#include <QDateTime>
#include <QString>
#include <optional>

class QTextStream;

struct HistoryCommand {
    QString branch;        // empty: every branch the connection may see
    QString configuration; // empty: every configuration
    QString since;         // a time as parseCommandLineTime reads it; empty: all records
};

// Lists the records newest first on out, times in local time; why it could
// not on err. Answers the exit status.
int runHistoryCommand(const QString& connectionString, const HistoryCommand& command, QTextStream& out, QTextStream& err);

// Removes the records older than the time (parseCommandLineTime) and says how
// many on out. Answers the exit status.
int runPruneHistory(const QString& connectionString, const QString& before, QTextStream& out, QTextStream& err);

