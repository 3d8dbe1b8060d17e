// A configuration's layout written out, put back and brought back from its
// history (qdl-host --export-layout, --import-layout, --restore), on SQLite
// and PostgreSQL. The program under test connects as db.connectionString (on
// PostgreSQL a terminal role); set-up and assertions use the check
// connection.

#include <QDateTime>
#include <QFile>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTextStream>
#include <QThread>
#include <QUrl>
#include <malloc.h>

#include "Srv_qdl00005.h"
#include "adoconnection.h"
#include "dbfixture.h"
#include "errors.h"
#include "hostprogram.h"
#include "layoutcommand.h"
#include "layoutfile.h"
#include "terminalroles.h"
#include "testmain.h"

namespace {

const QString F = QStringLiteral("9999");
const QString C = QStringLiteral("00001");

class LayoutFile : public ::testing::TestWithParam<QString> {
protected:
    void SetUp() override
    {
        QDL_REQUIRE_BACKEND(GetParam());
        db = TestDatabase::create(GetParam());
        ASSERT_TRUE(dir.isValid());
    }
    void TearDown() override { db.drop(); }

    // The configuration as the file gives it, read by the owner.
    QString stored(const QString& branch = F, const QString& configuration = C) const
    {
        return QString::fromUtf8(layoutFileText(readLayout(db.openCheckConnection(), branch, configuration)));
    }
    int history() const { return db.countRows(QStringLiteral("SELECT COUNT(*) FROM QDL_HISTORICO")); }

    struct Run {
        int status;
        QString out, err;
    };
    Run command(LayoutCommand::Kind kind, const QString& argument, const QString& branch, const QString& configuration,
                bool dryRun = false) const
    {
        QString out, err;
        QTextStream o(&out), e(&err);
        const int status = runLayoutCommand(db.connectionString, {kind, argument, branch, configuration, dryRun}, o, e);
        return {status, out, err};
    }
    QString file(const char* name) const { return dir.filePath(QLatin1String(name)); }
    static QByteArray read(const QString& path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
    }
    static void write(const QString& path, const QByteArray& text)
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
    }

    TestDatabase db;
    QTemporaryDir dir;
};

