#pragma once

// The floors the services are measured against: the same statements run
// without our layers, on one connection, each statement prepared once,
// values bound as text, every value of every row read: sqlite3's C API and
// libpq, what the database itself costs.
// Every failure throws std::runtime_error with the statement and the reason.

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace qdlbench {

using Binds = std::vector<std::pair<std::string, std::string>>; // ":P_NAME" -> value
using Row = std::vector<std::string>;

[[noreturn]] void fail(const std::string& what);

class Raw {
public:
    virtual ~Raw() = default;
    virtual void begin() = 0;
    virtual void commit() = 0;
    // After a failure: ends whatever transaction is open, quietly.
    virtual void rollback() = 0;
    // Runs the statement named by its component (qdl::statementText): the
    // rows read (kept when rows is given), or for a command the rows it
    // changed.
    virtual int run(const char* component, const Binds& binds, std::vector<Row>* rows = nullptr) = 0;
};

// A SQLite file through sqlite3's C API, with the session our connection
// gets (foreign keys, WAL, full sync, busy timeout).
std::unique_ptr<Raw> sqliteFloor(const std::string& path);
// A PostgreSQL database through libpq; statements in positional form.
std::unique_ptr<Raw> postgresFloor(const std::string& url);

} // namespace qdlbench
