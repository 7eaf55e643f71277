// The stored deduction setting is read by other programs and may be written by them: whatever
// it holds, reading it never fails, and what reads as a whole setting, written back and read
// again, gives the same fields. The input also stands for a start-month item's text.

#include "FuzzInput.h"
#include "core/DeductionValue.h"

namespace {

using namespace DeductionValue;

QByteArray shownStored(const Stored& s)
{
    return QByteArray("recognised=") + (s.recognised ? "1" : "0") + " complete=" + (s.complete ? "1" : "0") +
           " cycle=" + fuzz::shown(s.cycle) + " months=" + fuzz::shown(s.months);
}

bool same(const Stored& a, const Stored& b)
{
    return a.recognised == b.recognised && a.complete == b.complete && a.cycle == b.cycle && a.months == b.months;
}

void checkStored(const QString& value)
{
    const Stored stored = parse(value);
    if (!stored.recognised) {
        FUZZ_CHECK(same(stored, Stored{}), fuzz::shown(value) + " " + shownStored(stored));
        return;
    }
    FUZZ_CHECK(cycles().contains(stored.cycle), shownStored(stored));
    const int monthFields = stored.cycle == kMonthly ? 0 : stored.cycle == kYearly ? 1 : 4;
    if (!stored.complete) {
        // The form refuses to show an incomplete value, so it is never written back.
        FUZZ_CHECK(stored.months.isEmpty() && value.count(u',') < monthFields, fuzz::shown(value));
        return;
    }
    FUZZ_CHECK(stored.months.isEmpty() ? monthFields <= 1 : stored.months.count(u',') == monthFields - 1,
               fuzz::shown(value) + " " + shownStored(stored));
    FUZZ_CHECK(value.startsWith(format(stored.cycle, stored.months)), fuzz::shown(value) + " " + shownStored(stored));
    const QString written = format(stored.cycle, stored.months);
    const Stored again = parse(written);
    FUZZ_CHECK(same(stored, again), fuzz::shown(written) + "\n" + shownStored(stored) + "\n" + shownStored(again));
}

void checkItem(const QString& itemText)
{
    // Whatever month an item names, what the form would store reads back as composed.
    const int month = monthOfItem(itemText);
    for (const QString& cycle : cycles()) {
        const QString months = startMonths(cycle, month);
        const Stored stored = parse(format(cycle, months));
        FUZZ_CHECK(stored.recognised && stored.complete && stored.cycle == cycle && stored.months == months,
                   fuzz::shown(itemText) + " " + shownStored(stored));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString input = fuzz::text(data, size);
    checkStored(input);
    checkItem(input);
    return 0;
}
