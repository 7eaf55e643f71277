#pragma once

#include <QFont>
#include <QFontMetrics>
#include <QFontMetricsF>
#include <QHash>
#include <QString>
#include <vector>

// Text widths in pixels, exactly as QFontMetrics::horizontalAdvance gives them, for filling a
// grid of many rows. Shaping a text is the expensive part, and most of a grid's texts differ
// only in their digits (row numbers, rooms, owner numbers). When the font's digits all have
// one advance and no digit kerns with its neighbours (checked on the font itself, pair by
// pair), such texts share one measured width.
class TextWidthCache
{
public:
    explicit TextWidthCache(const QFont& font);

    // `slot` (a grid column, say) remembers the last text measured through it, so a run of
    // texts of one shape is answered without hashing; -1 for none.
    int width(const QString& text, int slot = -1);

    // Whether digits turned out interchangeable in this font (for tests).
    bool digitsInterchangeable() const { return m_uniformDigits; }

private:
    bool digitNeutral(QChar c);
    int lookUp(const QString& key);

    struct Memo
    {
        QString key;
        int width = 0;
        bool normalized = false;
        bool valid = false;
    };
    std::vector<Memo> m_memos;

    QFontMetrics m_metrics;
    QFontMetricsF m_exact;
    bool m_uniformDigits = false;
    qreal m_digitAdvance = 0;
    std::vector<int> m_digitRuns;       // width of a run of n digits, -1 not yet measured
    std::vector<signed char> m_neutral; // per UTF-16 unit: -1 not yet known, else 0 or 1
    QHash<QString, int> m_widths;
};
