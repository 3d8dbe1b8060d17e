// The Debian package as a machine that installs it sees it. The .deb the
// package target wrote (the CTest fixture debian_package_build makes it
// first) is unpacked with dpkg-deb into a temporary root, and its program
// runs there with nothing of the build tree in sight: no LD_LIBRARY_PATH, no
// build or source folder in the environment, another working directory.
// lintian and desktop-file-validate judge the package and its desktop entry.

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <memory>

#include "testmain.h"

namespace {

struct Outcome {
    bool finished = false; // ended by itself within the bound
    int exitCode = -1;
    QString out;
    QString err;
};

std::string describe(const Outcome& o)
{
    return QStringLiteral("exit %1\n--- stdout\n%2--- stderr\n%3").arg(o.exitCode).arg(o.out, o.err).toStdString();
}

// Runs a program to its end, a minute at most, and keeps what it printed.
Outcome run(const QString& program, const QStringList& arguments,
            const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment(),
            const QString& workingDirectory = QString())
{
    QProcess process;
    process.setProcessEnvironment(environment);
    if (!workingDirectory.isEmpty())
        process.setWorkingDirectory(workingDirectory);
    process.start(program, arguments);
    Outcome outcome;
    outcome.finished = process.waitForFinished(60000) && process.exitStatus() == QProcess::NormalExit;
    if (process.state() != QProcess::NotRunning) {
        process.kill();
        process.waitForFinished(5000);
    }
    outcome.exitCode = process.exitCode();
    outcome.out = QString::fromUtf8(process.readAllStandardOutput());
    outcome.err = QString::fromUtf8(process.readAllStandardError());
    if (process.error() == QProcess::FailedToStart)
        outcome.err += program + QStringLiteral(": ") + process.errorString()
                       + QStringLiteral(" (./test.sh installs what the package tests need)\n");
    return outcome;
}

// The package's names of the packages it depends on, alternatives included.
QSet<QString> dependedOn(const QString& dependsField)
{
    QSet<QString> names;
    static const QRegularExpression separator(QStringLiteral("[,|]"));
    for (const QString& item : dependsField.split(separator)) {
        const QString name = item.trimmed().section(u' ', 0, 0).section(u':', 0, 0);
        if (!name.isEmpty())
            names.insert(name);
    }
    return names;
}

// The package that holds an installed file (dpkg -S), or an empty string.
QString owner(const QString& file)
{
    const Outcome o = run(QStringLiteral("dpkg"), {QStringLiteral("-S"), QFileInfo(file).canonicalFilePath()});
    if (!o.finished || o.exitCode != 0)
        return {};
    return o.out.section(u':', 0, 0).trimmed();
}

bool isElf(const QString& file)
{
    QFile f(file);
    return f.open(QIODevice::ReadOnly) && f.read(4) == QByteArray("\x7f" "ELF");
}

class DebianPackage : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_dir = std::make_unique<QTemporaryDir>();
        s_problem.clear();
        const QString deb = debFile();
        if (deb.isEmpty() || !QFileInfo::exists(deb)) {
            s_problem = QStringLiteral("no package at \"%1\" (the fixture debian_package_build makes it)").arg(deb);
            return;
        }
        const Outcome unpack = run(QStringLiteral("dpkg-deb"), {QStringLiteral("-x"), deb, root()});
        if (!unpack.finished || unpack.exitCode != 0)
            s_problem = QStringLiteral("dpkg-deb -x failed: ") + QString::fromStdString(describe(unpack));
        QDir().mkpath(home() + QStringLiteral("/run"));
        QFile::setPermissions(home() + QStringLiteral("/run"), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    }
    static void TearDownTestSuite() { s_dir.reset(); }

    void SetUp() override { ASSERT_TRUE(s_problem.isEmpty()) << s_problem.toStdString(); }

    static QString debFile() { return qEnvironmentVariable("QDL_DEB_FILE"); }
    static QString root() { return s_dir->filePath(QStringLiteral("root")); }
    static QString home() { return s_dir->filePath(QStringLiteral("home")); }
    static QString program() { return root() + QStringLiteral("/usr/bin/qdl-host"); }
    static QString buildTreeProgram() { return qEnvironmentVariable("QDL_BUILD_DIR") + QStringLiteral("/bin/qdl-host"); }

