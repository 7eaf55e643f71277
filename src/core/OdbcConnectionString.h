#pragma once

#include "core/ConnectionString.h"

#include <QString>

// SQLOLEDB, SQLOLEDB.1, MSOLEDBSQL…, SQLNCLI…: SQL Server through the ODBC driver.
bool isSqlServerProvider(const QString& provider);

// The ODBC connection string for parsed OLE DB settings: FreeTDS unless a Driver key names
// another driver. Throws RuntimeError when no safe string can be built.
QString odbcConnectionString(const ConnectionSettings& settings);
