#include "connection.h"

#include <QCoreApplication>
#include <QDir>
#include <QStandardPaths>

#include "adoconnection.h"
#include "connectionstring.h"
#include "errors.h"

namespace {

QString& connectionStringOverride()
{
    static QString value;
    return value;
}

const QLatin1String kSqlitePrefix("sqlite:");

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

QString withoutPassword(const QString& connectionString)
{
    return ConnectionString::redact(connectionString);
}

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

void SetADODBSession(TADOConnection* /*connection*/) {}

QString ADOExceptionMessage(const std::exception& error, TADOConnection* /*connection*/, const QString& /*unused*/)
{
    if (const auto* dbError = dynamic_cast<const EDatabaseError*>(&error)) {
        const DbError& e = dbError->sqlError();
        QString text = dbError->step();
        if (!e.message().isEmpty())
            text += QCoreApplication::translate("Connection", "\nMensagem do banco de dados: ") + e.message();
        if (!e.code().isEmpty())
            text += QCoreApplication::translate("Connection", " (código %1)").arg(e.code());
        return text;
    }
    if (const auto* qdlError = dynamic_cast<const EQdlError*>(&error))
        return qdlError->message();
    return QCoreApplication::translate("Connection", "Erro inesperado no acesso ao banco de dados: ") + QString::fromUtf8(error.what());
}
