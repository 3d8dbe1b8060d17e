#include "libpq.h"

#include <QLibrary>
#include <poll.h>
#include <memory>
#include <utility>

namespace qdl::detail {

const LibPq* LibPq::get(QString* why)
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
        take(pq->resultErrorMessage, "PQresultErrorMessage");
        take(pq->clear, "PQclear");
        take(pq->nfields, "PQnfields");
        take(pq->fname, "PQfname");
        take(pq->ftype, "PQftype");
        take(pq->ntuples, "PQntuples");
        take(pq->cmdTuples, "PQcmdTuples");
        take(pq->getisnull, "PQgetisnull");
        take(pq->getvalue, "PQgetvalue");
        take(pq->getlength, "PQgetlength");
        take(pq->exec, "PQexec");
        take(pq->transactionStatus, "PQtransactionStatus");
        take(pq->socket, "PQsocket");
        take(pq->consumeInput, "PQconsumeInput");
        take(pq->notifies, "PQnotifies");
        take(pq->freemem, "PQfreemem");
        take(pq->backendPID, "PQbackendPID");
        take(pq->setNoticeReceiver, "PQsetNoticeReceiver");
        take(pq->sendQuery, "PQsendQuery");
        take(pq->isBusy, "PQisBusy");
        take(pq->getCancel, "PQgetCancel");
        take(pq->cancel, "PQcancel");
        take(pq->freeCancel, "PQfreeCancel");
        const auto optional = [&](auto& function, const char* name) {
            function = reinterpret_cast<std::remove_reference_t<decltype(function)>>(library.resolve(name));
        };
        optional(pq->enterPipelineMode, "PQenterPipelineMode");
        optional(pq->exitPipelineMode, "PQexitPipelineMode");
        optional(pq->pipelineSync, "PQpipelineSync");
        optional(pq->sendPrepare, "PQsendPrepare");
        optional(pq->sendQueryPrepared, "PQsendQueryPrepared");
        optional(pq->sendQueryParams, "PQsendQueryParams");
        optional(pq->getResult, "PQgetResult");
        return std::pair{ok ? std::move(pq) : nullptr, ok ? QString() : library.errorString()};
    }();
    if (why)
        *why = loaded.second;
    return loaded.first.get();
}

BoundedWait::BoundedWait(const LibPq& pq, PGconn* conn, int limitMs)
    : m_pq(pq), m_conn(conn), m_deadline(limitMs)
{
}

bool BoundedWait::ready()
{
    const int socket = m_pq.socket(m_conn);
    while (m_pq.consumeInput(m_conn) && m_pq.isBusy(m_conn)) {
        if (m_deadline.hasExpired()) {
            if (m_cancelled)
                return false;
            if (PGcancel* request = m_pq.getCancel(m_conn)) {
                char why[256];
                m_pq.cancel(request, why, int(sizeof why));
                m_pq.freeCancel(request);
            }
            m_cancelled = true;
            m_deadline = QDeadlineTimer(5000);
            continue;
        }
        pollfd wait{socket, POLLIN, 0};
        ::poll(&wait, 1, int(qMin<qint64>(m_deadline.remainingTime(), 1000)));
    }
    return true;
}

PGresult* runBounded(const LibPq& pq, PGconn* conn, const char* sql, int limitMs, bool* timedOut)
{
    if (timedOut)
        *timedOut = false;
    if (!pq.getResult || !pq.sendQuery(conn, sql))
        return nullptr;
    BoundedWait wait(pq, conn, limitMs);
    wait.ready(); // what there is when not even the cancel was answered
    if (timedOut)
        *timedOut = wait.timedOut();
    const auto succeeded = [&](const PGresult* r) {
        const ExecStatusType status = pq.resultStatus(r);
        return status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK || status == PGRES_EMPTY_QUERY;
    };
    PGresult* kept = nullptr;
    while (PGresult* result = pq.getResult(conn)) {
        if (kept && !succeeded(kept)) { // the first failure is the one to tell
            pq.clear(result);
            continue;
        }
        if (kept)
            pq.clear(kept);
        kept = result;
    }
    return kept;
}

} // namespace qdl::detail
