#include "demodb.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "adoconnection.h"
#include "statement.h"
#include "connection.h"
#include "errors.h"
#include "schemaupgrade.h"
#include "layoutrules.h"

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

// The first column of every row of a query without parameters.
QStringList column(TADOConnection& db, const QString& sql, const QString& step)
{
    QStringList values;
    qdl::Statement(db, sql, step).forEachRow([&values](const TADOQuery& row) { values << row.value(0).toString(); });
    return values;
}

// The most a new database's folders and file let others do: read. The umask
// may take more away but never lets another user write there, nor put a
// file of theirs in the database's place; SQLite gives its journal and
// write-ahead files the database file's mode.
constexpr QFile::Permissions kNewFileMode = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther;
constexpr QFile::Permissions kNewFolderMode = kNewFileMode | QFile::ExeOwner | QFile::ExeGroup | QFile::ExeOther;

// QDir::mkpath, each missing folder made with kNewFolderMode.
bool makeFolders(const QString& path)
{
    const QFileInfo info(path);
    if (info.isDir())
        return true;
    return makeFolders(info.absolutePath()) && (QDir().mkdir(path, kNewFolderMode) || QFileInfo(path).isDir());
}

} // namespace

QString qdlSchemaScript(bool postgres)
{
    return readResource(postgres ? QStringLiteral(":/db/sql/schema_postgresql.sql") : QStringLiteral(":/db/sql/schema_sqlite.sql"));
}

QString qdlDemoScript()
{
    return readResource(QStringLiteral(":/db/sql/demo.sql"));
}

void createQdlDatabase(TADOConnection& db, bool withDemo)
{
    if (!db.Connected())
        throw EQdlError(QCoreApplication::translate("DemoDatabase", "O banco de dados precisa estar aberto para criar as tabelas."));

    const QString step = QCoreApplication::translate("DemoDatabase", "Erro ao criar o banco de dados");
    const QStringList tables = column(db,
                                      db.isPostgres() ? QStringLiteral("SELECT table_name FROM information_schema.tables "
                                                                       "WHERE table_schema = current_schema()")
                                                      : QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table'"),
                                      step);
    QStringList existing;
    for (const QString& t : kTables)
        if (tables.contains(t, Qt::CaseInsensitive))
            existing << t;
    if (!existing.isEmpty())
        throw EQdlError(QCoreApplication::translate("DemoDatabase", "O banco de dados já contém as tabelas %1; nada foi criado.")
                            .arg(existing.join(QStringLiteral(", "))));

    refuseSchemaOthersMayWrite(db);
    qdl::Transaction transaction(db);
    // The demo rows after the schema, on their own: the session then knows
    // the history is there and names who wrote them.
    db.runScript(qdlSchemaScript(db.isPostgres()), step);
    for (int version = kScriptedSchemaVersion + 1; version <= kSchemaVersion; ++version)
        applySchemaStep(db, version);
    if (withDemo)
        db.runScript(qdlDemoScript(), step);
    transaction.commit();
}

void createQdlDatabaseAt(const QString& connectionString, bool withDemo)
{
    const QString cs = connectionString.trimmed();
    QString createdFile;
    if (isSqliteConnectionString(cs)) {
        const QString path = sqlitePathOf(cs);
        if (path.trimmed().isEmpty())
            throw EQdlError(QCoreApplication::translate("DemoDatabase", "Cadeia de conexão sem o caminho do banco SQLite: \"%1\"").arg(cs));
        const QFileInfo info(path);
        if (!info.exists()) {
            if (!makeFolders(info.absolutePath()))
                throw EQdlError(QCoreApplication::translate("DemoDatabase", "Não foi possível criar a pasta %1").arg(info.absolutePath()));
            // An empty file is an empty SQLite database.
            QFile file(info.absoluteFilePath());
            if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly, kNewFileMode))
                throw EQdlError(QCoreApplication::translate("DemoDatabase", "Não foi possível criar o arquivo %1: %2")
                                    .arg(info.absoluteFilePath(), file.errorString()));
            createdFile = info.absoluteFilePath();
        }
    }
    try {
        TADOConnection db;
        db.ConnectionString = cs;
        db.setConnected(true);
        createQdlDatabase(db, withDemo);
    } catch (...) {
        // A file we created for nothing would later pass for a database.
        if (!createdFile.isEmpty()) {
            for (const char* suffix : {"", "-wal", "-shm", "-journal"})
                QFile::remove(createdFile + QLatin1String(suffix));
        }
        throw;
    }
}

