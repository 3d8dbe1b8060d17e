#include "dbfixture.h"

#include <QCoreApplication>
#include <QDir>
#include <QRandomGenerator>
#include <QSet>
#include <QTextStream>
#include <QFile>
#include <QTemporaryDir>
#include <QUrl>
#include <atomic>
#include <map>
#include <memory>
#include <stdexcept>

#include "Srv_qdl00005.h"
#include "adoconnection.h"
#include "connection.h"
#include "demodb.h"
#include "errors.h"
#include "terminalroles.h"

void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}

namespace {

QString pgUrl()
{
    return qEnvironmentVariable("QDL_PG_URL");
}

QString checkConnectionName(const TestDatabase& db)
{
    return QStringLiteral("qdl-check-") + db.kind + QLatin1Char('-') + db.name;
}

// The tests' own connections, by name, kept until their database is
// dropped (a TestDatabase is copied about; its connection is not).
std::map<QString, std::unique_ptr<TADOConnection>>& connections()
{
    static std::map<QString, std::unique_ptr<TADOConnection>> open;
    return open;
}

[[noreturn]] void fail(const QString& message)
{
    throw std::runtime_error(message.toStdString());
}

TADOConnection& openConnection(const QString& name, const QString& connectionString)
{
    auto& slot = connections()[name];
    if (!slot) {
        slot = std::make_unique<TADOConnection>();
        slot->ConnectionString = connectionString;
    }
    if (!slot->Connected())
        slot->setConnected(true);
    return *slot;
}

// The maintenance connection to the PostgreSQL server (QDL_PG_URL), opened
// once per process.
TADOConnection& pgAdmin()
{
    if (pgUrl().isEmpty())
        fail(QStringLiteral("QDL_PG_URL não está definida: sem servidor PostgreSQL para os testes"));
    QString url = pgUrl();
    url += url.contains(QLatin1Char('?')) ? QStringLiteral("&connect_timeout=5") : QStringLiteral("?connect_timeout=5");
    try {
        return openConnection(QStringLiteral("qdl-test-pg-admin"), url);
    } catch (const std::exception& e) {
        fail(QStringLiteral("PostgreSQL em %1 não responde: %2").arg(pgUrl(), ADOExceptionMessage(e, nullptr, QString())));
    }
}

void adminExec(const QString& sql)
{
    SqlQuery q(pgAdmin());
    if (!q.exec(sql))
        fail(QStringLiteral("PostgreSQL: %1 falhou: %2").arg(sql, q.lastError().message()));
    q.finish();
}

QString uniqueSuffix()
{
    static std::atomic<int> counter{0};
    return QStringLiteral("%1_%2_%3")
        .arg(QCoreApplication::applicationPid())
        .arg(++counter)
        .arg(QRandomGenerator::global()->bounded(1000000));
}

QString sqlLiteral(const QString& text)
{
    QString t = text;
    t.replace(QLatin1Char('\''), QLatin1String("''"));
    return QLatin1Char('\'') + t + QLatin1Char('\'');
}

void failedStatement(const SqlQuery& q, const QString& sql)
{
    ADD_FAILURE() << "SQL falhou: " << sql.toStdString() << "\n  " << errorText(q.lastError());
}

// Runs sql on the query's connection; a failed statement fails the test.
bool execOrFail(SqlQuery& q, const QString& sql)
{
    if (q.exec(sql))
        return true;
    failedStatement(q, sql);
    return false;
}

} // namespace

QString urlAs(const QString& url, const QString& role)
{
    // By hand: QUrl cannot hold libpq's list of hosts (h1:p1,h2:p2).
    const qsizetype start = url.indexOf(QLatin1String("://")) + 3;
    const qsizetype end = url.indexOf(QLatin1Char('/'), start);
    const qsizetype at = url.lastIndexOf(QLatin1Char('@'), end < 0 ? -1 : end);
    return url.left(start) + role + QLatin1Char('@') + url.mid(at >= start ? at + 1 : start);
}

QString grantTestTerminalAt(const QString& superUrl, const QStringList& branches)
{
    ensureTestRoles(superUrl);
    TADOConnection db;
    db.ConnectionString = superUrl;
    db.setConnected(true);
    grantTestTerminal(db, branches);
    return urlAs(superUrl, QLatin1String(kTestTerminalRole));
}

