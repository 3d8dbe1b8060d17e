// TLS to PostgreSQL. A connection string that names sslmode=verify-full and
// the chain's root certificate reaches only a server whose certificate that
// authority signed for the name connected to: the test run makes its own
// authority with openssl, and servers of its own on loopback with TLS on.
// And the sslmode the program chooses when the string names none.

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QUrl>

#include "adoconnection.h"
#include "connection.h"
#include "connectionstring.h"
#include "dbfixture.h"
#include "pgservers.h"
#include "sqlquery.h"
#include "testmain.h"

namespace {

// ---- The sslmode in force -------------------------------------------------------

// The sslmode libpq is handed for the string; empty when none is (libpq then
// takes PGSSLMODE, else its default).
QByteArray sslmodeHandedFor(const char* url)
{
    QByteArray mode;
    for (const auto& [key, value] : ConnectionString::parse(QString::fromUtf8(url)).postgresParameters(30000)) {
        if (key == "sslmode") {
            EXPECT_TRUE(mode.isEmpty()) << url << ": sslmode handed twice";
            mode = value;
        }
    }
    return mode;
}

TEST(SslMode, AServerElsewhereIsVerifiedUnlessAModeIsNamed)
{
    for (const char* name : {"PGSSLMODE", "PGHOST", "PGHOSTADDR"})
        qunsetenv(name);
    for (const char* remote : {"postgresql://qdl@db1.rede.local:5432/quadrel", "postgresql://qdl@10.1.2.3/quadrel",
                               "postgresql://qdl@[2001:db8::1]/quadrel",
                               // one server of several elsewhere is enough
                               "postgresql://qdl@/quadrel?host=127.0.0.1,db2&port=5432,5432",
                               // a name that DNS says is 127.0.0.1 is still a name
                               "postgresql://qdl@db1.localdomain/quadrel"})
        EXPECT_EQ(sslmodeHandedFor(remote), "verify-full") << remote;
    for (const char* local : {"postgresql://qdl@127.0.0.1:5432/quadrel", "postgresql://qdl@127.8.9.10/quadrel",
                              "postgresql://qdl@localhost/quadrel", "postgresql://qdl@[::1]/quadrel", "postgresql:///quadrel",
                              "postgresql://qdl@/quadrel?host=/var/run/postgresql",
                              // reached at the address, the name only checked against a certificate
                              "postgresql://qdl@db1/quadrel?hostaddr=127.0.0.1"})
        EXPECT_EQ(sslmodeHandedFor(local), "allow") << local;
    // The string's own mode, and libpq's environment, are left as they are.
    EXPECT_EQ(sslmodeHandedFor("postgresql://qdl@db1/quadrel?sslmode=require"), "require");
    EXPECT_EQ(sslmodeHandedFor("postgresql://qdl@db1/quadrel?requiressl=1"), "require");
    qputenv("PGSSLMODE", "disable");
    EXPECT_EQ(sslmodeHandedFor("postgresql://qdl@db1/quadrel"), "");
    qunsetenv("PGSSLMODE");
    // Where the string names no host, libpq's PGHOST does.
    qputenv("PGHOST", "db1.rede.local");
    EXPECT_EQ(sslmodeHandedFor("postgresql:///quadrel"), "verify-full");
    qunsetenv("PGHOST");
}

// A service (the string's service= or PGSERVICE) names its server in libpq's
// service file: the server libpq will reach decides, not the string alone.
TEST(SslMode, AServiceNamingAServerElsewhereIsVerified)
{
    for (const char* name : {"PGSSLMODE", "PGHOST", "PGHOSTADDR", "PGSERVICE"})
        qunsetenv(name);
    QTemporaryDir dir;
    QFile services(dir.filePath(QStringLiteral("pg_service.conf")));
    ASSERT_TRUE(services.open(QIODevice::WriteOnly));
    services.write("[central]\nhost=db1.rede.local\ndbname=quadrel\n"
                   "[local]\nhost=127.0.0.1\n"
                   "[plain]\nhost=db2.rede.local\nsslmode=disable\n");
    services.close();
    qputenv("PGSERVICEFILE", QFile::encodeName(services.fileName()));
    EXPECT_EQ(sslmodeHandedFor("postgresql:///quadrel?service=central"), "verify-full");
    EXPECT_EQ(sslmodeHandedFor("postgresql:///quadrel?service=local"), "allow");
    // The service's own mode is its owner's choice, as PGSSLMODE is.
    EXPECT_EQ(sslmodeHandedFor("postgresql:///quadrel?service=plain"), "");
    qputenv("PGSERVICE", "central");
    EXPECT_EQ(sslmodeHandedFor("postgresql:///quadrel"), "verify-full");
    qunsetenv("PGSERVICE");
    qunsetenv("PGSERVICEFILE");
}

// ---- Verified connections to real servers -------------------------------------

// Runs openssl in the folder; fails the test when it does not end well.
bool openssl(const QString& folder, const QStringList& arguments)
{
    QProcess p;
    p.setWorkingDirectory(folder);
    p.start(QStringLiteral("openssl"), arguments);
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        ADD_FAILURE() << "openssl " << arguments.join(' ').toStdString() << ": " << p.errorString().toStdString()
                      << p.readAllStandardError().toStdString();
        return false;
    }
    return true;
}

