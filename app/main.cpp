// qdl-host: the host program. It chooses the database, installs the host's
// dialogs and error report, loads the screen package at run time and calls
// its entry.

#include <QAbstractButton>
#include <QApplication>
#include <QCommandLineParser>
#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QLibrary>
#include <QPointer>
#include <QSqlDatabase>
#include <QTimer>
#include <QTextStream>
#include <QUrl>
#include <cstdio>

#include "connection.h"
#include "consistency.h"
#include "demodb.h"
#include "dialogs/install.h"
#include "errors.h"
#include "pngfile.h"
#include "theme.h"

namespace {

using EntryFn = void (*)(const QVariant*, int, QVariant*);
using VoidFn = void (*)();

void say(const QString& text)
{
    std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
}

// Creates the tables and the demo rows in an empty database and says what
// it holds.
void createDemo(const QString& connectionString)
{
    createQdlDatabaseAt(connectionString, true);
    const QString name = QStringLiteral("qdl-host-describe");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(driverOf(connectionString), name);
        applyConnectionString(db, connectionString);
        if (db.open())
            say(describeQdlDatabase(db));
    }
    QSqlDatabase::removeDatabase(name);
}

// --screenshot: once the screen is shown, render it to the file and leave
// through its leave command. The picture is rendered straight away, before
// the window's own first paint: the screen is painted once, not twice.
// When start-up fails instead, the picture shows the message that says why,
// the message is closed (nobody is there to answer it) and the program ends
// with status 2.
bool g_screenshotFailed = false;
bool g_startupFailed = false;

// Renders a window in strips straight into the file: the picture of the
// whole window is never held.
bool saveWindowPicture(QWidget* w, const QString& file)
{
    const auto strip = [w](int top, int rows) {
        QImage pixels(w->width(), rows, QImage::Format_RGB32);
        pixels.fill(w->palette().color(w->backgroundRole()));
        w->render(&pixels, QPoint(), QRegion(0, top, w->width(), rows));
        return pixels;
    };
    if (writeFastPng(w->size(), strip, file))
        return true;
    say(QCoreApplication::translate("qdl-host", "Não foi possível gravar %1").arg(file));
    return false;
}

void scheduleScreenshot(const QString& file)
{
    auto* timer = new QTimer(qApp);
    timer->setInterval(0); // look on every turn of the event loop: the screen shows within milliseconds
    QObject::connect(timer, &QTimer::timeout, timer, [timer, file] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (!w->isVisible())
                continue;
            if (w->objectName() == QLatin1String("frmConfMesa")) {
                timer->stop();
                g_screenshotFailed = !saveWindowPicture(w, file);
                if (auto* leave = w->findChild<QAbstractButton*>(QStringLiteral("tcbSair")))
                    leave->click();
                timer->deleteLater();
                return;
            }
            if (w->objectName() == QLatin1String("messageDialog")) {
                timer->stop();
                g_startupFailed = true;
                g_screenshotFailed = !saveWindowPicture(w, file);
                if (auto* dialog = qobject_cast<QDialog*>(w))
                    dialog->reject();
                timer->deleteLater();
                return;
            }
        }
    });
    timer->start();
}

// The package library: beside the program in a build tree, in the private
// library folder once installed (named relative to the program, so that an
// unpacked package runs wherever its root is).
QString packageLibrary()
{
    const QDir programDir(QApplication::applicationDirPath());
    if (QFileInfo::exists(programDir.filePath(QStringLiteral("libPkg_qdl00005.so"))))
        return programDir.filePath(QStringLiteral("Pkg_qdl00005"));
    return QDir::cleanPath(programDir.filePath(QStringLiteral(QDL_INSTALLED_PACKAGE_DIR "/Pkg_qdl00005")));
}

} // namespace

