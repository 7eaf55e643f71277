#include "startup/Module1.h"
#include "startup/Module1_p.h"

#include "core/ConnectionString.h"
#include "core/ProgramEnd.h"
#include "core/Settings.h"
#include "startup/StartupArgument.h"
#include "widgets/MessageBox.h"

#include <array>
#include <memory>

namespace {
std::array<QString, 10>& identity()
{
    static std::array<QString, 10> fields;
    return fields;
}

// Never destroyed at exit: the program ends at once without closing it, as the system always has,
// and a static destructor would close it behind the back of whatever still runs.
std::unique_ptr<Connection>& connection()
{
    static auto* conn = new std::unique_ptr<Connection>;
    return *conn;
}

QString& connString()
{
    static QString s;
    return s;
}

void reportOpenFailure(const RuntimeError& e)
{
    MsgBox(QStringLiteral("错误信息：") + e.description(), MsgButtons::OK, MsgIcon::Information,
           QStringLiteral("信息文本"));
}

// The connection string of the settings store, or false after saying why the store could not be
// read: that ends like a failed open, with the reason instead of an attempt on an empty server.
bool readSettingsConnectionString()
{
    try {
        connString() = settingsConnectionString();
        return true;
    } catch (const RuntimeError& e) {
        connString().clear();
        connection() = std::make_unique<Connection>();
        reportOpenFailure(e);
        return false;
    }
}
} // namespace

const QString& IdentityField(int index)
{
    static const QString empty;
    return index >= 0 && index < 10 ? identity()[index] : empty;
}

void SetIdentityFields(const std::array<QString, 10>& fields)
{
    identity() = fields;
}

Connection& gConn()
{
    // Used while empty, it is a new, unopened connection, whose every use fails cleanly.
    if (!connection())
        connection() = std::make_unique<Connection>();
    return *connection();
}

const QString& gConnString()
{
    return connString();
}

QString settingsConnectionString()
{
    const DbSettings s = readDbSettings();
    return QStringLiteral("Provider=SQLOLEDB.1;Password=") + connectionStringValue(s.PWD) +
           QStringLiteral(";Persist Security Info=False;User ID=") + connectionStringValue(s.UID) +
           QStringLiteral(";Initial Catalog=") + connectionStringSingleQuoted(s.DBname) +
           QStringLiteral(";Data Source=") + connectionStringSingleQuoted(s.Svr);
}

bool OpenConnection()
{
    connection() = std::make_unique<Connection>();
    try {
        connection()->open(connString());
        return true;
    } catch (const RuntimeError& e) {
        reportOpenFailure(e);
        return false;
    }
}

bool ConnectDatabase(const QString& connection)
{
    bool opened = false;
    if (!connection.isEmpty()) {
        connString() = connection;
        opened = OpenConnection();
    } else if (readSettingsConnectionString()) {
        opened = OpenConnection();
    }
    if (opened)
        return true;
    MsgBox(QStringLiteral("数据库连接失败!"), MsgButtons::OK, MsgIcon::Information, QStringLiteral("连接提示"));
    return false;
}

void Main(const QString& argument, const std::function<void()>& showMainWindow)
{
    QString connection;
    if (!argument.isEmpty()) {
        const StartupArgument parsed = splitStartupArgument(argument);
        SetIdentityFields(parsed.identity);
        connection = parsed.connection;
    }
    if (!ConnectDatabase(connection)) {
        EndProgram();
        return;
    }
    showMainWindow();
}
