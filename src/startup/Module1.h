#pragma once

#include "core/Database.h"

#include <QString>
#include <functional>

// The ten identity fields of the start-up argument; written once by Main.
const QString& IdentityField(int index);
void SetIdentityFields(const std::array<QString, 10>& fields);

// The process-wide database connection.
Connection& gConn();

// The connection string built from the user's settings store, by the system's template.
// Throws RuntimeError when the store's file is there but cannot be read.
QString settingsConnectionString();

// Chooses the connection string (the argument's, or the settings store's when empty) and
// opens gConn; shows the two failure messages and returns false when it cannot (a settings
// file that cannot be read fails the same way, with its reason in the first message).
bool ConnectDatabase(const QString& connection);
bool OpenConnection();

// The process entry: identity fields, connection, then the main window through `showMainWindow`.
// Ends the program when the connection cannot be opened.
void Main(const QString& argument, const std::function<void()>& showMainWindow);
