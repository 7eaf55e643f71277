// The error box's number and text for database failures: a Chinese explanation of the common
// ones, the driver's text after it, and numbers that never read as the program's own.
#include "core/DatabaseErrors.h"

#include <QtTest>

class DatabaseErrorsTest : public QObject
{
    Q_OBJECT
private slots:
    void explainedAndNumbered_data()
    {
        QTest::addColumn<bool>("sqlite");
        QTest::addColumn<long>("code"); // SQLite's result code, or the native number
        QTest::addColumn<QString>("sqlState");
        QTest::addColumn<QString>("driverText");
        QTest::addColumn<long>("number");
        QTest::addColumn<QString>("explanation"); // part of the first line

        // SQLite: its small codes would read as ours (5 invalid call, 8, 13 type mismatch).
        QTest::newRow("sqlite busy") << true << 5L << ""
                                     << "database is locked" << 100005L << "已锁定";
        QTest::newRow("sqlite busy, extended") << true << 517L << ""
                                               << "database is locked" << 100517L << "已锁定";
        QTest::newRow("sqlite read-only") << true << 8L << ""
                                          << "attempt to write a readonly database" << 100008L << "只读";
        QTest::newRow("sqlite file moved") << true << 1032L << ""
                                           << "attempt to write a readonly database" << 101032L << "已被移走";
        QTest::newRow("sqlite folder read-only") << true << 1544L << ""
                                                 << "readonly directory" << 101544L << "文件夹";
        QTest::newRow("sqlite damaged") << true << 11L << ""
                                        << "database disk image is malformed" << 100011L << "已损坏";
        QTest::newRow("sqlite not a database") << true << 26L << ""
                                               << "file is not a database" << 100026L << "已损坏";
        QTest::newRow("sqlite disk full") << true << 13L << ""
                                          << "database or disk is full" << 100013L << "磁盘已满";
        QTest::newRow("sqlite file gone") << true << 14L << ""
                                          << "unable to open database file" << 100014L << "文件不存在";
        QTest::newRow("sqlite write failed") << true << 778L << ""
                                             << "disk I/O error" << 100778L << "读写数据库文件";
        QTest::newRow("sqlite unique") << true << 2067L << ""
                                       << "UNIQUE constraint failed" << 102067L << "违反唯一";
        QTest::newRow("sqlite trigger") << true << 1811L << ""
                                        << "业主编号不允许修改" << 101811L << "触发器";
        QTest::newRow("sqlite other") << true << 1L << ""
                                      << "no such table: 业主表" << 100001L << "数据库操作失败";

        // SQL Server through FreeTDS: the native number as its administrators know it.
        QTest::newRow("deadlock") << false << 1205L << "40001"
                                  << "Transaction (Process ID 52) was deadlocked" << 1205L << "死锁";
        QTest::newRow("lock time-out") << false << 1222L << "HY000"
                                       << "Lock request time out period exceeded." << 1222L << "锁定";
        QTest::newRow("login failed") << false << 18456L << "28000"
                                      << "Login failed for user 'sa'." << 18456L << "登录数据库服务器失败";
        QTest::newRow("database cannot open") << false << 4060L << "42000"
                                              << "Cannot open database \"wuye\"" << 4060L << "无法打开指定的数据库";
        QTest::newRow("server unreachable")
            << false << 20009L << "08001"
            << "Unable to connect: Adaptive Server is unavailable" << 20009L << "无法连接到数据库服务器";
        QTest::newRow("unknown host") << false << 20013L << "08001"
                                      << "Unknown host machine name." << 20013L << "找不到数据库服务器";
        QTest::newRow("rejected by the server, by state only")
            << false << 0L << "08004"
            << "Server rejected the connection" << 0L << "无法连接到数据库服务器";
        QTest::newRow("link failure") << false << 0L << "08S01"
                                      << "Communication link failure" << 0L << "连接已中断";
        QTest::newRow("link failure, lower case") << false << 0L << "08s02"
                                                  << "Connection reset" << 0L << "连接已中断";
        QTest::newRow("read from server failed") << false << 20004L << "08S01"
                                                 << "Read from the server failed" << 20004L << "连接已中断";
        // FreeTDS reports a link closed in the middle of an answer with a general state.
        QTest::newRow("unexpected end of the answer") << false << 20017L << "HY000"
                                                      << "Unexpected EOF from the server" << 20017L << "连接已中断";
        QTest::newRow("duplicate key") << false << 2627L << "23000"
                                       << "Violation of PRIMARY KEY constraint" << 2627L << "重复";
        QTest::newRow("duplicate index") << false << 2601L << "23000"
                                         << "Cannot insert duplicate key row" << 2601L << "重复";
        QTest::newRow("reference") << false << 547L << "23000"
                                   << "The UPDATE statement conflicted" << 547L << "引用或检查约束";
        QTest::newRow("null") << false << 515L << "23000"
                              << "Cannot insert the value NULL" << 515L << "不能为空";
        QTest::newRow("log full") << false << 9002L << "42000"
                                  << "The transaction log for database is full" << 9002L << "空间已满";
        QTest::newRow("deadlock by state only") << false << 0L << "40001"
                                                << "deadlock" << 0L << "死锁";
        QTest::newRow("time-out by state") << false << 0L << "HYT00"
                                           << "Timeout expired" << 0L << "超时";
        QTest::newRow("unknown number, known state")
            << false << 3960L << "40001"
            << "Snapshot isolation transaction aborted due to update conflict" << 3960L << "冲突";
        QTest::newRow("unknown") << false << 50000L << "42000"
                                 << "raised by a trigger" << 50000L << "数据库操作失败";
        // Natives that are numbers of ours move to their own range.
        QTest::newRow("backup message 3021")
            << false << 3021L << "42000"
            << "Cannot perform a backup or restore operation" << 203021L << "数据库操作失败";
        QTest::newRow("odbc driver's 13") << false << 13L << "HY000"
                                          << "database or disk is full" << 200013L << "数据库操作失败";
        QTest::newRow("negative native") << false << -1L << "HY000"
                                         << "general error" << 0L << "数据库操作失败";
    }

    void explainedAndNumbered()
    {
        QFETCH(bool, sqlite);
        QFETCH(long, code);
        QFETCH(QString, sqlState);
        QFETCH(QString, driverText);
        QFETCH(long, number);
        QFETCH(QString, explanation);
        const DatabaseErrorText e =
            sqlite ? sqliteErrorText(int(code), driverText) : odbcErrorText(code, sqlState, driverText);
        QCOMPARE(e.number, number);
        const QStringList lines = e.description.split(QStringLiteral("\r\n"));
        QCOMPARE(lines.size(), 2);
        QVERIFY2(lines[0].contains(explanation), qPrintable(lines[0]));
        QCOMPARE(lines[1], QStringLiteral("详细信息：") + driverText);
    }

    void driverTextTrimmedOrLeftOut()
    {
        QCOMPARE(
            sqliteErrorText(5, QStringLiteral("  database is locked\n")).description,
            QStringLiteral("数据库正被其他程序或用户占用（已锁定），请稍后重试。\r\n详细信息：database is locked"));
        QCOMPARE(odbcErrorText(1205, QStringLiteral("40001"), QString()).description,
                 QStringLiteral("与其他用户的操作发生冲突（死锁），本次操作已被数据库撤销：请重试。"));
    }
};

QTEST_GUILESS_MAIN(DatabaseErrorsTest)
#include "test_database_errors.moc"
