#pragma once

// Creating the configuration tables (and the demo rows) in an empty
// database, and a short description of what a database holds.

#include <QString>
#include <QStringList>

class TADOConnection;

// Creates ITMENUCONFTE, CONFTELA, MESA, SALA and LOJA with their indexes, and
// the demo rows when withDemo, all in one transaction. Throws EQdlError
// ("... já contém as tabelas ...") when any of the tables already exists, and
// EDatabaseError when a statement fails (nothing is left behind then).
void createQdlDatabase(TADOConnection& db, bool withDemo);

// Opens the database of a connection string for creation (a missing SQLite
// file is created, its folder too), creates the tables as above and closes.
// Never waits on the database past the wait limit.
void createQdlDatabaseAt(const QString& connectionString, bool withDemo);

// A few lines for printing: rows per table and the areas placed on buttons.
QString describeQdlDatabase(TADOConnection& db);

// The embedded scripts (":/db/sql/..."): the schema for SQLite or for
// PostgreSQL, and the demo rows.
QString qdlSchemaScript(bool postgres);
QString qdlDemoScript();
