#include "engine/GridFind.h"

#include <algorithm>

QString foldForFind(const QString& text)
{
    QString folded = text.toLower();
    for (QChar& c : folded) {
        const char16_t u = c.unicode();
        if (u >= 0xFF10 && u <= 0xFF19) // full-width digits
            c = QChar(u - 0xFF10 + u'0');
        else if (u >= 0xFF41 && u <= 0xFF5A) // full-width small letters (capitals were lowered)
            c = QChar(u - 0xFF41 + u'a');
    }
    return folded;
}

void GridFinder::reset(int rows, const std::function<QString(int)>& rowText)
{
    m_rows.clear();
    m_rows.reserve(qMax(0, rows - 1));
    for (int r = 1; r < rows; ++r)
        m_rows << foldForFind(rowText(r));
}

int GridFinder::find(const QString& text, int from, bool backwards, Step* step) const
{
    const QString needle = foldForFind(text);
    const int n = m_rows.size();
    if (needle.isEmpty() || n == 0)
        return -1;
    // One pass gives every row holding the text; the step picks among them. Rows are 1-based;
    // from no row, forward starts at the first and backward at the last.
    QList<int> hits;
    for (int i = 0; i < n; ++i)
        if (m_rows[i].contains(needle))
            hits << i + 1;
    if (hits.isEmpty())
        return -1;
    const bool fromRow = from >= 1 && from <= n;
    int k = -1;
    bool wrapped = false;
    if (backwards) {
        k = int(std::lower_bound(hits.cbegin(), hits.cend(), fromRow ? from : n + 1) - hits.cbegin()) - 1;
        if (k < 0) {
            k = hits.size() - 1;
            wrapped = fromRow;
        }
    } else {
        k = int(std::upper_bound(hits.cbegin(), hits.cend(), fromRow ? from : 0) - hits.cbegin());
        if (k >= hits.size()) {
            k = 0;
            wrapped = fromRow;
        }
    }
    if (step)
        *step = {k + 1, int(hits.size()), wrapped};
    return hits[k];
}
