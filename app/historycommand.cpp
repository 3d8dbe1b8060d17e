#include "historycommand.h"

#include <QCoreApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTextStream>

#include "adoconnection.h"
#include "statement.h"
#include "connection.h"
#include "errors.h"
#include "layoutrules.h"
#include "schemaupgrade.h"
#include "storedvalues.h"
#include "textutil.h"

namespace {

QString tr(const char* text, int n = -1)
{
    return QCoreApplication::translate("History", text, nullptr, n);
}

// The first schema that keeps the history.
constexpr int kHistorySchema = 3;

// The database's UTC times as text, 'YYYY-MM-DD HH:MM:SS.SSS' on both: what
// SQLite stores and compares, and what PostgreSQL is asked to read and print.
const QString kUtcFormat = QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz");

QString localText(const QDateTime& at)
{
    return at.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

QString quoted(const QString& text)
{
    return QLatin1Char('"') + printableText(text) + QLatin1Char('"');
}

// A stored value of a record's row as the operator reads it: a text quoted
// and escaped, a colour as #RRGGBB (stored 0x00BBGGRR).
QString shown(const QString& column, const QJsonValue& value)
{
    if (value.isNull() || value.isUndefined())
        return tr("(vazio)");
    if (column == QLatin1String("NRCOLORTEXT") || column == QLatin1String("NRCOLORBACK")) {
        if (const std::optional<int> colour = value.isDouble() ? storedColour(value.toDouble()) : std::nullopt)
            return QStringLiteral("#%1%2%3")
                .arg(*colour & 0xFF, 2, 16, QLatin1Char('0'))
                .arg((*colour >> 8) & 0xFF, 2, 16, QLatin1Char('0'))
                .arg((*colour >> 16) & 0xFF, 2, 16, QLatin1Char('0'))
                .toUpper();
    }
    if (value.isString())
        return quoted(value.toString());
    if (value.isDouble())
        return QString::number(value.toDouble(), 'g', 15);
    return printableText(value.toVariant().toString());
}

// The button a record's row is: its kind, number and page (a table's area
// too) and its caption.
QString button(const QJsonObject& row)
{
    const auto text = [&row](const char* column) { return row.value(QLatin1String(column)).toString(); };
    const QString caption = shown(QStringLiteral("DSBUTTON"), row.value(QLatin1String("DSBUTTON")));
    return qdl::layout::describeButton(text("IDTPBUTTON"), text("NRBUTTON"), text("NRPGCONFTELA"), text("NRBUTTONAUX"),
                                       text("CDIDENTBUTON"))
        + QStringLiteral(", ") + caption;
}

// What an update changed, column by column in the table's order; the row's
// own time stamp (DTULTATUITCT) goes with every write and says nothing.
QString changes(const QJsonObject& before, const QJsonObject& after)
{
    static const char* const columns[] = {"CDFILIAL",     "NRCONFTELA",   "IDTPBUTTON",  "NRBUTTON",     "CDIDENTBUTON",
                                          "DSBUTTON",     "NRCOLORTEXT",  "NRCOLORBACK", "DSMESSAGEBUT", "IDTPBUTONAUX",
                                          "NRBUTTONAUX",  "NRPGCONFTELA", "NRPGCONFTAUX"};
    const auto label = [](const QString& column) -> QString {
        if (column == QLatin1String("DSBUTTON"))
            return tr("legenda");
        if (column == QLatin1String("NRCOLORTEXT"))
            return tr("cor do texto");
        if (column == QLatin1String("NRCOLORBACK"))
            return tr("cor do fundo");
        if (column == QLatin1String("CDIDENTBUTON"))
            return tr("código");
        if (column == QLatin1String("DSMESSAGEBUT"))
            return tr("mensagem");
        if (column == QLatin1String("NRBUTTON"))
            return tr("botão");
        if (column == QLatin1String("NRPGCONFTELA"))
            return tr("página");
        return column;
    };
    QStringList said;
    for (const char* c : columns) {
        const QString column = QLatin1String(c);
        const QJsonValue was = before.value(column), is = after.value(column);
        if (was != is)
            said << QStringLiteral("%1 %2 \u2192 %3").arg(label(column), shown(column, was), shown(column, is));
    }
    return said.join(QStringLiteral("; "));
}

QJsonObject row(const QVariant& json)
{
    return json.isNull() ? QJsonObject() : QJsonDocument::fromJson(json.toString().toUtf8()).object();
}

// Opens the database and makes sure it keeps the history; answers false,
// having said why on err, when it does not.
bool openWithHistory(TADOConnection& db, const QString& connectionString, QTextStream& err)
{
    db.ConnectionString = connectionString;
    db.setConnected(true);
    const int version = schemaVersionOf(db);
    if (version == kNoSchema) {
        err << tr("O banco de dados não tem as tabelas da configuração de mesas.") << Qt::endl;
        return false;
    }
    if (version < kHistorySchema) {
        err << tr("O banco de dados não tem o histórico do leiaute (esquema da versão %1).").arg(version) << Qt::endl
            << schemaVersionNotice(version) << Qt::endl;
        return false;
    }
    return true;
}

int failed(QTextStream& err, const QString& what, const std::exception& e)
{
    // The database's own words may quote a stored value.
    err << what.arg(printableText(ADOExceptionMessage(e, nullptr, QString()), LineBreaks::Keep)) << Qt::endl;
    return 2;
}

} // namespace

int runHistoryCommand(const QString& connectionString, const HistoryCommand& command, QTextStream& out, QTextStream& err)
{
    std::optional<QDateTime> since;
    if (!command.since.isEmpty() && !(since = parseCommandLineTime(command.since))) {
        err << tr("--since HORA: %1 não é uma hora local ISO 8601, como 2026-12-07T14:30 ou 2026-12-07 14:30:00.")
                   .arg(quoted(command.since))
            << Qt::endl;
        return 2;
    }
    try {
        TADOConnection db;
        if (!openWithHistory(db, connectionString, err))
            return 2;
        const bool pg = db.isPostgres();
        QString sql = QStringLiteral("SELECT %1, IDOPERACAO, CDFILIAL, NRCONFTELA, DSQUEM, DSANTES, DSDEPOIS FROM QDL_HISTORICO "
                                     "WHERE 1 = 1")
                          .arg(pg ? QStringLiteral("to_char(DTALTERACAO AT TIME ZONE 'UTC', 'YYYY-MM-DD HH24:MI:SS.MS')")
                                  : QStringLiteral("DTALTERACAO"));
        if (!command.branch.isEmpty())
            sql += QStringLiteral(" AND CDFILIAL = :P_CDFILIAL");
        if (!command.configuration.isEmpty())
            sql += QStringLiteral(" AND NRCONFTELA = :P_NRCONFTELA");
        if (since)
            sql += pg ? QStringLiteral(" AND DTALTERACAO >= CAST(:P_DESDE AS TIMESTAMPTZ)") : QStringLiteral(" AND DTALTERACAO >= :P_DESDE");
        sql += QStringLiteral(" ORDER BY DTALTERACAO DESC, NRHISTORICO DESC");

        qdl::Statement q(db, sql, tr("Erro ao ler o histórico do leiaute"));
        if (!command.branch.isEmpty())
            q.bindText(":P_CDFILIAL", command.branch);
        if (!command.configuration.isEmpty())
            q.bindText(":P_NRCONFTELA", command.configuration);
        if (since)
            q.bindTime(":P_DESDE", *since);

        QStringList lines;
        int records = 0;
        q.forEachRow([&](const TADOQuery& record) {
            const TADOQuery* const q = &record;
            ++records;
            QDateTime at = QDateTime::fromString(q->value(0).toString(), kUtcFormat);
            at.setTimeSpec(Qt::UTC);
            const QString op = q->value(1).toString();
            const QJsonObject before = row(q->value(5)), after = row(q->value(6));
            const QString what = op == QLatin1String("I")   ? tr("incluiu")
                                 : op == QLatin1String("U") ? tr("alterou")
                                 : op == QLatin1String("D") ? tr("excluiu")
                                                            : quoted(op);
            lines << QStringLiteral("%1  %2  %3 %4")
                         .arg(at.isValid() ? localText(at) : quoted(q->value(0).toString()), printableText(q->value(4).toString()),
                              what,
                              tr("filial %1, configuração %2: %3")
                                  .arg(quoted(q->value(2).toString()), quoted(q->value(3).toString()),
                                       button(op == QLatin1String("D") ? before : after)));
            if (op == QLatin1String("U"))
                if (const QString changed = changes(before, after); !changed.isEmpty())
                    lines << QStringLiteral("    ") + changed;
        });

        QStringList scope;
        if (!command.branch.isEmpty())
            scope << tr("filial %1").arg(quoted(command.branch));
        if (!command.configuration.isEmpty())
            scope << tr("configuração %1").arg(quoted(command.configuration));
        if (since)
            scope << tr("desde %1").arg(localText(*since));
        const QString where = printableText(withoutPassword(connectionString.trimmed()));
        out << tr("Histórico do leiaute de %1%2: %n alteração(ões), a mais recente primeiro.", records)
                   .arg(where, scope.isEmpty() ? QString() : QStringLiteral(", ") + scope.join(QStringLiteral(", ")))
            << Qt::endl;
        for (const QString& line : lines)
            out << line << Qt::endl;
        return 0;
    } catch (const std::exception& e) {
        return failed(err, tr("Não foi possível ler o histórico do leiaute: %1"), e);
    }
}

int runPruneHistory(const QString& connectionString, const QString& beforeText, QTextStream& out, QTextStream& err)
{
    const std::optional<QDateTime> before = parseCommandLineTime(beforeText);
    if (!before) {
        err << tr("--prune-history ANTES: %1 não é uma hora local ISO 8601, como 2025-12-07 ou 2025-12-07T14:30.")
                   .arg(quoted(beforeText))
            << Qt::endl;
        return 2;
    }
    try {
        TADOConnection db;
        if (!openWithHistory(db, connectionString, err))
            return 2;
        // Told before anything is tried: a terminal's role may read the
        // history but not remove from it.
        if (db.isPostgres()) {
            const QString owner = schemaOwnerOf(db);
            qdl::Statement actsAsOwner(db,
                                       QStringLiteral("SELECT CASE WHEN pg_has_role(current_user, CAST(:P_DONO AS NAME), 'USAGE') "
                                                      "THEN 1 ELSE 0 END"),
                                       tr("Erro ao ler o dono do esquema"));
            if (actsAsOwner.bindText(":P_DONO", owner).scalar().toInt() != 1) {
                err << tr("Só o dono do esquema (%1) pode limpar o histórico; conecte-se como %1.").arg(printableText(owner)) << Qt::endl;
                return 2;
            }
        }
        qdl::Statement prune(db,
                             db.isPostgres() ? QStringLiteral("DELETE FROM QDL_HISTORICO WHERE DTALTERACAO < CAST(:P_ANTES AS TIMESTAMPTZ)")
                                             : QStringLiteral("DELETE FROM QDL_HISTORICO WHERE DTALTERACAO < :P_ANTES"),
                             tr("Erro ao remover registros do histórico do leiaute"));
        qdl::Transaction transaction(db);
        const int removed = prune.bindTime(":P_ANTES", *before).run();
        transaction.commit();
        out << tr("%n registro(s) do histórico anterior(es) a %1 removido(s).", removed).arg(localText(*before)) << Qt::endl;
        return 0;
    } catch (const std::exception& e) {
        return failed(err, tr("Não foi possível remover registros do histórico do leiaute: %1"), e);
    }
}