// The test run's own authority (ca.crt), a server certificate it signed for
// 127.0.0.1 and localhost (server.crt, server.key), and a forged one,
// self-signed for another name (forged.crt, forged.key).
class Certificates {
public:
    Certificates()
    {
        const QString d = dir.path();
        const QStringList ec{"-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1", "-nodes"};
        QFile ext(dir.filePath("server.ext"));
        ready = ext.open(QIODevice::WriteOnly) && ext.write("subjectAltName=IP:127.0.0.1,DNS:localhost\n") > 0;
        ext.close();
        ready = ready && openssl(d, QStringList{"req", "-x509"} + ec + QStringList{"-keyout", "ca.key", "-out", "ca.crt", "-days", "2", "-subj", "/CN=Quadrel test chain CA"})
                && openssl(d, QStringList{"req", "-new"} + ec + QStringList{"-keyout", "server.key", "-out", "server.csr", "-subj", "/CN=localhost"})
                && openssl(d, {"x509", "-req", "-in", "server.csr", "-CA", "ca.crt", "-CAkey", "ca.key", "-CAcreateserial",
                               "-out", "server.crt", "-days", "2", "-extfile", "server.ext"})
                && openssl(d, QStringList{"req", "-x509"} + ec + QStringList{"-keyout", "forged.key", "-out", "forged.crt", "-days", "2",
                                                                             "-subj", "/CN=db.forged.example", "-addext",
                                                                             "subjectAltName=DNS:db.forged.example"});
    }
    QString path(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }

    QTemporaryDir dir;
    bool ready = false;
};

// A server of the test's own on loopback, with TLS on the certificate and
// key given, or without TLS; with tlsOnly, its TCP sessions must use TLS
// (hostssl). url names the server alone; stopped when the object goes.
class Server {
public:
    Server(const QString& certificate, const QString& key, bool tlsOnly = false)
    {
        const QString hba = tlsOnly ? QStringLiteral(" && printf 'local all all trust\\nhostssl all all 127.0.0.1/32 trust\\n' "
                                                     ">\"$tls/pg_hba.conf\" && chmod 644 \"$tls/pg_hba.conf\"")
                                    : QString();
        const QString hbaOption = tlsOnly ? QStringLiteral(" -c hba_file=\"$tls/pg_hba.conf\"") : QString();
        // The server's own copy of its certificate and key, readable by the
        // user it runs as (postgres, when the tests run as root).
        const QString start = certificate.isEmpty()
            ? QStringLiteral("tls= && qdl_pg_start")
            : QStringLiteral("tls=\"$(mktemp -d /tmp/qdl-tls.XXXXXX)\" && cp \"$QDL_TLS_CERT\" \"$tls/server.crt\" && "
                             "cp \"$QDL_TLS_KEY\" \"$tls/server.key\" && chmod 755 \"$tls\" && chmod 600 \"$tls/server.key\" && "
                             "{ [ \"$(id -u)\" -ne 0 ] || chown postgres \"$tls/server.crt\" \"$tls/server.key\"; }")
                + hba
                + QStringLiteral(" && qdl_pg_start -c ssl=on -c ssl_cert_file=\"$tls/server.crt\" -c ssl_key_file=\"$tls/server.key\"")
                + hbaOption;
        const QStringList out =
            runPgCluster(start + QStringLiteral(" && printf '%s\\n' \"$QDL_PG_URL\" \"$QDL_PG_DIR\" \"$QDL_PG_BIN\" \"$tls\""),
                         {{"QDL_TLS_CERT", certificate}, {"QDL_TLS_KEY", key}})
                .split(QLatin1Char('\n'));
        if (out.size() < 4)
            return;
        url = out[0];
        m_env = {{"QDL_PG_DIR", out[1]}, {"QDL_PG_BIN", out[2]}, {"QDL_TLS_DIR", out[3]}};
    }
    ~Server()
    {
        if (!m_env.isEmpty())
            runPgCluster(QStringLiteral("qdl_pg_stop && { [ -z \"$QDL_TLS_DIR\" ] || rm -rf \"$QDL_TLS_DIR\"; }"), m_env);
    }
    Server(const Server&) = delete;
    Server& operator=(const Server&) = delete;