    // What an installed program meets: the system's environment without the
    // loader's and Qt's variables and without anything that names the build
    // or source folder; a home and configuration folders of its own (no
    // configuration file); the offscreen platform.
    static QProcessEnvironment installedEnvironment()
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        const QString build = qEnvironmentVariable("QDL_BUILD_DIR");
        const QString source = qEnvironmentVariable("QDL_SOURCE_DIR");
        for (const QString& name : env.keys()) {
            const QString value = env.value(name);
            if (name.startsWith(QLatin1String("LD_")) || name.startsWith(QLatin1String("QT_"))
                || name.startsWith(QLatin1String("QDL_")) || (!build.isEmpty() && value.contains(build))
                || (!source.isEmpty() && value.contains(source)))
                env.remove(name);
        }
        env.insert(QStringLiteral("HOME"), home());
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), home() + QStringLiteral("/.config"));
        env.insert(QStringLiteral("XDG_CONFIG_DIRS"), home() + QStringLiteral("/xdg"));
        env.insert(QStringLiteral("XDG_DATA_HOME"), home() + QStringLiteral("/.local/share"));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), home() + QStringLiteral("/run"));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        return env;
    }
    static Outcome runInstalled(const QStringList& arguments, const QProcessEnvironment& env = installedEnvironment())
    {
        return run(program(), arguments, env, home());
    }
    static QString field(const QString& name)
    {
        return run(QStringLiteral("dpkg-deb"), {QStringLiteral("-f"), debFile(), name}).out.trimmed();
    }
    // A file of the package, uncompressed.
    static QString gunzipped(const QString& file)
    {
        return run(QStringLiteral("gzip"), {QStringLiteral("-dc"), root() + file}).out;
    }
    // Every ELF file of the package.
    static QStringList elfFiles()
    {
        QStringList files;
        QDirIterator it(root(), QDir::Files | QDir::NoSymLinks, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString file = it.next();
            if (isElf(file))
                files << file;
        }
        return files;
    }

    static inline std::unique_ptr<QTemporaryDir> s_dir;
    static inline QString s_problem;
};

TEST_F(DebianPackage, TheUnpackedProgramReportsTheProjectVersion)
{
    const Outcome version = runInstalled({QStringLiteral("--version")});
    ASSERT_TRUE(version.finished) << describe(version);
    EXPECT_EQ(version.exitCode, 0) << describe(version);
    EXPECT_EQ(version.out.trimmed().section(u' ', -1).toStdString(), QDL_PROJECT_VERSION) << describe(version);
}

// The whole life of a terminal's first day, from the unpacked tree: the demo
// database made, its layout checked, the screen drawn. The picture is the
// one the build tree's program draws of the same database.
TEST_F(DebianPackage, TheUnpackedProgramCreatesChecksAndDrawsTheDemo)
{
    const QString database = QStringLiteral("sqlite:") + home() + QStringLiteral("/demo.db");
    const Outcome create = runInstalled({QStringLiteral("--create-demo"), QStringLiteral("--database"), database});
    ASSERT_TRUE(create.finished && create.exitCode == 0) << describe(create);
    const Outcome check = runInstalled({QStringLiteral("--check"), QStringLiteral("--database"), database});
    ASSERT_TRUE(check.finished) << describe(check);
    EXPECT_EQ(check.exitCode, 0) << describe(check);

    const QString shot = home() + QStringLiteral("/installed.png");
    const Outcome screen = runInstalled({QStringLiteral("--database"), database, QStringLiteral("--screenshot"), shot});
    ASSERT_TRUE(screen.finished) << describe(screen);
    EXPECT_EQ(screen.exitCode, 0) << describe(screen);

    const QString reference = home() + QStringLiteral("/build-tree.png");
    const Outcome built = run(buildTreeProgram(), {QStringLiteral("--database"), database, QStringLiteral("--screenshot"), reference},
                              installedEnvironment(), home());
    ASSERT_TRUE(built.finished && built.exitCode == 0) << describe(built);
    const QImage installedPicture(shot);
    const QImage builtPicture(reference);
    ASSERT_FALSE(builtPicture.isNull());
    ASSERT_FALSE(installedPicture.isNull()) << shot.toStdString();
    EXPECT_EQ(installedPicture.size(), builtPicture.size());
    EXPECT_TRUE(installedPicture == builtPicture) << "the unpacked program draws another screen";
}

