#include "engine/WorkbenchCommands.h"

#include "core/FlexGridModel.h"
#include "engine/GridBuilders.h"
#include "engine/Statements.h"

QStringList readOfficeItems(Connection& conn)
{
    QStringList items;
    for (Recordset rs = conn.openRecordset(officeListSql()); !rs.eof(); rs.moveNext())
        items << rs.field(QStringLiteral("GYD_DH")).toString() + u' ' + rs.field(QStringLiteral("GYD_NAME")).toString();
    return items;
}

QList<BuildingNode> readBuildings(Connection& conn, const QString& officeCode)
{
    QList<BuildingNode> nodes;
    for (Recordset rs = conn.openRecordset(buildingTreeSql(conn.dialect(), officeCode)); !rs.eof(); rs.moveNext())
        nodes.append({rs.field(QStringLiteral("地址")).toString(),
                      QStringLiteral("L") + rs.field(QStringLiteral("L_ID")).toString()});
    return nodes;
}

QString selectedBuildingList(const QStringList& tickedKeys)
{
    QStringList ids;
    for (const QString& key : tickedKeys) {
        const int l = key.indexOf(u'L');
        if (l >= 0)
            ids << key.mid(l + 1);
    }
    return ids.join(u',');
}

QList<GridNumber> gridNumbers(const FlexGridModel& grid)
{
    QList<GridNumber> numbers;
    numbers.reserve(grid.rows());
    for (int r = 1; r < grid.rows(); ++r)
        numbers.append({r, grid.textMatrix(r, GridColumn::OwnerNumber), grid.textMatrix(r, GridColumn::OwnerId)});
    return numbers;
}

GridProblems findGridProblems(Connection& conn, const FlexGridModel& grid, const QString& officeCode,
                              GridNumbers numbers)
{
    GridProblems problems;
    const QList<GridNumber> rows = gridNumbers(grid);
    problems.duplicates = findDuplicateNumbers(conn, officeCode, rows, numbers);
    // A number saved through the database's code page must come back as the one shown.
    if (numbers == GridNumbers::Proposed && !rows.isEmpty())
        problems.unsaveable = unsaveableNumbers(rows, conn.databaseCodePage());
    return problems;
}

QHash<int, QString> unsaveableNumbers(const QList<GridNumber>& numbers, int codePage)
{
    QHash<int, QString> rows;
    if (codePage == 0)
        return rows;
    for (const GridNumber& n : numbers)
        if (const QString lost = charactersLost(n.number, codePage); !lost.isEmpty())
            rows.insert(n.row, lost);
    return rows;
}

QHash<int, QString> numbersSavedByOthers(Connection& conn, const QList<GridNumber>& numbers)
{
    QStringList owners;
    for (const GridNumber& n : numbers)
        if (!n.number.isEmpty())
            owners << n.ownerId;
    const QHash<QString, QString> current = currentNumbersOf(conn, owners);
    QHash<int, QString> taken;
    if (current.isEmpty())
        return taken;
    for (const GridNumber& n : numbers) {
        const auto it = current.constFind(ownerIdText(n.ownerId));
        if (!n.number.isEmpty() && it != current.constEnd() && *it != n.number)
            taken.insert(n.row, *it);
    }
    return taken;
}

WritePlan savePlan(const FlexGridModel& grid, const QSet<int>& skipped)
{
    // Rooms without a building number have no number and are skipped.
    WritePlan plan;
    for (int r = 1; r < grid.rows(); ++r) {
        const QString number = grid.textMatrix(r, GridColumn::OwnerNumber);
        if (number.isEmpty() || skipped.contains(r))
            continue;
        plan.statements << saveOwnerNumberStatement(number, grid.textMatrix(r, GridColumn::OwnerId));
        plan.gridRows << r;
    }
    return plan;
}

WritePlan clearPlan(const FlexGridModel& grid)
{
    WritePlan plan;
    for (int r = 1; r < grid.rows(); ++r) {
        plan.statements << clearOwnerNumberStatement(grid.textMatrix(r, GridColumn::OwnerId));
        plan.gridRows << r;
    }
    return plan;
}

WriteOutcome runWritePlan(Connection& conn, const WritePlan& plan, const std::function<void(int)>& afterRow,
                          WriteOutcome* outcome, const std::function<bool()>& stop)
{
    WriteOutcome result;
    try {
        const int sent = conn.executeInOrder(
            plan.statements,
            [&](int i, qint64 changed) {
                if (afterRow)
                    afterRow(plan.gridRows[i]);
                result.count(plan.gridRows[i], changed);
            },
            stop);
        result.unsent = plan.statements.size() - sent;
    } catch (const WriteFailure& e) {
        if (outcome)
            *outcome = result;
        // Nothing is rolled back: the user is told how far the rows got, in grid rows.
        QString context =
            QStringLiteral("已写入 %1 行，第 %2 行出错。").arg(result.written).arg(plan.gridRows[e.statement()]);
        if (e.unconfirmedThrough() >= e.statement()) {
            const int first = plan.gridRows[e.statement()], last = plan.gridRows[e.unconfirmedThrough()];
            context += QStringLiteral("\r\n与数据库的连接已中断：第 ") +
                       (first == last ? QString::number(first) : QStringLiteral("%1 至 %2").arg(first).arg(last)) +
                       QStringLiteral(" 行可能已写入，也可能没有，请重新连接后用“查看业主编号”核对。");
        }
        throw e.withContext(context);
    }
    if (outcome)
        *outcome = result;
    return result;
}
