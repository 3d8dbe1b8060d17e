// The package as the host sees it: its entry, its unit table and its
// lifecycle, through the shared library itself; and qdl-host loading it.

#include <QDir>
#include <QFile>
#include <QImage>
#include <QPointer>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "Cli_qdl00005.h"
#include "Pkg_qdl00005.h"
#include "Srv_qdl00005.h"
#include "connection.h"
#include "dbfixture.h"
#include "process.h"
#include "scriptedhost.h"
#include "testmain.h"

namespace {

// Leaves the screen through its own leave command once it is shown.
void leaveWhenShown()
{
    auto* timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer] {
        if (frmConfMesa && frmConfMesa->isVisible()) {
            timer->stop();
            timer->deleteLater();
            QTest::mouseClick(frmConfMesa->tcbSair, Qt::LeftButton);
        }
    });
    timer->start();
}

class PackageTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        db = TestDatabase::create(QStringLiteral("sqlite"), true);
        setConnectionStringOverride(db.connectionString);
        setHostExecutableDir(dir.path());
        Initialize();
    }
    void TearDown() override
    {
        Finalize();
        setHostExecutableDir(QString());
        setConnectionStringOverride(QString());
        db.drop();
    }
    void runEntry(const QVariantList& params = {})
    {
        QVariant result(QStringLiteral("host's own"));
        leaveWhenShown();
        CriaTelaQdl00005(params.isEmpty() ? nullptr : params.constData(), int(params.size()) - 1, &result);
        EXPECT_EQ(result.toString(), QStringLiteral("host's own")); // never written
    }

    TestDatabase db;
    QTemporaryDir dir;
    ScriptedHost host;
};

TEST_F(PackageTest, EachCallCreatesAndFreesItsOwnFormAndDataModule)
{
    QList<QPointer<QObject>> forms;
    for (int call = 0; call < 2; ++call) {
        QTimer::singleShot(0, [&] { forms << QPointer<QObject>(frmConfMesa); });
        runEntry(call == 0 ? QVariantList{} : QVariantList{1, QStringLiteral("x"), 2.5});
        EXPECT_EQ(frmConfMesa, nullptr);
        EXPECT_EQ(rdmConfMesa, nullptr);
        EXPECT_TRUE(host.messages.isEmpty());
    }
    ASSERT_EQ(forms.size(), 2);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); // the close handler's release
    for (const auto& f : forms)
        EXPECT_TRUE(f.isNull());
    EXPECT_EQ(stCdfilial, QStringLiteral("9999")); // whatever the parameters held
    EXPECT_EQ(stNrConf, QStringLiteral("00001"));
}

TEST_F(PackageTest, AnUnreachableDatabaseGivesOneReportWithCode002)
{
    setConnectionStringOverride(QStringLiteral("sqlite:") + dir.filePath("missing.db"));
    runEntry();
    ASSERT_EQ(host.messages.size(), 1);
    EXPECT_EQ(host.messages[0].code, QStringLiteral("002"));
    EXPECT_TRUE(host.messages[0].text.contains("missing.db")) << host.messages[0].text.toStdString();
    EXPECT_EQ(frmConfMesa, nullptr);
    EXPECT_EQ(rdmConfMesa, nullptr);
    EXPECT_FALSE(QFile::exists(dir.filePath("missing.db")));
}

