#include "core/DeductionValue.h"

#include <QtTest>
#include <limits>

using namespace DeductionValue;

class TestDeductionValue : public QObject
{
    Q_OBJECT

private slots:
    void quarterlyMonths_data();
    void quarterlyMonths();
    void format_data();
    void format();
    void monthItems();
    void parse_data();
    void parse();
    void roundTrip();
};

void TestDeductionValue::quarterlyMonths_data()
{
    QTest::addColumn<int>("start");
    QTest::addColumn<QString>("months");
    QTest::newRow("1") << 1 << "1,4,7,10";
    QTest::newRow("3 ends on 12 without wrapping") << 3 << "3,6,9,12";
    QTest::newRow("9") << 9 << "9,12,3,6";
    QTest::newRow("10") << 10 << "10,1,4,7";
    QTest::newRow("11") << 11 << "11,2,5,8";
    QTest::newRow("12") << 12 << "12,3,6,9";
    // Outside 1..12 the same steps, and no overflow at the very top.
    QTest::newRow("13") << 13 << "13,4,7,10";
    QTest::newRow("largest int") << std::numeric_limits<int>::max() << "2147483647,2147483638,2147483629,2147483620";
}

void TestDeductionValue::quarterlyMonths()
{
    QFETCH(int, start);
    QFETCH(QString, months);
    QCOMPARE(DeductionValue::quarterlyMonths(start), months);
}

void TestDeductionValue::format_data()
{
    QTest::addColumn<QString>("cycle");
    QTest::addColumn<int>("month");
    QTest::addColumn<QString>("months");
    QTest::addColumn<QString>("stored");
    QTest::newRow("monthly, no comma") << "按月" << 5 << ""
                                       << "按月";
    QTest::newRow("yearly 1") << "按年" << 1 << "1"
                              << "按年,1";
    QTest::newRow("yearly 7") << "按年" << 7 << "7"
                              << "按年,7";
    QTest::newRow("yearly 12") << "按年" << 12 << "12"
                               << "按年,12";
    QTest::newRow("quarterly 1") << "按季" << 1 << "1,4,7,10"
                                 << "按季,1,4,7,10";
    QTest::newRow("quarterly 10") << "按季" << 10 << "10,1,4,7"
                                  << "按季,10,1,4,7";
    QTest::newRow("quarterly 11") << "按季" << 11 << "11,2,5,8"
                                  << "按季,11,2,5,8";
    QTest::newRow("quarterly 12") << "按季" << 12 << "12,3,6,9"
                                  << "按季,12,3,6,9";
}

void TestDeductionValue::format()
{
    QFETCH(QString, cycle);
    QFETCH(int, month);
    QFETCH(QString, months);
    QFETCH(QString, stored);
    QCOMPARE(startMonths(cycle, month), months);
    QCOMPARE(DeductionValue::format(cycle, startMonths(cycle, month)), stored);
}

void TestDeductionValue::monthItems()
{
    QCOMPARE(monthItemText(1), QStringLiteral("1 月份"));
    QCOMPARE(monthItemText(12), QStringLiteral("12 月份"));
    for (int month = 1; month <= 12; ++month)
        QCOMPARE(monthOfItem(monthItemText(month)), month);
    QCOMPARE(cycles(), (QStringList{QStringLiteral("按月"), QStringLiteral("按年"), QStringLiteral("按季")}));
}

void TestDeductionValue::parse_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<bool>("recognised");
    QTest::addColumn<bool>("complete");
    QTest::addColumn<QString>("cycle");
    QTest::addColumn<QString>("months");
    QTest::newRow("monthly") << "按月" << true << true << "按月"
                             << "";
    QTest::newRow("monthly with a stray month") << "按月,3" << true << true << "按月"
                                                << "";
    QTest::newRow("yearly") << "按年,7" << true << true << "按年"
                            << "7";
    QTest::newRow("yearly with an empty month") << "按年," << true << true << "按年"
                                                << "";
    QTest::newRow("yearly without month") << "按年" << true << false << "按年"
                                          << "";
    QTest::newRow("quarterly") << "按季,11,2,5,8" << true << true << "按季"
                               << "11,2,5,8";
    QTest::newRow("quarterly, extra fields ignored") << "按季,1,4,7,10,1" << true << true << "按季"
                                                     << "1,4,7,10";
    QTest::newRow("quarterly too short") << "按季,1,4" << true << false << "按季"
                                         << "";
    QTest::newRow("quarterly bare") << "按季" << true << false << "按季"
                                    << "";
    QTest::newRow("unknown cycle") << "按周,1" << false << false << ""
                                   << "";
    QTest::newRow("empty") << "" << false << false << ""
                           << "";
    QTest::newRow("bare separator") << "," << false << false << ""
                                    << "";
    QTest::newRow("leading blank is not a cycle") << " 按月" << false << false << ""
                                                  << "";
}

void TestDeductionValue::parse()
{
    QFETCH(QString, value);
    QFETCH(bool, recognised);
    QFETCH(bool, complete);
    QFETCH(QString, cycle);
    QFETCH(QString, months);
    const Stored stored = DeductionValue::parse(value);
    QCOMPARE(stored.recognised, recognised);
    QCOMPARE(stored.complete, complete);
    if (recognised)
        QCOMPARE(stored.cycle, cycle);
    QCOMPARE(stored.months, months);
}

void TestDeductionValue::roundTrip()
{
    // Whatever the form can write, it reads back as it was composed.
    for (const QString& cycle : cycles())
        for (int month = 1; month <= 12; ++month) {
            const QString months = startMonths(cycle, month);
            const Stored stored = DeductionValue::parse(DeductionValue::format(cycle, months));
            QVERIFY(stored.recognised && stored.complete);
            QCOMPARE(stored.cycle, cycle);
            QCOMPARE(stored.months, months);
        }
}

QTEST_GUILESS_MAIN(TestDeductionValue)
#include "test_deduction_value.moc"
