#include "engine/TextWidths.h"

namespace {

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

// The text against a remembered key, digits counting as "0" when they are interchangeable.
bool sameShape(const QString& text, const QString& key, bool normalized)
{
    if (text.size() != key.size())
        return false;
    for (int i = 0; i < text.size(); ++i) {
        const QChar t = text[i];
        if (t != key[i] && !(normalized && isDigit(t) && key[i] == u'0'))
            return false;
    }
    return true;
}

// Texts unique to each row would otherwise pile up.
constexpr int kMaxCachedTexts = 50000;

} // namespace

TextWidthCache::TextWidthCache(const QFont& font) : m_metrics(font), m_exact(font)
{
    // Advances are multiples of 1/64 pixel, so sums compare exactly.
    m_digitAdvance = m_exact.horizontalAdvance(QStringLiteral("0"));
    m_uniformDigits = true;
    for (char16_t a = u'0'; a <= u'9' && m_uniformDigits; ++a) {
        if (m_exact.horizontalAdvance(QString(QChar(a))) != m_digitAdvance)
            m_uniformDigits = false;
        for (char16_t b = u'0'; b <= u'9' && m_uniformDigits; ++b)
            if (m_exact.horizontalAdvance(QString(QChar(a)) + QChar(b)) != 2 * m_digitAdvance)
                m_uniformDigits = false;
    }
}

// A character that neither kerns nor joins with any digit on either side.
bool TextWidthCache::digitNeutral(QChar c)
{
    if (m_neutral.empty())
        m_neutral.assign(0x10000, -1);
    if (m_neutral[c.unicode()] >= 0)
        return m_neutral[c.unicode()] != 0;
    bool neutral = !c.isSurrogate();
    const qreal own = m_exact.horizontalAdvance(QString(c));
    for (char16_t d = u'0'; d <= u'9' && neutral; ++d) {
        neutral = m_exact.horizontalAdvance(QString(c) + QChar(d)) == own + m_digitAdvance &&
                  m_exact.horizontalAdvance(QString(QChar(d)) + c) == m_digitAdvance + own;
    }
    m_neutral[c.unicode()] = neutral ? 1 : 0;
    return neutral;
}

int TextWidthCache::width(const QString& text, int slot)
{
    if (text.isEmpty())
        return 0;
    if (m_uniformDigits) {
        // Row numbers and rooms are digits only: their width depends on their length alone.
        bool allDigits = true;
        for (const QChar c : text)
            if (!isDigit(c)) {
                allDigits = false;
                break;
            }
        if (allDigits) {
            const int n = static_cast<int>(text.size());
            if (n >= static_cast<int>(m_digitRuns.size()))
                m_digitRuns.resize(n + 1, -1);
            if (m_digitRuns[n] < 0)
                m_digitRuns[n] = m_metrics.horizontalAdvance(QString(n, u'0'));
            return m_digitRuns[n];
        }
    }
    bool normalize = false;
    if (m_uniformDigits) {
        bool digits = false, interchangeable = true;
        for (int i = 0; i < text.size() && interchangeable; ++i) {
            if (!isDigit(text[i]))
                continue;
            digits = true;
            if (i > 0 && !isDigit(text[i - 1]))
                interchangeable = digitNeutral(text[i - 1]);
            if (interchangeable && i + 1 < text.size() && !isDigit(text[i + 1]))
                interchangeable = digitNeutral(text[i + 1]);
        }
        normalize = digits && interchangeable;
    }
    // A column's texts mostly share the shape of the one above: compare before hashing.
    Memo* memo = nullptr;
    if (slot >= 0) {
        if (slot >= static_cast<int>(m_memos.size()))
            m_memos.resize(slot + 1);
        memo = &m_memos[slot];
        if (memo->valid && memo->normalized == normalize && sameShape(text, memo->key, normalize))
            return memo->width;
    }
    QString key = text;
    if (normalize) {
        QChar* c = key.data();
        for (int i = 0; i < key.size(); ++i)
            if (isDigit(c[i]))
                c[i] = u'0';
    }
    const int width = lookUp(key);
    if (memo)
        *memo = Memo{key, width, normalize, true};
    return width;
}

int TextWidthCache::lookUp(const QString& key)
{
    const auto known = m_widths.constFind(key);
    if (known != m_widths.constEnd())
        return known.value();
    if (m_widths.size() >= kMaxCachedTexts)
        m_widths.clear();
    const int width = m_metrics.horizontalAdvance(key);
    m_widths.insert(key, width);
    return width;
}
