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

} // namespace

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
