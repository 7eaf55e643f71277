#include "engine/OwnerNumberRule.h"
#include "support/Fixtures.h"

#include <QtTest>
#include <cmath>

namespace {
const QVariant kNull;

QVariant text(const char* s)
{
    return QVariant(QString::fromUtf8(s));
}

} // namespace

class OwnerNumberRuleTest : public QObject
{
    Q_OBJECT
private slots:
    void leadingNumberReadsAsVal_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("number");
        QTest::newRow("building") << QStringLiteral("3幢") << 3.0;
        QTest::newRow("blanks inside") << QStringLiteral("1 2幢") << 12.0;
        QTest::newRow("tab and line feed") << QStringLiteral("\t1\n2") << 12.0;
        QTest::newRow("blank after sign") << QStringLiteral(" - 3") << -3.0;
        QTest::newRow("plus") << QStringLiteral("+5号") << 5.0;
        QTest::newRow("fraction") << QStringLiteral("2.5幢") << 2.5;
        QTest::newRow("point first") << QStringLiteral(".5") << 0.5;
        QTest::newRow("second point stops") << QStringLiteral("2.5.1") << 2.5;
        QTest::newRow("minus inside stops") << QStringLiteral("3-2") << 3.0;
        QTest::newRow("no exponent") << QStringLiteral("1e3") << 1.0;
        QTest::newRow("no thousands") << QStringLiteral("1,234") << 1.0;
        QTest::newRow("no hex") << QStringLiteral("&H10") << 0.0;
        QTest::newRow("word first") << QStringLiteral("幢12") << 0.0;
        QTest::newRow("letter") << QStringLiteral("A") << 0.0;
        QTest::newRow("empty") << QString() << 0.0;
        QTest::newRow("two signs") << QStringLiteral("--3") << 0.0;
        QTest::newRow("sign only") << QStringLiteral("-") << 0.0;
        QTest::newRow("full-width digits") << QStringLiteral("１２") << 0.0;
        QTest::newRow("carriage return is no blank") << QStringLiteral("\r5") << 0.0;
    }

    void leadingNumberReadsAsVal()
    {
        QFETCH(QString, text);
        QFETCH(double, number);
        QCOMPARE(leadingNumber(text), number);
    }

    void leadingNumberKeepsLongDigitRuns()
    {
        QCOMPARE(leadingNumberText(QStringLiteral("12345678901234567890幢")), QStringLiteral("12345678901234567890"));
        QCOMPARE(formatPattern(leadingNumberText(QStringLiteral("12345678901234567890幢")), QStringLiteral("000")),
                 QStringLiteral("12345678901234567890"));
    }

    void isWholeNumber_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("whole");
        QTest::newRow("digits") << QStringLiteral("12") << true;
        QTest::newRow("blanks around") << QStringLiteral(" \t12\n ") << true;
        QTest::newRow("signs") << QStringLiteral("-3") << true;
        QTest::newRow("plus") << QStringLiteral("+3") << true;
        QTest::newRow("fraction") << QStringLiteral("2.5") << true;
        QTest::newRow("trailing point") << QStringLiteral("3.") << true;
        QTest::newRow("leading point") << QStringLiteral(".5") << true;
        QTest::newRow("point alone") << QStringLiteral(".") << false;
        QTest::newRow("empty") << QString() << false;
        QTest::newRow("blanks only") << QStringLiteral("  ") << false;
        QTest::newRow("word after") << QStringLiteral("12号") << false;
        QTest::newRow("blank inside") << QStringLiteral("1 2") << false;
        QTest::newRow("blank after sign") << QStringLiteral("- 3") << false;
        QTest::newRow("two points") << QStringLiteral("1.2.3") << false;
        QTest::newRow("exponent") << QStringLiteral("1e3") << false;
        QTest::newRow("thousands") << QStringLiteral("1,234") << false;
        QTest::newRow("hex") << QStringLiteral("&H10") << false;
        QTest::newRow("full-width") << QStringLiteral("１２") << false;
        QTest::newRow("sign only") << QStringLiteral("-") << false;
    }

    void isWholeNumber()
    {
        QFETCH(QString, text);
        QFETCH(bool, whole);
        QCOMPARE(::isWholeNumber(text), whole);
    }

    void formatPatternOnTexts_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QString>("result");
        QTest::newRow("pads") << QStringLiteral("5") << QStringLiteral("000") << QStringLiteral("005");
        QTest::newRow("longer kept") << QStringLiteral("1234") << QStringLiteral("000") << QStringLiteral("1234");
        QTest::newRow("room") << QStringLiteral("501") << QStringLiteral("0000") << QStringLiteral("0501");
        QTest::newRow("five-digit room") << QStringLiteral("12345") << QStringLiteral("0000")
                                         << QStringLiteral("12345");
        QTest::newRow("half up") << QStringLiteral("2.5") << QStringLiteral("000") << QStringLiteral("003");
        QTest::newRow("below half") << QStringLiteral("2.49") << QStringLiteral("000") << QStringLiteral("002");
        QTest::newRow("carry") << QStringLiteral("999.5") << QStringLiteral("000") << QStringLiteral("1000");
        QTest::newRow("negative") << QStringLiteral("-3") << QStringLiteral("000") << QStringLiteral("-003");
        QTest::newRow("negative half away")
            << QStringLiteral("-2.5") << QStringLiteral("000") << QStringLiteral("-003");
        QTest::newRow("rounds to zero") << QStringLiteral("-0.2") << QStringLiteral("000") << QStringLiteral("000");
        QTest::newRow("zero") << QStringLiteral("0") << QStringLiteral("000") << QStringLiteral("000");
        QTest::newRow("leading zeros") << QStringLiteral("00012") << QStringLiteral("000") << QStringLiteral("012");
        QTest::newRow("blanks and plus") << QStringLiteral(" +7 ") << QStringLiteral("000") << QStringLiteral("007");
        QTest::newRow("point first") << QStringLiteral(".5") << QStringLiteral("000") << QStringLiteral("001");
        QTest::newRow("huge") << QStringLiteral("98765432109876543210") << QStringLiteral("0000")
                              << QStringLiteral("98765432109876543210");
        QTest::newRow("not a number") << QStringLiteral("12号") << QStringLiteral("000") << QStringLiteral("12号");
        QTest::newRow("blank inside") << QStringLiteral("1 2") << QStringLiteral("000") << QStringLiteral("1 2");
        QTest::newRow("empty") << QString() << QStringLiteral("0000") << QString();
        QTest::newRow("full-width") << QStringLiteral("５０１") << QStringLiteral("0000") << QStringLiteral("５０１");
    }

    void formatPatternOnTexts()
    {
        QFETCH(QString, text);
        QFETCH(QString, pattern);
        QFETCH(QString, result);
        QCOMPARE(formatPattern(text, pattern), result);
    }

    void formatPatternOnNumbers_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("result");
        QTest::newRow("half") << 2.5 << QStringLiteral("003");
        QTest::newRow("below half") << 2.4999 << QStringLiteral("002");
        QTest::newRow("negative") << -3.0 << QStringLiteral("-003");
        QTest::newRow("negative half") << -0.5 << QStringLiteral("-001");
        QTest::newRow("small negative") << -0.4 << QStringLiteral("000");
        QTest::newRow("longer") << 1234.0 << QStringLiteral("1234");
    }

    void formatPatternOnNumbers()
    {
        QFETCH(double, value);
        QFETCH(QString, result);
        QCOMPARE(formatPattern(value, QStringLiteral("000")), result);
    }

    void latinLetters()
    {
        for (const QChar c : QStringLiteral("AZaz"))
            QVERIFY(isLatinLetter(c));
        for (const QChar c : QStringLiteral("@[`{09Ａｚ幢é "))
            QVERIFY2(!isLatinLetter(c), qPrintable(QString(c)));
    }

    void buildingNumber_data()
    {
        QTest::addColumn<QVariant>("address2");
        QTest::addColumn<QString>("building");
        QTest::newRow("3幢") << text("3幢") << QStringLiteral("003");
        QTest::newRow("12栋") << text("12栋") << QStringLiteral("012");
        QTest::newRow("128幢") << text("128幢") << QStringLiteral("128");
        QTest::newRow("A幢") << text("A幢") << QStringLiteral("000");
        QTest::newRow("幢12") << text("幢12") << QStringLiteral("000");
        QTest::newRow("1 2幢") << text("1 2幢") << QStringLiteral("012");
        QTest::newRow("2.5幢") << text("2.5幢") << QStringLiteral("003");
        QTest::newRow("-3幢") << text("-3幢") << QStringLiteral("-003");
        QTest::newRow("word inside") << text("东12栋B") << QStringLiteral("000");
        QTest::newRow("12") << text("12") << QStringLiteral("012");
        QTest::newRow("1234") << text("1234") << QStringLiteral("1234");
        QTest::newRow("12号") << text("12号") << QStringLiteral("12号");
        QTest::newRow("1 2") << text("1 2") << QStringLiteral("1 2");
        QTest::newRow("2.5") << text("2.5") << QStringLiteral("003");
        QTest::newRow("0.4") << text("0.4") << QStringLiteral("000");
        QTest::newRow("0") << text("0") << kNoBuildingNumber;
        QTest::newRow("-3") << text("-3") << kNoBuildingNumber;
        QTest::newRow("A") << text("A") << QStringLiteral("00A");
        QTest::newRow("AB") << text("AB") << QStringLiteral("0AB");
        QTest::newRow("B2") << text("B2") << QStringLiteral("0B2");
        QTest::newRow("ABCD") << text("ABCD") << QStringLiteral("BCD");
        QTest::newRow("b") << text("b") << QStringLiteral("00b");
        QTest::newRow("letter then Chinese") << text("A座") << QStringLiteral("0A座");
        QTest::newRow("character outside the BMP") << text("A𠀀B") << QStringLiteral("A𠀀B");
        QTest::newRow("NULL") << kNull << kNoBuildingNumber;
        QTest::newRow("empty text") << text("") << kNoBuildingNumber;
        QTest::newRow("blank first") << text(" A") << kNoBuildingNumber;
        QTest::newRow("Chinese") << text("东区") << kNoBuildingNumber;
        QTest::newRow("full-width digits") << text("１２") << kNoBuildingNumber;
        QTest::newRow("full-width letter") << text("Ａ") << kNoBuildingNumber;
        QTest::newRow("full-width digits with 幢") << text("１２幢") << QStringLiteral("000");
        QTest::newRow("a number column") << QVariant(12) << QStringLiteral("012");
    }

    void buildingNumber()
    {
        QFETCH(QVariant, address2);
        QFETCH(QString, building);
        QCOMPARE(::buildingNumber(address2), building);
    }

    void unitNumber_data()
    {
        QTest::addColumn<QVariant>("address3");
        QTest::addColumn<QString>("unit");
        QTest::newRow("NULL") << kNull << QStringLiteral("1");
        QTest::newRow("one char") << text("2") << QStringLiteral("2");
        QTest::newRow("two chars kept whole") << text("12") << QStringLiteral("12");
        QTest::newRow("blanks kept") << text(" 3 ") << QStringLiteral(" 3 ");
        QTest::newRow("empty stays empty") << text("") << QString();
    }

    void unitNumber()
    {
        QFETCH(QVariant, address3);
        QFETCH(QString, unit);
        QCOMPARE(::unitNumber(address3), unit);
    }

    void roomNumber_data()
    {
        QTest::addColumn<QVariant>("room");
        QTest::addColumn<QString>("number");
        QTest::newRow("501") << text("501") << QStringLiteral("0501");
        QTest::newRow("1201") << text("1201") << QStringLiteral("1201");
        QTest::newRow("12345") << text("12345") << QStringLiteral("12345");
        QTest::newRow("not a number") << text("B01") << QStringLiteral("B01");
        QTest::newRow("number then word") << text("501室") << QStringLiteral("501室");
        QTest::newRow("NULL") << kNull << QString();
        QTest::newRow("empty") << text("") << QString();
        QTest::newRow("a number column") << QVariant(501) << QStringLiteral("0501");
    }

    void roomNumber()
    {
        QFETCH(QVariant, room);
        QFETCH(QString, number);
        QCOMPARE(::roomNumber(room), number);
    }

    void resaleLetterFromCount_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("letter");
        const QString letters = QStringLiteral("ABCDEFGHIJKLM");
        for (int n = 0; n <= 12; ++n)
            QTest::addRow("%d", n) << n << QString(letters[n]);
        QTest::newRow("13") << 13 << QString();
        QTest::newRow("many") << 500 << QString();
        QTest::newRow("negative") << -1 << QStringLiteral("A");
    }

    void resaleLetterFromCount()
    {
        QFETCH(int, count);
        QFETCH(QString, letter);
        QCOMPARE(resaleLetter(count), letter);
    }

    void composition()
    {
        const auto compose = [](const QVariant& a2, const QVariant& a3, const QVariant& room, int movedOut) {
            return composeOwnerNumber(QStringLiteral("14"), QStringLiteral("A"), ::buildingNumber(a2), ::unitNumber(a3),
                                      ::roomNumber(room), resaleLetter(movedOut));
        };
        QCOMPARE(compose(text("3幢"), text("2"), text("501"), 0), QStringLiteral("14A00320501A"));
        QCOMPARE(compose(text("3幢"), text("2"), text("501"), 1), QStringLiteral("14A00320501B"));
        QCOMPARE(compose(text("3幢"), kNull, text("501"), 0), QStringLiteral("14A00310501A"));
        QCOMPARE(compose(text("3幢"), text("12"), text("501"), 0), QStringLiteral("14A003120501A"));
        QCOMPARE(compose(text("3幢"), text("2"), text("501"), 13), QStringLiteral("14A00320501"));
        QCOMPARE(compose(kNull, text("2"), text("501"), 0), QString());
        QCOMPARE(compose(text("0"), text("2"), text("501"), 0), QString());
    }

    void sixteenBitReading_data()
    {
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<int>("result");
        QTest::addColumn<int>("error");
        QTest::newRow("zero") << QVariant(0) << 0 << -1;
        QTest::newRow("largest") << QVariant(32767) << 32767 << -1;
        QTest::newRow("smallest") << QVariant(-32768) << -32768 << -1;
        QTest::newRow("overflow") << QVariant(qlonglong(32768)) << 0 << 6;
        QTest::newRow("negative overflow") << QVariant(-32769) << 0 << 6;
        QTest::newRow("not a number") << QVariant(std::nan("")) << 0 << 6;
        QTest::newRow("infinity") << QVariant(-HUGE_VAL) << 0 << 6;
        QTest::newRow("half to even") << QVariant(2.5) << 2 << -1;
        QTest::newRow("half to even up") << QVariant(3.5) << 4 << -1;
        QTest::newRow("numeric text") << text(" 12 ") << 12 << -1;
        QTest::newRow("text") << text("abc") << 0 << 13;
        QTest::newRow("NULL") << kNull << 0 << 94;
    }

    void sixteenBitReading()
    {
        QFETCH(QVariant, value);
        QFETCH(int, result);
        QFETCH(int, error);
        int read = 0;
        QCOMPARE(errorNumber([&] { read = toInteger16(value); }), long(error));
        QCOMPARE(read, result);
    }

    void resaleLettersCountedPerRoom()
    {
        FixtureDatabase db;
        // Building 1: room 1 none moved out, room 2 one, room 3 twelve, room 4 thirteen.
        // Building 2 (not listed): room 6 with one moved out.
        int owner = 0;
        const auto owners = [&](int building, int room, int movedOut) {
            db.exec(QStringLiteral("Insert Into 室表 (S_ID, L_ID, 室) Values (%1, %2, '%1')").arg(room).arg(building));
            for (int i = 0; i < movedOut; ++i)
                db.exec(QStringLiteral("Insert Into 业主表 (ZH_ID, S_ID, 说明) Values (%1, %2, '迁出')")
                            .arg(++owner)
                            .arg(room));
            db.exec(QStringLiteral("Insert Into 业主表 (ZH_ID, S_ID, 说明) Values (%1, %2, '新进户')")
                        .arg(++owner)
                        .arg(room));
        };
        owners(1, 1, 0);
        owners(1, 2, 1);
        owners(1, 3, 12);
        owners(1, 4, 13);
        owners(2, 6, 1);
        Connection conn;
        conn.open(db.connectionString());
        const ResaleCounts counts(conn, QStringLiteral("1"));
        QCOMPARE(counts.letter(QStringLiteral("2")), QStringLiteral("B"));
        QCOMPARE(counts.letter(QStringLiteral("1")), QStringLiteral("A"));
        QCOMPARE(counts.letter(QStringLiteral("3")), QStringLiteral("M"));
        QCOMPARE(counts.letter(QStringLiteral(" 03")), QStringLiteral("M")); // the same room, as a number
        QCOMPARE(counts.letter(QStringLiteral("4")), QString());
        QCOMPARE(counts.letter(QStringLiteral("6")), QStringLiteral("A")); // its building was not asked for
        QCOMPARE(errorNumber([&] { counts.letter(QStringLiteral("x")); }), 13L);
        QCOMPARE(ResaleCounts(conn, QStringLiteral("1,2")).letter(QStringLiteral("6")), QStringLiteral("B"));
        QCOMPARE(errorNumber([&] { ResaleCounts(conn, QStringLiteral("1,x")); }), 13L);
    }

    void countAbove16BitsOverflows()
    {
        FixtureDatabase db;
        db.exec(QStringLiteral("Insert Into 室表 (S_ID, L_ID, 室) Values (5, 1, '501')"));
        db.exec(QStringLiteral("With Recursive n(i) As (Select 1 Union All Select i + 1 From n Where i < 32768) "
                               "Insert Into 业主表 (ZH_ID, S_ID, 说明) Select i, 5, '迁出' From n"));
        Connection conn;
        conn.open(db.connectionString());
        QCOMPARE(errorNumber([&] { ResaleCounts(conn, QStringLiteral("1")).letter(QStringLiteral("5")); }), 6L);
        db.exec(QStringLiteral("Delete From 业主表 Where ZH_ID = 1"));
        QCOMPARE(ResaleCounts(conn, QStringLiteral("1")).letter(QStringLiteral("5")), QString()); // 32767 fits
    }

    void countsOverOdbc()
    {
        // Through the ODBC path; the SQLite ODBC driver stands in for the server here.
#ifdef _WIN32
        QSKIP("Debian's SQLite ODBC driver is a Linux library: under Wine it cannot open a Windows path");
#endif
        FixtureDatabase db;
        db.exec(QStringLiteral("Insert Into 室表 (S_ID, L_ID, 室) Values (8, 1, '1'), (9, 1, '2'), (10, 1, '3')"));
        db.exec(QStringLiteral(
            "Insert Into 业主表 (ZH_ID, S_ID, 说明) Values (1, 8, '迁出'), (2, 8, '迁出'), (3, 9, '迁出')"));
        Connection conn;
        conn.open(QStringLiteral("Provider=SQLOLEDB;Driver=SQLite3;Initial Catalog=") + db.path());
        const ResaleCounts counts(conn, QStringLiteral("1"));
        QCOMPARE(counts.letter(QStringLiteral("8")), QStringLiteral("C"));
        QCOMPARE(counts.letter(QStringLiteral("9")), QStringLiteral("B"));
        QCOMPARE(counts.letter(QStringLiteral("10")), QStringLiteral("A"));
    }
};

QTEST_MAIN(OwnerNumberRuleTest)
#include "test_owner_number_rule.moc"
