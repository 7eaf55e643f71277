#pragma once

#include <QString>

// What the run-time error box says of a database failure: its number, and a description made of
// a Chinese explanation of the common failures followed by the driver's own text.
//
// Numbers: the run-time errors the program raises itself keep their classic numbers (ErrorNumber).
// Database failures never take one of those:
//  - SQLite: 100000 + its result code as given (primary or extended), e.g. 100005 "locked";
//    its codes are small numbers that would read as ours (5, 8, 13) without the offset.
//  - SQL Server and other ODBC drivers: the native error number as the server's documentation
//    and administrators know it (1205, 18456, 20009 ...); a native number that is also one of
//    ours (3021 is a backup message there) is shown as 200000 + that number; none (0 or
//    negative, a failure known only by its SQLSTATE) shows 0.
struct DatabaseErrorText
{
    long number = 0;
    QString description;
};

// A failure of the embedded database: SQLite's result code, primary or extended.
DatabaseErrorText sqliteErrorText(int resultCode, const QString& driverText);

// A failure reported through ODBC (SQL Server through FreeTDS): the native error number and
// SQLSTATE as the driver gives them, either possibly missing (0, empty).
DatabaseErrorText odbcErrorText(long nativeError, const QString& sqlState, const QString& driverText);
