#include "core/MachineSettings.h"

std::unique_ptr<QSettings> machineSettingsStore()
{
    // Read-only use: Qt opens the keys for reading, so a user without administrator rights reads them too.
    return std::make_unique<QSettings>(QStringLiteral("HKEY_LOCAL_MACHINE"), QSettings::NativeFormat);
}
