#include "core/DatabaseErrors.h"

#include "core/RuntimeError.h"

#include <sqlite3.h>

namespace {

constexpr long kSqliteBase = 100000;
constexpr long kCollidingNativeBase = 200000;

QString constraintText()
{
    return QStringLiteral("数据库拒绝了这项修改（违反唯一、非空、引用或检查约束）。");
}

QString sqliteExplanation(int code)
{
    switch (code) {
    case SQLITE_READONLY_DBMOVED:
        return QStringLiteral("数据库文件已被移走、改名或删除，无法写入。");
    case SQLITE_READONLY_DIRECTORY:
        return QStringLiteral("数据库文件所在的文件夹是只读的，无法写入：请检查该文件夹的写入权限。");
    case SQLITE_IOERR_NOMEM:
        return QStringLiteral("内存不足。");
    case SQLITE_CONSTRAINT_TRIGGER:
        return QStringLiteral("数据库的触发器拒绝了这项修改。");
    }
    switch (code & 0xFF) { // the primary code of an extended one
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
    case SQLITE_PROTOCOL:
        return QStringLiteral("数据库正被其他程序或用户占用（已锁定），请稍后重试。");
    case SQLITE_READONLY:
        return QStringLiteral("数据库文件是只读的，无法写入：请检查数据库文件及其所在文件夹的写入权限。");
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
        return QStringLiteral("数据库文件已损坏，或者不是数据库文件：请用备份恢复。");
    case SQLITE_FULL:
        return QStringLiteral("磁盘已满，数据库无法写入：请腾出磁盘空间后重试。");
    case SQLITE_CANTOPEN:
        return QStringLiteral("无法打开数据库文件：文件不存在、已被移走，或者没有访问权限。");
    case SQLITE_IOERR:
        return QStringLiteral("读写数据库文件时出错（磁盘故障，或网络共享已断开）。");
    case SQLITE_NOMEM:
        return QStringLiteral("内存不足。");
    case SQLITE_CONSTRAINT:
        return constraintText();
    case SQLITE_PERM:
    case SQLITE_AUTH:
        return QStringLiteral("没有访问数据库文件的权限。");
    default:
        return QStringLiteral("数据库操作失败。");
    }
}

QString connectionLostText()
{
    return QStringLiteral("与数据库服务器的连接已中断（网络故障，或服务器已重新启动）：请重新启动程序后再试。");
}

QString unreachableText()
{
    return QStringLiteral("无法连接到数据库服务器：请检查服务器名称和端口、服务器是否已启动，以及网络是否通畅。");
}

QString loginFailedText()
{
    return QStringLiteral("登录数据库服务器失败：用户名或密码错误，或者该登录已被禁用、密码已过期。");
}

QString deadlockText()
{
    return QStringLiteral("与其他用户的操作发生冲突（死锁），本次操作已被数据库撤销：请重试。");
}

QString timeoutText()
{
    return QStringLiteral("等待数据库服务器响应超时：请稍后重试。");
}

// SQL Server's native numbers (FreeTDS's own from 20000 on); empty for one we do not explain.
QString nativeExplanation(long native)
{
    switch (native) {
    case 1205:
        return deadlockText();
    case 1222:
        return QStringLiteral("数据正被其他用户锁定，等待超时：请稍后重试。");
    case 18456:
    case 18452:
    case 18470:
    case 18487:
    case 18488:
        return loginFailedText();
    case 4060:
    case 4064:
        return QStringLiteral("无法打开指定的数据库：数据库不存在，或者该登录无权访问它。");
    case 20009:
        return unreachableText();
    case 20013:
        return QStringLiteral("找不到数据库服务器：服务器名称无法解析，请检查服务器名称。");
    case 20003:
        return timeoutText();
    case 20004:
    case 20006:
    case 20017:
    case 20047:
        return connectionLostText();
    case 2627:
    case 2601:
        return QStringLiteral("数据与已有记录重复（违反唯一约束），未能保存。");
    case 547:
        return QStringLiteral("数据违反了数据库的引用或检查约束，未能保存。");
    case 515:
        return QStringLiteral("必填的字段不能为空，未能保存。");
    case 1105:
    case 9002:
        return QStringLiteral("数据库服务器上该数据库的空间已满（数据文件或事务日志）：请联系数据库管理员。");
    case 3906:
        return QStringLiteral("数据库处于只读状态，无法写入：请联系数据库管理员。");
    case 823:
    case 824:
        return QStringLiteral("数据库服务器读取数据时发现数据已损坏：请联系数据库管理员检查数据库。");
    case 229:
    case 230:
        return QStringLiteral("该登录没有执行此操作的权限。");
    default:
        return {};
    }
}

// What the SQLSTATE alone tells, for failures without a native number we know.
QString sqlStateExplanation(const QString& state)
{
    if (state == QStringLiteral("40001"))
        return deadlockText();
    if (state == QStringLiteral("08001") || state == QStringLiteral("08004"))
        return unreachableText();
    if (state.startsWith(QStringLiteral("08")))
        return connectionLostText();
    if (state == QStringLiteral("28000"))
        return loginFailedText();
    if (state == QStringLiteral("HYT00") || state == QStringLiteral("HYT01"))
        return timeoutText();
    if (state.startsWith(QStringLiteral("23")))
        return constraintText();
    return QStringLiteral("数据库操作失败。");
}

QString describe(const QString& explanation, const QString& driverText)
{
    const QString detail = driverText.trimmed();
    return detail.isEmpty() ? explanation : explanation + QStringLiteral("\r\n详细信息：") + detail;
}

} // namespace

DatabaseErrorText sqliteErrorText(int resultCode, const QString& driverText)
{
    return {kSqliteBase + resultCode, describe(sqliteExplanation(resultCode), driverText)};
}

DatabaseErrorText odbcErrorText(long nativeError, const QString& sqlState, const QString& driverText)
{
    long number = 0;
    if (nativeError > 0) {
        // A database failure must not read as one of the program's own.
        number = isOwnErrorNumber(nativeError) ? kCollidingNativeBase + nativeError : nativeError;
    }
    QString explanation = nativeExplanation(nativeError);
    if (explanation.isEmpty())
        explanation = sqlStateExplanation(sqlState.trimmed().toUpper());
    return {number, describe(explanation, driverText)};
}
