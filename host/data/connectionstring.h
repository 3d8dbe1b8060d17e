#pragma once

// A connection string, read once: "sqlite:PATH" for the embedded database,
// "postgresql://user@host:port/dbname?key=value" (libpq's URI, several hosts
// allowed) for a server. It gives the form shown in messages and by
// --show-config (passwords blanked) and the keywords and values libpq is
// handed, one value each, never a text it would split again.

#include <QByteArray>
#include <QString>
#include <utility>
#include <vector>

#include "qdl_data_global.h"

class QDL_DATA_EXPORT ConnectionString {
public:
    enum class Backend { Sqlite, Postgres };
    using Parameters = std::vector<std::pair<QByteArray, QByteArray>>;

    // Throws EQdlError, with the string redacted, on one it cannot read.
    static ConnectionString parse(const QString& text);
    // The text with every password (password, sslpassword, the URI's own)
    // shown as ***; any text, read or not.
    static QString redact(const QString& text);

    Backend backend() const { return m_backend; }
    bool isSqlite() const { return m_backend == Backend::Sqlite; }
    const QString& text() const { return m_text; }
    QString redacted() const { return redact(m_text); }
    const QString& sqlitePath() const { return m_sqlitePath; }

    // libpq's keywords and values as the string gives them, with the
    // program's own joined in: the session's name, the wait limit as the
    // server's statement_timeout (after the user's options, or PGOPTIONS'),
    // and TCP keepalives and tcp_user_timeout so that a silent link is
    // found. Whatever the string leaves out, libpq takes from its
    // environment (PGSSLMODE, PGCONNECT_TIMEOUT, ...) as it always does.
    Parameters postgresParameters(int waitLimitMs) const;
    // A value the string sets for a libpq keyword; empty when it sets none.
    QByteArray value(const char* keyword) const;

private:
    QString m_text;
    Backend m_backend = Backend::Sqlite;
    QString m_sqlitePath;
    Parameters m_parameters; // as parsed, set ones only
};
