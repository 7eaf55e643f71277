// Owner numbers handed out twice, and finding rows in a big grid.
#include "engine/DuplicateNumbers_p.h"
#include "engine/GridFind.h"
#include "support/Fixtures.h"

#include <QtTest>

class DuplicateNumbersTest : public QObject
{
    Q_OBJECT
private slots:
    void marks_data()
    {
        QTest::addColumn<QStringList>("numbers"); // row r + 1 has numbers[r], owner 100 + r
        QTest::addColumn<QStringList>("stored");  // "number=owner" stored elsewhere
        QTest::addColumn<QStringList>("marks");   // "row:tooltip", by row
        QTest::newRow("none") << QStringList{"14A", "14B"} << QStringList{} << QStringList{};
        QTest::newRow("twice in the grid") << QStringList{"14A", "14B", "14A", "14A"} << QStringList{}
                                           << QStringList{"1:与第 3 行重复", "3:与第 1 行重复", "4:与第 1 行重复"};
        QTest::newRow("empty numbers are no duplicates")
            << QStringList{"", "", "14A"} << QStringList{} << QStringList{};
        QTest::newRow("stored for another owner") << QStringList{"14A", "14B"} << QStringList{"14B=7"}
                                                  << QStringList{"2:与已保存的业主 王五（1幢101室）重复"};
    }

    void marks()
    {
        QFETCH(QStringList, numbers);
        QFETCH(QStringList, stored);
        QFETCH(QStringList, marks);
        QList<GridNumber> rows;
        for (int r = 0; r < numbers.size(); ++r)
            rows.append({r + 1, numbers[r], QString::number(100 + r)});
        QList<StoredNumber> others;
        for (const QString& s : stored)
            others.append(
                {s.section(u'=', 0, 0), s.section(u'=', 1), QStringLiteral("王五"), QStringLiteral("1幢101室")});
        const QHash<int, QString> found = duplicateNumbers(rows, others);
        QStringList shown;
        for (int r = 1; r <= numbers.size(); ++r)
            if (found.contains(r))
                shown << QStringLiteral("%1:%2").arg(r).arg(found.value(r));
        QCOMPARE(shown, marks);
    }

    void storedNumbersAreReadOnce()
    {
        FixtureDatabase db;
        db.exec(QStringLiteral(
            "Insert Into 楼表 (L_ID, 管理处, 地址1, 字1, 地址2, 字2) Values (1, '14', '花园', '', '2', '幢')"));
        db.exec(QStringLiteral("Insert Into 室表 (S_ID, L_ID, 室, 字) Values (5, 1, '301', '室')"));
        db.exec(QStringLiteral("Insert Into 业主表 (ZH_ID, S_ID, 姓名, 说明, 业主编号) Values "
                               "(7, 5, '王五', '迁出', '14A00213010A'), (8, 5, '赵六', '新进户', '14A00213010B'), "
                               "(9, 5, '钱七', '迁出', '15A00213010A')"));
        Connection conn;
        conn.open(db.connectionString());
        const QList<GridNumber> rows{{1, QStringLiteral("14A00213010A"), QStringLiteral("20")},
                                     {2, QStringLiteral("14A00213010B"), QStringLiteral("8")},
                                     {3, QStringLiteral("15A00213010A"), QStringLiteral("21")}};
        const QList<StoredNumber> colliding = collidingStoredNumbers(conn, QStringLiteral("14"), rows);
        // Owner 8 holds its own number; 15… is another office's and not read.
        QCOMPARE(colliding.size(), 1);
        QCOMPARE(colliding[0].number, QStringLiteral("14A00213010A"));
        QCOMPARE(colliding[0].name, QStringLiteral("王五"));
        QCOMPARE(colliding[0].address, QStringLiteral("花园2幢301"));
        QVERIFY(collidingStoredNumbers(conn, QStringLiteral("14"), {{1, QString(), QStringLiteral("1")}}).isEmpty());

        // A grid of stored numbers (view): only a number stored twice can be another owner's too.
        const QList<GridNumber> viewed{{1, QStringLiteral("14A00213010B"), QStringLiteral("8")}};
        QVERIFY(collidingStoredNumbers(conn, QStringLiteral("14"), viewed, GridNumbers::Stored).isEmpty());
        db.exec(QStringLiteral("Insert Into 业主表 (ZH_ID, S_ID, 姓名, 说明, 业主编号) Values (10, 5, '孙八', '迁出', "
                               "'14A00213010B')"));
        const QList<StoredNumber> shared =
            collidingStoredNumbers(conn, QStringLiteral("14"), viewed, GridNumbers::Stored);
        QCOMPARE(shared.size(), 1);
        QCOMPARE(shared[0].name, QStringLiteral("孙八"));
    }

    // A step: the row found, its place among the rows holding the text, and whether it wrapped.
    void find_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("from");
        QTest::addColumn<bool>("backwards");
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("step"); // "i/n", "+" when it wrapped
        QTest::newRow("next") << QStringLiteral("张") << 1 << false << 3 << "2/2";
        QTest::newRow("wraps forward") << QStringLiteral("张") << 3 << false << 1 << "1/2+";
        QTest::newRow("previous") << QStringLiteral("张") << 3 << true << 1 << "1/2";
        QTest::newRow("wraps back") << QStringLiteral("张") << 1 << true << 3 << "2/2+";
        QTest::newRow("from no row") << QStringLiteral("张") << 0 << false << 1 << "1/2";
        QTest::newRow("from no row, back") << QStringLiteral("张") << 0 << true << 3 << "2/2";
        QTest::newRow("from a row without it") << QStringLiteral("张") << 2 << false << 3 << "2/2";
        QTest::newRow("the only one, again") << QStringLiteral("李") << 2 << false << 2 << "1/1+";
        QTest::newRow("full-width digits and letters") << QStringLiteral("１４ａ００３") << 0 << false << 2 << "1/1";
        QTest::newRow("full-width nine and z, the ends of their ranges")
            << QStringLiteral("９ｚ") << 0 << false << 3 << "1/1";
        QTest::newRow("case") << QStringLiteral("b") << 0 << false << 2 << "1/1";
        QTest::newRow("not found") << QStringLiteral("赵") << 1 << false << -1 << "";
        QTest::newRow("empty") << QString() << 1 << false << -1 << "";
    }

    void find()
    {
        QFETCH(QString, text);
        QFETCH(int, from);
        QFETCH(bool, backwards);
        QFETCH(int, row);
        QFETCH(QString, step);
        const QStringList rows{QString(), QStringLiteral("张三 1幢101室"), QStringLiteral("李四 14A003B"),
                               QStringLiteral("张五 3幢209z室")};
        GridFinder finder;
        finder.reset(rows.size(), [&](int r) { return rows[r]; });
        GridFinder::Step where;
        QCOMPARE(finder.find(text, from, backwards, &where), row);
        if (row > 0)
            QCOMPARE(QStringLiteral("%1/%2%3").arg(where.ordinal).arg(where.count).arg(where.wrapped ? "+" : ""), step);
    }
};

QTEST_GUILESS_MAIN(DuplicateNumbersTest)
#include "test_duplicate_numbers.moc"
