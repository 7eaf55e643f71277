#include "core/KeysetRow.h"

#include "core/Database.h"

#include <QStringList>

void KeysetRow::addNew()
{
    m_adding = true;
    m_values.clear();
}

void KeysetRow::setField(const QString& name, const QString& value)
{
    for (auto& pair : m_values)
        if (pair.first.compare(name, Qt::CaseInsensitive) == 0) {
            pair.second = value;
            return;
        }
    m_values.append({name, value});
}

void KeysetRow::update()
{
    if (m_values.isEmpty())
        return;
    if (m_adding) {
        insert();
    } else {
        QStringList sets;
        for (const auto& [c, v] : m_values)
            sets << c + QStringLiteral(" = '") + sqlEscape(v) + u'\'';
        // The row read may have been deleted since by another user: then it is added again,
        // so that what the user saved is stored.
        if (m_connection->execute(
                QStringLiteral("Update %1 Set %2 Where %3 = '%4'")
                    .arg(m_table, sets.join(QStringLiteral(", ")), m_keyColumn, sqlEscape(m_keyValue))) == 0) {
            bool keyed = false;
            for (const auto& pair : std::as_const(m_values))
                keyed = keyed || pair.first.compare(m_keyColumn, Qt::CaseInsensitive) == 0;
            if (!keyed)
                m_values.prepend({m_keyColumn, m_keyValue});
            insert();
        }
    }
    m_adding = false;
    m_found = true;
    m_values.clear();
}

void KeysetRow::insert()
{
    QStringList columns, values;
    for (const auto& [c, v] : m_values) {
        columns << c;
        values << u'\'' + sqlEscape(v) + u'\'';
    }
    m_connection->execute(QStringLiteral("Insert Into %1 (%2) Values (%3)")
                              .arg(m_table, columns.join(QStringLiteral(", ")), values.join(QStringLiteral(", "))));
}
