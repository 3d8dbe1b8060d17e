// A PostgreSQL server through libpq. A terminal may sit far from its server
// and the link between them may stall, so:
// - connecting, every statement, commit and script run through libpq's
//   asynchronous interface and wait at most the wait limit; past it the
//   server is asked to cancel, and a server that does not even answer that
//   within a few seconds more is left (the session counts as lost, and the
//   next call opens a new one);
// - whatever can travel with a run does: a statement's preparation at its
//   first run, and the transaction's BEGIN and COMMIT beside the statements
//   they enclose — one pipeline (Parse, Bind, Describe, Execute, Sync), one
//   round trip. The column types come from the first result.

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <atomic>
#include <charconv>
#include <deque>
#include <optional>
#include <libpq-fe.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <thread>
#include <utility>

#include "adoqueryimpl.h"
#include "connection.h"
#include "connectionstring.h"
#include "datapacket.h"
#include "errors.h"

namespace qdl::detail {

namespace {

// The server ends a statement at the wait limit itself (statement_timeout);
// the client asks it to cancel only this much later, when the server has
// not answered by then (a stalled link, a server that does not run). A
// cancel sent at the same moment as the server's own time-out would arrive
// late and cancel the session's next statement instead.
constexpr int kCancelAfterLimitMs = 1000;
// How long a server that was asked to cancel gets to answer before the
// session is given up.
constexpr int kCancelGraceMs = 2000;

// How a column's text is handed on, by its type number of pg_type.
enum class Kind { Text, Number, Boolean, Time };

// A number column's text, read without a locale; what std::from_chars
// does not take whole goes to Qt's reading.
double number(QByteArrayView text)
{
    double value = 0;
    const auto [end, error] = std::from_chars(text.begin(), text.end(), value);
    return error == std::errc() && end == text.end() ? value : text.toDouble();
}

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

// libpq's own message for a failure without a server's answer ("connection
// to server at ... failed: ..."), without its severity word.
QString connectionMessage(const PGconn* conn)
{
    QString text = QString::fromUtf8(PQerrorMessage(conn)).trimmed();
    for (const char* prefix : {"ERROR:", "FATAL:"}) {
        if (text.startsWith(QLatin1String(prefix)))
            text = text.mid(int(qstrlen(prefix))).trimmed();
    }
    return text;
}

// The server's error: its SQLSTATE and its primary message (with the
// detail, when it sent one). Without a result, or a result the server did
// not send, the connection's failure.
DbError pgError(const PGconn* conn, const PGresult* result)
{
    const char* state = result ? PQresultErrorField(result, PG_DIAG_SQLSTATE) : nullptr;
    const char* primary = result ? PQresultErrorField(result, PG_DIAG_MESSAGE_PRIMARY) : nullptr;
    if (!primary) {
        // libpq's own failure (a broken connection) is kept in the result's
        // message; the connection's is replaced as a pipeline reads on.
        const char* text = result ? PQresultErrorMessage(result) : "";
        QString message = QString::fromUtf8(text && *text ? text : "").trimmed();
        if (message.isEmpty())
            message = connectionMessage(conn);
        return DbError::fromSqlState(state ? QString::fromLatin1(state) : QString(), message);
    }
    QString message = QString::fromUtf8(primary);
    if (const char* detail = PQresultErrorField(result, PG_DIAG_MESSAGE_DETAIL))
        message += QLatin1Char('\n') + QString::fromUtf8(detail);
    return DbError::fromSqlState(state ? QString::fromLatin1(state) : QString(), message);
}

DbError timedOutError()
{
    return DbError(DbError::Kind::TimedOut, QString(),
                   QCoreApplication::translate("TADOConnection", "o servidor não respondeu em %1 s").arg(waitLimitMs() / 1000));
}

// Asks the server to cancel what the session runs, on a thread of its own:
// libpq's cancel request opens a connection of its own and waits for it
// without a bound, and on a stalled link it would wait for ever.
void cancelDetached(PGconn* conn)
{
    PGcancel* request = PQgetCancel(conn);
    if (!request)
        return;
    std::thread([request] {
        char why[256];
        PQcancel(request, why, int(sizeof why));
        PQfreeCancel(request);
    }).detach();
}

bool ok(const PGresult* r)
{
    const ExecStatusType status = PQresultStatus(r);
    return status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK || status == PGRES_EMPTY_QUERY;
}

// Waits for the server's answers on a session that sent something, at most
// the wait limit; past it the server is asked to cancel and gets a few
// seconds more; past those the session is cut, so that libpq reports it
// broken and every result still awaited comes back as an error at once.
class BoundedWait {
public:
    BoundedWait(PGconn* conn, LiveStatements& statements)
        : m_conn(conn), m_statements(statements), m_deadline(waitLimitMs() + kCancelAfterLimitMs)
    {
        ++m_statements.waiting;
        ++m_statements.roundTrips;
    }
    ~BoundedWait() { --m_statements.waiting; }
    BoundedWait(const BoundedWait&) = delete;
    BoundedWait& operator=(const BoundedWait&) = delete;

