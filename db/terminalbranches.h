#pragma once

// Which branches the connection's role may read and write. On PostgreSQL a
// terminal's role is kept to the branches QDL_TERMINAL_FILIAL lists for it
// or for any role it is a member of, directly or through groups (row-level
// security hides the others' rows). A role listed for none, the schema's
// owner and a SQLite file may read every branch. The commands and the
// screen ask here, so that another branch is refused alike everywhere.

#include <QString>
#include <QStringList>

class TADOConnection;

struct TerminalBranches {
    QString role;         // the connection's role (PostgreSQL)
    QStringList branches; // by code; empty: every branch

    bool mayRead(const QString& branch) const { return branches.isEmpty() || branches.contains(branch); }
};

// The role's branches on a database of that schema version. Throws
// EDatabaseError when the list cannot be read.
TerminalBranches terminalBranchesOf(TADOConnection& db, int schemaVersion);

// Throws EQdlError, naming the role, its branches and the remedy, when the
// role may not read the branch; EDatabaseError as above.
void requireBranchReadable(TADOConnection& db, const QString& branch, int schemaVersion);
