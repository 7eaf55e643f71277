#include "core/OdbcBackend.h"

#include "core/DatabaseErrors.h"

#include <QList>
#include <QStringList>
#include <mutex>
#include <optional>
#include <string>
#ifdef _WIN32
#include <windows.h> // sql.h needs it there
#endif
#include <sql.h>
#include <sqlext.h>
#include <sqlucode.h>

namespace {
// Linux: the narrow API with UTF-8 text both ways (FreeTDS's ClientCharset). Windows: there the
// narrow API means the ANSI code page, so statements, names, text data and messages go wide (and
// with UNICODE defined the narrow names are the wide calls, hence #ifdef rather than if constexpr).
#ifdef _WIN32
constexpr bool kWideText = true;
#else
constexpr bool kWideText = false;
#endif
static_assert(sizeof(SQLWCHAR) == sizeof(char16_t), "the driver manager's wide characters are UTF-16");

#ifdef _WIN32
QString fromWide(const SQLWCHAR* text)
{
    return QString::fromUtf16(reinterpret_cast<const char16_t*>(text));
}
#endif

struct Diagnostics
{
    long native = 0;
    QString sqlState;
    QString description;
    bool lost = false;   // the link to the server is gone
    long lostNative = 0; // the number that said so, and its state
    QString lostState;
};

// FreeTDS's own numbers for a connection that is gone (reported with a warning state):
// connection failed, read failed, write failed, unexpected end of data, connection dead.
bool isLinkFailure(SQLINTEGER native)
{
    return native == 20002 || native == 20004 || native == 20006 || native == 20017 || native == 20047;
}

Diagnostics diagnostics(SQLSMALLINT type, SQLHANDLE handle)
{
    Diagnostics d;
    QStringList texts;
    for (SQLSMALLINT i = 1; i <= 20; ++i) {
        SQLINTEGER native = 0;
        SQLSMALLINT length = 0;
        QByteArray sqlState;
        QString text;
#ifdef _WIN32 // with UNICODE the narrow names are the wide calls there
        SQLWCHAR state[6] = {};
        SQLWCHAR message[2048] = {};
        if (!SQL_SUCCEEDED(SQLGetDiagRecW(type, handle, i, state, &native, message, 2048, &length)))
            break;
        sqlState = fromWide(state).toLatin1();
        text = fromWide(message).trimmed();
#else
        SQLCHAR state[6] = {};
        SQLCHAR message[2048] = {};
        if (!SQL_SUCCEEDED(SQLGetDiagRec(type, handle, i, state, &native, message, sizeof message, &length)))
            break;
        sqlState = QByteArray(reinterpret_cast<const char*>(state));
        text = QString::fromUtf8(reinterpret_cast<const char*>(message)).trimmed();
#endif
        if (d.native == 0) {
            d.native = native;
            d.sqlState = QString::fromLatin1(sqlState);
        }
        // 08S01 communication link failure, 08003 connection not open, 08S02 connection reset.
        if ((sqlState == "08S01" || sqlState == "08003" || sqlState == "08S02" || isLinkFailure(native)) &&
            (!d.lost || (d.lostNative == 0 && native != 0))) {
            d.lost = true;
            d.lostNative = native;
            d.lostState = QString::fromLatin1(sqlState);
        }
        if (!text.isEmpty() && !texts.contains(text))
            texts << text;
    }
    d.description = texts.isEmpty() ? QStringLiteral("数据库操作失败。") : texts.join(u' ');
    return d;
}

// A lost link is what is reported, with the number that said so, even when the driver's first
// record is a general failure (FreeTDS: 20017 "Unexpected EOF from the server" after one).
RuntimeError shownError(const Diagnostics& d)
{
    const DatabaseErrorText shown = d.lost ? odbcErrorText(d.lostNative, d.lostState, d.description)
                                           : odbcErrorText(d.native, d.sqlState, d.description);
    return RuntimeError(shown.number, shown.description);
}

RuntimeError odbcError(SQLSMALLINT type, SQLHANDLE handle)
{
    return shownError(diagnostics(type, handle));
}
} // namespace

