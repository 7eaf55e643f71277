#pragma once

#include "core/KeysetRow.h"
#include "core/Recordset.h"
#include "core/RuntimeError.h"
#include "core/SqlText.h"

#include <QString>
#include <QStringList>
#include <atomic>
#include <functional>
#include <memory>

struct sqlite3;
class OdbcConnection;

// The process-wide database connection's type: SQL Server through ODBC (FreeTDS), or an
// existing SQLite file. All failures are thrown as RuntimeError with the driver's code and text.
class Connection
{
public:
    // How much of a write travels in one request to SQL Server, in UTF-16 code units (the wire's
    // text): about 500 owner-number statements, so few round trips, and a lost link leaves no more
    // than one request's rows in doubt.
    static constexpr int kRequestChars = 32 * 1024;
    // Where each request of `statements` starts, cut by kRequestChars (at least one statement each).
    static QList<int> requestStarts(const QStringList& statements);

    Connection();
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    void open(const QString& connectionString);
    bool isOpen() const;
    void close();
    SqlDialect dialect() const { return m_dialect; }
    QString concat() const { return concatOperator(m_dialect); }

    // Runs a statement; the rows it changed, -1 when the driver does not say.
    qint64 execute(const QString& sql);
    Recordset openRecordset(const QString& sql);
    // Several queries whose results are read in order (Recordset::nextRecordset): one request to
    // SQL Server, one statement after the other elsewhere.
    Recordset openRecordsets(const QStringList& statements);
    KeysetRow openKeysetRow(const QString& table, const QString& keyColumn, const QString& keyValue);

    // Write statements in order, each committed on its own (no transaction). On SQL Server many
    // travel in one request, which a failing statement ends. `written(i, rows)` is called for each
    // statement i known to have run, with the rows it changed (-1: not told). The first failure is
    // thrown as WriteFailure. `stop`, asked before each request (each statement on SQLite), ends
    // the run early. Returns how many statements were sent.
    int executeInOrder(const QStringList& statements, const std::function<void(int, qint64)>& written = {},
                       const std::function<bool()>& stop = {});

    // Stops the statement in flight (SQLite's interrupt, the driver's cancel) and refuses every
    // statement after it until clearInterrupt(). Callable from any thread.
    void interrupt();
    void clearInterrupt() { m_interrupted = false; }

    // The code page the database turns text literals without N into: read once per connection
    // (SQL Server); 0 where text is kept as it is (the embedded database, Unicode collations).
    int databaseCodePage();
    static QString codePageSql();

    // The embedded database's own handle, or null on any other backend.
    sqlite3* sqliteHandle() const { return m_sqlite; }

private:
    std::unique_ptr<RowSource> rowsOf(const QString& sql);
    void openSqlite(const QString& file);
    void openOdbc(const QString& odbcString);
    sqlite3* m_sqlite = nullptr;
    std::unique_ptr<OdbcConnection> m_odbc;
    SqlDialect m_dialect = SqlDialect::SqlServer;
    int m_codePage = -1; // not read yet
    std::atomic<bool> m_interrupted{false};
};