// The program finds its libraries in the unpacked tree, through run paths
// relative to itself: were a run path to name the build folder, or to be
// missing, a library would come from elsewhere or not at all.
TEST_F(DebianPackage, ItsLibrariesResolveInsideTheUnpackedTree)
{
    const QString canonicalRoot = QFileInfo(root()).canonicalFilePath() + u'/';
    const QStringList files = elfFiles();
    ASSERT_GE(files.size(), 4) << "qdl-host, qdl_data, qdl_ui and the package library";
    int ours = 0;
    static const QRegularExpression resolved(QStringLiteral("^\\s*(\\S+) => (.+) \\(0x[0-9a-f]+\\)$"));
    static const QRegularExpression runPath(QStringLiteral("\\((RPATH|RUNPATH)\\)\\s+Library r\\w*path: \\[(.*)\\]"));
    for (const QString& file : files) {
        const Outcome dynamic = run(QStringLiteral("readelf"), {QStringLiteral("-d"), file});
        ASSERT_TRUE(dynamic.finished && dynamic.exitCode == 0) << describe(dynamic);
        auto paths = runPath.globalMatch(dynamic.out);
        while (paths.hasNext()) {
            const auto m = paths.next();
            EXPECT_EQ(m.captured(1).toStdString(), "RUNPATH") << file.toStdString();
            for (const QString& entry : m.captured(2).split(u':'))
                EXPECT_TRUE(entry.startsWith(QLatin1String("$ORIGIN"))) << file.toStdString() << ": " << entry.toStdString();
        }

        const Outcome ldd = run(QStringLiteral("ldd"), {file}, installedEnvironment(), home());
        ASSERT_TRUE(ldd.finished && ldd.exitCode == 0) << file.toStdString() << describe(ldd);
        EXPECT_FALSE(ldd.out.contains(QLatin1String("not found"))) << file.toStdString() << describe(ldd);
        for (const QString& line : ldd.out.split(u'\n')) {
            const auto m = resolved.match(line);
            if (!m.hasMatch() || !(m.captured(1).startsWith(QLatin1String("libqdl_")) || m.captured(1).startsWith(QLatin1String("libPkg_"))))
                continue;
            ++ours;
            EXPECT_TRUE(QFileInfo(m.captured(2)).canonicalFilePath().startsWith(canonicalRoot))
                << file.toStdString() << ": " << line.toStdString();
        }
    }
    EXPECT_GE(ours, 3) << "qdl-host needs qdl_ui and qdl_data, qdl_ui needs qdl_data";
}

