#pragma once

// Real databases for the tests: a fresh SQLite file, or a fresh database on
// the PostgreSQL server named by QDL_PG_URL, created with the schema (and the
// demo rows) and dropped at the end. On PostgreSQL the program under test
// connects as a terminal would: a login role that is no superuser, granted
// the screen's rights on branch 9999 only (`--grant-terminal`); the test's
// own check connection is the schema's owner, who sees every branch.
//
//   class MyTest : public ::testing::TestWithParam<QString> {
//       void SetUp() override { QDL_REQUIRE_BACKEND(GetParam()); db = TestDatabase::create(GetParam()); }
//       void TearDown() override { db.drop(); }
//       TestDatabase db;
//   };
//   INSTANTIATE_TEST_SUITE_P(Db, MyTest, ::testing::ValuesIn(testBackends()), backendName);

#include <QString>
#include <QStringList>
#include <gtest/gtest.h>
#include <ostream>
#include <string>

#include "sqlquery.h"

// gtest prints QString parameters and values readably.
void PrintTo(const QString& s, std::ostream* os);

struct TestDatabase {
    QString kind;             // "sqlite" or "postgresql"
    QString connectionString; // what _GetStringConexQdl hands the data module (PostgreSQL: the terminal role)
    QString ownerConnectionString; // the schema's owner (SQLite: the same file)
    QString name;             // SQLite: the temporary folder; PostgreSQL: the database name

    // Throws std::runtime_error with the reason when it cannot be created.
    static TestDatabase create(const QString& kind, bool withDemo = true);
    // Removes the database (PostgreSQL: ends its sessions first). Idempotent.
    void drop();

    // A connection of the test's own, apart from the data module's, for
    // setting up rows and asserting the database's state; opened once and
    // kept until drop().
    TADOConnection& openCheckConnection() const;
    // First column of the first row of the query, as a number; -1 (and a test
    // failure) when the query fails.
    int countRows(const QString& sql) const;
    // Runs statements on the check connection; fails the test on an error.
    bool exec(const QString& sql) const;
    // One value read as text ("" when no row).
    QString scalar(const QString& sql) const;

    // PostgreSQL: the terminal role's branches become these (the owner's
    // grant, as `--grant-terminal` gives it); nothing on SQLite.
    void grantTerminalBranches(const QStringList& branches) const;

    bool isSqlite() const { return kind == QLatin1String("sqlite"); }
    bool isPostgres() const { return kind == QLatin1String("postgresql"); }
};

// PostgreSQL: the tests' login roles, made once on the server of superUrl
// (a superuser's connection string). The owner of the test databases is no
// superuser either; it may read every session's activity and end sessions,
// as a test's observer must.
inline constexpr char kTestOwnerRole[] = "qdl_test_owner";
inline constexpr char kTestTerminalRole[] = "qdl_test_terminal";
void ensureTestRoles(const QString& superUrl);
// The connection string url with its user replaced by role.
QString urlAs(const QString& url, const QString& role);
// Gives kTestTerminalRole the screen's rights on these branches of the
// database db is connected to (run as its owner or a superuser).
void grantTestTerminal(TADOConnection& db, const QStringList& branches);
// A server of a test's own: the roles made and the terminal granted the
// branches on the database superUrl names (a superuser's, which owns the
// schema there); answers the terminal's connection string.
QString grantTestTerminalAt(const QString& superUrl, const QStringList& branches = {QStringLiteral("9999")});

// Backends to run on: always "sqlite"; "postgresql" when QDL_PG_URL is set or
// QDL_REQUIRE_PG=1.
QStringList testBackends();
// Test-name suffix for INSTANTIATE_TEST_SUITE_P.
std::string backendName(const ::testing::TestParamInfo<QString>& info);
// Whether the backend can be used; why not in *reason.
bool backendAvailable(const QString& kind, QString* reason);
// True when the backend must be there (PostgreSQL with QDL_REQUIRE_PG=1).
bool backendRequired(const QString& kind);

// In SetUp or a test body: skips when the backend is missing, or fails with
// the reason when it is required.
#define QDL_REQUIRE_BACKEND(kind)                                                                   \
    do {                                                                                            \
        QString qdlReason_;                                                                         \
        if (!backendAvailable((kind), &qdlReason_)) {                                               \
            if (backendRequired(kind))                                                              \
                FAIL() << qdlReason_.toStdString();                                                 \
            else                                                                                    \
                GTEST_SKIP() << qdlReason_.toStdString();                                           \
        }                                                                                           \
    } while (0)

// The service data module on a test database, as the screen's start-up makes
// it: the connection string set for _GetStringConexQdl, rdmConfMesa created
// and connected (both connection events run). The destructor frees it and
// clears rdmConfMesa and the connection-string override.
struct ServiceSession {
    explicit ServiceSession(const TestDatabase& db);
    ~ServiceSession();
    ServiceSession(const ServiceSession&) = delete;
    ServiceSession& operator=(const ServiceSession&) = delete;
};

// A trigger that makes one kind of statement fail on chosen rows, on either
// database. event: "INSERT", "UPDATE" or "DELETE"; condition: an SQL condition
// over OLD.<column> (DELETE, UPDATE) or NEW.<column> (INSERT, UPDATE), e.g.
// "OLD.IDTPBUTTON = '4' AND OLD.NRBUTTON = '01'". The failing statement's
// error carries message.
void installFailingTrigger(const TestDatabase& db, const QString& triggerName, const QString& event,
                           const QString& table, const QString& condition, const QString& message);
void dropFailingTrigger(const TestDatabase& db, const QString& triggerName, const QString& table);
