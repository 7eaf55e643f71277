#pragma once

#include "core/Database.h"
#include "engine/Statements.h"

#include <QHash>
#include <QList>
#include <QString>

// One grid row's owner number and owner (ZH_ID cell).
struct GridNumber
{
    int row = 0;
    QString number;
    QString ownerId;
};

// An owner number already stored, with its owner as the user knows them.
struct StoredNumber
{
    QString number;
    QString ownerId;
    QString name;
    QString address;
};

// Both checks for a grid, its numbers hashed once: the rows whose number stands on another row
// of the grid too, or is stored for another owner, each with the text that names the other:
// "与第 n 行重复" (the first other row with it) or "与已保存的业主 姓名（地址）重复". Empty numbers
// are never duplicates. One request, and one more only when there are collisions.
QHash<int, QString> findDuplicateNumbers(Connection& conn, const QString& officeCode, const QList<GridNumber>& rows,
                                         GridNumbers grid);
