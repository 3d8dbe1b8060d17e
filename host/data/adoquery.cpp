#include "adoquery.h"

#include <QCoreApplication>
#include <QLibrary>
#include <libpq-fe.h>
#include <sqlite3.h>
#include <atomic>
#include <utility>

#include "adoqueryimpl.h"
#include "textutil.h"

TADOQuery::~TADOQuery() = default;

int TADOQuery::columnIndex(const QString& name) const
{
    return indexOfName(columnCount(), [this](int i) { return columnName(i); }, name);
}

QString qdl::positionalSql(const QString& sql, QStringList* names)
{
    QString out;
    out.reserve(sql.size());
    QChar quote; // inside '...' or "..." when set
    for (qsizetype i = 0; i < sql.size(); ++i) {
        const QChar c = sql[i];
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
            out += c;
            continue;
        }
        if (c == u'\'' || c == u'"') {
            quote = c;
            out += c;
            continue;
        }
        if (c == u':' && i + 1 < sql.size() && sql[i + 1] == u':') {
            out += QLatin1String("::"); // a cast
            ++i;
            continue;
        }
        const bool starts = c == u':' && i + 1 < sql.size() && (sql[i + 1].isLetter() || sql[i + 1] == u'_');
        if (!starts) {
            out += c;
            continue;
        }
        qsizetype end = i + 1;
        while (end < sql.size() && (sql[end].isLetterOrNumber() || sql[end] == u'_'))
            ++end;
        const QString name = sql.mid(i + 1, end - i - 1);
        qsizetype number = names->indexOf(name);
        if (number < 0) {
            number = names->size();
            *names << name;
        }
        out += QLatin1Char('$') + QString::number(number + 1);
        i = end - 1;
    }
    return out;
}

namespace qdl::detail {

// ---------------------------------------------------------------------------
// What both kinds share

HandleQuery::HandleQuery(LiveStatements& owner) : m_owner(&owner)
{
    m_owner->live.push_back(this);
}

HandleQuery::~HandleQuery()
{
    if (m_owner)
        std::erase(m_owner->live, this);
}

void HandleQuery::detach()
{
    release();
    m_owner = nullptr;
}

int HandleQuery::checkedParameter(int index, const char* name)
{
    if (index <= 0 && m_bindError.isEmpty())
        m_bindError = QString::fromLatin1(name);
    return index > 0 ? index : 0;
}

bool HandleQuery::closedError()
{
    m_error = QSqlError(QCoreApplication::translate("QSqlQuery", "Unable to execute statement"),
                        QCoreApplication::translate("TADOQuery", "a conexão com o banco de dados foi fechada"), QSqlError::ConnectionError);
    return false;
}

bool HandleQuery::takeBindError()
{
    if (m_bindError.isEmpty())
        return false;
    m_error = QSqlError(QCoreApplication::translate("TADOQuery", "O comando não tem o parâmetro %1").arg(m_bindError), QString(),
                        QSqlError::StatementError);
    m_bindError.clear();
    return true;
}

LiveStatements::~LiveStatements()
{
    closeAll();
}

void LiveStatements::closeAll()
{
    for (HandleQuery* q : std::exchange(live, {})) {
        q->detach();
    }
}

namespace {

// ---------------------------------------------------------------------------
// SQLite

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

// ---------------------------------------------------------------------------
// PostgreSQL

// libpq's functions, taken at the first PostgreSQL statement from the library
// Qt's PostgreSQL driver has loaded. Linking libpq would load it, and the
// TLS and Kerberos libraries under it, into every start, SQLite's too.
struct LibPq {
    decltype(&PQprepare) prepare = nullptr;
    decltype(&PQdescribePrepared) describePrepared = nullptr;
    decltype(&PQexecPrepared) execPrepared = nullptr;
    decltype(&PQresultStatus) resultStatus = nullptr;
    decltype(&PQresultErrorField) resultErrorField = nullptr;
    decltype(&PQerrorMessage) errorMessage = nullptr;
    decltype(&PQclear) clear = nullptr;
    decltype(&PQnfields) nfields = nullptr;
    decltype(&PQfname) fname = nullptr;
    decltype(&PQftype) ftype = nullptr;
    decltype(&PQntuples) ntuples = nullptr;
    decltype(&PQcmdTuples) cmdTuples = nullptr;
    decltype(&PQgetisnull) getisnull = nullptr;
    decltype(&PQgetvalue) getvalue = nullptr;
    decltype(&PQgetlength) getlength = nullptr;