// Once the link is gone every later use says so, as the first failure did: the driver itself
// would answer the next statement with a failure that has no number and no word of the link.
struct OdbcLink
{
    std::optional<RuntimeError> lost;
    // The statement whose request is being run or read, for a cancel from another thread; the
    // mutex keeps it from being freed under the cancel.
    std::mutex activeMutex;
    SQLHSTMT active = nullptr;

    void setActive(SQLHSTMT statement)
    {
        std::lock_guard<std::mutex> lock(activeMutex);
        active = statement;
    }
    // Before `statement` is freed.
    void release(SQLHSTMT statement)
    {
        std::lock_guard<std::mutex> lock(activeMutex);
        if (active == statement)
            active = nullptr;
    }
    void cancel()
    {
        std::lock_guard<std::mutex> lock(activeMutex);
        if (active)
            SQLCancel(active);
    }

    RuntimeError failure(SQLSMALLINT type, SQLHANDLE handle) { return failure(diagnostics(type, handle)); }
    RuntimeError failure(const Diagnostics& d)
    {
        RuntimeError error = shownError(d);
        if (d.lost && !lost)
            lost = error;
        return error;
    }
    void checkNotLost() const
    {
        if (lost)
            throw *lost;
    }
};

namespace {

// How a column is read: numbers as numbers, everything else as UTF-8 text.
enum class ColumnKind { Integer, Real, Binary, Text };

ColumnKind kindOf(SQLSMALLINT type, SQLULEN size, SQLSMALLINT digits)
{
    switch (type) {
    case SQL_BIT:
    case SQL_TINYINT:
    case SQL_SMALLINT:
    case SQL_INTEGER:
    case SQL_BIGINT:
        return ColumnKind::Integer;
    case SQL_NUMERIC:
    case SQL_DECIMAL:
        // Whole numbers that fit 64 bits stay exact; wider ones as text, so no digit is lost.
        if (digits == 0)
            return size <= 18 ? ColumnKind::Integer : ColumnKind::Text;
        return ColumnKind::Real;
    case SQL_REAL:
    case SQL_FLOAT:
    case SQL_DOUBLE:
        return ColumnKind::Real;
    case SQL_BINARY:
    case SQL_VARBINARY:
    case SQL_LONGVARBINARY:
        return ColumnKind::Binary;
    default:
        return ColumnKind::Text;
    }
}

QVariant nullValue()
{
    return QVariant(QMetaType(QMetaType::QString));
}

class OdbcRows final : public RowSource
{
public:
    // `batch`: a request of several results, moved through with nextResult().
    OdbcRows(SQLHSTMT statement, std::shared_ptr<OdbcLink> link, bool batch)
        : m_statement(statement), m_link(std::move(link)), m_batch(batch)
    {
        describe();
    }
    ~OdbcRows() override
    {
        // What was not asked for is still read, so that nothing is left to cancel.
        if (m_batch && !m_finished && !m_link->lost)
            while (SQL_SUCCEEDED(SQLMoreResults(m_statement))) {
            }
        m_link->release(m_statement);
        SQLFreeHandle(SQL_HANDLE_STMT, m_statement);
    }

    int columnCount() const override { return m_names.size(); }
    QString columnName(int column) const override { return m_names.value(column); }

    bool next() override
    {
        if (m_done)
            return false;
        m_link->checkNotLost();
        const SQLRETURN rc = SQLFetch(m_statement);
        if (rc == SQL_NO_DATA) {
            if (m_batch)
                m_done = true;
            else
                finishRequest();
            return false;
        }
        if (!SQL_SUCCEEDED(rc))
            throw m_link->failure(SQL_HANDLE_STMT, m_statement);
        // Read in column order, as some drivers require.
        for (int c = 0; c < m_kinds.size(); ++c)
            m_values[c] = read(c);
        return true;
    }

    QVariant value(int column) const override { return m_values.at(column); }

