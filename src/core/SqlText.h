#pragma once

#include <QString>

// The two places where the embedded database's SQL differs from SQL Server's.
enum class SqlDialect { SqlServer, SQLite };

// Text concatenation operator of a dialect: "+" on SQL Server, "||" on SQLite.
QString concatOperator(SqlDialect dialect);

// A text to put between single quotes in a statement: embedded quotes doubled.
QString sqlEscape(const QString& text);

// An id to put unquoted into a statement: must be a whole number, else error 13.
QString sqlNumber(const QString& text);
