#pragma once

// The host's database services: where the connection string comes from, how
// a session is prepared, and how a database error reads to the operator.

#include <QString>
#include <exception>

#include "qdl_data_global.h"

class TADOConnection;

// The connection string the host was started with (--database, else the
// QDL_DATABASE environment variable, else the default SQLite file).
QDL_DATA_EXPORT QString _GetStringConexQdl(const QString& unused);
QDL_DATA_EXPORT void setConnectionStringOverride(const QString& connectionString);
QDL_DATA_EXPORT QString defaultDatabasePath();

// Called right after the connection opens. The session has its settings by
// then (on SQLite foreign keys on, a crash-safe journal and a busy wait as
// long as the wait limit; on PostgreSQL the application name and the
// server's statement time-out, sent with the start-up): nothing is left to
// do, and nothing costs a terminal far from the server a round trip.
QDL_DATA_EXPORT void SetADODBSession(TADOConnection* connection);

// Operator-readable text of an error: what failed and the database's own
// message.
QDL_DATA_EXPORT QString ADOExceptionMessage(const std::exception& error, TADOConnection* connection,
                                            const QString& unused);

// The SQLite file a connection string names ("sqlite:PATH", the prefix in
// any case, blanks around it ignored); empty for any other database.
QDL_DATA_EXPORT QString sqlitePathOf(const QString& connectionString);
QDL_DATA_EXPORT bool isSqliteConnectionString(const QString& connectionString);
// The connection string with any password blanked, in every form libpq
// reads one, for whatever is shown or printed (ConnectionString::redact).
QDL_DATA_EXPORT QString withoutPassword(const QString& connectionString);

// How long an action may wait on the database (a SQLite file another writer
// holds, a PostgreSQL statement or commit that does not end) before it is
// told as failed: QDL_WAIT_LIMIT seconds, 30 by default.
QDL_DATA_EXPORT int waitLimitMs();
