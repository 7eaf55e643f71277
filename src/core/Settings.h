#pragma once

#include <QString>

class QSettings;

// The four database settings another program of the system stores per user.
struct DbSettings
{
    QString Svr, UID, PWD, DBname;
};

// Reads application "Velquor", section "DBConfig" from the user's settings store
// ($XDG_CONFIG_HOME/Velquor/Velquor.ini; on Windows the registry key the other programs write,
// HKEY_CURRENT_USER\Software\VB and VBA Program Settings\Velquor\DBConfig); absent entries, or
// no file at all, read as the empty text. Anything there that cannot be read as a settings file
// (a folder, a named pipe, a device, a looping link, no permission) or a file larger than 1 MB
// throws RuntimeError naming the file and saying why; nothing there is ever waited on.
DbSettings readDbSettings();
DbSettings readDbSettings(QSettings& store);

// Where readDbSettings() looks.
QString dbSettingsFilePath();
