#pragma once

#include <QString>
#include <QStringList>
#include <functional>

// A text as the find bar compares it: lower case, full-width digits and Latin letters as their
// ASCII forms ("１２Ａ" finds "12a").
QString foldForFind(const QString& text);

// Finds rows of a big grid by the text of their visible cells. The rows' texts are folded once;
// each step is then one pass of substring tests.
class GridFinder
{
public:
    // Rows 1 .. rows-1 (row 0 is the header), their visible texts given by `cellText(row)`.
    void reset(int rows, const std::function<QString(int)>& rowText);
    bool isEmpty() const { return m_rows.isEmpty(); }

    // Where a step landed: the row's place among all rows containing the text, and whether the
    // step went past the last row (the first, going back) to get there.
    struct Step
    {
        int ordinal = 0; // 1-based
        int count = 0;
        bool wrapped = false;
    };

    // The next row after `from` (or before it, going back) containing `text`, wrapping around;
    // -1 when no row contains it.
    int find(const QString& text, int from, bool backwards, Step* step = nullptr) const;

private:
    QStringList m_rows; // index r - 1 holds row r
};