    // The next result, or null at the end of one command's results (and for
    // good once the session broke).
    PGresult* next()
    {
        while (PQconsumeInput(m_conn) && PQisBusy(m_conn)) {
            if (m_deadline.hasExpired()) {
                if (!m_cancelled) {
                    cancelDetached(m_conn);
                    m_cancelled = true;
                    m_deadline = QDeadlineTimer(kCancelGraceMs);
                    continue;
                }
                ::shutdown(PQsocket(m_conn), SHUT_RDWR);
                continue; // the read meets the end: the session is broken
            }
            waitForSocket(PQsocket(m_conn), POLLIN, m_deadline);
        }
        return PQgetResult(m_conn);
    }
    bool timedOut() const { return m_cancelled; }

private:
    PGconn* m_conn;
    LiveStatements& m_statements;
    QDeadlineTimer m_deadline;
    bool m_cancelled = false;
};

std::atomic<int> g_statementCounter{0};

// No answer came: the session broke or the wait ran out. An error the server
// sent (even the one it sends as it ends the session) is an answer: the
// statements after it in the pipeline, the COMMIT among them, never ran.
bool answerLost(const DbError& error)
{
    return error.code().isEmpty()
        && (error.kind() == DbError::Kind::ConnectionLost || error.kind() == DbError::Kind::TimedOut);
}

// The BEGIN a transaction's first statement carries.
const char* beginStatement(bool readOnly)
{
    return readOnly ? "BEGIN ISOLATION LEVEL REPEATABLE READ READ ONLY" : "BEGIN";
}

class PostgresQuery final : public HandleQuery {
public:
    PostgresQuery(LiveStatements& owner, PGconn* conn, QByteArray sql, const QStringList& parameters)
        : HandleQuery(owner), m_conn(conn), m_name("qdl_stmt_" + QByteArray::number(++g_statementCounter)),
          m_sql(std::move(sql)), m_parameters(parameters), m_values(size_t(parameters.size())),
          m_pointers(size_t(parameters.size()), nullptr)
    {
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

    void bindNull(const char* name) override
    {
        if (const int at = parameter(name)) {
            m_values[size_t(at - 1)].clear();
            m_pointers[size_t(at - 1)] = nullptr; // libpq's null
        }
    }

    bool exec() override
    {
        clearResult();
        m_error = DbError();
        m_changes = 0;
        if (!m_conn)
            return closedError();
        if (m_owner->waiting > 0)
            return busyError();
        if (takeBindError())
            return false;
        LiveStatements::Riders& riders = m_owner->riders;
        if (takeAnswerAhead(riders)) {
            if (m_error.isValid())
                return false;
        } else if (!(m_prepared && !riders.begin && !riders.commit ? runPrepared() : runPipeline(riders))) {
            return false;
        }
        const ExecStatusType status = PQresultStatus(m_result);
        if (!m_described && (status == PGRES_TUPLES_OK || status == PGRES_COMMAND_OK))
            describe(m_result);
        if (status == PGRES_TUPLES_OK) {
            m_rows = PQntuples(m_result);
            return true;
        }
        if (status == PGRES_COMMAND_OK) {
            m_changes = QByteArray(PQcmdTuples(m_result)).toInt();
            return true;
        }
        if (!m_error.isValid())
            m_error = pgError(m_conn, m_result);
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
            || PQgetisnull(m_result, m_row, column))
            return {};
        const QByteArrayView text(PQgetvalue(m_result, m_row, column), PQgetlength(m_result, m_row, column));
        switch (m_kinds[size_t(column)]) {
        case Kind::Boolean:
            return text == "t" ? 1.0 : 0.0;
        case Kind::Number:
            // The C locale's point, whatever the terminal's; PostgreSQL
            // spells the values that are no number its own way.
            if (text == "NaN")
                return qQNaN();
            if (text == "Infinity" || text == "-Infinity")
                return text.front() == '-' ? -qInf() : qInf();
            return number(text);
        case Kind::Time: {
            // "2026-12-07 10:31:00.123" as the ISO text the packets keep.
            const qsizetype fraction = text.indexOf('.');
            QString iso = QString::fromLatin1(fraction < 0 ? text : text.first(fraction));
            iso.replace(QLatin1Char(' '), QLatin1Char('T'));
            return iso;
        }
        case Kind::Text:
            break;
        }
        return packetText(text.data(), text.size());
    }

