#include "core/OdbcConnectionString.h"

// Debian's tdsodbc registers FreeTDS under this name in /etc/odbcinst.ini.
QString defaultSqlServerDriver()
{
    return QStringLiteral("FreeTDS");
}
