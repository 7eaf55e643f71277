#pragma once

#include <QString>
#include <QStringList>

// The bank deduction setting as stored in SystemSetup ("银行扣款方式"). Other programs of the
// system read this text, so its format is fixed: "按月", "按年,7", "按季,11,2,5,8" (months
// without leading zeros).

namespace DeductionValue {

inline const QString kSettingCode = QStringLiteral("银行扣款方式");
inline const QString kMonthly = QStringLiteral("按月");
inline const QString kYearly = QStringLiteral("按年");
inline const QString kQuarterly = QStringLiteral("按季");

// The cycles in the order the user is offered them.
QStringList cycles();

// The text of a start-month item: n + " 月份".
QString monthItemText(int month);

// The month of a start-month item: its text up to the first blank, as a number (0 when it is none).
int monthOfItem(const QString& itemText);

// The four months of a quarterly cycle from its start month, each three after the previous
// one and wrapping past December: 11 gives "11,2,5,8".
QString quarterlyMonths(int startMonth);

// The start-month list a cycle stores for a chosen month: none for "按月", the month for
// "按年", the four quarter months for "按季"; empty for anything else.
QString startMonths(const QString& cycle, int month);

// The stored text of a setting: the cycle alone for "按月", else cycle + "," + month list.
QString format(const QString& cycle, const QString& months);

// What a stored text shows: the cycle and its month list.
struct Stored
{
    bool recognised = false; // the first field is one of the three cycles
    bool complete = false;   // it has every field its cycle needs
    QString cycle;
    QString months;
};

// Reads a stored text field by field: "按年" needs one month, "按季" four; fields beyond
// those are ignored. An unknown first field is not recognised and shows nothing.
Stored parse(const QString& value);

} // namespace DeductionValue
