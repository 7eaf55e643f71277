#include "engine/OwnerNumberRule.h"
#include "engine/Statements.h"

#include <QStringList>
#include <cmath>
#include <optional>

const QString kNoBuildingNumber = QStringLiteral("无幢号");

namespace {

// The blanks Val skips wherever they stand.
bool isValBlank(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\n';
}

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

// A decimal number split into its parts; digits are kept as text so nothing is lost.
struct Decimal
{
    bool negative = false;
    QString whole;    // digits before the point, possibly empty
    QString fraction; // digits after the point
};

// The number a text starts with, skipping blanks anywhere; no digits at all reads as 0.
Decimal readLeading(const QString& text)
{
    Decimal d;
    bool signSeen = false, pointSeen = false, digitSeen = false; // a sign only comes first
    for (const QChar c : text) {
        if (isValBlank(c))
            continue;
        if ((c == u'+' || c == u'-') && !signSeen) {
            signSeen = true;
            d.negative = c == u'-';
        } else if (c == u'.' && !pointSeen) {
            pointSeen = true;
            signSeen = true;
        } else if (isDigit(c)) {
            digitSeen = true;
            signSeen = true;
            (pointSeen ? d.fraction : d.whole).append(c);
        } else {
            break;
        }
    }
    if (!digitSeen)
        return Decimal{};
    return d;
}

// Adds one to a run of decimal digits.
QString incremented(QString digits)
{
    int i = digits.size() - 1;
    while (i >= 0 && digits[i] == u'9')
        digits[i--] = u'0';
    if (i < 0)
        digits.prepend(u'1');
    else
        digits[i] = QChar(digits[i].unicode() + 1);
    return digits;
}

// Whole-number digits (at least one) padded to the pattern's width; the sign stays in front
// unless the value is 0.
QString padded(bool negative, QString digits, const QString& pattern)
{
    int first = 0;
    while (first < digits.size() - 1 && digits[first] == u'0')
        ++first;
    digits = digits.mid(first);
    const bool zero = digits == QStringLiteral("0");
    digits = digits.rightJustified(pattern.size(), u'0');
    return negative && !zero ? u'-' + digits : digits;
}

} // namespace

QString nullToEmpty(const QVariant& value)
{
    return value.isNull() ? QString() : value.toString();
}

double leadingNumber(const QString& text)
{
    return leadingNumberText(text).toDouble() + 0.0; // no negative zero
}

QString leadingNumberText(const QString& text)
{
    const Decimal d = readLeading(text);
    if (d.whole.isEmpty() && d.fraction.isEmpty())
        return QStringLiteral("0");
    QString result = d.negative ? QStringLiteral("-") : QString();
    result += d.whole.isEmpty() ? QStringLiteral("0") : d.whole;
    if (!d.fraction.isEmpty())
        result += u'.' + d.fraction;
    return result;
}

bool isWholeNumber(const QString& text)
{
    const int n = text.size();
    int i = 0;
    while (i < n && isValBlank(text[i]))
        ++i;
    if (i < n && (text[i] == u'+' || text[i] == u'-'))
        ++i;
    int digits = 0;
    while (i < n && isDigit(text[i]))
        ++i, ++digits;
    if (i < n && text[i] == u'.') {
        ++i;
        while (i < n && isDigit(text[i]))
            ++i, ++digits;
    }
    while (i < n && isValBlank(text[i]))
        ++i;
    return digits > 0 && i == n;
}

QString formatPattern(const QString& text, const QString& pattern)
{
    if (!isWholeNumber(text))
        return text;
    const Decimal d = readLeading(text);
    QString whole = d.whole.isEmpty() ? QStringLiteral("0") : d.whole;
    if (!d.fraction.isEmpty() && d.fraction[0] >= u'5') // halves away from zero
        whole = incremented(whole);
    return padded(d.negative, whole, pattern);
}

QString formatPattern(double value, const QString& pattern)
{
    if (!std::isfinite(value))
        return QString::number(value);
    const double rounded = std::round(value); // halves away from zero
    return padded(rounded < 0, QString::number(std::fabs(rounded), 'f', 0), pattern);
}

bool isLatinLetter(QChar c)
{
    return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z');
}

