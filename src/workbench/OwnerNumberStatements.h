#pragma once

#include "platform/Database.h"

#include <QString>

// The owner record id of a grid cell as the statements write it: the cell's numeric value
// (an empty or non-numeric cell gives 0) written back as a number.
QString ownerIdText(const QString& idCell);

// "Update 业主表 Set 业主编号 = '<number>' Where ZH_ID =<id>" (no blank after "=").
QString saveOwnerNumberStatement(const QString& number, const QString& idCell);

// "Update 业主表 Set 业主编号 = Null Where ZH_ID = <id>".
QString clearOwnerNumberStatement(const QString& idCell);

// The offices offered: codes 14, 15, 16, 18 and 24 of the residential kinds 0 and 2.
QString officeListSql();

// The buildings of one office with their full address, in natural address order.
QString buildingTreeSql(SqlDialect dialect, const QString& officeCode);
