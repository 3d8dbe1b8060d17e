#include "runtimefolder.h"

#include <QByteArray>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

QString prepareRuntimeFolder()
{
    if (!qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR"))
        return {};
    QByteArray base = qgetenv("TMPDIR");
    if (base.isEmpty() || base.front() != '/')
        base = "/tmp";
    const uid_t uid = getuid();
    const QByteArray folder = base + "/qdl-runtime-" + QByteArray::number(uint(uid));
    if (::mkdir(folder.constData(), 0700) != 0 && errno != EEXIST)
        return {};
    // Judged on what was opened, never followed through a link: a folder
    // made under the name beforehand by someone else, or one others could
    // have written into, or a link, is not taken.
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return {};
    struct stat st {};
    const bool usable = ::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == uid
                        && (st.st_mode & 07777) == 0700;
    ::close(fd);
    if (!usable || ::setenv("XDG_RUNTIME_DIR", folder.constData(), 1) != 0)
        return {};
    return QString::fromLocal8Bit(folder);
}
