#include "startup/StartupArgument.h"

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

    // QApplication is handed only the leading Qt options; the launcher's argument is the rest,
    // even when it starts like one of Qt's options.
    void qtOptionsAndTheLauncherArgument_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("qtOptions");
        QTest::addColumn<QString>("launcher");
        const QString demo =
            QStringLiteral("demo{}演示操作员{}{}物业部【】Provider=SQLite;Data Source=\"C:\\数据 文件\\a.db\"");
        QTest::newRow("separate option before it, as the Windows tests pass it")
            << QStringList{"prog", "-platform", "offscreen", demo} << 2 << demo;
        QTest::newRow("options alone and with =")
            << QStringList{"prog", "--style=fusion", "-reverse", "a{}b【】c"} << 2 << QStringLiteral("a{}b【】c");
        QTest::newRow("argument starting with -style=")
            << QStringList{"prog", "-style=x{}张三【】Provider=SQLite;Data Source=a"} << 0
            << QStringLiteral("-style=x{}张三【】Provider=SQLite;Data Source=a");
        QTest::newRow("argument starting with -platform, split at a blank")
            << QStringList{"prog", "-platform", "x{}张三【】c"} << 0 << QStringLiteral("-platform x{}张三【】c");
        QTest::newRow("Qt options inside the argument stay in it")
            << QStringList{"prog", "a{}b【】Provider=SQLite;Data", "-platform", "x", "-reverse"} << 0
            << QStringLiteral("a{}b【】Provider=SQLite;Data -platform x -reverse");
        QTest::newRow("not one of Qt's options") << QStringList{"prog", "-x", "a{}b"} << 0 << QStringLiteral("-x a{}b");
        QTest::newRow("only Qt's options") << QStringList{"prog", "-platform", "offscreen"} << 2 << QString();
        QTest::newRow("nothing") << QStringList{"prog"} << 0 << QString();
    }

    void qtOptionsAndTheLauncherArgument()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, qtOptions);
        QFETCH(QString, launcher);
        QCOMPARE(qtOptionCount(arguments), qtOptions);
        QCOMPARE(launcherArgument(arguments), launcher);
    }
};

QTEST_GUILESS_MAIN(StartupArgumentTest)
#include "test_startup_argument.moc"
