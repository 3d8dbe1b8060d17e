// The floors: sqlite3's C API and libpq (floors.h).

#include "floors.h"

#include <QStringList>
#include <benchmark/benchmark.h>
#include <cstdlib>
#include <libpq-fe.h>
#include <map>
#include <sqlite3.h>
#include <stdexcept>

#include "adoquery.h"
#include "statements.h"

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
        // Opened as our connection opens it: one thread, no mutex taken by
        // every call (each value read would pay two).
        if (sqlite3_open_v2(path.c_str(), &m_db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr) != SQLITE_OK)
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
            p.names.push_back((QLatin1Char(':') + n).toStdString());
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

} // namespace

std::unique_ptr<Raw> sqliteFloor(const std::string& path)
{
    return std::make_unique<RawSqlite>(path);
}

std::unique_ptr<Raw> postgresFloor(const std::string& url)
{
    return std::make_unique<RawPostgres>(url);
}

} // namespace qdlbench
