#pragma once

#include "core/Database.h"

#include <QChar>
#include <QHash>
#include <QString>
#include <QVariant>

// The owner number: office code + area letter + building (3) + unit + room (4) + resale letter.
// Every field is taken at the length its derivation yields; nothing is padded or cut afterwards.

// What the building field holds when the building's text carries no building number.
extern const QString kNoBuildingNumber; // "无幢号"

// ---- Number semantics shared by the rules (the classic Val / IsNumeric / Format behaviour)

// The number a text starts with, as Val reads it: blanks (space, tab, line feed) are skipped
// wherever they stand; then an optional sign, ASCII digits and at most one decimal point, up to
// the first character that cannot continue the number. No number gives 0.
double leadingNumber(const QString& text);

// The same number as a decimal text ("1 2幢" gives "12", "-3幢" gives "-3", "幢12" gives "0"),
// so that long digit runs keep every digit.
QString leadingNumberText(const QString& text);

// A text that is one number as a whole: optional sign, ASCII digits with at most one decimal
// point, blanks only around it. No exponent, thousands separator, hex or full-width digits.
bool isWholeNumber(const QString& text);

// A number written with a pattern of zeros ("000", "0000"): at least that many digits, every
// digit of a longer number kept, fractions rounded half away from zero, a negative value keeps
// its sign (-3 gives -003). A text that is not a number as a whole comes back unchanged.
QString formatPattern(const QString& text, const QString& pattern);
QString formatPattern(double value, const QString& pattern);

// A field's text with SQL NULL read as the empty text.
QString nullToEmpty(const QVariant& value);

// "A"–"Z" and "a"–"z" only: no full-width letters, no Chinese characters.
bool isLatinLetter(QChar c);

// ---- The fields

// 幢号 from 地址2 (a null variant is SQL NULL, distinct from the empty text).
QString buildingNumber(const QVariant& address2);

// 单元号 from 地址3: the text unchanged, "1" when NULL.
QString unitNumber(const QVariant& address3);

// 室号 from 室: "0000" pattern; NULL is the empty text; a non-number is kept unchanged.
QString roomNumber(const QVariant& room);

// 转卖情况 from the number of owners who moved out: 0 gives "A" … 12 gives "M", 13 or more the
// empty text. A negative count cannot come from COUNT; it is read as none ("A").
QString resaleLetter(int movedOutCount);

// The owner number, or the empty text when the building has no building number.
QString composeOwnerNumber(const QString& officeCode, const QString& areaLetter, const QString& building,
                           const QString& unit, const QString& room, const QString& resale);

// ---- The resale count

// A value read into a 16-bit integer: error 6 "溢出" outside -32768..32767, 13 for a non-number,
// 94 for NULL.
int toInteger16(const QVariant& value);

// The counts of one grid, read once; each room's letter is then a lookup.
class ResaleCounts
{
public:
    ResaleCounts(Connection& connection, const QString& buildingList);
    // From the counts' result of a request already open (resaleCountsSql's columns), read to its end.
    explicit ResaleCounts(Recordset& counts);

    // The resale letter of the room `roomId` (S_ID): error 13 when the id is not a number,
    // error 6 when its count does not fit 16 bits; "A" for a room nobody moved out of.
    QString letter(const QString& roomId) const;

private:
    QHash<qlonglong, QVariant> m_counts;    // rooms with a whole-number id
    QHash<QString, QVariant> m_otherCounts; // any other id, by its text
};
