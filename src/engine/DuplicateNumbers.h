#pragma once

#include "core/Database.h"

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

// The rows whose number stands on another row of the grid too, or is stored for another owner
// (`stored` holds other owners' numbers only, as collidingStoredNumbers gives them),
// each with the text that names the other: "与第 n 行重复" (the first other row with it) or
// "与已保存的业主 姓名（地址）重复". Empty numbers are never duplicates.
QHash<int, QString> duplicateNumbers(const QList<GridNumber>& rows, const QList<StoredNumber>& stored);

// Whose numbers a grid shows: proposed ones (generate), or the owners' own stored ones (view).
enum class GridNumbers { Proposed, Stored };

// The statement that reads the stored numbers starting with an office code (every number the
// rule makes for the office starts with it), with their owners' ids: one request for a grid. For a
// grid of stored numbers only those stored more than once can be another owner's too.
QString storedNumbersSql(const QString& officeCode, GridNumbers grid = GridNumbers::Proposed);

// The names and addresses of owners, for the few whose stored number collides.
QString ownersSql(SqlDialect dialect, const QStringList& ownerIds);

// Both checks for a grid, its numbers hashed once: the marks duplicateNumbers gives, with the
// stored numbers collidingStoredNumbers reads.
QHash<int, QString> findDuplicateNumbers(Connection& conn, const QString& officeCode, const QList<GridNumber>& rows,
                                         GridNumbers grid);

// The stored numbers, other than the grid's own owners', that equal a number of the grid, with
// their owners' names and addresses: one request, and one more only when there are collisions.
QList<StoredNumber> collidingStoredNumbers(Connection& conn, const QString& officeCode, const QList<GridNumber>& rows,
                                           GridNumbers grid = GridNumbers::Proposed);
