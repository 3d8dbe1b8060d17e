#pragma once

// The layout check behind `qdl-host --check`: checks every button row of
// ITMENUCONFTE (or of one branch, `--branch`) and lists each rule of the
// layout that a row breaks. It only reads; a broken layout is reported, never
// repaired.

#include <QList>
#include <QSqlDatabase>
#include <QString>

class QTextStream;

enum class LayoutFault {
    MissingParent, // a table button whose area button is not stored
    PlacedTwice,   // one table or area on two buttons of one configuration
    WrongArea,     // a table under the button of an area it does not belong to
    CutKey,        // a button number, page or parent column not in the form the screen writes
    UnknownCode,   // an area or table code that names no SALA or MESA row of the branch
};

struct LayoutProblem {
    LayoutFault fault;
    QString branch;
    QString configuration;
    QString text; // one readable line: the button and what is wrong with it
};

struct LayoutReport {
    int buttons = 0;
    int configurations = 0;
    QList<LayoutProblem> problems;

    bool clean() const { return problems.isEmpty(); }
    int count(LayoutFault fault) const;
};

// Reads the layout of every branch and configuration in one snapshot (a
// read-only transaction, ended before returning); of one branch only when
// branch is not empty. Throws EDatabaseError when a table cannot be read.
// A SQLite file of splitFrom buttons or more is read in two halves by branch
// at once, the second on a connection of its own (each branch still in one
// snapshot); the report is the one a single read gives.
inline constexpr int kCheckSplitFrom = 100000;
LayoutReport checkLayout(QSqlDatabase& db, const QString& branch = QString(), int splitFrom = kCheckSplitFrom);

// `--check`: opens the database of the connection string on a connection of
// its own, checks it and writes the report to out. Returns 0 when the layout
// is consistent, 1 when problems were found, 2 when the database cannot be
// opened or read. A branch that is not empty limits the check to that branch.
int runLayoutCheck(const QString& connectionString, QTextStream& out, const QString& branch = QString());
