#pragma once

// The data-access layer's connection: one session opened from a connection
// string ("sqlite:PATH" or "postgresql://user@host:port/dbname"), with
// connect events. The session runs on the database's own interface —
// SQLite's C interface, libpq — and never waits past the wait limit.

#include <QObject>
#include <QSocketNotifier>
#include <QString>
#include <QStringList>
#include <QVariantList>
#include <functional>
#include <memory>
#include <vector>

#include "adoquery.h"
#include "qdl_data_global.h"

namespace qdl {
class Ahead;
}
namespace qdl::detail {
class Session;
}

class QDL_DATA_EXPORT TADOConnection : public QObject {
    Q_OBJECT
public:
    explicit TADOConnection(QObject* owner = nullptr);
    ~TADOConnection() override; // closes the connection and removes it

    QString ConnectionString;  // replaced whole before each open
    // PostgreSQL: every statement of the session runs on its generic plan
    // (plan_cache_mode), planned once however often it runs. For a session
    // whose statements are all checked to use their indexes that way (the
    // screen's data module).
    bool GenericPlans = false;

    std::function<void(QObject* sender)> BeforeConnect;
    std::function<void(QObject* sender)> AfterConnect;

    // Opening runs BeforeConnect, opens the database from ConnectionString
    // (throws EDatabaseError or EQdlError with a clear message on failure),
    // then AfterConnect. Closing rolls back an open transaction.
    void setConnected(bool connected);
    bool Connected() const;
    // Opened, and not closed by us, yet no longer open: the server dropped
    // it (a PostgreSQL restart or failover). Opening it again is safe
    // between calls. With look, reads what the server sent meanwhile first
    // (no round trip), so a socket the server closed counts as lost now
    // rather than at the next statement.
    bool Lost(bool look = false);

    // Asked of the handle: SQLite's autocommit flag, libpq's transaction
    // status; on PostgreSQL also a BEGIN still waiting to go with the next
    // statement, and a COMMIT that went with the last one until CommitTrans
    // takes its outcome. False when closed or lost.
    bool InTransaction() const;
    // On PostgreSQL the BEGIN goes with the transaction's first statement,
    // not on its own: a terminal far from the server saves a round trip.
    void BeginTrans(qdl::TransactionMode mode = qdl::TransactionMode::Write); // throws EDatabaseError
    // The transaction's next statement is its last: on PostgreSQL the COMMIT
    // goes with it, and CommitTrans then only tells how it went. Nothing
    // changes on SQLite.
    void CommitAfterNextStatement();
    void CommitTrans();   // throws EDatabaseError; the transaction ends either way
    void RollbackTrans(); // throws EDatabaseError; the transaction ends either way

    // A statement prepared on the open connection, kept by the caller and
    // run many times; null with the database's error on a statement it
    // refuses. Closing the connection ends every statement prepared on it:
    // run after that, it answers an error.
    std::unique_ptr<TADOQuery> prepare(const QString& sql, DbError& error);
    // Runs a whole SQL text (a schema, demo rows) with the database's own
    // script execution, inside the open transaction if there is one; throws
    // EDatabaseError (step as what failed) at the first statement refused.
    void runScript(const QString& script, const QString& step);
    // Runs one statement without parameters and throws EDatabaseError (step
    // as what failed) when it fails; for set-up and tools, not the screen's
    // own statements.
    void execute(const QString& sql, const QString& step);
    // Asks the database to stop what the connection runs now; from any
    // thread.
    void Cancel();
    // A call on this connection is waiting on the database (and the window
    // is being kept painting meanwhile): a timer's handler must leave the
    // connection alone.
    bool Busy() const;

    // ---- What other sessions commit ----
    // SQLite: a number that changes when another connection commits to the
    // file (PRAGMA data_version; this connection's own commits leave it);
    // -1 on PostgreSQL or when closed. Throws EDatabaseError.
    qint64 dataVersion();
    // How many commits this connection has made since it was opened (its
    // own writes, which dataVersion and PostgreSQL's notifications leave
    // out); 0 when closed.
    quint64 ownCommits() const;
    // PostgreSQL: listens on the channel now and after every reopen;
    // notified() reports each notification another session sends on it.
    // A reading query given beside it runs in the same round trip; the
    // answer is its first row, as text. Nothing on SQLite (answers no row).
    // Throws EDatabaseError.
    QVariantList listen(const QString& channel, const QByteArray& alsoAsk = {});
    // Reads notifications that arrived while statements ran (libpq queues
    // them then, and the socket shows nothing more). Cheap: no round trip.
    void pollNotifications();

    // The program's own set-up of every session it opens, run once the
    // session is open and again after each script (a script may make what
    // it looks for); throws as the opening or the script would. One for the
    // whole program, none by default.
    using SessionSetup = void (*)(TADOConnection& connection);
    static void setSessionSetup(SessionSetup setup);

    // The database the connection was last opened on.
    bool isSqlite() const;
    bool isPostgres() const;

signals:
    void notified(const QString& channel, const QString& payload);

private:
    friend class qdl::Ahead;

    // LISTEN on every channel, on a freshly opened PostgreSQL session, with
    // a reading query in the same round trip; answers its rows.
    QVariantList subscribe(const QByteArray& alsoAsk = {});

    std::unique_ptr<qdl::detail::Session> m_session;
    QStringList m_channels;
    std::unique_ptr<QSocketNotifier> m_notifier;
    bool m_postgres = false;
    bool m_opened = false;
};

namespace qdl {

// Runs sent ahead of themselves, together. On PostgreSQL the LISTEN and the
// runs queued here reach the server in one round trip at send() (or when
// the object goes), in order, each in a transaction of its own outside a
// transaction (the LISTEN first: a change committed after the reads is
// heard), inside the open one otherwise. Each run keeps its answer (rows,
// count or error) for the next exec() of its statement with the same
// values, which takes it without a round trip; listen() likewise. Another
// round trip between drops them, and they run when asked. SQLite: nothing
// is sent ahead; each runs when asked.
class QDL_DATA_EXPORT Ahead {
public:
    explicit Ahead(TADOConnection& db) : m_db(db) {}
    ~Ahead(); // sends what is queued still
    Ahead(const Ahead&) = delete;
    Ahead& operator=(const Ahead&) = delete;

    void listen(const QString& channel, const QByteArray& alsoAsk);
    void add(TADOQuery& query); // with the values bound to it now
    // The statement prepared, in a transaction of its own, ahead of the runs
    // added after it: a run inside a transaction sent ahead that failed
    // before it then leaves no later run without its preparation (a
    // failed transaction refuses a preparation too).
    void prepare(TADOQuery& query);
    void send();

private:
    TADOConnection& m_db;
    bool m_queued = false;
};

} // namespace qdl
