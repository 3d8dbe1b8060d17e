#include "schemaupgrade.h"

#include <QCoreApplication>
#include <QFile>
#include <QTextStream>

#include "adoconnection.h"
#include "statement.h"
#include "errors.h"
#include "serveroperations.h"

namespace {

QString readResource(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        throw EQdlError(QCoreApplication::translate("DemoDatabase", "Script SQL embutido não encontrado: %1").arg(path));
    return QString::fromUtf8(f.readAll());
}

// The step that takes a database from version step - 1 to step.
QString stepScript(int step, bool postgres)
{
    return readResource(QStringLiteral(":/db/sql/upgrade_%1_%2.sql")
                            .arg(step)
                            .arg(postgres ? QStringLiteral("postgresql") : QStringLiteral("sqlite")));
}

// The schema the layout is in, its owner, whether the connected role may
// act as that owner, and the roles besides the owners that may CREATE in it
// ("PUBLIC" for everyone).
struct SchemaAccess {
    QString schema;
    bool mayClose = false;
    QStringList creators;
};

SchemaAccess schemaAccessOf(TADOConnection& db)
{
    SchemaAccess access;
    const QString step = QCoreApplication::translate("SchemaVersion", "Erro ao ler os direitos do esquema");
    qdl::Statement q(db,
                     QStringLiteral("WITH s AS (SELECT n.oid, n.nspname, n.nspowner, n.nspacl, "
                                    "COALESCE((SELECT relowner FROM pg_class WHERE oid = to_regclass('itmenuconfte')), "
                                    "(SELECT oid FROM pg_roles WHERE rolname = current_user)) AS layoutowner "
                                    "FROM pg_namespace n WHERE n.oid = COALESCE((SELECT relnamespace FROM pg_class "
                                    "WHERE oid = to_regclass('itmenuconfte')), to_regnamespace(quote_ident(current_schema())))) "
                                    "SELECT s.nspname::text, pg_has_role(s.nspowner, 'MEMBER'), "
                                    "(SELECT string_agg(CASE WHEN a.grantee = 0 THEN 'PUBLIC' ELSE quote_ident(pg_get_userbyid(a.grantee)) END, "
                                    "',' ORDER BY a.grantee) FROM aclexplode(COALESCE(s.nspacl, acldefault('n', s.nspowner))) a "
                                    "WHERE a.privilege_type = 'CREATE' AND a.grantee NOT IN (s.nspowner, s.layoutowner)) FROM s"),
                     step);
    q.forEachRow([&access](const TADOQuery& row) {
        access.schema = row.value(0).toString();
        access.mayClose = row.value(1).toBool();
        if (!row.value(2).isNull())
            access.creators = row.value(2).toString().split(QLatin1Char(','));
    });
    return access;
}

QString revokeCreate(const SchemaAccess& access, const QString& role)
{
    return QStringLiteral("REVOKE CREATE ON SCHEMA %1 FROM %2").arg(qdl::quotedIdentifier(access.schema), role);
}

[[noreturn]] void refuse(const SchemaAccess& access)
{
    QStringList revokes;
    for (const QString& role : access.creators)
        revokes << revokeCreate(access, role) + QLatin1Char(';');
    throw EQdlError(QCoreApplication::translate("SchemaVersion",
                                                "O esquema %1 deixa %2 criar objetos nele: quem cria ali pode pôr um operador ou uma "
                                                "função no lugar dos que as funções do dono usam. Nada foi feito. O dono do esquema "
                                                "o fecha com: %3")
                        .arg(qdl::quotedIdentifier(access.schema), access.creators.join(QStringLiteral(", ")),
                             revokes.join(QLatin1Char(' '))));
}

} // namespace

void refuseSchemaOthersMayWrite(TADOConnection& db)
{
    if (!db.isPostgres())
        return;
    const SchemaAccess access = schemaAccessOf(db);
    if (!access.creators.isEmpty())
        refuse(access);
}

