#include "engine/OwnerNumberStatements.h"

#include <QtTest>

class StatementsTest : public QObject
{
    Q_OBJECT
private slots:
    void ids_data()
    {
        QTest::addColumn<QString>("cell");
        QTest::addColumn<QString>("id");
        QTest::newRow("number") << QStringLiteral("1234") << QStringLiteral("1234");
        QTest::newRow("empty") << QString() << QStringLiteral("0");
        QTest::newRow("not a number") << QStringLiteral("abc") << QStringLiteral("0");
        QTest::newRow("leading number") << QStringLiteral("12abc") << QStringLiteral("12");
        QTest::newRow("blanks") << QStringLiteral(" 7 ") << QStringLiteral("7");
        QTest::newRow("injection stays a number") << QStringLiteral("1 or 1=1") << QStringLiteral("1");
        QTest::newRow("fraction") << QStringLiteral("2.5") << QStringLiteral("2.5");
        QTest::newRow("negative") << QStringLiteral("-4") << QStringLiteral("-4");
        // Every digit kept: a rounded id names another owner.
        QTest::newRow("16 digits") << QStringLiteral("1234567890123456") << QStringLiteral("1234567890123456");
        QTest::newRow("2^53 + 1") << QStringLiteral("9007199254740993") << QStringLiteral("9007199254740993");
        QTest::newRow("largest 64-bit") << QStringLiteral("9223372036854775807")
                                        << QStringLiteral("9223372036854775807");
        QTest::newRow("leading zeros") << QStringLiteral("007") << QStringLiteral("7");
        QTest::newRow("negative zero") << QStringLiteral("-0") << QStringLiteral("0");
        QTest::newRow("whole fraction") << QStringLiteral("12.0") << QStringLiteral("12");
        QTest::newRow("fraction zeros") << QStringLiteral("12.50") << QStringLiteral("12.5");
        QTest::newRow("long fraction") << QStringLiteral("1.00000000000000001")
                                       << QStringLiteral("1.00000000000000001");
    }

    void ids()
    {
        QFETCH(QString, cell);
        QFETCH(QString, id);
        QCOMPARE(ownerIdText(cell), id);
    }

    void statementsAsTheDatabaseReceivesThem()
    {
        QCOMPARE(saveOwnerNumberStatement(QStringLiteral("14A00320501A"), QStringLiteral("88")),
                 QStringLiteral("Update 业主表 Set 业主编号 = '14A00320501A' Where ZH_ID =88"));
        QCOMPARE(saveOwnerNumberStatement(QStringLiteral("1'4A"), QString()),
                 QStringLiteral("Update 业主表 Set 业主编号 = '1''4A' Where ZH_ID =0"));
        QCOMPARE(clearOwnerNumberStatement(QStringLiteral("88")),
                 QStringLiteral("Update 业主表 Set 业主编号 = Null Where ZH_ID = 88"));
        QCOMPARE(clearOwnerNumberStatement(QString()),
                 QStringLiteral("Update 业主表 Set 业主编号 = Null Where ZH_ID = 0"));
    }

    void officeAndTreeQueriesAsSqlServerReceivesThem()
    {
        QCOMPARE(officeListSql(),
                 QStringLiteral("Select GYD_DH,GYD_Name   From 设置管理处 Where (商用物业=0 or 商用物业=2)  "
                                "And GYD_DH In ('14','15','16','18','24') Order By len(gyd_dh),GYD_dh"));
        QCOMPARE(buildingTreeSql(SqlDialect::SqlServer, QStringLiteral("1'4")),
                 QStringLiteral("Select (Case When [地址1] Is Not Null Then [地址1] Else '' End) +"
                                " (Case When [字1] Is Not Null Then [字1] Else '' End) +"
                                " (Case When [地址2] Is Not Null Then [地址2] Else '' End) +"
                                " (Case When [字2] Is Not Null Then [字2] Else '' End) +"
                                " (Case When [地址3] Is Not Null Then [地址3] Else '' End) +"
                                " (Case When [字3] Is Not Null Then [字3] Else '' End) +"
                                " (Case When [地址4] Is Not Null Then [地址4] Else '' End) +"
                                " (Case When [字4] Is Not Null Then [字4] Else '' End) as 地址,L_ID"
                                " From 楼表 Where  管理处='1''4'Order By len(地址1),地址1,len(地址2),地址2,"
                                "len(地址3),地址3,len(地址4),地址4"));
        QVERIFY(buildingTreeSql(SqlDialect::SQLite, QStringLiteral("14")).contains(QStringLiteral("End) || (Case")));
    }
};

QTEST_GUILESS_MAIN(StatementsTest)
#include "test_statements.moc"
