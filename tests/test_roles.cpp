// Terminal roles on PostgreSQL: --grant-terminal gives a login role what the
// screen needs on its own branches only (reads under the server's row-level
// security, writes through the owner's operations), a renamed role stays
// confined, --revoke-terminal takes it all back. Each
// role connects as itself (trust on loopback).

#include <QTemporaryDir>
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
            for (const QString& role : QStringList{terminal9999, terminal0001} + moreRoles)
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
    QStringList moreRoles; // made by a test, dropped after the database
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

// No login acts as the owner: no role may attach the owner's trigger
// functions to a table of its own, a login that is only a member of a
// terminal role (or of a group granted as one) is confined to its
// branches, renamed or not, and the owner is no terminal.
TEST_F(Roles, MembersOfATerminalRoleAreConfinedAndNoneActsAsTheOwner)
{
    const QString member = QStringLiteral("qdl_member_") + suffix, group = QStringLiteral("qdl_group_") + suffix,
                  inGroup = QStringLiteral("qdl_in_group_") + suffix;
    superuser([&](TADOConnection& c) {
        c.execute(QStringLiteral("CREATE ROLE %1 NOLOGIN").arg(group), QStringLiteral("CREATE ROLE"));
        c.execute(QStringLiteral("CREATE ROLE %1 LOGIN IN ROLE %2").arg(member, terminal0001), QStringLiteral("CREATE ROLE"));
        c.execute(QStringLiteral("CREATE ROLE %1 LOGIN IN ROLE %2").arg(inGroup, group), QStringLiteral("CREATE ROLE"));
    });
    moreRoles = {member, member + QStringLiteral("_b"), inGroup, group};
    QString said;
    QTextStream log(&said);
    grantTerminal(db.openCheckConnection(), terminal0001, {QStringLiteral("0001")}, log);
    grantTerminal(db.openCheckConnection(), group, {QStringLiteral("0001")}, log);

    for (const QString& login : {member, inGroup}) {
        TADOConnection c;
        c.ConnectionString = urlAs(login);
        c.setConnected(true);
        EXPECT_GT(count(c, "SELECT COUNT(*) FROM ITMENUCONFTE WHERE CDFILIAL = '0001'"), 0) << login.toStdString();
        for (const char* table : {"ITMENUCONFTE", "MESA", "QDL_HISTORICO"})
            EXPECT_EQ(count(c, QStringLiteral("SELECT COUNT(*) FROM %1 WHERE CDFILIAL <> '0001'").arg(QLatin1String(table))), 0)
                << login.toStdString() << " " << table;
        SqlQuery q(c);
        EXPECT_FALSE(q.exec("SELECT qdl_acmmudanome('x', '9999', '00001', '4', '01', '0', '0', '1', '0', '')")) << login.toStdString();
        EXPECT_EQ(q.lastError().kind(), DbError::Kind::Permission) << errorText(q.lastError());
        EXPECT_TRUE(q.exec("SELECT qdl_acmmudanome('y', '0001', '00001', '4', '01', '0', '0', '1', '0', (SELECT COALESCE(DSBUTTON, '') "
                           "FROM ITMENUCONFTE WHERE CDFILIAL = '0001' AND IDTPBUTTON = '4' AND NRBUTTON = '01'))"))
            << errorText(q.lastError());
        q.finish();
    }
    // Renamed, a member is still one.
    superuser([&](TADOConnection& c) { c.execute(QStringLiteral("ALTER ROLE %1 RENAME TO %1_b").arg(member), QStringLiteral("ALTER ROLE")); });
    {
        TADOConnection renamed;
        renamed.ConnectionString = urlAs(member + QStringLiteral("_b"));
        renamed.setConnected(true);
        EXPECT_EQ(count(renamed, "SELECT COUNT(*) FROM ITMENUCONFTE WHERE CDFILIAL <> '0001'"), 0);
    }
    EXPECT_EQ(db.countRows("SELECT COUNT(*) FROM ITMENUCONFTE WHERE DSBUTTON = 'x'"), 0);

    // A role with no right at all attaches none of the owner's trigger
    // functions to a temporary table of its own.
    {
        TADOConnection c;
        c.ConnectionString = urlAs(inGroup);
        c.setConnected(true);
        SqlQuery q(c);
        ASSERT_TRUE(q.exec("CREATE TEMP TABLE T (CDFILIAL VARCHAR(4), NRCONFTELA VARCHAR(5))")) << errorText(q.lastError());
        QStringList definers;
        SqlQuery list(db.openCheckConnection());
        ASSERT_TRUE(list.exec("SELECT p.proname::text FROM pg_proc p JOIN pg_namespace n ON n.oid = p.pronamespace "
                              "WHERE p.prosecdef AND p.prorettype = 'trigger'::regtype AND n.nspname = current_schema()"));
        while (list.next())
            definers << list.value(0).toString();
        list.finish();
        EXPECT_EQ(definers.size(), 3);
        for (const QString& f : definers) {
            EXPECT_FALSE(q.exec(QStringLiteral("CREATE TRIGGER T_%1 AFTER INSERT ON pg_temp.T FOR EACH ROW EXECUTE FUNCTION %1()").arg(f)))
                << f.toStdString();
            EXPECT_EQ(q.lastError().kind(), DbError::Kind::Permission) << errorText(q.lastError());
        }
    }

    // The owner is no terminal.
    const QString owner = db.scalar("SELECT current_user");
    const HostRun refused = runHostProgram(QProcessEnvironment::systemEnvironment(),
                                           {"--database", db.ownerConnectionString, "--grant-terminal", owner, "--branch", "0001"});
    EXPECT_EQ(refused.status, 2);
    EXPECT_TRUE(refused.err.contains(QStringLiteral("é o dono do esquema"))) << refused.err.toStdString();
    EXPECT_EQ(db.countRows(QStringLiteral("SELECT COUNT(*) FROM QDL_TERMINAL_FILIAL WHERE ROLOID = to_regrole('%1')").arg(owner)), 0);
}