    void finish() override
    {
        clearResult();
        for (QByteArray& v : m_values)
            v.clear();
        std::fill(m_pointers.begin(), m_pointers.end(), nullptr);
    }

    // Queues this run, with the values bound now, on the session's open
    // pipeline, its preparation first when none went before; a Sync of its
    // own ends it. Answers whether a preparation went with it; false in sent
    // when libpq could not queue it.
    bool sendAhead(bool& sent)
    {
        const int count = int(m_pointers.size());
        const bool parse = !m_prepared && !m_parseSent;
        sent = (!parse || PQsendPrepare(m_conn, m_name.constData(), m_sql.constData(), count, nullptr))
            && PQsendQueryPrepared(m_conn, m_name.constData(), count, m_pointers.data(), nullptr, nullptr, 0)
            && PQpipelineSync(m_conn);
        m_parseSent = m_parseSent || (sent && parse);
        if (sent) {
            AnswerAhead pending{nullptr, DbError(), m_values, {}, 0};
            for (const char* pointer : m_pointers)
                pending.nulls.push_back(pointer == nullptr);
            m_sentAhead.push_back(std::move(pending));
        }
        return parse;
    }

    // Queues this statement's preparation alone, ended by a Sync of its own,
    // when none was made or sent: true when it went. False in sent when
    // libpq could not queue it.
    bool sendPreparationAhead(bool& sent)
    {
        sent = true;
        if (m_prepared || m_parseSent)
            return false;
        sent = PQsendPrepare(m_conn, m_name.constData(), m_sql.constData(), int(m_pointers.size()), nullptr)
            && PQpipelineSync(m_conn);
        m_parseSent = sent;
        return sent;
    }

    // Reads the preparation sendPreparationAhead queued, up to its Sync.
    void readPreparationAhead(const std::function<PGresult*()>& answer, const std::function<bool()>& synced)
    {
        m_parseSent = false;
        PGresult* r = answer();
        const bool made = PQresultStatus(r) == PGRES_COMMAND_OK;
        PQclear(r);
        m_prepared = (synced() && made) || m_prepared;
    }

    // Reads what the first sendAhead not read yet queued, up to its Sync,
    // and keeps the answer with the values it ran with: the rows or the
    // count, or the server's error (a refused preparation as such). Nothing
    // is kept when no answer came whole.
    void readAhead(bool parsed, const std::function<PGresult*()>& answer, const std::function<bool()>& synced)
    {
        m_parseSent = false;
        AnswerAhead kept = std::move(m_sentAhead.front());
        m_sentAhead.pop_front();
        kept.trip = m_owner->roundTrips;
        if (parsed) {
            PGresult* r = answer();
            if (PQresultStatus(r) != PGRES_COMMAND_OK) {
                kept.error = pgError(m_conn, r);
                kept.error.setAtPreparation(kept.error.kind() != DbError::Kind::ConnectionLost);
            }
            PQclear(r);
        }
        PGresult* run = answer();
        if (!kept.error.isValid() && ok(run))
            kept.result = std::exchange(run, nullptr);
        else if (!kept.error.isValid())
            kept.error = pgError(m_conn, run);
        PQclear(run);
        if (!synced() || answerLost(kept.error)) {
            PQclear(kept.result);
            return;
        }
        m_prepared = m_prepared || (parsed && !kept.error.atPreparation());
        m_answersAhead.push_back(std::move(kept));
    }

private:
    // An answer read ahead of its run (qdl::Ahead), with the values it ran
    // with.
    struct AnswerAhead {
        PGresult* result; // null with an error
        DbError error;
        std::vector<QByteArray> values;
        std::vector<bool> nulls;
        quint64 trip; // the session's round trips when it came
    };

    // The first answer read ahead, taken for this run when it still stands:
    // the same values, no transaction to begin or end with the run, no
    // round trip since. Any other run drops them all.
    bool takeAnswerAhead(const LiveStatements::Riders& riders)
    {
        if (m_answersAhead.empty())
            return false;
        AnswerAhead& first = m_answersAhead.front();
        bool same = !riders.begin && !riders.commit && m_owner->roundTrips == first.trip && first.values == m_values;
        for (size_t i = 0; same && i < m_pointers.size(); ++i)
            same = first.nulls[i] == (m_pointers[i] == nullptr);
        if (!same) {
            dropAnswersAhead();
            return false;
        }
        m_result = first.result;
        m_error = first.error;
        m_answersAhead.pop_front();
        return true;
    }

