#include "hostprogram.h"

#include <QProcess>
#include <gtest/gtest.h>

HostRun runHostProgram(const QProcessEnvironment& env, const QStringList& arguments)
{
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(qEnvironmentVariable("QDL_BUILD_DIR") + QStringLiteral("/bin/qdl-host"), arguments);
    if (!p.waitForFinished(60000)) {
        p.kill();
        p.waitForFinished();
        ADD_FAILURE() << "qdl-host " << arguments.join(' ').toStdString() << " did not finish";
    }
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}
