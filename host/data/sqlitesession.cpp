// The embedded database through SQLite's C interface: the session (a
// crash-safe journal, foreign keys on, a busy wait as long as the wait
// limit that keeps the window painting), statements prepared once with sqlite3_prepare_v3 and bound by name,
// and a progress handler that stops a statement running past the wait limit.

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QThread>
#include <sqlite3.h>
#include <unistd.h>

#include "adoqueryimpl.h"
#include "connection.h"
#include "connectionstring.h"
#include "datapacket.h"
#include "errors.h"

namespace qdl::detail {

namespace {

DbError sqliteError(sqlite3* db)
{
    return DbError::fromSqlite(sqlite3_extended_errcode(db), QString::fromUtf8(sqlite3_errmsg(db)));
}

// value as UTF-8 in text, in text's own buffer when it is ASCII (a key
// bound run after run takes no allocation).
void utf8Into(const QString& value, QByteArray& text)
{
    const qsizetype size = value.size();
    text.resize(size);
    char* out = text.data();
    const QChar* in = value.constData();
    for (qsizetype i = 0; i < size; ++i) {
        if (in[i].unicode() >= 0x80) {
            text = value.toUtf8();
            return;
        }
        out[i] = char(in[i].unicode());
    }
}

class SqliteQuery final : public HandleQuery {
public:
    SqliteQuery(LiveStatements& owner, sqlite3* db, sqlite3_stmt* stmt, QDeadlineTimer* deadline)
        : HandleQuery(owner), m_db(db), m_stmt(stmt), m_deadline(deadline),
          m_texts(size_t(sqlite3_bind_parameter_count(stmt)) + 1)
    {
        const int columns = sqlite3_column_count(stmt);
        m_columns.reserve(columns);
        for (int i = 0; i < columns; ++i)
            m_columns << QString::fromUtf8(sqlite3_column_name(stmt, i));
    }
    ~SqliteQuery() override { release(); }

    void bindText(const char* name, const QString& value) override
    {
        const int at = parameter(name);
        if (at == 0)
            return;
        // Kept until the next run: SQLite reads it where it stands.
        QByteArray& text = m_texts[size_t(at)];
        utf8Into(value, text);
        sqlite3_bind_text(m_stmt, at, text.constData(), int(text.size()), SQLITE_STATIC);
    }

    void bindNumber(const char* name, double value) override
    {
        if (const int at = parameter(name))
            sqlite3_bind_double(m_stmt, at, value);
    }

    void bindNull(const char* name) override
    {
        if (const int at = parameter(name))
            sqlite3_bind_null(m_stmt, at);
    }

    bool exec() override
    {
        m_error = DbError();
        m_hasRow = m_firstPending = false;
        m_done = false;
        m_changes = 0;
        if (!m_stmt)
            return closedError();
        if (m_owner->waiting > 0)
            return busyError();
        if (takeBindError())
            return false;
        sqlite3_reset(m_stmt);
        m_limitMs = waitLimitMs(); // read once a run, not once a row
        // Step once now: a write is done when exec returns, and a query's
        // first row waits for next().
        m_hasRow = step();
        if (m_error.isValid())
            return false;
        if (m_done && m_columns.isEmpty())
            m_changes = sqlite3_changes(m_db);
        m_firstPending = m_hasRow;
        return true;
    }

    bool next() override
    {
        if (!m_stmt || m_done)
            return m_hasRow = false;
        if (m_firstPending) {
            m_firstPending = false;
            return true;
        }
        return m_hasRow = step();
    }

    QVariant value(int column) const override
    {
        if (!m_hasRow || column < 0 || column >= m_columns.size())
            return {};
        switch (sqlite3_column_type(m_stmt, column)) {
        case SQLITE_NULL:
            return {};
        case SQLITE_INTEGER:
        case SQLITE_FLOAT:
            return sqlite3_column_double(m_stmt, column);
        default: {
            // Text, or a blob read as UTF-8 text; the pointer before the size.
            const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, column));
            return packetText(text, sqlite3_column_bytes(m_stmt, column));
        }
        }
    }

    void finish() override
    {
        if (m_stmt) {
            sqlite3_reset(m_stmt);
            sqlite3_clear_bindings(m_stmt);
        }
        m_hasRow = m_firstPending = false;
        m_done = true;
    }

private:
    void release() override
    {
        sqlite3_finalize(m_stmt); // a no-op on null
        m_stmt = nullptr;
        m_db = nullptr;
        m_hasRow = m_firstPending = false;
        m_done = true;
    }

