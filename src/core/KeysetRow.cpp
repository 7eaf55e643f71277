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
    QString sql;
    if (m_adding) {
        QStringList columns, values;
        for (const auto& [c, v] : m_values) {
            columns << c;
            values << u'\'' + sqlEscape(v) + u'\'';
        }
        sql = QStringLiteral("Insert Into %1 (%2) Values (%3)")
                  .arg(m_table, columns.join(QStringLiteral(", ")), values.join(QStringLiteral(", ")));
    } else {
        QStringList sets;
        for (const auto& [c, v] : m_values)
            sets << c + QStringLiteral(" = '") + sqlEscape(v) + u'\'';
        sql = QStringLiteral("Update %1 Set %2 Where %3 = '%4'")
                  .arg(m_table, sets.join(QStringLiteral(", ")), m_keyColumn, sqlEscape(m_keyValue));
    }
    m_connection->execute(sql);
    m_adding = false;
    m_found = true;
    m_values.clear();
}