TEST_P(LayoutFile, RestoreBringsBackAreaClearedOnScreen)
{
    // Balcão's own colours (black on amber) and its first table's (yellow).
    const QString before = stored();
    ASSERT_TRUE(before.contains(QStringLiteral("\tBALCA\tBalcão\t0\t49151\t")));
    const QDateTime beforeClear = QDateTime::currentDateTime();
    // The history's clock must be past the time given (milliseconds).
    while (QDateTime::currentDateTime() <= beforeClear.addMSecs(2))
        QThread::yieldCurrentThread();
    {
        ServiceSession session(db);
        ServiceResult r;
        ASSERT_EQ(setDelAmbiente(F, C, "BALCA", "03", "4", "0", "0", "0", "1", r), 0);
        ASSERT_EQ(r.toText(), QString()) << r.toText().toStdString();
    }
    ASSERT_EQ(db.countRows("SELECT COUNT(*) FROM ITMENUCONFTE WHERE CDIDENTBUTON IN ('BALCA', '49', '50')"), 0);
    // Renamed twice since: the name before the first rename comes back.
    for (const char* name : {"Outro", "Mais outro"})
        db.exec(QStringLiteral("UPDATE ITMENUCONFTE SET DSBUTTON = '%1' WHERE CDFILIAL = '9999' AND NRCONFTELA = '00001' "
                               "AND CDIDENTBUTON = 'SAL'")
                    .arg(QLatin1String(name)));
    // Another program moves Varanda's area button to slot 09, a change that
    // names no single button; and the clear's records are made as records
    // written before they named their button. Both are read as they were.
    db.exec("UPDATE ITMENUCONFTE SET NRBUTTON = '09' WHERE CDFILIAL = '9999' AND NRCONFTELA = '00001' AND CDIDENTBUTON = 'VAR'");
    db.exec("UPDATE QDL_HISTORICO SET DSCHAVE = NULL WHERE IDOPERACAO = 'D'");
    // A restore reads each button's first record after the time, not every
    // record since: the second rename's, made unreadable here, is never read.
    db.exec("UPDATE QDL_HISTORICO SET DSANTES = 'x', DSDEPOIS = 'x' WHERE DSDEPOIS LIKE '%Mais outro%'");
    const int recorded = history();

    // Through the built program, as an administrator runs it.
    const QString at = beforeClear.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzz"));
    HostRun dry = runHostProgram(QProcessEnvironment::systemEnvironment(),
                                 {"--database", db.connectionString, "--restore", at, "--dry-run"});
    EXPECT_EQ(dry.status, 0) << dry.out.toStdString() << dry.err.toStdString();
    EXPECT_EQ(stored().count(QLatin1Char('\n')), before.count(QLatin1Char('\n')) - 3);
    EXPECT_EQ(history(), recorded) << "a dry run records nothing";

    HostRun run = runHostProgram(QProcessEnvironment::systemEnvironment(), {"--database", db.connectionString, "--restore", at});
    ASSERT_EQ(run.status, 0) << run.out.toStdString() << run.err.toStdString();
    EXPECT_TRUE(run.out.contains(QStringLiteral("+ botão de ambiente \"03\" (ambiente \"BALCA\")"))) << run.out.toStdString();
    EXPECT_EQ(stored(), before);
    // The restore is itself a change: three buttons back, one renamed back,
    // one moved back (removed and written anew).
    EXPECT_EQ(history(), recorded + 6);
}

TEST_P(LayoutFile, RoundTripToAnotherBranchSkipsWhatItLacks)
{
    // Captions that need the file's escapes.
    db.exec(QStringLiteral("UPDATE ITMENUCONFTE SET DSBUTTON = 'a\tb\\c\nd' || char(1) || ' é', DSMESSAGEBUT = '\\N' "
                           "WHERE CDFILIAL = '9999' AND CDIDENTBUTON = '1'")
                .replace(QStringLiteral("char(1)"), db.isPostgres() ? QStringLiteral("chr(1)") : QStringLiteral("char(1)")));
    db.exec("UPDATE ITMENUCONFTE SET NRCOLORTEXT = NULL WHERE CDFILIAL = '9999' AND CDIDENTBUTON = '2'");
    // Branch 0001 gets Varanda and Balcão and the same tables, but for 50.
    db.exec("INSERT INTO CONFTELA (CDFILIAL, NRCONFTELA, CDLOJA) VALUES ('0001', '00002', '00001')");
    db.exec("INSERT INTO SALA (CDFILIAL, CDSALA, NMSALA, IDSITSALA) SELECT '0001', CDSALA, NMSALA, IDSITSALA FROM SALA "
            "WHERE CDFILIAL = '9999' AND CDSALA IN ('VAR', 'BALCA') "
            "AND CDSALA NOT IN (SELECT CDSALA FROM SALA WHERE CDFILIAL = '0001')");
    db.exec("INSERT INTO MESA (CDFILIAL, CDLOJA, NRMESA, CDSALA, NMMESA, IDSTMESA, IDSTMESAAUX) SELECT '0001', CDLOJA, "
            "NRMESA, CDSALA, NMMESA, IDSTMESA, IDSTMESAAUX FROM MESA WHERE CDFILIAL = '9999' AND CDLOJA = '00001' AND NRMESA <> '50' "
            "AND NRMESA NOT IN (SELECT NRMESA FROM MESA WHERE CDFILIAL = '0001')");

    const Run exported = command(LayoutCommand::Kind::Export, file("a.txt"), F, C);
    ASSERT_EQ(exported.status, 0) << exported.err.toStdString();
    const QByteArray a = read(file("a.txt"));
    ASSERT_EQ(QString::fromUtf8(a), stored());

    // A terminal role of branch 9999 (as the program connects on
    // PostgreSQL) is told so, not that the configuration is missing.
    const QString role = QUrl(db.connectionString).userName();
    if (db.isPostgres() && db.countRows(QStringLiteral("SELECT COUNT(*) FROM QDL_TERMINAL_FILIAL T JOIN pg_roles R ON R.oid = T.ROLOID WHERE R.rolname = '%1'").arg(role)) > 0) {
        const Run refused = command(LayoutCommand::Kind::Import, file("a.txt"), QStringLiteral("0001"), QStringLiteral("00002"));
        EXPECT_EQ(refused.status, 2);
        EXPECT_TRUE(refused.err.contains(role)) << refused.err.toStdString();
        QString granted;
        QTextStream log(&granted);
        grantTerminal(db.openCheckConnection(), role, {F, QStringLiteral("0001")}, log);
    }
    const Run imported = command(LayoutCommand::Kind::Import, file("a.txt"), QStringLiteral("0001"), QStringLiteral("00002"));
    ASSERT_EQ(imported.status, 0) << imported.out.toStdString() << imported.err.toStdString();
    EXPECT_TRUE(imported.out.contains(QStringLiteral("(mesa \"50\"): a mesa \"50\" não existe"))) << imported.out.toStdString();

    ASSERT_EQ(command(LayoutCommand::Kind::Export, file("b.txt"), QStringLiteral("0001"), QStringLiteral("00002")).status, 0);
    QList<QByteArray> lines = a.split('\n');
    lines.removeIf([](const QByteArray& line) { return line.contains("\t50\tBanqueta 2\t"); });
    ASSERT_EQ(lines.size(), a.split('\n').size() - 1);
    EXPECT_EQ(QString::fromUtf8(read(file("b.txt"))), QString::fromUtf8(lines.join('\n')));
}

