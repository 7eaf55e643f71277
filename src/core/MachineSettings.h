#pragma once

#include <QSettings>
#include <memory>

// The machine-wide settings, addressed by registry key paths ("SOFTWARE\Microsoft\..."): on
// Windows the registry's HKEY_LOCAL_MACHINE itself; elsewhere the system-scope INI file
// chengling-wuye/machine.ini (/etc/xdg/chengling-wuye/machine.ini), each key a section.
std::unique_ptr<QSettings> machineSettingsStore();
