#pragma once

// What a database said when it refused or failed: the kind of failure the
// screen acts on, the database's own code (SQLite's extended result code,
// PostgreSQL's SQLSTATE) and its message. Made from those codes only: no
// code here or above reads a message's words to tell one failure from
// another.

#include <QString>

#include "qdl_data_global.h"

class QDL_DATA_EXPORT DbError {
public:
    enum class Kind {
        None,           // no error
        ConnectionLost, // the session is gone (server down, link broken, closed)
        Busy,           // another writer holds what we need (a lock, a busy file)
        TimedOut,       // past the wait limit, or cancelled
        Constraint,     // a key, a foreign key, a check the row breaks
        Permission,     // the role or the file may not do this
        Other,
    };

    DbError() = default;
    DbError(Kind kind, QString code, QString message);
    // From SQLite's extended result code and its message.
    static DbError fromSqlite(int extendedCode, const QString& message);
    // From a PostgreSQL SQLSTATE (empty when the server sent none: the
    // connection failed) and the server's primary message.
    static DbError fromSqlState(const QString& sqlState, const QString& message);

    bool isValid() const { return m_kind != Kind::None; }
    // The row would stand on a key or a unique value another row holds.
    bool isDuplicateKey() const;
    Kind kind() const { return m_kind; }
    const QString& code() const { return m_code; }
    const QString& message() const { return m_message; }

    // The statement was refused before it ran: PostgreSQL prepares a
    // statement with its first run, and a refused preparation reads as one.
    bool atPreparation() const { return m_atPreparation; }
    DbError& setAtPreparation(bool value = true)
    {
        m_atPreparation = value;
        return *this;
    }

    // The COMMIT had gone to the server when its answer was lost (the
    // session broke, the wait ran out) or the server's standby did not
    // confirm it: the change may be stored, or may be stored later. Never
    // to be told as not saved.
    bool outcomeUnknown() const { return m_outcomeUnknown; }
    DbError& setOutcomeUnknown()
    {
        m_outcomeUnknown = true;
        return *this;
    }

private:
    Kind m_kind = Kind::None;
    QString m_code;
    QString m_message;
    bool m_atPreparation = false;
    bool m_outcomeUnknown = false;
};
