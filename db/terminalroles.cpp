#include "terminalroles.h"

#include <QCoreApplication>
#include <QTextStream>

#include "adoconnection.h"
#include "statement.h"
#include "errors.h"
#include "schemaupgrade.h"
#include "serveroperations.h"

namespace {

using qdl::quotedIdentifier;

QString literal(const QString& text)
{
    return QLatin1Char('\'') + QString(text).replace(QLatin1Char('\''), QLatin1String("''")) + QLatin1Char('\'');
}


// The role as the server knows it, and the schema the tables are in.
struct Target {
    QString role, oid, schema;
};

const QString kTables = QStringLiteral("LOJA, CONFTELA, SALA, MESA, ITMENUCONFTE, QDL_VERSAO, QDL_HISTORICO");

Target target(TADOConnection& db, const QString& role)
{
    if (!db.isPostgres())
        throw EQdlError(QCoreApplication::translate("TerminalRoles", "Papéis de terminal só existem no PostgreSQL."));
    // The list is kept by role identity, the rights as the operations have them.
    if (const int version = schemaVersionOf(db); version != kSchemaVersion)
        throw EQdlError(schemaVersionNotice(version));
    const QString step = QCoreApplication::translate("TerminalRoles", "Erro ao ler o papel %1").arg(role);
    const QString owner = schemaOwnerOf(db);
    if (!qdl::Statement(db, QStringLiteral("SELECT pg_has_role(:P_OWNER, 'USAGE')"), step).bindText(":P_OWNER", owner).scalar().toBool())
        throw EQdlError(QCoreApplication::translate("TerminalRoles", "Só o dono do esquema (%1) dá e tira papéis de terminal; "
                                                                     "rode o comando conectado como %1.")
                            .arg(owner));
    const QVariant oid = qdl::Statement(db, QStringLiteral("SELECT oid::text FROM pg_roles WHERE rolname = :P_ROLE"), step)
                             .bindText(":P_ROLE", role)
                             .scalar();
    if (oid.isNull())
        throw EQdlError(QCoreApplication::translate("TerminalRoles", "O papel %1 não existe no servidor.").arg(role));
    return {role, oid.toString(), qdl::Statement(db, QStringLiteral("SELECT current_schema()"), step).scalar().toString()};
}

// The server confines none of these to a branch: a terminal of such a role
// would be refused everything it does, or be confined to nothing.
void refuseUnconfinable(TADOConnection& db, const Target& t)
{
    const QString owner = schemaOwnerOf(db);
    QString refusal;
    qdl::Statement q(db,
                     QStringLiteral("SELECT pg_has_role(oid, :P_OWNER, 'MEMBER'), rolsuper, rolbypassrls, "
                                    "rolname LIKE 'pg\\_%' OR oid < 16384 FROM pg_roles WHERE oid = CAST(:P_OID AS oid)"),
                     QCoreApplication::translate("TerminalRoles", "Erro ao ler o papel %1").arg(t.role));
    q.bindText(":P_OWNER", owner).bindText(":P_OID", t.oid).forEachRow([&](const TADOQuery& row) {
        if (row.value(0).toBool())
            refusal = QCoreApplication::translate("TerminalRoles", "O papel %1 é o dono do esquema (%2) ou age como ele: o dono não é confinado a filiais e as "
                         "operações do leiaute são dele. Dê --grant-terminal a um papel de terminal.")
                          .arg(t.role, owner);
        else if (row.value(1).toBool())
            refusal = QCoreApplication::translate("TerminalRoles", "O papel %1 é superusuário: o servidor não confina um superusuário a filial nenhuma.").arg(t.role);
        else if (row.value(2).toBool())
            refusal = QCoreApplication::translate("TerminalRoles", "O papel %1 tem BYPASSRLS: o servidor não o confina a filial nenhuma.").arg(t.role);
        else if (row.value(3).toBool())
            refusal = QCoreApplication::translate("TerminalRoles", "O papel %1 é um papel embutido do PostgreSQL: todos os seus membros seriam terminais.").arg(t.role);
    });
    if (!refusal.isEmpty())
        throw EQdlError(refusal);
}

// Runs the statements in one transaction; says them once they are done.
void run(TADOConnection& db, const QStringList& statements, QTextStream& log)
{
    qdl::Transaction transaction(db);
    for (const QString& sql : statements)
        db.execute(sql, sql);
    transaction.commit();
    for (const QString& sql : statements)
        log << sql << Qt::endl;
}

} // namespace

void grantTerminal(TADOConnection& db, const QString& role, const QStringList& branches, QTextStream& log, UnknownBranch unknown)
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
    refuseUnconfinable(db, t);
    refuseSchemaOthersMayWrite(db);
    for (const QString& code : codes)
        if (unknown == UnknownBranch::Refuse
            && qdl::Statement(db, QStringLiteral("SELECT COUNT(*) FROM LOJA WHERE CDFILIAL = :P_CDFILIAL"),
                           QCoreApplication::translate("TerminalRoles", "Erro ao ler as lojas (LOJA)"))
                .bindText(":P_CDFILIAL", code)
                .scalar()
                .toInt()
            == 0)
            throw EQdlError(QCoreApplication::translate("TerminalRoles", "A filial %1 não existe: nenhuma loja (LOJA) dela. "
                                                                         "Veja as filiais com qdl-host --branches.")
                                .arg(code));
    const QString r = quotedIdentifier(t.role);
    QStringList sql{
        // The tables are named without their schema.
        QStringLiteral("GRANT USAGE ON SCHEMA %1 TO %2").arg(quotedIdentifier(t.schema), r),
        // Exactly what follows, whatever the role held before.
        QStringLiteral("REVOKE ALL ON %1 FROM %2").arg(kTables, r),
        // Every read of the screen, the schema's version (the screen checks
        // it before writing) and the history of its branches (--history).
        // QDL_TERMINAL_FILIAL is readable by all.
        QStringLiteral("GRANT SELECT ON %1 TO %2").arg(kTables, r),
    };
    // Every write and lock of the layout: the owner's operations.
    sql << qdl::operationRights(r, true);
    sql << QStringLiteral("DELETE FROM QDL_TERMINAL_FILIAL WHERE ROLOID = %1").arg(t.oid);
    for (const QString& code : codes)
        sql << QStringLiteral("INSERT INTO QDL_TERMINAL_FILIAL (ROLOID, CDFILIAL) VALUES (%1, %2) ON CONFLICT DO NOTHING")
                   .arg(t.oid, literal(code));
    run(db, sql, log);
}

void revokeTerminal(TADOConnection& db, const QString& role, QTextStream& log)
{
    const Target t = target(db, role);
    const QString r = quotedIdentifier(t.role);
    QStringList sql{QStringLiteral("REVOKE ALL ON %1 FROM %2").arg(kTables, r)};
    sql << qdl::operationRights(r, false);
    sql << QStringLiteral("REVOKE USAGE ON SCHEMA %1 FROM %2").arg(quotedIdentifier(t.schema), r)
        << QStringLiteral("DELETE FROM QDL_TERMINAL_FILIAL WHERE ROLOID = %1").arg(t.oid);
    run(db, sql, log);
}