    void dropAnswersAhead()
    {
        for (AnswerAhead& answer : m_answersAhead)
            PQclear(answer.result);
        m_answersAhead.clear();
    }

    void describe(const PGresult* description)
    {
        const int columns = PQnfields(description);
        for (int i = 0; i < columns; ++i) {
            m_columns << QString::fromUtf8(PQfname(description, i));
            m_kinds.push_back(columnKind(PQftype(description, i)));
        }
        m_described = true;
    }

    // A prepared statement's run with nothing beside it: Bind, Describe,
    // Execute and Sync, as a pipeline would send them, without entering one.
    bool runPrepared()
    {
        const int count = int(m_pointers.size());
        if (!PQsendQueryPrepared(m_conn, m_name.constData(), count, m_pointers.data(), nullptr, nullptr, 0)) {
            m_error = pgError(m_conn, nullptr);
            return false;
        }
        BoundedWait wait(m_conn, *m_owner);
        m_result = wait.next();
        while (PGresult* rest = wait.next())
            PQclear(rest);
        if (wait.timedOut() && !ok(m_result)) {
            m_error = timedOutError();
            clearResult();
            return false;
        }
        return true;
    }

    // Sends in one pipeline what this run carries — the transaction's BEGIN,
    // the statement's preparation at its first run, the run, the COMMIT —
    // and reads their answers in order within the wait limit (a COMMIT may
    // wait for a standby that is not there). Leaves the run's result in
    // m_result and the COMMIT's outcome with the riders. False, with the
    // error, when the BEGIN or the preparation failed (the statement is
    // prepared again at its next run) or nothing could be sent.
    bool runPipeline(LiveStatements::Riders& riders)
    {
        const bool begin = std::exchange(riders.begin, false);
        const char* const beginSql = beginStatement(riders.readOnly);
        const bool commit = std::exchange(riders.commit, false);
        const int count = int(m_pointers.size());
        if (!PQenterPipelineMode(m_conn)) {
            m_error = pgError(m_conn, nullptr);
            return false;
        }
        const auto sendControl = [this](const char* sql) {
            return PQsendQueryParams(m_conn, sql, 0, nullptr, nullptr, nullptr, nullptr, 0) != 0;
        };
        const bool sent = (!begin || sendControl(beginSql))
            && (m_prepared || PQsendPrepare(m_conn, m_name.constData(), m_sql.constData(), count, nullptr))
            && PQsendQueryPrepared(m_conn, m_name.constData(), count, m_pointers.data(), nullptr, nullptr, 0)
            && (!commit || sendControl("COMMIT")) && PQpipelineSync(m_conn);
        DbError failure; // the BEGIN's or the preparation's
        bool timedOut = false;
        if (sent) {
            BoundedWait wait(m_conn, *m_owner);
            // Each command's answer is followed by a null; a broken session
            // may end them early.
            const auto answer = [&]() {
                PGresult* result = wait.next();
                if (result) {
                    while (PGresult* rest = wait.next())
                        PQclear(rest);
                }
                return result;
            };
            if (begin) {
                PGresult* r = answer();
                if (PQresultStatus(r) != PGRES_COMMAND_OK)
                    failure = pgError(m_conn, r);
                PQclear(r);
            }
            if (!m_prepared) {
                PGresult* r = answer();
                if (!failure.isValid() && PQresultStatus(r) != PGRES_COMMAND_OK) {
                    // The server refused the statement; a session that broke
                    // meanwhile is no refusal of it.
                    failure = pgError(m_conn, r);
                    failure.setAtPreparation(failure.kind() != DbError::Kind::ConnectionLost);
                }
                PQclear(r);
            }
            m_result = answer();
            if (!failure.isValid() && !ok(m_result))
                m_error = pgError(m_conn, m_result); // before the COMMIT's
            if (commit && answerLost(m_error))
                m_error.setOutcomeUnknown(); // the COMMIT went with it
            if (commit) {
                PGresult* r = answer();
                riders.commitSent = true;
                riders.commitError = PQresultStatus(r) == PGRES_COMMAND_OK ? DbError() : pgError(m_conn, r);
                PQclear(r);
            }
            bool synced = false;
            for (PGresult* r; !synced && (r = wait.next());) {
                synced = PQresultStatus(r) == PGRES_PIPELINE_SYNC;
                PQclear(r);
            }
            // A COMMIT counts only with the Sync's answer behind it: a server
            // that gives up waiting for its synchronous standby (its
            // postmaster gone) may still send the COMMIT's own answer, but
            // never the ready-for-query after it.
            if (commit && !synced && !riders.commitError.isValid())
                riders.commitError = pgError(m_conn, nullptr);
            timedOut = wait.timedOut();
        } else {
            failure = pgError(m_conn, nullptr);
        }
        PQexitPipelineMode(m_conn);
        if (timedOut) {
            // Whatever the server or libpq said after the cancel, the
            // operator is told the wait ran out.
            if (failure.isValid())
                failure = timedOutError();
            if (m_error.isValid())
                m_error = timedOutError();
            if (commit && riders.commitError.isValid())
                riders.commitError = timedOutError();
            if (commit && m_error.isValid())
                m_error.setOutcomeUnknown();
        }
        if (commit && answerLost(riders.commitError))
            riders.commitError.setOutcomeUnknown();
        if (commit && answerLost(failure))
            failure.setOutcomeUnknown(); // the COMMIT went with it
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
        // The server forgets the prepared statement with the session.
        clearResult();
        dropAnswersAhead();
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
            PQclear(m_result);
        m_result = nullptr;
        m_rows = 0;
        m_row = -1;
    }

