#pragma once

#include "core/Database.h"
#include "engine/DuplicateNumbers.h"
#include "engine/OwnerNumberWrites.h"

#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>
#include <functional>

class FlexGridModel;

// What the workbench's commands do apart from its controls: read the offices and buildings,
// collect the ticked buildings, plan and run the save and clear statements, and find the rows
// whose number cannot be stored as shown.

// The office items offered: office code, a blank, office name ("14 澄岭花园管理处").
QStringList readOfficeItems(Connection& conn);

// A building as the tree shows it: its full address and its node key, "L" + its L_ID.
struct BuildingNode
{
    QString address;
    QString key;
};
QList<BuildingNode> readBuildings(Connection& conn, const QString& officeCode);

// The selected-building list of the ticked nodes' keys, in tree order: the text after each key's
// first "L" (case-sensitive), joined by "," without blanks; keys without an "L" are ignored.
QString selectedBuildingList(const QStringList& tickedKeys);

// The grid's owner numbers with their rows and owner cells, header row left out.
QList<GridNumber> gridNumbers(const FlexGridModel& grid);

// What a filled grid's numbers run into: numbers another row or owner has (with the text that
// names the other), and proposed numbers the database's code page cannot hold (with the
// characters it lacks).
struct GridProblems
{
    QHash<int, QString> duplicates;
    QHash<int, QString> unsaveable;
};
GridProblems findGridProblems(Connection& conn, const FlexGridModel& grid, const QString& officeCode,
                              GridNumbers numbers);

// The rows whose number the database's code page cannot hold, with the characters it lacks.
QHash<int, QString> unsaveableNumbers(const QList<GridNumber>& numbers, int codePage);

// The rows whose owner holds a number now other than the row's (another user saved meanwhile),
// with that number. A number equal to the row's is an earlier save of this grid.
QHash<int, QString> numbersSavedByOthers(Connection& conn, const QList<GridNumber>& numbers);

// The statements of a save or a clear, each with its grid row.
struct WritePlan
{
    QStringList statements;
    QList<int> gridRows;
};
// Every row with a number, but those in `skipped`.
WritePlan savePlan(const FlexGridModel& grid, const QSet<int>& skipped = {});
// Every row.
WritePlan clearPlan(const FlexGridModel& grid);

// Runs a plan in order, calling `afterRow` with the grid row of each statement known to have run.
// A failure is thrown with the line that says how far the rows got ("已写入 n 行，第 r 行出错。",
// and for a lost connection which rows may or may not have been written); `outcome` then holds
// what the statements before it did. `stop`, asked before each request, ends the run with the
// rest unsent (counted in the outcome).
WriteOutcome runWritePlan(Connection& conn, const WritePlan& plan, const std::function<void(int)>& afterRow = {},
                          WriteOutcome* outcome = nullptr, const std::function<bool()>& stop = {});
