#pragma once

// libpq's functions, taken at run time from the library Qt's PostgreSQL
// driver has loaded. Linking libpq would load it, and the TLS and Kerberos
// libraries under it, into every start, SQLite's too.

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

    // Pipeline mode (libpq 14 and later): a statement's preparation and its
    // first run in one round trip. Null on an older library, which then
    // prepares and describes first.
    decltype(&PQenterPipelineMode) enterPipelineMode = nullptr;
    decltype(&PQexitPipelineMode) exitPipelineMode = nullptr;
    decltype(&PQpipelineSync) pipelineSync = nullptr;
    decltype(&PQsendPrepare) sendPrepare = nullptr;
    decltype(&PQsendQueryPrepared) sendQueryPrepared = nullptr;
    decltype(&PQgetResult) getResult = nullptr;
    bool pipelines() const
    {
        return enterPipelineMode && exitPipelineMode && pipelineSync && sendPrepare && sendQueryPrepared && getResult;
    }

    // Null, with the reason, when the library or one of its functions is
    // missing. The library stays loaded: the driver holds it too.
    static const LibPq* get(QString* why = nullptr);
};

} // namespace qdl::detail
