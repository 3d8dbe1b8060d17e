#include "connection.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QThread>
#include <QUrl>
#include <QUrlQuery>
#include <atomic>

#include "adoconnection.h"
#include "errors.h"

namespace {

QString& connectionStringOverride()
{
    static QString value;
    return value;
}

bool isPostgresString(const QString& cs)
{
    return cs.startsWith(QLatin1String("postgresql://"), Qt::CaseInsensitive)
        || cs.startsWith(QLatin1String("postgres://"), Qt::CaseInsensitive);
}

// A QSqlDatabase can't change its driver; give the handle a fresh one under
// the same connection name (or a new name when it had none).
void ensureDriver(QSqlDatabase& db, const QString& driver)
{
    if (db.isValid() && db.driverName() == driver)
        return;
    static std::atomic<int> counter{0};
    QString name = db.connectionName();
    if (name.isEmpty())
        name = QStringLiteral("qdl-conn-%1").arg(++counter);
    db = QSqlDatabase();
    if (QSqlDatabase::contains(name))
        QSqlDatabase::removeDatabase(name);
    db = QSqlDatabase::addDatabase(driver, name);
    if (!db.isValid())
        throw EQdlError(QCoreApplication::translate("Connection", "O driver %1 do Qt SQL não está instalado.").arg(driver));
}


void applySqlite(QSqlDatabase& db, const QString& cs)
{
    const QString path = sqlitePathOf(cs);
    if (path.trimmed().isEmpty())
        throw EQdlError(QCoreApplication::translate("Connection", "Cadeia de conexão sem o caminho do banco SQLite: \"%1\"").arg(cs));
    const QFileInfo info(path);
    // Opening a missing path would silently create an empty database and
    // the screen would then fail on missing tables; say what is wrong.
    if (!info.exists() || !info.isFile())
        throw EQdlError(QCoreApplication::translate("Connection", "Banco de dados não encontrado: %1").arg(path));
    ensureDriver(db, QStringLiteral("QSQLITE"));
    // mode=rw: even if the file vanishes before the open, SQLite must not
    // create it.
    QUrl uri = QUrl::fromLocalFile(info.absoluteFilePath());
    uri.setQuery(QStringLiteral("mode=rw"));
    db.setDatabaseName(uri.toString(QUrl::FullyEncoded));
    db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_URI;QSQLITE_BUSY_TIMEOUT=%1").arg(waitLimitMs()));
}

void applyPostgres(QSqlDatabase& db, const QString& cs)
{
    const QUrl url(cs, QUrl::StrictMode);
    if (!url.isValid())
        throw EQdlError(QCoreApplication::translate("Connection", "Cadeia de conexão PostgreSQL inválida: %1").arg(withoutPassword(cs)));
    QString dbName = url.path(QUrl::FullyDecoded);
    if (dbName.startsWith(QLatin1Char('/')))
        dbName.remove(0, 1);
    QString host = url.host(QUrl::FullyDecoded);
    QStringList options;
    // The server ends a statement, or a commit's wait for its standby, that
    // runs past the wait limit; the session's own options come first.
    QString serverOptions;
    const QUrlQuery query(url);
    for (const auto& [key, value] : query.queryItems(QUrl::FullyDecoded)) {
        // libpq URI conventions: ?host=/socket/dir and ?dbname=... override
        // the authority and path; anything else is a libpq option.
        if (key == QLatin1String("host"))
            host = value;
        else if (key == QLatin1String("dbname"))
            dbName = value;
        else if (key == QLatin1String("application_name"))
            continue;
        else if (key == QLatin1String("options"))
            serverOptions = value.trimmed().remove(QLatin1Char('\'')) + QLatin1Char(' ');
        else
            options << key + QLatin1Char('=') + value;
    }
    options << QStringLiteral("options='%1-c statement_timeout=%2'").arg(serverOptions).arg(waitLimitMs());
    // The session's name travels in the start-up message, from libpq's
    // PGAPPNAME: a SET after connecting would cost a terminal far from the
    // server a round trip. Set once, before the first connection of the
    // process; the screen names its sessions itself, whatever the URL says.
    static const bool named = qputenv("PGAPPNAME", QByteArrayLiteral("quadrel-qdl00005"));
    Q_UNUSED(named);
    ensureDriver(db, QStringLiteral("QPSQL"));
    db.setHostName(host);
    db.setPort(url.port(-1));
    db.setUserName(url.userName(QUrl::FullyDecoded));
    db.setPassword(url.password(QUrl::FullyDecoded));
    db.setDatabaseName(dbName);
    db.setConnectOptions(options.join(QLatin1Char(';')));
}

// PostgreSQL's message carries the statement's position ("LINE 1: EXECUTE
// qpsqlpstmt_3 ...", a caret line), the PL/pgSQL context and the SQLSTATE on
// a line of its own; keep what an operator can read, and the code.
QString readableDatabaseText(const QString& text, QString* sqlState)
{
    static const QRegularExpression stateLine(QStringLiteral("^\\(([0-9A-Z]{5})\\)$"));
    QStringList kept;
    for (QString line : text.split(QLatin1Char('\n'))) {
        line = line.trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1String("LINE ")) || line.startsWith(QLatin1String("CONTEXT:"))
            || line.startsWith(QLatin1Char('^')))
            continue;
        const QRegularExpressionMatch m = stateLine.match(line);
        if (m.hasMatch()) {
            if (sqlState)
                *sqlState = m.captured(1);
            continue;
        }
        for (const char* prefix : {"ERROR:", "FATAL:"}) {
            if (line.startsWith(QLatin1String(prefix)))
                line = line.mid(int(qstrlen(prefix))).trimmed();
        }
        kept << line;
    }
    return kept.join(QLatin1Char('\n'));
}

} // namespace

