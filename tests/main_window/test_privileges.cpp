#include "engine/Statements.h"
#include "main_window/MainWindow.h"
#include "main_window/MenuPrivileges.h"
#include "startup/Module1.h"
#include "support/TestSupport.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QtTest>

namespace {
const QString kMemo = QStringLiteral("物业配置");

// The items as "name" for enabled and "-name" for disabled, in control order.
QStringList states(MainWindow& w)
{
    QStringList result;
    for (const MenuItem& item : menuItems(*w.menuBar()))
        result << (item.action->isEnabled() ? item.name : QStringLiteral("-") + item.name);
    return result;
}

void setPost(const QString& post)
{
    std::array<QString, 10> fields;
    fields[0] = QStringLiteral("demo");
    fields[4] = post;
    SetIdentityFields(fields);
}

// A post granted group G1, whose privilege rows are given as "FormName=Popedom" (memo kMemo).
void grant(const FixtureDatabase& db, const QString& post, const QStringList& rows)
{
    db.exec(QStringLiteral("INSERT INTO 岗位权限设置 (id, 组代号, 岗位代号, 授权) VALUES (1, 'G1', '%1', 1)")
                .arg(QString(post).replace(QLatin1Char('\''), QStringLiteral("''"))));
    for (const QString& row : rows) {
        const QStringList parts = row.split(QLatin1Char('='));
        db.exec(QStringLiteral(
                    "INSERT INTO GroupPrivilege (GroupID, FormName, Popedom, Memo) VALUES ('G1', '%1', %2, '%3')")
                    .arg(parts[0], parts[1], kMemo));
    }
}

const QString kAllKeptOnly =
    QStringLiteral("-业主编号,-业主编号管理,-扣款方式,-银行扣款方式设置,退出系统,退出,关于,关于软件,联系我们");
} // namespace

class TestPrivileges : public GlobalConnectionTest
{
    Q_OBJECT
public:
    TestPrivileges() : GlobalConnectionTest(FixtureDatabase::Empty) {}

private slots:
    void menuItemsInControlOrder();
    void queryText();
    void privileges_data();
    void privileges();
    void failureLeavesFirstPass_data();
    void failureLeavesFirstPass();
    void loadLeavesMenuAlone();
};

void TestPrivileges::menuItemsInControlOrder()
{
    MainWindow w;
    QStringList names;
    for (const MenuItem& item : menuItems(*w.menuBar())) {
        names << item.name;
        QCOMPARE(item.caption, item.name);
    }
    QCOMPARE(names.join(QLatin1Char(',')),
             QStringLiteral("业主编号,业主编号管理,扣款方式,银行扣款方式设置,退出系统,退出,关于,关于软件,联系我们"));
}

void TestPrivileges::queryText()
{
    QCOMPARE(privilegeQuery(QStringLiteral("P01"), QStringLiteral("配置")),
             QStringLiteral(
                 "SELECT DISTINCT 岗位权限设置.id , 岗位权限设置.组代号, 岗位权限设置.岗位代号, 岗位权限设置.授权, "
                 "GroupPrivilege.FormName, GroupPrivilege.Popedom FROM  岗位权限设置 INNER JOIN "
                 "GroupPrivilege ON 岗位权限设置.组代号 = GroupPrivilege.GroupID Where 授权 = 1 AND "
                 "岗位代号='P01' AND Memo='配置' ORDER BY GroupPrivilege.Popedom"));
    // A quote in either value stays inside its literal.
    QVERIFY(privilegeQuery(QStringLiteral("O'Neil"), QStringLiteral("a'b"))
                .contains(QStringLiteral(" Where 授权 = 1 AND 岗位代号='O''Neil' AND Memo='a''b' ORDER BY")));
}

void TestPrivileges::privileges_data()
{
    QTest::addColumn<QString>("grantedPost");
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<QString>("post");
    QTest::addColumn<QString>("expected");

    const QString p = QStringLiteral("P01");
    QTest::newRow("no rows") << p << QStringList{} << p << kAllKeptOnly;
    QTest::newRow("another post's rows") << QStringLiteral("P02") << QStringList{QStringLiteral("业主编号=1")} << p
                                         << kAllKeptOnly;
    QTest::newRow("granted items") << p << QStringList{QStringLiteral("业主编号=1"), QStringLiteral("业主编号管理=1")}
                                   << p
                                   << QStringLiteral("业主编号,业主编号管理,-扣款方式,-银行扣款方式设置,退出系统,退出,"
                                                     "关于,关于软件,联系我们");
    QTest::newRow("Popedom -1 enables, as the classic true")
        << p << QStringList{QStringLiteral("扣款方式=-1")} << p
        << QStringLiteral("-业主编号,-业主编号管理,扣款方式,-银行扣款方式设置,"
                          "退出系统,退出,关于,关于软件,联系我们");
    QTest::newRow("Popedom false disables")
        << p << QStringList{QStringLiteral("扣款方式=1"), QStringLiteral("银行扣款方式设置=0")} << p
        << QStringLiteral("-业主编号,-业主编号管理,扣款方式,-银行扣款方式设置,"
                          "退出系统,退出,关于,关于软件,联系我们");
    QTest::newRow("two rows, the greater Popedom decides")
        << p << QStringList{QStringLiteral("业主编号管理=1"), QStringLiteral("业主编号管理=0")} << p
        << QStringLiteral("-业主编号,业主编号管理,-扣款方式,-银行扣款方式设置,退出系统,退出,关于,关于软件,联系我们");
    QTest::newRow("a kept item can be switched off by its row")
        << p << QStringList{QStringLiteral("关于软件=0")} << p
        << QStringLiteral("-业主编号,-业主编号管理,-扣款方式,-银行扣款方式设置,退出系统,退出,关于,-关于软件,联系我们");
    QTest::newRow("unknown names are skipped")
        << p << QStringList{QStringLiteral("其它窗体=1"), QStringLiteral("扣款方式=1")} << p
        << QStringLiteral("-业主编号,-业主编号管理,扣款方式,-银行扣款方式设置,"
                          "退出系统,退出,关于,关于软件,联系我们");
    QTest::newRow("empty post code still queries")
        << QString() << QStringList{QStringLiteral("银行扣款方式设置=1")} << QString()
        << QStringLiteral("-业主编号,-业主编号管理,-扣款方式,银行扣款方式设置,退出系统,退出,关于,关于软件,联系我们");
    QTest::newRow("quote in the post code")
        << QStringLiteral("P'01") << QStringList{QStringLiteral("业主编号=1")} << QStringLiteral("P'01")
        << QStringLiteral("业主编号,-业主编号管理,-扣款方式,-银行扣款方式设置,"
                          "退出系统,退出,关于,关于软件,联系我们");
    QTest::newRow("a quote cannot widen the match")
        << p << QStringList{QStringLiteral("业主编号=1")} << QStringLiteral("x' OR '1'='1") << kAllKeptOnly;
}

