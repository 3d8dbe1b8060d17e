#pragma once

// The two kinds of TADOQuery, for TADOConnection only.

#include <QByteArray>
#include <QStringList>
#include <memory>
#include <vector>

#include "adoquery.h"

class QSqlDatabase;
struct sqlite3;
struct sqlite3_stmt;

namespace qdl::detail {

class SqliteQuery;

// The statements prepared on one SQLite handle. They are finalized before
// the handle closes: SQLite refuses to close a handle with statements left,
// and the file would stay open.
struct SqliteStatements {
    ~SqliteStatements();
    void closeAll(); // the statements stay, answering an error when run
    std::vector<SqliteQuery*> live;
};

class SqliteQuery final : public TADOQuery {
public:
    SqliteQuery(SqliteStatements& owner, sqlite3* db, sqlite3_stmt* stmt);
    ~SqliteQuery() override;
    SqliteQuery(const SqliteQuery&) = delete;
    SqliteQuery& operator=(const SqliteQuery&) = delete;

    void bindText(const char* name, const QString& value) override;
    void bindNumber(const char* name, double value) override;
    bool exec() override;
    bool next() override;
    int columnCount() const override { return int(m_columns.size()); }
    QString columnName(int column) const override { return m_columns.value(column); }
    QVariant value(int column) const override;
    int numRowsAffected() const override { return m_changes; }
    QSqlError lastError() const override { return m_error; }
    void finish() override;

    void detach(); // the handle is closing

private:
    int parameter(const char* name);
    bool step();
    QSqlError stepError() const;
    void release();

    SqliteStatements* m_owner;
    sqlite3* m_db;
    sqlite3_stmt* m_stmt;
    QStringList m_columns;
    std::vector<QByteArray> m_texts; // by parameter index
    QString m_bindError;             // a parameter name the statement does not have
    QSqlError m_error;
    int m_changes = 0;
    bool m_hasRow = false;
    bool m_firstPending = false;
    bool m_done = true;
};

std::unique_ptr<TADOQuery> prepareSqlite(SqliteStatements& owner, sqlite3* db, const QString& sql,
                                         QSqlError& error);
std::unique_ptr<TADOQuery> prepareQt(const QSqlDatabase& db, const QString& sql, QSqlError& error);

} // namespace qdl::detail