// Qt's platform plugins are loaded at run time, where dpkg-shlibdeps does
// not look: every one the program loads must come from a package the .deb
// depends on. So must the databases' own libraries, SQLite's and libpq,
// which the data layer links. The screen is drawn on an X server (the
// terminals' platform) and a PostgreSQL connection is tried, so that each
// kind is loaded; the loader's log says which files.
TEST_F(DebianPackage, EveryPluginItLoadsComesFromAPackageItDependsOn)
{
    const QString database = QStringLiteral("sqlite:") + home() + QStringLiteral("/plugins.db");
    ASSERT_EQ(runInstalled({QStringLiteral("--create-demo"), QStringLiteral("--database"), database}).exitCode, 0);

    const QString logs = home() + QStringLiteral("/ld");
    QDir().mkpath(logs);
    QProcessEnvironment env = installedEnvironment();
    env.insert(QStringLiteral("LD_DEBUG"), QStringLiteral("files"));
    env.insert(QStringLiteral("LD_DEBUG_OUTPUT"), logs + QStringLiteral("/ld"));
    QProcessEnvironment onX = env;
    onX.remove(QStringLiteral("QT_QPA_PLATFORM"));
    onX.remove(QStringLiteral("DISPLAY"));
    onX.remove(QStringLiteral("WAYLAND_DISPLAY"));
    const QString shot = home() + QStringLiteral("/on-x.png");
    const Outcome x = run(QStringLiteral("xvfb-run"),
                          {QStringLiteral("-a"), QStringLiteral("-s"), QStringLiteral("-screen 0 1024x768x24"), program(),
                           QStringLiteral("--database"), database, QStringLiteral("--screenshot"), shot},
                          onX, home());
    ASSERT_TRUE(x.finished) << describe(x);
    EXPECT_EQ(x.exitCode, 0) << describe(x);
    EXPECT_FALSE(QImage(shot).isNull());
    const Outcome pg = runInstalled({QStringLiteral("--check"), QStringLiteral("--database"),
                                     QStringLiteral("postgresql://qdl@/quadrel?host=") + home() + QStringLiteral("/no-server")},
                                    env);
    ASSERT_TRUE(pg.finished) << describe(pg);
    EXPECT_EQ(pg.exitCode, 2) << describe(pg); // no server: the database cannot be read

    static const QRegularExpression loaded(QStringLiteral("file=(\\S+/qt6/plugins/(?:platforms|sqldrivers)/\\S+) \\[0\\];\\s+dynamically loaded by"));
    // A library the loader started, by its full path.
    static const QRegularExpression started(QStringLiteral("calling init: (\\S+/lib(?:sqlite3|pq)\\.so\\S*)"));
    QSet<QString> plugins, databaseLibraries;
    for (const QFileInfo& log : QDir(logs).entryInfoList(QDir::Files)) {
        QFile f(log.filePath());
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(f.readAll());
        auto it = loaded.globalMatch(text);
        while (it.hasNext()) {
            const QString file = it.next().captured(1);
            if (QFileInfo::exists(file)) // the loader also logs the names it only tried
                plugins.insert(QFileInfo(file).canonicalFilePath());
        }
        auto library = started.globalMatch(text);
        while (library.hasNext())
            databaseLibraries.insert(QFileInfo(library.next().captured(1)).canonicalFilePath());
    }
    const auto kinds = [&plugins](const char* kind) {
        return std::count_if(plugins.cbegin(), plugins.cend(), [kind](const QString& p) { return p.contains(QLatin1String(kind)); });
    };
    EXPECT_GE(kinds("/platforms/"), 1) << "no platform plugin seen loaded";
    const auto libraries = [&databaseLibraries](const char* name) {
        return std::count_if(databaseLibraries.cbegin(), databaseLibraries.cend(),
                             [name](const QString& p) { return QFileInfo(p).fileName().startsWith(QLatin1String(name)); });
    };
    EXPECT_EQ(libraries("libsqlite3.so"), 1) << "SQLite's library not seen loaded";
    EXPECT_EQ(libraries("libpq.so"), 1) << "libpq not seen loaded";
    plugins += databaseLibraries;

    const QSet<QString> depends = dependedOn(field(QStringLiteral("Depends")));
    for (const QString& plugin : plugins) {
        const QString package = owner(plugin);
        ASSERT_FALSE(package.isEmpty()) << plugin.toStdString();
        EXPECT_TRUE(depends.contains(package)) << plugin.toStdString() << " comes from " << package.toStdString()
                                               << ", which the package does not depend on";
    }
}

// The screen draws with DejaVu Sans and DejaVu Sans Condensed: the fonts the
// system picks for them come from packages the .deb depends on.
TEST_F(DebianPackage, TheFontsOfTheScreenComeFromPackagesItDependsOn)
{
    const QSet<QString> depends = dependedOn(field(QStringLiteral("Depends")));
    for (const QString& family : {QStringLiteral("DejaVu Sans"), QStringLiteral("DejaVu Sans Condensed")}) {
        const Outcome match = run(QStringLiteral("fc-match"), {QStringLiteral("-f"), QStringLiteral("%{file}"), family});
        ASSERT_TRUE(match.finished && match.exitCode == 0) << describe(match);
        const QString package = owner(match.out);
        ASSERT_FALSE(package.isEmpty()) << match.out.toStdString();
        EXPECT_TRUE(depends.contains(package)) << family.toStdString() << ": " << match.out.toStdString()
                                               << " comes from " << package.toStdString();
    }
}