    bool nextResult() override
    {
        if (!m_batch || m_finished)
            return false;
        m_link->checkNotLost();
        for (;;) {
            const SQLRETURN rc = SQLMoreResults(m_statement);
            if (rc == SQL_NO_DATA) {
                m_finished = m_done = true;
                return false;
            }
            if (!SQL_SUCCEEDED(rc))
                throw m_link->failure(SQL_HANDLE_STMT, m_statement);
            SQLSMALLINT columns = 0;
            SQLNumResultCols(m_statement, &columns);
            if (columns > 0) {
                describe();
                return true;
            }
        }
    }

private:
    void describe()
    {
        m_names.clear();
        m_kinds.clear();
        SQLSMALLINT count = 0;
        if (!SQL_SUCCEEDED(SQLNumResultCols(m_statement, &count)))
            throw m_link->failure(SQL_HANDLE_STMT, m_statement);
        for (SQLSMALLINT c = 1; c <= count; ++c) {
            SQLSMALLINT nameLength = 0, type = 0, digits = 0, nullable = 0;
            SQLULEN size = 0;
            SQLRETURN rc;
#ifdef _WIN32
            SQLWCHAR name[512] = {};
            rc = SQLDescribeColW(m_statement, c, name, 512, &nameLength, &type, &size, &digits, &nullable);
            m_names << fromWide(name);
#else
            SQLCHAR name[512] = {};
            rc = SQLDescribeCol(m_statement, c, name, sizeof name, &nameLength, &type, &size, &digits, &nullable);
            m_names << QString::fromUtf8(reinterpret_cast<const char*>(name));
#endif
            if (!SQL_SUCCEEDED(rc))
                throw m_link->failure(SQL_HANDLE_STMT, m_statement);
            m_kinds << kindOf(type, size, digits);
        }
        m_values.resize(count);
        m_done = count == 0;
    }

    // The rest of the request (further results) is read too, so nothing is left to cancel.
    void finishRequest()
    {
        m_done = true;
        SQLRETURN rc;
        while ((rc = SQLMoreResults(m_statement)) != SQL_NO_DATA) {
            if (!SQL_SUCCEEDED(rc))
                throw m_link->failure(SQL_HANDLE_STMT, m_statement);
        }
    }

    QVariant read(int column)
    {
        const SQLUSMALLINT number = static_cast<SQLUSMALLINT>(column + 1);
        SQLLEN indicator = 0;
        switch (m_kinds[column]) {
        case ColumnKind::Integer: {
            SQLBIGINT value = 0;
            check(SQLGetData(m_statement, number, SQL_C_SBIGINT, &value, 0, &indicator));
            return indicator == SQL_NULL_DATA ? nullValue() : QVariant(static_cast<qlonglong>(value));
        }
        case ColumnKind::Real: {
            double value = 0;
            check(SQLGetData(m_statement, number, SQL_C_DOUBLE, &value, 0, &indicator));
            return indicator == SQL_NULL_DATA ? nullValue() : QVariant(value);
        }
        case ColumnKind::Binary:
        case ColumnKind::Text:
            break;
        }
        const bool text = m_kinds[column] == ColumnKind::Text;
        const SQLSMALLINT cType = !text ? SQL_C_BINARY : kWideText ? SQL_C_WCHAR : SQL_C_CHAR;
        const SQLLEN terminator = !text ? 0 : kWideText ? sizeof(SQLWCHAR) : 1;
        QByteArray bytes;
        char buffer[4096];
        for (;;) {
            const SQLRETURN rc = SQLGetData(m_statement, number, cType, buffer, sizeof buffer, &indicator);
            if (rc == SQL_NO_DATA)
                break;
            check(rc);
            if (indicator == SQL_NULL_DATA)
                return nullValue();
            const SQLLEN room = static_cast<SQLLEN>(sizeof buffer) - terminator;
            // A long value comes in parts: a full buffer and the news that more follows.
            if (rc == SQL_SUCCESS_WITH_INFO && (indicator == SQL_NO_TOTAL || indicator > room)) {
                bytes.append(buffer, room);
                continue;
            }
            bytes.append(buffer, indicator);
            break;
        }
        if (!text)
            return QVariant(bytes);
        if constexpr (kWideText)
            return QVariant(QString::fromUtf16(reinterpret_cast<const char16_t*>(bytes.constData()),
                                               bytes.size() / qsizetype(sizeof(SQLWCHAR))));
        return QVariant(QString::fromUtf8(bytes));
    }

