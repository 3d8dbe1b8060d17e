#pragma once

// The statements of one connection, on the handle its Qt SQL driver opened:
// for TADOConnection only.

#include <QByteArray>
#include <QSqlError>
#include <QStringList>
#include <memory>
#include <vector>

#include "adoquery.h"

struct sqlite3;
struct pg_conn;

namespace qdl::detail {

class HandleQuery;

// Every statement prepared on a handle, so that all of them let go of it
// before it closes: SQLite refuses to close a handle with statements left
// (the file would stay open), and a PostgreSQL handle is freed by its close.
struct LiveStatements {
    ~LiveStatements();
    void closeAll(); // the statements stay, answering an error when run
    std::vector<HandleQuery*> live;

    // PostgreSQL: a transaction's BEGIN and COMMIT travel with the statements
    // beside them, so a terminal far from the server pays no round trip of
    // their own. TADOConnection asks for them; the next statement run sends
    // them and leaves the COMMIT's outcome here.
    struct Riders {
        bool begin = false;      // BEGIN asked for, not sent yet
        bool commit = false;     // COMMIT to send after the next statement
        bool commitSent = false; // it went: its outcome until CommitTrans takes it
        QSqlError commitError;   // invalid when the COMMIT succeeded
    } riders;
};

class HandleQuery : public TADOQuery {
public:
    explicit HandleQuery(LiveStatements& owner);
    ~HandleQuery() override;
    HandleQuery(const HandleQuery&) = delete;
    HandleQuery& operator=(const HandleQuery&) = delete;

    int columnCount() const override { return int(m_columns.size()); }
    QString columnName(int column) const override { return m_columns.value(column); }
    int numRowsAffected() const override { return m_changes; }
    QSqlError lastError() const override { return m_error; }

    void detach(); // the handle is closing

protected:
    virtual void release() = 0; // lets go of the handle and everything on it
    // Takes a parameter by name; 0, and an error at the next run, when the
    // statement has no such parameter.
    int checkedParameter(int index, const char* name);
    bool closedError();      // exec on a closed connection: always false
    bool takeBindError();    // true when a bind named a missing parameter

    LiveStatements* m_owner;
    QStringList m_columns;
    QString m_bindError;
    QSqlError m_error;
    int m_changes = 0;
};

std::unique_ptr<TADOQuery> prepareSqlite(LiveStatements& owner, sqlite3* db, const QString& sql, QSqlError& error);
std::unique_ptr<TADOQuery> preparePostgres(LiveStatements& owner, pg_conn* conn, const QString& sql,
                                           QSqlError& error);

} // namespace qdl::detail