// The package's version is the project's, and its changelog's last entry
// is that version.
TEST_F(DebianPackage, TheChangelogNamesThePackagedVersion)
{
    EXPECT_EQ(field(QStringLiteral("Version")).toStdString(), QDL_PROJECT_VERSION);
    const QString changelog = gunzipped(QStringLiteral("/usr/share/doc/") + field(QStringLiteral("Package"))
                                        + QStringLiteral("/changelog.gz"));
    static const QRegularExpression head(QStringLiteral("^(\\S+) \\(([^)]+)\\)"));
    const auto m = head.match(changelog);
    ASSERT_TRUE(m.hasMatch()) << changelog.toStdString();
    EXPECT_EQ(m.captured(1).toStdString(), field(QStringLiteral("Package")).toStdString());
    EXPECT_EQ(m.captured(2).toStdString(), QDL_PROJECT_VERSION);
}

// The manual page is made from this program's help: every option the help
// lists is in it, and in the synopsis that the page's own text gives.
TEST_F(DebianPackage, TheManualPageDescribesEveryOptionOfTheHelp)
{
    const Outcome help = runInstalled({QStringLiteral("--lang=en"), QStringLiteral("--help")});
    ASSERT_TRUE(help.finished && help.exitCode == 0) << describe(help);
    QString page = gunzipped(QStringLiteral("/usr/share/man/man1/qdl-host.1.gz"));
    ASSERT_TRUE(page.startsWith(QLatin1String(".\\\""))) << "not a manual page: " << page.left(200).toStdString();
    page.replace(QStringLiteral("\\-"), QStringLiteral("-"));
    const qsizetype synopsisAt = page.indexOf(QLatin1String(".SH SYNOPSIS"));
    ASSERT_GE(synopsisAt, 0);
    // The synopsis's words: option names, with the markup between them gone.
    static const QRegularExpression notAWord(QStringLiteral("[^a-z-]+"));
    const QStringList synopsis = page.mid(synopsisAt, page.indexOf(QLatin1String(".SH "), synopsisAt + 1) - synopsisAt)
                                     .replace(notAWord, QStringLiteral(" "))
                                     .split(u' ', Qt::SkipEmptyParts);
    static const QRegularExpression option(QStringLiteral("^\\s+(?:-\\w, )?(--[a-z][a-z-]*)"), QRegularExpression::MultilineOption);
    int options = 0;
    auto it = option.globalMatch(help.out);
    while (it.hasNext()) {
        const QString name = it.next().captured(1);
        ++options;
        EXPECT_TRUE(page.contains(name)) << name.toStdString();
        EXPECT_TRUE(synopsis.contains(name)) << name.toStdString() << " is not in the synopsis";
    }
    EXPECT_GE(options, 6) << help.out.toStdString();

    // And what an administrator looks up beside the options: the files,
    // the environment, the exit statuses, examples.
    for (const char* section : {".SH \"EXIT STATUS\"", ".SH ENVIRONMENT", ".SH FILES", ".SH EXAMPLES"})
        EXPECT_TRUE(page.contains(QLatin1String(section))) << section;
    for (const char* name : {"quadrel/qdl-host.conf", "quadrel/PARAMETROSQDL.CDS", "quadrel/qdl-demo.db", "QDL_DATABASE",
                             "QDL_WAIT_LIMIT", "PGPASSFILE"})
        EXPECT_TRUE(page.contains(QLatin1String(name))) << name;
}

// The layout file's format, which --help and the manual cite, travels with
// the package as written in the sources.
TEST_F(DebianPackage, TheLayoutFormatIsInThePackage)
{
    const QString installed = gunzipped(QStringLiteral("/usr/share/doc/") + field(QStringLiteral("Package"))
                                        + QStringLiteral("/layout-format.md.gz"));
    QFile source(qEnvironmentVariable("QDL_SOURCE_DIR") + QStringLiteral("/docs/layout-format.md"));
    ASSERT_TRUE(source.open(QIODevice::ReadOnly)) << source.fileName().toStdString();
    EXPECT_TRUE(installed == QString::fromUtf8(source.readAll()))
        << "layout-format.md.gz is missing from the package or is not docs/layout-format.md";
}