    QString url;

private:
    QHash<QString, QString> m_env;
};

class VerifiedConnection : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (QDir(QStringLiteral("/usr/lib/postgresql")).isEmpty() && !backendRequired(QStringLiteral("postgresql")))
            GTEST_SKIP() << "PostgreSQL is not installed";
        ASSERT_TRUE(certificates().ready);
        qunsetenv("PGSSLMODE");
    }

    // The server's URL with verify-full on the test's authority.
    QString verifiedUrl(const Server& server) const
    {
        return server.url + QStringLiteral("?sslmode=verify-full&sslrootcert=") + certificates().path("ca.crt");
    }

    // What opening the connection said; empty when it opened. The session
    // it opened must run over TLS.
    static QString openError(const QString& url)
    {
        TADOConnection db;
        db.ConnectionString = url;
        try {
            db.setConnected(true);
        } catch (const std::exception& e) {
            return ADOExceptionMessage(e, nullptr, QString());
        }
        SqlQuery query(db);
        EXPECT_TRUE(query.exec(QStringLiteral("SELECT ssl FROM pg_stat_ssl WHERE pid = pg_backend_pid()")) && query.next())
            << errorText(query.lastError());
        EXPECT_TRUE(query.value(0).toBool()) << "the session runs without TLS";
        return {};
    }

    // Made once for the test run, on first use.
    static const Certificates& certificates()
    {
        static const Certificates made;
        return made;
    }
};

TEST_F(VerifiedConnection, TheServerTheAuthoritySignedForIsAccepted)
{
    const Server server(certificates().path("server.crt"), certificates().path("server.key"));
    ASSERT_FALSE(server.url.isEmpty());
    EXPECT_EQ(openError(verifiedUrl(server)), QString());
    // By the name the certificate gives too.
    QUrl byName(verifiedUrl(server));
    byName.setHost(QStringLiteral("localhost"));
    EXPECT_EQ(openError(byName.toString()), QString());
}

TEST_F(VerifiedConnection, AForgedCertificateIsRefusedSayingWhy)
{
    const Server server(certificates().path("forged.crt"), certificates().path("forged.key"));
    ASSERT_FALSE(server.url.isEmpty());
    const QString error = openError(verifiedUrl(server));
    EXPECT_TRUE(error.contains(QStringLiteral("certificate verify failed"))) << error.toStdString();
}

// A server on this machine gets no TLS request by default (one round trip
// less), but one that takes TLS sessions only still gets TLS.
TEST_F(VerifiedConnection, AServerHereThatTakesOnlyTlsGetsItByDefault)
{
    const Server server(certificates().path("server.crt"), certificates().path("server.key"), true);
    ASSERT_FALSE(server.url.isEmpty());
    EXPECT_EQ(openError(server.url), QString());
}

TEST_F(VerifiedConnection, AServerWithoutTlsIsRefused)
{
    const Server server{QString(), QString()};
    ASSERT_FALSE(server.url.isEmpty());
    const QString error = openError(verifiedUrl(server));
    EXPECT_TRUE(error.contains(QStringLiteral("server does not support SSL, but SSL was required"))) << error.toStdString();
}

} // namespace

QDL_TEST_MAIN()