    PGconn* m_conn;
    QByteArray m_name;
    QByteArray m_sql; // for the preparation at the first run
    QStringList m_parameters;
    std::vector<QByteArray> m_values;
    std::vector<const char*> m_pointers; // null: SQL NULL, for a parameter not bound
    std::vector<Kind> m_kinds;           // by column
    bool m_prepared = false;
    bool m_described = false;
    PGresult* m_result = nullptr;
    int m_rows = 0;
    int m_row = -1;
    std::deque<AnswerAhead> m_sentAhead;    // sent, their answers not read yet
    std::deque<AnswerAhead> m_answersAhead; // in the order they were sent
    bool m_parseSent = false;                // a preparation sent ahead, not yet read
};

class PgSession final : public Session {
public:
    explicit PgSession(PGconn* conn) : m_conn(conn)
    {
        PQsetNoticeReceiver(
            m_conn,
            [](void* self, const PGresult* notice) {
                // A warning while a commit ends: its wait for the standby was
                // cancelled at the wait limit, the commit is local only (the
                // server says so in the warning's detail).
                const char* severity = PQresultErrorField(notice, PG_DIAG_SEVERITY_NONLOCALIZED);
                if (severity && qstrcmp(severity, "WARNING") == 0) {
                    const char* detail = PQresultErrorField(notice, PG_DIAG_MESSAGE_DETAIL);
                    static_cast<PgSession*>(self)->m_commitWarning =
                        QString::fromUtf8(PQresultErrorField(notice, PG_DIAG_MESSAGE_PRIMARY))
                        + (detail ? QStringLiteral("\n") + QString::fromUtf8(detail) : QString());
                }
            },
            this);
    }
    ~PgSession() override
    {
        m_statements.closeAll();
        PQfinish(m_conn);
    }

    bool isPostgres() const override { return true; }
    bool isOpen() const override { return PQstatus(m_conn) == CONNECTION_OK; }

    void look() override
    {
        // A server that ends a session sends its reason, then closes: the
        // first read takes the message, the second meets the end and marks
        // the session bad.
        for (int read = 0; read < 2 && PQconsumeInput(m_conn); ++read) {
        }
    }

    std::unique_ptr<TADOQuery> prepare(const QString& sql, DbError& /*error*/) override
    {
        // Prepared on the server with its first run; the server infers each
        // parameter's type from the statement.
        QStringList parameters;
        QByteArray text = qdl::positionalSql(sql, &parameters).toUtf8();
        return std::make_unique<PostgresQuery>(m_statements, m_conn, std::move(text), parameters);
    }

    void runScript(const QByteArray& script, const QString& step) override
    {
        // A BEGIN still waiting for a statement goes first, in the same text,
        // so that the script runs inside the transaction.
        DbError error;
        if (std::exchange(m_statements.riders.begin, false))
            error = run(beginStatement(m_statements.riders.readOnly));
        if (!error.isValid())
            error = run(script);
        if (error.isValid())
            throw EDatabaseError(step, error);
    }

    void begin(TransactionMode mode) override
    {
        m_statements.riders = {};
        m_statements.riders.begin = true;
        m_statements.riders.readOnly = mode == TransactionMode::ReadOnlySnapshot;
    }

    void commitAfterNextStatement() override
    {
        if (!inTransaction())
            return;
        m_commitWarning.clear();
        m_statements.riders.commit = true;
    }

