#include "checkcommand.h"

#include <QCoreApplication>
#include <QTextStream>

#include "connection.h"
#include "consistency.h"
#include "storedvalues.h"
#include "schemaversion.h"

namespace {

QString quoted(const QString& text)
{
    return QLatin1Char('"') + printableText(text) + QLatin1Char('"');
}

} // namespace

int runLayoutCheck(const QString& connectionString, QTextStream& out, const QString& branch)
{
    try {
        const LayoutReport report = checkLayoutAt(connectionString, branch);
        // A report may be pasted anywhere: no password in it.
        const QString where = printableText(withoutPassword(connectionString.trimmed()));
        const QString buttons = QCoreApplication::translate("LayoutCheck", "%n botão(ões)", nullptr, report.buttons);
        const QString configurations = QCoreApplication::translate("LayoutCheck", "%n configuração(ões)", nullptr, report.configurations);
        if (branch.isEmpty())
            out << QCoreApplication::translate("LayoutCheck", "Leiaute de %1: %2 em %3.").arg(where, buttons, configurations) << Qt::endl;
        else
            out << QCoreApplication::translate("LayoutCheck", "Leiaute de %1, filial %2: %3 em %4.")
                       .arg(where, quoted(branch), buttons, configurations)
                << Qt::endl;
        const QString notice = schemaVersionNotice(report.schemaVersion);
        if (!notice.isEmpty())
            out << notice << Qt::endl;
        for (const LayoutProblem& p : report.problems)
            out << p.text << Qt::endl;
        if (report.clean()) {
            out << QCoreApplication::translate("LayoutCheck", "Nenhum problema encontrado.") << Qt::endl;
            return 0;
        }
        out << QCoreApplication::translate("LayoutCheck", "%n problema(s) encontrado(s).", nullptr, int(report.problems.size()))
            << Qt::endl;
        return 1;
    } catch (const std::exception& e) {
        out << QCoreApplication::translate("LayoutCheck", "Não foi possível verificar o leiaute: %1")
                   // The database's own words may quote a stored value.
                   .arg(printableText(ADOExceptionMessage(e, nullptr, QString()), LineBreaks::Keep))
            << Qt::endl;
        return 2;
    }
}
