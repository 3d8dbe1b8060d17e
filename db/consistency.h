#pragma once

// The layout check behind `qdl-host --check`: checks every button row of
// ITMENUCONFTE (or of one branch, `--branch`) and lists each rule of the
// layout that a row breaks. It only reads; a broken layout is reported, never
// repaired.

#include <QList>
#include <QString>

class TADOConnection;

enum class LayoutFault {
    MissingParent, // a table button whose area button is not stored
    PlacedTwice,   // one table or area on two buttons of one configuration
    WrongArea,     // a table under the button of an area it does not belong to
    CutKey,        // a button number, page or parent column not in the form the screen writes
    UnknownCode,   // an area or table code that names no SALA or MESA row of the branch
    BadColour,     // a stored colour outside 0 to 0xFFFFFF (storedvalues.h)
    NoConfiguration, // buttons of a configuration that has no CONFTELA row
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
    int schemaVersion = -1; // as checkLayoutAt found it (db/schemaversion.h)
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
LayoutReport checkLayout(TADOConnection& db, const QString& branch = QString(), int splitFrom = kCheckSplitFrom);

// The same rules read inside the transaction the caller holds on db, its own
// uncommitted rows included: what a writer of a whole layout runs before it
// commits. Neither begins nor ends a transaction; reads one branch.
LayoutReport checkLayoutWithin(TADOConnection& db, const QString& branch);

// For a writer whose transaction goes to the server whole, its COMMIT
// included, and must be refused there when the check would find the
// configuration it wrote broken: an SQL condition, true when a row of
// configuration :P_NRCONFTELA of branch :P_CDFILIAL (the transaction's own
// rows included) may break a rule. It may hold of a configuration the check
// finds sound, the check itself then deciding; never false of one it finds
// broken.
QString configurationMayBeBrokenSql(bool postgres);

// Opens the database of the connection string on a connection of its own,
// checks it as above and closes it. Throws EQdlError or EDatabaseError when
// the database cannot be opened or read, or the branch is one the role may
// not read (terminalbranches.h); never waits past the wait limit.
LayoutReport checkLayoutAt(const QString& connectionString, const QString& branch = QString());
