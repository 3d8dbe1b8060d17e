// No binary the build makes looks for libraries in the folder it is run
// from. The dynamic loader takes an empty entry of a run path (RUNPATH or
// RPATH), and any entry neither absolute nor starting at $ORIGIN, as
// relative to the current folder: a build-tree program run as root from a
// folder others write to would load a libqdl_data.so.5 planted there.
// Every ELF program and shared library under the build folder is read with
// readelf; not the package's staging tree, which cpack may be writing
// meanwhile (test_debian_package checks the packaged run paths).

#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>

#include "testmain.h"

namespace {

// An ELF executable or shared object (not an object file or an archive).
bool isLinkedElf(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray head = file.read(18);
    if (head.size() < 18 || !head.startsWith("\x7f" "ELF"))
        return false;
    const bool bigEndian = head[5] == 2;
    const int type = bigEndian ? uchar(head[16]) << 8 | uchar(head[17]) : uchar(head[17]) << 8 | uchar(head[16]);
    return type == 2 || type == 3; // ET_EXEC, ET_DYN
}

TEST(RunPaths, NoBinaryOfTheBuildSearchesTheCurrentFolder)
{
    const QString build = qEnvironmentVariable("QDL_BUILD_DIR");
    ASSERT_FALSE(build.isEmpty());
    static const QRegularExpression runPath(QStringLiteral("\\((RPATH|RUNPATH)\\)\\s+Library r\\w*path: \\[(.*)\\]"));
    QStringList withRunPath;
    QDirIterator files(build, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (files.hasNext()) {
        const QString file = files.next();
        if (files.fileInfo().isSymLink() || file.contains(QLatin1String("/_CPack_Packages/")) || !isLinkedElf(file))
            continue;
        QProcess readelf;
        readelf.start(QStringLiteral("readelf"), {QStringLiteral("-d"), QStringLiteral("-W"), file});
        ASSERT_TRUE(readelf.waitForFinished(60000) && readelf.exitCode() == 0) << "readelf -d " << file.toStdString();
        auto paths = runPath.globalMatch(QString::fromLocal8Bit(readelf.readAllStandardOutput()));
        while (paths.hasNext()) {
            const auto m = paths.next();
            withRunPath << file.mid(build.size() + 1);
            QStringList relative = m.captured(2).split(u':');
            relative.removeIf([](const QString& entry) {
                return entry.startsWith(u'/') || entry.startsWith(QLatin1String("$ORIGIN")) || entry.startsWith(QLatin1String("${ORIGIN}"));
            });
            EXPECT_TRUE(relative.isEmpty()) << file.toStdString() << ": " << m.captured(1).toStdString() << " ["
                                            << m.captured(2).toStdString() << "] has " << relative.size()
                                            << " entries relative to the current folder";
        }
    }
    // The scan saw the program and its libraries, which have run paths.
    EXPECT_TRUE(withRunPath.contains(QStringLiteral("bin/qdl-host"))) << withRunPath.join(u' ').toStdString();
    EXPECT_GE(withRunPath.size(), 4) << withRunPath.join(u' ').toStdString();
}

} // namespace

QDL_TEST_MAIN()
