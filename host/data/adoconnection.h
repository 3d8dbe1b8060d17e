#pragma once

// The data-access layer's connection: one QSqlDatabase opened from a
// connection string ("sqlite:PATH" or "postgresql://user@host:port/dbname"),
// with connect events and a transaction state that we keep ourselves (Qt SQL
// has no in-transaction test, and PostgreSQL answers true to a nested BEGIN).

#include <QObject>
#include <QSqlDatabase>
#include <QString>
#include <functional>
#include <memory>

#include "adoquery.h"
#include "qdl_data_global.h"

struct sqlite3;
struct pg_conn;
namespace qdl::detail {
struct LiveStatements;
}

class QDL_DATA_EXPORT TADOConnection : public QObject {
    Q_OBJECT
public:
    explicit TADOConnection(QObject* owner = nullptr);
    ~TADOConnection() override; // closes the connection and removes it

    QString ConnectionString;  // replaced whole before each open

    std::function<void(QObject* sender)> BeforeConnect;
    std::function<void(QObject* sender)> AfterConnect;

    // Opening runs BeforeConnect, opens the database from ConnectionString
    // (throws EDatabaseError or EQdlError with a clear message on failure),
    // then AfterConnect. Closing rolls back an open transaction.
    void setConnected(bool connected);
    bool Connected() const;
    // Opened, and not closed by us, yet no longer open: the server dropped
    // it (a PostgreSQL restart). Opening it again is safe between calls.
    bool Lost() const { return m_opened && !Connected(); }

    bool InTransaction() const { return m_inTransaction; }
    void BeginTrans();    // throws EDatabaseError
    void CommitTrans();   // throws EDatabaseError; the transaction ends either way
    void RollbackTrans(); // throws EDatabaseError; the transaction ends either way

    // A statement prepared on the open connection, kept by the caller and
    // run many times; null with the database's error on a statement it
    // refuses. Closing the connection ends every statement prepared on it:
    // run after that, it answers an error.
    std::unique_ptr<TADOQuery> prepare(const QString& sql, QSqlError& error);

    QSqlDatabase database() const;
    bool isSqlite() const;
    bool isPostgres() const;

private:
    void releaseStatements(); // every statement on the handle, before it closes or is replaced
    void runControl(std::unique_ptr<TADOQuery>& statement, const char* sql, const QString& step,
                    bool toleratesNoTransaction = false);

    QString m_connectionName;
    // The driver's own handle while open, one of the two.
    sqlite3* m_sqliteHandle = nullptr;
    pg_conn* m_postgresHandle = nullptr;
    std::unique_ptr<qdl::detail::LiveStatements> m_statements;
    std::unique_ptr<TADOQuery> m_begin, m_commit, m_rollback; // SQLite's, prepared at first use
    bool m_inTransaction = false;
    bool m_opened = false;
};
