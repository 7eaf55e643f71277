#include "core/Settings.h"

#include <QSettings>

namespace {
// Where Visual Basic's SaveSetting puts application "Velquor"'s settings, as the system's other
// programs write them: one key per section, values as REG_SZ.
const QString kStoreKey = QStringLiteral("HKEY_CURRENT_USER\\Software\\VB and VBA Program Settings\\Velquor");
} // namespace

DbSettings readDbSettings()
{
    QSettings store(kStoreKey, QSettings::NativeFormat);
    return readDbSettings(store);
}

QString dbSettingsFilePath()
{
    return kStoreKey;
}