TEST_P(LayoutFile, NothingWrittenOnDryRunFailedCheckOrFailingWrite)
{
    db.exec("INSERT INTO CONFTELA (CDFILIAL, NRCONFTELA, CDLOJA) VALUES ('9999', '00003', '00001')");
    ASSERT_EQ(command(LayoutCommand::Kind::Export, file("a.txt"), F, C).status, 0);
    const QByteArray a = read(file("a.txt"));
    const int recorded = history();
    const auto unchanged = [&] {
        EXPECT_EQ(db.countRows("SELECT COUNT(*) FROM ITMENUCONFTE WHERE NRCONFTELA = '00003'"), 0);
        EXPECT_EQ(history(), recorded);
    };

    const Run dry = command(LayoutCommand::Kind::Import, file("a.txt"), F, QStringLiteral("00003"), true);
    EXPECT_EQ(dry.status, 0) << dry.err.toStdString();
    EXPECT_TRUE(dry.out.contains(QStringLiteral("19 incluído(s)"))) << dry.out.toStdString();
    unchanged();

    // Table buttons of an area whose button is not in the file: the check
    // refuses the result before the commit.
    QByteArray orphans = a;
    orphans.replace("4\t01\t1\t0\t0\t0\tSAL\t", "#");
    write(file("orphans.txt"), orphans);
    const Run refused = command(LayoutCommand::Kind::Import, file("orphans.txt"), F, QStringLiteral("00003"));
    EXPECT_EQ(refused.status, 1) << refused.out.toStdString() << refused.err.toStdString();
    EXPECT_TRUE(refused.out.contains(QStringLiteral("Problema:"))) << refused.out.toStdString();
    unchanged();

    // The last button's insert fails: the ones before it go too.
    installFailingTrigger(db, "qdl_falha_import", "INSERT", "ITMENUCONFTE", "NEW.CDIDENTBUTON = '50'", "falha de teste na inclusão");
    const Run failed = command(LayoutCommand::Kind::Import, file("a.txt"), F, QStringLiteral("00003"));
    EXPECT_EQ(failed.status, 2);
    EXPECT_TRUE(failed.err.contains(QStringLiteral("falha de teste na inclusão"))) << failed.err.toStdString();
    unchanged();
}

