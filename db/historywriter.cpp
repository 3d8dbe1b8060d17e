#include "historywriter.h"

#include <QCoreApplication>
#include <QSysInfo>
#include <pwd.h>
#include <unistd.h>

#include "adoconnection.h"
#include "statement.h"

namespace {

// "user@host": the account this program runs as and the machine's name,
// cut to the column's width.
QString historyWriter()
{
    QString user;
    if (const passwd* pw = getpwuid(geteuid()); pw && pw->pw_name)
        user = QString::fromLocal8Bit(pw->pw_name);
    if (user.isEmpty())
        user = qEnvironmentVariable("USER", QStringLiteral("uid%1").arg(geteuid()));
    return (user + QLatin1Char('@') + QSysInfo::machineHostName()).left(200);
}

QString sqlLiteral(const QString& text)
{
    return QLatin1Char('\'') + QString(text).replace(QLatin1Char('\''), QLatin1String("''")) + QLatin1Char('\'');
}

} // namespace

void nameHistoryWriter(TADOConnection& db)
{
    if (!db.isSqlite())
        return;
    const QString step = QCoreApplication::translate("Connection", "Erro ao preparar a sessão do banco de dados (%1)")
                             .arg(QStringLiteral("QDL_HISTORICO_QUEM"));
    const bool wanted = qdl::Statement(db,
                                       QStringLiteral("SELECT EXISTS (SELECT 1 FROM main.sqlite_master WHERE type = 'table' AND "
                                                      "name = 'QDL_HISTORICO') AND NOT EXISTS (SELECT 1 FROM temp.sqlite_master "
                                                      "WHERE type = 'trigger' AND name = 'QDL_HISTORICO_QUEM')"),
                                       step)
                            .scalar()
                            .toInt()
        == 1;
    if (!wanted)
        return;
    // A trigger's text takes no parameters: the name goes as a literal.
    db.execute(QStringLiteral("CREATE TEMP TRIGGER QDL_HISTORICO_QUEM AFTER INSERT ON main.QDL_HISTORICO FOR EACH ROW BEGIN "
                              "UPDATE QDL_HISTORICO SET DSQUEM = %1 WHERE NRHISTORICO = NEW.NRHISTORICO; END")
                   .arg(sqlLiteral(historyWriter())),
               step);
}

void nameHistoryWriterOfEverySession()
{
    TADOConnection::setSessionSetup(&nameHistoryWriter);
}