QString describeQdlDatabase(TADOConnection& db)
{
    QStringList lines;
    const QString step = QCoreApplication::translate("DemoDatabase", "Erro ao descrever o banco de dados");
    auto count = [&db, &step](const QString& sql) { return column(db, sql, step).value(0).toInt(); };
    for (const QString& t : kTables) {
        QString line = QCoreApplication::translate("DemoDatabase", "%1: %n linha(s)", nullptr, count(QStringLiteral("SELECT COUNT(*) FROM ") + t))
                           .arg(t);
        if (t == QLatin1String("ITMENUCONFTE")) {
            const int areas = count(QStringLiteral("SELECT COUNT(*) FROM ITMENUCONFTE WHERE IDTPBUTTON = '%1'").arg(kAreaButtonType));
            const int tables = count(QStringLiteral("SELECT COUNT(*) FROM ITMENUCONFTE WHERE IDTPBUTTON = '%1'").arg(kTableButtonType));
            line += QStringLiteral(" (%1, %2)")
                        .arg(QCoreApplication::translate("DemoDatabase", "%n botão(ões) de ambiente", nullptr, areas),
                             QCoreApplication::translate("DemoDatabase", "%n botão(ões) de mesa", nullptr, tables));
        }
        lines << line;
    }

    const auto configuration = [](const TADOQuery& row) {
        return QCoreApplication::translate("DemoDatabase", "filial %1, configuração %2").arg(row.value(0).toString(), row.value(1).toString());
    };
    qdl::Statement q(db,
                     QStringLiteral("SELECT I.CDFILIAL, I.NRCONFTELA, I.NRBUTTON, I.DSBUTTON, I.CDIDENTBUTON "
                                    "FROM ITMENUCONFTE I WHERE I.IDTPBUTTON = :P_TIPO "
                                    "ORDER BY I.CDFILIAL, I.NRCONFTELA, I.NRBUTTON"),
                     step);
    q.bindText(":P_TIPO", kAreaButtonType);
    QString currentConf;
    QStringList areas;
    auto flushConf = [&] {
        if (!currentConf.isEmpty())
            lines << QCoreApplication::translate("DemoDatabase", "Ambientes posicionados em %1: %2").arg(currentConf, areas.join(QStringLiteral(", ")));
        areas.clear();
    };
    q.forEachRow([&](const TADOQuery& row) {
        const QString conf = configuration(row);
        if (conf != currentConf) {
            flushConf();
            currentConf = conf;
        }
        areas << QStringLiteral("%1 %2 (%3)").arg(row.value(2).toString(), row.value(3).toString(), row.value(4).toString());
    });
    flushConf();
    if (currentConf.isEmpty())
        lines << QCoreApplication::translate("DemoDatabase", "Nenhum ambiente posicionado.");

    // Where a layout can still go: a branch's configuration receives one
    // by --import-layout.
    QStringList empty;
    qdl::Statement(db,
                   QStringLiteral("SELECT C.CDFILIAL, C.NRCONFTELA FROM CONFTELA C WHERE NOT EXISTS (SELECT 1 FROM ITMENUCONFTE I "
                                  "WHERE I.CDFILIAL = C.CDFILIAL AND I.NRCONFTELA = C.NRCONFTELA) "
                                  "ORDER BY C.CDFILIAL, C.NRCONFTELA"),
                   step)
        .forEachRow([&](const TADOQuery& row) { empty << configuration(row); });
    if (!empty.isEmpty())
        lines << QCoreApplication::translate("DemoDatabase", "Configurações sem botões: %1").arg(empty.join(QStringLiteral("; ")));
    return lines.join(QLatin1Char('\n'));
}
