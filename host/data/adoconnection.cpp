#include "adoconnection.h"

#include <QCoreApplication>

#include "adoqueryimpl.h"
#include "connection.h"
#include "connectionstring.h"
#include "errors.h"

TADOConnection::TADOConnection(QObject* owner) : QObject(owner) {}

TADOConnection::~TADOConnection()
{
    try {
        setConnected(false);
    } catch (...) {
        // closing must not throw out of a destructor
    }
}

bool TADOConnection::Connected() const
{
    return m_session && m_session->isOpen();
}

bool TADOConnection::isSqlite() const
{
    return m_opened && !m_postgres;
}

bool TADOConnection::isPostgres() const
{
    return m_opened && m_postgres;
}

bool TADOConnection::Busy() const
{
    return m_session && m_session->waiting();
}

namespace {
TADOConnection::SessionSetup g_sessionSetup = nullptr;
}

void TADOConnection::setSessionSetup(SessionSetup setup)
{
    g_sessionSetup = setup;
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
        m_notifier.reset();
        m_session.reset();
        m_opened = false;
        return;
    }

    if (BeforeConnect)
        BeforeConnect(this);
    // A session the server dropped lets go of its statements and its socket.
    m_notifier.reset();
    m_session.reset();
    const auto cs = ::ConnectionString::parse(ConnectionString);
    m_session = cs.isSqlite() ? qdl::detail::openSqlite(cs) : qdl::detail::openPostgres(cs, GenericPlans);
    m_postgres = m_session->isPostgres();
    m_opened = true;
    if (g_sessionSetup)
        g_sessionSetup(*this);
    subscribe();
    if (AfterConnect)
        AfterConnect(this);
}

std::unique_ptr<TADOQuery> TADOConnection::prepare(const QString& sql, DbError& error)
{
    if (!Connected()) {
        error = DbError(DbError::Kind::ConnectionLost, QString(),
                        QCoreApplication::translate("TADOConnection", "A conexão com o banco de dados não está aberta."));
        return nullptr;
    }
    return m_session->prepare(sql, error);
}

void TADOConnection::runScript(const QString& script, const QString& step)
{
    if (!Connected())
        throw EQdlError(QCoreApplication::translate("Connection", "O banco de dados precisa estar aberto para rodar o script."));
    m_session->runScript(script.toUtf8(), step);
    if (g_sessionSetup)
        g_sessionSetup(*this);
}

void TADOConnection::execute(const QString& sql, const QString& step)
{
    DbError error;
    std::unique_ptr<TADOQuery> q = prepare(sql, error);
    if (q) {
        if (q->exec()) {
            while (q->next()) {
            }
        } else {
            error = q->lastError();
        }
    }
    if (error.isValid())
        throw EDatabaseError(step, error);
}

void TADOConnection::Cancel()
{
    if (m_session)
        m_session->cancel();
}

void TADOConnection::BeginTrans(qdl::TransactionMode mode)
{
    if (!Connected())
        throw EQdlError(QCoreApplication::translate("TADOConnection", "Não há conexão aberta com o banco de dados para iniciar a transação."));
    m_session->begin(mode);
}

void TADOConnection::CommitAfterNextStatement()
{
    if (Connected())
        m_session->commitAfterNextStatement();
}

void TADOConnection::CommitTrans()
{
    if (!m_session)
        throw EQdlError(QCoreApplication::translate("TADOConnection", "Não há conexão aberta com o banco de dados para iniciar a transação."));
    m_session->commit();
}

void TADOConnection::RollbackTrans()
{
    if (m_session)
        m_session->rollback();
}

bool TADOConnection::InTransaction() const
{
    // Also on a session the server closed meanwhile: a COMMIT that went with
    // the last statement keeps its outcome for CommitTrans to tell.
    return m_session && m_session->inTransaction();
}

quint64 TADOConnection::ownCommits() const
{
    return m_session ? m_session->ownCommits() : 0;
}

qint64 TADOConnection::dataVersion()
{
    return Connected() ? m_session->dataVersion() : -1;
}

QVariantList TADOConnection::listen(const QString& channel, const QByteArray& alsoAsk)
{
    if (!m_channels.contains(channel))
        m_channels << channel;
    return subscribe(alsoAsk);
}

QVariantList TADOConnection::subscribe(const QByteArray& alsoAsk)
{
    if (!Connected() || !m_postgres || m_channels.isEmpty())
        return {};
    const QVariantList row = m_session->listen(m_channels, alsoAsk);
    if (!m_notifier) {
        m_notifier = std::make_unique<QSocketNotifier>(m_session->socket(), QSocketNotifier::Read);
        connect(m_notifier.get(), &QSocketNotifier::activated, this, &TADOConnection::pollNotifications);
    }
    return row;
}

void TADOConnection::pollNotifications()
{
    if (!m_session || !m_postgres || m_channels.isEmpty() || m_session->waiting())
        return;
    const bool alive = m_session->readNotifications(
        [this](const QString& channel, const QString& payload) { emit notified(channel, payload); });
    // The server went away: the socket would report it readable for ever.
    // The next service call, or the watcher, opens it again.
    if (!alive && m_notifier)
        m_notifier->setEnabled(false);
}

bool TADOConnection::Lost(bool look)
{
    if (look && m_session)
        m_session->look();
    return m_opened && !Connected();
}

namespace qdl {

Ahead::~Ahead()
{
    try {
        send();
    } catch (...) {
        // what was not read runs when asked
    }
}

void Ahead::listen(const QString& channel, const QByteArray& alsoAsk)
{
    if (!m_db.Connected() || !m_db.m_postgres)
        return;
    if (!m_db.m_channels.contains(channel))
        m_db.m_channels << channel;
    m_db.m_session->listenAhead(m_db.m_channels, alsoAsk);
    m_queued = true;
}

void Ahead::add(TADOQuery& query)
{
    if (!m_db.Connected() || !m_db.m_postgres)
        return;
    m_db.m_session->queueAhead(query);
    m_queued = true;
}

void Ahead::prepare(TADOQuery& query)
{
    if (!m_db.Connected() || !m_db.m_postgres)
        return;
    m_db.m_session->prepareAhead(query);
    m_queued = true;
}

void Ahead::send()
{
    if (std::exchange(m_queued, false) && m_db.m_session)
        m_db.m_session->readAhead();
}

} // namespace qdl
