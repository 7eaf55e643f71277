#pragma once

#include "platform/RuntimeError.h"

#include <QHash>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QVariant>
#include <memory>

// The two places where the embedded database's SQL differs from SQL Server's.
enum class SqlDialect { SqlServer, SQLite };

// Text concatenation operator of a dialect: "+" on SQL Server, "||" on SQLite.
QString concatOperator(SqlDialect dialect);

// Registers T-SQL's LEN (characters without trailing blanks) on a raw SQLite handle.
void registerSqlLen(struct sqlite3* db);

// A text to put between single quotes in a statement: embedded quotes doubled.
QString sqlEscape(const QString& text);

// An id to put unquoted into a statement: must be a whole number, else error 13.
QString sqlNumber(const QString& text);

// Finalizes a statement prepared straight on the embedded database's handle.
struct SqliteStatementFinalizer
{
    void operator()(struct sqlite3_stmt* statement) const;
};

// A forward-only, read-only result set. Fields are found by name case-insensitively;
// SQL NULL comes back as a null QVariant, distinct from the empty text.
class Recordset
{
public:
    Recordset(Recordset&&) noexcept;
    Recordset& operator=(Recordset&&) noexcept;
    ~Recordset();

    bool eof() const;
    QVariant field(const QString& name) const; // error 3265 when the field does not exist
    // The same by position, for loops that look each name up once.
    int fieldIndex(const QString& name) const; // error 3265 when the field does not exist
    QVariant field(int index) const;
    void moveNext(); // error 3021 past the end

private:
    friend class Connection;
    friend class RecordsetQuery;
    Recordset(QSqlQuery query);
    // On the embedded database rows are read straight from SQLite: only the columns asked for
    // are converted, with no second copy of each row.
    Recordset(struct sqlite3* handle, struct sqlite3_stmt* statement);
    void step(); // the next row of a statement prepared on the embedded database
    QSqlQuery m_query;
    struct sqlite3* m_handle = nullptr;
    std::unique_ptr<struct sqlite3_stmt, SqliteStatementFinalizer> m_statement;
    QHash<QString, int> m_fields;
    bool m_eof = true;
};

// A read statement sent again and again with a different id in one place (one count per grid
// row). The statement is before + id + after. The embedded database compiles it once and binds
// the id; every other backend receives the text with the id written in, exactly as spelled.
class RecordsetQuery
{
public:
    RecordsetQuery(class Connection& connection, QString before, QString after);
    RecordsetQuery(const RecordsetQuery&) = delete;
    RecordsetQuery& operator=(const RecordsetQuery&) = delete;

    // The id goes through sqlNumber (error 13 when it is not a number). The recordset stays
    // valid until the next open.
    Recordset& open(const QString& id);

private:
    class Connection& m_connection;
    QString m_before, m_after;
    bool m_bind;
    std::unique_ptr<Recordset> m_recordset;
};

// One row opened for editing, as a keyset recordset with optimistic locking would be:
// the row (where `keyColumn` equals `keyValue`) is updated if it exists, else inserted.
class KeysetRow
{
public:
    bool eof() const { return !m_found; }
    void addNew();
    void setField(const QString& name, const QString& value);
    void update(); // sends the statement; throws RuntimeError on failure

private:
    friend class Connection;
    class Connection* m_connection = nullptr;
    QString m_table, m_keyColumn, m_keyValue;
    bool m_found = false;
    bool m_adding = false;
    QList<QPair<QString, QString>> m_values;
};

// The process-wide database connection's type: SQL Server through QODBC + FreeTDS, or an
// existing SQLite file. All failures are thrown as RuntimeError with the driver's code and text.
class Connection
{
public:
    Connection();
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    void open(const QString& connectionString);
    bool isOpen() const;
    void close();
    SqlDialect dialect() const { return m_dialect; }
    QString concat() const { return concatOperator(m_dialect); }

    void execute(const QString& sql);
    Recordset openRecordset(const QString& sql);
    KeysetRow openKeysetRow(const QString& table, const QString& keyColumn, const QString& keyValue);

    // The ODBC connection string built for a SQL Server connection string (for tests and
    // for telling the user what was tried). Throws RuntimeError when it cannot be built.
    static QString odbcConnectionString(const QString& connectionString);

    QSqlDatabase database() const;
    // The embedded database's own handle, or null on any other backend.
    struct sqlite3* sqliteHandle() const { return m_sqlite; }

private:
    void openSqlite(const QString& file);
    void openOdbc(const QString& odbcString);
    QString m_name;
    QSqlDatabase m_db;
    struct sqlite3* m_sqlite = nullptr;
    SqlDialect m_dialect = SqlDialect::SqlServer;
};

// The error a failed driver call reports: native code where the driver gives one, else 0.
RuntimeError driverError(const class QSqlError& error);
