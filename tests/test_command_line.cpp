// qdl-host's command line as a newcomer meets it: a mistake in it is one
// line and status 2 even where there is no display, the commands run
// without a word from Qt or the platform, and --branches lists what each
// branch has, as the connecting role may see it.

#include <gtest/gtest.h>

#include <QDir>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include "dbfixture.h"
#include "hostprogram.h"
#include "testmain.h"

namespace {

// No display, no platform named, no runtime folder: a bare ssh session.
QProcessEnvironment bareSession(const QString& home)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "XDG_RUNTIME_DIR", "QDL_DATABASE", "LANGUAGE", "LC_ALL"})
        env.remove(QString::fromLatin1(name));
    env.insert(QStringLiteral("LANG"), QStringLiteral("C.UTF-8"));
    for (const char* name : {"XDG_CONFIG_HOME", "XDG_CONFIG_DIRS", "XDG_DATA_HOME"})
        env.insert(QString::fromLatin1(name), home);
    return env;
}

TEST(CommandLine, AMistakeIsOneLineAndStatusTwoWithoutADisplay)
{
    QTemporaryDir home;
    const QList<QStringList> mistakes = {
        {"--histroy"},                                  // unknown option
        {"--check", "--database"},                      // a value missing
        {"--check", "--history"},                       // two commands
        {"--import-layout", home.filePath("x.layout")}, // a command without what it needs
        {"--since", "2025-01-01"},                      // an option without its command
        {},                                             // the screen, and no display to open it on
    };
    for (const QStringList& arguments : mistakes) {
        const HostRun run = runHostProgram(bareSession(home.path()), arguments);
        SCOPED_TRACE((arguments.join(' ') + "\n" + run.err).toStdString());
        EXPECT_EQ(run.status, 2);
        EXPECT_EQ(run.out, QString());
        EXPECT_EQ(run.err.trimmed().count(QLatin1Char('\n')), 0);
        EXPECT_FALSE(run.err.trimmed().isEmpty());
    }
    // The refusal names the remedy, in the language asked for.
    const HostRun run = runHostProgram(bareSession(home.path()), {"--lang", "en", "--import-layout", home.filePath("x.layout")});
    EXPECT_EQ(run.status, 2);
    EXPECT_TRUE(run.err.startsWith("--import-layout FILE needs --branch CODE")) << run.err.toStdString();
    // Nothing was made on the way: not even the demo database the screen opens.
    EXPECT_EQ(QDir(home.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList());
}

TEST(CommandLine, CommandsRunWithoutAWordFromQt)
{
    QTemporaryDir home;
    const QString database = QStringLiteral("sqlite:") + home.filePath(QStringLiteral("demo.db"));
    const QList<QStringList> commands = {
        {"--create-demo"}, {"--check"}, {"--show-config"}, {"--branches"}, {"--screenshot", home.filePath("screen.png")}};
    for (const QStringList& arguments : commands) {
        const HostRun run = runHostProgram(bareSession(home.path()), QStringList{"--database", database} + arguments);
        SCOPED_TRACE(arguments.join(' ').toStdString());
        EXPECT_EQ(run.status, 0) << run.out.toStdString();
        EXPECT_EQ(run.err, QString());
    }
}

class Branches : public ::testing::TestWithParam<QString> {
protected:
    void SetUp() override
    {
        QDL_REQUIRE_BACKEND(GetParam());
        db = TestDatabase::create(GetParam(), false);
    }
    void TearDown() override { db.drop(); }

    HostRun list(const QString& database)
    {
        QTemporaryDir home;
        return runHostProgram(bareSession(home.path()), {"--database", database, "--lang", "en", "--branches"});
    }

    TestDatabase db;
};

TEST_P(Branches, EachBranchWithItsConfigurationsAreasTablesAndButtons)
{
    const QString mesa = QStringLiteral("INSERT INTO MESA (CDFILIAL, CDLOJA, NRMESA, CDSALA, NMMESA, IDSTMESA, IDSTMESAAUX) VALUES ");
    const QString button = QStringLiteral("INSERT INTO ITMENUCONFTE (CDFILIAL, NRCONFTELA, IDTPBUTTON, NRBUTTON, NRPGCONFTELA, "
                                          "IDTPBUTONAUX, NRBUTTONAUX, NRPGCONFTAUX, CDIDENTBUTON, DSBUTTON) VALUES ");
    for (const QString& row : {QStringLiteral("INSERT INTO LOJA (CDFILIAL, CDLOJA) VALUES ('0101', '00001')"),
                               QStringLiteral("INSERT INTO LOJA (CDFILIAL, CDLOJA) VALUES ('0202', '00001')"),
                               QStringLiteral("INSERT INTO CONFTELA (CDFILIAL, NRCONFTELA, CDLOJA) VALUES ('0101', '00001', '00001')"),
                               QStringLiteral("INSERT INTO SALA (CDFILIAL, CDSALA, NMSALA, IDSITSALA) VALUES ('0101', 'SAL', 'Sala', 'A')"),
                               QStringLiteral("INSERT INTO SALA (CDFILIAL, CDSALA, NMSALA, IDSITSALA) VALUES ('0101', 'VAR', 'Varanda', 'A')"),
                               mesa + QStringLiteral("('0101', '00001', '1', 'SAL', 'M1', 'A', 'D')"),
                               mesa + QStringLiteral("('0101', '00001', '2', 'SAL', 'M2', 'A', 'D')"),
                               mesa + QStringLiteral("('0101', '00001', '3', 'VAR', 'M3', 'A', 'D')"),
                               button + QStringLiteral("('0101', '00001', '4', '01', '1', '0', '0', '0', 'SAL', 'Sala')"),
                               button + QStringLiteral("('0101', '00001', '3', '01', '1', '4', '01', '1', '1', 'M1')"),
                               button + QStringLiteral("('0101', '00001', '3', '02', '1', '4', '01', '1', '2', 'M2')")})
        ASSERT_TRUE(db.exec(row)) << row.toStdString();
    const QString configuration = QStringLiteral("  configuration 00001, store 00001: 2 areas, 3 tables, 1 area button, 2 table buttons.\n");

    HostRun run = list(db.ownerConnectionString);
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.endsWith(": 2 branches.\nBranch 0101\n" + configuration + "Branch 0202: no screen configuration (CONFTELA).\n"))
        << run.out.toStdString();

    if (db.isPostgres()) {
        // A terminal's role sees its own branch only.
        db.grantTerminalBranches({QStringLiteral("0101")});
        run = list(db.connectionString);
        EXPECT_EQ(run.status, 0) << run.err.toStdString();
        EXPECT_TRUE(run.out.endsWith(": 1 branch.\nBranch 0101\n" + configuration)) << run.out.toStdString();

        // Pruning the history is the owner's, and said so before anything is tried.
        run = runHostProgram(QProcessEnvironment::systemEnvironment(),
                             {"--database", db.connectionString, "--lang", "en", "--prune-history", "2999-01-01"});
        EXPECT_EQ(run.status, 2);
        EXPECT_EQ(run.err, QStringLiteral("Only the schema's owner (%1) may prune the history; connect as %1.\n").arg(kTestOwnerRole));
    }
}

INSTANTIATE_TEST_SUITE_P(Backends, Branches, ::testing::ValuesIn(testBackends()), backendName);

} // namespace

QDL_TEST_MAIN()
