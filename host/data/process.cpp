#include "process.h"

#include <QCoreApplication>
#include <sys/prctl.h>
#include <sys/resource.h>

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

bool keepSecretsOutOfDumps()
{
    // Not dumpable: the kernel writes no core of it (with fs.suid_dumpable
    // at its default, 0; at 2, one only root may read), and only root may
    // ptrace it or read its /proc/<pid>/mem and environ; the process itself
    // still reads its own /proc/self. The zero limit stops the rest, a
    // crash collector on core_pattern's pipe (systemd-coredump) included,
    // which honours it.
    const bool notDumpable = prctl(PR_SET_DUMPABLE, 0, 0, 0, 0) == 0;
    const rlimit none{0, 0};
    const bool noCore = setrlimit(RLIMIT_CORE, &none) == 0;
    return notDumpable && noCore;
}
