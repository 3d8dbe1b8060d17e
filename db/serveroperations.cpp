#include "serveroperations.h"

#include <QCoreApplication>
#include <QHash>

#include "adoconnection.h"
#include "adoquery.h"
#include "errors.h"
#include "layoutrules.h"
#include "storedvalues.h"
#include "statement.h"

namespace qdl {

namespace {

// The operation's call read as its statement: no rows, and the count the
// function answers as the rows changed.
class OperationAsStatement final : public TADOQuery {
public:
    explicit OperationAsStatement(std::unique_ptr<TADOQuery> call) : m_call(std::move(call)) {}
    void bindText(const char* name, const QString& value) override { m_call->bindText(name, value); }
    void bindNumber(const char* name, double value) override { m_call->bindNumber(name, value); }
    void bindNull(const char* name) override { m_call->bindNull(name); }
    bool exec() override
    {
        m_changed = 0;
        if (!m_call->exec())
            return false;
        if (m_call->next())
            m_changed = m_call->value(0).toInt();
        return !m_call->lastError().isValid();
    }
    bool next() override { return false; }
    int columnCount() const override { return 0; }
    QString columnName(int) const override { return {}; }
    QVariant value(int) const override { return {}; }
    int numRowsAffected() const override { return m_changed; }
    DbError lastError() const override { return m_call->lastError(); }
    void finish() override { m_call->finish(); }
    TADOQuery& driverQuery() override { return m_call->driverQuery(); }

private:
    std::unique_ptr<TADOQuery> m_call;
    int m_changed = 0;
};

QStringList placeholderNames(const StatementDef& def)
{
    QStringList names;
    positionalSql(QString::fromUtf8(def.sql), &names);
    return names;
}

// Each parameter is typed as the column it stands for (":P_CDSALA" is
// MESA.CDSALA), read from the catalog: the values arrive as the statement's
// did.
QHash<QString, QString> columnTypes(TADOConnection& db)
{
    QHash<QString, QString> types;
    Statement q(db,
                QStringLiteral("SELECT upper(c.relname), upper(a.attname), format_type(a.atttypid, NULL) FROM pg_attribute a "
                               "JOIN pg_class c ON c.oid = a.attrelid WHERE a.attrelid IN ('itmenuconfte'::regclass, 'mesa'::regclass) "
                               "AND a.attnum > 0 AND NOT a.attisdropped"),
                QCoreApplication::translate("ServerOperations", "Erro ao ler as colunas do leiaute"));
    q.forEachRow([&types](const TADOQuery& row) {
        types.insert(row.value(0).toString() + QLatin1Char('.') + row.value(1).toString(), row.value(2).toString());
    });
    return types;
}

QString parameterType(const QHash<QString, QString>& types, const StatementDef& def, const QString& placeholder)
{
    QString column = placeholder.mid(2); // P_CDSALA -> CDSALA
    // The value a screen read is of its column's type: P_DSBUTTON_LIDO -> DSBUTTON.
    if (column.endsWith(QLatin1String("_LIDO")))
        column.chop(5);
    for (const char* table : {"ITMENUCONFTE.", "MESA."}) {
        const QString type = types.value(QLatin1String(table) + column);
        if (!type.isEmpty())
            return type;
    }
    throw EQdlError(QStringLiteral("%1: :%2 names no column of ITMENUCONFTE or MESA").arg(QLatin1String(def.component), placeholder));
}

// What an operation refuses before it writes, whoever calls it: a colour
// that is no RGB value, and a new row whose key is not in the form the
// screen writes or whose configuration the branch does not have. The
// values are the function's own arguments ($n).
QStringList operationGuards(const StatementDef& def, const QStringList& names)
{
    const auto argument = [&names](const char* name) {
        const qsizetype i = names.indexOf(QLatin1String(name));
        return i < 0 ? QString() : QStringLiteral("$%1").arg(i + 1);
    };
    QStringList guards;
    for (const char* colour : {"P_NRCOLORTEXT", "P_NRCOLORBACK"})
        if (const QString c = argument(colour); !c.isEmpty())
            guards << QStringLiteral("IF %1 THEN\n"
                                     "    RAISE EXCEPTION 'cor fora do intervalo 0..%2: %', %3 USING ERRCODE = 'check_violation';\n"
                                     "  END IF;")
                          .arg(noColourSql(c.toLatin1().constData()))
                          .arg(kHighestStoredColour)
                          .arg(c);
    if (!QByteArray(def.sql).startsWith("INSERT INTO ITMENUCONFTE"))
        return guards;
    QStringList key;
    for (const char* column : {"IDTPBUTTON", "NRBUTTON", "NRPGCONFTELA", "IDTPBUTONAUX", "NRBUTTONAUX", "NRPGCONFTAUX"})
        key << QStringLiteral("%1 AS %2").arg(argument((QByteArray("P_") + column).constData()), QLatin1String(column));
    guards << QStringLiteral("IF NOT EXISTS (SELECT 1 FROM (SELECT %1) t WHERE %2) THEN\n"
                             "    RAISE EXCEPTION 'botão fora do leiaute: tipo %, botão %, página %, sob % % %', %3 USING ERRCODE = 'check_violation';\n"
                             "  END IF;")
                  .arg(key.join(QLatin1String(", ")), qdl::layout::soundKeySql(true),
                       QStringList{argument("P_IDTPBUTTON"), argument("P_NRBUTTON"), argument("P_NRPGCONFTELA"),
                                   argument("P_IDTPBUTONAUX"), argument("P_NRBUTTONAUX"), argument("P_NRPGCONFTAUX")}
                           .join(QLatin1String(", ")));
    guards << QStringLiteral("IF NOT EXISTS (SELECT 1 FROM CONFTELA WHERE CDFILIAL = %1 AND NRCONFTELA = %2) THEN\n"
                             "    RAISE EXCEPTION 'a configuração de tela % da filial % não existe (CONFTELA)', %2, %1 "
                             "USING ERRCODE = 'foreign_key_violation';\n"
                             "  END IF;")
                  .arg(argument("P_CDFILIAL"), argument("P_NRCONFTELA"));
    return guards;
}

QString guardLines(const StatementDef& def, const QStringList& names)
{
    QString lines;
    for (const QString& guard : operationGuards(def, names))
        lines += QStringLiteral("  ") + guard + QLatin1Char('\n');
    return lines;
}

// A lock's SELECT runs as PERFORM: its rows are locked, not answered.
QString functionBody(const StatementDef& def)
{
    QStringList names;
    QString sql = positionalSql(QString::fromUtf8(def.sql), &names);
    if (sql.startsWith(QLatin1String("SELECT ")))
        sql.replace(0, 6, QStringLiteral("PERFORM"));
    return sql;
}

// An operation whose statement gained or lost a value is another function
// to the server: the one with the old arguments goes, or a role granted it
// would keep running the statement as it was.
void dropOtherSignatures(TADOConnection& db, const QString& schema, const QString& name, const QString& arguments,
                         const QString& step)
{
    QStringList stale;
    Statement q(db,
                QStringLiteral("SELECT p.oid::regprocedure::text FROM pg_proc p JOIN pg_namespace n ON n.oid = p.pronamespace "
                               "WHERE n.nspname = :P_SCHEMA AND p.proname = :P_NAME "
                               "AND pg_get_function_identity_arguments(p.oid) <> :P_ARGUMENTS"),
                step);
    q.bindText(":P_SCHEMA", schema).bindText(":P_NAME", name).bindText(":P_ARGUMENTS", arguments);
    q.forEachRow([&stale](const TADOQuery& row) { stale << row.value(0).toString(); });
    for (const QString& signature : std::as_const(stale))
        db.execute(QStringLiteral("DROP FUNCTION %1").arg(signature), step);
}

} // namespace

QString quotedIdentifier(const QString& name)
{
    return QLatin1Char('"') + QString(name).replace(QLatin1Char('"'), QLatin1String("\"\"")) + QLatin1Char('"');
}

QString operationName(const StatementDef& def)
{
    return QStringLiteral("qdl_") + QString::fromLatin1(def.component).toLower();
}

QString operationCall(const StatementDef& def)
{
    QStringList arguments;
    for (const QString& name : placeholderNames(def))
        arguments << QLatin1Char(':') + name;
    return QStringLiteral("SELECT %1(%2)").arg(operationName(def), arguments.join(QLatin1String(", ")));
}

std::unique_ptr<TADOQuery> asStatement(std::unique_ptr<TADOQuery> preparedCall)
{
    return std::make_unique<OperationAsStatement>(std::move(preparedCall));
}

std::unique_ptr<TADOQuery> prepareStatement(TADOConnection& db, const StatementDef& def, int schemaVersion, const QString& step)
{
    const bool operation = writesThroughOperation(def, db.isPostgres(), schemaVersion);
    DbError error;
    std::unique_ptr<TADOQuery> q = db.prepare(operation ? operationCall(def) : QString::fromUtf8(def.sql), error);
    if (!q)
        throw EDatabaseError(step, error);
    return operation ? asStatement(std::move(q)) : std::move(q);
}

void installServerOperations(TADOConnection& db)
{
    const QHash<QString, QString> types = columnTypes(db);
    const QString schema = Statement(db, QStringLiteral("SELECT current_schema()"),
                                     QCoreApplication::translate("ServerOperations", "Erro ao ler o esquema"))
                               .scalar()
                               .toString();
    QStringList terminals;
    Statement listed(db,
                     QStringLiteral("SELECT DISTINCT quote_ident(R.rolname) FROM QDL_TERMINAL_FILIAL T "
                                    "JOIN pg_roles R ON R.oid = T.ROLOID"),
                     QCoreApplication::translate("ServerOperations", "Erro ao ler os papéis de terminal"));
    listed.forEachRow([&terminals](const TADOQuery& row) { terminals << row.value(0).toString(); });

    for (const StatementDef& def : kStatements) {
        if (!def.writes())
            continue;
        const QStringList names = placeholderNames(def);
        QStringList parameters;
        for (const QString& name : names)
            parameters << parameterType(types, def, name);
        const qsizetype branch = names.indexOf(QStringLiteral("P_CDFILIAL"));
        if (branch < 0)
            throw EQdlError(QStringLiteral("%1 names no branch").arg(QLatin1String(def.component)));
        const QString name = operationName(def);
        const QString step = QCoreApplication::translate("ServerOperations", "Erro ao criar a operação %1").arg(name);
        dropOtherSignatures(db, schema, name, parameters.join(QLatin1String(", ")), step);
        db.execute(QStringLiteral("CREATE OR REPLACE FUNCTION %1(%2) RETURNS integer LANGUAGE plpgsql SECURITY DEFINER "
                                  "SET search_path = %3, pg_temp AS $qdl$\n"
                                  "DECLARE\n  changed integer;\nBEGIN\n"
                                  "  PERFORM QDL_CONFERE_FILIAL($%4);\n"
                                  "%6"
                                  "  %5;\n"
                                  "  GET DIAGNOSTICS changed = ROW_COUNT;\n"
                                  "  RETURN changed;\nEND $qdl$")
                       .arg(name, parameters.join(QLatin1String(", ")), quotedIdentifier(schema))
                       .arg(branch + 1)
                       .arg(functionBody(def), guardLines(def, names)),
                   step);
        // Functions are anyone's to run unless told otherwise.
        db.execute(QStringLiteral("REVOKE ALL ON FUNCTION %1 FROM PUBLIC").arg(name), step);
        for (const QString& role : std::as_const(terminals))
            db.execute(QStringLiteral("GRANT EXECUTE ON FUNCTION %1 TO %2").arg(name, role), step);
    }
}

QStringList operationRights(const QString& quotedRole, bool grant)
{
    QStringList sql;
    for (const StatementDef& def : kStatements)
        if (def.writes())
            sql << (grant ? QStringLiteral("GRANT EXECUTE ON FUNCTION %1 TO %2") : QStringLiteral("REVOKE ALL ON FUNCTION %1 FROM %2"))
                       .arg(operationName(def), quotedRole);
    return sql;
}

} // namespace qdl
