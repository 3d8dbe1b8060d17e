#include "demodb.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QUrl>
#include <atomic>

#include "connection.h"
#include "errors.h"

namespace {

const QStringList kTables = {QStringLiteral("ITMENUCONFTE"), QStringLiteral("CONFTELA"), QStringLiteral("MESA"),
                             QStringLiteral("SALA"), QStringLiteral("LOJA")};

QString readResource(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        throw EQdlError(QCoreApplication::translate("DemoDatabase", "Script SQL embutido não encontrado: %1").arg(path));
    return QString::fromUtf8(f.readAll());
}

void execOrThrow(QSqlDatabase& db, const QString& sql, const QString& step)
{
    QSqlQuery q(db);
    if (!q.exec(sql))
        throw EDatabaseError(step + QStringLiteral(":\n") + sql.left(300), q.lastError());
    q.finish();
}

} // namespace

QString qdlSchemaScript(const QString& driverName)
{
    if (driverName == QLatin1String("QSQLITE"))
        return readResource(QStringLiteral(":/db/sql/schema_sqlite.sql"));
    if (driverName == QLatin1String("QPSQL"))
        return readResource(QStringLiteral(":/db/sql/schema_postgresql.sql"));
    throw EQdlError(QCoreApplication::translate("DemoDatabase", "Banco de dados não suportado pelo driver %1.").arg(driverName));
}

QString qdlDemoScript()
{
    return readResource(QStringLiteral(":/db/sql/demo.sql"));
}

void createQdlDatabase(QSqlDatabase& db, bool withDemo)
{
    if (!db.isOpen())
        throw EQdlError(QCoreApplication::translate("DemoDatabase", "O banco de dados precisa estar aberto para criar as tabelas."));

    QStringList existing;
    const QStringList tables = db.tables(QSql::Tables);
    for (const QString& t : kTables)
        if (tables.contains(t, Qt::CaseInsensitive))
            existing << t;
    if (!existing.isEmpty())
        throw EQdlError(QCoreApplication::translate("DemoDatabase", "O banco de dados já contém as tabelas %1; nada foi criado.")
                            .arg(existing.join(QStringLiteral(", "))));

    QString script = qdlSchemaScript(db.driverName());
    if (withDemo)
        script += QLatin1Char('\n') + qdlDemoScript();

    const bool sqlite = db.driverName() == QLatin1String("QSQLITE");
    if (sqlite)
        execOrThrow(db, QStringLiteral("BEGIN IMMEDIATE"), QCoreApplication::translate("DemoDatabase", "Erro ao iniciar a transação"));
    else if (!db.transaction())
        throw EDatabaseError(QCoreApplication::translate("DemoDatabase", "Erro ao iniciar a transação"), db.lastError());
    try {
        runSqlScript(db, script, QCoreApplication::translate("DemoDatabase", "Erro ao criar o banco de dados"));
        if (sqlite)
            execOrThrow(db, QStringLiteral("COMMIT"), QCoreApplication::translate("DemoDatabase", "Erro ao confirmar a criação das tabelas"));
        else if (!db.commit())
            throw EDatabaseError(QCoreApplication::translate("DemoDatabase", "Erro ao confirmar a criação das tabelas"), db.lastError());
    } catch (...) {
        if (sqlite) {
            QSqlQuery q(db);
            q.exec(QStringLiteral("ROLLBACK"));
        } else {
            db.rollback();
        }
        throw;
    }
}

void createQdlDatabaseAt(const QString& connectionString, bool withDemo)
{
    static std::atomic<int> counter{0};
    const QString name = QStringLiteral("qdl-create-%1").arg(++counter);
    const QString cs = connectionString.trimmed();
    QString createdFile;
    {
        QSqlDatabase db;
        if (isSqliteConnectionString(cs)) {
            const QString path = sqlitePathOf(cs);
            if (path.trimmed().isEmpty())
                throw EQdlError(QCoreApplication::translate("DemoDatabase", "Cadeia de conexão sem o caminho do banco SQLite: \"%1\"").arg(cs));
            const QFileInfo info(path);
            if (!info.exists()) {
                if (!QDir().mkpath(info.absolutePath()))
                    throw EQdlError(QCoreApplication::translate("DemoDatabase", "Não foi possível criar a pasta %1").arg(info.absolutePath()));
                createdFile = info.absoluteFilePath();
            }
            db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
            db.setDatabaseName(info.absoluteFilePath());
        } else {
            db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name);
            applyConnectionString(db, cs);
        }
        try {
            if (!db.open())
                throw EDatabaseError(QCoreApplication::translate("DemoDatabase", "Não foi possível abrir o banco de dados"), db.lastError());
            createQdlDatabase(db, withDemo);
            db.close();
        } catch (...) {
            db.close();
            db = QSqlDatabase();
            QSqlDatabase::removeDatabase(name);
            // A file we created for nothing would later pass for a database.
            if (!createdFile.isEmpty())
                QFile::remove(createdFile);
            throw;
        }
    }
    QSqlDatabase::removeDatabase(name);
}

QString describeQdlDatabase(QSqlDatabase& db)
{
    QStringList lines;
    auto scalar = [&db](const QString& sql) -> QString {
        QSqlQuery q(db);
        if (!q.exec(sql))
            throw EDatabaseError(QCoreApplication::translate("DemoDatabase", "Erro ao descrever o banco de dados"), q.lastError());
        const QString v = q.next() ? q.value(0).toString() : QString();
        q.finish();
        return v;
    };
    for (const QString& t : kTables) {
        QString line = QCoreApplication::translate("DemoDatabase", "%1: %2 linhas").arg(t, scalar(QStringLiteral("SELECT COUNT(*) FROM ") + t));
        if (t == QLatin1String("ITMENUCONFTE"))
            line += QCoreApplication::translate("DemoDatabase", " (%1 botões de ambiente, %2 botões de mesa)")
                        .arg(scalar(QStringLiteral("SELECT COUNT(*) FROM ITMENUCONFTE WHERE IDTPBUTTON = '4'")),
                             scalar(QStringLiteral("SELECT COUNT(*) FROM ITMENUCONFTE WHERE IDTPBUTTON = '3'")));
        lines << line;
    }

    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("SELECT I.CDFILIAL, I.NRCONFTELA, I.NRBUTTON, I.DSBUTTON, I.CDIDENTBUTON "
                               "FROM ITMENUCONFTE I WHERE I.IDTPBUTTON = '4' "
                               "ORDER BY I.CDFILIAL, I.NRCONFTELA, I.NRBUTTON")))
        throw EDatabaseError(QCoreApplication::translate("DemoDatabase", "Erro ao descrever o banco de dados"), q.lastError());
    QString currentConf;
    QStringList areas;
    auto flushConf = [&] {
        if (!currentConf.isEmpty())
            lines << QCoreApplication::translate("DemoDatabase", "Ambientes posicionados em %1: %2").arg(currentConf, areas.join(QStringLiteral(", ")));
        areas.clear();
    };
    while (q.next()) {
        const QString conf = QCoreApplication::translate("DemoDatabase", "filial %1, configuração %2").arg(q.value(0).toString(), q.value(1).toString());
        if (conf != currentConf) {
            flushConf();
            currentConf = conf;
        }
        areas << QStringLiteral("%1 %2 (%3)").arg(q.value(2).toString(), q.value(3).toString(), q.value(4).toString());
    }
    q.finish();
    flushConf();
    if (currentConf.isEmpty())
        lines << QCoreApplication::translate("DemoDatabase", "Nenhum ambiente posicionado.");
    return lines.join(QLatin1Char('\n'));
}
