#include "core/DeductionValue.h"

namespace DeductionValue {

QStringList cycles()
{
    return {kMonthly, kYearly, kQuarterly};
}

QString monthItemText(int month)
{
    return QString::number(month) + QStringLiteral(" 月份");
}

int monthOfItem(const QString& itemText)
{
    const int blank = itemText.indexOf(u' ');
    return (blank < 0 ? itemText : itemText.left(blank)).toInt();
}

QString quarterlyMonths(int startMonth)
{
    QStringList months;
    int month = startMonth;
    for (int i = 0; i < 4; ++i) {
        months << QString::number(month);
        // Three on, wrapping past December; done as one step so that no start month overflows.
        month = month > 9 ? month - 9 : month + 3;
    }
    return months.join(u',');
}

QString startMonths(const QString& cycle, int month)
{
    if (cycle == kYearly)
        return QString::number(month);
    if (cycle == kQuarterly)
        return quarterlyMonths(month);
    return {};
}

QString format(const QString& cycle, const QString& months)
{
    return cycle == kMonthly ? cycle : cycle + u',' + months;
}

Stored parse(const QString& value)
{
    const QStringList fields = value.split(u',');
    Stored stored;
    stored.cycle = fields.first();
    int monthFields = 0;
    if (stored.cycle == kMonthly)
        monthFields = 0;
    else if (stored.cycle == kYearly)
        monthFields = 1;
    else if (stored.cycle == kQuarterly)
        monthFields = 4;
    else
        return {};
    stored.recognised = true;
    stored.complete = fields.size() > monthFields;
    if (stored.complete)
        stored.months = fields.mid(1, monthFields).join(u',');
    return stored;
}

} // namespace DeductionValue
