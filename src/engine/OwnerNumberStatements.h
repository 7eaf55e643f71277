#pragma once

#include "core/Database.h"

#include <QString>

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
