#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// The same work done straight on the libraries, with nothing of ours in between: the floor
// each step of the program is measured against. Each returns its wall time in seconds.
class Floor
{
public:
    explicit Floor(const QString& databaseFile); // opened with the program's settings (WAL, NORMAL, LEN)
    ~Floor();

    // Runs a query and reads every column of every row as text.
    double query(const QString& sql);
    // Runs the grid query, then the moved-out counts of all its rooms in one statement, and
    // looks up the count of every row's room (S_ID column).
    double queryWithCounts(const QString& sql, const QString& countsSql);
    // Each statement on its own, autocommitted, as the program sends them.
    double statements(const QStringList& sql);

    // Writes the cells (row 0 = header) as the export does, in constant-memory mode.
    static double workbook(const QString& path, const QList<QStringList>& cells, const QList<double>& widths);

private:
    struct sqlite3* m_db = nullptr;
};
