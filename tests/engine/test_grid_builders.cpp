#include "core/Fonts.h"
#include "core/Twips.h"
#include "engine/GridBuilders.h"
#include "engine/OwnerNumberRule.h"
#include "support/Fixtures.h"

#include <QAbstractItemModelTester>
#include <QFontMetrics>
#include <QtTest>

namespace {

const QVariant kNull;

QString literal(const QVariant& v)
{
    return v.isNull() ? QStringLiteral("NULL") : u'\'' + sqlEscape(v.toString()) + u'\'';
}

QVariant t(const char* s)
{
    return QVariant(QString::fromUtf8(s));
}

// Rows of the fixture, written as the other programs of the system would.
class Estate
{
public:
    explicit Estate(FixtureDatabase& db) : m_db(db) {}

    void building(int id, const QString& office, const QVariant& a2, const QVariant& w2, const QVariant& a3 = t("1"),
                  const QVariant& w3 = t("单元"), const QVariant& a1 = t("澄岭花园"), const QVariant& a4 = kNull)
    {
        m_db.exec(
            QStringLiteral("Insert Into 楼表 (L_ID, 管理处, 地址1, 字1, 地址2, 字2, 地址3, 字3, 地址4, 字4) "
                           "Values (%1, %2, %3, NULL, %4, %5, %6, %7, %8, NULL)")
                .arg(id)
                .arg(literal(office), literal(a1), literal(a2), literal(w2), literal(a3), literal(w3), literal(a4)));
    }
    void room(int id, int building, const QVariant& number, const QVariant& word = t("室"))
    {
        m_db.exec(QStringLiteral("Insert Into 室表 (S_ID, L_ID, 室, 字) Values (%1, %2, %3, %4)")
                      .arg(id)
                      .arg(building)
                      .arg(literal(number), literal(word)));
    }
    int owner(int room, const QVariant& name, const QString& status = QStringLiteral("新进户"),
              const QVariant& number = kNull)
    {
        m_db.exec(QStringLiteral("Insert Into 业主表 (ZH_ID, S_ID, 姓名, 进户日期, 说明, 业主编号) "
                                 "Values (%1, %2, %3, '2020-01-01', %4, %5)")
                      .arg(++m_owner)
                      .arg(room)
                      .arg(literal(name), literal(status), literal(number)));
        return m_owner;
    }
    void movedOut(int room, int count)
    {
        for (int i = 0; i < count; ++i)
            owner(room, t("旧业主"), QStringLiteral("迁出"));
    }

private:
    FixtureDatabase& m_db;
    int m_owner = 0;
};

QStringList row(const FlexGridModel& grid, int r)
{
    QStringList texts;
    for (int c = 0; c < grid.cols(); ++c)
        texts << grid.textMatrix(r, c);
    return texts;
}

QStringList column(const FlexGridModel& grid, int c)
{
    QStringList texts;
    for (int r = 1; r < grid.rows(); ++r)
        texts << grid.textMatrix(r, c);
    return texts;
}

const QString kOffice = QStringLiteral("14 澄岭花园管理处");

} // namespace

// A connection to the fixture and a grid set up as the workbench's load sets it up.
struct Filling
{
    Filling(const FixtureDatabase& db, const QFont& font)
    {
        conn.open(db.connectionString());
        SetUpOwnerNumberGrid(grid, font);
    }
    Connection conn;
    FlexGridModel grid;
};

class GridBuildersTest : public QObject
{
    Q_OBJECT
private:
    QFont m_font;

    void fillCandidates(Connection& conn, FlexGridModel& grid, const QString& list, const QString& office = kOffice)
    {
        FillCandidateGrid(conn, grid, office, QStringLiteral("A"), list, m_font);
    }

private slots:
    void initTestCase()
    {
        installFontSubstitutions();
        m_font = yaheiFont(9);
    }

    void setUpAsTheFormLoads()
    {
        FlexGridModel grid;
        SetUpOwnerNumberGrid(grid, m_font);
        QCOMPARE(grid.cols(), int(GridColumn::kCount));
        QCOMPARE(grid.rows(), 1);
        QVERIFY(grid.redraw());
        QCOMPARE(grid.textMatrix(0, 0), QStringLiteral("序  "));
        QCOMPARE(grid.textMatrix(0, 9).trimmed(), QStringLiteral("业主编号"));
        for (int c = 0; c < grid.cols(); ++c)
            QCOMPARE(grid.colAlignment(c), int(FlexGridModel::AlignCenterCenter));
        for (int c = 0; c < grid.cols(); ++c)
            QCOMPARE(grid.colWidth(c) == 0, c >= 10);
    }

