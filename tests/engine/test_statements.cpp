#include "core/FlexGridModel.h"
#include "engine/GridBuilders.h"
#include "engine/OwnerNumberWrites.h"
#include "engine/Statements.h"
#include "engine/WorkbenchCommands.h"

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

    // The reads around the grids, written out as the server receives them.
    void readsAsTheDatabaseReceivesThem_data()
    {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QString>("expected");
        QTest::newRow("moved-out counts")
            << resaleCountsSql(QStringLiteral("3,7"))
            << QStringLiteral("Select 业主表.S_ID, COUNT(业主表.zh_id) as 转卖次数 From 业主表 "
                              "Where 业主表.说明='迁出' And 业主表.S_ID In (Select 室表.S_ID "
                              "From 室表 Where 室表.L_ID in (3,7)) Group By 业主表.S_ID");
        QTest::newRow("stored numbers, like escaped")
            << storedNumbersSql(QStringLiteral("1_4%"))
            << QStringLiteral("Select 业主编号, ZH_ID From 业主表 Where 业主编号 "
                              "Like '1!_4!%%' Escape '!'");
        QTest::newRow("stored numbers starting as the grid's")
            << storedNumbersSql(QStringLiteral("14"), GridNumbers::Proposed,
                                {QStringLiteral("14A003"), QStringLiteral("14A0_1")})
            << QStringLiteral("Select 业主编号, ZH_ID From 业主表 Where 业主编号 Like '14A003%' Escape '!' Or 业主编号 "
                              "Like '14A0!_1%' Escape '!'");
        QTest::newRow("stored numbers held twice")
            << storedNumbersSql(QStringLiteral("14"), GridNumbers::Stored)
            << QStringLiteral("Select 业主编号, ZH_ID From 业主表 Where 业主编号 In (Select 业主编号 From 业主表 Where "
                              "业主编号 Like '14%' Escape '!' Group By 业主编号 Having Count(*) > 1)");
        QTest::newRow("owners") << ownersSql(SqlDialect::SQLite, {QStringLiteral("5"), QStringLiteral("6")})
                                << QStringLiteral(
                                       "Select 业主表.ZH_ID, 业主表.姓名, (Case When [地址1] Is Not Null Then "
                                       "[地址1] Else '' End) || (Case When [字1] Is Not Null Then [字1] Else '' "
                                       "End) || (Case When [地址2] Is Not Null Then [地址2] Else '' End) || "
                                       "(Case When [字2] Is Not Null Then [字2] Else '' End) || (Case When "
                                       "[地址3] Is Not Null Then [地址3] Else '' End) || (Case When [字3] Is "
                                       "Not Null Then [字3] Else '' End) || (Case When [地址4] Is Not Null "
                                       "Then [地址4] Else '' End) || (Case When [字4] Is Not Null Then [字4] "
                                       "Else '' End) || (Case When 室表.室 Is Not Null Then 室表.室 Else '' "
                                       "End) as 地址 From 业主表 Left Join 室表 On 室表.S_ID = 业主表.S_ID "
                                       "Left Join 楼表 On 楼表.L_ID = 室表.L_ID Where 业主表.ZH_ID In (5,6)");
        QTest::newRow("numbers held now, ids as written")
            << currentNumbersSql({QStringLiteral("5"), QStringLiteral("12abc")})
            << QStringLiteral("Select ZH_ID, 业主编号 From 业主表 Where 业主编号 Is Not Null And ZH_ID In (5,12)");
        QTest::newRow("privileges")
            << privilegeQuery(QStringLiteral("P'1"), QStringLiteral("物业配置"))
            << QStringLiteral("SELECT DISTINCT 岗位权限设置.id , 岗位权限设置.组代号, 岗位权限设置.岗位代号, "
                              "岗位权限设置.授权, GroupPrivilege.FormName, GroupPrivilege.Popedom "
                              "FROM  岗位权限设置 INNER JOIN GroupPrivilege ON 岗位权限设置.组代号 = "
                              "GroupPrivilege.GroupID Where 授权 = 1 AND 岗位代号='P''1' AND "
                              "Memo='物业配置' ORDER BY GroupPrivilege.Popedom");
        QTest::newRow("deduction setting")
            << deductionSettingSql() << QStringLiteral("Select * From systemsetup Where code ='银行扣款方式'");
    }
    void readsAsTheDatabaseReceivesThem()
    {
        QFETCH(QString, sql);
        QFETCH(QString, expected);
        QCOMPARE(sql, expected);
    }

    void selectedBuildings_data()
    {
        QTest::addColumn<QStringList>("ticked");
        QTest::addColumn<QString>("list");
        QTest::newRow("one, no comma") << QStringList{"L12"} << QStringLiteral("12");
        QTest::newRow("tree order") << QStringList{"L3", "L12", "L7"} << QStringLiteral("3,12,7");
        QTest::newRow("a key without L is ignored") << QStringList{"X5", "L7"} << QStringLiteral("7");
        QTest::newRow("after the first L, case-sensitive") << QStringList{"aL5L", "l9"} << QStringLiteral("5L");
        QTest::newRow("none") << QStringList{} << QString();
    }
    void selectedBuildings()
    {
        QFETCH(QStringList, ticked);
        QFETCH(QString, list);
        QCOMPARE(selectedBuildingList(ticked), list);
    }

    // Save sends a row with a number unless it is skipped; clear sends every row; each statement
    // knows its grid row, and the numbers a code page cannot hold are found with what they lose.
    void writePlans()
    {
        FlexGridModel grid;
        SetUpOwnerNumberGrid(grid, QFont());
        grid.addItem(QStringLiteral("1\t\t\t14\tA\t003\t1\t0101\tA\t14A00310101A\t1\t1\t101"));
        grid.addItem(QStringLiteral("2\t\t\t14\tA\t无幢号\t0\t0102\tA\t\t1\t2\t102"));
        grid.addItem(QStringLiteral("3\t\t\t14\tA\t003\t1\t5‒1\tA\t14A0031005‒1A\t1\t3\t103"));
        const WritePlan save = savePlan(grid);
        QCOMPARE(save.gridRows, (QList<int>{1, 3}));
        QCOMPARE(save.statements.first(),
                 saveOwnerNumberStatement(QStringLiteral("14A00310101A"), QStringLiteral("101")));
        QCOMPARE(savePlan(grid, {3}).gridRows, QList<int>{1});
        const WritePlan clear = clearPlan(grid);
        QCOMPARE(clear.gridRows, (QList<int>{1, 2, 3}));
        QCOMPARE(clear.statements[1], clearOwnerNumberStatement(QStringLiteral("102")));
        const QList<GridNumber> numbers = gridNumbers(grid);
        QCOMPARE(unsaveableNumbers(numbers, 936), (QHash<int, QString>{{3, QStringLiteral("‒")}}));
        QVERIFY(unsaveableNumbers(numbers, 0).isEmpty());
        QCOMPARE(charactersLost(QStringLiteral("澄岭𠀀‒•"), 936), QStringLiteral("𠀀‒•"));
        QCOMPARE(charactersLost(QStringLiteral("澄•"), 1252), QStringLiteral("澄"));

        WriteOutcome outcome;
        for (const auto& [row, changed] : QList<QPair<int, qint64>>{{1, 1}, {2, 0}, {3, 2}, {4, -1}})
            outcome.count(row, changed);
        QCOMPARE(outcome.written, 3);
        QCOMPARE(writeOutcomeText(outcome),
                 QStringLiteral("已写入 3 行；1 位业主未找到（已被删除？）；1 个 ZH_ID 对应多位业主"));
    }
};

QTEST_MAIN(StatementsTest)
#include "test_statements.moc"
