#include "platform/Settings.h"

#include <QSettings>
#include <QStringList>

namespace {
QSettings userStore()
{
    return QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Velquor"), QStringLiteral("Velquor"));
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
    store.beginGroup(QStringLiteral("DBConfig"));
    DbSettings s{readText(store, QStringLiteral("Svr")), readText(store, QStringLiteral("UID")),
                 readText(store, QStringLiteral("PWD")), readText(store, QStringLiteral("DBname"))};
    store.endGroup();
    return s;
}

DbSettings readDbSettings()
{
    QSettings store = userStore();
    return readDbSettings(store);
}

QString dbSettingsFilePath()
{
    return userStore().fileName();
}
