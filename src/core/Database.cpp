#include "core/Database.h"

#include "core/ConnectionString.h"
#include "core/OdbcBackend.h"
#include "core/OdbcConnectionString.h"
#include "core/SqliteBackend.h"

#include <QFileInfo>
#include <sqlite3.h>

namespace {
constexpr int kTimeoutSeconds = 30;

RuntimeError notOpen()
{
    return RuntimeError(ErrorNumber::ConnectionClosed, QStringLiteral("连接未打开，无法执行此操作。"));
}

RuntimeError interrupted()
{
    return RuntimeError(ErrorNumber::GenericFailure, QStringLiteral("操作已取消。"));
}
} // namespace

Connection::Connection() = default;

Connection::~Connection()
{
    close();
}

void Connection::close()
{
    if (m_sqlite) {
        sqlite3_close_v2(m_sqlite);
        m_sqlite = nullptr;
    }
    m_odbc.reset();
    m_codePage = -1;
}

bool Connection::isOpen() const
{
    return m_sqlite || (m_odbc && m_odbc->isOpen());
}

void Connection::open(const QString& connectionString)
{
    close();
    const ConnectionSettings settings = parsedConnectionString(connectionString);
    const QString provider = settings.value(QStringLiteral("provider"));
    if (provider.compare(QStringLiteral("SQLite"), Qt::CaseInsensitive) == 0) {
        openSqlite(settings.value(QStringLiteral("data source")));
    } else if (isSqlServerProvider(provider)) {
        // The SQLite ODBC driver creates a missing file: a database is opened, never made by a typo.
        const QString driver = settings.value(QStringLiteral("driver"));
        const QString file = settings.value(QStringLiteral("initial catalog"));
        if (driver.contains(QStringLiteral("sqlite"), Qt::CaseInsensitive) && !QFileInfo(file).isFile())
            throw RuntimeError(ErrorNumber::GenericFailure, QStringLiteral("数据库文件不存在：%1").arg(file));
        openOdbc(::odbcConnectionString(settings));
    } else if (provider.isEmpty()) {
        throw RuntimeError(ErrorNumber::ProviderNotFound, QStringLiteral("连接字符串未指定提供程序（Provider）。"));
    } else {
        throw RuntimeError(ErrorNumber::ProviderNotFound,
                           QStringLiteral("找不到提供程序“%1”。可用的提供程序：SQLOLEDB、MSOLEDBSQL、SQLNCLI、SQLite。")
                               .arg(provider));
    }
}

void Connection::openSqlite(const QString& file)
{
    // An embedded database is only ever opened, never created by a typo in the path.
    if (file.isEmpty() || !QFileInfo(file).isFile())
        throw RuntimeError(ErrorNumber::GenericFailure, QStringLiteral("数据库文件不存在：%1").arg(file));
    sqlite3* handle = nullptr;
    // One thread at a time uses the handle: SQLite's own mutex on every call would cost for nothing.
    const int rc =
        sqlite3_open_v2(file.toUtf8().constData(), &handle, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc != SQLITE_OK) {
        const RuntimeError error =
            handle ? sqliteError(handle, rc) : RuntimeError(rc, QStringLiteral("无法打开数据库文件。"));
        sqlite3_close_v2(handle);
        throw error;
    }
    m_sqlite = handle;
    m_dialect = SqlDialect::SQLite;
    // Another program holding the file gets a few seconds before a statement gives up.
    sqlite3_busy_timeout(handle, 5000);
    registerSqlLen(handle);
    try {
        // One autocommit statement per row must not cost one disk sync each.
        try {
            sqliteRows(handle, QStringLiteral("PRAGMA journal_mode=WAL"))->next();
        } catch (const RuntimeError&) {
            // Kept in its old journal mode (a read-only folder, say): slower, not wrong.
        }
        execute(QStringLiteral("PRAGMA synchronous=NORMAL"));
        // Anything but an SQLite database fails here rather than at the first query.
        openRecordset(QStringLiteral("Select count(*) From sqlite_master"));
    } catch (...) {
        close();
        throw;
    }
}

void Connection::openOdbc(const QString& odbcString)
{
    auto odbc = std::make_unique<OdbcConnection>();
    odbc->open(odbcString, kTimeoutSeconds);
    // The dialect follows the DBMS the driver reports, not the provider's name.
    m_dialect = odbc->dbmsName().contains(QStringLiteral("SQLite"), Qt::CaseInsensitive) ? SqlDialect::SQLite
                                                                                         : SqlDialect::SqlServer;
    m_odbc = std::move(odbc);
}

void Connection::interrupt()
{
    m_interrupted = true;
    if (m_sqlite)
        sqlite3_interrupt(m_sqlite);
    else if (m_odbc)
        m_odbc->cancel();
}

qint64 Connection::execute(const QString& sql)
{
    if (m_interrupted)
        throw interrupted();
    if (m_sqlite) {
        sqliteCheckFile(m_sqlite);
        return sqliteExecute(m_sqlite, sql);
    }
    if (!isOpen())
        throw notOpen();
    // A count the driver does not give makes the whole count unknown (-1), never 0.
    qint64 changed = 0;
    m_odbc->execute(sql, [&changed](int, qint64 rows) { changed = rows < 0 || changed < 0 ? -1 : changed + rows; });
    return changed;
}

