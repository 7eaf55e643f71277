#pragma once

#include "core/Recordset.h"
#include "core/RuntimeError.h"

#include <QString>
#include <memory>

struct sqlite3;
struct sqlite3_stmt;

// Registers T-SQL's LEN (characters without trailing blanks) on a raw SQLite handle.
void registerSqlLen(sqlite3* db);

// The embedded database's failures, with SQLite's code and text.
RuntimeError sqliteError(sqlite3* handle, int code);

// Rows read straight from SQLite: only the columns asked for are converted, with no second copy
// of each row.
std::unique_ptr<RowSource> sqliteRows(sqlite3* handle, const QString& sql);

// Refuses to go on when the file opened is no longer the file at its path (deleted, renamed,
// another file moved over it) or no longer starts as a database: writes would go to an unlinked
// file, or reads come from pages cached before the damage.
void sqliteCheckFile(sqlite3* handle);

// Runs one statement to its end; the rows it changed.
qint64 sqliteExecute(sqlite3* handle, const QString& sql);
