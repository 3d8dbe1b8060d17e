#include "libpq.h"

#include <QLibrary>
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
        const auto optional = [&](auto& function, const char* name) {
            function = reinterpret_cast<std::remove_reference_t<decltype(function)>>(library.resolve(name));
        };
        optional(pq->enterPipelineMode, "PQenterPipelineMode");
        optional(pq->exitPipelineMode, "PQexitPipelineMode");
        optional(pq->pipelineSync, "PQpipelineSync");
        optional(pq->sendPrepare, "PQsendPrepare");
        optional(pq->sendQueryPrepared, "PQsendQueryPrepared");
        optional(pq->getResult, "PQgetResult");
        return std::pair{ok ? std::move(pq) : nullptr, ok ? QString() : library.errorString()};
    }();
    if (why)
        *why = loaded.second;
    return loaded.first.get();
}

} // namespace qdl::detail
