#include "core/SqliteBackend.h"

#include "core/DatabaseErrors.h"

#include <sqlite3.h>

namespace {
// T-SQL's LEN: characters without the trailing blanks; NULL stays NULL.
void sqlLen(sqlite3_context* context, int, sqlite3_value** argv)
{
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) {
        sqlite3_result_null(context);
        return;
    }
    const auto* text = reinterpret_cast<const unsigned char*>(sqlite3_value_text(argv[0]));
    int bytes = sqlite3_value_bytes(argv[0]);
    while (bytes > 0 && text[bytes - 1] == ' ')
        --bytes;
    sqlite3_int64 chars = 0;
    for (int i = 0; i < bytes; ++i)
        if ((text[i] & 0xC0) != 0x80)
            ++chars;
    sqlite3_result_int64(context, chars);
}

struct Finalizer
{
    void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
};
using Statement = std::unique_ptr<sqlite3_stmt, Finalizer>;

Statement prepare(sqlite3* handle, const QString& sql)
{
    const QByteArray text = sql.toUtf8();
    sqlite3_stmt* statement = nullptr;
    const int rc = sqlite3_prepare_v2(handle, text.constData(), static_cast<int>(text.size()), &statement, nullptr);
    if (rc != SQLITE_OK)
        throw sqliteError(handle, rc);
    if (!statement) // only blanks or a comment: nothing to run
        throw RuntimeError(rc, QStringLiteral("语句为空。"));
    return Statement(statement);
}

class SqliteRows final : public RowSource
{
public:
    SqliteRows(sqlite3* handle, Statement statement) : m_handle(handle), m_statement(std::move(statement)) {}

    int columnCount() const override { return sqlite3_column_count(m_statement.get()); }
    QString columnName(int column) const override
    {
        return QString::fromUtf8(sqlite3_column_name(m_statement.get(), column));
    }
    bool next() override
    {
        const int rc = sqlite3_step(m_statement.get());
        if (rc == SQLITE_ROW)
            return true;
        if (rc != SQLITE_DONE)
            throw sqliteError(m_handle, rc);
        return false;
    }
    QVariant value(int column) const override
    {
        sqlite3_stmt* st = m_statement.get();
        switch (sqlite3_column_type(st, column)) {
        case SQLITE_INTEGER:
            return QVariant(static_cast<qlonglong>(sqlite3_column_int64(st, column)));
        case SQLITE_FLOAT:
            return QVariant(sqlite3_column_double(st, column));
        case SQLITE_BLOB:
            return QVariant(QByteArray(static_cast<const char*>(sqlite3_column_blob(st, column)),
                                       sqlite3_column_bytes(st, column)));
        case SQLITE_NULL:
            return QVariant(QMetaType(QMetaType::QString));
        default: {
            const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(st, column));
            return QVariant(QString::fromUtf8(text, sqlite3_column_bytes(st, column)));
        }
        }
    }

private:
    sqlite3* m_handle;
    Statement m_statement;
};
} // namespace

void registerSqlLen(sqlite3* db)
{
    sqlite3_create_function_v2(db, "LEN", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr, sqlLen, nullptr, nullptr,
                               nullptr);
}

RuntimeError sqliteError(sqlite3* handle, int code)
{
    const DatabaseErrorText shown = sqliteErrorText(code, QString::fromUtf8(sqlite3_errmsg(handle)));
    return RuntimeError(shown.number, shown.description);
}

void sqliteCheckFile(sqlite3* handle)
{
    const auto failure = [](int code, const QString& text) {
        const DatabaseErrorText shown = sqliteErrorText(code, text);
        return RuntimeError(shown.number, shown.description);
    };
    const char* path = sqlite3_db_filename(handle, "main");
    const QString file = QString::fromUtf8(path ? path : "");
    int moved = 0;
    if (sqlite3_file_control(handle, "main", SQLITE_FCNTL_HAS_MOVED, &moved) == SQLITE_OK && moved)
        throw failure(SQLITE_READONLY_DBMOVED, file);
    // The header is read through SQLite's own descriptor: opening the file a second time and
    // closing it would drop every POSIX lock this process holds on it, and another program closing
    // the file would then delete the write-ahead log our writes still go to.
    sqlite3_file* open = nullptr;
    if (sqlite3_file_control(handle, "main", SQLITE_FCNTL_FILE_POINTER, &open) != SQLITE_OK || !open || !open->pMethods)
        throw failure(SQLITE_READONLY_DBMOVED, file);
    char header[16] = {};
    const int rc = open->pMethods->xRead(open, header, sizeof header, 0);
    if (rc != SQLITE_OK || QByteArray(header, sizeof header) != QByteArray("SQLite format 3", 16))
        throw failure(SQLITE_NOTADB, file);
}

std::unique_ptr<RowSource> sqliteRows(sqlite3* handle, const QString& sql)
{
    return std::make_unique<SqliteRows>(handle, prepare(handle, sql));
}

qint64 sqliteExecute(sqlite3* handle, const QString& sql)
{
    Statement statement = prepare(handle, sql);
    int rc = SQLITE_ROW;
    while (rc == SQLITE_ROW)
        rc = sqlite3_step(statement.get());
    if (rc != SQLITE_DONE)
        throw sqliteError(handle, rc);
    // The connection's count belongs to its last INSERT, UPDATE or DELETE, not to a read.
    return sqlite3_stmt_readonly(statement.get()) ? 0 : sqlite3_changes64(handle);
}