// The screen never removes the button of an occupied or reserved table; an
// import or a restore keeps the same rule, dry run included.
TEST_P(LayoutFile, ImportAndRestoreKeepTheButtonsOfTablesInUse)
{
    ASSERT_EQ(command(LayoutCommand::Kind::Export, file("a.txt"), F, C).status, 0);
    QByteArray withoutFive = read(file("a.txt"));
    const qsizetype line = withoutFive.indexOf("\t5\tMesa 05\t");
    ASSERT_GT(line, 0); // table 5 is occupied in the demo
    const qsizetype start = withoutFive.lastIndexOf('\n', line) + 1;
    withoutFive.remove(start, withoutFive.indexOf('\n', line) + 1 - start);
    write(file("without5.txt"), withoutFive);
    const QString before = stored();
    const QStringList import{"--database", db.connectionString, "--branch", F, "--configuration", C, "--import-layout",
                             file("without5.txt")};
    for (const bool dry : {true, false}) {
        const HostRun run = runHostProgram(QProcessEnvironment::systemEnvironment(),
                                           dry ? import + QStringList{"--dry-run"} : import);
        EXPECT_EQ(run.status, 1) << run.out.toStdString() << run.err.toStdString();
        EXPECT_TRUE(run.out.contains(QStringLiteral("\"Mesa 05\""))) << run.out.toStdString();
        EXPECT_EQ(stored(), before);
    }

    // Table 11 placed after `at`, then occupied: going back to `at` would remove it.
    const QDateTime at = QDateTime::currentDateTime();
    while (QDateTime::currentDateTime() <= at.addMSecs(2))
        QThread::yieldCurrentThread();
    {
        ServiceSession session(db);
        ServiceResult r;
        ASSERT_EQ(getInsere(F, C, "48", "Mesa 11", 0, 11571344, "", "9", "11", "3", "4", "01", "1", r), 0);
        ASSERT_EQ(r.toText(), QString()) << r.toText().toStdString();
    }
    db.exec("UPDATE MESA SET IDSTMESAAUX = 'S' WHERE CDFILIAL = '9999' AND NRMESA = '11'");
    const HostRun restore = runHostProgram(QProcessEnvironment::systemEnvironment(),
                                           {"--database", db.connectionString, "--branch", F, "--configuration", C,
                                            "--restore", at.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzz"))});
    EXPECT_EQ(restore.status, 1) << restore.out.toStdString() << restore.err.toStdString();
    EXPECT_TRUE(restore.out.contains(QStringLiteral("\"Mesa 11\""))) << restore.out.toStdString();
    EXPECT_EQ(db.countRows("SELECT COUNT(*) FROM ITMENUCONFTE WHERE CDFILIAL = '9999' AND CDIDENTBUTON = '11'"), 1);
}

// The store's default table takes no button on the screen; a file that
// places it has that button skipped, and the rest written.
TEST_P(LayoutFile, TheStoresDefaultTableIsSkipped)
{
    ASSERT_EQ(command(LayoutCommand::Kind::Export, file("a.txt"), F, C).status, 0);
    QByteArray text = read(file("a.txt"));
    text += "3\t05\t1\t4\t03\t1\t99\tPadrão\t0\t11571344\t\\N\n"; // table 99 under Balcão
    write(file("with99.txt"), text);
    const Run run = command(LayoutCommand::Kind::Import, file("with99.txt"), F, C);
    EXPECT_EQ(run.status, 0) << run.out.toStdString() << run.err.toStdString();
    EXPECT_TRUE(run.out.contains(QStringLiteral("(mesa \"99\"): a mesa \"99\" é a mesa padrão"))) << run.out.toStdString();
    EXPECT_EQ(db.countRows("SELECT COUNT(*) FROM ITMENUCONFTE WHERE CDFILIAL = '9999' AND CDIDENTBUTON = '99'"), 0);
}

// A file of another chain's tables: every button skipped is counted, the
// report lists the first thousand and says how many more.
TEST_P(LayoutFile, SkippedButtonsPastAThousandAreCountedNotListed)
{
    QByteArray text = "quadrel-layout\t1\n4\t01\t1\t0\t0\t0\tSAL\tSal\t0\t0\t\\N\n";
    for (int i = 0; i < 1200; ++i)
        text += QStringLiteral("3\t%1\t%2\t4\t01\t1\tX%3\tMesa\t0\t0\t\\N\n").arg(i % 48 + 1, 2, 10, QLatin1Char('0')).arg(i / 48 + 1).arg(i).toUtf8();
    write(file("other.txt"), text);
    const Run run = command(LayoutCommand::Kind::Import, file("other.txt"), F, C, true);
    EXPECT_EQ(run.out.count(QStringLiteral("Ignorado: ")), 1000) << run.err.toStdString();
    EXPECT_TRUE(run.out.contains(QStringLiteral("Ignorado(s) mais 200 botão(ões)"))) << run.out.right(600).toStdString();
    EXPECT_TRUE(run.out.contains(QStringLiteral(", 1200 ignorado(s)."))) << run.out.right(600).toStdString();
}

// The demo's roll-out as the README walks it, run as the schema's owner: the
// central layout exported and imported into each branch, whose report says
// what it placed and what the branch lacks. On SQLite the demo is made by
// qdl-host --create-demo; on PostgreSQL the fixture made it with the same code.
TEST_P(LayoutFile, TheDemosCentralLayoutRollsOutToItsBranches)
{
    QString database = db.ownerConnectionString;
    const auto host = [&database](const QStringList& arguments) {
        return runHostProgram(QProcessEnvironment::systemEnvironment(), QStringList{"--database", database} + arguments);
    };
    if (db.isSqlite()) {
        database = QStringLiteral("sqlite:") + file("demo.db");
        const HostRun demo = host({"--create-demo"});
        ASSERT_EQ(demo.status, 0) << demo.err.toStdString();
    }
    const HostRun before = host({"--lang", "en", "--check"});
    EXPECT_EQ(before.status, 0) << before.out.toStdString();
    EXPECT_TRUE(before.out.contains(QStringLiteral(": 19 buttons in 1 configuration."))) << before.out.toStdString();
    const HostRun exported = host({"--export-layout", file("central.layout")});
    ASSERT_EQ(exported.status, 0) << exported.err.toStdString();

    struct Branch {
        QString code;
        int added;
        QStringList lacks; // one skipped button each
    };
    const Branch branches[] = {
        {QStringLiteral("0001"), 14,
         {QStringLiteral("o ambiente \"BALCA\" não existe na filial \"0001\""),
          QStringLiteral("(mesa \"49\"): o botão de ambiente \"03\" ficou de fora"),
          QStringLiteral("(mesa \"50\"): o botão de ambiente \"03\" ficou de fora"),
          QStringLiteral("a mesa \"9\" não existe na filial \"0001\""), QStringLiteral("a mesa \"10\" não existe na filial \"0001\"")}},
        {QStringLiteral("0002"), 13,
         {QStringLiteral("o ambiente \"VAR\" não existe na filial \"0002\""),
          QStringLiteral("(mesa \"21\"): o botão de ambiente \"02\" ficou de fora"),
          QStringLiteral("(mesa \"22\"): o botão de ambiente \"02\" ficou de fora"),
          QStringLiteral("(mesa \"23\"): o botão de ambiente \"02\" ficou de fora"),
          QStringLiteral("(mesa \"24\"): o botão de ambiente \"02\" ficou de fora"),
          QStringLiteral("a mesa \"50\" não existe na filial \"0002\"")}},
    };
    for (const Branch& branch : branches) {
        const HostRun run = host({"--import-layout", file("central.layout"), "--branch", branch.code});
        ASSERT_EQ(run.status, 0) << run.out.toStdString() << run.err.toStdString();
        const QStringList lines = run.out.split(QLatin1Char('\n'));
        const auto starting = [&lines](const char* head) {
            return lines.filter(QRegularExpression(QStringLiteral("^") + QRegularExpression::escape(QLatin1String(head))));
        };
        EXPECT_EQ(starting("+ ").size(), branch.added) << run.out.toStdString();
        EXPECT_TRUE(starting("- ").isEmpty() && starting("~ ").isEmpty()) << run.out.toStdString();
        const QStringList skipped = starting("Ignorado: ");
        EXPECT_EQ(skipped.size(), branch.lacks.size()) << run.out.toStdString();
        for (const QString& lack : branch.lacks)
            EXPECT_EQ(skipped.filter(lack).size(), 1) << lack.toStdString() << "\n" << run.out.toStdString();
    }
    // Every placed button stored, and the three layouts consistent.
    const HostRun after = host({"--lang", "en", "--check"});
    EXPECT_EQ(after.status, 0) << after.out.toStdString();
    EXPECT_TRUE(after.out.contains(QStringLiteral(": 46 buttons in 3 configurations."))) << after.out.toStdString();
}

// One file into several branches over one connection: a branch refused (a
// table in use there) leaves the others written; the summary and the exit
// status say which. --all-branches leaves the central branch out.
TEST_P(LayoutFile, RollOutToSeveralBranchesWritesAllButTheRefusedOne)
{
    db.grantTerminalBranches({F, QStringLiteral("0001"), QStringLiteral("0002")});
    ASSERT_EQ(command(LayoutCommand::Kind::Export, file("a.txt"), F, C).status, 0);
    QByteArray withoutFive = read(file("a.txt"));
    const qsizetype line = withoutFive.indexOf("\t5\tMesa 05\t"); // occupied in 9999
    ASSERT_GT(line, 0);
    const qsizetype start = withoutFive.lastIndexOf('\n', line) + 1;
    withoutFive.remove(start, withoutFive.indexOf('\n', line) + 1 - start);
    write(file("without5.txt"), withoutFive);
    const QString central = stored();
    const auto import = [&](const QStringList& branches, const char* name = "without5.txt") {
        return runHostProgram(QProcessEnvironment::systemEnvironment(),
                              QStringList{"--database", db.connectionString, "--import-layout", file(name)} + branches);
    };

    // Table buttons whose area button is not in the file: the check refuses
    // every branch, which keeps what it had.
    QByteArray orphans = read(file("a.txt"));
    orphans.replace("4\t01\t1\t0\t0\t0\tSAL\t", "#");
    write(file("orphans.txt"), orphans);
    const HostRun broken = import({"--branch", "0001,0002"}, "orphans.txt");
    EXPECT_EQ(broken.status, 1) << broken.out.toStdString() << broken.err.toStdString();
    EXPECT_TRUE(broken.out.contains(QStringLiteral("0 gravada(s), 0 sem mudança, 2 recusada(s), 0 com erro."))) << broken.out.toStdString();
    EXPECT_EQ(stored(QStringLiteral("0001")).count(QLatin1Char('\n')), 1);

    const HostRun dry = import({"--branch", "0001,0002", "--dry-run"});
    EXPECT_EQ(dry.status, 0) << dry.out.toStdString() << dry.err.toStdString();
    EXPECT_TRUE(dry.out.contains(QStringLiteral("2 mudaria(m), 0 sem mudança"))) << dry.out.toStdString();
    EXPECT_EQ(stored(QStringLiteral("0001")).count(QLatin1Char('\n')), 1);

    const HostRun named = import({"--branch", "9999,0001"});
    EXPECT_EQ(named.status, 1) << named.out.toStdString() << named.err.toStdString();
    EXPECT_TRUE(named.out.contains(QStringLiteral("\n== Filial \"0001\" ==\n"))) << named.out.toStdString();
    EXPECT_TRUE(named.out.contains(QRegularExpression(QStringLiteral("\n9999 +0 +0 +1 +0  recusada: .*\"Mesa 05\""))))
        << named.out.toStdString();
    EXPECT_TRUE(named.out.endsWith(QStringLiteral("1 gravada(s), 0 sem mudança, 1 recusada(s), 0 com erro.\nRecusada(s): 9999.\n")))
        << named.out.toStdString();
    EXPECT_EQ(stored(), central);
    EXPECT_EQ(stored(QStringLiteral("0001")).count(QLatin1Char('\n')), 1 + 13);

    const HostRun all = import({"--all-branches"});
    EXPECT_EQ(all.status, 0) << all.out.toStdString() << all.err.toStdString();
    EXPECT_FALSE(all.out.contains(QStringLiteral("== Filial \"9999\""))) << all.out.toStdString();
    EXPECT_TRUE(all.out.endsWith(QStringLiteral("1 gravada(s), 1 sem mudança, 0 recusada(s), 0 com erro.\n"))) << all.out.toStdString();
    EXPECT_EQ(stored(QStringLiteral("0002")).count(QLatin1Char('\n')), 1 + 12);
}

INSTANTIATE_TEST_SUITE_P(Db, LayoutFile, ::testing::ValuesIn(testBackends()), backendName);

// Why a file's text is refused, or "<accepted>".
QString refusal(const QByteArray& text)
{
    try {
        parseLayoutFile(text);
    } catch (const EQdlError& e) {
        return e.message();
    }
    return QStringLiteral("<accepted>");
}

// What the file refuses, by line; what it escapes, back whole.
TEST(LayoutFileText, RefusesOtherVersionsAndMalformedLinesByNumber)
{
    const QByteArray area = "4\t01\t1\t0\t0\t0\tSAL\tSal\\x01\\\\\\t\\n\t0\t\\N\t\\N\n";
    EXPECT_TRUE(refusal("quadrel-layout\t2\n").startsWith(QStringLiteral("Linha 1:"))) << refusal("quadrel-layout\t2\n").toStdString();
    EXPECT_TRUE(refusal("mesas\n").startsWith(QStringLiteral("Linha 1:")));
    EXPECT_TRUE(refusal("quadrel-layout\t1\n# nota\n4\t01\t1\t0\t0\t0\tSAL\tx\t0\n").startsWith(QStringLiteral("Linha 3:")));
    EXPECT_TRUE(refusal("quadrel-layout\t1\n" + area + "4\t02\t1\t0\t0\t0\tVAR\tV\\q\t0\t0\t\\N\n").startsWith(QStringLiteral("Linha 3:")));
    EXPECT_TRUE(refusal("quadrel-layout\t1\n" + area + area).startsWith(QStringLiteral("Linha 3:")));
    EXPECT_TRUE(refusal("quadrel-layout\t1\n4\t01\t1\t0\t0\t0\tSAL\tx\t1.5\t0\t\\N\n").startsWith(QStringLiteral("Linha 2:")));

    const QList<ButtonRow> parsed = parseLayoutFile("quadrel-layout\t1\r\n" + area).toList();
    ASSERT_EQ(parsed.size(), 1);
    EXPECT_EQ(parsed[0].caption, QStringLiteral("Sal\x01\\\t\n"));
    EXPECT_FALSE(parsed[0].backColour.has_value());
    EXPECT_FALSE(parsed[0].message.has_value());
    EXPECT_EQ(layoutFileText(parsed), "quadrel-layout\t1\n" + area);
}

// A colour no button takes is refused by the import at its line, and the
// export says it is out of range, not that it is no whole number.
TEST(LayoutFileText, AColourOutOfRangeIsRefusedBothWays)
{
    EXPECT_EQ(refusal("quadrel-layout\t1\n4\t01\t1\t0\t0\t0\tSAL\tx\t0\t-1\t\\N\n"),
              QStringLiteral("Linha 2: NRCOLORBACK \"-1\" fora do intervalo de 0 a 16777215."));
    ButtonRow b;
    b.key() = qdl::layout::ButtonKey::area(QStringLiteral("01"));
    b.code = QStringLiteral("SAL");
    b.textColour = 99999999999.0;
    try {
        layoutFileText({b});
        ADD_FAILURE() << "exported";
    } catch (const EQdlError& e) {
        EXPECT_TRUE(e.message().contains(QStringLiteral("cor gravada fora do intervalo de 0 a 16777215 (99999999999)")))
            << e.message().toStdString();
    }
}

// A large file's buttons are held in a few times the file's size, not in a
// row of some 300 bytes each beside their texts.
TEST(LayoutFileText, ALargeFileIsHeldInAFewTimesItsSize)
{
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "AddressSanitizer's allocator keeps no count mallinfo2 reads";
#endif
    QByteArray text = "quadrel-layout\t1\n4\t01\t1\t0\t0\t0\tSAL\tSalão\t0\t0\t\\N\n";
    for (int i = 0; i < 100000; ++i)
        text += QStringLiteral("3\t%1\t%2\t4\t01\t1\t%3\tMesa %3\t0\t16777215\t\\N\n")
                    .arg(i % 48 + 1, 2, 10, QLatin1Char('0'))
                    .arg(i / 48 + 1)
                    .arg(i)
                    .toUtf8();
    const auto inUse = [] {
        const struct mallinfo2 m = mallinfo2();
        return m.uordblks + m.hblkhd;
    };
    const size_t before = inUse();
    const LayoutButtons buttons = parseLayoutFile(text);
    const size_t held = inUse() - before;
    ASSERT_EQ(buttons.size(), 100001);
    EXPECT_LT(held, 3 * size_t(text.size())) << held << " bytes held for a file of " << text.size();
}

// Among thousands of lines, the refusal names the first line that repeats
// a button or a code, or is malformed, whichever comes first in the file.
TEST(LayoutFileText, RefusesTheFirstRepeatInTheFilesOrder)
{
    const auto table = [](int slot, int page, int code) {
        return QStringLiteral("3\t%1\t%2\t4\t01\t1\t%3\tMesa\t0\t0\t\\N\n").arg(slot, 2, 10, QLatin1Char('0')).arg(page).arg(code).toUtf8();
    };
    QByteArray text = "quadrel-layout\t1\n4\t01\t1\t0\t0\t0\tSAL\tSalão\t0\t0\t\\N\n"; // the tables from line 3
    for (int i = 0; i < 4800; ++i)
        text += table(i % 48 + 1, i / 48 + 1, i + 1);
    const QByteArray malformed = "3\t01\n";
    EXPECT_EQ(refusal(text + table(1, 200, 99999) + table(2, 200, 17) + table(1, 200, 1) + malformed),
              QStringLiteral("Linha 4804: o código \"17\" já está em um botão na linha 19."));
    EXPECT_EQ(refusal(text + table(1, 200, 99999) + table(5, 1, 4000) + table(2, 200, 17) + malformed),
              QStringLiteral("Linha 4804: o mesmo botão que a linha 7."));
    EXPECT_EQ(refusal(text + malformed + table(1, 1, 1)),
              QStringLiteral("Linha 4803: 2 campos separados por tabulação em vez de 11."));
}

} // namespace

QDL_TEST_MAIN()