void TestPrivileges::privileges()
{
    QFETCH(QString, grantedPost);
    QFETCH(QStringList, rows);
    QFETCH(QString, post);
    QFETCH(QString, expected);
    grant(db(), grantedPost, rows);
    // Rows of another module or not granted change nothing.
    db().exec(QStringLiteral("INSERT INTO GroupPrivilege VALUES ('G1', '退出', 0, '其它模块')"));
    db().exec(QStringLiteral("INSERT INTO 岗位权限设置 VALUES (2, 'G2', '%1', 0)")
                  .arg(QString(grantedPost).replace(QLatin1Char('\''), QStringLiteral("''"))));
    db().exec(QStringLiteral("INSERT INTO GroupPrivilege VALUES ('G2', '联系我们', 0, '%1')").arg(kMemo));
    setPost(post);
    MessageRecorder boxes;
    MainWindow w;
    // A separator, and a second item with a name already used: neither is changed by a row.
    QMenu* first = w.menuBar()->actions().first()->menu();
    QAction* separator = first->addSeparator();
    QAction* twin = first->addAction(QStringLiteral("业主编号管理"));
    twin->setObjectName(QStringLiteral("业主编号管理"));
    w.权限设置(kMemo);
    QVERIFY(separator->isEnabled());
    QVERIFY(!twin->isEnabled());
    delete separator;
    delete twin;
    QCOMPARE(states(w).join(QLatin1Char(',')), expected);
    QCOMPARE(boxes.texts(), QStringList{});
}

void TestPrivileges::failureLeavesFirstPass_data()
{
    QTest::addColumn<QString>("breakage");
    QTest::addColumn<QString>("number");
    QTest::newRow("table dropped") << QStringLiteral("DROP TABLE GroupPrivilege") << QString();
    QTest::newRow("Popedom NULL") << QStringLiteral("UPDATE GroupPrivilege SET Popedom = NULL") << QStringLiteral("94");
}

void TestPrivileges::failureLeavesFirstPass()
{
    QFETCH(QString, breakage);
    QFETCH(QString, number);
    grant(db(), QStringLiteral("P01"), {QStringLiteral("业主编号=1")});
    db().exec(breakage);
    setPost(QStringLiteral("P01"));
    MessageRecorder boxes;
    MainWindow w;
    w.权限设置(kMemo);
    QCOMPARE(boxes.boxes().size(), 1);
    const MsgRecord& box = boxes.boxes().first();
    QCOMPARE(box.title, QStringLiteral("提示"));
    QCOMPARE(box.icon, MsgIcon::Information);
    QCOMPARE(box.buttons, MsgButtons::OK);
    const QRegularExpression format(QStringLiteral("^错误号：(-?\\d+)\\r\\n错误描述：(.+)$"),
                                    QRegularExpression::DotMatchesEverythingOption);
    const auto match = format.match(box.text);
    QVERIFY2(match.hasMatch(), qPrintable(box.text));
    if (!number.isEmpty())
        QCOMPARE(match.captured(1), number);
    else
        QVERIFY(match.captured(2).contains(QStringLiteral("GroupPrivilege")));
    QCOMPARE(states(w).join(QLatin1Char(',')), kAllKeptOnly);
}

void TestPrivileges::loadLeavesMenuAlone()
{
    // Whoever starts it, the super user or not, and with a database that would refuse every
    // item: the menu is as built.
    for (const QString& user : {QStringLiteral("超级用户"), QStringLiteral("demo")}) {
        std::array<QString, 10> fields;
        fields[0] = user;
        fields[4] = QStringLiteral("P01");
        SetIdentityFields(fields);
        MessageRecorder boxes;
        MainWindow w;
        for (const MenuItem& item : menuItems(*w.menuBar()))
            QVERIFY(item.action->isEnabled());
        QVERIFY(boxes.boxes().isEmpty());
    }
}

QTEST_MAIN(TestPrivileges)
#include "test_privileges.moc"
