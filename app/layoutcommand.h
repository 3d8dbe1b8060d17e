#pragma once

// `qdl-host --export-layout`, `--import-layout` and `--restore`: a
// configuration's layout written to a file, put back from one, or put back
// as it stood at a past time (db/layoutfile.h does the work).
//
// Exit status: 0 done (buttons whose area or table the branch lacks are
// listed and skipped); 1 the layout check refused the result, or a button to
// be removed belongs to a table in use (each named), nothing was written; 2 the command could not be done: a bad option, file or time, a
// missing configuration or branch right, a database that cannot be opened,
// read or written (nothing was written).
//
// --import-layout into several branches (codes separated by commas, or every
// branch that has the configuration) reads the file once and imports it
// into each branch over one connection, each in its own transaction as a
// single import does: one branch refused or failed leaves the others as
// they are. Each branch's report comes under its heading, then a summary.
// Exit status: 0 every branch written or unchanged; 1 some refused, none
// failed; 2 some failed (a missing configuration or branch right, a
// database error), or the command could not start.

#include <QDateTime>
#include <QString>
#include <optional>

class QTextStream;

// The most --import-layout reads: a bigger file is refused unread
// (docs/layout-format.md). A layout of hundreds of pages takes a few
// megabytes.
inline constexpr qint64 kLayoutFileLimit = 64 * 1024 * 1024;

struct LayoutCommand {
    enum class Kind { Export, Import, Restore };
    Kind kind = Kind::Export;
    QString argument; // the file, or the time of --restore
    QString branch = QStringLiteral("9999"); // with Import, codes may be separated by commas
    QString configuration = QStringLiteral("00001");
    bool dryRun = false;
    bool allBranches = false; // Import: every branch with the configuration but the central one
};

// Runs the command on the database of the connection string; what it did on
// out, why it could not on err. Answers the exit status.
int runLayoutCommand(const QString& connectionString, const LayoutCommand& command, QTextStream& out, QTextStream& err);

