#include "layoutcommand.h"

#include <QCoreApplication>
#include <QFile>
#include <QSaveFile>
#include <QTextStream>

#include "adoconnection.h"
#include "connection.h"
#include "errors.h"
#include "layoutfile.h"
#include "storedvalues.h"
#include "textutil.h"

namespace {

QString tr(const char* text)
{
    return QCoreApplication::translate("LayoutCommand", text);
}

QString quoted(const QString& text)
{
    return QLatin1Char('"') + printableText(text) + QLatin1Char('"');
}

// Begins the command's summary lines.
QString where(const LayoutCommand& c)
{
    return tr("Filial %1, configuração %2").arg(quoted(c.branch), quoted(c.configuration));
}

// What an apply did, one button a line, and the status it answers.
int report(const LayoutChanges& changes, const LayoutCommand& c, QTextStream& out)
{
    for (const QString& line : changes.added)
        out << "+ " << line << Qt::endl;
    for (const QString& line : changes.changed)
        out << "~ " << line << Qt::endl;
    for (const QString& line : changes.removed)
        out << "- " << line << Qt::endl;
    for (const QString& line : changes.skipped)
        out << tr("Ignorado: %1").arg(line) << Qt::endl;
    for (const QString& line : changes.problems)
        out << tr("Problema: %1").arg(line) << Qt::endl;
    for (const QString& line : changes.inUse)
        out << tr("Em uso: %1").arg(line) << Qt::endl;
    out << tr("%1: %2 incluído(s), %3 mudado(s), %4 removido(s), %5 ignorado(s).")
               .arg(where(c))
               .arg(changes.added.size())
               .arg(changes.changed.size())
               .arg(changes.removed.size())
               .arg(changes.skipped.size())
        << Qt::endl;
    if (!changes.inUse.isEmpty()) {
        out << tr("Há mesas em uso cujos botões seriam removidos: nada foi gravado nesta configuração.") << Qt::endl;
        return 1;
    }
    if (changes.refused()) {
        out << tr("O leiaute resultante não passou na conferência: nada foi gravado.") << Qt::endl;
        return 1;
    }
    if (c.dryRun)
        out << tr("Simulação (--dry-run): nada foi gravado.") << Qt::endl;
    else if (changes.added.isEmpty() && changes.changed.isEmpty() && changes.removed.isEmpty())
        out << tr("O leiaute já era este: nada mudou.") << Qt::endl;
    else
        out << tr("Gravado.") << Qt::endl;
    return 0;
}

int exportLayout(TADOConnection& db, const LayoutCommand& c, QTextStream& out, QTextStream& err)
{
    requireConfiguration(db, c.branch, c.configuration);
    const QList<ButtonRow> buttons = readLayout(db, c.branch, c.configuration);
    const QByteArray text = layoutFileText(buttons);
    // Whole or not at all: a file cut short by a full disk would import as a
    // smaller layout.
    QSaveFile file(c.argument);
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size() || !file.commit()) {
        err << tr("Não foi possível gravar %1: %2").arg(c.argument, file.errorString()) << Qt::endl;
        return 2;
    }
    out << tr("%1: %2 botão(ões) exportado(s) para %3.").arg(where(c)).arg(buttons.size()).arg(c.argument) << Qt::endl;
    return 0;
}

int importLayout(TADOConnection& db, const LayoutCommand& c, QTextStream& out, QTextStream& err)
{
    QFile file(c.argument);
    if (!file.open(QIODevice::ReadOnly)) {
        err << tr("Não foi possível ler %1: %2").arg(c.argument, file.errorString()) << Qt::endl;
        return 2;
    }
    QList<ButtonRow> buttons;
    try {
        buttons = parseLayoutFile(file.readAll());
    } catch (const EQdlError& e) {
        err << tr("%1 recusado: %2").arg(c.argument, e.message()) << Qt::endl;
        return 2;
    }
    return report(applyLayout(db, c.branch, c.configuration, buttons, c.dryRun), c, out);
}

int restoreLayout(TADOConnection& db, const LayoutCommand& c, QTextStream& out, QTextStream& err)
{
    const std::optional<QDateTime> at = parseCommandLineTime(c.argument);
    if (!at) {
        err << tr("Hora inválida para --restore: %1 (use a hora local em ISO 8601, como \"2026-12-07T14:30\" ou "
                  "\"2026-12-07 14:30:05\").")
                   .arg(quoted(c.argument))
            << Qt::endl;
        return 2;
    }
    requireConfiguration(db, c.branch, c.configuration);
    const QList<ButtonRow> buttons = readLayoutAt(db, c.branch, c.configuration, *at);
    out << tr("%1: o leiaute de %2 (%3 UTC) tinha %4 botão(ões).")
               .arg(where(c), at->toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")),
                    at->toUTC().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")))
               .arg(buttons.size())
        << Qt::endl;
    return report(applyLayout(db, c.branch, c.configuration, buttons, c.dryRun), c, out);
}

} // namespace

int runLayoutCommand(const QString& connectionString, const LayoutCommand& c, QTextStream& out, QTextStream& err)
{
    if (c.branch.trimmed().isEmpty() || c.branch.size() > 4 || c.configuration.trimmed().isEmpty() || c.configuration.size() > 5) {
        err << tr("Filial (até 4 caracteres) ou configuração (até 5) inválida: %1, %2.").arg(quoted(c.branch), quoted(c.configuration))
            << Qt::endl;
        return 2;
    }
    try {
        TADOConnection db;
        db.ConnectionString = connectionString;
        db.setConnected(true);
        switch (c.kind) {
        case LayoutCommand::Kind::Export:
            return exportLayout(db, c, out, err);
        case LayoutCommand::Kind::Import:
            return importLayout(db, c, out, err);
        case LayoutCommand::Kind::Restore:
            return restoreLayout(db, c, out, err);
        }
    } catch (const std::exception& e) {
        // The database's own words may quote a stored value.
        err << tr("O comando não foi concluído; nada foi gravado no banco de dados: %1").arg(printableText(ADOExceptionMessage(e, nullptr, QString()), LineBreaks::Keep))
            << Qt::endl;
    }
    return 2;
}
