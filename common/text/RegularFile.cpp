#include "RegularFile.h"

#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace RegularFile {

#ifdef Q_OS_UNIX

namespace {

int flagsOf(QIODevice::OpenMode mode)
{
    int flags = O_CLOEXEC | O_NONBLOCK;
    const bool reads = mode.testFlag(QIODevice::ReadOnly);
    const bool writes = mode.testFlag(QIODevice::WriteOnly) || mode.testFlag(QIODevice::Append);
    flags |= reads && writes ? O_RDWR : writes ? O_WRONLY : O_RDONLY;
    if (writes && !mode.testFlag(QIODevice::ExistingOnly))
        flags |= O_CREAT;
    if (mode.testFlag(QIODevice::Append))
        flags |= O_APPEND;
    else if (mode.testFlag(QIODevice::Truncate) || (writes && !reads))
        flags |= O_TRUNC;
    return flags;
}

} // namespace

/// Anything but a regular file is refused before it is opened (opening a FIFO already tells a
/// writer waiting on it that a reader came); then opened without blocking and checked again on
/// the open descriptor, so nothing swapped in between is used, and handed to QFile blocking.
bool open(QFile &file, QIODevice::OpenMode mode)
{
    const QByteArray path = QFile::encodeName(file.fileName());
    struct stat before = {};
    if (::stat(path.constData(), &before) == 0 && !S_ISREG(before.st_mode))
        return false;
    const int fd = ::open(path.constData(), flagsOf(mode), 0666);
    if (fd < 0)
        return false;
    struct stat info = {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) ||
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0) {
        ::close(fd);
        return false;
    }
    if (!file.open(fd, mode, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return false;
    }
    return true;
}

#else

bool open(QFile &file, QIODevice::OpenMode mode)
{
    const QFileInfo info(file.fileName());
    if (info.exists() && !info.isFile())
        return false;
    return file.open(mode);
}

#endif

} // namespace RegularFile
