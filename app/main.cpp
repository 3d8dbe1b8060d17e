// qdl-host: the host program. It resolves its settings (hostconfig.h),
// installs the host's dialogs and error report, loads the screen package at
// run time and calls its entry.

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QLibrary>
#include <QPointer>
#include <QTimer>
#include <QTextStream>
#include <QUrl>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <variant>

#include "historywriter.h"
#include "adoconnection.h"
#include "checkcommand.h"
#include "connection.h"
#include "consistency.h"
#include "demodb.h"
#include "schemaupgrade.h"
#include "terminalroles.h"
#include "dialogs/install.h"
#include "errors.h"
#include "arguments.h"
#include "branchescommand.h"
#include "historycommand.h"
#include "hostconfig.h"
#include "layoutcommand.h"
#include "pngfile.h"
#include "runtimefolder.h"
#include "process.h"
#include "screenscale.h"
#include "theme.h"

namespace {

using EntryFn = void (*)(const QVariant*, int, QVariant*);
using VoidFn = void (*)();

void say(const QString& text)
{
    std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
}

// Creates the tables and the demo rows in an empty database, then says what
// it holds.
void createDemo(const QString& connectionString)
{
    createQdlDatabaseAt(connectionString, true);
    TADOConnection db;
    db.ConnectionString = connectionString;
    db.setConnected(true);
    QTextStream(stdout) << describeQdlDatabase(db) << Qt::endl;
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
        const auto visible = [](const char* name) -> QWidget* {
            for (QWidget* w : QApplication::topLevelWidgets())
                if (w->isVisible() && w->objectName() == QLatin1String(name))
                    return w;
            return nullptr;
        };
        const auto leave = [](QWidget* form) {
            if (auto* button = form ? form->findChild<QAbstractButton*>(QStringLiteral("tcbSair")) : nullptr)
                button->click();
        };
        // A message over the screen, or instead of it, is what start-up
        // said: its picture is taken, nobody answers it, and the screen (if
        // it opened) is left.
        if (QWidget* message = visible("messageDialog")) {
            timer->stop();
            g_startupFailed = true;
            g_screenshotFailed = !saveWindowPicture(message, file);
            if (auto* dialog = qobject_cast<QDialog*>(message))
                dialog->reject();
            leave(visible("frmConfMesa"));
            timer->deleteLater();
            return;
        }
        if (QWidget* form = visible("frmConfMesa")) {
            timer->stop();
            g_screenshotFailed = !saveWindowPicture(form, file);
            leave(form);
            timer->deleteLater();
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

// Where the screen would open: a platform named by QT_QPA_PLATFORM
// (offscreen, vnc, xcb...), or the session's display.
bool displayGiven()
{
    for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
        if (!qEnvironmentVariableIsEmpty(name))
            return true;
    return false;
}

// Qt ends the program with abort() when its platform cannot start (no X
// server at DISPLAY, a platform plugin it cannot load), after lines of its
// own. While the application object is made they are held back: the fatal
// one is replaced by one line of ours and status 2; the others are let
// through once the application stands.
struct HeldMessage {
    QtMsgType type;
    QByteArray category;
    QString text;
};
QList<HeldMessage>* g_heldMessages = nullptr;
QString g_cannotOpenDisplay; // worded beforehand: no translator is there while it is said

void holdPlatformMessage(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    if (type == QtFatalMsg) {
        say(g_cannotOpenDisplay);
        std::fflush(stderr);
        std::_Exit(2);
    }
    g_heldMessages->append({type, QByteArray(context.category), text});
}

// Platforms without a window manager (offscreen, the framebuffer ones) say
// so each time the screen or a dialog sets its rounded outline or its size
// hints. The outline is kept all the same: it clips what the window paints,
// and so the picture --screenshot takes of it. Only those notices are
// dropped.
QtMessageHandler g_nextMessageHandler = nullptr;

void withoutPlatformNotices(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    if (type == QtWarningMsg
        && (text == QLatin1String("This plugin does not support setting window masks")
            || text == QLatin1String("This plugin does not support propagateSizeHints()")))
        return;
    g_nextMessageHandler(type, context, text);
}

std::unique_ptr<QApplication> openScreenApplication(int& argc, char** argv)
{
    QStringList given;
    for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
        if (!qEnvironmentVariableIsEmpty(name))
            given << QStringLiteral("%1=%2").arg(QLatin1String(name), qEnvironmentVariable(name));
    g_cannotOpenDisplay = QCoreApplication::translate("qdl-host", "Não foi possível abrir a tela (%1). Rode o programa numa sessão "
                                                                  "gráfica ou grave a tela numa imagem com --screenshot ARQUIVO.")
                              .arg(given.join(QStringLiteral(", ")));
    QList<HeldMessage> held;
    g_heldMessages = &held;
    const QtMessageHandler previous = qInstallMessageHandler(holdPlatformMessage);
    auto app = std::make_unique<QApplication>(argc, argv);
    g_nextMessageHandler = previous;
    qInstallMessageHandler(withoutPlatformNotices);
    g_heldMessages = nullptr;
    for (const HeldMessage& m : held)
        qt_message_output(m.type, QMessageLogContext(nullptr, 0, nullptr, m.category.constData()), m.text);
    return app;
}

// db, connected to the database.
TADOConnection& opened(TADOConnection& db, const QString& connection)
{
    db.ConnectionString = connection;
    db.setConnected(true);
    return db;
}

// A command that opens no window; answers the exit status.
int runCommand(const HostArguments& a, const QString& connection)
{
    QTextStream out(stdout), err(stderr);
    LayoutCommand layout;
    switch (a.command) {
    case HostCommand::Screen:
    case HostCommand::Screenshot:
    case HostCommand::ShowConfig:
        break;
    case HostCommand::Check:
        // A check never makes the database it reads.
        return runLayoutCheck(connection, out, a.branch.value_or(QString()));
    case HostCommand::History:
        return runHistoryCommand(connection, {a.branch.value_or(QString()), a.configuration.value_or(QString()), a.since.value_or(QString())},
                                 out, err);
    case HostCommand::PruneHistory:
        return runPruneHistory(connection, a.value, out, err);
    case HostCommand::Branches:
        return runBranchesCommand(connection, out, err);
    case HostCommand::ExportLayout:
    case HostCommand::ImportLayout:
    case HostCommand::Restore:
        layout.kind = a.command == HostCommand::ExportLayout   ? LayoutCommand::Kind::Export
                      : a.command == HostCommand::ImportLayout ? LayoutCommand::Kind::Import
                                                               : LayoutCommand::Kind::Restore;
        layout.argument = a.value;
        layout.branch = a.branch.value_or(layout.branch);
        layout.configuration = a.configuration.value_or(layout.configuration);
        layout.dryRun = a.dryRun;
        layout.allBranches = a.allBranches;
        return runLayoutCommand(connection, layout, out, err);
    case HostCommand::CreateDemo:
        createDemo(connection);
        return 0;
    case HostCommand::Upgrade: {
        TADOConnection db;
        upgradeSchema(opened(db, connection), out);
        return 0;
    }
    case HostCommand::GrantTerminal:
    case HostCommand::RevokeTerminal: {
        TADOConnection db;
        opened(db, connection);
        if (a.command == HostCommand::GrantTerminal)
            grantTerminal(db, a.value, a.branch.value_or(QString()).split(QLatin1Char(',')), out);
        else
            revokeTerminal(db, a.value, out);
        return 0;
    }
    }
    return 2;
}

// The demo database the screen opens by default: made when it is missing;
// the user's own file follows the program's schema and keeps a year of the
// layout's history. A database named by the command line, the environment or
// a configuration file must be there. Answers false, having said why, when
// the screen cannot open.
bool prepareScreenDatabase(const HostConfig& config)
{
    const QString connection = config.database.value;
    const QString path = sqlitePathOf(connection);
    if (path.isEmpty())
        return true;
    if (!QFileInfo::exists(path)) {
        if (config.database.origin != HostSetting::Origin::Default) {
            say(QCoreApplication::translate("qdl-host", "Banco de dados não encontrado: %1").arg(path));
            if (config.database.origin == HostSetting::Origin::File)
                say(QCoreApplication::translate("qdl-host", "(chave database de %1)").arg(config.database.file));
            return false;
        }
        createDemo(connection);
        QTextStream(stdout) << QCoreApplication::translate("qdl-host", "Banco de dados de demonstração criado em %1.").arg(path) << Qt::endl;
    } else if (config.database.origin == HostSetting::Origin::Default) {
        // A copy of the older file is kept beside it.
        QTextStream err(stderr);
        upgradeOwnSqliteFile(path, err);
        // As a server's owner does with --prune-history; a failure here does
        // not stop the screen.
        QString pruned;
        QTextStream quiet(&pruned);
        runPruneHistory(connection, QDateTime::currentDateTime().addYears(-1).toString(Qt::ISODate), quiet, err);
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    // The process may hold a password (the configuration file's, the one
    // libpq reads from ~/.pgpass): no core dump of it, and no other process
    // of the user looking into it.
    if (!keepSecretsOutOfDumps())
        say(QStringLiteral("qdl-host: prctl/setrlimit: %1").arg(QString::fromLocal8Bit(std::strerror(errno))));
    // A password given with --database leaves the process list at once;
    // the option is then refused.
    hidePasswordArguments(argc, argv);
    // On SQLite the layout's history names who wrote each record.
    nameHistoryWriterOfEverySession();
    // Before Qt looks for it.
    prepareRuntimeFolder();

    // The command line is read, and every command run, without a window
    // system: they run where there is no display, and a mistake in the line
    // is told rather than ending in the platform's abort.
    auto core = std::make_unique<QCoreApplication>(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("quadrel"));
    QCoreApplication::setApplicationVersion(QStringLiteral(QDL_VERSION));

    // The settings are resolved before the options are described: help and
    // command-line errors are printed in the language they choose. A
    // configuration that cannot be used is told after --help has had its
    // turn, in the command line's language or the system's.
    HostConfig config;
    QString configError;
    {
        const HostCommandLine settings = settingsOnCommandLine(QCoreApplication::arguments());
        try {
            config = resolveHostConfig(settings);
        } catch (const EQdlError& e) {
            configError = e.message();
            const QString lang = settings.language.trimmed().toLower();
            config.language.value = lang == QLatin1String("en") || lang == QLatin1String("pt") ? lang : QString();
        }
    }
    const bool english = installLanguage(config.language.value);
    if (config.language.value.isEmpty())
        config.language.value = english ? QStringLiteral("en") : QStringLiteral("pt");

    const std::variant<HostArguments, QString> read = readHostArguments(QCoreApplication::arguments());
    if (const QString* refusal = std::get_if<QString>(&read)) {
        say(*refusal);
        return 2;
    }
    const HostArguments& arguments = std::get<HostArguments>(read);
    if (!configError.isEmpty()) {
        // Resolved again in the language now installed.
        try {
            resolveHostConfig(arguments.settings);
        } catch (const EQdlError& e) {
            configError = e.message();
        }
        say(configError);
        return 2;
    }
    if (arguments.command == HostCommand::ShowConfig) {
        QTextStream(stdout) << config.describe();
        return 0;
    }

    const QString connection = config.database.value;
    try {
        setConnectionStringOverride(connection);
        if (!arguments.opensScreen())
            return runCommand(arguments, connection);
        if (!displayGiven()) {
            // A picture of the screen needs no display.
            if (arguments.command != HostCommand::Screenshot) {
                say(QCoreApplication::translate("qdl-host", "Não há tela onde abrir o programa: nem DISPLAY nem WAYLAND_DISPLAY está definida. "
                                                            "Rode-o numa sessão gráfica ou grave a tela numa imagem com --screenshot ARQUIVO."));
                return 2;
            }
            qputenv("QT_QPA_PLATFORM", "offscreen");
        }
        setScreenScale(config.screenScale);
        if (!prepareScreenDatabase(config))
            return 2;
    } catch (const std::exception& e) {
        say(QString::fromUtf8(e.what()));
        return 2;
    }

    core.reset();
    const std::unique_ptr<QApplication> app = openScreenApplication(argc, argv);
    installLanguage(config.language.value);
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

    if (arguments.command == HostCommand::Screenshot)
        scheduleScreenshot(arguments.value);

    initialize();
    QVariant result;
    entry(nullptr, -1, &result);
    finalize();
    if (g_startupFailed)
        return 2;
    return g_screenshotFailed ? 1 : 0;
}
