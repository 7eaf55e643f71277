#pragma once

#include <QList>
#include <QPair>
#include <QString>

class Connection;

// One row opened for editing, as a keyset recordset with optimistic locking would be:
// the row (where `keyColumn` equals `keyValue`) is updated if it exists, else inserted.
class KeysetRow
{
public:
    bool eof() const { return !m_found; }
    void addNew();
    void setField(const QString& name, const QString& value);
    void update(); // sends the statement; throws RuntimeError on failure

private:
    void insert();
    friend class Connection;
    Connection* m_connection = nullptr;
    QString m_table, m_keyColumn, m_keyValue;
    bool m_found = false;
    bool m_adding = false;
    QList<QPair<QString, QString>> m_values;
};