int main(int argc, char** argv)
{
    // Checking the layout, creating the demo database and printing help open
    // no window: they must run where there is no display. The language is
    // read here too: help and command-line errors are printed in it.
    QString language;
    for (int i = 1; i < argc; ++i) {
        const QByteArray arg(argv[i]);
        if (arg == "--lang" && i + 1 < argc)
            language = QString::fromLocal8Bit(argv[i + 1]);
        else if (arg.startsWith("--lang="))
            language = QString::fromLocal8Bit(arg.mid(7));
        const bool windowless = arg == "--check" || arg == "--branch" || arg.startsWith("--branch=") || arg == "--create-demo"
                                || arg == "--help" || arg == "-h" || arg == "--version" || arg == "-v";
        if (windowless && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("quadrel"));
    QApplication::setApplicationVersion(QStringLiteral(QDL_VERSION));
    installLanguage(language);

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QCoreApplication::translate("qdl-host", "Quadrel - configuração da tela de mesas (Qdl00005)"));
    parser.addHelpOption();
    parser.addVersionOption();
    QCommandLineOption database(QStringLiteral("database"),
                                QCoreApplication::translate("qdl-host", "Banco de dados: sqlite:CAMINHO ou postgresql://usuario@servidor:porta/banco."),
                                QStringLiteral("URL"));
    QCommandLineOption createDemoOption(QStringLiteral("create-demo"),
                                        QCoreApplication::translate("qdl-host", "Cria as tabelas e os dados de demonstração em um banco vazio e sai."));
    QCommandLineOption screenshot(QStringLiteral("screenshot"),
                                  QCoreApplication::translate("qdl-host", "Abre a tela, grava-a em PNG assim que pintada e sai."),
                                  QCoreApplication::translate("qdl-host", "ARQUIVO"));
    QCommandLineOption lang(QStringLiteral("lang"), QCoreApplication::translate("qdl-host", "Idioma: pt (padrão) ou en."),
                            QCoreApplication::translate("qdl-host", "IDIOMA"));
    QCommandLineOption check(QStringLiteral("check"),
                             QCoreApplication::translate("qdl-host", "Confere o leiaute gravado, lista cada regra violada e sai "
                                "(0 consistente, 1 problemas encontrados, 2 banco de dados ilegível)."));
    QCommandLineOption branch(QStringLiteral("branch"),
                              QCoreApplication::translate("qdl-host", "Com --check: confere só o leiaute da filial CÓDIGO."),
                              QCoreApplication::translate("qdl-host", "CÓDIGO"));
    parser.addOptions({database, createDemoOption, screenshot, lang, check, branch});
    parser.process(app);

    try {
        if (parser.isSet(database))
            setConnectionStringOverride(parser.value(database));
        const QString connection = _GetStringConexQdl(QString());

        if (parser.isSet(branch) && (!parser.isSet(check) || parser.value(branch).trimmed().isEmpty())) {
            say(QCoreApplication::translate("qdl-host", "--branch CÓDIGO só vale com --check e o código de uma filial."));
            return 2;
        }
        if (parser.isSet(check)) {
            // Before the demo is created: a check never makes the database it reads.
            QTextStream out(stdout);
            return runLayoutCheck(connection, out, parser.value(branch));
        }

        if (parser.isSet(createDemoOption)) {
            createDemo(connection);
            return 0;
        }

        const QString path = sqlitePathOf(connection);
        if (!path.isEmpty() && !QFileInfo::exists(path)) {
            if (parser.isSet(database) || qEnvironmentVariableIsSet("QDL_DATABASE")) {
                say(QCoreApplication::translate("qdl-host", "Banco de dados não encontrado: %1").arg(path));
                return 2;
            }
            say(QCoreApplication::translate("qdl-host", "Criando o banco de dados de demonstração em %1").arg(path));
            createDemo(connection);
        }
    } catch (const std::exception& e) {
        say(QString::fromUtf8(e.what()));
        return 2;
    }

    installHostDialogs();

    QLibrary package(packageLibrary());
    if (!package.load()) {
        say(QCoreApplication::translate("qdl-host", "Não foi possível carregar o pacote: %1").arg(package.errorString()));
        return 3;
    }
    const auto initialize = reinterpret_cast<VoidFn>(package.resolve("Initialize"));
    const auto finalize = reinterpret_cast<VoidFn>(package.resolve("Finalize"));
    const auto entry = reinterpret_cast<EntryFn>(package.resolve("CriaTelaQdl00005"));
    if (!initialize || !finalize || !entry) {
        say(QCoreApplication::translate("qdl-host", "O pacote não exporta CriaTelaQdl00005/Initialize/Finalize."));
        return 3;
    }

    if (parser.isSet(screenshot))
        scheduleScreenshot(parser.value(screenshot));

    initialize();
    QVariant result;
    entry(nullptr, -1, &result);
    finalize();
    if (g_startupFailed)
        return 2;
    return g_screenshotFailed ? 1 : 0;
}
