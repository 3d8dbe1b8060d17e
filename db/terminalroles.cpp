#include "terminalroles.h"

#include <QCoreApplication>
#include <QTextStream>

#include "adoconnection.h"
#include "statement.h"
#include "errors.h"
#include "schemaupgrade.h"

namespace {

QString ident(const QString& name)
{
    return QLatin1Char('"') + QString(name).replace(QLatin1Char('"'), QLatin1String("\"\"")) + QLatin1Char('"');
}

QString literal(const QString& text)
{
    return QLatin1Char('\'') + QString(text).replace(QLatin1Char('\''), QLatin1String("''")) + QLatin1Char('\'');
}


// The role's name as the server knows it, and the schema the tables are in.
struct Target {
    QString role, schema;
};

Target target(TADOConnection& db, const QString& role)
{
    if (!db.isPostgres())
        throw EQdlError(QCoreApplication::translate("TerminalRoles", "Papéis de terminal só existem no PostgreSQL."));
    const QString step = QCoreApplication::translate("TerminalRoles", "Erro ao ler o papel %1").arg(role);
    if (qdl::Statement(db, QStringLiteral("SELECT rolname FROM pg_roles WHERE rolname = :P_ROLE"), step)
            .bindText(":P_ROLE", role)
            .scalar()
            .isNull())
        throw EQdlError(QCoreApplication::translate("TerminalRoles", "O papel %1 não existe no servidor.").arg(role));
    // The grants name the history's table (version 3).
    if (const int version = schemaVersionOf(db); version < 3)
        throw EQdlError(schemaVersionNotice(version));
    return {role, qdl::Statement(db, QStringLiteral("SELECT current_schema()"), step).scalar().toString()};
}

void run(TADOConnection& db, const QStringList& statements, QTextStream& log)
{
    qdl::Transaction transaction(db);
    for (const QString& sql : statements) {
        db.execute(sql, sql);
        log << sql << Qt::endl;
    }
    transaction.commit();
}

} // namespace

void grantTerminal(TADOConnection& db, const QString& role, const QStringList& branches, QTextStream& log)
{
    QStringList codes;
    for (const QString& b : branches)
        if (!b.trimmed().isEmpty())
            codes << b.trimmed();
    if (codes.isEmpty())
        throw EQdlError(QCoreApplication::translate("TerminalRoles", "--grant-terminal precisa de --branch CÓDIGO[,CÓDIGO...]."));
    for (const QString& code : codes)
        if (code.size() > 4)
            throw EQdlError(QCoreApplication::translate("TerminalRoles", "Código de filial com mais de 4 caracteres: %1").arg(code));
    const Target t = target(db, role);
    const QString r = ident(t.role);
    QStringList sql{
        // The tables are named without their schema.
        QStringLiteral("GRANT USAGE ON SCHEMA %1 TO %2").arg(ident(t.schema), r),
        // Every read of the screen, and the schema's version (the screen
        // checks it before writing). QDL_TERMINAL_FILIAL is readable by all.
        QStringLiteral("GRANT SELECT ON LOJA, CONFTELA, SALA, MESA, ITMENUCONFTE, QDL_VERSAO TO %1").arg(r),
        // The layout itself: rename, recolour, add, move and delete buttons.
        QStringLiteral("GRANT INSERT, UPDATE, DELETE ON ITMENUCONFTE TO %1").arg(r),
        // The history of its branches (qdl-host --history); its records are
        // written by the owner's trigger function, never by the role.
        QStringLiteral("GRANT SELECT ON QDL_HISTORICO TO %1").arg(r),
        // Area removal locks the area's tables (SELECT ... FOR SHARE), which
        // PostgreSQL allows only with UPDATE on at least one column; the
        // policy QDL_SO_TRAVA refuses any row such a role would write.
        QStringLiteral("GRANT UPDATE (IDSTMESAAUX) ON MESA TO %1").arg(r),
        QStringLiteral("DELETE FROM QDL_TERMINAL_FILIAL WHERE ROLNAME = %1").arg(literal(t.role)),
    };
    for (const QString& code : codes)
        sql << QStringLiteral("INSERT INTO QDL_TERMINAL_FILIAL (ROLNAME, CDFILIAL) VALUES (%1, %2) ON CONFLICT DO NOTHING")
                   .arg(literal(t.role), literal(code));
    run(db, sql, log);
}

void revokeTerminal(TADOConnection& db, const QString& role, QTextStream& log)
{
    const Target t = target(db, role);
    const QString r = ident(t.role);
    run(db,
        {
            // Column privileges go with the table's.
            QStringLiteral("REVOKE ALL ON LOJA, CONFTELA, SALA, MESA, ITMENUCONFTE, QDL_VERSAO, QDL_HISTORICO FROM %1").arg(r),
            QStringLiteral("REVOKE USAGE ON SCHEMA %1 FROM %2").arg(ident(t.schema), r),
            QStringLiteral("DELETE FROM QDL_TERMINAL_FILIAL WHERE ROLNAME = %1").arg(literal(t.role)),
        },
        log);
}
