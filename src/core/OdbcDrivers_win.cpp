#include "core/OdbcConnectionString.h"
#include "core/RuntimeError.h"

// clang-format off
#include <windows.h> // before sql.h, which needs it
#include <sql.h>
#include <sqlext.h>
// clang-format on

namespace {
// The drivers the driver manager knows, by the names a connection string's DRIVER takes.
QStringList installedOdbcDrivers()
{
    QStringList names;
    SQLHENV env = nullptr;
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env)))
        return names;
    SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    SQLWCHAR name[512];
    SQLWCHAR attributes[2048];
    SQLSMALLINT nameLength = 0, attributesLength = 0;
    SQLUSMALLINT direction = SQL_FETCH_FIRST;
    while (SQL_SUCCEEDED(SQLDriversW(env, direction, name, 512, &nameLength, attributes, 2048, &attributesLength))) {
        names << QString::fromWCharArray(reinterpret_cast<const wchar_t*>(name));
        direction = SQL_FETCH_NEXT;
    }
    SQLFreeHandle(SQL_HANDLE_ENV, env);
    return names;
}
} // namespace

QString defaultSqlServerDriver()
{
    const QString driver = preferredSqlServerDriver(installedOdbcDrivers());
    if (driver.isEmpty())
        throw RuntimeError(ErrorNumber::ProviderNotFound,
                           QStringLiteral("此计算机没有安装 SQL Server 的 ODBC 驱动程序。请安装 Microsoft "
                                          "“ODBC Driver 18 for SQL Server”（或 17），然后重新启动本程序。"));
    return driver;
}