void closeSchemaOthersMayWrite(TADOConnection& db, QTextStream& log)
{
    if (!db.isPostgres())
        return;
    const SchemaAccess access = schemaAccessOf(db);
    if (access.creators.isEmpty())
        return;
    if (!access.mayClose)
        refuse(access);
    qdl::Transaction transaction(db);
    for (const QString& role : access.creators)
        db.execute(revokeCreate(access, role), QCoreApplication::translate("SchemaVersion", "Erro ao fechar o esquema"));
    transaction.commit();
    for (const QString& role : access.creators)
        log << QCoreApplication::translate("SchemaVersion", "O esquema %1 deixava %2 criar objetos nele; fechado: %3.")
                   .arg(qdl::quotedIdentifier(access.schema), role, revokeCreate(access, role))
            << Qt::endl;
}

void applySchemaStep(TADOConnection& db, int step)
{
    const QString what = QCoreApplication::translate("SchemaVersion", "Erro ao atualizar o esquema para a versão %1").arg(step);
    db.runScript(stepScript(step, db.isPostgres()), what);
    // Every later step makes the owner's operations again: a step may have
    // changed a statement they run.
    if (db.isPostgres() && step >= qdl::kOperationsSchemaVersion)
        qdl::installServerOperations(db);
}

QString schemaOwnerOf(TADOConnection& db)
{
    if (!db.isPostgres())
        return {};
    return qdl::Statement(db, QStringLiteral("SELECT pg_get_userbyid(relowner) FROM pg_class WHERE oid = to_regclass('itmenuconfte')"),
                          QCoreApplication::translate("SchemaVersion", "Erro ao ler o dono do esquema"))
        .scalar()
        .toString();
}

int schemaVersionOf(TADOConnection& db)
{
    const QString step = QCoreApplication::translate("SchemaVersion", "Erro ao ler a versão do esquema");
    return qdl::Statement(db, schemaVersionQuery(db.isPostgres()), step).scalar().toInt();
}

int upgradeSchema(TADOConnection& db, QTextStream& log)
{
    const int found = schemaVersionOf(db);
    if (found == kNoSchema)
        throw EQdlError(QCoreApplication::translate("SchemaVersion",
                                                    "O banco de dados não tem as tabelas da configuração de mesas; "
                                                    "crie-as com --create-demo."));
    if (schemaTooNew(found))
        throw EQdlError(schemaVersionNotice(found));
    closeSchemaOthersMayWrite(db, log);
    if (found == kSchemaVersion) {
        log << QCoreApplication::translate("SchemaVersion", "O esquema já está na versão %1.").arg(kSchemaVersion) << Qt::endl;
        return 0;
    }
    for (int step = found + 1; step <= kSchemaVersion; ++step) {
        qdl::Transaction transaction(db);
        applySchemaStep(db, step);
        transaction.commit();
        log << QCoreApplication::translate("SchemaVersion", "Esquema atualizado da versão %1 para a %2.").arg(step - 1).arg(step)
            << Qt::endl;
    }
    return kSchemaVersion - found;
}

QString upgradeOwnSqliteFile(const QString& path, QTextStream& log)
{
    TADOConnection db;
    db.ConnectionString = QStringLiteral("sqlite:") + path;
    db.setConnected(true);
    const int found = schemaVersionOf(db);
    if (found == kNoSchema || found >= kSchemaVersion)
        return {};
    const QString copy = QStringLiteral("%1.v%2.bak").arg(path).arg(found);
    // A consistent copy of the file as it stands, the journal's pages in it.
    QFile::remove(copy);
    db.execute(QStringLiteral("VACUUM INTO '%1'").arg(QString(copy).replace(QLatin1Char('\''), QLatin1String("''"))),
               QCoreApplication::translate("SchemaVersion", "Erro ao guardar a cópia do banco de dados em %1").arg(copy));
    log << QCoreApplication::translate("SchemaVersion", "Cópia do banco de dados antes da atualização: %1").arg(copy) << Qt::endl;
    upgradeSchema(db, log);
    return copy;
}
