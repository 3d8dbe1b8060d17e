#include "dberror.h"

#include <sqlite3.h>

DbError::DbError(Kind kind, QString code, QString message)
    : m_kind(kind), m_code(std::move(code)), m_message(std::move(message).trimmed())
{
}

DbError DbError::fromSqlite(int extendedCode, const QString& message)
{
    Kind kind = Kind::Other;
    switch (extendedCode & 0xff) {
    case SQLITE_OK:
    case SQLITE_ROW:
    case SQLITE_DONE:
        kind = Kind::Other; // an error was asked for: never "none"
        break;
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        kind = Kind::Busy;
        break;
    case SQLITE_INTERRUPT:
        kind = Kind::TimedOut;
        break;
    case SQLITE_CONSTRAINT:
        kind = Kind::Constraint;
        break;
    case SQLITE_PERM:
    case SQLITE_AUTH:
    case SQLITE_READONLY:
        kind = Kind::Permission;
        break;
    case SQLITE_CANTOPEN:
    case SQLITE_NOTADB:
    case SQLITE_MISUSE: // a statement run on a handle closed under it
        kind = Kind::ConnectionLost;
        break;
    default:
        break;
    }
    return DbError(kind, QString::number(extendedCode), message);
}

bool DbError::isDuplicateKey() const
{
    return m_kind == Kind::Constraint
        && (m_code == u"23505" || m_code == QString::number(SQLITE_CONSTRAINT_PRIMARYKEY)
            || m_code == QString::number(SQLITE_CONSTRAINT_UNIQUE));
}

DbError DbError::fromSqlState(const QString& sqlState, const QString& message)
{
    Kind kind = Kind::Other;
    const QStringView cls = QStringView(sqlState).left(2);
    if (sqlState.isEmpty() || cls == u"08" || sqlState == u"57P01" || sqlState == u"57P02" || sqlState == u"57P03")
        kind = Kind::ConnectionLost; // no answer at all, a connection failure, or the server shutting down
    else if (sqlState == u"57014" || sqlState == u"25P03")
        kind = Kind::TimedOut; // cancelled (statement_timeout too), idle-in-transaction time-out
    else if (sqlState == u"55P03" || sqlState == u"40001" || sqlState == u"40P01")
        kind = Kind::Busy; // lock not available, serialization failure, deadlock
    else if (cls == u"23")
        kind = Kind::Constraint;
    else if (sqlState == u"42501" || cls == u"28")
        kind = Kind::Permission;
    return DbError(kind, sqlState, message);
}