    void sqlServerStatementsAsSpelled()
    {
        const QString address = QStringLiteral(" (Case When [地址1] Is Not Null Then [地址1] Else '' End) +"
                                               " (Case When [字1] Is Not Null Then [字1] Else '' End) +"
                                               " (Case When [地址2] Is Not Null Then [地址2] Else '' End) +"
                                               " (Case When [字2] Is Not Null Then [字2] Else '' End) +"
                                               " (Case When [地址3] Is Not Null Then [地址3] Else '' End) +"
                                               " (Case When [字3] Is Not Null Then [字3] Else '' End) +"
                                               " (Case When [地址4] Is Not Null Then [地址4] Else '' End) +"
                                               " (Case When [字4] Is Not Null Then [字4] Else '' End) as 地址");
        const QString head =
            QStringLiteral("Select 楼表.L_ID , 管理处 ,地址1, 字1, 地址2, 字2, 地址3, 字3, 地址4 , 字4,"
                           " 室表.室,室表.字,室表.S_ID ,");
        const QString from = QStringLiteral(" From 楼表 Inner Join 室表 On 楼表.L_ID = 室表.L_ID"
                                            " Left Join 业主表 On 室表.S_ID = 业主表.S_ID"
                                            " Where  管理处 ='14' And 楼表.L_ID in (2,10) And 业主表.说明='新进户'");
        const QString order =
            QStringLiteral(" Order By Len(地址1),地址1,len(地址2),地址2,len(地址3),地址3,len(地址4),地址4, 室");

        const QString candidate = candidateGridSql(SqlDialect::SqlServer, QStringLiteral("14"), QStringLiteral("2,10"));
        QCOMPARE(candidate, head + QStringLiteral(" 姓名 , ZH_ID, 进户日期, 说明,") + address + from +
                                QStringLiteral(" And 业主表.业主编号 Is Null") + order);
        const QString existing = existingGridSql(SqlDialect::SqlServer, QStringLiteral("14"), QStringLiteral("2,10"));
        QCOMPARE(existing, head + QStringLiteral(" 姓名 , ZH_ID, 进户日期, 说明, 业主表.业主编号, ") + address + from +
                               QStringLiteral(" And 业主表.业主编号 Is Not Null") + order);

        // The embedded database differs by its concatenation operator only.
        QString sqlite = candidate;
        sqlite.replace(QStringLiteral("End) +"), QStringLiteral("End) ||"));
        QCOMPARE(candidateGridSql(SqlDialect::SQLite, QStringLiteral("14"), QStringLiteral("2,10")), sqlite);
    }

    void literalsInStatements()
    {
        const QString sql = candidateGridSql(SqlDialect::SqlServer, QStringLiteral("1'4"), QStringLiteral("7"));
        QVERIFY(sql.contains(QStringLiteral(" Where  管理处 ='1''4' And 楼表.L_ID in (7)")));
        QCOMPARE(errorNumber([] {
                     candidateGridSql(SqlDialect::SqlServer, QStringLiteral("14"), QStringLiteral("2,1) Or (1=1"));
                 }),
                 13L);
        QCOMPARE(
            errorNumber([] { existingGridSql(SqlDialect::SqlServer, QStringLiteral("14"), QStringLiteral("2,,3")); }),
            13L);
        QCOMPARE(officeCodeOf(QStringLiteral("14 澄岭 花园")), QStringLiteral("14"));
        QCOMPARE(officeCodeOf(QStringLiteral("14")), QStringLiteral("14"));
        QCOMPARE(officeCodeOf(QString()), QString());
    }

