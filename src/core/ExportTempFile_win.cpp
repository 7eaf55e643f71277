#include "core/ExportTempFile.h"

#include <QDir>
#include <QStringList>
#include <cerrno>
#include <windows.h>

namespace {
std::wstring wide(const QString& path)
{
    return QDir::toNativeSeparators(path).toStdWString();
}

// The system's error codes as the errno values the export's messages are keyed on.
int errnoOf(DWORD error)
{
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
        return ENOENT;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
        return EACCES;
    case ERROR_WRITE_PROTECT:
        return EROFS;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return ENOSPC;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
        return EEXIST;
    case ERROR_FILENAME_EXCED_RANGE:
        return ENAMETOOLONG;
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
        return ENOMEM;
    default:
        return EIO;
    }
}
} // namespace

void removeStaleTempFiles(const QString& dir, bool (*isOurs)(const QString& name))
{
    const QStringList names =
        QDir(dir).entryList({QStringLiteral(".~xlsx*.tmp")}, QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& name : names) {
        // A file that an export is writing is open without sharing: deleting it fails, as it should.
        if (isOurs(name))
            DeleteFileW(wide(dir + u'/' + name).c_str());
    }
}

int createTempFile(const QString& path, int& lock)
{
    lock = -1;
    const HANDLE h =
        CreateFileW(wide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return errnoOf(GetLastError());
    // Closed at once: the library opens it again itself, and does not share it while it writes.
    CloseHandle(h);
    return 0;
}

void releaseTempFile(int& lock)
{
    lock = -1;
}

int replaceFile(const QString& from, const QString& to)
{
    if (MoveFileExW(wide(from).c_str(), wide(to).c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return 0;
    const DWORD error = GetLastError();
    // A folder of that name is not replaced.
    if (error == ERROR_ACCESS_DENIED && (GetFileAttributesW(wide(to).c_str()) & FILE_ATTRIBUTE_DIRECTORY) &&
        GetFileAttributesW(wide(to).c_str()) != INVALID_FILE_ATTRIBUTES)
        return EISDIR;
    return errnoOf(error);
}

// Our libxlsxwriter is built with its Windows file functions, which take UTF-8 and open files
// through the wide API, so any path works, not only those of the ANSI code page.
QByteArray workbookFileName(const QString& path)
{
    return QDir::toNativeSeparators(path).toUtf8();
}
