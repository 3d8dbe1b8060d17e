// Terminal roles on PostgreSQL: --grant-terminal gives a login role what the
// screen needs on its own branches only (reads under the server's row-level
// security, writes through the owner's operations), a renamed role stays
// confined, --revoke-terminal takes it all back. Each
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
    EXPECT_TRUE(said.contains(QStringLiteral("GRANT EXECUTE ON FUNCTION qdl_acmdelambiente"))) << said.toStdString();

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

    // A temporary table of the list's name stands in for nothing.
    SqlQuery temp(a);
    ASSERT_TRUE(temp.exec("CREATE TEMP TABLE QDL_TERMINAL_FILIAL (ROLOID OID, CDFILIAL VARCHAR(4))")) << errorText(temp.lastError());
    EXPECT_EQ(count(a, "SELECT COUNT(*) FROM ITMENUCONFTE WHERE CDFILIAL <> '9999'"), 0);
    ASSERT_TRUE(temp.exec("DROP TABLE pg_temp.QDL_TERMINAL_FILIAL"));

    // The layout check as a terminal checks the branches it may see; as the
    // owner, all of them.
    EXPECT_EQ(checkLayoutAt(urlAs(terminal9999)).buttons,
              db.countRows("SELECT COUNT(*) FROM ITMENUCONFTE WHERE CDFILIAL = '9999'"));
    EXPECT_EQ(checkLayoutAt(db.ownerConnectionString).buttons, db.countRows("SELECT COUNT(*) FROM ITMENUCONFTE"));

    // No write, no lock beyond a reader's, no row lock: only the owner's
    // operations, and those only on its own branch.
    SqlQuery q(a);
    for (const char* refused :
         {"UPDATE ITMENUCONFTE SET DSBUTTON = 'x' WHERE CDFILIAL = '9999'", "DELETE FROM ITMENUCONFTE WHERE CDFILIAL = '9999'",
          "INSERT INTO ITMENUCONFTE (CDFILIAL, NRCONFTELA, IDTPBUTTON, NRBUTTON, CDIDENTBUTON, IDTPBUTONAUX, NRBUTTONAUX, "
          "NRPGCONFTELA, NRPGCONFTAUX) VALUES ('9999', '00001', '4', '09', 'NOVA', '0', '0', '1', '0')",
          "UPDATE MESA SET IDSTMESAAUX = 'O' WHERE CDFILIAL = '9999'", "SELECT NRMESA FROM MESA WHERE CDFILIAL = '9999' FOR SHARE",
          "SELECT 1 FROM ITMENUCONFTE WHERE CDFILIAL = '9999' FOR KEY SHARE"}) {
        EXPECT_FALSE(q.exec(QLatin1String(refused))) << refused;
        EXPECT_EQ(q.lastError().kind(), DbError::Kind::Permission) << refused << ": " << errorText(q.lastError());
    }
    for (const char* table : {"ITMENUCONFTE", "MESA"})
        for (const char* mode : {"ROW SHARE", "ROW EXCLUSIVE", "SHARE", "ACCESS EXCLUSIVE"}) {
            const QString sql = QStringLiteral("LOCK TABLE %1 IN %2 MODE").arg(QLatin1String(table), QLatin1String(mode));
            a.BeginTrans();
            EXPECT_FALSE(q.exec(sql)) << sql.toStdString();
            EXPECT_EQ(q.lastError().kind(), DbError::Kind::Permission) << sql.toStdString() << ": " << errorText(q.lastError());
            a.RollbackTrans();
        }
    // The operation itself refuses another branch.
    EXPECT_FALSE(q.exec("SELECT qdl_acmmudanome('x', '0001', '00001', '4', '01', '0', '0', '1', '0', 'Salão')"));
    EXPECT_EQ(q.lastError().kind(), DbError::Kind::Permission) << errorText(q.lastError());
    EXPECT_EQ(db.countRows("SELECT COUNT(*) FROM ITMENUCONFTE WHERE DSBUTTON = 'x'"), 0);
    // Nor can it widen its own branches.
    EXPECT_FALSE(q.exec(QStringLiteral("INSERT INTO QDL_TERMINAL_FILIAL (ROLOID, CDFILIAL) VALUES (0, '0001')")));
    EXPECT_EQ(q.lastError().kind(), DbError::Kind::Permission) << errorText(q.lastError());
    q.finish();

    {
        // The screen's own services on its branch: a rename, and an area's
        // removal, which locks the area's tables.
        TestDatabase asTerminal = db;
        asTerminal.connectionString = urlAs(terminal9999);
        ServiceSession session(asTerminal);
        ServiceResult r;
        ASSERT_EQ(getMudaNome("9999", "00001", "01", "1", "Novo nome", "4", "0", "0", "0", "Salão Principal", r), 0);
        EXPECT_EQ(r.toText(), QString()) << r.toText().toStdString();
        ASSERT_EQ(setDelAmbiente("9999", "00001", "BALCA", "03", "4", "0", "0", "0", "1", r), 0);
        EXPECT_EQ(r.toText(), QString()) << r.toText().toStdString();
    }
    EXPECT_EQ(db.countRows("SELECT COUNT(*) FROM ITMENUCONFTE WHERE DSBUTTON = 'Novo nome' AND CDFILIAL = '9999'"), 1);
    EXPECT_EQ(db.countRows("SELECT COUNT(*) FROM ITMENUCONFTE WHERE CDIDENTBUTON = 'BALCA'"), 1); // 0001's stays

    // A renamed role keeps its branches: the list is kept by identity.
    a.setConnected(false);
    superuser([this](TADOConnection& c) {
        c.execute(QStringLiteral("ALTER ROLE %1 RENAME TO %1_b").arg(terminal9999), QStringLiteral("ALTER ROLE"));
    });
    {
        TADOConnection renamed;
        renamed.ConnectionString = urlAs(terminal9999 + QStringLiteral("_b"));
        renamed.setConnected(true);
        EXPECT_EQ(count(renamed, "SELECT COUNT(*) FROM ITMENUCONFTE WHERE CDFILIAL <> '9999'"), 0);
        SqlQuery r(renamed);
        EXPECT_FALSE(r.exec("SELECT qdl_acmmudanome('x', '0001', '00001', '4', '01', '0', '0', '1', '0', 'Salão')"));
        EXPECT_EQ(r.lastError().kind(), DbError::Kind::Permission) << errorText(r.lastError());
    }
    superuser([this](TADOConnection& c) {
        c.execute(QStringLiteral("ALTER ROLE %1_b RENAME TO %1").arg(terminal9999), QStringLiteral("ALTER ROLE"));
    });
    a.setConnected(true);

    const HostRun revoked = runHostProgram(QProcessEnvironment::systemEnvironment(),
                                           {"--database", db.ownerConnectionString, "--revoke-terminal", terminal9999});
    ASSERT_EQ(revoked.status, 0) << revoked.err.toStdString();
    EXPECT_TRUE(revoked.out.contains(QStringLiteral("REVOKE"))) << revoked.out.toStdString();
    EXPECT_EQ(db.countRows(QStringLiteral("SELECT COUNT(*) FROM QDL_TERMINAL_FILIAL T JOIN pg_roles R ON R.oid = T.ROLOID "
                                          "WHERE R.rolname = '%1'").arg(terminal9999)),
              0);
    SqlQuery q2(a);
    EXPECT_FALSE(q2.exec("SELECT COUNT(*) FROM ITMENUCONFTE"));
    EXPECT_EQ(q2.lastError().kind(), DbError::Kind::Permission) << errorText(q2.lastError());
    EXPECT_GT(count(b, "SELECT COUNT(*) FROM ITMENUCONFTE"), 0); // the other terminal keeps its own
}

} // namespace

QDL_TEST_MAIN()
