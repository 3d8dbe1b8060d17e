#include "adoconnection.h"

#include <QCoreApplication>
#include <QSqlDriver>
#include <QSqlError>
#include <atomic>
#include <sqlite3.h>

#include "adoqueryimpl.h"
#include "connection.h"
#include "errors.h"
#include "libpq.h"

namespace {

std::atomic<int> g_connectionCounter{0};

} // namespace

TADOConnection::TADOConnection(QObject* owner)
    : QObject(owner),
      m_connectionName(QStringLiteral("qdl-ado-%1").arg(++g_connectionCounter)),
      m_statements(std::make_unique<qdl::detail::LiveStatements>())
{
}

TADOConnection::~TADOConnection()
{
    try {
        setConnected(false);
    } catch (...) {
        // closing must not throw out of a destructor
    }
    // Every QSqlDatabase copy is a local of a finished call by now.
    if (QSqlDatabase::contains(m_connectionName))
        QSqlDatabase::removeDatabase(m_connectionName);
}

QSqlDatabase TADOConnection::database() const
{
    if (!QSqlDatabase::contains(m_connectionName))
        return {};
    // Whoever takes the session may run statements on it outside ours: a
    // BEGIN still waiting for our next statement goes first, on its own, so
    // that theirs run inside the transaction.
    if (m_statements->riders.begin && m_postgresHandle) {
        m_statements->riders.begin = false;
        const qdl::detail::LibPq* pq = qdl::detail::LibPq::get();
        PGresult* result = pq->exec(m_postgresHandle, "BEGIN");
        const bool begun = pq->resultStatus(result) == PGRES_COMMAND_OK;
        pq->clear(result);
        if (!begun)
            throw EDatabaseError(QCoreApplication::translate("TADOConnection", "Erro ao iniciar a transação"),
                                 QSqlError(QString(), QString::fromUtf8(pq->errorMessage(m_postgresHandle)),
                                           QSqlError::TransactionError));
    }
    return session();
}

QSqlDatabase TADOConnection::session() const
{
    if (!QSqlDatabase::contains(m_connectionName))
        return {};
    return QSqlDatabase::database(m_connectionName, false);
}

bool TADOConnection::Connected() const
{
    return QSqlDatabase::contains(m_connectionName) && session().isOpen();
}

bool TADOConnection::isSqlite() const
{
    return session().driverName() == QLatin1String("QSQLITE");
}

bool TADOConnection::isPostgres() const
{
    return session().driverName() == QLatin1String("QPSQL");
}

void TADOConnection::setConnected(bool connected)
{
    if (connected == Connected())
        return;
    if (!connected) {
        if (InTransaction()) {
            try {
                RollbackTrans();
            } catch (...) {
                // the close below ends the transaction anyway
            }
        }
        releaseStatements();
        QSqlDatabase db = session();
        db.close();
        m_opened = false;
        return;
    }

    if (BeforeConnect)
        BeforeConnect(this);
    // Statements of an earlier handle (one the server dropped) let go of it.
    releaseStatements();
    {
        QSqlDatabase db = session();
        applyConnectionString(db, ConnectionString);
        // applyConnectionString named a fresh handle when the driver changed;
        // keep ours under our own name.
        if (db.connectionName() != m_connectionName) {
            const QString driver = db.driverName();
            const QString temporary = db.connectionName();
            db = QSqlDatabase();
            QSqlDatabase::removeDatabase(temporary);
            db = QSqlDatabase::addDatabase(driver, m_connectionName);
            applyConnectionString(db, ConnectionString);
        }
        if (!db.open())
            throw EDatabaseError(QCoreApplication::translate("TADOConnection", "Não foi possível abrir o banco de dados"), db.lastError());
        const QVariant handle = db.driver()->handle();
        if (qstrcmp(handle.typeName(), "sqlite3*") == 0)
            m_sqliteHandle = *static_cast<sqlite3* const*>(handle.constData());
        else if (qstrcmp(handle.typeName(), "PGconn*") == 0 || qstrcmp(handle.typeName(), "pg_conn*") == 0)
            m_postgresHandle = *static_cast<pg_conn* const*>(handle.constData());
    }
    m_opened = true;
    if (m_postgresHandle) {
        if (const qdl::detail::LibPq* pq = qdl::detail::LibPq::get()) {
            pq->setNoticeReceiver(
                m_postgresHandle,
                [](void* self, const PGresult* notice) {
                    const qdl::detail::LibPq* lib = qdl::detail::LibPq::get();
                    // A warning while a commit ends: its wait for the standby
                    // was cancelled at the wait limit, the commit is local
                    // only (the server says so in the warning's detail).
                    const char* severity = lib->resultErrorField(notice, PG_DIAG_SEVERITY_NONLOCALIZED);
                    if (severity && qstrcmp(severity, "WARNING") == 0) {
                        const char* detail = lib->resultErrorField(notice, PG_DIAG_MESSAGE_DETAIL);
                        static_cast<TADOConnection*>(self)->m_commitWarning =
                            QString::fromUtf8(lib->resultErrorField(notice, PG_DIAG_MESSAGE_PRIMARY))
                            + (detail ? QStringLiteral("\n") + QString::fromUtf8(detail) : QString());
                    }
                },
                this);
        }
    }
    subscribe();
    if (AfterConnect)
        AfterConnect(this);
}

