#include "arguments.h"

#include <QCommandLineParser>
#include <QCoreApplication>

namespace {

QString tr(const char* text)
{
    return QCoreApplication::translate("qdl-host", text);
}

// The options of qdl-host, described in the installed language.
struct Options {
    QCommandLineOption database{QStringLiteral("database"),
                                tr("Banco de dados: sqlite:CAMINHO ou postgresql://usuario@servidor:porta/banco."), QStringLiteral("URL")};
    QCommandLineOption createDemo{QStringLiteral("create-demo"), tr("Cria as tabelas e os dados de demonstração em um banco vazio e sai.")};
    QCommandLineOption screenshot{QStringLiteral("screenshot"), tr("Abre a tela, grava-a em PNG assim que pintada e sai."), tr("ARQUIVO")};
    QCommandLineOption lang{QStringLiteral("lang"), tr("Idioma: pt (padrão) ou en."), tr("IDIOMA")};
    QCommandLineOption scale{QStringLiteral("scale"), tr("Escala da tela: auto (a maior que cabe na tela) ou um fator, como 1.5."),
                             tr("ESCALA")};
    QCommandLineOption check{QStringLiteral("check"), tr("Confere o leiaute gravado, lista cada regra violada e sai "
                                                         "(0 consistente, 1 problemas encontrados, 2 banco de dados ilegível).")};
    QCommandLineOption branch{QStringLiteral("branch"),
                              tr("Com --check: confere só o leiaute da filial CÓDIGO. Com --grant-terminal: as filiais do papel, separadas por vírgula. "
                                 "Com --export-layout, --import-layout e --restore: a filial do leiaute (padrão 9999); com --import-layout, também várias, separadas por vírgula. "
                                 "Com --history: só os registros dessa filial."),
                              tr("CÓDIGO")};
    QCommandLineOption branches{QStringLiteral("branches"),
                                tr("Lista as filiais, cada uma com as suas configurações de tela e, de cada configuração, "
                                   "quantos ambientes, mesas e botões tem, e sai.")};
    QCommandLineOption upgrade{QStringLiteral("upgrade"), tr("Atualiza o esquema do banco de dados para o desta versão, "
                                                             "um passo numerado por transação, e sai (rodado pelo dono do esquema).")};
    QCommandLineOption grantTerminal{QStringLiteral("grant-terminal"),
                                     tr("PostgreSQL: dá ao papel de login PAPEL o que a tela precisa, "
                                        "só nas filiais de --branch CÓDIGO[,CÓDIGO...], e sai (rodado pelo dono do esquema)."),
                                     tr("PAPEL")};
    QCommandLineOption revokeTerminal{QStringLiteral("revoke-terminal"), tr("PostgreSQL: tira do papel PAPEL o que --grant-terminal deu, e sai."),
                                      tr("PAPEL")};
    QCommandLineOption exportLayout{QStringLiteral("export-layout"),
                                    tr("Grava o leiaute de --branch e --configuration no ARQUIVO de texto "
                                       "(formato em docs/layout-format.md) e sai."),
                                    tr("ARQUIVO")};
    QCommandLineOption importLayout{QStringLiteral("import-layout"),
                                    tr("Põe o leiaute do ARQUIVO em cada filial de --branch CÓDIGO[,CÓDIGO...] ou de --all-branches, "
                                       "uma transação por filial, numa só conexão; lista o que muda e o que cada filial não tem, "
                                       "com várias filiais um resumo, e sai (0 tudo gravado ou sem mudança, 1 alguma filial recusada "
                                       "pela conferência ou por mesas em uso, 2 erro)."),
                                    tr("ARQUIVO")};
    QCommandLineOption allBranches{QStringLiteral("all-branches"),
                                   tr("Com --import-layout: todas as filiais que têm a configuração de --configuration, menos a "
                                      "central 9999 (num PostgreSQL, um papel de terminal só vê as suas).")};
    QCommandLineOption restore{QStringLiteral("restore"),
                               tr("Volta o leiaute ao que era na HORA local (ISO 8601, como 2026-12-07T14:30), "
                                  "pelo histórico, numa transação, e sai (0 gravado, 1 recusado pela conferência, 2 erro)."),
                               tr("HORA")};
    QCommandLineOption dryRun{QStringLiteral("dry-run"), tr("Com --import-layout e --restore: mostra o que mudaria e não grava nada.")};
    QCommandLineOption configuration{QStringLiteral("configuration"), tr("A configuração de tela do leiaute (padrão 00001)."),
                                     QStringLiteral("NNNNN")};
    QCommandLineOption history{QStringLiteral("history"), tr("Lista as mudanças do leiaute, a mais recente primeiro "
                                                             "(só as de --branch, --configuration e desde --since, quando dados), e sai.")};
    QCommandLineOption since{QStringLiteral("since"),
                             tr("Com --history: só as mudanças desde a HORA local (ISO 8601, como 2026-12-07T14:30)."), tr("HORA")};
    QCommandLineOption pruneHistory{QStringLiteral("prune-history"),
                                    tr("Remove do histórico do leiaute os registros anteriores à HORA local "
                                       "(ISO 8601), diz quantos e sai (rodado pelo dono do esquema)."),
                                    tr("HORA")};
    QCommandLineOption showConfig{QStringLiteral("show-config"),
                                  tr("Mostra o banco de dados, o idioma e a escala em vigor e de onde vêm, e sai.")};

