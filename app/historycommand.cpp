#include "historycommand.h"

#include <QCoreApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTextStream>
#include <QTimeZone>
#include <climits>
#include <limits>

#include "adoconnection.h"
#include "statement.h"
#include "connection.h"
#include "errors.h"
#include "layoutrules.h"
#include "schemaupgrade.h"
#include "storedvalues.h"
#include "terminalbranches.h"
#include "textutil.h"

namespace {

QString tr(const char* text, int n = -1)
{
    return QCoreApplication::translate("History", text, nullptr, n);
}

// The first schema that keeps the history.
constexpr int kHistorySchema = 3;

// Records a listing reads a statement, and a prune removes a transaction:
// each statement short, whatever the history's size.
constexpr int kReadBatch = 1000;
constexpr int kPruneBatch = 10000;

// The database's UTC times as text, 'YYYY-MM-DD HH:MM:SS.SSS' on both: what
// SQLite stores and compares, and what PostgreSQL is asked to read and print.
const QString kUtcFormat = QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz");

QString localText(const QDateTime& at)
{
    return at.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

// A stored time (kUtcFormat), read by position: the general parser costs
// more than the rest of a record's line.
QDateTime utcTime(const QString& text)
{
    const auto number = [&text](int from, int length) { return QStringView(text).mid(from, length).toInt(); };
    if (text.size() != 23 || text[4] != QLatin1Char('-') || text[10] != QLatin1Char(' ') || text[19] != QLatin1Char('.'))
        return QDateTime::fromString(text, kUtcFormat).toUTC(); // invalid, or read as it is
    return QDateTime(QDate(number(0, 4), number(5, 2), number(8, 2)), QTime(number(11, 2), number(14, 2), number(17, 2), number(20, 3)),
                     Qt::UTC);
}

// Local times of many records: the zone read once and its offset kept
// between two of its transitions. A conversion of its own asks the C
// library, which reads /etc/localtime again for every record.
class LocalClock {
public:
    QString text(const QDateTime& utc) const
    {
        const qint64 at = utc.toMSecsSinceEpoch();
        if (at < m_from || at >= m_until) {
            m_offset = m_zone.offsetFromUtc(utc);
            const QTimeZone::OffsetData before = m_zone.previousTransition(utc.addMSecs(1));
            const QTimeZone::OffsetData after = m_zone.nextTransition(utc);
            m_from = before.atUtc.isValid() ? before.atUtc.toMSecsSinceEpoch() : std::numeric_limits<qint64>::min();
            m_until = after.atUtc.isValid() ? after.atUtc.toMSecsSinceEpoch() : std::numeric_limits<qint64>::max();
        }
        const QDateTime local = utc.addSecs(m_offset);
        return local.date().toString(Qt::ISODate) + QLatin1Char(' ') + local.time().toString(Qt::ISODate);
    }

private:
    const QTimeZone m_zone = QTimeZone::systemTimeZone();
    mutable int m_offset = 0;
    mutable qint64 m_from = 0, m_until = 0; // the offset holds from, until
};

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
        // A terminal's role reads only its branches' records (policy
        // QDL_FILIAL), a filter no index serves: a role of one branch asks
        // for it, and its branch's records are read rather than every
        // branch's of the same times. Another branch is refused, not
        // listed empty.
        QString branch = command.branch;
        if (pg) {
            const int version = schemaVersionOf(db);
            if (!branch.isEmpty())
                requireBranchReadable(db, branch, version);
            else if (const QStringList own = terminalBranchesOf(db, version).branches; own.size() == 1)
                branch = own.first();
        }
        // Read in batches, each its own short statement that goes on below
        // the last record printed, newest first: the first lines come at
        // once, memory stays one batch whatever the history's size, and no
        // statement reads long enough to meet the wait limit. The time
        // indexes (DTALTERACAO, NRHISTORICO) and (CDFILIAL, DTALTERACAO,
        // NRHISTORICO) give that order for every filter; the full time is
        // read as the key (named apart: ORDER BY would take a result column
        // of the column's name), the printed one keeps only milliseconds.
        QString sql = QStringLiteral("SELECT %1, IDOPERACAO, CDFILIAL, NRCONFTELA, DSQUEM, DSANTES, DSDEPOIS, %2, NRHISTORICO "
                                     "FROM QDL_HISTORICO WHERE 1 = 1")
                          .arg(pg ? QStringLiteral("to_char(DTALTERACAO AT TIME ZONE 'UTC', 'YYYY-MM-DD HH24:MI:SS.MS')")
                                  : QStringLiteral("DTALTERACAO"),
                               pg ? QStringLiteral("CAST(DTALTERACAO AS TEXT) AS DTCHAVE") : QStringLiteral("DTALTERACAO AS DTCHAVE"));
        if (!branch.isEmpty())
            sql += QStringLiteral(" AND CDFILIAL = :P_CDFILIAL");
        if (!command.configuration.isEmpty())
            sql += QStringLiteral(" AND NRCONFTELA = :P_NRCONFTELA");
        if (since)
            sql += pg ? QStringLiteral(" AND DTALTERACAO >= CAST(:P_DESDE AS TIMESTAMPTZ)") : QStringLiteral(" AND DTALTERACAO >= :P_DESDE");
        const QString order = QStringLiteral(" ORDER BY DTALTERACAO DESC, NRHISTORICO DESC LIMIT %1").arg(kReadBatch);
        const QString below = pg ? QStringLiteral(" AND (DTALTERACAO, NRHISTORICO) < (CAST(:P_ATE AS TIMESTAMPTZ), :P_NRATE)")
                                 : QStringLiteral(" AND (DTALTERACAO, NRHISTORICO) < (:P_ATE, :P_NRATE)");
        qdl::Statement first(db, sql + order, tr("Erro ao ler o histórico do leiaute"));
        qdl::Statement next(db, sql + below + order, tr("Erro ao ler o histórico do leiaute"));
        // A statement lets go of its values when it has run: bound anew for
        // every batch.
        const auto bind = [&](qdl::Statement& q) {
            if (!branch.isEmpty())
                q.bindText(":P_CDFILIAL", branch);
            if (!command.configuration.isEmpty())
                q.bindText(":P_NRCONFTELA", command.configuration);
            if (since)
                q.bindTime(":P_DESDE", *since);
        };

        QStringList scope;
        if (!command.branch.isEmpty())
            scope << tr("filial %1").arg(quoted(command.branch));
        if (!command.configuration.isEmpty())
            scope << tr("configuração %1").arg(quoted(command.configuration));
        if (since)
            scope << tr("desde %1").arg(localText(*since));
        const QString where = printableText(withoutPassword(connectionString.trimmed()));
        out << tr("Histórico do leiaute de %1%2, a mais recente primeiro:")
                   .arg(where, scope.isEmpty() ? QString() : QStringLiteral(", ") + scope.join(QStringLiteral(", ")))
            << Qt::endl;

        const LocalClock clock;
        qint64 records = 0;
        QString lastTime;
        double lastNumber = 0;
        for (qdl::Statement* q = &first;; q = &next) {
            bind(*q);
            if (q == &next)
                q->bindText(":P_ATE", lastTime).bindNumber(":P_NRATE", lastNumber);
            int read = 0;
            q->forEachRow([&](const TADOQuery& record) {
                ++read;
                const QDateTime at = utcTime(record.value(0).toString());
                const QString op = record.value(1).toString();
                const QJsonObject before = row(record.value(5)), after = row(record.value(6));
                const QString what = op == QLatin1String("I")   ? tr("incluiu")
                                     : op == QLatin1String("U") ? tr("alterou")
                                     : op == QLatin1String("D") ? tr("excluiu")
                                                                : quoted(op);
                out << (at.isValid() ? clock.text(at) : quoted(record.value(0).toString()))
                    << QStringLiteral("  ") << printableText(record.value(4).toString()) << QStringLiteral("  ") << what << QLatin1Char(' ')
                    << tr("filial %1, configuração %2: %3")
                           .arg(quoted(record.value(2).toString()), quoted(record.value(3).toString()),
                                button(op == QLatin1String("D") ? before : after))
                    << QLatin1Char('\n');
                if (op == QLatin1String("U"))
                    if (const QString changed = changes(before, after); !changed.isEmpty())
                        out << QStringLiteral("    ") << changed << QLatin1Char('\n');
                lastTime = record.value(7).toString();
                lastNumber = record.value(8).toDouble();
            });
            records += read;
            out.flush(); // a batch's lines in one write
            if (read < kReadBatch)
                break;
        }
        out << tr("%n alteração(ões).", int(qMin<qint64>(records, INT_MAX))) << Qt::endl;
        return 0;
    } catch (const std::exception& e) {
        out.flush();
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
        // The oldest records first, a batch a transaction: every statement
        // stays short, a failure keeps the batches already removed, and
        // what is freed is reused by later records (autovacuum on
        // PostgreSQL, the file's free pages on SQLite) with no lock on the
        // whole table.
        const QString older = db.isPostgres() ? QStringLiteral("DTALTERACAO < CAST(:P_ANTES AS TIMESTAMPTZ)")
                                              : QStringLiteral("DTALTERACAO < :P_ANTES");
        qdl::Statement prune(db,
                             QStringLiteral("DELETE FROM QDL_HISTORICO WHERE NRHISTORICO IN (SELECT NRHISTORICO FROM QDL_HISTORICO "
                                            "WHERE %1 ORDER BY DTALTERACAO, NRHISTORICO LIMIT %2)")
                                 .arg(older)
                                 .arg(kPruneBatch),
                             tr("Erro ao remover registros do histórico do leiaute"));
        qint64 removed = 0;
        const auto say = [&] {
            out << tr("%n registro(s) do histórico anterior(es) a %1 removido(s).", int(qMin<qint64>(removed, INT_MAX)))
                       .arg(localText(*before))
                << Qt::endl;
        };
        try {
            for (int batch = kPruneBatch; batch == kPruneBatch; removed += batch) {
                qdl::Transaction transaction(db);
                batch = prune.bindTime(":P_ANTES", *before).run();
                transaction.commit();
            }
        } catch (const std::exception&) {
            if (removed > 0)
                say(); // those batches stay removed
            throw;
        }
        say();
        return 0;
    } catch (const std::exception& e) {
        return failed(err, tr("Não foi possível remover registros do histórico do leiaute: %1"), e);
    }
}
