#pragma once

#include <QString>

class QSettings;

// The four database settings another program of the system stores per user.
struct DbSettings
{
    QString Svr, UID, PWD, DBname;
};

// Reads application "Velquor", section "DBConfig" from the user's settings store
// ($XDG_CONFIG_HOME/Velquor/Velquor.ini); absent entries read as the empty text.
DbSettings readDbSettings();
DbSettings readDbSettings(QSettings& store);

// Where readDbSettings() looks.
QString dbSettingsFilePath();