    int parameter(const char* name)
    {
        return checkedParameter(m_stmt ? sqlite3_bind_parameter_index(m_stmt, name) : 0, name);
    }

    bool step()
    {
        *m_deadline = QDeadlineTimer(m_limitMs);
        const int rc = sqlite3_step(m_stmt);
        if (rc == SQLITE_ROW)
            return true;
        if (rc != SQLITE_DONE) {
            m_error = sqliteError(m_db);
            sqlite3_reset(m_stmt);
        }
        m_done = true;
        return false;
    }

    sqlite3* m_db;
    sqlite3_stmt* m_stmt;
    QDeadlineTimer* m_deadline; // the session's, read by its progress handler
    std::vector<QByteArray> m_texts; // by parameter index
    int m_limitMs = 0;
    bool m_hasRow = false;
    bool m_firstPending = false;
    bool m_done = true;
};

class SqliteSession final : public Session {
public:
    explicit SqliteSession(sqlite3* db) : m_db(db)
    {
        // Another writer holds the file: look again every few milliseconds
        // up to the wait limit, the window painted meanwhile.
        sqlite3_busy_handler(
            m_db, [](void* self, int tries) -> int { return static_cast<SqliteSession*>(self)->busyWait(tries); },
            this);
        // Every thousand virtual-machine steps: past the deadline the
        // statement ends with SQLITE_INTERRUPT (a lock's wait is the busy
        // timeout's).
        sqlite3_progress_handler(
            m_db, 1000,
            [](void* deadline) -> int { return static_cast<QDeadlineTimer*>(deadline)->hasExpired() ? 1 : 0; },
            &m_deadline);
        // Every commit of this handle, a statement's own included.
        sqlite3_commit_hook(
            m_db,
            [](void* commits) -> int {
                ++*static_cast<quint64*>(commits);
                return 0;
            },
            &m_ownCommits);
    }
    ~SqliteSession() override
    {
        m_statements.closeAll();
        sqlite3_close_v2(m_db);
    }

    bool isPostgres() const override { return false; }
    bool isOpen() const override { return true; }

    std::unique_ptr<TADOQuery> prepare(const QString& sql, DbError& error) override
    {
        sqlite3_stmt* stmt = nullptr;
        const QByteArray text = sql.toUtf8();
        const int rc =
            sqlite3_prepare_v3(m_db, text.constData(), int(text.size()), SQLITE_PREPARE_PERSISTENT, &stmt, nullptr);
        if (rc != SQLITE_OK || !stmt) {
            error = stmt || rc != SQLITE_OK ? sqliteError(m_db)
                                            : DbError(DbError::Kind::Other, QString(),
                                                      QCoreApplication::translate("TADOQuery", "O comando está vazio."));
            sqlite3_finalize(stmt);
            return nullptr;
        }
        return std::make_unique<SqliteQuery>(m_statements, m_db, stmt, &m_deadline);
    }

    void runScript(const QByteArray& script, const QString& step) override
    {
        m_deadline = QDeadlineTimer(waitLimitMs());
        char* message = nullptr;
        if (sqlite3_exec(m_db, script.constData(), nullptr, nullptr, &message) != SQLITE_OK) {
            const DbError error = DbError::fromSqlite(sqlite3_extended_errcode(m_db),
                                                      QString::fromUtf8(message ? message : sqlite3_errmsg(m_db)));
            sqlite3_free(message);
            throw EDatabaseError(step, error);
        }
    }

    // BEGIN IMMEDIATE takes the write lock at once, waiting for it as long
    // as the busy timeout says, rather than failing at the first write.
    void begin(TransactionMode mode) override
    {
        // A writer takes the file's write lock at once; a reader's snapshot
        // starts with its first read and keeps no lock from writers.
        const QString step = QCoreApplication::translate("TADOConnection", "Erro ao iniciar a transação");
        if (mode == TransactionMode::ReadOnlySnapshot)
            control(m_beginRead, "BEGIN", step);
        else
            control(m_begin, "BEGIN IMMEDIATE", step);
    }

    void commit() override
    {
        try {
            control(m_commit, "COMMIT", QCoreApplication::translate("TADOConnection", "Erro ao confirmar a transação"));
        } catch (const EDatabaseError&) {
            // A failed COMMIT may leave the transaction open; end it so the
            // connection does not go on inside it.
            try {
                if (inTransaction())
                    control(m_rollback, "ROLLBACK", QString());
            } catch (const EDatabaseError&) {
                // the COMMIT's error is the one to report
            }
            throw;
        }
    }