    void check(SQLRETURN rc) const
    {
        if (!SQL_SUCCEEDED(rc))
            throw m_link->failure(SQL_HANDLE_STMT, m_statement);
    }

    SQLHSTMT m_statement;
    std::shared_ptr<OdbcLink> m_link;
    QStringList m_names;
    QList<ColumnKind> m_kinds;
    QList<QVariant> m_values;
    bool m_done = false;
    bool m_batch = false;
    bool m_finished = false; // the request has no more results
};

// A statement handle freed on every way out.
class StatementHandle
{
public:
    // The statement is the link's active one until it is freed or handed on.
    StatementHandle(SQLHDBC dbc, OdbcLink& link) : m_link(link)
    {
        if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_STMT, dbc, &m_handle)))
            throw odbcError(SQL_HANDLE_DBC, dbc);
        m_link.setActive(m_handle);
    }
    ~StatementHandle()
    {
        if (m_handle) {
            m_link.release(m_handle);
            SQLFreeHandle(SQL_HANDLE_STMT, m_handle);
        }
    }
    StatementHandle(const StatementHandle&) = delete;
    StatementHandle& operator=(const StatementHandle&) = delete;
    SQLHSTMT get() const { return m_handle; }
    SQLHSTMT release()
    {
        SQLHSTMT h = m_handle;
        m_handle = nullptr;
        return h;
    }

private:
    OdbcLink& m_link;
    SQLHSTMT m_handle = nullptr;
};

SQLRETURN execDirect(SQLHSTMT statement, const QString& sql)
{
#ifdef _WIN32
    std::u16string text = sql.toStdU16String();
    return SQLExecDirectW(statement, reinterpret_cast<SQLWCHAR*>(text.data()), static_cast<SQLINTEGER>(text.size()));
#else
    QByteArray text = sql.toUtf8();
    return SQLExecDirect(statement, reinterpret_cast<SQLCHAR*>(text.data()), static_cast<SQLINTEGER>(text.size()));
#endif
}

} // namespace

OdbcConnection::OdbcConnection() : m_link(std::make_shared<OdbcLink>()) {}

OdbcConnection::~OdbcConnection()
{
    close();
}

void OdbcConnection::close()
{
    if (m_dbc) {
        SQLDisconnect(m_dbc);
        SQLFreeHandle(SQL_HANDLE_DBC, m_dbc);
        m_dbc = nullptr;
    }
    if (m_env) {
        SQLFreeHandle(SQL_HANDLE_ENV, m_env);
        m_env = nullptr;
    }
}

void OdbcConnection::open(const QString& odbcString, int timeoutSeconds)
{
    close();
    SQLHENV env = nullptr;
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env)))
        throw RuntimeError(0, QStringLiteral("无法初始化 ODBC 驱动程序管理器。"));
    m_env = env;
    SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    SQLHDBC dbc = nullptr;
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_DBC, env, &dbc))) {
        const RuntimeError error = odbcError(SQL_HANDLE_ENV, env);
        close();
        throw error;
    }
    const auto timeout = reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(timeoutSeconds));
    SQLSetConnectAttr(dbc, SQL_ATTR_LOGIN_TIMEOUT, timeout, SQL_IS_UINTEGER);
    SQLSetConnectAttr(dbc, SQL_ATTR_CONNECTION_TIMEOUT, timeout, SQL_IS_UINTEGER);
    // Wide on every platform: FreeTDS reads a narrow connection string as Latin-1, which would
    // mangle a Chinese database name or password.
    QString text = odbcString;
    SQLWCHAR out[1024];
    SQLSMALLINT outLength = 0;
    const SQLRETURN rc =
        SQLDriverConnectW(dbc, nullptr, reinterpret_cast<SQLWCHAR*>(text.data()), static_cast<SQLSMALLINT>(text.size()),
                          out, 1024, &outLength, SQL_DRIVER_NOPROMPT);
    if (!SQL_SUCCEEDED(rc)) {
        const RuntimeError error = odbcError(SQL_HANDLE_DBC, dbc);
        SQLFreeHandle(SQL_HANDLE_DBC, dbc);
        close();
        throw error;
    }
    m_dbc = dbc;
    m_link = std::make_shared<OdbcLink>();
}