    // Null, with the reason, when the library or one of its functions is missing.
    static const LibPq* get(QString* why)
    {
        static const auto loaded = [] {
            auto pq = std::make_unique<LibPq>();
            QLibrary library(QStringLiteral("pq"), 5);
            bool ok = library.load();
            const auto take = [&](auto& function, const char* name) {
                function = reinterpret_cast<std::remove_reference_t<decltype(function)>>(library.resolve(name));
                ok = ok && function;
            };
            take(pq->prepare, "PQprepare");
            take(pq->describePrepared, "PQdescribePrepared");
            take(pq->execPrepared, "PQexecPrepared");
            take(pq->resultStatus, "PQresultStatus");
            take(pq->resultErrorField, "PQresultErrorField");
            take(pq->errorMessage, "PQerrorMessage");
            take(pq->clear, "PQclear");
            take(pq->nfields, "PQnfields");
            take(pq->fname, "PQfname");
            take(pq->ftype, "PQftype");
            take(pq->ntuples, "PQntuples");
            take(pq->cmdTuples, "PQcmdTuples");
            take(pq->getisnull, "PQgetisnull");
            take(pq->getvalue, "PQgetvalue");
            take(pq->getlength, "PQgetlength");
            // The library stays loaded: the driver holds it too.
            return std::pair{ok ? std::move(pq) : nullptr, ok ? QString() : library.errorString()};
        }();
        if (why)
            *why = loaded.second;
        return loaded.first.get();
    }
};

// How a column's text is handed on, by its type number of pg_type.
enum class Kind { Text, Number, Boolean, Time };

Kind columnKind(Oid type)
{
    switch (type) {
    case 16: // bool
        return Kind::Boolean;
    case 20:   // int8
    case 21:   // int2
    case 23:   // int4
    case 26:   // oid
    case 700:  // float4
    case 701:  // float8
    case 1700: // numeric
        return Kind::Number;
    case 1083: // time
    case 1114: // timestamp
    case 1184: // timestamptz
    case 1266: // timetz
        return Kind::Time;
    default:
        return Kind::Text;
    }
}

// An error as Qt's PostgreSQL driver words it: the server's message with
// its SQLSTATE on a line of its own.
QSqlError postgresError(const LibPq& pq, PGconn* conn, const PGresult* result, const char* what)
{
    QString message = QString::fromUtf8(pq.errorMessage(conn));
    const char* state = result ? pq.resultErrorField(result, PG_DIAG_SQLSTATE) : nullptr;
    const QString code = state ? QString::fromLatin1(state) : QString();
    if (!code.isEmpty())
        message += QStringLiteral("(%1)").arg(code);
    return QSqlError(QStringLiteral("QPSQL: ") + QCoreApplication::translate("QPSQLResult", what), message,
                     QSqlError::StatementError, code);
}

std::atomic<int> g_pgStatementCounter{0};

class PostgresQuery final : public HandleQuery {
public:
    PostgresQuery(const LibPq& pq, LiveStatements& owner, PGconn* conn, QByteArray name,
                  const QStringList& parameters, const PGresult* description)
        : HandleQuery(owner), m_pq(pq), m_conn(conn), m_name(std::move(name)), m_parameters(parameters),
          m_values(size_t(parameters.size())), m_pointers(size_t(parameters.size()), nullptr)
    {
        const int columns = m_pq.nfields(description);
        for (int i = 0; i < columns; ++i) {
            m_columns << QString::fromUtf8(m_pq.fname(description, i));
            m_kinds.push_back(columnKind(m_pq.ftype(description, i)));
        }
    }
    ~PostgresQuery() override { release(); }

    void bindText(const char* name, const QString& value) override
    {
        if (const int at = parameter(name))
            set(at, value.toUtf8());
    }

    void bindNumber(const char* name, double value) override
    {
        if (const int at = parameter(name))
            set(at, QByteArray::number(value, 'g', 17));
    }

    bool exec() override
    {
        clearResult();
        m_error = QSqlError();
        m_changes = 0;
        if (!m_conn)
            return closedError();
        if (takeBindError())
            return false;
        m_result = m_pq.execPrepared(m_conn, m_name.constData(), int(m_pointers.size()), m_pointers.data(), nullptr,
                                  nullptr, 0);
        const ExecStatusType status = m_pq.resultStatus(m_result);
        if (status == PGRES_TUPLES_OK) {
            m_rows = m_pq.ntuples(m_result);
            return true;
        }
        if (status == PGRES_COMMAND_OK) {
            m_changes = QByteArray(m_pq.cmdTuples(m_result)).toInt();
            return true;
        }
        m_error = postgresError(m_pq, m_conn, m_result, "Unable to create query");
        clearResult();
        return false;
    }

