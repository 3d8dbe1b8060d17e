// Terminal roles on PostgreSQL: --grant-terminal gives a login role what the
// screen needs on its own branches only, the server's row-level security
// keeps the other branches away, --revoke-terminal takes it all back. Each
// role connects as itself (trust on loopback).

#include <QTextStream>
#include <QUrl>

#include "Srv_qdl00005.h"
#include "adoconnection.h"
#include "consistency.h"
#include "dbfixture.h"
#include "hostprogram.h"
#include "pgservers.h"
#include "terminalroles.h"
#include "testmain.h"

namespace {

const char* const kTables[] = {"LOJA", "CONFTELA", "SALA", "MESA", "ITMENUCONFTE"};

class Roles : public ::testing::Test {
protected:
    void SetUp() override
    {
        QDL_REQUIRE_BACKEND(QStringLiteral("postgresql"));
        db = TestDatabase::create(QStringLiteral("postgresql"));
        // Branch 0001: a copy of branch 9999's rows.
        for (const char* table : kTables) {
            db.exec(QStringLiteral("DELETE FROM %1 WHERE CDFILIAL = '0001'").arg(QLatin1String(table)));
            db.exec(QStringLiteral("CREATE TEMP TABLE C AS SELECT * FROM %1 WHERE CDFILIAL = '9999'").arg(QLatin1String(table)));
            db.exec("UPDATE C SET CDFILIAL = '0001'");
            db.exec(QStringLiteral("INSERT INTO %1 SELECT * FROM C").arg(QLatin1String(table)));
            db.exec("DROP TABLE C");
        }
        // Login roles are the server administrator's to make, as in a chain.
        superuser([this](TADOConnection& c) {
            for (const QString& role : {terminal9999, terminal0001})
                c.execute(QStringLiteral("CREATE ROLE %1 LOGIN").arg(role), QStringLiteral("CREATE ROLE"));
        });
    }
    void TearDown() override
    {
        if (db.name.isEmpty())
            return;
        db.drop(); // the roles' rights go with the database
        superuser([this](TADOConnection& c) {
            for (const QString& role : {terminal9999, terminal0001})
                c.execute(QStringLiteral("DROP ROLE IF EXISTS %1").arg(role), QStringLiteral("DROP ROLE"));
        });
    }
    static void superuser(const std::function<void(TADOConnection&)>& body)
    {
        withConnection(qEnvironmentVariable("QDL_PG_URL"), body);
    }
    QString urlAs(const QString& role) const { return ::urlAs(db.connectionString, role); }
    int count(TADOConnection& as, const QString& sql)
    {
        SqlQuery q(as);
        if (!q.exec(sql) || !q.next()) {
            ADD_FAILURE() << sql.toStdString() << ": " << errorText(q.lastError());
            return -1;
        }
        return q.value(0).toInt();
    }

