#pragma once

// libpq's functions, taken at run time from the library Qt's PostgreSQL
// driver has loaded. Linking libpq would load it, and the TLS and Kerberos
// libraries under it, into every start, SQLite's too.

#include <QDeadlineTimer>
#include <QString>
#include <libpq-fe.h>

namespace qdl::detail {

struct LibPq {
    // Statements.
    decltype(&PQprepare) prepare = nullptr;
    decltype(&PQdescribePrepared) describePrepared = nullptr;
    decltype(&PQexecPrepared) execPrepared = nullptr;
    decltype(&PQresultStatus) resultStatus = nullptr;
    decltype(&PQresultErrorField) resultErrorField = nullptr;
    decltype(&PQerrorMessage) errorMessage = nullptr;
    decltype(&PQresultErrorMessage) resultErrorMessage = nullptr;
    decltype(&PQclear) clear = nullptr;
    decltype(&PQnfields) nfields = nullptr;
    decltype(&PQfname) fname = nullptr;
    decltype(&PQftype) ftype = nullptr;
    decltype(&PQntuples) ntuples = nullptr;
    decltype(&PQcmdTuples) cmdTuples = nullptr;
    decltype(&PQgetisnull) getisnull = nullptr;
    decltype(&PQgetvalue) getvalue = nullptr;
    decltype(&PQgetlength) getlength = nullptr;
    // Sessions: scripts, the transaction state, notifications.
    decltype(&PQexec) exec = nullptr;
    decltype(&PQtransactionStatus) transactionStatus = nullptr;
    decltype(&PQsocket) socket = nullptr;
    decltype(&PQconsumeInput) consumeInput = nullptr;
    decltype(&PQnotifies) notifies = nullptr;
    decltype(&PQfreemem) freemem = nullptr;
    decltype(&PQbackendPID) backendPID = nullptr;
    decltype(&PQsetNoticeReceiver) setNoticeReceiver = nullptr;
    // Commands with a bound on the wait (runBounded).
    decltype(&PQsendQuery) sendQuery = nullptr;
    decltype(&PQisBusy) isBusy = nullptr;
    decltype(&PQgetCancel) getCancel = nullptr;
    decltype(&PQcancel) cancel = nullptr;
    decltype(&PQfreeCancel) freeCancel = nullptr;

    // Pipeline mode (libpq 14 and later): a statement's preparation and its
    // first run in one round trip. Null on an older library, which then
    // prepares and describes first.
    decltype(&PQenterPipelineMode) enterPipelineMode = nullptr;
    decltype(&PQexitPipelineMode) exitPipelineMode = nullptr;
    decltype(&PQpipelineSync) pipelineSync = nullptr;
    decltype(&PQsendPrepare) sendPrepare = nullptr;
    decltype(&PQsendQueryPrepared) sendQueryPrepared = nullptr;
    decltype(&PQsendQueryParams) sendQueryParams = nullptr;
    decltype(&PQgetResult) getResult = nullptr;
    bool pipelines() const
    {
        return enterPipelineMode && exitPipelineMode && pipelineSync && sendPrepare && sendQueryPrepared
            && sendQueryParams && getResult;
    }

    // Null, with the reason, when the library or one of its functions is
    // missing. The library stays loaded: the driver holds it too.
    static const LibPq* get(QString* why = nullptr);
};

// Waits for the server's next answer on a connection that sent something,
// at most limitMs: past it the server is asked to cancel, and its answer is
// awaited a few seconds more.
class BoundedWait {
public:
    BoundedWait(const LibPq& pq, PGconn* conn, int limitMs);
    // True when a result can be taken without blocking (or the connection
    // broke, which getResult then reports); false when not even the cancel
    // was answered.
    bool ready();
    bool timedOut() const { return m_cancelled; }

private:
    const LibPq& m_pq;
    PGconn* m_conn;
    QDeadlineTimer m_deadline;
    bool m_cancelled = false;
};

// Runs an SQL text (one or several statements) and waits for its end at most
// limitMs: past it the server is asked to cancel (timedOut set), and its
// answer is awaited a few seconds more. The first result that is not a
// success, else the last one; the caller clears it. Null when the text could
// not even be sent (the connection's error message says why).
PGresult* runBounded(const LibPq& pq, PGconn* conn, const char* sql, int limitMs, bool* timedOut = nullptr);

} // namespace qdl::detail