QString Connection::codePageSql()
{
    return QStringLiteral(
        "Select Cast(CollationProperty(Cast(DatabasePropertyEx(DB_NAME(), 'Collation') As nvarchar(128)), "
        "'CodePage') As int) As CodePage");
}

int Connection::databaseCodePage()
{
    if (m_codePage >= 0)
        return m_codePage;
    if (m_sqlite || m_dialect != SqlDialect::SqlServer)
        return m_codePage = 0;
    Recordset rs = openRecordset(codePageSql());
    const QVariant page = rs.eof() ? QVariant() : rs.field(QStringLiteral("CodePage"));
    while (!rs.eof())
        rs.moveNext();
    // UTF-8 collations keep every character, as Unicode-only ones do.
    m_codePage = page.isNull() || page.toInt() == 65001 ? 0 : page.toInt();
    return m_codePage;
}

Recordset Connection::openRecordset(const QString& sql)
{
    return Recordset(rowsOf(sql));
}

std::unique_ptr<RowSource> Connection::rowsOf(const QString& sql)
{
    if (m_interrupted)
        throw interrupted();
    if (m_sqlite) {
        sqliteCheckFile(m_sqlite);
        return sqliteRows(m_sqlite, sql);
    }
    if (!isOpen())
        throw notOpen();
    return m_odbc->query(sql);
}

namespace {
// A statement-level error would let the rest of a request run on SQL Server; with XACT_ABORT every
// error ends it, so nothing after a failing statement is written. NOCOUNT off: each statement's
// row count is how we learn that it ran.
const QString kWritePrefix = QStringLiteral("SET XACT_ABORT ON;SET NOCOUNT OFF;");
} // namespace

Recordset Connection::openRecordsets(const QStringList& statements)
{
    if (m_interrupted)
        throw interrupted();
    if (!isOpen())
        throw notOpen();
    if (m_odbc && m_dialect == SqlDialect::SqlServer)
        return Recordset(m_odbc->query(statements.join(u';'), true));
    return Recordset(std::make_unique<ChainedRows>(statements, [this](const QString& sql) { return rowsOf(sql); }));
}

QList<int> Connection::requestStarts(const QStringList& statements)
{
    const qsizetype prefixChars = kWritePrefix.size();
    QList<int> starts;
    qsizetype chars = kRequestChars;
    for (int i = 0; i < statements.size(); ++i) {
        const qsizetype next = statements[i].size() + 1;
        if (chars + next > kRequestChars) {
            starts << i;
            chars = prefixChars;
        }
        chars += next;
    }
    return starts;
}

int Connection::executeInOrder(const QStringList& statements, const std::function<void(int, qint64)>& written,
                               const std::function<bool()>& stop)
{
    if (!isOpen())
        throw notOpen();
    if (m_interrupted)
        throw WriteFailure(interrupted(), 0, -1);
    if (m_sqlite && !statements.isEmpty()) {
        try {
            sqliteCheckFile(m_sqlite);
        } catch (const RuntimeError& e) {
            throw WriteFailure(e, 0, -1);
        }
    }
    if (m_sqlite || m_dialect != SqlDialect::SqlServer) {
        for (int i = 0; i < statements.size(); ++i) {
            if (stop && stop())
                return i;
            qint64 rows = 0;
            try {
                // The file was checked once, above.
                rows = m_sqlite ? sqliteExecute(m_sqlite, statements[i]) : execute(statements[i]);
            } catch (const RuntimeError& e) {
                throw WriteFailure(e, i, -1);
            }
            if (written)
                written(i, rows);
        }
        return statements.size();
    }
    const QList<int> starts = requestStarts(statements);
    for (int r = 0; r < starts.size(); ++r) {
        const int start = starts[r];
        if (stop && stop())
            return start;
        const int count = (r + 1 < starts.size() ? starts[r + 1] : statements.size()) - start;
        const QString request = kWritePrefix + statements.mid(start, count).join(u';');
        try {
            m_odbc->execute(
                request,
                [&](int i, qint64 rows) {
                    if (i < count && written)
                        written(start + i, rows);
                },
                count);
        } catch (const WriteFailure& e) {
            // Numbered in the whole list, not in the request.
            throw WriteFailure(e, start + e.statement(),
                               e.unconfirmedThrough() < 0 ? -1 : start + e.unconfirmedThrough());
        }
    }
    return statements.size();
}

KeysetRow Connection::openKeysetRow(const QString& table, const QString& keyColumn, const QString& keyValue)
{
    Recordset rs =
        openRecordset(QStringLiteral("Select * From %1 Where %2 ='%3'").arg(table, keyColumn, sqlEscape(keyValue)));
    KeysetRow row;
    row.m_connection = this;
    row.m_table = table;
    row.m_keyColumn = keyColumn;
    row.m_keyValue = keyValue;
    row.m_found = !rs.eof();
    // Read to the end, so the server has nothing left to cancel.
    while (!rs.eof())
        rs.moveNext();
    return row;
}