    void commit() override
    {
        ++m_ownCommits;
        LiveStatements::Riders& riders = m_statements.riders;
        if (riders.commitSent) {
            const DbError error = std::exchange(riders, {}).commitError;
            if (error.isValid())
                commitFailed(error);
            checkCommitConfirmed();
            return;
        }
        if (riders.begin) {
            riders = {}; // no statement ran: there is nothing to commit
            return;
        }
        riders.commit = false;
        m_commitWarning.clear();
        const DbError error = run("COMMIT");
        if (error.isValid())
            commitFailed(error);
        checkCommitConfirmed();
    }

    void rollback() override
    {
        // What the riders held is dropped; the server's transaction, if one
        // is open, is rolled back.
        m_statements.riders = {};
        if (!inTransaction())
            return;
        const DbError error = run("ROLLBACK");
        if (error.isValid() && isOpen())
            throw EDatabaseError(QCoreApplication::translate("TADOConnection", "Erro ao desfazer a transação"), error);
    }

    bool inTransaction() const override
    {
        if (m_statements.riders.begin || m_statements.riders.commitSent)
            return true;
        const PGTransactionStatusType status = PQtransactionStatus(m_conn);
        return status == PQTRANS_INTRANS || status == PQTRANS_INERROR || status == PQTRANS_ACTIVE;
    }

    void cancel() override { cancelDetached(m_conn); }

    QVariantList listen(const QStringList& channels, const QByteArray& alsoAsk) override
    {
        if (m_listenAhead && m_listenAhead->trip == m_statements.roundTrips && m_listenAhead->channels == channels
            && m_listenAhead->alsoAsk == alsoAsk)
            return std::exchange(m_listenAhead, std::nullopt)->row;
        m_listenAhead.reset();
        // One text, one round trip: the server runs its statements in order
        // and answers with the last one's result.
        QByteArray sql;
        for (const QByteArray& statement : listenStatements(channels))
            sql += statement + ';';
        sql += alsoAsk;
        QVariantList row;
        const DbError error = run(sql, [&row](const PGresult* last) {
            if (PQresultStatus(last) == PGRES_TUPLES_OK && PQntuples(last) > 0)
                row = firstRow(last);
        });
        if (error.isValid())
            throw EDatabaseError(QCoreApplication::translate("TADOConnection", "Erro ao assinar os avisos do banco de dados"), error);
        return row;
    }

    void listenAhead(const QStringList& channels, const QByteArray& alsoAsk) override
    {
        if (!enterAhead())
            return;
        // Its own transaction, ended before the runs queued after it begin.
        const QList<QByteArray> listens = listenStatements(channels);
        bool sent = true;
        for (const QByteArray& statement : listens)
            sent = sent && sendText(statement);
        sent = sent && (alsoAsk.isEmpty() || sendText(alsoAsk)) && PQpipelineSync(m_conn);
        if (sent)
            m_queuedListen = ListenAhead{channels, alsoAsk, {}, 0};
        else
            m_aheadBroken = true;
    }

    // The session's own statement, with the pipeline entered for it; null
    // when nothing can be sent ahead.
    PostgresQuery* aheadQuery(TADOQuery& query)
    {
        auto* q = dynamic_cast<PostgresQuery*>(&query.driverQuery());
        return q && enterAhead() ? q : nullptr;
    }

    void queueAhead(TADOQuery& query) override
    {
        PostgresQuery* q = aheadQuery(query);
        if (!q)
            return;
        bool sent = false;
        const bool parse = q->sendAhead(sent);
        if (sent)
            m_queued.push_back({q, parse, true});
        else
            m_aheadBroken = true;
    }

    void prepareAhead(TADOQuery& query) override
    {
        PostgresQuery* q = aheadQuery(query);
        if (!q)
            return;
        bool sent = false;
        if (q->sendPreparationAhead(sent))
            m_queued.push_back({q, true, false});
        else if (!sent)
            m_aheadBroken = true;
    }

