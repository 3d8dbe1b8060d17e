#include "branchescommand.h"

#include <QCoreApplication>
#include <QTextStream>

#include "adoconnection.h"
#include "connection.h"
#include "schemaupgrade.h"
#include "statement.h"
#include "storedvalues.h"

namespace {

QString tr(const char* text, int n = -1)
{
    return QCoreApplication::translate("Branches", text, nullptr, n);
}

// One row a configuration; a branch without any has one row of nulls.
const QString kListSql = QStringLiteral(
    "SELECT F.CDFILIAL, C.NRCONFTELA, C.CDLOJA, "
    "(SELECT COUNT(*) FROM SALA S WHERE S.CDFILIAL = F.CDFILIAL), "
    "(SELECT COUNT(*) FROM MESA M WHERE M.CDFILIAL = F.CDFILIAL AND M.CDLOJA = C.CDLOJA), "
    "(SELECT COUNT(*) FROM ITMENUCONFTE I WHERE I.CDFILIAL = F.CDFILIAL AND I.NRCONFTELA = C.NRCONFTELA AND I.IDTPBUTTON = '4'), "
    "(SELECT COUNT(*) FROM ITMENUCONFTE I WHERE I.CDFILIAL = F.CDFILIAL AND I.NRCONFTELA = C.NRCONFTELA AND I.IDTPBUTTON = '3') "
    "FROM (SELECT CDFILIAL FROM LOJA UNION SELECT CDFILIAL FROM CONFTELA) F "
    "LEFT JOIN CONFTELA C ON C.CDFILIAL = F.CDFILIAL "
    "ORDER BY F.CDFILIAL, C.NRCONFTELA");

} // namespace

int runBranchesCommand(const QString& connectionString, QTextStream& out, QTextStream& err)
{
    try {
        TADOConnection db;
        db.ConnectionString = connectionString;
        db.setConnected(true);
        if (schemaVersionOf(db) == kNoSchema) {
            err << tr("O banco de dados não tem as tabelas da configuração de mesas; crie-as com --create-demo.") << Qt::endl;
            return 2;
        }
        QStringList lines;
        QString branch;
        int branches = 0;
        qdl::Statement(db, kListSql, tr("Erro ao ler as filiais (LOJA, CONFTELA)")).forEachRow([&](const TADOQuery& row) {
            if (row.value(0).toString() != branch || branches == 0) {
                branch = row.value(0).toString();
                ++branches;
                lines << tr("Filial %1").arg(printableText(branch));
            }
            if (row.value(1).isNull()) {
                lines.last() += QStringLiteral(": ") + tr("nenhuma configuração de tela (CONFTELA).");
                return;
            }
            lines << QStringLiteral("  ")
                         + tr("configuração %1, loja %2: %3, %4, %5, %6.")
                               .arg(printableText(row.value(1).toString()), printableText(row.value(2).toString()),
                                    tr("%n ambiente(s)", row.value(3).toInt()), tr("%n mesa(s)", row.value(4).toInt()),
                                    tr("%n botão(ões) de ambiente", row.value(5).toInt()),
                                    tr("%n botão(ões) de mesa", row.value(6).toInt()));
        });
        // A list may be pasted anywhere: no password in it.
        const QString where = printableText(withoutPassword(connectionString.trimmed()));
        if (branches == 0)
            out << tr("%1: nenhuma filial que esta conexão possa ler (LOJA e CONFTELA).").arg(where) << Qt::endl;
        else
            out << tr("%1: %n filial(is).", branches).arg(where) << Qt::endl;
        for (const QString& line : lines)
            out << line << Qt::endl;
        return 0;
    } catch (const std::exception& e) {
        // The database's own words may quote a stored value.
        err << tr("Não foi possível listar as filiais: %1").arg(printableText(ADOExceptionMessage(e, nullptr, QString()), LineBreaks::Keep))
            << Qt::endl;
        return 2;
    }
}
