#include "app/StartupArgument.h"

#include <QtTest>

class StartupArgumentTest : public QObject
{
    Q_OBJECT
private slots:
    void split_data()
    {
        QTest::addColumn<QString>("argument");
        QTest::addColumn<QStringList>("identity");
        QTest::addColumn<QString>("connection");
        const QStringList ten{"U01", "张三", "", "物业部", "P1", "管理员", "6", "7", "8", "9"};
        QTest::newRow("full") << QStringLiteral(
                                     "U01{}张三{}{}物业部{}P1{}管理员{}6{}7{}8{}9【】Provider=SQLite;Data Source=a")
                              << ten << QStringLiteral("Provider=SQLite;Data Source=a");
        QTest::newRow("more than ten fields")
            << QStringLiteral("U01{}张三{}{}物业部{}P1{}管理员{}6{}7{}8{}9{}10{}11【】c") << ten << QStringLiteral("c");
        QTest::newRow("parts after the second ignored")
            << QStringLiteral("a【】conn【】more【】x") << QStringList{"a", "", "", "", "", "", "", "", "", ""}
            << QStringLiteral("conn");
        QTest::newRow("no separator: connection empty")
            << QStringLiteral("U01{}张三") << QStringList{"U01", "张三", "", "", "", "", "", "", "", ""} << QString();
        QTest::newRow("lone halves stay in fields")
            << QStringLiteral("a【b{c}d】{}e}{【】x【")
            << QStringList{"a【b{c}d】", "e}{", "", "", "", "", "", "", "", ""} << QStringLiteral("x【");
        QTest::newRow("no trimming") << QStringLiteral(" a {} b 【】 c ")
                                     << QStringList{" a ", " b ", "", "", "", "", "", "", "", ""}
                                     << QStringLiteral(" c ");
        QTest::newRow("only separator") << QStringLiteral("【】") << QStringList(10, QString()) << QString();
    }

    void split()
    {
        QFETCH(QString, argument);
        QFETCH(QStringList, identity);
        QFETCH(QString, connection);
        const StartupArgument parsed = splitStartupArgument(argument);
        QCOMPARE(QStringList(parsed.identity.begin(), parsed.identity.end()), identity);
        QCOMPARE(parsed.connection, connection);
    }

    void argumentsJoinedWithBlanks()
    {
        QCOMPARE(joinProgramArguments({"prog"}), QString());
        QCOMPARE(joinProgramArguments({"prog", "a{}b【】Provider=SQLite;Data Source=/x y.db"}),
                 QStringLiteral("a{}b【】Provider=SQLite;Data Source=/x y.db"));
        QCOMPARE(joinProgramArguments({"prog", "a{}b【】Provider=SQLite;Data", "Source=/x"}),
                 QStringLiteral("a{}b【】Provider=SQLite;Data Source=/x"));
    }
};

QTEST_GUILESS_MAIN(StartupArgumentTest)
#include "test_startup_argument.moc"
