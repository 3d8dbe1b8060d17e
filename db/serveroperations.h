#pragma once

// PostgreSQL: a terminal changes the layout only through the product's own
// operations. For every statement of statements.h that writes or locks
// there is a function of the schema's owner, made from the statement's own
// text: it runs with the owner's rights and the tables' schema as its only
// search_path, refuses a branch the calling login is not given (the
// terminal roles' list, QDL_TERMINAL_FILIAL), runs the statement inside the
// caller's transaction and answers how many rows it changed or locked.
// A terminal role holds SELECT and the right to run these, nothing more: no
// lock beyond a reader's, no row lock of its own. SQLite has no roles and
// runs the statements themselves.

#include <QString>
#include <QStringList>
#include <memory>

#include "statements.h"

class TADOConnection;
class TADOQuery;

namespace qdl {

// The schema version from which PostgreSQL holds the operations; an older
// schema is written with the statements themselves until it is upgraded.
inline constexpr int kOperationsSchemaVersion = 4;

inline bool writesThroughOperation(const StatementDef& def, bool postgres, int schemaVersion)
{
    return postgres && def.writes() && schemaVersion >= kOperationsSchemaVersion;
}

// A role's or schema's name as an SQL identifier, quoted.
QString quotedIdentifier(const QString& name);

// "qdl_acmmudanome".
QString operationName(const StatementDef& def);

// What runs in the statement's place: "SELECT qdl_acmmudanome(:P_DSBUTTON,
// ...)", the statement's own placeholders, so that it is bound alike.
QString operationCall(const StatementDef& def);

// The call prepared (operationCall), read as the statement would be: it
// answers no rows, and the operation's count as the rows it changed.
std::unique_ptr<TADOQuery> asStatement(std::unique_ptr<TADOQuery> preparedCall);

// How the data module and the layout writer prepare a statement: its own
// text, or for a write on a PostgreSQL schema that holds the operations, its
// operation's call. Throws EDatabaseError (step) when the database refuses it.
std::unique_ptr<TADOQuery> prepareStatement(TADOConnection& db, const StatementDef& def, int schemaVersion, const QString& step);

// Makes every operation again (CREATE OR REPLACE), owned by the connecting
// role, the schema's owner; runs in the caller's transaction. Nobody but the
// owner and the roles in QDL_TERMINAL_FILIAL may run them.
void installServerOperations(TADOConnection& db);

// "GRANT EXECUTE ON FUNCTION ... TO role" for every operation (or REVOKE
// ... FROM); role is already quoted.
QStringList operationRights(const QString& quotedRole, bool grant);

} // namespace qdl