// A schema where others may create objects is refused, and --upgrade
// closes it where the owner may.
TEST_F(Roles, ASchemaOthersMayWriteIsRefusedAndClosedByTheUpgrade)
{
    QUrl url(db.ownerConnectionString);
    QUrl super(qEnvironmentVariable("QDL_PG_URL"));
    super.setPath(url.path());
    withConnection(super.toString(), [](TADOConnection& c) {
        c.execute(QStringLiteral("GRANT CREATE ON SCHEMA public TO PUBLIC"), QStringLiteral("GRANT"));
    });
    const HostRun check = runHostProgram(QProcessEnvironment::systemEnvironment(), {"--database", db.ownerConnectionString, "--check"});
    EXPECT_EQ(check.status, 2);
    EXPECT_TRUE(check.out.contains(QStringLiteral("REVOKE CREATE ON SCHEMA \"public\" FROM PUBLIC"))) << check.out.toStdString();
    const HostRun grant = runHostProgram(QProcessEnvironment::systemEnvironment(),
                                         {"--database", db.ownerConnectionString, "--grant-terminal", terminal0001, "--branch", "0001"});
    EXPECT_EQ(grant.status, 2) << grant.out.toStdString();

    const HostRun upgrade = runHostProgram(QProcessEnvironment::systemEnvironment(), {"--database", db.ownerConnectionString, "--upgrade"});
    EXPECT_EQ(upgrade.status, 0) << upgrade.err.toStdString();
    EXPECT_TRUE(upgrade.out.contains(QStringLiteral("fechado"))) << upgrade.out.toStdString();
    EXPECT_EQ(runHostProgram(QProcessEnvironment::systemEnvironment(), {"--database", db.ownerConnectionString, "--check"}).status, 0);
}

// A terminal that keeps a branch's locks in an open transaction holds that
// branch only: a roll-out waits a few seconds, names the holder, skips the
// branch and writes the others.
TEST_F(Roles, ARollOutSkipsABranchATerminalHoldsAndNamesWhoHoldsIt)
{
    QString said;
    QTextStream log(&said);
    grantTerminal(db.openCheckConnection(), terminal0001, {QStringLiteral("0001")}, log);
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("central.layout"));
    ASSERT_EQ(runHostProgram(QProcessEnvironment::systemEnvironment(),
                             {"--database", db.ownerConnectionString, "--export-layout", file, "--branch", "9999"})
                  .status,
              0);
    db.exec("UPDATE ITMENUCONFTE SET DSBUTTON = 'Antes' WHERE IDTPBUTTON = '4' AND NRBUTTON = '01'");

    TADOConnection holder;
    holder.ConnectionString = urlAs(terminal0001) + QStringLiteral("?application_name=caixa-teste");
    holder.setConnected(true);
    holder.BeginTrans();
    SqlQuery lock(holder);
    ASSERT_TRUE(lock.exec("SELECT qdl_adqtravaleiaute('0001', '00001')")) << errorText(lock.lastError());
    lock.finish();

    const HostRun rollout = runHostProgram(QProcessEnvironment::systemEnvironment(),
                                           {"--database", db.ownerConnectionString, "--import-layout", file, "--branch", "0001,9999"});
    holder.RollbackTrans();
    EXPECT_EQ(rollout.status, 1) << rollout.out.toStdString() << rollout.err.toStdString();
    EXPECT_TRUE(rollout.out.contains(QStringLiteral("retida"))) << rollout.out.toStdString();
    EXPECT_TRUE(rollout.out.contains(terminal0001)) << rollout.out.toStdString();
    EXPECT_TRUE(rollout.out.contains(QStringLiteral("caixa-teste"))) << rollout.out.toStdString();
    EXPECT_EQ(db.countRows("SELECT COUNT(*) FROM ITMENUCONFTE WHERE DSBUTTON = 'Antes' AND CDFILIAL = '9999'"), 0);
    EXPECT_EQ(db.countRows("SELECT COUNT(*) FROM ITMENUCONFTE WHERE DSBUTTON = 'Antes' AND CDFILIAL = '0001'"), 1);
}

} // namespace

QDL_TEST_MAIN()