    void candidateRowsInNaturalOrder()
    {
        FixtureDatabase db;
        Estate e(db);
        e.building(1, QStringLiteral("14"), t("10"), t("幢"), t("2"));
        e.building(2, QStringLiteral("14"), t("2"), t("幢"), t("1"));
        e.building(3, QStringLiteral("15"), t("1"), t("幢")); // another office
        e.room(11, 1, t("501"));
        e.room(21, 2, t("1201"));
        e.room(22, 2, t("301"));
        e.room(31, 3, t("101"));
        const int zhang = e.owner(11, t("张三"));
        e.owner(21, t("李四"));
        e.owner(22, t("王五"));
        e.owner(31, t("赵六"));

        Connection conn;
        conn.open(db.connectionString());
        FlexGridModel grid;
        QAbstractItemModelTester tester(&grid, QAbstractItemModelTester::FailureReportingMode::QtTest);
        SetUpOwnerNumberGrid(grid, m_font);
        fillCandidates(conn, grid, QStringLiteral("1,2,3"));

        QVERIFY(grid.redraw());
        QCOMPARE(grid.rows(), 4);
        // Building 2 before 10; within a building rooms by their text.
        QCOMPARE(column(grid, 1),
                 (QStringList{QStringLiteral("李四"), QStringLiteral("王五"), QStringLiteral("张三")}));
        QCOMPARE(row(grid, 3),
                 (QStringList{QStringLiteral("3"), QStringLiteral("张三"), QStringLiteral("澄岭花园10幢2单元501室"),
                              QStringLiteral("14"), QStringLiteral("A"), QStringLiteral("010"), QStringLiteral("2"),
                              QStringLiteral("0501"), QStringLiteral("A"), QStringLiteral("14A01020501A"),
                              QStringLiteral("1"), QStringLiteral("11"), QString::number(zhang)}));
        QCOMPARE(column(grid, 0), (QStringList{QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3")}));
        QCOMPARE(column(grid, 9), (QStringList{QStringLiteral("14A00211201A"), QStringLiteral("14A00210301A"),
                                               QStringLiteral("14A01020501A")}));
        QCOMPARE(grid.row(), 3); // each added row was made current
    }

    void onlyNewOwnersWithoutNumberAreCandidates()
    {
        FixtureDatabase db;
        Estate e(db);
        e.building(1, QStringLiteral("14"), t("1"), t("幢"));
        e.room(1, 1, t("101")); // new owner, no number
        e.room(2, 1, t("102")); // new owner with a number
        e.room(3, 1, t("103")); // only a moved-out owner
        e.room(4, 1, t("104")); // nobody
        e.owner(1, t("甲"));
        e.owner(2, t("乙"), QStringLiteral("新进户"), t("14A00110102A"));
        e.movedOut(3, 1);
        Filling f(db, m_font);
        Connection& conn = f.conn;
        FlexGridModel& grid = f.grid;

        fillCandidates(conn, grid, QStringLiteral("1"));
        QCOMPARE(column(grid, 1), QStringList{QStringLiteral("甲")});

        FillExistingGrid(conn, grid, kOffice, QStringLiteral("1"), m_font);
        QCOMPARE(column(grid, 1), QStringList{QStringLiteral("乙")});
        QCOMPARE(row(grid, 1).mid(3, 7),
                 (QStringList{QStringLiteral("14"), QStringLiteral("A"), QStringLiteral("001"), QStringLiteral("1"),
                              QStringLiteral("0102"), QStringLiteral("A"), QStringLiteral("14A00110102A")}));

        db.exec(QStringLiteral("Update 业主表 Set 业主编号 = '14A00110101A' Where S_ID = 1"));
        fillCandidates(conn, grid, QStringLiteral("1"));
        QCOMPARE(grid.rows(), 1); // every number produced already: only the header row
    }

    void nullAddressPartsAndRoomWords()
    {
        FixtureDatabase db;
        Estate e(db);
        e.building(1, QStringLiteral("14"), kNull, kNull, kNull, kNull, t("会所"));
        e.building(2, QStringLiteral("14"), t("5"), t("幢"), kNull, kNull, kNull);
        e.room(1, 1, t("101"), kNull);
        e.room(2, 2, t("201"), t(""));
        e.room(3, 2, kNull, t("号"));
        e.owner(1, kNull);
        e.owner(2, t("钱"));
        e.owner(3, t("孙"));
        Filling f(db, m_font);
        Connection& conn = f.conn;
        FlexGridModel& grid = f.grid;
        fillCandidates(conn, grid, QStringLiteral("1,2"));

        QCOMPARE(grid.rows(), 4);
        // An address part that is NULL has no length and sorts first: building 2, rooms by 室
        // (NULL first), then building 1.
        QCOMPARE(row(grid, 1).mid(1, 9),
                 (QStringList{QStringLiteral("孙"), QStringLiteral("5幢号"), QStringLiteral("14"), QStringLiteral("A"),
                              QStringLiteral("005"), QStringLiteral("1"), QString(), QStringLiteral("A"),
                              QStringLiteral("14A0051A")}));
        QCOMPARE(grid.textMatrix(2, 2), QStringLiteral("5幢201")); // an empty word stays empty
        // No building part: no number; the missing room word reads 室; a NULL name is empty.
        QCOMPARE(row(grid, 3).mid(1, 9), (QStringList{QString(), QStringLiteral("会所101室"), QStringLiteral("14"),
                                                      QStringLiteral("A"), kNoBuildingNumber, QStringLiteral("1"),
                                                      QStringLiteral("0101"), QStringLiteral("A"), QString()}));
    }

    void movedOutOwnersCountPerRoom()
    {
        FixtureDatabase db;
        Estate e(db);
        e.building(1, QStringLiteral("14"), t("3幢"), kNull, t("2"));
        e.room(1, 1, t("501"));
        e.room(2, 1, t("502"));
        e.room(3, 1, t("503"));
        e.movedOut(1, 2);
        e.movedOut(3, 13);
        e.owner(1, t("甲"));
        e.owner(2, t("乙"));
        e.owner(3, t("丙"));
        Filling f(db, m_font);
        Connection& conn = f.conn;
        FlexGridModel& grid = f.grid;
        fillCandidates(conn, grid, QStringLiteral("1"));
        QCOMPARE(column(grid, 8), (QStringList{QStringLiteral("C"), QStringLiteral("A"), QString()}));
        QCOMPARE(column(grid, 9), (QStringList{QStringLiteral("14A00320501C"), QStringLiteral("14A00320502A"),
                                               QStringLiteral("14A00320503")}));
    }

    void existingNumbersAsStored()
    {
        FixtureDatabase db;
        Estate e(db);
        e.building(1, QStringLiteral("14"), t("1"), t("幢"));
        e.building(2, QStringLiteral("14"), kNull, kNull);
        e.room(1, 1, t("101"));
        e.room(2, 1, t("102"));
        e.room(3, 2, t("103"));
        e.owner(1, t("甲"), QStringLiteral("新进户"), t("14C00110101A"));
        e.owner(2, t("乙"), QStringLiteral("新进户"), t("1X"));
        e.owner(3, t("丙"), QStringLiteral("新进户"), t("14A00010103A"));
        e.movedOut(1, 1); // moved out after the number was saved
        Filling f(db, m_font);
        Connection& conn = f.conn;
        FlexGridModel& grid = f.grid;
        FillExistingGrid(conn, grid, kOffice, QStringLiteral("1,2"), m_font);

        QCOMPARE(grid.rows(), 4);
        QCOMPARE(column(grid, 1), (QStringList{QStringLiteral("丙"), QStringLiteral("甲"), QStringLiteral("乙")}));
        // The area letter is the stored number's third character, nothing when it is shorter.
        QCOMPARE(column(grid, 4), (QStringList{QStringLiteral("A"), QStringLiteral("C"), QString()}));
        // The resale letter is counted afresh, whatever the stored number ends with.
        QCOMPARE(column(grid, 8), (QStringList{QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("A")}));
        // A building without building number shows no number even though one is stored.
        QCOMPARE(column(grid, 9), (QStringList{QString(), QStringLiteral("14C00110101A"), QStringLiteral("1X")}));
        QCOMPARE(column(grid, 5), (QStringList{kNoBuildingNumber, QStringLiteral("001"), QStringLiteral("001")}));
    }

    void quoteInTheOfficeCode()
    {
        FixtureDatabase db;
        Estate e(db);
        e.building(1, QStringLiteral("1'4"), t("1"), t("幢"));
        e.room(1, 1, t("101"));
        e.owner(1, t("甲"));
        Filling f(db, m_font);
        Connection& conn = f.conn;
        FlexGridModel& grid = f.grid;
        fillCandidates(conn, grid, QStringLiteral("1"), QStringLiteral("1'4 引号管理处"));
        QCOMPARE(grid.rows(), 2);
        QCOMPARE(grid.textMatrix(1, 3), QStringLiteral("1'4"));
        QCOMPARE(grid.textMatrix(1, 9), QStringLiteral("1'4A00110101A"));
    }

    void nonNumericBuildingIdIsError13()
    {
        FixtureDatabase db;
        Filling f(db, m_font);
        Connection& conn = f.conn;
        FlexGridModel& grid = f.grid;
        grid.setRows(3);
        QCOMPARE(errorNumber([&] { fillCandidates(conn, grid, QStringLiteral("1,L2")); }), 13L);
        QCOMPARE(errorNumber([&] { FillExistingGrid(conn, grid, kOffice, QStringLiteral("1;2"), m_font); }), 13L);
        QVERIFY(grid.redraw());
        QCOMPARE(grid.rows(), 3); // nothing was read: the grid is as the caller left it
    }

    void aFailureMidFillLeavesRedrawOn()
    {
        FixtureDatabase db;
        Estate e(db);
        e.building(1, QStringLiteral("14"), t("1"), t("幢"));
        e.room(1, 1, t("101"));
        e.room(2, 1, t("102"));
        e.owner(1, t("甲"));
        e.owner(2, t("乙"));
        // More moved-out owners than a 16-bit count holds.
        db.exec(QStringLiteral("With Recursive n(i) As (Select 1 Union All Select i + 1 From n Where i < 32768) "
                               "Insert Into 业主表 (ZH_ID, S_ID, 说明) Select 1000 + i, 2, '迁出' From n"));
        Filling f(db, m_font);
        Connection& conn = f.conn;
        FlexGridModel& grid = f.grid;
        QCOMPARE(errorNumber([&] { fillCandidates(conn, grid, QStringLiteral("1")); }), 6L);
        QVERIFY(grid.redraw());
        QCOMPARE(grid.rowCount(), grid.rows() - 1); // the view sees what the grid holds
        QCOMPARE(grid.rows(), 3);
    }

    void columnsWidenToTheirTexts()
    {
        FixtureDatabase db;
        Estate e(db);
        // A long estate name widens the address; a long unit the unit and the owner number.
        e.building(1, QStringLiteral("14"), t("1"), t("幢"), t("东区十二号附楼甲座"), t("单元"),
                   t("澄岭花园超长的小区名称用来撑开地址这一列的宽度远远超过标题"));
        e.building(2, QStringLiteral("14"), t("2"), t("幢"));
        e.room(1, 1, t("101"));
        e.room(2, 2, t("101"));
        e.owner(1, t("欧阳甲"));
        e.owner(2, t("乙"));
        Filling f(db, m_font);
        Connection& conn = f.conn;
        FlexGridModel& grid = f.grid;
        QList<int> before;
        for (int c = 0; c < grid.cols(); ++c)
            before << grid.colWidth(c);
        fillCandidates(conn, grid, QStringLiteral("1,2"));

        const QFontMetrics metrics(m_font);
        for (int c = 0; c < grid.cols(); ++c) {
            if (c >= 10) {
                QCOMPARE(grid.colWidth(c), 0); // the id columns stay hidden
                continue;
            }
            int widest = before[c];
            for (int r = 1; r < grid.rows(); ++r)
                widest = std::max(widest, metrics.horizontalAdvance(grid.textMatrix(r, c)) * 15 + 90);
            QCOMPARE(grid.colWidth(c), widest);
        }
        for (int c : {GridColumn::Address, GridColumn::Unit, GridColumn::OwnerNumber})
            QVERIFY2(grid.colWidth(c) > before[c], qPrintable(QString::number(c)));

        // A later fill with shorter texts never narrows a column.
        const int address = grid.colWidth(2);
        grid.setRows(1);
        fillCandidates(conn, grid, QStringLiteral("2"));
        QCOMPARE(grid.rows(), 2);
        QCOMPARE(grid.colWidth(2), address);
    }

    void demoDatabaseBuildingsGetTheirNumbers()
    {
        FixtureDatabase db(FixtureDatabase::Demo);
        Connection conn;
        conn.open(db.connectionString());
        const QStringList ids = db.rows(QStringLiteral("Select group_concat(L_ID) From 楼表 Where 管理处 = '14'"))
                                    .first()
                                    .first()
                                    .split(u',');
        FlexGridModel grid;
        SetUpOwnerNumberGrid(grid, m_font);
        fillCandidates(conn, grid, ids.join(u','));
        QVERIFY(grid.rows() > 50);
        // Every row's number is its fields joined, unless the building has none.
        for (int r = 1; r < grid.rows(); ++r) {
            const QStringList f = row(grid, r);
            const QString joined = f[5] == kNoBuildingNumber ? QString() : f[3] + f[4] + f[5] + f[6] + f[7] + f[8];
            QCOMPARE(f[9], joined);
            QCOMPARE(f[0], QString::number(r));
        }
        const QStringList buildings = column(grid, 5);
        for (const char* b : {"001", "003", "010", "012", "12号", "00A", "0B2", "005"})
            QVERIFY2(buildings.contains(QString::fromUtf8(b)), b);
        QVERIFY(buildings.contains(kNoBuildingNumber));
    }
};

QTEST_MAIN(GridBuildersTest)
#include "test_grid_builders.moc"
