// Statements on SQLite's own handle: prepared once with
// sqlite3_prepare_v3, bound by name, each text kept until the next run.

#include <QCoreApplication>
#include <sqlite3.h>

#include "adoqueryimpl.h"

namespace qdl::detail {

namespace {

class SqliteQuery final : public HandleQuery {
public:
    SqliteQuery(LiveStatements& owner, sqlite3* db, sqlite3_stmt* stmt)
        : HandleQuery(owner), m_db(db), m_stmt(stmt), m_texts(size_t(sqlite3_bind_parameter_count(stmt)) + 1)
    {
        const int columns = sqlite3_column_count(stmt);
        m_columns.reserve(columns);
        for (int i = 0; i < columns; ++i)
            m_columns << QString::fromUtf8(sqlite3_column_name(stmt, i));
    }
    ~SqliteQuery() override { release(); }

    void bindText(const char* name, const QString& value) override
    {
        const int at = parameter(name);
        if (at == 0)
            return;
        // Kept until the next run: SQLite reads it where it stands.
        QByteArray& text = m_texts[size_t(at)];
        text = value.toUtf8();
        sqlite3_bind_text(m_stmt, at, text.constData(), int(text.size()), SQLITE_STATIC);
    }

    void bindNumber(const char* name, double value) override
    {
        if (const int at = parameter(name))
            sqlite3_bind_double(m_stmt, at, value);
    }

    bool exec() override
    {
        m_error = QSqlError();
        m_hasRow = m_firstPending = false;
        m_done = false;
        m_changes = 0;
        if (!m_stmt)
            return closedError();
        if (takeBindError())
            return false;
        sqlite3_reset(m_stmt);
        // Step once now, as Qt's driver does: a write is done when exec
        // returns, and a query's first row waits for next().
        m_hasRow = step();
        if (m_error.isValid())
            return false;
        if (m_done && m_columns.isEmpty())
            m_changes = sqlite3_changes(m_db);
        m_firstPending = m_hasRow;
        return true;
    }

    bool next() override
    {
        if (!m_stmt || m_done)
            return m_hasRow = false;
        if (m_firstPending) {
            m_firstPending = false;
            return true;
        }
        return m_hasRow = step();
    }

    QVariant value(int column) const override
    {
        if (!m_hasRow || column < 0 || column >= m_columns.size())
            return {};
        switch (sqlite3_column_type(m_stmt, column)) {
        case SQLITE_NULL:
            return {};
        case SQLITE_INTEGER:
        case SQLITE_FLOAT:
            return sqlite3_column_double(m_stmt, column);
        default: {
            // Text, or a blob read as UTF-8 text; the pointer before the size.
            const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, column));
            return QString::fromUtf8(text, sqlite3_column_bytes(m_stmt, column));
        }
        }
    }

    void finish() override
    {
        if (m_stmt) {
            sqlite3_reset(m_stmt);
            sqlite3_clear_bindings(m_stmt);
        }
        m_hasRow = m_firstPending = false;
        m_done = true;
    }

private:
    void release() override
    {
        sqlite3_finalize(m_stmt); // a no-op on null
        m_stmt = nullptr;
        m_db = nullptr;
        m_hasRow = m_firstPending = false;
        m_done = true;
    }

    int parameter(const char* name)
    {
        return checkedParameter(m_stmt ? sqlite3_bind_parameter_index(m_stmt, name) : 0, name);
    }

    bool step()
    {
        const int rc = sqlite3_step(m_stmt);
        if (rc == SQLITE_ROW)
            return true;
        if (rc != SQLITE_DONE) {
            // The words of Qt's SQLite driver, so an error reads the same on
            // every path; the code is SQLite's extended one, as Qt gives it.
            m_error = QSqlError(QCoreApplication::translate("QSQLiteResult", "Unable to fetch row"),
                                QString::fromUtf8(sqlite3_errmsg(m_db)), QSqlError::StatementError,
                                QString::number(sqlite3_extended_errcode(m_db)));
            sqlite3_reset(m_stmt);
        }
        m_done = true;
        return false;
    }

    sqlite3* m_db;
    sqlite3_stmt* m_stmt;
    std::vector<QByteArray> m_texts; // by parameter index
    bool m_hasRow = false;
    bool m_firstPending = false;
    bool m_done = true;
};

} // namespace

std::unique_ptr<TADOQuery> prepareSqlite(LiveStatements& owner, sqlite3* db, const QString& sql, QSqlError& error)
{
    sqlite3_stmt* stmt = nullptr;
    const QByteArray text = sql.toUtf8();
    const int rc =
        sqlite3_prepare_v3(db, text.constData(), int(text.size()), SQLITE_PREPARE_PERSISTENT, &stmt, nullptr);
    if (rc != SQLITE_OK || !stmt) {
        error = QSqlError(QCoreApplication::translate("QSQLiteResult", "Unable to execute statement"),
                          QString::fromUtf8(sqlite3_errmsg(db)), QSqlError::StatementError,
                          QString::number(sqlite3_extended_errcode(db)));
        sqlite3_finalize(stmt);
        return nullptr;
    }
    return std::make_unique<SqliteQuery>(owner, db, stmt);
}

} // namespace qdl::detail
