#include "adoconnection.h"

#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <atomic>

#include "connection.h"
#include "errors.h"

namespace {

std::atomic<int> g_connectionCounter{0};

// Runs one transaction-control statement on SQLite; Qt's own transaction()
// issues a plain BEGIN, which takes the write lock only at the first write
// and can then fail at once instead of waiting on a busy database.
QSqlError execControl(const QSqlDatabase& db, const QString& sql)
{
    QSqlQuery q(db);
    if (q.exec(sql))
        return {};
    return q.lastError();
}

bool isNoTransactionError(const QSqlError& e)
{
    return e.databaseText().contains(QLatin1String("no transaction is active"), Qt::CaseInsensitive);
}

} // namespace

TADOConnection::TADOConnection(QObject* owner)
    : QObject(owner), m_connectionName(QStringLiteral("qdl-ado-%1").arg(++g_connectionCounter))
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
    return QSqlDatabase::database(m_connectionName, false);
}

bool TADOConnection::Connected() const
{
    return QSqlDatabase::contains(m_connectionName) && database().isOpen();
}

bool TADOConnection::isSqlite() const
{
    return database().driverName() == QLatin1String("QSQLITE");
}

bool TADOConnection::isPostgres() const
{
    return database().driverName() == QLatin1String("QPSQL");
}

void TADOConnection::setConnected(bool connected)
{
    if (connected == Connected())
        return;
    if (!connected) {
        if (m_inTransaction) {
            try {
                RollbackTrans();
            } catch (...) {
                // the close below ends the transaction anyway
            }
        }
        QSqlDatabase db = database();
        db.close();
        m_inTransaction = false;
        m_opened = false;
        return;
    }

    if (BeforeConnect)
        BeforeConnect(this);
    {
        QSqlDatabase db = database();
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
            throw EDatabaseError(QStringLiteral("Não foi possível abrir o banco de dados"), db.lastError());
    }
    m_inTransaction = false;
    m_opened = true;
    if (AfterConnect)
        AfterConnect(this);
}

void TADOConnection::BeginTrans()
{
    QSqlDatabase db = database();
    if (!db.isOpen())
        throw EQdlError(QStringLiteral("Não há conexão aberta com o banco de dados para iniciar a transação."));
    if (isSqlite()) {
        const QSqlError e = execControl(db, QStringLiteral("BEGIN IMMEDIATE"));
        if (e.isValid())
            throw EDatabaseError(QStringLiteral("Erro ao iniciar a transação"), e);
    } else if (!db.transaction()) {
        throw EDatabaseError(QStringLiteral("Erro ao iniciar a transação"), db.lastError());
    }
    m_inTransaction = true;
}

void TADOConnection::CommitTrans()
{
    QSqlDatabase db = database();
    m_inTransaction = false;
    if (isSqlite()) {
        const QSqlError e = execControl(db, QStringLiteral("COMMIT"));
        if (e.isValid()) {
            // A failed COMMIT leaves SQLite's transaction open; end it so the
            // connection does not go on inside a transaction we no longer track.
            execControl(db, QStringLiteral("ROLLBACK"));
            throw EDatabaseError(QStringLiteral("Erro ao confirmar a transação"), e);
        }
    } else if (!db.commit()) {
        const QSqlError e = db.lastError();
        db.rollback();
        throw EDatabaseError(QStringLiteral("Erro ao confirmar a transação"), e);
    }
}

void TADOConnection::RollbackTrans()
{
    QSqlDatabase db = database();
    m_inTransaction = false;
    if (isSqlite()) {
        const QSqlError e = execControl(db, QStringLiteral("ROLLBACK"));
        // SQLite may already have rolled back on its own after some errors.
        if (e.isValid() && !isNoTransactionError(e))
            throw EDatabaseError(QStringLiteral("Erro ao desfazer a transação"), e);
    } else if (!db.rollback()) {
        throw EDatabaseError(QStringLiteral("Erro ao desfazer a transação"), db.lastError());
    }
}