    // Each command and its option; a command line names one at most.
    const std::pair<HostCommand, const QCommandLineOption*> commands[13] = {
        {HostCommand::Screenshot, &screenshot},         {HostCommand::Check, &check},
        {HostCommand::History, &history},               {HostCommand::PruneHistory, &pruneHistory},
        {HostCommand::ExportLayout, &exportLayout},     {HostCommand::ImportLayout, &importLayout},
        {HostCommand::Restore, &restore},               {HostCommand::CreateDemo, &createDemo},
        {HostCommand::Upgrade, &upgrade},               {HostCommand::GrantTerminal, &grantTerminal},
        {HostCommand::RevokeTerminal, &revokeTerminal}, {HostCommand::ShowConfig, &showConfig},
        {HostCommand::Branches, &branches},
    };

    void addTo(QCommandLineParser& parser) const
    {
        parser.addOptions({history, since, pruneHistory});
        parser.addOptions({database, createDemo, upgrade, grantTerminal, revokeTerminal, screenshot, lang, scale, check, branch,
                           branches, exportLayout, importLayout, allBranches, restore, dryRun, configuration, showConfig});
    }

    HostCommandLine settings(const QCommandLineParser& parser) const
    {
        const auto given = [&parser](const QCommandLineOption& option) {
            return parser.isSet(option) ? parser.value(option) : QString();
        };
        return {given(database), given(lang), given(scale)};
    }
};

// How a command line names an option, for a message.
QString named(const QCommandLineOption& option)
{
    return QStringLiteral("--") + option.names().constFirst();
}

// The option that goes with certain commands only: why it does not go with
// the command given, or nothing when it does.
std::optional<QString> misplaced(const Options& o, const QCommandLineParser& parser, HostCommand c)
{
    using C = HostCommand;
    if (c == C::PruneHistory && (parser.isSet(o.branch) || parser.isSet(o.configuration) || parser.isSet(o.since)))
        return tr("--prune-history HORA limpa o histórico inteiro, só pela hora: não aceita --branch, --configuration nem --since.");
    if (parser.isSet(o.since) && c != C::History)
        return tr("--since HORA só vale com --history (as mudanças desde a HORA); "
                  "para remover os registros anteriores a uma hora, use --prune-history HORA.");
    if (parser.isSet(o.branch) && c == C::RevokeTerminal)
        return tr("--revoke-terminal PAPEL tira do papel todas as filiais: não aceita --branch.");
    if (parser.isSet(o.branch)
        && !QList<C>{C::Check, C::History, C::ExportLayout, C::ImportLayout, C::Restore, C::GrantTerminal}.contains(c))
        return tr("--branch CÓDIGO só vale com --check, --history, --export-layout, --import-layout, --restore e --grant-terminal.");
    if (parser.isSet(o.configuration) && !QList<C>{C::History, C::ExportLayout, C::ImportLayout, C::Restore}.contains(c))
        return tr("--configuration NNNNN só vale com --history, --export-layout, --import-layout e --restore.");
    if (parser.isSet(o.dryRun) && c != C::ImportLayout && c != C::Restore)
        return tr("--dry-run só vale com --import-layout e --restore.");
    if (parser.isSet(o.allBranches) && c != C::ImportLayout)
        return tr("--all-branches só vale com --import-layout.");
    if (parser.isSet(o.allBranches) && parser.isSet(o.branch))
        return tr("--all-branches e --branch CÓDIGO nomeiam as filiais de dois modos: dê um só.");
    if (parser.value(o.branch).contains(QLatin1Char(',')) && c != C::ImportLayout && c != C::GrantTerminal)
        return tr("--branch CÓDIGO,CÓDIGO... (várias filiais) só vale com --import-layout e --grant-terminal.");
    if (parser.isSet(o.branch) && parser.value(o.branch).trimmed().isEmpty())
        return tr("--branch CÓDIGO: falta o código da filial (qdl-host --branches lista as filiais).");
    if (c == C::ImportLayout && !parser.isSet(o.branch) && !parser.isSet(o.allBranches))
        return tr("--import-layout ARQUIVO precisa de --branch CÓDIGO, a filial que recebe o leiaute "
                  "(qdl-host --branches lista as filiais).");
    if (c == C::GrantTerminal && !parser.isSet(o.branch))
        return tr("--grant-terminal PAPEL precisa de --branch CÓDIGO[,CÓDIGO...], as filiais do papel "
                  "(qdl-host --branches lista as filiais).");
    return std::nullopt;
}

} // namespace

