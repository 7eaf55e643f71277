#include "engine/DuplicateNumbers.h"
#include "engine/DuplicateNumbers_p.h"

#include <QSet>
#include <QStringList>

namespace {
// A grid of a few buildings reads only their stored numbers. Past this many the office's are read
// in one go: a statement of many prefixes costs the server more than it saves in rows.
constexpr qsizetype kMostPrefixes = 16;

// The grid's numbers, each with its first two rows: enough to tell a duplicate and to name the other
// row, hashed once for both checks.
struct NumberIndex
{
    explicit NumberIndex(const QList<GridNumber>& rows)
    {
        firstRow.reserve(rows.size());
        for (const GridNumber& r : rows) {
            if (r.number.isEmpty())
                continue;
            const auto first = firstRow.constFind(r.number);
            if (first == firstRow.constEnd())
                firstRow.insert(r.number, r.row);
            else if (!secondRow.contains(r.number))
                secondRow.insert(r.number, r.row);
        }
    }
    QHash<QString, int> firstRow, secondRow;
};

QHash<int, QString> marksOf(const NumberIndex& index, const QList<GridNumber>& rows, const QList<StoredNumber>& stored)
{
    if (index.secondRow.isEmpty() && stored.isEmpty()) // the usual case: nothing to mark
        return {};
    QHash<QString, const StoredNumber*> storedOf;
    for (const StoredNumber& s : stored)
        if (!storedOf.contains(s.number))
            storedOf.insert(s.number, &s);
    QHash<int, QString> marks;
    for (const GridNumber& r : rows) {
        if (r.number.isEmpty())
            continue;
        const int first = index.firstRow.value(r.number);
        const int other = first != r.row ? first : index.secondRow.value(r.number, -1);
        if (other > 0)
            marks.insert(r.row, QStringLiteral("与第 %1 行重复").arg(other));
        else if (const StoredNumber* s = storedOf.value(r.number))
            marks.insert(r.row, QStringLiteral("与已保存的业主 %1（%2）重复").arg(s->name, s->address));
    }
    return marks;
}

QList<StoredNumber> collidingWith(Connection& conn, const QString& officeCode, const QList<GridNumber>& rows,
                                  const NumberIndex& index, GridNumbers grid);
} // namespace

QStringList collisionPrefixes(const QString& officeCode, const QList<GridNumber>& rows)
{
    // Office code, area letter and the three digits of the building: one prefix per building. Only
    // the office's own numbers are looked for, as when the whole office is read.
    QStringList prefixes;
    QSet<QString> seen;
    for (const GridNumber& r : rows) {
        const QString prefix = r.number.left(officeCode.size() + 4);
        if (!r.number.isEmpty() && r.number.startsWith(officeCode) && !seen.contains(prefix)) {
            seen.insert(prefix);
            prefixes << prefix;
        }
    }
    return prefixes;
}

QHash<int, QString> duplicateNumbers(const QList<GridNumber>& rows, const QList<StoredNumber>& stored)
{
    return marksOf(NumberIndex(rows), rows, stored);
}

QHash<int, QString> findDuplicateNumbers(Connection& conn, const QString& officeCode, const QList<GridNumber>& rows,
                                         GridNumbers grid)
{
    const NumberIndex index(rows);
    return marksOf(index, rows, collidingWith(conn, officeCode, rows, index, grid));
}

QList<StoredNumber> collidingStoredNumbers(Connection& conn, const QString& officeCode, const QList<GridNumber>& rows,
                                           GridNumbers grid)
{
    return collidingWith(conn, officeCode, rows, NumberIndex(rows), grid);
}

namespace {
QList<StoredNumber> collidingWith(Connection& conn, const QString& officeCode, const QList<GridNumber>& rows,
                                  const NumberIndex& index, GridNumbers grid)
{
    if (index.firstRow.isEmpty())
        return {};
    QSet<QString> gridOwners; // made only when a stored number matches one of the grid's

    // An owner has one number: a stored one held by an owner of the grid is that row's own.
    QList<StoredNumber> colliding;
    QStringList prefixes = grid == GridNumbers::Proposed ? collisionPrefixes(officeCode, rows) : QStringList();
    if (prefixes.size() > kMostPrefixes)
        prefixes.clear();
    {
        Recordset rs = conn.openRecordset(storedNumbersSql(officeCode, grid, prefixes));
        const int number = rs.fieldIndex(QStringLiteral("业主编号"));
        const int owner = rs.fieldIndex(QStringLiteral("ZH_ID"));
        for (; !rs.eof(); rs.moveNext()) {
            const QString n = rs.field(number).toString();
            if (!index.firstRow.contains(n))
                continue;
            const QString id = rs.field(owner).toString().trimmed();
            if (gridOwners.isEmpty())
                for (const GridNumber& r : rows)
                    gridOwners.insert(r.ownerId.trimmed());
            if (!gridOwners.contains(id))
                colliding.append({n, id, {}, {}});
        }
    }
    if (colliding.isEmpty())
        return colliding;

    QStringList ids;
    for (const StoredNumber& s : colliding)
        ids << s.ownerId;
    QHash<QString, QPair<QString, QString>> owners;
    for (qsizetype start = 0; start < ids.size(); start += 1000) {
        Recordset rs = conn.openRecordset(ownersSql(conn.dialect(), ids.mid(start, 1000)));
        for (; !rs.eof(); rs.moveNext())
            owners.insert(rs.field(QStringLiteral("ZH_ID")).toString().trimmed(),
                          {rs.field(QStringLiteral("姓名")).toString(), rs.field(QStringLiteral("地址")).toString()});
    }
    for (StoredNumber& s : colliding) {
        s.name = owners.value(s.ownerId).first;
        s.address = owners.value(s.ownerId).second;
    }
    return colliding;
}
} // namespace