QString OdbcConnection::dbmsName() const
{
    if (!m_dbc)
        return {};
    SQLSMALLINT length = 0;
#ifdef _WIN32
    SQLWCHAR name[256] = {};
    if (!SQL_SUCCEEDED(SQLGetInfoW(m_dbc, SQL_DBMS_NAME, name, sizeof name, &length)))
        return {};
    return fromWide(name);
#else
    SQLCHAR name[256] = {};
    if (!SQL_SUCCEEDED(SQLGetInfo(m_dbc, SQL_DBMS_NAME, name, sizeof name, &length)))
        return {};
    return QString::fromUtf8(reinterpret_cast<const char*>(name));
#endif
}

std::unique_ptr<RowSource> OdbcConnection::query(const QString& sql, bool batch)
{
    m_link->checkNotLost();
    StatementHandle statement(m_dbc, *m_link);
    SQLRETURN rc = execDirect(statement.get(), sql);
    if (!SQL_SUCCEEDED(rc) && rc != SQL_NO_DATA)
        throw m_link->failure(SQL_HANDLE_STMT, statement.get());
    // Row counts before the first result set (a SET, say) are passed over.
    for (;;) {
        SQLSMALLINT columns = 0;
        SQLNumResultCols(statement.get(), &columns);
        if (columns > 0)
            break;
        rc = SQLMoreResults(statement.get());
        if (rc == SQL_NO_DATA)
            break;
        if (!SQL_SUCCEEDED(rc))
            throw m_link->failure(SQL_HANDLE_STMT, statement.get());
    }
    return std::make_unique<OdbcRows>(statement.release(), m_link, batch);
}

void OdbcConnection::cancel()
{
    m_link->cancel();
}

void OdbcConnection::execute(const QString& sql, const std::function<void(int, qint64)>& ran, int statements)
{
    m_link->checkNotLost();
    StatementHandle statement(m_dbc, *m_link);
    std::optional<RuntimeError> first;
    int failed = 0;
    bool lost = false;
    int index = 0;
    // Each row count is one statement that ran, an error one that did not; the request is read
    // to its end either way, since a statement-level error does not always end it.
    SQLRETURN rc = execDirect(statement.get(), sql);
    QString previousError;
    for (;;) {
        if ((rc == SQL_NO_DATA && index > 0) || rc == SQL_INVALID_HANDLE)
            break;
        if (SQL_SUCCEEDED(rc) || rc == SQL_NO_DATA) {
            // An UPDATE that matched nothing answers SQL_NO_DATA at the start of a request.
            SQLLEN rows = 0;
            if (rc != SQL_NO_DATA && !SQL_SUCCEEDED(SQLRowCount(statement.get(), &rows)))
                rows = -1;
            if (ran)
                ran(index, rows);
        } else {
            const Diagnostics d = diagnostics(SQL_HANDLE_STMT, statement.get());
            // A driver that keeps answering with its own complaint has nothing more to give.
            if (d.native == 0 && d.description == previousError)
                break;
            previousError = d.native == 0 ? d.description : QString();
            if (!first) {
                first = m_link->failure(d);
                failed = index;
            }
            if (d.lost) {
                m_link->failure(d);
                lost = true;
                break;
            }
        }
        ++index;
        rc = SQLMoreResults(statement.get());
    }
    if (first)
        throw WriteFailure(*first, failed, lost ? std::max(failed, statements - 1) : -1);
}