    bool next() override
    {
        if (!m_result || m_row + 1 >= m_rows) {
            m_row = m_rows;
            return false;
        }
        ++m_row;
        return true;
    }

    QVariant value(int column) const override
    {
        if (!m_result || m_row < 0 || m_row >= m_rows || column < 0 || column >= m_columns.size()
            || m_pq.getisnull(m_result, m_row, column))
            return {};
        const QByteArrayView text(m_pq.getvalue(m_result, m_row, column), m_pq.getlength(m_result, m_row, column));
        switch (m_kinds[size_t(column)]) {
        case Kind::Boolean:
            return text == "t" ? 1.0 : 0.0;
        case Kind::Number:
            return text.toDouble(); // the C locale's point, whatever the terminal's
        case Kind::Time: {
            // "2026-12-07 10:31:00.123" as the ISO text the packets keep.
            QString iso = QString::fromLatin1(text);
            iso.replace(QLatin1Char(' '), QLatin1Char('T'));
            const qsizetype fraction = iso.indexOf(QLatin1Char('.'));
            return fraction < 0 ? iso : iso.left(fraction);
        }
        case Kind::Text:
            break;
        }
        return QString::fromUtf8(text);
    }

    void finish() override
    {
        clearResult();
        for (QByteArray& v : m_values)
            v.clear();
        std::fill(m_pointers.begin(), m_pointers.end(), nullptr);
    }

private:
    void release() override
    {
        // The server forgets the prepared statement with the connection.
        clearResult();
        m_conn = nullptr;
    }

    int parameter(const char* name)
    {
        const qsizetype at = m_parameters.indexOf(QLatin1String(name[0] == ':' ? name + 1 : name));
        return checkedParameter(int(at) + 1, name);
    }

    void set(int at, QByteArray value)
    {
        QByteArray& kept = m_values[size_t(at - 1)];
        kept = std::move(value);
        m_pointers[size_t(at - 1)] = kept.constData(); // never null: "" is the empty text
    }

    void clearResult()
    {
        if (m_result)
            m_pq.clear(m_result);
        m_result = nullptr;
        m_rows = 0;
        m_row = -1;
    }

    const LibPq& m_pq;
    PGconn* m_conn;
    QByteArray m_name;
    QStringList m_parameters;
    std::vector<QByteArray> m_values;
    std::vector<const char*> m_pointers; // null: SQL NULL, for a parameter not bound
    std::vector<Kind> m_kinds; // by column
    PGresult* m_result = nullptr;
    int m_rows = 0;
    int m_row = -1;
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

std::unique_ptr<TADOQuery> preparePostgres(LiveStatements& owner, pg_conn* conn, const QString& sql,
                                           QSqlError& error)
{
    QString why;
    const LibPq* loaded = LibPq::get(&why);
    if (!loaded) {
        error = QSqlError(QCoreApplication::translate("TADOQuery", "Não foi possível usar a biblioteca do PostgreSQL (libpq)"), why,
                          QSqlError::ConnectionError);
        return nullptr;
    }
    const LibPq& pq = *loaded;
    QStringList parameters;
    const QByteArray text = qdl::positionalSql(sql, &parameters).toUtf8();
    const QByteArray name = "qdl_stmt_" + QByteArray::number(++g_pgStatementCounter);
    // The server infers each parameter's type from the statement, as it does
    // for Qt's PREPARE.
    PGresult* prepared = pq.prepare(conn, name.constData(), text.constData(), int(parameters.size()), nullptr);
    if (pq.resultStatus(prepared) != PGRES_COMMAND_OK) {
        error = postgresError(pq, conn, prepared, "Unable to prepare statement");
        pq.clear(prepared);
        return nullptr;
    }
    pq.clear(prepared);
    PGresult* description = pq.describePrepared(conn, name.constData());
    if (pq.resultStatus(description) != PGRES_COMMAND_OK) {
        error = postgresError(pq, conn, description, "Unable to prepare statement");
        pq.clear(description);
        return nullptr;
    }
    auto q = std::make_unique<PostgresQuery>(pq, owner, conn, name, parameters, description);
    pq.clear(description);
    return q;
}

} // namespace qdl::detail