void setConnectionStringOverride(const QString& connectionString)
{
    connectionStringOverride() = connectionString;
}

// The demo database lives in the user's data folder, $XDG_DATA_HOME (normally
// ~/.local/share) + "/quadrel/qdl-demo.db", the same place whatever the name
// of the program that asks.
QString defaultDatabasePath()
{
    QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (base.isEmpty())
        base = QDir::homePath() + QStringLiteral("/.local/share");
    return base + QStringLiteral("/quadrel/qdl-demo.db");
}

namespace {
const QLatin1String kSqlitePrefix("sqlite:");
}

bool isSqliteConnectionString(const QString& connectionString)
{
    return connectionString.trimmed().startsWith(kSqlitePrefix, Qt::CaseInsensitive);
}

QString sqlitePathOf(const QString& connectionString)
{
    if (!isSqliteConnectionString(connectionString))
        return {};
    return connectionString.trimmed().mid(kSqlitePrefix.size());
}

QString driverOf(const QString& connectionString)
{
    return isSqliteConnectionString(connectionString) ? QStringLiteral("QSQLITE") : QStringLiteral("QPSQL");
}

QString withoutPassword(const QString& connectionString)
{
    QUrl url(connectionString, QUrl::StrictMode);
    if (url.isValid() && !url.scheme().isEmpty()) {
        if (!url.password().isEmpty())
            url.setPassword(QStringLiteral("***"));
        // libpq takes a password as a query item too.
        QUrlQuery query(url);
        if (query.hasQueryItem(QStringLiteral("password"))) {
            query.removeAllQueryItems(QStringLiteral("password"));
            query.addQueryItem(QStringLiteral("password"), QStringLiteral("***"));
            url.setQuery(query);
        }
        return url.toString() == QUrl(connectionString, QUrl::StrictMode).toString() ? connectionString : url.toString();
    }
    // A keyword string: password=value or password='quoted value'.
    static const QRegularExpression keyword(QStringLiteral("(^|\\s)(password\\s*=\\s*)('(?:[^'\\\\]|\\\\.)*'|\\S+)"),
                                            QRegularExpression::CaseInsensitiveOption);
    QString shown = connectionString;
    shown.replace(keyword, QStringLiteral("\\1\\2***"));
    return shown;
}

// How long an action may wait on the database (a SQLite file another
// writer holds, a PostgreSQL statement or commit that does not end) before
// it is told as failed: QDL_WAIT_LIMIT seconds, 30 by default.
int waitLimitMs()
{
    bool ok = false;
    const int seconds = qEnvironmentVariableIntValue("QDL_WAIT_LIMIT", &ok);
    return ok && seconds > 0 ? seconds * 1000 : 30000;
}

