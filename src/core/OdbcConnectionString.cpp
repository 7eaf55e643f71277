#include "core/OdbcConnectionString.h"
#include "core/OdbcConnectionString_p.h"

#include "core/RuntimeError.h"

#include <QRegularExpression>

namespace {
// The driver manager reads a copy of the wide connection string narrowed to the low byte of
// each UTF-16 unit: "Ļ" (U+013B) reads as ';', "Ż" (U+017B) as '{'. Such a character would let a
// value end early there, and the rest become keys of their own (DRIVER, the library loaded).
QChar misreadAsSeparator(const QString& value)
{
    for (const QChar c : value) {
        const char16_t u = c.unicode();
        const char16_t low = u & 0xFF;
        if (u > 0xFF && (low == u';' || low == u'{' || low == u'}'))
            return c;
    }
    return {};
}

QString braced(const QString& key, const QString& value)
{
    if (const QChar c = misreadAsSeparator(value); !c.isNull())
        throw RuntimeError(ErrorNumber::BadConnectionString,
                           QStringLiteral("连接字符串中“%1”的值含有字符“%2”（U+%3），ODBC 驱动程序管理器会把它误读为"
                                          "“%4”，无法安全地传给驱动程序。请换用其他字符。")
                               .arg(key, QString(c), QString::number(c.unicode(), 16).toUpper().rightJustified(4, u'0'),
                                    QString(QChar(c.unicode() & 0xFF))));
    // A NUL ends the string for the driver manager and the driver alike: the keys after it would be lost.
    if (value.contains(QChar(0)))
        throw RuntimeError(ErrorNumber::BadConnectionString,
                           QStringLiteral("连接字符串中“%1”的值含有空字符，无法传给 ODBC 驱动程序。").arg(key));
    // Braces only where needed: FreeTDS honours them, but some drivers (SQLite's) take them literally.
    // unixODBC and FreeTDS both read a bare value up to the next ';'; only a leading '{' opens braces.
    static const QRegularExpression plain(QStringLiteral("^[^;{\\s]([^;]*[^;\\s])?$"));
    if (value.isEmpty() || plain.match(value).hasMatch())
        return key + u'=' + value + u';';
    // In braces unixODBC ends the value at the first '}', FreeTDS at the first "};": with a '}'
    // inside, the rest could be read as keys of its own, DRIVER (the library loaded) included.
    if (value.contains(u'}'))
        throw RuntimeError(ErrorNumber::BadConnectionString,
                           QStringLiteral("连接字符串中“%1”的值含有“}”，又含有“;”、以“{”开头或首尾有空白，"
                                          "无法传给 ODBC 驱动程序。")
                               .arg(key));
    return key + QStringLiteral("={") + value + QStringLiteral("};");
}

// FreeTDS understands "host", "host,port" and "host\instance"; map the forms it does not.
QString freeTdsServer(QString server)
{
    server = server.trimmed();
    if (server.startsWith(QStringLiteral("tcp:"), Qt::CaseInsensitive))
        server = server.mid(4);
    static const QRegularExpression local(QStringLiteral("^(\\(local\\)|\\.|localhost)(?=$|[\\\\,])"),
                                          QRegularExpression::CaseInsensitiveOption);
    server.replace(local, QStringLiteral("127.0.0.1"));
    return server;
}

// A driver named by a path (or a library's file name) is loaded as it stands, whatever it is: the
// connection names a driver the driver manager has registered, or none.
bool namesALibrary(const QString& driver)
{
    const QString d = driver.trimmed();
    return d.contains(u'/') || d.contains(u'\\') || d.endsWith(QStringLiteral(".so"), Qt::CaseInsensitive) ||
           d.contains(QStringLiteral(".so."), Qt::CaseInsensitive) ||
           d.endsWith(QStringLiteral(".dll"), Qt::CaseInsensitive) ||
           d.endsWith(QStringLiteral(".dylib"), Qt::CaseInsensitive) || d.startsWith(u'~') ||
           (d.size() >= 2 && d[1] == u':');
}

bool isTrue(const QString& value)
{
    const QString v = value.trimmed().toLower();
    return v == QStringLiteral("sspi") || v == QStringLiteral("true") || v == QStringLiteral("yes");
}
} // namespace

bool isSqlServerProvider(const QString& provider)
{
    const QString p = provider.toLower();
    return p == QStringLiteral("sqloledb") || p == QStringLiteral("sqloledb.1") || p.startsWith(u"msoledbsql") ||
           p.startsWith(u"sqlncli");
}

QString preferredSqlServerDriver(const QStringList& installed)
{
    for (const char* wanted : {"ODBC Driver 18 for SQL Server", "ODBC Driver 17 for SQL Server", "SQL Server"})
        for (const QString& name : installed)
            if (name.compare(QLatin1String(wanted), Qt::CaseInsensitive) == 0)
                return name;
    return {};
}

QString odbcConnectionString(const ConnectionSettings& s)
{
    const QString driver =
        s.contains(QStringLiteral("driver")) ? s.value(QStringLiteral("driver")) : defaultSqlServerDriver();
    if (namesALibrary(driver))
        throw RuntimeError(ErrorNumber::BadConnectionString,
                           QStringLiteral("连接字符串中的 Driver“%1”是一个文件路径或库文件名，不是驱动程序的名称："
                                          "只能使用在 ODBC 驱动程序管理器中登记过的驱动程序的名称（如 FreeTDS）。")
                               .arg(driver));
    const bool freeTds = driver.compare(QStringLiteral("FreeTDS"), Qt::CaseInsensitive) == 0;
    QString server = s.value(QStringLiteral("data source"));
    if (freeTds) {
        server = freeTdsServer(server);
        if (server.isEmpty())
            throw RuntimeError(ErrorNumber::GenericFailure, QStringLiteral("未指定数据库服务器（Data Source 为空）。"));
    }
    QString odbc = braced(QStringLiteral("DRIVER"), driver);
    if (!server.isEmpty())
        odbc += braced(QStringLiteral("SERVER"), server);
    const QString catalog = s.value(QStringLiteral("initial catalog"));
    if (!catalog.isEmpty())
        odbc += braced(QStringLiteral("DATABASE"), catalog);
    if (isTrue(s.value(QStringLiteral("integrated security")))) {
        odbc += QStringLiteral("Trusted_Connection=Yes;");
    } else {
        odbc += braced(QStringLiteral("UID"), s.value(QStringLiteral("user id")));
        odbc += braced(QStringLiteral("PWD"), s.value(QStringLiteral("password")));
    }
    // Driver 18 insists on an encrypted link with a trusted certificate by default; the OLE DB
    // providers the system's settings were written for ask for neither.
    if (driver.startsWith(QStringLiteral("ODBC Driver 18 for SQL Server"), Qt::CaseInsensitive))
        odbc += QStringLiteral("Encrypt=no;");
    if (freeTds)
        // Without an explicit version FreeTDS ignores the login time-out; without UTF-8 Chinese turns into "?".
        odbc += QStringLiteral("TDS_Version=7.4;ClientCharset=UTF-8;");
    return odbc;
}

QString odbcConnectionStringOf(const QString& connectionString)
{
    return odbcConnectionString(parsedConnectionString(connectionString));
}