HostCommandLine settingsOnCommandLine(const QStringList& arguments)
{
    QCommandLineParser parser;
    const Options options;
    options.addTo(parser);
    (void)parser.parse(arguments);
    return options.settings(parser);
}

std::variant<HostArguments, QString> readHostArguments(const QStringList& arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(tr("Quadrel - configuração da tela de mesas (Qdl00005)"));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    const Options o;
    o.addTo(parser);

    const bool parsed = parser.parse(arguments);
    // --help-all too, which the parser adds beside --help.
    if (parser.isSet(help) || parser.isSet(QStringLiteral("help-all")))
        parser.showHelp(0);
    if (parser.isSet(version))
        parser.showVersion();
    const QString seeHelp = tr("Veja qdl-host --help.");
    if (!parsed)
        return parser.errorText() + QLatin1Char(' ') + seeHelp;
    if (!parser.positionalArguments().isEmpty())
        return tr("Argumento inesperado: %1 (as opções começam com --).").arg(parser.positionalArguments().constFirst())
               + QLatin1Char(' ') + seeHelp;

    HostArguments a;
    const QCommandLineOption* given = nullptr;
    for (const auto& [command, option] : o.commands) {
        if (!parser.isSet(*option))
            continue;
        if (given)
            return tr("%1 e %2 são comandos diferentes: dê um de cada vez.").arg(named(*given), named(*option));
        given = option;
        a.command = command;
        if (!option->valueName().isEmpty())
            a.value = parser.value(*option);
    }
    if (const std::optional<QString> why = misplaced(o, parser, a.command))
        return *why;

    const auto optional = [&parser](const QCommandLineOption& option) {
        return parser.isSet(option) ? std::optional<QString>(parser.value(option).trimmed()) : std::nullopt;
    };
    a.branch = optional(o.branch);
    a.configuration = optional(o.configuration);
    if (parser.isSet(o.since))
        a.since = parser.value(o.since);
    a.dryRun = parser.isSet(o.dryRun);
    a.allBranches = parser.isSet(o.allBranches);
    a.settings = o.settings(parser);
    return a;
}
