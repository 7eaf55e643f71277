#include "workbench/OwnerNumberStatements.h"

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
        QCOMPARE(clearOwnerNumberStatement(QString()), QStringLiteral("Update 业主表 Set 业主编号 = Null Where ZH_ID = 0"));
    }
};

QTEST_GUILESS_MAIN(StatementsTest)
#include "test_statements.moc"