void TADOConnection::releaseStatements()
{
    m_notifier.reset();
    m_begin.reset();
    m_commit.reset();
    m_rollback.reset();
    m_dataVersion.reset();
    m_statements->closeAll();
    m_statements->riders = {};
    m_sqliteHandle = nullptr;
    m_postgresHandle = nullptr;
}

std::unique_ptr<TADOQuery> TADOConnection::prepare(const QString& sql, QSqlError& error)
{
    if (!Connected()) {
        error = QSqlError(QCoreApplication::translate("TADOConnection", "A conexão com o banco de dados não está aberta."), QString(),
                          QSqlError::ConnectionError);
        return nullptr;
    }
    if (m_sqliteHandle)
        return qdl::detail::prepareSqlite(*m_statements, m_sqliteHandle, sql, error);
    if (m_postgresHandle)
        return qdl::detail::preparePostgres(*m_statements, m_postgresHandle, sql, error);
    error = QSqlError(QCoreApplication::translate("TADOConnection", "O driver %1 não é um dos bancos de dados suportados.").arg(session().driverName()),
                      QString(), QSqlError::ConnectionError);
    return nullptr;
}

// Transaction control on SQLite, prepared once. Qt's own transaction() issues
// a plain BEGIN, which takes the write lock only at the first write and can
// then fail at once instead of waiting on a busy database.
void TADOConnection::runControl(std::unique_ptr<TADOQuery>& statement, const char* sql, const QString& step)
{
    QSqlError error;
    if (!statement)
        statement = prepare(QString::fromLatin1(sql), error);
    if (statement) {
        const bool ok = statement->exec();
        error = ok ? QSqlError() : statement->lastError();
        statement->finish();
    }
    if (error.isValid())
        throw EDatabaseError(step, error);
}

bool TADOConnection::ridesWithStatements() const
{
    const qdl::detail::LibPq* pq = m_postgresHandle ? qdl::detail::LibPq::get() : nullptr;
    return pq && pq->pipelines();
}

void TADOConnection::BeginTrans()
{
    QSqlDatabase db = session();
    if (!db.isOpen())
        throw EQdlError(QCoreApplication::translate("TADOConnection", "Não há conexão aberta com o banco de dados para iniciar a transação."));
    if (m_sqliteHandle) {
        runControl(m_begin, "BEGIN IMMEDIATE", QCoreApplication::translate("TADOConnection", "Erro ao iniciar a transação"));
    } else if (ridesWithStatements()) {
        m_statements->riders = {};
        m_statements->riders.begin = true;
    } else if (!db.transaction()) {
        throw EDatabaseError(QCoreApplication::translate("TADOConnection", "Erro ao iniciar a transação"), db.lastError());
    }
}

