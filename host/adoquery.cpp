#include "adoquery.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QSqlQuery>
#include <QSqlRecord>
#include <sqlite3.h>
#include <utility>
#include <vector>

#include "adoqueryimpl.h"

TADOQuery::~TADOQuery() = default;

int TADOQuery::columnIndex(const QString& name) const
{
    for (int i = 0, n = columnCount(); i < n; ++i) {
        if (columnName(i).compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

namespace qdl::detail {

// ---------------------------------------------------------------------------
// Through Qt SQL (PostgreSQL)

namespace {

// Numbers come as doubles already (LowPrecisionDouble); the rest is brought
// to text the way the data packets keep it.
QVariant packetValue(const QVariant& v)
{
    if (v.isNull())
        return {};
    switch (v.metaType().id()) {
    case QMetaType::QString:
    case QMetaType::Double:
        return v;
    case QMetaType::Float:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::Bool:
        return v.toDouble();
    case QMetaType::QDateTime:
        return v.toDateTime().toString(Qt::ISODate);
    case QMetaType::QDate:
        return v.toDate().toString(Qt::ISODate);
    case QMetaType::QTime:
        return v.toTime().toString(Qt::ISODate);
    case QMetaType::QByteArray:
        return QString::fromUtf8(v.toByteArray());
    default:
        return v.toString();
    }
}

class QtQuery final : public TADOQuery {
public:
    explicit QtQuery(const QSqlDatabase& db) : m_query(db)
    {
        m_query.setForwardOnly(true);
        m_query.setNumericalPrecisionPolicy(QSql::LowPrecisionDouble);
    }

    bool prepare(const QString& sql) { return m_query.prepare(sql); }

    void bindText(const char* name, const QString& value) override
    {
        m_query.bindValue(QLatin1String(name), value);
    }
    void bindNumber(const char* name, double value) override { m_query.bindValue(QLatin1String(name), value); }
    bool exec() override
    {
        if (!m_query.exec())
            return false;
        m_record = m_query.record();
        return true;
    }
    bool next() override { return m_query.next(); }
    int columnCount() const override { return m_record.count(); }
    QString columnName(int column) const override { return m_record.fieldName(column); }
    QVariant value(int column) const override { return packetValue(m_query.value(column)); }
    int numRowsAffected() const override { return m_query.numRowsAffected(); }
    QSqlError lastError() const override { return m_query.lastError(); }
    void finish() override { m_query.finish(); }

private:
    QSqlQuery m_query;
    QSqlRecord m_record;
};

} // namespace

std::unique_ptr<TADOQuery> prepareQt(const QSqlDatabase& db, const QString& sql, QSqlError& error)
{
    auto q = std::make_unique<QtQuery>(db);
    if (!q->prepare(sql)) {
        error = q->lastError();
        return nullptr;
    }
    return q;
}

// ---------------------------------------------------------------------------
// On SQLite's handle

SqliteQuery::SqliteQuery(SqliteStatements& owner, sqlite3* db, sqlite3_stmt* stmt)
    : m_owner(&owner), m_db(db), m_stmt(stmt), m_texts(size_t(sqlite3_bind_parameter_count(stmt)) + 1)
{
    const int columns = sqlite3_column_count(stmt);
    m_columns.reserve(columns);
    for (int i = 0; i < columns; ++i)
        m_columns << QString::fromUtf8(sqlite3_column_name(stmt, i));
    m_owner->live.push_back(this);
}

SqliteQuery::~SqliteQuery()
{
    if (m_owner)
        std::erase(m_owner->live, this);
    release();
}

void SqliteQuery::release()
{
    sqlite3_finalize(m_stmt); // a no-op on null
    m_stmt = nullptr;
    m_db = nullptr;
    m_hasRow = false;
}

void SqliteQuery::detach()
{
    release();
    m_owner = nullptr;
}

int SqliteQuery::parameter(const char* name)
{
    const int at = m_stmt ? sqlite3_bind_parameter_index(m_stmt, name) : 0;
    if (at == 0 && m_bindError.isEmpty())
        m_bindError = QString::fromLatin1(name);
    return at;
}

void SqliteQuery::bindText(const char* name, const QString& value)
{
    const int at = parameter(name);
    if (at == 0)
        return;
    // Kept until the next run: SQLite reads it where it stands.
    QByteArray& text = m_texts[size_t(at)];
    text = value.toUtf8();
    sqlite3_bind_text(m_stmt, at, text.constData(), int(text.size()), SQLITE_STATIC);
}

void SqliteQuery::bindNumber(const char* name, double value)
{
    const int at = parameter(name);
    if (at != 0)
        sqlite3_bind_double(m_stmt, at, value);
}

QSqlError SqliteQuery::stepError() const
{
    // The words Qt's SQLite driver uses, so an error reads the same on
    // every path; the code is SQLite's extended one, as Qt gives it.
    return QSqlError(QCoreApplication::translate("QSQLiteResult", "Unable to fetch row"),
                     QString::fromUtf8(sqlite3_errmsg(m_db)), QSqlError::StatementError,
                     QString::number(sqlite3_extended_errcode(m_db)));
}

bool SqliteQuery::step()
{
    const int rc = sqlite3_step(m_stmt);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE) {
        m_done = true;
        return false;
    }
    m_error = stepError();
    sqlite3_reset(m_stmt);
    m_done = true;
    return false;
}

bool SqliteQuery::exec()
{
    m_error = QSqlError();
    m_hasRow = false;
    m_done = false;
    m_changes = 0;
    if (!m_stmt) {
        m_error = QSqlError(QCoreApplication::translate("QSQLiteResult", "Unable to fetch row"),
                            QStringLiteral("a conexão com o banco de dados foi fechada"),
                            QSqlError::ConnectionError);
        return false;
    }
    if (!m_bindError.isEmpty()) {
        m_error = QSqlError(QStringLiteral("O comando não tem o parâmetro %1").arg(m_bindError), QString(),
                            QSqlError::StatementError);
        m_bindError.clear();
        return false;
    }
    sqlite3_reset(m_stmt);
    // Step once now, as Qt's driver does: a write is done when exec returns,
    // and a query's first row waits for next().
    m_hasRow = step();
    if (m_error.isValid())
        return false;
    if (m_done)
        m_changes = columnCount() == 0 ? sqlite3_changes(m_db) : 0;
    m_firstPending = m_hasRow;
    return true;
}

bool SqliteQuery::next()
{
    if (!m_stmt || m_done)
        return m_hasRow = false;
    if (m_firstPending) {
        m_firstPending = false;
        return true;
    }
    return m_hasRow = step();
}

QVariant SqliteQuery::value(int column) const
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
        // Text, or a blob read as UTF-8 text; the pointer comes before the size.
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, column));
        return QString::fromUtf8(text, sqlite3_column_bytes(m_stmt, column));
    }
    }
}

void SqliteQuery::finish()
{
    if (m_stmt) {
        sqlite3_reset(m_stmt);
        sqlite3_clear_bindings(m_stmt);
    }
    m_hasRow = false;
    m_firstPending = false;
    m_done = true;
}

SqliteStatements::~SqliteStatements()
{
    closeAll();
}

void SqliteStatements::closeAll()
{
    for (SqliteQuery* q : std::exchange(live, {}))
        q->detach();
}

std::unique_ptr<TADOQuery> prepareSqlite(SqliteStatements& owner, sqlite3* db, const QString& sql, QSqlError& error)
{
    sqlite3_stmt* stmt = nullptr;
    const QByteArray text = sql.toUtf8();
    const int rc = sqlite3_prepare_v3(db, text.constData(), int(text.size()), SQLITE_PREPARE_PERSISTENT, &stmt,
                                      nullptr);
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
