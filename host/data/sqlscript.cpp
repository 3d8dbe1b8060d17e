// Whole SQL scripts (schema, demo rows) run by the database's own script
// execution: sqlite3_exec on SQLite, one simple-query call (PQexec) on
// PostgreSQL. Each knows its own quoting, comments and trigger bodies.

#include <QCoreApplication>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QVariant>
#include <sqlite3.h>

#include "connection.h"
#include "errors.h"
#include "libpq.h"

void runSqlScript(QSqlDatabase& db, const QString& script, const QString& step)
{
    const QVariant handle = db.isOpen() ? db.driver()->handle() : QVariant();
    const QByteArray text = script.toUtf8();
    if (qstrcmp(handle.typeName(), "sqlite3*") == 0) {
        sqlite3* sqlite = *static_cast<sqlite3* const*>(handle.constData());
        char* message = nullptr;
        if (sqlite3_exec(sqlite, text.constData(), nullptr, nullptr, &message) != SQLITE_OK) {
            const QSqlError error(QString(), QString::fromUtf8(message ? message : sqlite3_errmsg(sqlite)),
                                  QSqlError::StatementError, QString::number(sqlite3_extended_errcode(sqlite)));
            sqlite3_free(message);
            throw EDatabaseError(step, error);
        }
        return;
    }
    if (qstrcmp(handle.typeName(), "PGconn*") == 0 || qstrcmp(handle.typeName(), "pg_conn*") == 0) {
        PGconn* conn = *static_cast<PGconn* const*>(handle.constData());
        QString why;
        const qdl::detail::LibPq* pq = qdl::detail::LibPq::get(&why);
        if (!pq)
            throw EQdlError(why);
        PGresult* result = qdl::detail::runBounded(*pq, conn, text.constData(), waitLimitMs());
        const ExecStatusType status = pq->resultStatus(result);
        if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK) {
            const char* state = pq->resultErrorField(result, PG_DIAG_SQLSTATE);
            const QSqlError error(QString(), QString::fromUtf8(pq->errorMessage(conn)), QSqlError::StatementError,
                                  state ? QString::fromLatin1(state) : QString());
            pq->clear(result);
            throw EDatabaseError(step, error);
        }
        pq->clear(result);
        return;
    }
    throw EQdlError(QCoreApplication::translate("Connection", "O banco de dados precisa estar aberto para rodar o script."));
}
