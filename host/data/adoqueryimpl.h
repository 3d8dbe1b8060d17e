#pragma once

// What the data layer keeps behind TADOConnection and TADOQuery: a session on
// one database's own interface (SQLite's C interface, libpq), the statements
// prepared on it, and the bounded wait every network round trip goes
// through. For the data layer only.

#include <QByteArray>
#include <QDeadlineTimer>
#include <QStringList>
#include <QVariantList>
#include <functional>
#include <memory>
#include <vector>

#include "adoquery.h"
#include "dberror.h"

class ConnectionString;

namespace qdl::detail {

class HandleQuery;

// Every statement prepared on a session, so that all of them let go of it
// before it closes: SQLite refuses to close a handle with statements left
// (the file would stay open), and a PostgreSQL handle is freed by its close.
struct LiveStatements {
    ~LiveStatements();
    void closeAll(); // the statements stay, answering an error when run
    std::vector<HandleQuery*> live;

    // PostgreSQL: a transaction's BEGIN and COMMIT travel with the statements
    // beside them, so a terminal far from the server pays no round trip of
    // their own. The session asks for them; the next statement run sends
    // them and leaves the COMMIT's outcome here.
    struct Riders {
        bool begin = false;      // BEGIN asked for, not sent yet
        bool readOnly = false;   // ... for a read-only snapshot
        bool commit = false;     // COMMIT to send after the next statement
        bool commitSent = false; // it went: its outcome until the commit takes it
        DbError commitError;     // invalid when the COMMIT succeeded
    } riders;
    // Above zero while a call waits on the database (and the window is kept
    // painting): a timer's handler that comes in meanwhile must not use the
    // session.
    int waiting = 0;
    // Every wait on the server so far: an answer read ahead of its run is
    // good only while no other round trip came between.
    quint64 roundTrips = 0;
};

class HandleQuery : public TADOQuery {
public:
    explicit HandleQuery(LiveStatements& owner);
    ~HandleQuery() override;
    HandleQuery(const HandleQuery&) = delete;
    HandleQuery& operator=(const HandleQuery&) = delete;

    int columnCount() const override { return int(m_columns.size()); }
    QString columnName(int column) const override { return m_columns.value(column); }
    int numRowsAffected() const override { return m_changes; }
    DbError lastError() const override { return m_error; }

    void detach(); // the session is closing

protected:
    virtual void release() = 0; // lets go of the handle and everything on it
    // Takes a parameter by name; 0, and an error at the next run, when the
    // statement has no such parameter.
    int checkedParameter(int index, const char* name);
    bool closedError();   // exec on a closed connection: always false
    bool busyError();     // exec while another call waits on the session: always false
    bool takeBindError(); // true when a bind named a missing parameter

    LiveStatements* m_owner;
    QStringList m_columns;
    QString m_bindError;
    DbError m_error;
    int m_changes = 0;
};

// One open session on one database: the small interface each backend
// implements. Every call that waits on the database waits at most the wait
// limit. Calls that fail throw EDatabaseError, unless they say otherwise.
class Session {
public:
    virtual ~Session() = default;

    virtual bool isPostgres() const = 0;
    // Open, and not closed under us (a server that went away, a link that
    // went silent past the wait limit).
    virtual bool isOpen() const = 0;
    // With look, reads what the server sent meanwhile first (no round trip),
    // so a socket the server closed counts as closed now.
    virtual void look() {}

    // Null, with the database's error, on a statement it refuses (PostgreSQL
    // refuses at the first run instead).
    virtual std::unique_ptr<TADOQuery> prepare(const QString& sql, DbError& error) = 0;
    // A whole SQL text of one or more statements, by the database's own
    // script execution; throws at the first statement refused.
    virtual void runScript(const QByteArray& script, const QString& step) = 0;

    virtual void begin(TransactionMode mode) = 0;
    virtual void commitAfterNextStatement() {}
    virtual void commit() = 0;   // the transaction ends either way
    virtual void rollback() = 0; // the transaction ends either way
    virtual bool inTransaction() const = 0;
    // Asks the database to stop what it runs now (from any thread).
    virtual void cancel() = 0;

    // SQLite: a number that changes when another connection commits; -1 on
    // PostgreSQL.
    virtual qint64 dataVersion() { return -1; }
    // How many commits this session has made, its own statements' and
    // scripts' included (a commit that failed may count too).
    virtual quint64 ownCommits() const { return m_ownCommits; }
    // PostgreSQL: LISTEN on the channels, with a reading query in the same
    // round trip; answers its first row (none without one, or on SQLite).
    virtual QVariantList listen(const QStringList& /*channels*/, const QByteArray& /*alsoAsk*/) { return {}; }
    // PostgreSQL: runs sent ahead, together in one round trip (qdl::Ahead):
    // a LISTEN with its reading query, and statements with the values bound
    // now, queued in order; readAhead reads every answer. Nothing elsewhere.
    virtual void listenAhead(const QStringList& /*channels*/, const QByteArray& /*alsoAsk*/) {}
    virtual void queueAhead(TADOQuery& /*query*/) {}
    // A statement's preparation alone, queued likewise, when it has none.
    virtual void prepareAhead(TADOQuery& /*query*/) {}
    virtual void readAhead() {}
    virtual int socket() const { return -1; }
    // Reads notifications that came in; false when the session broke.
    virtual bool readNotifications(const std::function<void(const QString&, const QString&)>& /*notified*/)
    {
        return true;
    }

    bool waiting() const { return m_statements.waiting > 0; }

protected:
    LiveStatements m_statements;
    quint64 m_ownCommits = 0;
};

// Throw EDatabaseError or EQdlError with a clear message when the database
// cannot be opened, and never wait past the wait limit.
std::unique_ptr<Session> openSqlite(const ConnectionString& cs);
std::unique_ptr<Session> openPostgres(const ConnectionString& cs, bool genericPlans = false);

// Waits until the socket is ready for events (POLLIN, POLLOUT) or the
// deadline passes; false at the deadline. The window keeps painting
// meanwhile when the wait is long and this is the GUI thread.
bool waitForSocket(int socket, short events, const QDeadlineTimer& deadline);
// Lets the window repaint during a long wait: posted events and timers, no
// operator input and no socket notifiers.
void keepPainting();

} // namespace qdl::detail
