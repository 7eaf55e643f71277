#include "core/Settings.h"

#include "core/RuntimeError.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStringList>

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
QSettings userStore()
{
    return QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Velquor"), QStringLiteral("Velquor"));
}
} // namespace

DbSettings readDbSettings()
{
    // Checked before the store parses the whole file.
    const QFileInfo file(dbSettingsFilePath());
    if (file.isFile() && file.size() > kMaxSettingsBytes)
        throw unreadable(
            file.filePath(),
            QStringLiteral("文件过大（%1 字节，设置文件不超过 %2 字节）。").arg(file.size()).arg(kMaxSettingsBytes));
    QSettings store = userStore();
    return readDbSettings(store);
}

QString dbSettingsFilePath()
{
    return userStore().fileName();
}
#endif
