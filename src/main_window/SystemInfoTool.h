#pragma once

#include <QByteArray>
#include <QString>
#include <memory>

class QSettings;

// The kinds of registry value GetKeyValue tells apart.
enum class RegistryType { String, Dword, Other };

// GetKeyValue's reading of a value's data: a final zero byte dropped; a string as it is; a
// 32-bit number's bytes from the last to the first, two hexadecimal digits each, read as one
// unsigned number and given in decimal; any other kind leaves `unchanged` as it was.
QString registryValueText(RegistryType type, QByteArray data, const QString& unchanged);

// The machine-wide settings the registry's machine hive holds (on Windows the hive itself), else
// the system-scope INI file chengling-wuye/machine.ini (/etc/xdg/chengling-wuye/machine.ini), a
// registry key being its section, written as in the registry:
//     [SOFTWARE\Microsoft\Shared Tools\MSINFO]
//     PATH=/usr/bin/hardinfo
// (a value with blanks around a comma, or a backslash, goes in double quotes, "\\" for "\").
std::unique_ptr<QSettings> machineSettings();

// Reads value `valueName` of `key` (backslash-separated) into `value`; false, with `value`
// emptied, when the key or the value is not there.
bool GetKeyValue(QSettings& root, const QString& key, const QString& valueName, QString& value);

// The system-information tool: the program the machine settings name, else the first known
// tool found on PATH; empty when there is none.
QString findSystemInfoTool(QSettings& root);