void ensureTestRoles(const QString& superUrl)
{
    static QSet<QString> done; // servers of this process already set up
    if (done.contains(superUrl))
        return;
    TADOConnection admin;
    admin.ConnectionString = superUrl;
    admin.setConnected(true);
    // Test programs run in parallel: whichever comes second finds the role.
    for (const char* role : {kTestOwnerRole, kTestTerminalRole})
        admin.execute(QStringLiteral("DO $$ BEGIN CREATE ROLE %1 LOGIN; "
                                     "EXCEPTION WHEN duplicate_object OR unique_violation THEN NULL; END $$")
                          .arg(QLatin1String(role)),
                      QStringLiteral("CREATE ROLE"));
    admin.execute(QStringLiteral("DO $$ BEGIN GRANT pg_read_all_stats, pg_signal_backend TO %1; "
                                 "EXCEPTION WHEN unique_violation THEN NULL; END $$")
                      .arg(QLatin1String(kTestOwnerRole)),
                  QStringLiteral("GRANT"));
    done.insert(superUrl);
}

void grantTestTerminal(TADOConnection& db, const QStringList& branches)
{
    QString said;
    QTextStream log(&said);
    grantTerminal(db, QLatin1String(kTestTerminalRole), branches, log, UnknownBranch::Allow); // rows may come later
}

void TestDatabase::grantTerminalBranches(const QStringList& branches) const
{
    if (isPostgres())
        grantTestTerminal(openCheckConnection(), branches);
}

QStringList testBackends()
{
    QStringList kinds{QStringLiteral("sqlite")};
    if (!pgUrl().isEmpty() || backendRequired(QStringLiteral("postgresql")))
        kinds << QStringLiteral("postgresql");
    return kinds;
}

std::string backendName(const ::testing::TestParamInfo<QString>& info)
{
    return info.param.toStdString();
}

bool backendRequired(const QString& kind)
{
    return kind == QLatin1String("postgresql") && qEnvironmentVariable("QDL_REQUIRE_PG") == QLatin1String("1");
}

bool backendAvailable(const QString& kind, QString* reason)
{
    if (kind == QLatin1String("sqlite"))
        return true;
    if (kind != QLatin1String("postgresql")) {
        if (reason)
            *reason = QStringLiteral("banco de teste desconhecido: %1").arg(kind);
        return false;
    }
    try {
        pgAdmin();
        return true;
    } catch (const std::exception& e) {
        if (reason)
            *reason = QString::fromStdString(e.what());
        return false;
    }
}

TestDatabase TestDatabase::create(const QString& kind, bool withDemo)
{
    TestDatabase t;
    t.kind = kind;
    if (kind == QLatin1String("sqlite")) {
        QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/qdl-test-XXXXXX"));
        if (!dir.isValid())
            fail(QStringLiteral("não foi possível criar a pasta temporária: %1").arg(dir.errorString()));
        dir.setAutoRemove(false);
        t.name = dir.path();
        const QString path = dir.filePath(QStringLiteral("qdl.db"));
        t.connectionString = QStringLiteral("sqlite:") + path;
        t.ownerConnectionString = t.connectionString;
        QFile file(path); // an empty file is an empty database
        if (!file.open(QIODevice::WriteOnly))
            fail(QStringLiteral("SQLite: não foi possível criar %1: %2").arg(path, file.errorString()));
    } else if (kind == QLatin1String("postgresql")) {
        t.name = QStringLiteral("qdl_t_") + uniqueSuffix();
        try {
            ensureTestRoles(pgUrl());
        } catch (const std::exception& e) {
            fail(QStringLiteral("os papéis de teste não foram criados: %1").arg(ADOExceptionMessage(e, nullptr, QString())));
        }
        adminExec(QStringLiteral("CREATE DATABASE %1 OWNER %2 ENCODING 'UTF8' TEMPLATE template0")
                      .arg(t.name, QLatin1String(kTestOwnerRole)));
        QUrl url(pgUrl());
        url.setPath(QLatin1Char('/') + t.name);
        t.ownerConnectionString = urlAs(url.toString(), QLatin1String(kTestOwnerRole));
        t.connectionString = urlAs(url.toString(), QLatin1String(kTestTerminalRole));
    } else {
        fail(QStringLiteral("banco de teste desconhecido: %1").arg(kind));
    }

    try {
        createQdlDatabase(t.openCheckConnection(), withDemo);
        t.grantTerminalBranches({QStringLiteral("9999")});
    } catch (const std::exception& e) {
        t.drop();
        fail(QStringLiteral("criação das tabelas falhou: %1").arg(QString::fromUtf8(e.what())));
    }
    return t;
}