    void rollback() override
    {
        // SQLite may already have rolled back on its own after some errors.
        if (inTransaction())
            control(m_rollback, "ROLLBACK", QCoreApplication::translate("TADOConnection", "Erro ao desfazer a transação"));
    }

    bool inTransaction() const override { return sqlite3_get_autocommit(m_db) == 0; }

    void cancel() override { sqlite3_interrupt(m_db); }

    qint64 dataVersion() override
    {
        DbError error;
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

    // The session's settings: foreign keys on, every commit on the disk
    // before it is reported, and the write-ahead journal, so that readers
    // and one writer do not wait for each other.
    void prepareSession()
    {
        const QByteArray settings = "PRAGMA foreign_keys = ON; PRAGMA synchronous = FULL;";
        runScript(settings, QCoreApplication::translate("Connection", "Erro ao preparar a sessão do banco de dados (%1)")
                                .arg(QString::fromLatin1(settings)));
        switchToWal();
    }

private:

    // SQLite's busy handler: nonzero to look again. The first call of a wait
    // has tries 0.
    int busyWait(int tries)
    {
        if (tries == 0)
            m_busySince.start();
        if (m_busySince.elapsed() >= waitLimitMs())
            return 0;
        QThread::msleep(tries < 10 ? 1 : 10);
        if (m_busySince.elapsed() >= 100) {
            ++m_statements.waiting; // a timer's handler leaves the session alone
            keepPainting();
            --m_statements.waiting;
        }
        return 1;
    }

    void control(std::unique_ptr<TADOQuery>& statement, const char* sql, const QString& step)
    {
        DbError error;
        if (!statement)
            statement = prepare(QString::fromLatin1(sql), error);
        if (statement) {
            const bool ok = statement->exec();
            error = ok ? DbError() : statement->lastError();
            statement->finish();
        }
        if (error.isValid())
            throw EDatabaseError(step, error);
    }

    QString journalMode()
    {
        DbError error;
        auto q = prepare(QStringLiteral("PRAGMA journal_mode"), error);
        return q && q->exec() && q->next() ? q->value(0).toString().toLower() : QString();
    }

    // Terminals opening a file still in rollback mode at the same moment all
    // try the switch to WAL; SQLite refuses it at once, without the busy
    // wait, to all but one. The others find it made, or try again while it
    // is busy, within the wait limit.
    void switchToWal()
    {
        const QDeadlineTimer limit(waitLimitMs());
        for (;;) {
            DbError error;
            auto q = prepare(QStringLiteral("PRAGMA journal_mode = WAL"), error);
            if (q && q->exec()) {
                while (q->next()) {
                }
                return;
            }
            if (q)
                error = q->lastError();
            q.reset();
            if (journalMode() == QLatin1String("wal"))
                return;
            if (error.kind() != DbError::Kind::Busy || limit.hasExpired())
                throw EDatabaseError(
                    QCoreApplication::translate("Connection", "Erro ao preparar a sessão do banco de dados (PRAGMA journal_mode = WAL)"),
                    error);
            QThread::msleep(50);
        }
    }

    sqlite3* m_db;
    QDeadlineTimer m_deadline{QDeadlineTimer::Forever};
    QElapsedTimer m_busySince;
    std::unique_ptr<TADOQuery> m_begin, m_beginRead, m_commit, m_rollback, m_dataVersion; // prepared at first use
};

} // namespace

std::unique_ptr<Session> openSqlite(const ConnectionString& cs)
{
    const QFileInfo info(cs.sqlitePath());
    // Opening a missing path would create an empty database and the screen
    // would then fail on missing tables; say what is wrong.
    if (!info.exists() || !info.isFile())
        throw EQdlError(QCoreApplication::translate("Connection", "Banco de dados não encontrado: %1").arg(cs.sqlitePath()));
    sqlite3* db = nullptr;
    // Read and write, never create: the file may vanish before the open.
    const int rc = sqlite3_open_v2(QFile::encodeName(info.absoluteFilePath()).constData(), &db,
                                   SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc != SQLITE_OK) {
        const DbError error = db ? sqliteError(db) : DbError::fromSqlite(rc, QString::fromUtf8(sqlite3_errstr(rc)));
        sqlite3_close_v2(db);
        throw EDatabaseError(QCoreApplication::translate("TADOConnection", "Não foi possível abrir o banco de dados"), error);
    }
    sqlite3_extended_result_codes(db, 1);
    auto session = std::make_unique<SqliteSession>(db);
    session->prepareSession();
    return session;
}

} // namespace qdl::detail
