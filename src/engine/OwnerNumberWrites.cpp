#include "engine/OwnerNumberWrites.h"

#include "core/CodePage.h"
#include "engine/Statements.h"

QHash<QString, QString> currentNumbersOf(Connection& conn, const QStringList& ownerIds)
{
    QHash<QString, QString> numbers;
    for (qsizetype start = 0; start < ownerIds.size(); start += 1000) {
        Recordset rs = conn.openRecordset(currentNumbersSql(ownerIds.mid(start, 1000)));
        const int id = rs.fieldIndex(QStringLiteral("ZH_ID"));
        const int number = rs.fieldIndex(QStringLiteral("业主编号"));
        for (; !rs.eof(); rs.moveNext())
            numbers.insert(ownerIdText(rs.field(id).toString()), rs.field(number).toString());
    }
    return numbers;
}

QString charactersLost(const QString& number, int codePage)
{
    QString lost;
    if (codePageHolds(number, codePage))
        return lost;
    for (int i = 0; i < number.size(); ++i) {
        // A character outside the first plane is two units; it is kept or lost whole.
        const int length = number[i].isHighSurrogate() && i + 1 < number.size() ? 2 : 1;
        const QString character = number.mid(i, length);
        if (!codePageHolds(character, codePage) && !lost.contains(character))
            lost += character;
        i += length - 1;
    }
    return lost;
}

void WriteOutcome::count(int row, qint64 changed)
{
    if (changed == 0) {
        notFound << row;
        return;
    }
    ++written;
    if (changed > 1)
        several << row;
}

QString writeOutcomeText(const WriteOutcome& outcome)
{
    QStringList parts{QStringLiteral("已写入 %1 行").arg(outcome.written)};
    if (!outcome.notFound.isEmpty())
        parts << QStringLiteral("%1 位业主未找到（已被删除？）").arg(outcome.notFound.size());
    if (!outcome.several.isEmpty())
        parts << QStringLiteral("%1 个 ZH_ID 对应多位业主").arg(outcome.several.size());
    if (outcome.unsent > 0)
        parts << QStringLiteral("其余 %1 行已取消，没有写入").arg(outcome.unsent);
    return parts.join(QStringLiteral("；"));
}