    TestDatabase db;
    const QString suffix = QString::number(QCoreApplication::applicationPid());
    const QString terminal9999 = QStringLiteral("qdl_term_a_") + suffix;
    const QString terminal0001 = QStringLiteral("qdl_term_b_") + suffix;
};

TEST_F(Roles, ATerminalRoleSeesAndChangesOnlyItsBranchAndLosesEverythingOnRevoke)
{
    QString said;
    QTextStream log(&said);
    grantTerminal(db.openCheckConnection(), terminal9999, {QStringLiteral("9999")}, log);
    // The other as an administrator does it, with the built program.
    const HostRun granted = runHostProgram(QProcessEnvironment::systemEnvironment(),
                                           {"--database", db.ownerConnectionString, "--grant-terminal", terminal0001,
                                            "--branch", "0001"});
    ASSERT_EQ(granted.status, 0) << granted.err.toStdString();
    EXPECT_TRUE(said.contains(QStringLiteral("GRANT UPDATE (IDSTMESAAUX) ON MESA"))) << said.toStdString();

    TADOConnection a;
    a.ConnectionString = urlAs(terminal9999);
    a.setConnected(true);
    TADOConnection b;
    b.ConnectionString = urlAs(terminal0001);
    b.setConnected(true);
    for (const char* table : kTables) {
        const QString t = QLatin1String(table);
        EXPECT_GT(count(a, QStringLiteral("SELECT COUNT(*) FROM %1 WHERE CDFILIAL = '9999'").arg(t)), 0) << table;
        EXPECT_EQ(count(a, QStringLiteral("SELECT COUNT(*) FROM %1 WHERE CDFILIAL <> '9999'").arg(t)), 0) << table;
        EXPECT_EQ(count(b, QStringLiteral("SELECT COUNT(*) FROM %1 WHERE CDFILIAL <> '0001'").arg(t)), 0) << table;
    }

    // The layout check as a terminal checks the branches it may see; as the
    // owner, all of them.
    EXPECT_EQ(checkLayoutAt(urlAs(terminal9999)).buttons,
              db.countRows("SELECT COUNT(*) FROM ITMENUCONFTE WHERE CDFILIAL = '9999'"));
    EXPECT_EQ(checkLayoutAt(db.ownerConnectionString).buttons, db.countRows("SELECT COUNT(*) FROM ITMENUCONFTE"));

    // Another branch's button is not there to change, nor to add.
    EXPECT_EQ(count(a, "WITH U AS (UPDATE ITMENUCONFTE SET DSBUTTON = 'x' WHERE CDFILIAL = '0001' RETURNING 1) "
                       "SELECT COUNT(*) FROM U"),
              0);
    EXPECT_EQ(db.countRows("SELECT COUNT(*) FROM ITMENUCONFTE WHERE DSBUTTON = 'x'"), 0);
    SqlQuery q(a);
    EXPECT_FALSE(q.exec("INSERT INTO ITMENUCONFTE (CDFILIAL, NRCONFTELA, IDTPBUTTON, NRBUTTON, CDIDENTBUTON, "
                        "IDTPBUTONAUX, NRBUTTONAUX, NRPGCONFTELA, NRPGCONFTAUX) "
                        "VALUES ('0001', '00001', '4', '09', 'NOVA', '0', '0', '1', '0')"));
    EXPECT_EQ(q.lastError().kind(), DbError::Kind::Permission) << errorText(q.lastError());
    // Nor can it widen its own branches, nor write a table's state.
    EXPECT_FALSE(q.exec(QStringLiteral("INSERT INTO QDL_TERMINAL_FILIAL VALUES ('%1', '0001')").arg(terminal9999)));
    EXPECT_EQ(q.lastError().kind(), DbError::Kind::Permission) << errorText(q.lastError());
    const int occupied = db.countRows("SELECT COUNT(*) FROM MESA WHERE IDSTMESAAUX = 'O'");
    EXPECT_FALSE(q.exec("UPDATE MESA SET IDSTMESAAUX = 'O' WHERE CDFILIAL = '9999'"));
    EXPECT_EQ(db.countRows("SELECT COUNT(*) FROM MESA WHERE IDSTMESAAUX = 'O'"), occupied);
    q.finish();

    {
        // The screen's own services on its branch: a rename, and an area's
        // removal, which locks the area's tables.
        TestDatabase asTerminal = db;
        asTerminal.connectionString = urlAs(terminal9999);
        ServiceSession session(asTerminal);
        ServiceResult r;
        ASSERT_EQ(getMudaNome("9999", "00001", "01", "1", "Novo nome", "4", "0", "0", "0", r), 0);
        EXPECT_EQ(r.toText(), QString()) << r.toText().toStdString();
        ASSERT_EQ(setDelAmbiente("9999", "00001", "BALCA", "03", "4", "0", "0", "0", "1", r), 0);
        EXPECT_EQ(r.toText(), QString()) << r.toText().toStdString();
    }
    EXPECT_EQ(db.countRows("SELECT COUNT(*) FROM ITMENUCONFTE WHERE DSBUTTON = 'Novo nome' AND CDFILIAL = '9999'"), 1);
    EXPECT_EQ(db.countRows("SELECT COUNT(*) FROM ITMENUCONFTE WHERE CDIDENTBUTON = 'BALCA'"), 1); // 0001's stays

    const HostRun revoked = runHostProgram(QProcessEnvironment::systemEnvironment(),
                                           {"--database", db.ownerConnectionString, "--revoke-terminal", terminal9999});
    ASSERT_EQ(revoked.status, 0) << revoked.err.toStdString();
    EXPECT_TRUE(revoked.out.contains(QStringLiteral("REVOKE"))) << revoked.out.toStdString();
    EXPECT_EQ(db.countRows(QStringLiteral("SELECT COUNT(*) FROM QDL_TERMINAL_FILIAL WHERE ROLNAME = '%1'").arg(terminal9999)), 0);
    EXPECT_FALSE(q.exec("SELECT COUNT(*) FROM ITMENUCONFTE"));
    EXPECT_EQ(q.lastError().kind(), DbError::Kind::Permission) << errorText(q.lastError());
    EXPECT_GT(count(b, "SELECT COUNT(*) FROM ITMENUCONFTE"), 0); // the other terminal keeps its own
}

} // namespace

QDL_TEST_MAIN()
