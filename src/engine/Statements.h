#pragma once

#include "core/SqlText.h"

#include <QString>
#include <QStringList>

// Every statement text the program sends about offices, buildings, owners, privileges and the
// deduction setting: the program's contract with the database and with the other programs that
// read what it writes, so each is spelled here once. Texts are quoted by sqlEscape; ids put into a
// statement unquoted are checked by sqlNumber (error 13 when one is not a number). SQLite differs
// from SQL Server only by its concatenation operator.

// The owner record id of a grid cell as the statements write it: the number the cell starts
// with, read as Val reads it (blanks skipped, "12abc" gives 12, an empty or non-numeric cell 0),
// written back with every digit, never rounded. A fraction keeps its decimals ("12.5" gives
// 12.5, "12.0" gives 12), so it names no owner with a whole-number id.
QString ownerIdText(const QString& idCell);

// "Update 业主表 Set 业主编号 = '<number>' Where ZH_ID =<id>" (no blank after "=").
QString saveOwnerNumberStatement(const QString& number, const QString& idCell);

// "Update 业主表 Set 业主编号 = Null Where ZH_ID = <id>".
QString clearOwnerNumberStatement(const QString& idCell);

// The offices offered: codes 14, 15, 16, 18 and 24 of the residential kinds 0 and 2.
QString officeListSql();

// The buildings of one office with their full address, in natural address order.
QString buildingTreeSql(SqlDialect dialect, const QString& officeCode);

// The rooms of the listed buildings ("3,7,12") whose current owner is a new owner without a number
// (candidate) or with one (existing), in natural address order.
QString candidateGridSql(SqlDialect dialect, const QString& officeCode, const QString& buildingList);
QString existingGridSql(SqlDialect dialect, const QString& officeCode, const QString& buildingList);

// The moved-out owners of every room of the listed buildings, counted by one statement.
QString resaleCountsSql(const QString& buildingList);

// Whose numbers a grid shows: proposed ones (generate), or the owners' own stored ones (view).
enum class GridNumbers { Proposed, Stored };

// The stored numbers starting with an office code (every number the rule makes for the office
// starts with it), with their owners' ids. For a grid of stored numbers only those stored more
// than once can be another owner's too. Proposed numbers can only collide with stored ones that
// start as they do: given `prefixes`, only those are read, so that what is read follows the grid.
QString storedNumbersSql(const QString& officeCode, GridNumbers grid = GridNumbers::Proposed,
                         const QStringList& prefixes = {});

// The names and addresses of owners, for the few whose stored number collides.
QString ownersSql(SqlDialect dialect, const QStringList& ownerIds);

// The owners among up to 1,000 ZH_ID cells who hold a number now, with that number.
QString currentNumbersSql(const QStringList& ownerIdCells);

// The menu items a post may use in one program of the system (its Memo), by their form names.
QString privilegeQuery(const QString& postCode, const QString& memo);

// The bank deduction setting, as the other programs of the system read it too.
QString deductionSettingSql();
