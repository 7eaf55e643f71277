#include "core/ExportTempFile.h"

#include <QDir>
#include <QFile>
#include <QStringList>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

void removeStaleTempFiles(const QString& dir, bool (*isOurs)(const QString& name))
{
    const QStringList names =
        QDir(dir).entryList({QStringLiteral(".~xlsx*.tmp")}, QDir::Files | QDir::Hidden | QDir::NoSymLinks);
    for (const QString& name : names) {
        if (!isOurs(name))
            continue;
        const QByteArray path = QFile::encodeName(dir + u'/' + name);
        const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
        if (fd < 0)
            continue;
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0)
            ::unlink(path.constData()); // best effort: a folder we cannot clean is no reason to fail
        ::close(fd);
    }
}

int createTempFile(const QString& name, int& lock)
{
    const QByteArray path = QFile::encodeName(name);
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0)
        return errno;
    // Another export's clean-up may hold or have removed the file between its creation and
    // the lock. A file system without locks leaves the file ours, only unprotected.
    const bool taken = ::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    struct stat held, named;
    if (!taken && ::fstat(fd, &held) == 0 && ::stat(path.constData(), &named) == 0 && held.st_dev == named.st_dev &&
        held.st_ino == named.st_ino) {
        lock = fd;
        return 0;
    }
    ::close(fd);
    return EEXIST;
}

void releaseTempFile(int& lock)
{
    if (lock >= 0) {
        ::close(lock);
        lock = -1;
    }
}

int replaceFile(const QString& from, const QString& to)
{
    return ::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0 ? 0 : errno;
}

QByteArray workbookFileName(const QString& path)
{
    return QFile::encodeName(path);
}
