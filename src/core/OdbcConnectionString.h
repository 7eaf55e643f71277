#pragma once

#include "core/ConnectionString.h"

#include <QString>
#include <QStringList>

// SQLOLEDB, SQLOLEDB.1, MSOLEDBSQL…, SQLNCLI…: SQL Server through the ODBC driver.
bool isSqlServerProvider(const QString& provider);

// The ODBC connection string for parsed OLE DB settings: the platform's SQL Server driver unless a
// Driver key names another. Throws RuntimeError when no safe string can be built.
QString odbcConnectionString(const ConnectionSettings& settings);

// Of the installed ODBC drivers, the one for SQL Server we use: "ODBC Driver 18 for SQL Server",
// else 17, else the "SQL Server" driver every Windows has; empty when none is installed.
QString preferredSqlServerDriver(const QStringList& installed);

// The driver for a connection string that names none: FreeTDS on Linux; on Windows the preferred
// of the installed drivers, or RuntimeError saying what to install (OdbcDrivers_*.cpp).
QString defaultSqlServerDriver();