    void readAhead() override
    {
        if (!m_ahead)
            return;
        m_ahead = false;
        corkSocket(false);
        {
            BoundedWait wait(m_conn, m_statements);
            const auto answer = [&wait]() {
                PGresult* result = wait.next();
                if (result) {
                    while (PGresult* rest = wait.next())
                        PQclear(rest);
                }
                return result;
            };
            const auto synced = [&wait]() {
                bool sync = false;
                for (PGresult* r; !sync && (r = wait.next());) {
                    sync = PQresultStatus(r) == PGRES_PIPELINE_SYNC;
                    PQclear(r);
                }
                return sync;
            };
            if (std::optional<ListenAhead> listen = std::exchange(m_queuedListen, std::nullopt)) {
                bool listening = true;
                for (qsizetype i = 0; i < listen->channels.size(); ++i) {
                    PGresult* r = answer();
                    listening = listening && PQresultStatus(r) == PGRES_COMMAND_OK;
                    PQclear(r);
                }
                if (!listen->alsoAsk.isEmpty()) {
                    PGresult* r = answer();
                    listening = listening && PQresultStatus(r) == PGRES_TUPLES_OK;
                    if (listening && PQntuples(r) > 0)
                        listen->row = firstRow(r);
                    PQclear(r);
                }
                listen->trip = m_statements.roundTrips;
                if (synced() && listening)
                    m_listenAhead = std::move(listen);
            }
            // Each is read, even past a broken session: what did not come
            // whole is not kept.
            for (const Queued& queued : m_queued) {
                if (queued.runs)
                    queued.query->readAhead(queued.parsed, answer, synced);
                else
                    queued.query->readPreparationAhead(answer, synced);
            }
        }
        m_queued.clear();
        PQexitPipelineMode(m_conn);
        if (std::exchange(m_aheadBroken, false) || PQpipelineStatus(m_conn) != PQ_PIPELINE_OFF) {
            // Something could not be sent, or answers are left unread (a
            // session that broke, a wait that ran out): nothing read ahead
            // counts, and the session is given up.
            m_listenAhead.reset();
            ::shutdown(PQsocket(m_conn), SHUT_RDWR);
            look();
        }
    }

    int socket() const override { return PQsocket(m_conn); }

    bool readNotifications(const std::function<void(const QString&, const QString&)>& notified) override
    {
        if (!PQconsumeInput(m_conn))
            return false;
        const int self = PQbackendPID(m_conn);
        while (PGnotify* n = PQnotifies(m_conn)) {
            const QString channel = QString::fromUtf8(n->relname);
            const QString payload = QString::fromUtf8(n->extra);
            const bool own = n->be_pid == self;
            PQfreemem(n);
            if (!own)
                notified(channel, payload);
        }
        return true;
    }

private:
    // Runs an SQL text (one or several statements) within the wait limit;
    // the first failure, or none. The last result goes to lastResult.
    DbError run(const QByteArray& sql, const std::function<void(const PGresult*)>& lastResult = {})
    {
        if (m_statements.waiting > 0)
            return DbError(DbError::Kind::Busy, QString(),
                           QCoreApplication::translate("TADOQuery", "a conexão com o banco de dados está ocupada com outro comando"));
        if (!PQsendQuery(m_conn, sql.constData()))
            return pgError(m_conn, nullptr);
        BoundedWait wait(m_conn, m_statements);
        DbError failure;
        while (PGresult* result = wait.next()) {
            if (!failure.isValid() && !ok(result))
                failure = pgError(m_conn, result);
            if (!failure.isValid() && lastResult)
                lastResult(result);
            PQclear(result);
        }
        if (!failure.isValid() && PQstatus(m_conn) != CONNECTION_OK)
            failure = pgError(m_conn, nullptr);
        // A command that ended well after all (a commit whose wait for its
        // standby was cancelled: the server's warning tells it) is not a
        // time-out.
        if (failure.isValid() && wait.timedOut())
            return timedOutError();
        return failure;
    }

    [[noreturn]] void commitFailed(DbError error)
    {
        if (answerLost(error))
            error.setOutcomeUnknown();
        if (inTransaction()) {
            try {
                rollback();
            } catch (const EDatabaseError&) {
                // the COMMIT's error is the one to report
            }
        }
        throw EDatabaseError(QCoreApplication::translate("TADOConnection", "Erro ao confirmar a transação"), error);
    }

    // A commit stored on this server but not confirmed by its standby (its
    // wait was cancelled at the wait limit) is not done as far as the chain
    // is concerned, and is said so.
    void checkCommitConfirmed()
    {
        if (!m_commitWarning.isEmpty())
            throw EDatabaseError(QCoreApplication::translate("TADOConnection", "A gravação não foi confirmada pelo servidor de reserva"),
                                 DbError(DbError::Kind::TimedOut, QString(), m_commitWarning).setOutcomeUnknown());
    }