void TestDatabase::drop()
{
    if (name.isEmpty())
        return;
    connections().erase(checkConnectionName(*this));
    if (isSqlite()) {
        QDir(name).removeRecursively();
    } else if (isPostgres()) {
        try {
            adminExec(QStringLiteral("SELECT pg_terminate_backend(pid) FROM pg_stat_activity "
                                     "WHERE datname = %1 AND pid <> pg_backend_pid()")
                          .arg(sqlLiteral(name)));
            adminExec(QStringLiteral("DROP DATABASE IF EXISTS %1").arg(name));
        } catch (const std::exception& e) {
            ADD_FAILURE() << "não foi possível remover o banco de teste: " << e.what();
        }
    }
    name.clear();
}

TADOConnection& TestDatabase::openCheckConnection() const
{
    if (name.isEmpty())
        fail(QStringLiteral("o banco de teste não existe (já removido?)"));
    try {
        return openConnection(checkConnectionName(*this), ownerConnectionString);
    } catch (const std::exception& e) {
        fail(QStringLiteral("conexão de verificação não abriu: %1").arg(ADOExceptionMessage(e, nullptr, QString())));
    }
}

bool TestDatabase::exec(const QString& sql) const
{
    SqlQuery q(openCheckConnection());
    if (!execOrFail(q, sql))
        return false;
    q.finish();
    return true;
}

QString TestDatabase::scalar(const QString& sql) const
{
    SqlQuery q(openCheckConnection());
    if (!execOrFail(q, sql))
        return {};
    const QString v = q.next() ? q.value(0).toString() : QString();
    q.finish();
    return v;
}

int TestDatabase::countRows(const QString& sql) const
{
    SqlQuery q(openCheckConnection());
    if (!execOrFail(q, sql))
        return -1;
    if (!q.next()) {
        failedStatement(q, sql);
        return -1;
    }
    const int n = q.value(0).toInt();
    q.finish();
    return n;
}

ServiceSession::ServiceSession(const TestDatabase& db)
{
    setConnectionStringOverride(db.connectionString);
    delete rdmConfMesa;
    rdmConfMesa = new TrdmConfMesa(nullptr);
    try {
        rdmConfMesa->adcConfigMesa->setConnected(true);
    } catch (...) {
        delete rdmConfMesa;
        rdmConfMesa = nullptr;
        setConnectionStringOverride(QString());
        throw;
    }
}

ServiceSession::~ServiceSession()
{
    delete rdmConfMesa;
    rdmConfMesa = nullptr;
    setConnectionStringOverride(QString());
}

void installFailingTrigger(const TestDatabase& db, const QString& triggerName, const QString& event,
                           const QString& table, const QString& condition, const QString& message)
{
    if (db.isSqlite()) {
        db.exec(QStringLiteral("CREATE TRIGGER %1 BEFORE %2 ON %3 FOR EACH ROW WHEN (%4) "
                               "BEGIN SELECT RAISE(ABORT, %5); END")
                    .arg(triggerName, event, table, condition, sqlLiteral(message)));
    } else {
        QString pgMessage = message;
        pgMessage.replace(QLatin1Char('%'), QLatin1String("%%"));
        db.exec(QStringLiteral("CREATE FUNCTION %1_fn() RETURNS trigger LANGUAGE plpgsql AS $qdl$ "
                               "BEGIN RAISE EXCEPTION %2; END $qdl$")
                    .arg(triggerName, sqlLiteral(pgMessage)));
        db.exec(QStringLiteral("CREATE TRIGGER %1 BEFORE %2 ON %3 FOR EACH ROW WHEN (%4) EXECUTE FUNCTION %1_fn()")
                    .arg(triggerName, event, table, condition));
    }
}

void dropFailingTrigger(const TestDatabase& db, const QString& triggerName, const QString& table)
{
    if (db.isSqlite()) {
        db.exec(QStringLiteral("DROP TRIGGER IF EXISTS %1").arg(triggerName));
    } else {
        db.exec(QStringLiteral("DROP TRIGGER IF EXISTS %1 ON %2").arg(triggerName, table));
        db.exec(QStringLiteral("DROP FUNCTION IF EXISTS %1_fn()").arg(triggerName));
    }
}
