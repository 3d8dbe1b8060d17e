#include "process.h"

#include <QCoreApplication>

static QString& overrideDir()
{
    static QString dir;
    return dir;
}

QString hostExecutableDir()
{
    return overrideDir().isEmpty() ? QCoreApplication::applicationDirPath() : overrideDir();
}

void setHostExecutableDir(const QString& dir)
{
    overrideDir() = dir;
}