    // A batch sent ahead is open on the pipeline, opened here at its first
    // run; false when there must be none: a call waits on the session, or a
    // BEGIN or COMMIT is still to go with the next run.
    bool enterAhead()
    {
        if (m_ahead)
            return !m_aheadBroken;
        const LiveStatements::Riders& riders = m_statements.riders;
        if (m_statements.waiting > 0 || riders.begin || riders.commit || riders.commitSent || !PQenterPipelineMode(m_conn))
            return false;
        m_listenAhead.reset();
        m_ahead = true;
        // libpq sends at every Sync: held back here, the batch leaves in one
        // burst when it is read (on a Unix socket there is nothing to hold).
        corkSocket(true);
        return true;
    }

    void corkSocket(bool hold)
    {
        const int on = hold ? 1 : 0;
        setsockopt(PQsocket(m_conn), IPPROTO_TCP, TCP_CORK, &on, sizeof on);
    }

    bool sendText(const QByteArray& sql)
    {
        return PQsendQueryParams(m_conn, sql.constData(), 0, nullptr, nullptr, nullptr, nullptr, 0) != 0;
    }

    // LISTEN on each channel. The channel is ours, a plain word: quoted as
    // an identifier all the same.
    static QList<QByteArray> listenStatements(const QStringList& channels)
    {
        QList<QByteArray> statements;
        for (const QString& channel : channels)
            statements << "LISTEN \"" + channel.toUtf8().replace('"', "\"\"") + '"';
        return statements;
    }

    static QVariantList firstRow(const PGresult* result)
    {
        QVariantList row;
        for (int column = 0; column < PQnfields(result); ++column)
            row << (PQgetisnull(result, 0, column) ? QVariant() : QVariant(QString::fromUtf8(PQgetvalue(result, 0, column))));
        return row;
    }

    PGconn* m_conn;
    // The server's last warning since a commit began.
    QString m_commitWarning;
    // The LISTEN answered ahead (qdl::Ahead), for the listen() that asks it.
    struct ListenAhead {
        QStringList channels;
        QByteArray alsoAsk;
        QVariantList row;
        quint64 trip = 0;
    };
    std::optional<ListenAhead> m_listenAhead;
    // The batch being sent ahead: open, its LISTEN and its runs in order
    // (with whether each carried its statement's preparation), and whether
    // a send failed.
    bool m_ahead = false;
    std::optional<ListenAhead> m_queuedListen;
    struct Queued {
        PostgresQuery* query;
        bool parsed; // its preparation went with it, or alone
        bool runs;   // false: the preparation alone
    };
    std::vector<Queued> m_queued;
    bool m_aheadBroken = false;
};

} // namespace

std::unique_ptr<Session> openPostgres(const ConnectionString& cs, bool genericPlans)
{
    const int limitMs = waitLimitMs();
    const ConnectionString::Parameters parameters = cs.postgresParameters(limitMs, genericPlans);
    std::vector<const char*> keywords, values;
    for (const auto& [key, value] : parameters) {
        keywords.push_back(key.constData());
        values.push_back(value.constData());
    }
    keywords.push_back(nullptr);
    values.push_back(nullptr);
    const QString step = QCoreApplication::translate("TADOConnection", "Não foi possível abrir o banco de dados");
    PGconn* conn = PQconnectStartParams(keywords.data(), values.data(), 0);
    if (!conn)
        throw EQdlError(step);
    const auto fail = [&](const DbError& error) {
        PQfinish(conn);
        throw EDatabaseError(step, error);
    };
    if (PQstatus(conn) == CONNECTION_BAD)
        fail(pgError(conn, nullptr));
    // The connection's own time-out (connect_timeout, PGCONNECT_TIMEOUT)
    // when it is shorter than the wait limit.
    int connectMs = limitMs;
    const QByteArray given = cs.value("connect_timeout").isEmpty() ? qgetenv("PGCONNECT_TIMEOUT") : cs.value("connect_timeout");
    if (const int seconds = given.toInt(); seconds > 0)
        connectMs = qMin(connectMs, seconds * 1000);
    const QDeadlineTimer deadline(connectMs);
    for (PostgresPollingStatusType status = PGRES_POLLING_WRITING; status != PGRES_POLLING_OK;) {
        if (status == PGRES_POLLING_FAILED)
            fail(pgError(conn, nullptr));
        const short events = status == PGRES_POLLING_READING ? POLLIN : POLLOUT;
        if (!waitForSocket(PQsocket(conn), events, deadline))
            fail(DbError(DbError::Kind::TimedOut, QString(),
                         QCoreApplication::translate("TADOConnection", "o servidor não respondeu em %1 s").arg(connectMs / 1000.0)));
        status = PQconnectPoll(conn);
    }
    return std::make_unique<PgSession>(conn);
}

} // namespace qdl::detail
