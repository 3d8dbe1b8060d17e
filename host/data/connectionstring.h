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
    // service the string or PGSERVICE names (its entry in libpq's service
    // file), the program (verify-full for a server not on this machine,
    // allow for one on it), or libpq's own default (prefer).
    struct SslMode {
        enum class Origin { String, Environment, Service, Program, Libpq };
        QByteArray mode;
        Origin origin = Origin::Libpq;
        QByteArray service; // the service in force, when one is
    };

    // Throws EQdlError, with the string redacted, on one it cannot read.
    static ConnectionString parse(const QString& text);
    // The text with every password (password, sslpassword, a URI's own) in
    // any form libpq reads (a URI's user part or query, keyword=value,
    // quoted or escaped) shown as the mask, ***; any text, read or not. The
    // one redaction of the program: whatever shows a connection string
    // shows this.
    static QString redact(const QString& text, const QString& mask = QStringLiteral("***"));
    // Whether the text carries a password in any of those forms (one that
    // reads *** included): libpq finds one in it, or it holds something
    // redact() hides.
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
    // and neither the string, its service nor PGSSLMODE names a mode.
    // Whatever else the string leaves out, libpq takes from its service file
    // and its environment (PGCONNECT_TIMEOUT, PGHOST, ...) as it always does.
    Parameters postgresParameters(int waitLimitMs, bool genericPlans = false) const;
    SslMode sslMode() const;
    // Whether every server libpq will reach for the string is on this
    // machine: a Unix socket or a loopback address. The servers are the
    // ones libpq itself settles on (several hosts, a service's entry in the
    // service file, PGHOST and PGHOSTADDR where the string names none).
    bool onThisMachine() const;
    // A value the string sets for a libpq keyword; empty when it sets none.
    QByteArray value(const char* keyword) const;

private:
    // What libpq settles on for the string once the service file and the
    // environment are applied; the keywords it is asked for, null where it
    // leaves one unset. Empty when libpq cannot settle (a service that is
    // not in the file, say): the connection then fails the same way.
    struct InForce {
        bool known = false;
        QByteArray host, hostaddr, sslmode, service;
    };
    InForce inForce() const;
    bool onThisMachine(const InForce& used) const;

    QString m_text;
    Backend m_backend = Backend::Sqlite;
    QString m_sqlitePath;
    Parameters m_parameters; // as parsed, set ones only
};
