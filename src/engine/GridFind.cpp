#include "engine/GridFind.h"

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

int GridFinder::find(const QString& text, int from, bool backwards) const
{
    const QString needle = foldForFind(text);
    const int n = m_rows.size();
    if (needle.isEmpty() || n == 0)
        return -1;
    // Rows are 1-based; from no row, forward starts at the first and backward at the last.
    int index = from - 1;
    if (index < 0 || index >= n)
        index = backwards ? n : -1;
    for (int step = 0; step < n; ++step) {
        index = backwards ? (index - 1 + n) % n : (index + 1) % n;
        if (m_rows[index].contains(needle))
            return index + 1;
    }
    return -1;
}