QString _GetStringConexQdl(const QString& /*unused*/)
{
    if (!connectionStringOverride().isEmpty())
        return connectionStringOverride();
    const QString env = qEnvironmentVariable("QDL_DATABASE");
    if (!env.isEmpty())
        return env;
    return kSqlitePrefix + defaultDatabasePath();
}

void applyConnectionString(QSqlDatabase& db, const QString& connectionString)
{
    const QString cs = connectionString.trimmed();
    if (isSqliteConnectionString(cs))
        applySqlite(db, cs);
    else if (isPostgresString(cs))
        applyPostgres(db, cs);
    else
        throw EQdlError(QCoreApplication::translate("Connection", "Cadeia de conexão não reconhecida: \"%1\" (use sqlite:CAMINHO ou "
                                       "postgresql://usuario@servidor:porta/banco)")
                            .arg(withoutPassword(cs)));
}

namespace {

QString sqliteJournalMode(const QSqlDatabase& db)
{
    QSqlQuery q(db);
    const QString mode = q.exec(QStringLiteral("PRAGMA journal_mode")) && q.next() ? q.value(0).toString() : QString();
    q.finish();
    return mode.toLower();
}

// Terminals opening a file still in rollback mode at the same moment all try
// the switch to WAL; SQLite refuses it at once, without the busy wait, to all
// but one. The others find it made, or try again while it is busy.
void switchToWal(const QSqlDatabase& db)
{
    for (int attempt = 0;; ++attempt) {
        QSqlQuery q(db);
        if (q.exec(QStringLiteral("PRAGMA journal_mode = WAL"))) {
            while (q.next()) {
            }
            return;
        }
        const QSqlError error = q.lastError();
        q.finish();
        if (sqliteJournalMode(db) == QLatin1String("wal"))
            return;
        const bool busy = error.nativeErrorCode() == QLatin1String("5") || error.nativeErrorCode() == QLatin1String("6");
        if (!busy || attempt >= 200)
            throw EDatabaseError(QCoreApplication::translate("Connection", "Erro ao preparar a sessão do banco de dados (PRAGMA journal_mode = WAL)"),
                                 error);
        QThread::msleep(50);
    }
}

} // namespace

void SetADODBSession(TADOConnection* connection)
{
    if (!connection)
        return;
    QSqlDatabase db = connection->database();
    QStringList statements;
    if (connection->isSqlite()) {
        statements = {QStringLiteral("PRAGMA busy_timeout = %1").arg(waitLimitMs()), QStringLiteral("PRAGMA foreign_keys = ON"),
                      QStringLiteral("PRAGMA synchronous = FULL")};
    }
    // PostgreSQL: the session's settings came with the connection string
    // (applyPostgres).
    for (const QString& sql : statements) {
        QSqlQuery q(db);
        if (!q.exec(sql))
            throw EDatabaseError(QCoreApplication::translate("Connection", "Erro ao preparar a sessão do banco de dados (%1)").arg(sql),
                                 q.lastError());
        while (q.next()) {
        }
        q.finish();
    }
    if (connection->isSqlite())
        switchToWal(db);
}

QString ADOExceptionMessage(const std::exception& error, TADOConnection* /*connection*/, const QString& /*unused*/)
{
    if (const auto* dbError = dynamic_cast<const EDatabaseError*>(&error)) {
        const QSqlError& e = dbError->sqlError();
        QString code = e.nativeErrorCode().trimmed();
        QString detail = readableDatabaseText(e.databaseText(), &code);
        if (detail.isEmpty())
            detail = e.driverText().trimmed();
        QString text = dbError->step();
        if (!detail.isEmpty())
            text += QCoreApplication::translate("Connection", "\nMensagem do banco de dados: ") + detail;
        if (!code.isEmpty())
            text += QCoreApplication::translate("Connection", " (código %1)").arg(code);
        return text;
    }
    if (const auto* qdlError = dynamic_cast<const EQdlError*>(&error))
        return qdlError->message();
    return QCoreApplication::translate("Connection", "Erro inesperado no acesso ao banco de dados: ") + QString::fromUtf8(error.what());
}
