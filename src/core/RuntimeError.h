#pragma once

#include <QString>
#include <exception>

// The run-time error numbers the program raises itself, with the classic meanings the system has
// always shown under them. A database failure is never shown under one of these.
enum class ErrorNumber : long {
    InvalidCall = 5,                   // 无效的过程调用或参数
    Overflow = 6,                      // 溢出
    OutOfMemory = 7,                   // 内存不足
    SubscriptOutOfRange = 9,           // 下标越界
    TypeMismatch = 13,                 // 类型不匹配
    DiskFull = 61,                     // 磁盘已满
    PermissionDenied = 70,             // 没有权限
    FileAccess = 75,                   // 路径/文件访问错误
    PathNotFound = 76,                 // 路径未找到
    InvalidUseOfNull = 94,             // 无效使用 Null
    InvalidPropertyValue = 380,        // 无效的属性值
    InvalidPropertyIndex = 381,        // a grid cell outside the grid
    NoCurrentRecord = 3021,            // read past a recordset's end
    ItemNotFound = 3265,               // no field of that name
    ProviderNotFound = 3706,           // no provider, or one we cannot open
    ConnectionClosed = 3709,           // the connection is not open
    InvalidRowValue = 30009,           // the grid's Row
    InvalidColumnValue = 30010,        // the grid's Col
    BadConnectionString = -2147217805, // ADO's HRESULT for the format of the initialization string
    GenericFailure = -2147467259,      // ADO's unspecified error
};

// Whether a number is one of ErrorNumber's.
bool isOwnErrorNumber(long number);

// A failure as the user is told of it: an error number and a description, as the
// platform's run-time error box shows them. Database failures carry the driver's native
// code and text; our own checks use ErrorNumber.
class RuntimeError : public std::exception
{
public:
    RuntimeError(long number, QString description, QString context = {});
    RuntimeError(ErrorNumber number, QString description, QString context = {})
        : RuntimeError(static_cast<long>(number), std::move(description), std::move(context))
    {
    }

    long number() const { return m_number; }
    const QString& description() const { return m_description; }
    // An optional line shown before the standard text (rows written before a failure, ...).
    const QString& context() const { return m_context; }
    RuntimeError withContext(const QString& context) const { return RuntimeError(m_number, m_description, context); }
    const char* what() const noexcept override { return m_what.constData(); }

private:
    long m_number;
    QString m_description;
    QString m_context;
    QByteArray m_what;
};

// The text of the run-time error box for a failure: "运行时错误 'n':" CR LF CR LF description.
QString runtimeErrorText(long number, const QString& description);

// A run of writes that stopped at a failing statement: the one result of a failed write, from the
// driver to the message. The statements before `statement()` ran; when the connection was lost in
// the middle of a request, those from `statement()` to `unconfirmedThrough()` may have run as well,
// without word of it reaching us. Statements are numbered in the list the caller gave.
class WriteFailure : public RuntimeError
{
public:
    WriteFailure(const RuntimeError& error, int statement, int unconfirmedThrough)
        : RuntimeError(error), m_statement(statement), m_unconfirmedThrough(unconfirmedThrough)
    {
    }
    int statement() const { return m_statement; }
    int unconfirmedThrough() const { return m_unconfirmedThrough; } // -1 when nothing is uncertain

private:
    int m_statement;
    int m_unconfirmedThrough;
};
