// The address texts, room texts and counts come from a database other programs fill. Fields of
// one input, separated by U+001F: 地址2, 地址3, 室, moved-out count, number pattern, office
// code, area letter, a number; a field that is a single NUL stands for SQL NULL.

#include "FuzzInput.h"
#include "engine/OwnerNumberRule.h"

#include <QRegularExpression>
#include <cmath>
#include <cstring>

namespace {

QVariant column(const QString& field)
{
    return field == QString(QChar(0)) ? QVariant() : QVariant(field);
}

int countOf(const QString& field)
{
    bool ok = false;
    const int n = field.toInt(&ok);
    if (ok)
        return n;
    quint32 mixed = 0; // any other text still gives some count, the extremes included
    for (const QChar c : field)
        mixed = mixed * 31u + c.unicode();
    return int(mixed);
}

// Any double, NaN and the infinities included: the bits of the field's first four characters,
// or the field read as a number.
double numberOf(const QString& field)
{
    bool ok = false;
    const double parsed = field.toDouble(&ok);
    if (ok || field.size() < 4)
        return parsed;
    double bits;
    static_assert(sizeof bits == 4 * sizeof(char16_t));
    std::memcpy(&bits, field.utf16(), sizeof bits);
    return bits;
}

QString withoutLeadingZeros(QString digits)
{
    while (digits.size() > 1 && digits.front() == u'0')
        digits.remove(0, 1);
    return digits;
}

bool isValBlank(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\n';
}

void checkNumberSemantics(const QString& text, const QString& pattern)
{
    static const QRegularExpression decimal(QStringLiteral("^-?[0-9]+(\\.[0-9]+)?$"));
    static const QRegularExpression integer(QStringLiteral("^-?[0-9]+$"));

    const QString leading = leadingNumberText(text);
    FUZZ_CHECK(decimal.match(leading).hasMatch(), fuzz::shown(text) + " -> " + fuzz::shown(leading));
    FUZZ_CHECK(isWholeNumber(leading), fuzz::shown(leading));
    FUZZ_CHECK(!std::isnan(leadingNumber(text)), fuzz::shown(text));

    const QString formatted = formatPattern(text, pattern);
    if (!isWholeNumber(text)) {
        FUZZ_CHECK(formatted == text, fuzz::shown(text) + " -> " + fuzz::shown(formatted));
        return;
    }
    FUZZ_CHECK(integer.match(formatted).hasMatch(), fuzz::shown(text) + " -> " + fuzz::shown(formatted));
    const QString digits = formatted.startsWith(u'-') ? formatted.mid(1) : formatted;
    FUZZ_CHECK(digits.size() >= pattern.size(), fuzz::shown(formatted) + " for " + fuzz::shown(pattern));

    // Every digit of the whole part is kept: the same significant digits, or one more unit when
    // the fraction is a half or more.
    QString number = text;
    number.removeIf(isValBlank);
    const bool negative = number.startsWith(u'-');
    if (number.startsWith(u'-') || number.startsWith(u'+'))
        number.remove(0, 1);
    const qsizetype point = number.indexOf(u'.');
    const QString whole = withoutLeadingZeros(point < 0 ? number : number.left(point));
    const QString fraction = point < 0 ? QString() : number.mid(point + 1);
    const bool roundsUp = !fraction.isEmpty() && fraction.front() >= u'5';
    const QString kept = withoutLeadingZeros(digits);
    if (!roundsUp) {
        FUZZ_CHECK(kept == (whole.isEmpty() ? QStringLiteral("0") : whole),
                   fuzz::shown(text) + " -> " + fuzz::shown(formatted));
    } else {
        FUZZ_CHECK(kept.size() == whole.size() || kept.size() == whole.size() + 1 ||
                       (whole.isEmpty() && kept == QStringLiteral("1")),
                   fuzz::shown(text) + " -> " + fuzz::shown(formatted));
    }
    // Short numbers are exact in a double: compare with rounding half away from zero.
    if (whole.size() + fraction.size() <= 15) {
        const double rounded = std::round(leadingNumber(text));
        FUZZ_CHECK(formatted.toDouble() == rounded, fuzz::shown(text) + " -> " + fuzz::shown(formatted));
        FUZZ_CHECK(formatted.startsWith(u'-') == (negative && rounded != 0.0), fuzz::shown(formatted));
    }
}

void checkNumber(double value, const QString& pattern)
{
    static const QRegularExpression integer(QStringLiteral("^-?[0-9]+$"));
    const QString formatted = formatPattern(value, pattern);
    if (std::isfinite(value))
        FUZZ_CHECK(integer.match(formatted).hasMatch() && formatted.size() >= pattern.size(),
                   QByteArray::number(value, 'g', 17) + " -> " + fuzz::shown(formatted));
    try {
        const int n = toInteger16(QVariant(value));
        FUZZ_CHECK(n >= -32768 && n <= 32767, QByteArray::number(value, 'g', 17));
    } catch (const RuntimeError& e) {
        FUZZ_CHECK(e.number() == 6 || e.number() == 13, QByteArray::number(value, 'g', 17));
    }
}

void checkInteger16(const QVariant& value)
{
    try {
        const int n = toInteger16(value);
        FUZZ_CHECK(n >= -32768 && n <= 32767, fuzz::shown(value.toString()));
    } catch (const RuntimeError& e) {
        const long expected = value.isNull() ? 94 : (isWholeNumber(value.toString()) ? 6 : 13);
        FUZZ_CHECK(e.number() == expected, fuzz::shown(value.toString()) + " error " + QByteArray::number(e.number()));
    }
}

void checkOwnerNumber(const QStringList& f)
{
    static const QRegularExpression buildingDigits(QStringLiteral("^-?[0-9]{3,}$"));
    const QVariant address2 = column(f[0]);
    const QVariant address3 = column(f[1]);
    const QVariant room = column(f[2]);
    const int count = countOf(f[3]);

    const QString building = buildingNumber(address2);
    FUZZ_CHECK(!building.isEmpty(), fuzz::shown(f[0]));
    if (address2.isNull())
        FUZZ_CHECK(building == kNoBuildingNumber, fuzz::shown(building));
    if (!address2.isNull() && (f[0].contains(u'幢') || f[0].contains(u'栋')))
        FUZZ_CHECK(buildingDigits.match(building).hasMatch(), fuzz::shown(f[0]) + " -> " + fuzz::shown(building));

    const QString unit = unitNumber(address3);
    FUZZ_CHECK(unit == (address3.isNull() ? QStringLiteral("1") : f[1]), fuzz::shown(unit));

    const QString roomText = roomNumber(room);
    FUZZ_CHECK(roomText == formatPattern(room.isNull() ? QString() : f[2], QStringLiteral("0000")),
               fuzz::shown(roomText));

    const QString letter = resaleLetter(count);
    FUZZ_CHECK(letter.size() <= 1, fuzz::shown(letter));
    if (count >= 0 && count <= 12)
        FUZZ_CHECK(letter == QString(QChar(u'A' + count)), fuzz::shown(letter));
    else
        FUZZ_CHECK(letter == (count < 0 ? QStringLiteral("A") : QString()), fuzz::shown(letter));

    const QString owner = composeOwnerNumber(f[5], f[6], building, unit, roomText, letter);
    FUZZ_CHECK(owner.isEmpty() == (building == kNoBuildingNumber), fuzz::shown(owner));
    if (!owner.isEmpty())
        FUZZ_CHECK(owner.contains(building) && owner.endsWith(letter), fuzz::shown(owner));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QStringList f = fuzz::fields(fuzz::text(data, size), 8);
    for (int i : {0, 1, 2, 7})
        checkNumberSemantics(f[i], f[4]);
    checkNumber(numberOf(f[7]), f[4]);
    checkInteger16(column(f[2]));
    checkInteger16(column(f[7]));
    checkOwnerNumber(f);
    return 0;
}
