#include "core/Settings.h"

#include "core/RuntimeError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QStringList>

#ifndef _WIN32
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {
// Four short entries among a few sections: a file larger than this is no settings file, and
// parsing it would hold the start-up for half a minute before any message.
constexpr qint64 kMaxSettingsBytes = 1024 * 1024;

RuntimeError unreadable(const QString& path, const QString& reason)
{
    return RuntimeError(ErrorNumber::FileAccess,
                        QStringLiteral("无法读取数据库设置文件“%1”：%2").arg(QDir::toNativeSeparators(path), reason));
}

// The file is written by people: an unquoted "a,b" comes back as a list; give back the text.
QString readText(QSettings& store, const QString& key)
{
    const QVariant value = store.value(key);
    if (value.typeId() == QMetaType::QStringList)
        return value.toStringList().join(u',');
    return value.toString();
}
} // namespace

DbSettings readDbSettings(QSettings& store)
{
    // A file that is there but cannot be read would otherwise read as four empty entries.
    if (store.status() == QSettings::AccessError)
        throw unreadable(store.fileName(), QFileInfo(store.fileName()).isDir()
                                               ? QStringLiteral("该位置是一个文件夹，不是文件。")
                                               : QStringLiteral("没有读取权限或读取出错。"));
    store.beginGroup(QStringLiteral("DBConfig"));
    DbSettings s{readText(store, QStringLiteral("Svr")), readText(store, QStringLiteral("UID")),
                 readText(store, QStringLiteral("PWD")), readText(store, QStringLiteral("DBname"))};
    store.endGroup();
    return s;
}

#ifndef _WIN32 // Windows: the registry (Settings_win.cpp)
namespace {
// What is at the path, looked at through a descriptor that never waits: a named pipe opened
// to be read would hold the start-up for ever, before any window. False: nothing is there.
bool checkSettingsFile(const QString& path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        const int code = errno;
        struct stat link = {};
        if (code == ENOENT && ::lstat(QFile::encodeName(path).constData(), &link) == 0)
            throw unreadable(path, QStringLiteral("该位置是一个符号链接，它指向的文件不存在。"));
        if (code == ENOENT)
            return false;
        if (code == ENOTDIR)
            throw unreadable(path, QStringLiteral("路径中有一级不是文件夹。"));
        if (code == EACCES || code == EPERM)
            throw unreadable(path, QStringLiteral("没有读取权限或读取出错。"));
        if (code == ELOOP)
            throw unreadable(path, QStringLiteral("该位置是一个循环的符号链接，不指向任何文件。"));
        throw unreadable(path, QStringLiteral("无法打开（系统错误 %1）。").arg(code));
    }
    struct stat info = {};
    const int rc = ::fstat(fd, &info);
    ::close(fd);
    if (rc != 0)
        throw unreadable(path, QStringLiteral("没有读取权限或读取出错。"));
    if (S_ISDIR(info.st_mode))
        throw unreadable(path, QStringLiteral("该位置是一个文件夹，不是文件。"));
    if (!S_ISREG(info.st_mode))
        throw unreadable(path, QStringLiteral("该位置不是普通文件（而是命名管道、设备或其他特殊文件）。"));
    // Checked before the store parses the whole file.
    if (info.st_size > kMaxSettingsBytes)
        throw unreadable(path, QStringLiteral("文件过大（%1 字节，设置文件不超过 %2 字节）。")
                                   .arg(qint64(info.st_size))
                                   .arg(kMaxSettingsBytes));
    return true;
}
} // namespace

DbSettings readDbSettings()
{
    const QString path = dbSettingsFilePath();
    if (!checkSettingsFile(path))
        return {};
    QSettings store(path, QSettings::IniFormat);
    return readDbSettings(store);
}

QString dbSettingsFilePath()
{
    // Where QSettings keeps application "Velquor" of organization "Velquor" per user, worked out
    // without a QSettings, which would read the file at once.
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/Velquor/Velquor.ini");
}
#endif
