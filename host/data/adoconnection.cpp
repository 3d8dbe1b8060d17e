#include "adoconnection.h"

#include <QCoreApplication>
#include <QSqlDriver>
#include <QSqlError>
#include <atomic>

#include "adoqueryimpl.h"
#include "connection.h"
#include "errors.h"

namespace {

std::atomic<int> g_connectionCounter{0};

bool isNoTransactionError(const QSqlError& e)
{
    return e.databaseText().contains(QLatin1String("no transaction is active"), Qt::CaseInsensitive);
}

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
        releaseStatements();
        QSqlDatabase db = database();
        db.close();
        m_inTransaction = false;
        m_opened = false;
        return;
    }

    if (BeforeConnect)
        BeforeConnect(this);
    // Statements of an earlier handle (one the server dropped) let go of it.
    releaseStatements();
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
            throw EDatabaseError(QCoreApplication::translate("TADOConnection", "Não foi possível abrir o banco de dados"), db.lastError());
        const QVariant handle = db.driver()->handle();
        if (qstrcmp(handle.typeName(), "sqlite3*") == 0)
            m_sqliteHandle = *static_cast<sqlite3* const*>(handle.constData());
        else if (qstrcmp(handle.typeName(), "PGconn*") == 0 || qstrcmp(handle.typeName(), "pg_conn*") == 0)
            m_postgresHandle = *static_cast<pg_conn* const*>(handle.constData());
    }
    m_inTransaction = false;
    m_opened = true;
    if (AfterConnect)
        AfterConnect(this);
}

void TADOConnection::releaseStatements()
{
    m_begin.reset();
    m_commit.reset();
    m_rollback.reset();
    m_statements->closeAll();
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
    error = QSqlError(QCoreApplication::translate("TADOConnection", "O driver %1 não é um dos bancos de dados suportados.").arg(database().driverName()),
                      QString(), QSqlError::ConnectionError);
    return nullptr;
}

// Transaction control on SQLite, prepared once. Qt's own transaction() issues
// a plain BEGIN, which takes the write lock only at the first write and can
// then fail at once instead of waiting on a busy database.
void TADOConnection::runControl(std::unique_ptr<TADOQuery>& statement, const char* sql, const QString& step,
                                bool toleratesNoTransaction)
{
    QSqlError error;
    if (!statement)
        statement = prepare(QString::fromLatin1(sql), error);
    if (statement) {
        const bool ok = statement->exec();
        error = ok ? QSqlError() : statement->lastError();
        statement->finish();
    }
    if (!error.isValid() || (toleratesNoTransaction && isNoTransactionError(error)))
        return;
    throw EDatabaseError(step, error);
}

void TADOConnection::BeginTrans()
{
    QSqlDatabase db = database();
    if (!db.isOpen())
        throw EQdlError(QCoreApplication::translate("TADOConnection", "Não há conexão aberta com o banco de dados para iniciar a transação."));
    if (m_sqliteHandle)
        runControl(m_begin, "BEGIN IMMEDIATE", QCoreApplication::translate("TADOConnection", "Erro ao iniciar a transação"));
    else if (!db.transaction())
        throw EDatabaseError(QCoreApplication::translate("TADOConnection", "Erro ao iniciar a transação"), db.lastError());
    m_inTransaction = true;
}

void TADOConnection::CommitTrans()
{
    QSqlDatabase db = database();
    m_inTransaction = false;
    if (m_sqliteHandle) {
        try {
            runControl(m_commit, "COMMIT", QCoreApplication::translate("TADOConnection", "Erro ao confirmar a transação"));
        } catch (const EDatabaseError&) {
            // A failed COMMIT leaves SQLite's transaction open; end it so the
            // connection does not go on inside a transaction we no longer track.
            try {
                runControl(m_rollback, "ROLLBACK", QString(), true);
            } catch (const EDatabaseError&) {
                // the COMMIT's error is the one to report
            }
            throw;
        }
    } else if (!db.commit()) {
        const QSqlError e = db.lastError();
        db.rollback();
        throw EDatabaseError(QCoreApplication::translate("TADOConnection", "Erro ao confirmar a transação"), e);
    }
}

void TADOConnection::RollbackTrans()
{
    QSqlDatabase db = database();
    m_inTransaction = false;
    if (m_sqliteHandle) {
        // SQLite may already have rolled back on its own after some errors.
        runControl(m_rollback, "ROLLBACK", QCoreApplication::translate("TADOConnection", "Erro ao desfazer a transação"), true);
    } else if (!db.rollback()) {
        throw EDatabaseError(QCoreApplication::translate("TADOConnection", "Erro ao desfazer a transação"), db.lastError());
    }
}
