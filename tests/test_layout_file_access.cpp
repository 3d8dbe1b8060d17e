// What --export-layout and --import-layout do with the name they are given,
// run as an administrator runs them (often as root, in a folder others may
// write): an export writes only a regular file of that name, never through
// a link nor over a device or a FIFO; an import reads only a regular file,
// no larger than the documented limit, and never waits on a FIFO.

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <sys/stat.h>

#include "dbfixture.h"
#include "hostprogram.h"
#include "testmain.h"

namespace {

class LayoutFileAccess : public ::testing::Test {
protected:
    void SetUp() override
    {
        db = TestDatabase::create(QStringLiteral("sqlite"));
        ASSERT_TRUE(dir.isValid());
    }
    void TearDown() override { db.drop(); }

    HostRun run(const char* option, const QString& file) const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_CONFIG_HOME", db.name);
        env.insert("XDG_CONFIG_DIRS", db.name);
        return runHostProgram(env, {"--lang", "pt", "--database", db.connectionString, QLatin1String(option), file, "--branch", "9999"});
    }
    QString path(const char* name) const { return dir.filePath(QLatin1String(name)); }
    QStringList names() const { return QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot); }

    TestDatabase db;
    QTemporaryDir dir;
};

TEST_F(LayoutFileAccess, ExportWritesNeitherThroughALinkNorOverAFifo)
{
    QFile victim(path("victim"));
    ASSERT_TRUE(victim.open(QIODevice::WriteOnly));
    victim.write("someone else's\n");
    victim.close();
    ASSERT_TRUE(QFile::link(path("victim"), path("link")));
    ASSERT_EQ(::mkfifo(QFile::encodeName(path("fifo")).constData(), 0600), 0);
    const QStringList before = names();

    for (const char* name : {"link", "fifo"}) {
        const HostRun r = run("--export-layout", path(name));
        EXPECT_EQ(r.status, 2) << name << ": " << r.out.toStdString() << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(QStringLiteral("não é um arquivo comum"))) << r.err.toStdString();
    }
    EXPECT_TRUE(QFileInfo(path("link")).isSymLink());
    EXPECT_FALSE(QFileInfo(path("fifo")).isFile());
    ASSERT_TRUE(victim.open(QIODevice::ReadOnly));
    EXPECT_EQ(victim.readAll().toStdString(), "someone else's\n");
    EXPECT_EQ(names(), before) << "a file was left behind";
}

// The export replaces a regular file through a new one: the old file's
// permissions go with the name.
TEST_F(LayoutFileAccess, ExportOverAFileKeepsItsPermissions)
{
    const QByteArray name = QFile::encodeName(path("central.layout"));
    QFile old(path("central.layout"));
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.close();
    ASSERT_EQ(::chmod(name.constData(), 0640), 0);

    const HostRun r = run("--export-layout", path("central.layout"));
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    struct stat st;
    ASSERT_EQ(::stat(name.constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    ASSERT_TRUE(old.open(QIODevice::ReadOnly));
    EXPECT_TRUE(old.readAll().startsWith("quadrel-layout\t1\n"));
    EXPECT_EQ(names(), QStringList{"central.layout"});
}

// A FIFO nobody writes to would keep the import waiting for ever.
TEST_F(LayoutFileAccess, ImportRefusesAFifoAtOnce)
{
    ASSERT_EQ(::mkfifo(QFile::encodeName(path("fifo")).constData(), 0600), 0);
    const HostRun r = run("--import-layout", path("fifo"));
    EXPECT_EQ(r.status, 2) << r.out.toStdString() << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(QStringLiteral("não é um arquivo comum"))) << r.err.toStdString();
}

// A file past the limit is refused by its size, unread (a sparse one here:
// it takes no disk).
TEST_F(LayoutFileAccess, ImportRefusesAFileOverTheLimit)
{
    QFile big(path("big.layout"));
    ASSERT_TRUE(big.open(QIODevice::WriteOnly));
    ASSERT_TRUE(big.resize(64 * 1024 * 1024 + 1));
    big.close();
    const HostRun r = run("--import-layout", path("big.layout"));
    EXPECT_EQ(r.status, 2) << r.out.toStdString() << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(QStringLiteral("mais que os 64 MiB"))) << r.err.toStdString();
}

} // namespace

QDL_TEST_MAIN()
