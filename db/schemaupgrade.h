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

// PostgreSQL: a schema in which a role other than its owner (or the
// layout's owner) may CREATE lets that role put an operator or a function
// before the owner's own, and the owner's functions then run it. The
// schema is the layout's, or before the layout is made the current one.
// Throws EQdlError naming the schema, the roles and the REVOKE that closes
// it; nothing on SQLite or a closed schema.
void refuseSchemaOthersMayWrite(TADOConnection& db);
// The same for `--upgrade`: where the connected role may close the schema
// it does, and says so on log; where it may not, it refuses.
void closeSchemaOthersMayWrite(TADOConnection& db, QTextStream& log);

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
