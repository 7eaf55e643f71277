#pragma once

// The two halves of findDuplicateNumbers, for its tests.
#include "engine/DuplicateNumbers.h"

// The rows whose number stands on another row of the grid too, or is stored for another owner
// (`stored` holds other owners' numbers only, as collidingStoredNumbers gives them),
// each with the text that names the other: "与第 n 行重复" (the first other row with it) or
// "与已保存的业主 姓名（地址）重复". Empty numbers are never duplicates.
QHash<int, QString> duplicateNumbers(const QList<GridNumber>& rows, const QList<StoredNumber>& stored);

// The starts of the grid's numbers that a stored number must share to equal one of them, in
// grid order, each once.
QStringList collisionPrefixes(const QString& officeCode, const QList<GridNumber>& rows);

// The stored numbers, other than the grid's own owners', that equal a number of the grid, with
// their owners' names and addresses: one request, and one more only when there are collisions.
QList<StoredNumber> collidingStoredNumbers(Connection& conn, const QString& officeCode, const QList<GridNumber>& rows,
                                           GridNumbers grid = GridNumbers::Proposed);
