// qdl-host: the host program. It resolves its settings (hostconfig.h),
// installs the host's dialogs and error report, loads the screen package at
// run time and calls its entry.

#include <QAbstractButton>
#include <QApplication>
#include <QCommandLineParser>
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
#include "historycommand.h"
#include "hostconfig.h"
#include "layoutcommand.h"
#include "pngfile.h"
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

// Creates the tables and the demo rows in an empty database and says what
// it holds.
void createDemo(const QString& connectionString)
{
    createQdlDatabaseAt(connectionString, true);
    TADOConnection db;
    db.ConnectionString = connectionString;
    db.setConnected(true);
    say(describeQdlDatabase(db));
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

// The options of qdl-host, described in the installed language.
struct Options {
    QCommandLineOption database{QStringLiteral("database"),
                                QCoreApplication::translate("qdl-host", "Banco de dados: sqlite:CAMINHO ou postgresql://usuario@servidor:porta/banco."),
                                QStringLiteral("URL")};
    QCommandLineOption createDemo{QStringLiteral("create-demo"),
                                  QCoreApplication::translate("qdl-host", "Cria as tabelas e os dados de demonstração em um banco vazio e sai.")};
    QCommandLineOption screenshot{QStringLiteral("screenshot"),
                                  QCoreApplication::translate("qdl-host", "Abre a tela, grava-a em PNG assim que pintada e sai."),
                                  QCoreApplication::translate("qdl-host", "ARQUIVO")};
    QCommandLineOption lang{QStringLiteral("lang"), QCoreApplication::translate("qdl-host", "Idioma: pt (padrão) ou en."),
                            QCoreApplication::translate("qdl-host", "IDIOMA")};
    QCommandLineOption scale{QStringLiteral("scale"),
                             QCoreApplication::translate("qdl-host", "Escala da tela: auto (a maior que cabe na tela) ou um fator, como 1.5."),
                             QCoreApplication::translate("qdl-host", "ESCALA")};
    QCommandLineOption check{QStringLiteral("check"),
                             QCoreApplication::translate("qdl-host", "Confere o leiaute gravado, lista cada regra violada e sai "
                                "(0 consistente, 1 problemas encontrados, 2 banco de dados ilegível).")};
    QCommandLineOption branch{QStringLiteral("branch"),
                              QCoreApplication::translate("qdl-host", "Com --check: confere só o leiaute da filial CÓDIGO. Com --grant-terminal: as filiais do papel, separadas por vírgula. "
                                 "Com --export-layout, --import-layout e --restore: a filial do leiaute (padrão 9999). Com --history: só os registros dessa filial."),
                              QCoreApplication::translate("qdl-host", "CÓDIGO")};
    QCommandLineOption upgrade{QStringLiteral("upgrade"),
                               QCoreApplication::translate("qdl-host", "Atualiza o esquema do banco de dados para o desta versão, "
                                  "um passo numerado por transação, e sai (rodado pelo dono do esquema).")};
    QCommandLineOption grantTerminal{QStringLiteral("grant-terminal"),
                                     QCoreApplication::translate("qdl-host", "PostgreSQL: dá ao papel de login PAPEL o que a tela precisa, "
                                        "só nas filiais de --branch CÓDIGO[,CÓDIGO...], e sai (rodado pelo dono do esquema)."),
                                     QCoreApplication::translate("qdl-host", "PAPEL")};
    QCommandLineOption revokeTerminal{QStringLiteral("revoke-terminal"),
                                      QCoreApplication::translate("qdl-host", "PostgreSQL: tira do papel PAPEL o que --grant-terminal deu, e sai."),
                                      QCoreApplication::translate("qdl-host", "PAPEL")};
    QCommandLineOption exportLayout{QStringLiteral("export-layout"),
                                    QCoreApplication::translate("qdl-host", "Grava o leiaute de --branch e --configuration no ARQUIVO de texto "
                                       "(formato em docs/layout-format.md) e sai."),
                                    QCoreApplication::translate("qdl-host", "ARQUIVO")};
    QCommandLineOption importLayout{QStringLiteral("import-layout"),
                                    QCoreApplication::translate("qdl-host", "Põe o leiaute do ARQUIVO na filial de --branch CÓDIGO, numa transação; "
                                       "lista o que muda e o que a filial não tem, e sai (0 gravado, 1 recusado pela conferência, 2 erro)."),
                                    QCoreApplication::translate("qdl-host", "ARQUIVO")};
    QCommandLineOption restore{QStringLiteral("restore"),
                               QCoreApplication::translate("qdl-host", "Volta o leiaute ao que era na HORA local (ISO 8601, como 2026-12-07T14:30), "
                                  "pelo histórico, numa transação, e sai (0 gravado, 1 recusado pela conferência, 2 erro)."),
                               QCoreApplication::translate("qdl-host", "HORA")};
    QCommandLineOption dryRun{QStringLiteral("dry-run"),
                              QCoreApplication::translate("qdl-host", "Com --import-layout e --restore: mostra o que mudaria e não grava nada.")};
    QCommandLineOption configuration{QStringLiteral("configuration"),
                                     QCoreApplication::translate("qdl-host", "A configuração de tela do leiaute (padrão 00001)."),
                                     QStringLiteral("NNNNN")};
    QCommandLineOption history{QStringLiteral("history"),
                               QCoreApplication::translate("qdl-host", "Lista as mudanças do leiaute, a mais recente primeiro "
                                  "(só as de --branch, --configuration e desde --since, quando dados), e sai.")};
    QCommandLineOption since{QStringLiteral("since"),
                             QCoreApplication::translate("qdl-host", "Com --history: só as mudanças desde a HORA local (ISO 8601, como 2026-12-07T14:30)."),
                             QCoreApplication::translate("qdl-host", "HORA")};
    QCommandLineOption pruneHistory{QStringLiteral("prune-history"),
                                    QCoreApplication::translate("qdl-host", "Remove do histórico do leiaute os registros anteriores à HORA local "
                                       "(ISO 8601), diz quantos e sai (rodado pelo dono do esquema)."),
                                    QCoreApplication::translate("qdl-host", "HORA")};
    QCommandLineOption showConfig{QStringLiteral("show-config"),
                                  QCoreApplication::translate("qdl-host", "Mostra o banco de dados, o idioma e a escala em vigor e de onde vêm, e sai.")};

    void addTo(QCommandLineParser& parser) const
    {
        parser.addOptions({history, since, pruneHistory});
        parser.addOptions({database, createDemo, upgrade, grantTerminal, revokeTerminal, screenshot, lang, scale, check, branch,
                           exportLayout, importLayout, restore, dryRun, configuration, showConfig});
    }
    // What the command line says of the settings a configuration file can give.
    HostCommandLine settings(const QCommandLineParser& parser) const
    {
        const auto given = [&parser](const QCommandLineOption& option) {
            return parser.isSet(option) ? parser.value(option) : QString();
        };
        return {given(database), given(lang), given(scale)};
    }
};

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
    // Checking the layout, creating the demo database, showing the
    // configuration and printing help open no window: they must run where
    // there is no display.
    for (int i = 1; i < argc; ++i) {
        const QByteArray arg(argv[i]);
        const bool windowless = arg == "--check" || arg == "--branch" || arg.startsWith("--branch=") || arg == "--create-demo"
                                || arg == "--upgrade" || arg == "--grant-terminal" || arg.startsWith("--grant-terminal=")
                                || arg == "--revoke-terminal" || arg.startsWith("--revoke-terminal=") || arg == "--show-config"
                                || arg == "--help" || arg == "-h" || arg == "--version" || arg == "-v"
                                || arg.startsWith("--export-layout") || arg.startsWith("--import-layout")
                                || arg.startsWith("--restore") || arg == "--dry-run" || arg.startsWith("--configuration");
        const bool history = arg == "--history" || arg.startsWith("--since") || arg.startsWith("--prune-history");
        if ((windowless || history) && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("quadrel"));
    QApplication::setApplicationVersion(QStringLiteral(QDL_VERSION));

    // The settings are resolved before the options are described: help and
    // command-line errors are printed in the language they choose. A
    // configuration that cannot be used is told after --help has had its
    // turn, in the command line's language or the system's.
    HostConfig config;
    QString configError;
    {
        QCommandLineParser given;
        Options().addTo(given);
        (void)given.parse(app.arguments());
        const HostCommandLine settings = Options().settings(given);
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

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QCoreApplication::translate("qdl-host", "Quadrel - configuração da tela de mesas (Qdl00005)"));
    parser.addHelpOption();
    parser.addVersionOption();
    const Options options;
    options.addTo(parser);
    parser.process(app);

    if (!configError.isEmpty()) {
        // Resolved again in the language now installed.
        try {
            resolveHostConfig(options.settings(parser));
        } catch (const EQdlError& e) {
            configError = e.message();
        }
        say(configError);
        return 2;
    }
    if (parser.isSet(options.showConfig)) {
        QTextStream(stdout) << config.describe();
        return 0;
    }

    try {
        const QString connection = config.database.value;
        setConnectionStringOverride(connection);
        setScreenScale(config.screenScale);

        if (parser.isSet(options.grantTerminal) || parser.isSet(options.revokeTerminal)) {
            const bool grant = parser.isSet(options.grantTerminal);
            if (grant != parser.isSet(options.branch)) {
                say(QCoreApplication::translate("qdl-host", "--grant-terminal PAPEL pede --branch CÓDIGO[,CÓDIGO...]; "
                                                            "--revoke-terminal PAPEL não o aceita."));
                return 2;
            }
            TADOConnection db;
            db.ConnectionString = connection;
            db.setConnected(true);
            QTextStream out(stdout);
            if (grant)
                grantTerminal(db, parser.value(options.grantTerminal), parser.value(options.branch).split(QLatin1Char(',')), out);
            else
                revokeTerminal(db, parser.value(options.revokeTerminal), out);
            return 0;
        }
        if (parser.isSet(options.history) || parser.isSet(options.pruneHistory) || parser.isSet(options.since)) {
            // --branch, --configuration and --since narrow the list; pruning
            // is by time alone, the whole history's.
            const bool prune = parser.isSet(options.pruneHistory);
            if (prune == parser.isSet(options.history)
                || (prune && (parser.isSet(options.branch) || parser.isSet(options.configuration) || parser.isSet(options.since)))) {
                say(QCoreApplication::translate("qdl-host", "Use --history [--branch CÓDIGO] [--configuration NNNNN] [--since HORA] "
                                                            "ou --prune-history HORA, um só."));
                return 2;
            }
            QTextStream out(stdout), err(stderr);
            if (prune)
                return runPruneHistory(connection, parser.value(options.pruneHistory), out, err);
            return runHistoryCommand(connection,
                                     {parser.value(options.branch).trimmed(), parser.value(options.configuration).trimmed(),
                                      parser.value(options.since)},
                                     out, err);
        }
        // A layout's file or past, written or read: never the demo made first.
        const int layoutCommands = int(parser.isSet(options.exportLayout)) + int(parser.isSet(options.importLayout))
                                   + int(parser.isSet(options.restore));
        if (layoutCommands > 1 || (parser.isSet(options.dryRun) && !parser.isSet(options.importLayout) && !parser.isSet(options.restore))
            || (parser.isSet(options.configuration) && layoutCommands == 0)
            || (parser.isSet(options.importLayout) && !parser.isSet(options.branch))) {
            say(QCoreApplication::translate("qdl-host", "Use um só de --export-layout ARQUIVO, --import-layout ARQUIVO --branch CÓDIGO e "
                                                        "--restore HORA; --configuration só com eles; --dry-run só com --import-layout e --restore."));
            return 2;
        }
        if (layoutCommands == 1) {
            LayoutCommand command;
            command.kind = parser.isSet(options.exportLayout) ? LayoutCommand::Kind::Export
                           : parser.isSet(options.importLayout) ? LayoutCommand::Kind::Import
                                                                : LayoutCommand::Kind::Restore;
            command.argument = parser.value(command.kind == LayoutCommand::Kind::Export   ? options.exportLayout
                                             : command.kind == LayoutCommand::Kind::Import ? options.importLayout
                                                                                           : options.restore);
            if (parser.isSet(options.branch))
                command.branch = parser.value(options.branch).trimmed();
            if (parser.isSet(options.configuration))
                command.configuration = parser.value(options.configuration).trimmed();
            command.dryRun = parser.isSet(options.dryRun);
            QTextStream out(stdout), err(stderr);
            return runLayoutCommand(connection, command, out, err);
        }
        if (parser.isSet(options.branch) && (!parser.isSet(options.check) || parser.value(options.branch).trimmed().isEmpty())) {
            say(QCoreApplication::translate("qdl-host", "--branch CÓDIGO só vale com --check, --history, --export-layout, --import-layout e --restore, "
                                                        "e com o código de uma filial."));
            return 2;
        }
        if (parser.isSet(options.check)) {
            // Before the demo is created: a check never makes the database it reads.
            QTextStream out(stdout);
            return runLayoutCheck(connection, out, parser.value(options.branch));
        }

        if (parser.isSet(options.createDemo)) {
            createDemo(connection);
            return 0;
        }

        if (parser.isSet(options.upgrade)) {
            TADOConnection db;
            db.ConnectionString = connection;
            db.setConnected(true);
            QTextStream out(stdout);
            upgradeSchema(db, out);
            return 0;
        }

        // Only the built-in default makes the demo database; one named by
        // the command line, the environment or a configuration file must be there.
        const QString path = sqlitePathOf(connection);
        if (!path.isEmpty() && !QFileInfo::exists(path)) {
            if (config.database.origin != HostSetting::Origin::Default) {
                say(QCoreApplication::translate("qdl-host", "Banco de dados não encontrado: %1").arg(path));
                if (config.database.origin == HostSetting::Origin::File)
                    say(QCoreApplication::translate("qdl-host", "(chave database de %1)").arg(config.database.file));
                return 2;
            }
            say(QCoreApplication::translate("qdl-host", "Criando o banco de dados de demonstração em %1").arg(path));
            createDemo(connection);
        } else if (!path.isEmpty() && config.database.origin == HostSetting::Origin::Default) {
            // The user's own demo file follows the program's schema, a copy
            // of the older one kept beside it.
            QTextStream err(stderr);
            upgradeOwnSqliteFile(path, err);
            // It keeps a year of the layout's history, as a server's owner
            // does with --prune-history; a failure here does not stop the screen.
            QString pruned;
            QTextStream quiet(&pruned);
            runPruneHistory(connection, QDateTime::currentDateTime().addYears(-1).toString(Qt::ISODate), quiet, err);
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

    if (parser.isSet(options.screenshot))
        scheduleScreenshot(parser.value(options.screenshot));

    initialize();
    QVariant result;
    entry(nullptr, -1, &result);
    finalize();
    if (g_startupFailed)
        return 2;
    return g_screenshotFailed ? 1 : 0;
}
