// The floors: sqlite3's C API, libpq and Qt SQL alone (floors.h).

#include "floors.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QStringList>
#include <benchmark/benchmark.h>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <libpq-fe.h>
#include <map>
#include <sqlite3.h>
#include <stdexcept>

#include "adoquery.h"
#include "connection.h"
#include "schema.h"

namespace qdlbench {

void fail(const std::string& what)
{
    throw std::runtime_error(what);
}

namespace {

class RawSqlite : public Raw {
public:
    explicit RawSqlite(const std::string& path)
    {
        if (sqlite3_open_v2(path.c_str(), &m_db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK)
            fail("sqlite3_open " + path);
        // The session our connection gets (SetADODBSession).
        for (const char* pragma : {"PRAGMA foreign_keys = ON", "PRAGMA journal_mode = WAL",
                                   "PRAGMA synchronous = FULL", "PRAGMA busy_timeout = 30000"})
            exec(pragma);
        m_begin = prepare("BEGIN IMMEDIATE");
        m_commit = prepare("COMMIT");
    }
    ~RawSqlite() override
    {
        for (auto& [name, stmt] : m_statements)
            sqlite3_finalize(stmt);
        sqlite3_finalize(m_begin);
        sqlite3_finalize(m_commit);
        sqlite3_close(m_db);
    }
    void begin() override { step(m_begin); }
    void commit() override { step(m_commit); }
    void rollback() override
    {
        if (!sqlite3_get_autocommit(m_db))
            sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
    }
    int run(const char* component, const Binds& binds, std::vector<Row>* rows) override
    {
        sqlite3_stmt* s = statement(component);
        for (const auto& [name, value] : binds) {
            const int at = sqlite3_bind_parameter_index(s, name.c_str());
            if (at > 0)
                sqlite3_bind_text(s, at, value.data(), int(value.size()), SQLITE_STATIC);
        }
        int count = 0;
        const int columns = sqlite3_column_count(s);
        int rc;
        while ((rc = sqlite3_step(s)) == SQLITE_ROW) {
            ++count;
            Row row(static_cast<size_t>(columns));
            for (int c = 0; c < columns; ++c) {
                switch (sqlite3_column_type(s, c)) {
                case SQLITE_TEXT:
                    row[size_t(c)].assign(reinterpret_cast<const char*>(sqlite3_column_text(s, c)),
                                          size_t(sqlite3_column_bytes(s, c)));
                    break;
                case SQLITE_INTEGER:
                case SQLITE_FLOAT:
                    benchmark::DoNotOptimize(sqlite3_column_double(s, c));
                    break;
                default:
                    break;
                }
            }
            if (rows)
                rows->push_back(std::move(row));
        }
        const std::string error = rc == SQLITE_DONE ? std::string() : sqlite3_errmsg(m_db);
        // A statement left unreset would keep its snapshot (and its lock).
        sqlite3_reset(s);
        sqlite3_clear_bindings(s);
        if (!error.empty())
            fail(std::string(component) + ": " + error);
        return columns ? count : sqlite3_changes(m_db);
    }

private:
    void exec(const char* sql)
    {
        if (sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr) != SQLITE_OK)
            fail(std::string(sql) + ": " + sqlite3_errmsg(m_db));
    }
    sqlite3_stmt* prepare(const char* sql)
    {
        sqlite3_stmt* s = nullptr;
        if (sqlite3_prepare_v2(m_db, sql, -1, &s, nullptr) != SQLITE_OK)
            fail(std::string(sql) + ": " + sqlite3_errmsg(m_db));
        return s;
    }
    void step(sqlite3_stmt* s)
    {
        const bool ok = sqlite3_step(s) == SQLITE_DONE;
        const std::string error = ok ? std::string() : sqlite3_errmsg(m_db);
        sqlite3_reset(s);
        if (!ok)
            fail(error);
    }
    sqlite3_stmt* statement(const char* component)
    {
        auto it = m_statements.find(component);
        if (it != m_statements.end())
            return it->second;
        sqlite3_stmt* s = prepare(qdl::statementText(component));
        m_statements.emplace(component, s);
        return s;
    }
    sqlite3* m_db = nullptr;
    sqlite3_stmt* m_begin = nullptr;
    sqlite3_stmt* m_commit = nullptr;
    std::map<std::string, sqlite3_stmt*> m_statements;
};

class RawPostgres : public Raw {
public:
    explicit RawPostgres(const std::string& url) : m_conn(PQconnectdb(url.c_str()))
    {
        if (PQstatus(m_conn) != CONNECTION_OK)
            fail(std::string("PQconnectdb: ") + PQerrorMessage(m_conn));
    }
    ~RawPostgres() override { PQfinish(m_conn); }
    void begin() override { command("BEGIN"); }
    void commit() override { command("COMMIT"); }
    void rollback() override
    {
        if (PQtransactionStatus(m_conn) != PQTRANS_IDLE)
            PQclear(PQexec(m_conn, "ROLLBACK"));
    }
    int run(const char* component, const Binds& binds, std::vector<Row>* rows) override
    {
        Prepared& p = statement(component);
        std::vector<const char*> values(p.names.size(), "");
        for (size_t i = 0; i < p.names.size(); ++i)
            for (const auto& [name, value] : binds)
                if (name == p.names[i]) {
                    values[i] = value.c_str();
                    break;
                }
        PGresult* r = PQexecPrepared(m_conn, p.name.c_str(), int(values.size()), values.data(), nullptr, nullptr, 0);
        const ExecStatusType st = PQresultStatus(r);
        if (st != PGRES_TUPLES_OK && st != PGRES_COMMAND_OK) {
            const std::string e = PQerrorMessage(m_conn);
            PQclear(r);
            fail(std::string(component) + ": " + e);
        }
        if (st == PGRES_COMMAND_OK) {
            const int changed = std::atoi(PQcmdTuples(r));
            PQclear(r);
            return changed;
        }
        const int count = PQntuples(r), columns = PQnfields(r);
        for (int i = 0; i < count; ++i) {
            Row row(static_cast<size_t>(columns));
            for (int c = 0; c < columns; ++c)
                if (!PQgetisnull(r, i, c))
                    row[size_t(c)].assign(PQgetvalue(r, i, c), size_t(PQgetlength(r, i, c)));
            if (rows)
                rows->push_back(std::move(row));
        }
        PQclear(r);
        return count;
    }

private:
    struct Prepared {
        std::string name;
        std::vector<std::string> names; // ":P_NAME" in $n order
    };
    void command(const char* sql)
    {
        PGresult* r = PQexec(m_conn, sql);
        const bool ok = PQresultStatus(r) == PGRES_COMMAND_OK;
        PQclear(r);
        if (!ok)
            fail(std::string(sql) + ": " + PQerrorMessage(m_conn));
    }
    Prepared& statement(const char* component)
    {
        auto it = m_statements.find(component);
        if (it != m_statements.end())
            return it->second;
        QStringList names;
        const QString sql = qdl::positionalSql(QString::fromUtf8(qdl::statementText(component)), &names);
        Prepared p;
        p.name = std::string("raw_") + component;
        for (const QString& n : names)
            p.names.push_back(":" + n.toStdString());
        PGresult* r = PQprepare(m_conn, p.name.c_str(), sql.toUtf8().constData(), int(p.names.size()), nullptr);
        const bool ok = PQresultStatus(r) == PGRES_COMMAND_OK;
        PQclear(r);
        if (!ok)
            fail(std::string(component) + ": " + PQerrorMessage(m_conn));
        return m_statements.emplace(component, std::move(p)).first->second;
    }
    PGconn* m_conn;
    std::map<std::string, Prepared> m_statements;
};

class RawQt : public Raw {
public:
    explicit RawQt(const QString& connection)
        : m_name(QStringLiteral("bench-qt-%1").arg(quintptr(this)))
    {
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(driverOf(connection), m_name);
            applyConnectionString(db, connection);
            if (!db.open())
                fail("Qt open: " + db.lastError().text().toStdString());
            m_sqlite = db.driverName() == QLatin1String("QSQLITE");
            const QStringList session = m_sqlite ? QStringList{"PRAGMA foreign_keys = ON", "PRAGMA journal_mode = WAL",
                                                              "PRAGMA synchronous = FULL", "PRAGMA busy_timeout = 30000"}
                                                 : QStringList{};
            for (const QString& sql : session) {
                QSqlQuery q(db);
                if (!q.exec(sql))
                    fail(sql.toStdString());
            }
        }
        // PostgreSQL cannot prepare BEGIN; Qt's own transaction() sends it.
        if (m_sqlite) {
            m_begin = query("BEGIN IMMEDIATE");
            m_commit = query("COMMIT");
        }
    }
    ~RawQt() override
    {
        m_statements.clear();
        m_begin.reset();
        m_commit.reset();
        QSqlDatabase::removeDatabase(m_name);
    }
    void begin() override
    {
        if (m_begin)
            exec(*m_begin, "BEGIN");
        else if (!QSqlDatabase::database(m_name, false).transaction())
            fail("BEGIN failed");
    }
    void commit() override
    {
        if (m_commit)
            exec(*m_commit, "COMMIT");
        else if (!QSqlDatabase::database(m_name, false).commit())
            fail("COMMIT failed");
    }
    void rollback() override
    {
        for (auto& [name, q] : m_statements)
            q->finish();
        QSqlQuery q(QSqlDatabase::database(m_name, false));
        q.exec(QStringLiteral("ROLLBACK")); // "no transaction" is fine
    }
    int run(const char* component, const Binds& binds, std::vector<Row>* rows) override
    {
        auto it = m_statements.find(component);
        if (it == m_statements.end()) {
            auto q = query(qdl::statementText(component));
            q->setNumericalPrecisionPolicy(QSql::LowPrecisionDouble);
            it = m_statements.emplace(component, std::move(q)).first;
        }
        QSqlQuery& q = *it->second;
        for (const auto& [name, value] : binds)
            if (std::strstr(qdl::statementText(component), name.c_str()))
                q.bindValue(QString::fromStdString(name), QString::fromStdString(value));
        if (!q.exec()) {
            const std::string error = q.lastError().text().toStdString();
            q.finish();
            fail(std::string(component) + ": " + error);
        }
        if (!q.isSelect()) {
            const int changed = q.numRowsAffected();
            q.finish();
            return changed;
        }
        int count = 0;
        const int columns = q.record().count();
        while (q.next()) {
            ++count;
            Row row;
            for (int c = 0; c < columns; ++c) {
                const QVariant v = q.value(c);
                if (rows)
                    row.push_back(v.toString().toStdString());
            }
            if (rows)
                rows->push_back(std::move(row));
        }
        q.finish();
        return count;
    }

private:
    std::unique_ptr<QSqlQuery> query(const char* sql)
    {
        auto q = std::make_unique<QSqlQuery>(QSqlDatabase::database(m_name, false));
        q->setForwardOnly(true);
        if (!q->prepare(QString::fromUtf8(sql)))
            fail(std::string(sql) + ": " + q->lastError().text().toStdString());
        return q;
    }
    static void exec(QSqlQuery& q, const char* what)
    {
        if (!q.exec())
            fail(std::string(what) + ": " + q.lastError().text().toStdString());
    }
    QString m_name;
    bool m_sqlite = false;
    std::unique_ptr<QSqlQuery> m_begin, m_commit;
    std::map<std::string, std::unique_ptr<QSqlQuery>, std::less<>> m_statements;
};

} // namespace

std::unique_ptr<Raw> sqliteFloor(const std::string& path)
{
    return std::make_unique<RawSqlite>(path);
}

std::unique_ptr<Raw> postgresFloor(const std::string& url)
{
    return std::make_unique<RawPostgres>(url);
}

std::unique_ptr<Raw> qtFloor(const QString& connection)
{
    return std::make_unique<RawQt>(connection);
}

} // namespace qdlbench
