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

    // The sslmode a PostgreSQL connection runs with, and who chose it: the
    // string (sslmode=, or the old requiressl=1), libpq's PGSSLMODE, the
    // program (verify-full, for a server not on this machine), or libpq's
    // own default (prefer).
    struct SslMode {
        enum class Origin { String, Environment, Program, Libpq };
        QByteArray mode;
        Origin origin = Origin::Libpq;
    };

    // Throws EQdlError, with the string redacted, on one it cannot read.
    static ConnectionString parse(const QString& text);
    // The text with every password (password, sslpassword, the URI's own)
    // shown as the mask, ***; any text, read or not.
    static QString redact(const QString& text, const QString& mask = QStringLiteral("***"));
    // Whether the text carries a password in any of those forms (one that
    // reads *** included).
    static bool holdsPassword(const QString& text);

    Backend backend() const { return m_backend; }
    bool isSqlite() const { return m_backend == Backend::Sqlite; }
    const QString& text() const { return m_text; }
    QString redacted() const { return redact(m_text); }
    const QString& sqlitePath() const { return m_sqlitePath; }

    // libpq's keywords and values as the string gives them, with the
    // program's own joined in: the session's name, the wait limit as the
    // server's statement_timeout (after the user's options, or PGOPTIONS'),
    // and TCP keepalives and tcp_user_timeout so that a silent link is
    // found; and sslmode=verify-full when a server is not on this machine
    // and neither the string nor PGSSLMODE names a mode. Whatever else the
    // string leaves out, libpq takes from its environment (PGCONNECT_TIMEOUT,
    // PGHOST, ...) as it always does.
    Parameters postgresParameters(int waitLimitMs) const;
    SslMode sslMode() const;
    // Whether every server the string names (libpq's several hosts
    // included, PGHOST and PGHOSTADDR where it names none) is reached on
    // this machine: a Unix socket or a loopback address.
    bool onThisMachine() const;
    // A value the string sets for a libpq keyword; empty when it sets none.
    QByteArray value(const char* keyword) const;

private:
    // The value the string sets, else libpq's environment variable for it.
    QByteArray valueOrEnvironment(const char* keyword, const char* variable) const;

    QString m_text;
    Backend m_backend = Backend::Sqlite;
    QString m_sqlitePath;
    Parameters m_parameters; // as parsed, set ones only
};
