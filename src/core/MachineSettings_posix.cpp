#include "core/MachineSettings.h"

std::unique_ptr<QSettings> machineSettingsStore()
{
    return std::make_unique<QSettings>(QSettings::IniFormat, QSettings::SystemScope, QStringLiteral("chengling-wuye"),
                                       QStringLiteral("machine"));
}