QString buildingNumber(const QVariant& address2)
{
    if (address2.isNull())
        return kNoBuildingNumber;
    const QString text = address2.toString();
    if (text.contains(u'幢') || text.contains(u'栋'))
        return formatPattern(leadingNumberText(text), QStringLiteral("000"));
    if (leadingNumber(text) > 0)
        return formatPattern(text, QStringLiteral("000"));
    if (!text.isEmpty() && isLatinLetter(text.at(0))) {
        // The last three characters of "000" + text; a character outside the BMP counts as one.
        const QString padded = QStringLiteral("000") + text;
        int start = padded.size();
        for (int kept = 0; kept < 3 && start > 0; ++kept) {
            --start;
            if (start > 0 && padded[start].isLowSurrogate() && padded[start - 1].isHighSurrogate())
                --start;
        }
        return padded.mid(start);
    }
    return kNoBuildingNumber;
}

QString unitNumber(const QVariant& address3)
{
    return address3.isNull() ? QStringLiteral("1") : address3.toString();
}

QString roomNumber(const QVariant& room)
{
    return formatPattern(nullToEmpty(room), QStringLiteral("0000"));
}

QString resaleLetter(int movedOutCount)
{
    if (movedOutCount < 0)
        movedOutCount = 0;
    if (movedOutCount > 12)
        return QString();
    return QString(QChar(u'A' + movedOutCount));
}

QString composeOwnerNumber(const QString& officeCode, const QString& areaLetter, const QString& building,
                           const QString& unit, const QString& room, const QString& resale)
{
    if (building == kNoBuildingNumber)
        return QString();
    return officeCode + areaLetter + building + unit + room + resale;
}

// ---------------------------------------------------------------- resale count

int toInteger16(const QVariant& value)
{
    if (value.isNull())
        throw RuntimeError(ErrorNumber::InvalidUseOfNull, QStringLiteral("无效使用 Null"));
    double number = 0.0;
    if (value.typeId() == QMetaType::QString) {
        const QString text = value.toString();
        if (!isWholeNumber(text))
            throw RuntimeError(ErrorNumber::TypeMismatch, QStringLiteral("类型不匹配"));
        number = leadingNumber(text);
    } else {
        bool ok = false;
        number = value.toDouble(&ok);
        if (!ok)
            throw RuntimeError(ErrorNumber::TypeMismatch, QStringLiteral("类型不匹配"));
    }
    number = std::nearbyint(number); // the classic integer conversion rounds halves to even
    // Written so that NaN is an overflow too.
    if (!(number >= -32768.0 && number <= 32767.0))
        throw RuntimeError(ErrorNumber::Overflow, QStringLiteral("溢出"));
    return static_cast<int>(number);
}

namespace {
// A room id as a whole number, when it is one: the grid's text "12" and a count's 12 or 12.0
// are the same room.
std::optional<qlonglong> wholeRoomId(const QVariant& id)
{
    bool ok = false;
    switch (id.typeId()) {
    case QMetaType::LongLong:
    case QMetaType::Int:
    case QMetaType::UInt:
        return id.toLongLong();
    case QMetaType::Double: {
        const double d = id.toDouble();
        if (std::floor(d) == d && std::fabs(d) < 9.0e18)
            return static_cast<qlonglong>(d);
        return std::nullopt;
    }
    default: {
        const qlonglong n = id.toString().trimmed().toLongLong(&ok);
        return ok ? std::optional<qlonglong>(n) : std::nullopt;
    }
    }
}
} // namespace

ResaleCounts::ResaleCounts(Connection& connection, const QString& buildingList)
{
    Recordset rs = connection.openRecordset(resaleCountsSql(buildingList));
    *this = ResaleCounts(rs);
}

ResaleCounts::ResaleCounts(Recordset& rs)
{
    const int room = rs.fieldIndex(QStringLiteral("S_ID"));
    const int count = rs.fieldIndex(QStringLiteral("转卖次数"));
    for (; !rs.eof(); rs.moveNext()) {
        const QVariant id = rs.field(room);
        if (const auto whole = wholeRoomId(id))
            m_counts.insert(*whole, rs.field(count));
        else if (!id.isNull())
            m_otherCounts.insert(id.toString().trimmed(), rs.field(count));
    }
}

QString ResaleCounts::letter(const QString& roomId) const
{
    const QString id = sqlNumber(roomId);
    bool whole = false;
    const qlonglong n = id.toLongLong(&whole);
    const QVariant count = whole ? m_counts.value(n) : m_otherCounts.value(id);
    return count.isValid() ? resaleLetter(toInteger16(count)) : QStringLiteral("A");
}
