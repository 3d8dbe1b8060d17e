#pragma once

// The host's database services: where the connection string comes from, how
// a session is prepared, and how a database error reads to the operator.

#include <QString>
#include <exception>

#include "qdl_data_global.h"

class TADOConnection;
class QSqlDatabase;

// The connection string the host was started with (--database, else the
// QDL_DATABASE environment variable, else the default SQLite file).
QDL_DATA_EXPORT QString _GetStringConexQdl(const QString& unused);
QDL_DATA_EXPORT void setConnectionStringOverride(const QString& connectionString);
QDL_DATA_EXPORT QString defaultDatabasePath();

// Prepares the session right after the connection opens: on SQLite foreign
// keys on, a crash-safe journal and a long busy wait; on PostgreSQL the
// application name.
QDL_DATA_EXPORT void SetADODBSession(TADOConnection* connection);

// Operator-readable text of an error: what failed and the database's own
// message.
QDL_DATA_EXPORT QString ADOExceptionMessage(const std::exception& error, TADOConnection* connection,
                                            const QString& unused);

// The SQLite file a connection string names ("sqlite:PATH", the prefix in
// any case, blanks around it ignored); empty for any other database.
QDL_DATA_EXPORT QString sqlitePathOf(const QString& connectionString);
QDL_DATA_EXPORT bool isSqliteConnectionString(const QString& connectionString);
// The Qt SQL driver a connection string needs: QSQLITE or QPSQL.
QDL_DATA_EXPORT QString driverOf(const QString& connectionString);
// The connection string with any password blanked, for whatever is shown or
// printed.
QDL_DATA_EXPORT QString withoutPassword(const QString& connectionString);

// How long an action may wait on the database (a SQLite file another writer
// holds, a PostgreSQL statement or commit that does not end) before it is
// told as failed: QDL_WAIT_LIMIT seconds, 30 by default.
QDL_DATA_EXPORT int waitLimitMs();

// Runs a whole SQL script on an open database with the database's own script
// execution; throws EDatabaseError (with step as what failed) at the first
// statement the database refuses. What ran before stays unless the caller's
// transaction is rolled back.
QDL_DATA_EXPORT void runSqlScript(QSqlDatabase& db, const QString& script, const QString& step);

// Points a QSqlDatabase at a connection string; throws EQdlError on a string
// it cannot read.
QDL_DATA_EXPORT void applyConnectionString(QSqlDatabase& db, const QString& connectionString);