void TADOConnection::CommitAfterNextStatement()
{
    if (!ridesWithStatements() || !InTransaction())
        return;
    m_commitWarning.clear();
    m_statements->riders.commit = true;
}

void TADOConnection::commitFailed(const QSqlError& error)
{
    if (InTransaction())
        RollbackTrans();
    throw EDatabaseError(QCoreApplication::translate("TADOConnection", "Erro ao confirmar a transação"), error);
}

// A commit stored on this server but not confirmed by its standby (its wait
// was cancelled at the wait limit) is not done as far as the chain is
// concerned, and is said so.
void TADOConnection::checkCommitConfirmed()
{
    if (!m_commitWarning.isEmpty())
        throw EDatabaseError(
            QCoreApplication::translate("TADOConnection", "A gravação não foi confirmada pelo servidor de reserva"),
            QSqlError(QString(), m_commitWarning, QSqlError::TransactionError));
}

void TADOConnection::CommitTrans()
{
    if (m_sqliteHandle) {
        try {
            runControl(m_commit, "COMMIT", QCoreApplication::translate("TADOConnection", "Erro ao confirmar a transação"));
        } catch (const EDatabaseError&) {
            // A failed COMMIT may leave SQLite's transaction open; end it so
            // the connection does not go on inside it.
            try {
                if (InTransaction())
                    runControl(m_rollback, "ROLLBACK", QString());
            } catch (const EDatabaseError&) {
                // the COMMIT's error is the one to report
            }
            throw;
        }
        return;
    }
    qdl::detail::LiveStatements::Riders& riders = m_statements->riders;
    if (riders.commitSent) {
        const QSqlError error = std::exchange(riders, {}).commitError;
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
    // The commit runs on the handle with the wait limit: a server that
    // waits for a standby that is not there would otherwise hold the
    // screen without end.
    m_commitWarning.clear();
    const qdl::detail::LibPq* pq = qdl::detail::LibPq::get();
    PGresult* result = pq ? qdl::detail::runBounded(*pq, m_postgresHandle, "COMMIT", waitLimitMs()) : nullptr;
    if (!result || pq->resultStatus(result) != PGRES_COMMAND_OK) {
        const char* state = result ? pq->resultErrorField(result, PG_DIAG_SQLSTATE) : nullptr;
        const QSqlError e(QString(), QString::fromUtf8(pq ? pq->errorMessage(m_postgresHandle) : ""),
                          QSqlError::TransactionError, state ? QString::fromLatin1(state) : QString());
        if (pq)
            pq->clear(result);
        commitFailed(e);
    }
    pq->clear(result);
    checkCommitConfirmed();
}

void TADOConnection::RollbackTrans()
{
    if (m_sqliteHandle) {
        // SQLite may already have rolled back on its own after some errors.
        if (InTransaction())
            runControl(m_rollback, "ROLLBACK", QCoreApplication::translate("TADOConnection", "Erro ao desfazer a transação"));
        return;
    }
    // What the riders held is dropped; the server's transaction, if one
    // is open, is rolled back.
    m_statements->riders = {};
    if (!m_postgresHandle || !InTransaction())
        return;
    QSqlDatabase db = session();
    if (!db.rollback())
        throw EDatabaseError(QCoreApplication::translate("TADOConnection", "Erro ao desfazer a transação"), db.lastError());
}

bool TADOConnection::InTransaction() const
{
    if (m_sqliteHandle)
        return sqlite3_get_autocommit(m_sqliteHandle) == 0;
    if (m_postgresHandle) {
        if (m_statements->riders.begin || m_statements->riders.commitSent)
            return true;
        const qdl::detail::LibPq* pq = qdl::detail::LibPq::get();
        if (!pq)
            return false;
        const PGTransactionStatusType status = pq->transactionStatus(m_postgresHandle);
        return status == PQTRANS_INTRANS || status == PQTRANS_INERROR || status == PQTRANS_ACTIVE;
    }
    return false;
}

qint64 TADOConnection::dataVersion()
{
    if (!m_sqliteHandle)
        return -1;
    QSqlError error;
    if (!m_dataVersion)
        m_dataVersion = prepare(QStringLiteral("PRAGMA data_version"), error);
    if (m_dataVersion && m_dataVersion->exec() && m_dataVersion->next()) {
        const qint64 version = m_dataVersion->value(0).toLongLong();
        m_dataVersion->finish();
        return version;
    }
    if (m_dataVersion) {
        error = m_dataVersion->lastError();
        m_dataVersion->finish();
    }
    throw EDatabaseError(QCoreApplication::translate("TADOConnection", "Erro ao ler a versão do banco de dados"), error);
}

int TADOConnection::listen(const QString& channel, const char* alsoAsk)
{
    if (!m_channels.contains(channel))
        m_channels << channel;
    return subscribe(alsoAsk);
}

int TADOConnection::subscribe(const char* alsoAsk)
{
    const qdl::detail::LibPq* pq = m_postgresHandle ? qdl::detail::LibPq::get() : nullptr;
    if (!pq || m_channels.isEmpty())
        return -1;
    // One text, one round trip: the server runs its statements in order
    // and answers with the last one's result.
    QByteArray sql;
    for (const QString& channel : std::as_const(m_channels)) {
        // The channel is ours, a plain word: quoted as an identifier all the same.
        sql += "LISTEN \"" + channel.toUtf8().replace('"', "\"\"") + "\";";
    }
    if (alsoAsk)
        sql += alsoAsk;
    PGresult* result = pq->exec(m_postgresHandle, sql.constData());
    const ExecStatusType status = pq->resultStatus(result);
    const bool ok = alsoAsk ? status == PGRES_TUPLES_OK : status == PGRES_COMMAND_OK;
    const int rows = ok && alsoAsk ? pq->ntuples(result) : -1;
    pq->clear(result);
    if (!ok)
        throw EDatabaseError(QCoreApplication::translate("TADOConnection", "Erro ao assinar os avisos do banco de dados"),
                             QSqlError(QString(), QString::fromUtf8(pq->errorMessage(m_postgresHandle)),
                                       QSqlError::StatementError));
    if (!m_notifier) {
        m_notifier = std::make_unique<QSocketNotifier>(pq->socket(m_postgresHandle), QSocketNotifier::Read);
        connect(m_notifier.get(), &QSocketNotifier::activated, this, &TADOConnection::pollNotifications);
    }
    return rows;
}

void TADOConnection::pollNotifications()
{
    const qdl::detail::LibPq* pq = m_postgresHandle ? qdl::detail::LibPq::get() : nullptr;
    if (!pq || m_channels.isEmpty())
        return;
    if (!pq->consumeInput(m_postgresHandle)) {
        // The server went away: the socket would report it readable for
        // ever. The next service call, or the watcher, opens it again.
        if (m_notifier)
            m_notifier->setEnabled(false);
        return;
    }
    const int self = pq->backendPID(m_postgresHandle);
    while (PGnotify* n = pq->notifies(m_postgresHandle)) {
        const QString channel = QString::fromUtf8(n->relname);
        const QString payload = QString::fromUtf8(n->extra);
        const bool own = n->be_pid == self;
        pq->freemem(n);
        if (!own)
            emit notified(channel, payload);
    }
}

bool TADOConnection::Lost(bool look)
{
    if (look && m_postgresHandle) {
        // A server that ends a session sends its reason, then closes: the
        // first read takes the message, the second meets the end and marks
        // the handle bad.
        if (const qdl::detail::LibPq* pq = qdl::detail::LibPq::get()) {
            for (int read = 0; read < 2 && pq->consumeInput(m_postgresHandle); ++read) {
            }
        }
    }
    return m_opened && !Connected();
}