TEST_F(PackageTest, ABrokenParametersFileIsReportedAndNothingIsLeftOpen)
{
    QFile f(dir.filePath("PARAMETROSQDL.CDS"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("<DATAPACKET><METADATA><FIELDS><FIELD attrname=\"INCOR1\" fieldtype=\"i4\"/></FIELDS></METADATA>"
            "<ROWDATA><ROW INCOR1=\"1\"/></ROWDATA></DATAPACKET>");
    f.close();
    runEntry();
    ASSERT_EQ(host.messages.size(), 1);
    EXPECT_EQ(host.messages[0].code, QStringLiteral("002"));
    EXPECT_TRUE(host.messages[0].text.contains("INCOR2")) << host.messages[0].text.toStdString();
    EXPECT_EQ(frmConfMesa, nullptr);
    EXPECT_EQ(rdmConfMesa, nullptr);
}

TEST_F(PackageTest, AFormLeftByTheHostIsReplacedNotFreed)
{
    QPointer<TfrmConfMesa> left = new TfrmConfMesa(nullptr);
    frmConfMesa = left;
    runEntry();
    EXPECT_FALSE(left.isNull());
    EXPECT_EQ(frmConfMesa, nullptr);
    delete left;
}

TEST_F(PackageTest, UnitsStartOnceAndStopOnTheLastFinalize)
{
    const PackageInfoTable* table = GetPackageInfoTable();
    ASSERT_NE(table, nullptr);
    QStringList names;
    for (int i = 0; i < table->unitCount; ++i)
        names << QString::fromLatin1(table->units[i].name);
    EXPECT_LT(names.indexOf("Srv_qdl00005"), names.indexOf("Cli_qdl00005"));
    EXPECT_LT(names.indexOf("_dll"), names.indexOf("Srv_qdl00005"));
    EXPECT_EQ(QString::fromLatin1(PackageVersion()), QStringLiteral(QDL_PROJECT_VERSION));

    stNrConf = QStringLiteral("00001");
    Initialize(); // a second run of the table starts nothing again
    Finalize();
    EXPECT_EQ(stNrConf, QStringLiteral("00001"));
    Finalize();
    EXPECT_TRUE(stNrConf.isEmpty()); // the last Finalize released the texts
    Initialize();                    // for TearDown's Finalize
}

TEST(HostProgram, LoadsThePackageOpensTheScreenAndLeaves)
{
    const QString bin = qEnvironmentVariable("QDL_BUILD_DIR") + QStringLiteral("/bin/qdl-host");
    ASSERT_TRUE(QFile::exists(bin)) << bin.toStdString();
    QTemporaryDir dir;
    const QString database = dir.filePath("demo.db");
    const QString shot = dir.filePath("shot.png");

    QProcess create;
    create.start(bin, {"--database", "sqlite:" + database, "--create-demo"});
    ASSERT_TRUE(create.waitForFinished(60000));
    ASSERT_EQ(create.exitCode(), 0) << create.readAllStandardError().toStdString();
    QProcess again; // a database that already holds the tables is refused
    again.start(bin, {"--database", "sqlite:" + database, "--create-demo"});
    ASSERT_TRUE(again.waitForFinished(60000));
    EXPECT_NE(again.exitCode(), 0);

    QProcess screen;
    screen.start(bin, {"--database", "sqlite:" + database, "--screenshot", shot});
    ASSERT_TRUE(screen.waitForFinished(60000));
    EXPECT_EQ(screen.exitCode(), 0) << screen.readAllStandardError().toStdString();
    EXPECT_GT(QFileInfo(shot).size(), 10000);

    QProcess missing;
    missing.start(bin, {"--database", "sqlite:" + dir.filePath("nothing.db")});
    ASSERT_TRUE(missing.waitForFinished(60000));
    EXPECT_NE(missing.exitCode(), 0);
    EXPECT_FALSE(QFile::exists(dir.filePath("nothing.db")));
}

// The symbols a library defines for others (nm -D) or needs from them (nm -u
// on an archive), demangled.
QStringList symbols(const QStringList& nmArguments)
{
    QProcess nm;
    nm.start(QStringLiteral("nm"), QStringList{QStringLiteral("-C")} + nmArguments);
    if (!nm.waitForFinished(60000) || nm.exitCode() != 0) {
        ADD_FAILURE() << "nm " << nmArguments.join(' ').toStdString() << ": "
                      << nm.readAllStandardError().toStdString();
        return {};
    }
    // "address type name" for a defined symbol, "type name" for a needed one;
    // a demangled name may hold blanks.
    static const QRegularExpression line(QStringLiteral("^\\s*(?:[0-9a-f]+\\s+)?[A-Za-z]\\s+(.+)$"));
    QStringList names;
    for (const QString& text : QString::fromUtf8(nm.readAllStandardOutput()).split(u'\n')) {
        const QRegularExpressionMatch m = line.match(text);
        if (m.hasMatch())
            names << m.captured(1);
    }
    return names;
}

TEST(PackageLibrary, ExportsItsEntryPointsAndNothingElse)
{
    const QString build = qEnvironmentVariable("QDL_BUILD_DIR");
    QStringList exported = symbols({QStringLiteral("-D"), QStringLiteral("--defined-only"),
                                    build + QStringLiteral("/bin/libPkg_qdl00005.so")});
    exported.removeIf([](const QString& name) { return name.startsWith(u'_'); }); // _init, _fini, __bss_start...
    exported.sort();
    EXPECT_EQ(exported, (QStringList{"Cli_qdl00005_CriaTelaQdl00005", "CriaTelaQdl00005", "Finalize",
                                     "GetPackageInfoTable", "Initialize", "PackageVersion"}));
}

TEST(PackageLibrary, TheServicesNeedNoWidgets)
{
    const QStringList needed = symbols({QStringLiteral("-u"), qEnvironmentVariable("QDL_BUILD_DIR")
                                                                  + QStringLiteral("/srv/libqdl_srv.a")});
    ASSERT_FALSE(needed.isEmpty());
    for (const QString& name : needed) {
        for (const char* widget : {"QWidget", "QApplication", "QDialog", "QAbstractButton", "QLabel", "QPixmap"})
            EXPECT_FALSE(name.contains(QLatin1String(widget))) << name.toStdString();
    }
}

// Nobody is there to answer a start-up error during --screenshot: the picture
// shows the message, and the program ends with an error instead of waiting.
TEST(HostProgram, AScreenshotOfAFailedStartUpShowsTheMessageAndFails)
{
    const QString bin = qEnvironmentVariable("QDL_BUILD_DIR") + QStringLiteral("/bin/qdl-host");
    QTemporaryDir dir;
    QFile notADatabase(dir.filePath("text.db"));
    ASSERT_TRUE(notADatabase.open(QIODevice::WriteOnly));
    notADatabase.write(QByteArray(4096, 'x'));
    notADatabase.close();
    const QString shot = dir.filePath("shot.png");

    QProcess screen;
    screen.start(bin, {"--database", "sqlite:" + notADatabase.fileName(), "--screenshot", shot});
    ASSERT_TRUE(screen.waitForFinished(60000)) << "qdl-host waited for an answer";
    // What the program said (a sanitizer's report, say) comes with a failure.
    EXPECT_EQ(screen.exitStatus(), QProcess::NormalExit) << screen.readAllStandardError().toStdString();
    EXPECT_EQ(screen.exitCode(), 2) << screen.readAllStandardError().toStdString();
    const QImage picture(shot);
    ASSERT_FALSE(picture.isNull());
    EXPECT_NE(picture.size(), QSize(800, 600)); // the message, not the screen
}

} // namespace

QDL_TEST_MAIN()
