#pragma once

// PostgreSQL: the login role of a terminal given exactly what the table
// screen's statements need, on its own branches only (the row-level
// security of schema version 2 reads QDL_TERMINAL_FILIAL). Run by the
// schema's owner. README, "Terminal roles and branches".

#include <QString>
#include <QStringList>

class QTextStream;
class TADOConnection;

// `--grant-terminal ROLE --branch CODE[,CODE...]`: the grants, and the
// role's branches recorded in place of any it had, in one transaction; each
// step said on log. Throws EQdlError (not PostgreSQL, no such role, no
// branch, a schema older than version 3) or EDatabaseError.
void grantTerminal(TADOConnection& db, const QString& role, const QStringList& branches, QTextStream& log);

// `--revoke-terminal ROLE`: every privilege the grant gave and the role's
// branches, in one transaction; each step said on log.
void revokeTerminal(TADOConnection& db, const QString& role, QTextStream& log);