// The desktop entry passes desktop-file-validate, starts the program the
// package installs and shows an icon it installs, drawn at the size its
// folder names.
TEST_F(DebianPackage, TheDesktopEntryIsValidAndNamesWhatThePackageHolds)
{
    const QStringList entries = QDir(root() + QStringLiteral("/usr/share/applications")).entryList({QStringLiteral("*.desktop")});
    ASSERT_EQ(entries.size(), 1);
    const QString entry = root() + QStringLiteral("/usr/share/applications/") + entries.first();
    const Outcome validate = run(QStringLiteral("desktop-file-validate"), {entry});
    ASSERT_TRUE(validate.finished) << describe(validate);
    EXPECT_EQ(validate.exitCode, 0) << describe(validate);
    EXPECT_TRUE((validate.out + validate.err).trimmed().isEmpty()) << describe(validate);

    QFile f(entry);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    QString exec, icon;
    for (const QString& line : QString::fromUtf8(f.readAll()).split(u'\n')) {
        if (line.startsWith(QLatin1String("Exec=")))
            exec = line.mid(5).section(u' ', 0, 0);
        else if (line.startsWith(QLatin1String("Icon=")))
            icon = line.mid(5);
    }
    EXPECT_TRUE(QFileInfo(root() + QStringLiteral("/usr/bin/") + exec).isExecutable()) << exec.toStdString();

    const QString theme = root() + QStringLiteral("/usr/share/icons/hicolor");
    int sizes = 0;
    for (const QString& size : QDir(theme).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        const QImage picture(theme + u'/' + size + QStringLiteral("/apps/") + icon + QStringLiteral(".png"));
        ASSERT_FALSE(picture.isNull()) << size.toStdString() << " " << icon.toStdString();
        EXPECT_EQ(QStringLiteral("%1x%2").arg(picture.width()).arg(picture.height()).toStdString(), size.toStdString());
        ++sizes;
    }
    EXPECT_GE(sizes, 1) << "no icon " << icon.toStdString();
}

// Every binary of the package is built with Debian's hardening flags, as
// hardening-check (devscripts) reads them: PIE (the program), stack
// protector, read-only relocations bound at start-up. Fortified calls are
// looked for in the package as a whole: in a library where the compiler
// proves every size it needs no checked call, and hardening-check then says
// "only unprotected functions" of a fortified build. Control-flow protection
// is compiled in, but bookworm's glibc start files carry no IBT/SHSTK note,
// so the linker can mark no program with it: not asked. Stack clash
// protection shows only in large stack frames ("unknown", not "no").
TEST_F(DebianPackage, EveryBinaryIsHardened)
{
    const QStringList files = elfFiles();
    ASSERT_GE(files.size(), 4) << "qdl-host, qdl_data, qdl_ui and the package library";
    int fortified = 0;
    for (const QString& file : files) {
        const Outcome check = run(QStringLiteral("hardening-check"), {QStringLiteral("--nofortify"), QStringLiteral("--nocfprotection"), file});
        ASSERT_TRUE(check.finished) << describe(check);
        EXPECT_EQ(check.exitCode, 0) << describe(check);
        std::printf("%s", qPrintable(check.out));
        if (check.out.contains(QLatin1String("Fortify Source functions: yes")))
            ++fortified;
    }
    EXPECT_GE(fortified, 1) << "no fortified libc call in the package: built without _FORTIFY_SOURCE";
}

// lintian, Debian's own package checker, finds no error in the package, even
// pedantic. Its other tags are printed, not failed on.
TEST_F(DebianPackage, LintianReportsNoError)
{
    const Outcome lintian = run(QStringLiteral("lintian"),
                                {QStringLiteral("--pedantic"), QStringLiteral("--fail-on"), QStringLiteral("none"), debFile()});
    ASSERT_TRUE(lintian.finished) << describe(lintian);
    ASSERT_EQ(lintian.exitCode, 0) << describe(lintian);
    QStringList errors;
    for (const QString& line : lintian.out.split(u'\n')) {
        if (line.startsWith(QLatin1String("E:")))
            errors << line;
        else if (!line.isEmpty())
            std::printf("lintian: %s\n", qPrintable(line));
    }
    EXPECT_TRUE(errors.isEmpty()) << errors.join(u'\n').toStdString();
}

} // namespace

QDL_TEST_MAIN()
