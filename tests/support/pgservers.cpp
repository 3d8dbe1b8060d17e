#include "pgservers.h"

#include <QProcess>
#include <gtest/gtest.h>

#include "adoconnection.h"
#include "connection.h"
#include "errors.h"

QString runPgCluster(const QString& command, const QHash<QString, QString>& env)
{
    QProcess p;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (auto it = env.cbegin(); it != env.cend(); ++it)
        environment.insert(it.key(), it.value());
    p.setProcessEnvironment(environment);
    p.start("bash", {"-c", "source \"$QDL_SOURCE_DIR/scripts/pgcluster.sh\" && " + command});
    if (!p.waitForFinished(120000))
        ADD_FAILURE() << command.toStdString() << " did not finish";
    EXPECT_EQ(p.exitCode(), 0) << command.toStdString() << ": " << p.readAllStandardError().toStdString();
    return QString::fromUtf8(p.readAllStandardOutput());
}

PasswordServer::PasswordServer(const QString& password)
{
    const QStringList out =
        runPgCluster(QStringLiteral("qdl_pg_start_password \"$QDL_PG_PASSWORD\" && printf '%s\\n' \"$QDL_PG_URL\" "
                                    "\"$QDL_PG_DIR\" \"$QDL_PG_BIN\""),
                     {{QStringLiteral("QDL_PG_PASSWORD"), password}})
            .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    if (out.size() != 3)
        return;
    url = out[0];
    m_env = {{QStringLiteral("QDL_PG_DIR"), out[1]}, {QStringLiteral("QDL_PG_BIN"), out[2]}};
}

PasswordServer::~PasswordServer()
{
    if (!m_env.isEmpty())
        runPgCluster(QStringLiteral("qdl_pg_stop"), m_env);
}

void withConnection(const QString& connectionString, const std::function<void(TADOConnection&)>& body)
{
    TADOConnection db;
    db.ConnectionString = connectionString;
    try {
        db.setConnected(true);
    } catch (const std::exception& e) {
        ADD_FAILURE() << ADOExceptionMessage(e, nullptr, QString()).toStdString();
        return;
    }
    body(db);
}
