#pragma once

// The numbered steps that bring a database's configuration schema up to this
// program's (schemaversion.h), each one script per database in db/sql
// (upgrade_N_sqlite.sql, upgrade_N_postgresql.sql).

#include <QString>

#include "schemaversion.h"

class QTextStream;
class TADOConnection;

// The version the schema scripts (schema_sqlite.sql, schema_postgresql.sql)
// make; a new database then takes the later steps as an old one does.
inline constexpr int kScriptedSchemaVersion = 3;

// Applies one step in the caller's transaction; throws EDatabaseError.
void applySchemaStep(TADOConnection& db, int step);

// PostgreSQL: the role that owns the layout's tables, who alone upgrades the
// schema, grants terminals and prunes the history; empty on SQLite.
QString schemaOwnerOf(TADOConnection& db);

// Reads the version of the open database; throws EDatabaseError.
int schemaVersionOf(TADOConnection& db);

// `--upgrade`: applies the steps from the version found to kSchemaVersion,
// each in one transaction, and says each on log. Refuses (EQdlError) a
// database without the tables or with a newer schema. Answers the number of
// steps applied. Run by the schema's owner.
int upgradeSchema(TADOConnection& db, QTextStream& log);

// The embedded default SQLite file, the user's own: an older schema is
// copied beside the file (PATH.vN.bak) and upgraded. Answers the copy's
// path, empty when nothing was to be done.
QString upgradeOwnSqliteFile(const QString& path, QTextStream& log);
