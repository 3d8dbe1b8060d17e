#pragma once

// PostgreSQL: the login role of a terminal given exactly what the table
// screen needs, on its own branches only: SELECT on the layout's tables
// (row-level security shows it its branches' rows) and the right to run the
// owner's operations (serveroperations.h), which write only its branches.
// No INSERT, UPDATE or DELETE of its own, so no lock beyond a reader's.
// The branches are kept in QDL_TERMINAL_FILIAL by role identity: a renamed
// role keeps them. Run by the schema's owner. README, "Terminal roles and
// branches".

#include <QString>
#include <QStringList>

class QTextStream;
class TADOConnection;

// `--grant-terminal ROLE --branch CODE[,CODE...]`: the grants, and the
// role's branches recorded in place of any it had, in one transaction; each
// step said on log. Throws EQdlError (not PostgreSQL, no such role, no
// branch or one that does not exist, a schema not this program's, a caller
// that is not the schema's owner) or EDatabaseError.
// A branch without a store (LOJA) is refused unless told to be allowed: a
// database being filled may list a role's branches before their rows.
enum class UnknownBranch { Refuse, Allow };
void grantTerminal(TADOConnection& db, const QString& role, const QStringList& branches, QTextStream& log,
                   UnknownBranch unknown = UnknownBranch::Refuse);

// `--revoke-terminal ROLE`: every privilege the grant gave and the role's
// branches, in one transaction; each step said on log.
void revokeTerminal(TADOConnection& db, const QString& role, QTextStream& log);
