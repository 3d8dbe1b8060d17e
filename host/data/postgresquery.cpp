// Statements on libpq's connection, prepared on the server once and run with
// PQexecPrepared. A terminal may sit far from the server, so whatever can
// travel with a run does: its preparation at the first run, and the
// transaction's BEGIN and COMMIT beside the statements they enclose — one
// pipeline (Parse, Bind, Describe, Execute, Sync), one round trip. The
// column types come from the first result. A libpq without pipeline mode
// prepares (PQprepare) and describes (PQdescribePrepared) beforehand, a round
// trip each, and its transactions send their own BEGIN and COMMIT.

#include <QCoreApplication>
#include <atomic>
#include <utility>

#include "adoqueryimpl.h"
#include "connection.h"
#include "libpq.h"

namespace qdl::detail {

namespace {

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
    // The result's own message: the connection's is replaced as a pipeline
    // reads on.
    const char* text = result ? pq.resultErrorMessage(result) : "";
    QString message = QString::fromUtf8(text && *text ? text : pq.errorMessage(conn));
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
    // description: the prepared statement's, or null when the statement is
    // still to be prepared (sql) at its first run.
    PostgresQuery(const LibPq& pq, LiveStatements& owner, PGconn* conn, QByteArray name, QByteArray sql,
                  const QStringList& parameters, const PGresult* description)
        : HandleQuery(owner), m_pq(pq), m_conn(conn), m_name(std::move(name)), m_sql(std::move(sql)),
          m_parameters(parameters), m_values(size_t(parameters.size())), m_pointers(size_t(parameters.size()), nullptr),
          m_prepared(description != nullptr)
    {
        if (description)
            describe(description);
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
        LiveStatements::Riders* riders = m_owner ? &m_owner->riders : nullptr;
        const bool carrying = riders && (riders->begin || riders->commit);
        if (!m_prepared || carrying) {
            if (!runPipeline(riders))
                return false;
        } else {
            m_result = m_pq.execPrepared(m_conn, m_name.constData(), int(m_pointers.size()), m_pointers.data(),
                                         nullptr, nullptr, 0);
        }
        const ExecStatusType status = m_pq.resultStatus(m_result);
        if (!m_described && (status == PGRES_TUPLES_OK || status == PGRES_COMMAND_OK))
            describe(m_result);
        if (status == PGRES_TUPLES_OK) {
            m_rows = m_pq.ntuples(m_result);
            return true;
        }
        if (status == PGRES_COMMAND_OK) {
            m_changes = QByteArray(m_pq.cmdTuples(m_result)).toInt();
            return true;
        }
        if (!m_error.isValid())
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
    void describe(const PGresult* description)
    {
        const int columns = m_pq.nfields(description);
        for (int i = 0; i < columns; ++i) {
            m_columns << QString::fromUtf8(m_pq.fname(description, i));
            m_kinds.push_back(columnKind(m_pq.ftype(description, i)));
        }
        m_described = true;
    }

    // Sends in one pipeline what this run carries — the transaction's BEGIN,
    // the statement's preparation at its first run, the run, the COMMIT —
    // and reads their answers in order, each at most the wait limit (a COMMIT
    // may wait for a standby that is not there). Leaves the run's result in
    // m_result and the COMMIT's outcome with the riders. False, with the
    // error, when the BEGIN or the preparation failed (the statement is
    // prepared again at its next run).
    bool runPipeline(LiveStatements::Riders* riders)
    {
        const bool begin = riders && riders->begin;
        const bool commit = riders && riders->commit;
        if (riders) {
            riders->begin = false;
            riders->commit = false;
        }
        const int count = int(m_pointers.size());
        if (!m_pq.enterPipelineMode(m_conn)) {
            m_error = postgresError(m_pq, m_conn, nullptr, "Unable to prepare statement");
            return false;
        }
        const auto sendControl = [this](const char* sql) {
            return m_pq.sendQueryParams(m_conn, sql, 0, nullptr, nullptr, nullptr, nullptr, 0) != 0;
        };
        const bool sent = (!begin || sendControl("BEGIN"))
            && (m_prepared || m_pq.sendPrepare(m_conn, m_name.constData(), m_sql.constData(), count, nullptr))
            && m_pq.sendQueryPrepared(m_conn, m_name.constData(), count, m_pointers.data(), nullptr, nullptr, 0)
            && (!commit || sendControl("COMMIT"))
            && m_pq.pipelineSync(m_conn);
        QSqlError failure; // the BEGIN's or the preparation's
        if (sent) {
            BoundedWait wait(m_pq, m_conn, waitLimitMs());
            const auto next = [&]() -> PGresult* { return wait.ready() ? m_pq.getResult(m_conn) : nullptr; };
            // Each command's answer is followed by a null; a broken
            // connection may end them early.
            const auto answer = [&]() {
                PGresult* result = next();
                if (result) {
                    while (PGresult* rest = next())
                        m_pq.clear(rest);
                }
                return result;
            };
            if (begin) {
                PGresult* r = answer();
                if (m_pq.resultStatus(r) != PGRES_COMMAND_OK)
                    failure = postgresError(m_pq, m_conn, r, "Could not begin transaction");
                m_pq.clear(r);
            }
            if (!m_prepared) {
                PGresult* r = answer();
                if (!failure.isValid() && m_pq.resultStatus(r) != PGRES_COMMAND_OK)
                    failure = postgresError(m_pq, m_conn, r, "Unable to prepare statement");
                m_pq.clear(r);
            }
            m_result = answer();
            const ExecStatusType run = m_pq.resultStatus(m_result);
            if (!failure.isValid() && run != PGRES_TUPLES_OK && run != PGRES_COMMAND_OK)
                m_error = postgresError(m_pq, m_conn, m_result, "Unable to create query"); // before the COMMIT's
            if (commit) {
                PGresult* r = answer();
                riders->commitSent = true;
                riders->commitError = QSqlError();
                if (m_pq.resultStatus(r) != PGRES_COMMAND_OK) {
                    const char* state = r ? m_pq.resultErrorField(r, PG_DIAG_SQLSTATE) : nullptr;
                    const char* text = r ? m_pq.resultErrorMessage(r) : "";
                    riders->commitError = QSqlError(QString(), QString::fromUtf8(text && *text ? text : m_pq.errorMessage(m_conn)),
                                                    QSqlError::TransactionError,
                                                    state ? QString::fromLatin1(state) : QString());
                }
                m_pq.clear(r);
            }
            bool synced = false;
            for (PGresult* r; !synced && (r = next());) {
                synced = m_pq.resultStatus(r) == PGRES_PIPELINE_SYNC;
                m_pq.clear(r);
            }
            // A COMMIT counts only with the Sync's answer behind it: a server
            // that gives up waiting for its synchronous standby (its
            // postmaster gone) may still send the COMMIT's own answer, but
            // never the ready-for-query after it.
            if (commit && !synced && !riders->commitError.isValid())
                riders->commitError = QSqlError(QString(), QString::fromUtf8(m_pq.errorMessage(m_conn)),
                                                QSqlError::TransactionError);
        } else {
            failure = postgresError(m_pq, m_conn, nullptr, "Unable to prepare statement");
        }
        m_pq.exitPipelineMode(m_conn);
        if (failure.isValid()) {
            m_error = failure;
            clearResult();
            return false;
        }
        m_prepared = true;
        return true;
    }

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
    QByteArray m_sql; // for the preparation at the first run
    QStringList m_parameters;
    std::vector<QByteArray> m_values;
    std::vector<const char*> m_pointers; // null: SQL NULL, for a parameter not bound
    std::vector<Kind> m_kinds; // by column
    bool m_prepared = false;
    bool m_described = false;
    PGresult* m_result = nullptr;
    int m_rows = 0;
    int m_row = -1;
};

} // namespace

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
    if (pq.pipelines())
        return std::make_unique<PostgresQuery>(pq, owner, conn, name, text, parameters, nullptr);
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
    auto q = std::make_unique<PostgresQuery>(pq, owner, conn, name, text, parameters, description);
    pq.clear(description);
    return q;
}

} // namespace qdl::detail
