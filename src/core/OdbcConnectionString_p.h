#pragma once

#include <QString>

// The ODBC connection string built for a whole SQL Server connection string, for the tests.
// Throws RuntimeError when it cannot be parsed or built.
QString odbcConnectionStringOf(const QString& connectionString);
