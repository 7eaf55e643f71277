#include "core/Database.h"
#include "support/Fixtures.h"

#include <QFileInfo>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QtTest>
#include <thread>

class SqliteBackendTest : public QObject
{
    Q_OBJECT
private slots:
    void chineseNullsAndForwardReading()
    {
        FixtureDatabase db;
        Connection conn;
        conn.open(db.connectionString());
        QCOMPARE(conn.dialect(), SqlDialect::SQLite);
        conn.execute(QStringLiteral(
            "Insert Into 业主表 (ZH_ID, S_ID, 姓名, 说明, 业主编号) Values (1, 7, '张三''丰', '新进户', NULL)"));
        conn.execute(
            QStringLiteral("Insert Into 业主表 (ZH_ID, S_ID, 姓名, 说明, 业主编号) Values (2, 7, '', '迁出', '14A')"));
        Recordset rs = conn.openRecordset(QStringLiteral("Select ZH_ID, 姓名, 业主编号 From 业主表 Order By ZH_ID"));
        QCOMPARE(rs.field(QStringLiteral("姓名")).toString(), QStringLiteral("张三'丰"));
        QVERIFY(rs.field(QStringLiteral("业主编号")).isNull());
        QCOMPARE(rs.field(QStringLiteral("zh_id")).toInt(), 1); // names are case-insensitive
        rs.moveNext();
        QVERIFY(!rs.field(QStringLiteral("姓名")).isNull());
        QCOMPARE(rs.field(QStringLiteral("姓名")).toString(), QString());
        rs.moveNext();
        QVERIFY(rs.eof());
        QVERIFY_THROWS_EXCEPTION(RuntimeError, rs.moveNext());
    }

    void unknownFieldIsError3265()
    {
        FixtureDatabase db;
        Connection conn;
        conn.open(db.connectionString());
        Recordset rs = conn.openRecordset(QStringLiteral("Select 1 As a"));
        try {
            rs.field(QStringLiteral("b"));
            QFAIL("no error");
        } catch (const RuntimeError& e) {
            QCOMPARE(e.number(), 3265L);
        }
    }

    void lenHasTSqlMeaning_data()
    {
        QTest::addColumn<QString>("expr");
        QTest::addColumn<QString>("result");
        QTest::newRow("ascii") << QStringLiteral("'12'") << QStringLiteral("2");
        QTest::newRow("chinese") << QStringLiteral("'澄岭花园'") << QStringLiteral("4");
        QTest::newRow("trailing blanks ignored") << QStringLiteral("'ab  '") << QStringLiteral("2");
        QTest::newRow("leading blanks count") << QStringLiteral("'  ab'") << QStringLiteral("4");
        QTest::newRow("null") << QStringLiteral("NULL") << QStringLiteral("<NULL>");
        QTest::newRow("number") << QStringLiteral("1234") << QStringLiteral("4");
    }

    void lenHasTSqlMeaning()
    {
        QFETCH(QString, expr);
        QFETCH(QString, result);
        FixtureDatabase db;
        Connection conn;
        conn.open(db.connectionString());
        Recordset rs = conn.openRecordset(QStringLiteral("Select len(%1) As n").arg(expr));
        const QVariant v = rs.field(QStringLiteral("n"));
        QCOMPARE(v.isNull() ? QStringLiteral("<NULL>") : v.toString(), result);
    }

    void naturalOrderWithLen()
    {
        FixtureDatabase db;
        int id = 0;
        for (const char* a : {"10", "2", "1", "B", "12"})
            db.exec(QStringLiteral("Insert Into 楼表 (L_ID, 管理处, 地址2) Values (%1, '14', '%2')").arg(++id).arg(a));
        Connection conn;
        conn.open(db.connectionString());
        Recordset rs = conn.openRecordset(QStringLiteral("Select 地址2 From 楼表 Order By len(地址2),地址2"));
        QStringList order;
        for (; !rs.eof(); rs.moveNext())
            order << rs.field(QStringLiteral("地址2")).toString();
        QCOMPARE(order, (QStringList{"1", "2", "B", "10", "12"}));
    }

    void keysetRowAddsThenUpdatesEveryMatchingRow()
    {
        FixtureDatabase db;
        Connection conn;
        conn.open(db.connectionString());
        KeysetRow row =
            conn.openKeysetRow(QStringLiteral("SystemSetup"), QStringLiteral("Code"), QStringLiteral("银行扣款方式"));
        QVERIFY(row.eof());
        row.addNew();
        row.setField(QStringLiteral("Code"), QStringLiteral("银行扣款方式"));
        row.setField(QStringLiteral("Value"), QStringLiteral("按季,1,4,7,10"));
        row.update();
        QCOMPARE(db.scalar(QStringLiteral("Select Value From SystemSetup")), QStringLiteral("按季,1,4,7,10"));
        db.exec(QStringLiteral("Insert Into SystemSetup (Code, Value) Values ('银行扣款方式', 'x')"));
        KeysetRow again =
            conn.openKeysetRow(QStringLiteral("SystemSetup"), QStringLiteral("Code"), QStringLiteral("银行扣款方式"));
        QVERIFY(!again.eof());
        again.setField(QStringLiteral("Value"), QStringLiteral("it's"));
        again.update();
        QCOMPARE(db.scalar(QStringLiteral("Select count(*) From SystemSetup Where Value = 'it''s'")),
                 QStringLiteral("2"));
        // Deleted by another user between the read and the update: what was saved is stored.
        KeysetRow gone =
            conn.openKeysetRow(QStringLiteral("SystemSetup"), QStringLiteral("Code"), QStringLiteral("银行扣款方式"));
        db.exec(QStringLiteral("Delete From SystemSetup"));
        gone.setField(QStringLiteral("Value"), QStringLiteral("按月"));
        gone.update();
        QCOMPARE(db.rows(QStringLiteral("Select Code, Value From SystemSetup")),
                 (QList<QStringList>{{QStringLiteral("银行扣款方式"), QStringLiteral("按月")}}));
    }

    void missingFileIsNeverCreated()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("absent.sqlite"));
        Connection conn;
        try {
            conn.open(QStringLiteral("Provider=SQLite;Data Source=") + path);
            QFAIL("opened a missing file");
        } catch (const RuntimeError& e) {
            QVERIFY(e.description().contains(path));
        }
        QVERIFY(!QFileInfo::exists(path));
        QVERIFY(!conn.isOpen());
    }

    void notADatabaseFails()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("text.sqlite"));
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(4096, 'x'));
        f.close();
        Connection conn;
        QVERIFY_THROWS_EXCEPTION(RuntimeError, conn.open(QStringLiteral("Provider=SQLite;Data Source=") + path));
        QVERIFY(!conn.isOpen());
    }

    void providersRefused_data()
    {
        QTest::addColumn<QString>("connection");
        QTest::addColumn<long>("number");
        QTest::newRow("unknown provider")
            << QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=x.mdb") << 3706L;
        QTest::newRow("no provider") << QStringLiteral("Data Source=x") << 3706L;
        QTest::newRow("bad syntax") << QStringLiteral("Provider='SQLite") << -2147217805L;
    }

    void providersRefused()
    {
        QFETCH(QString, connection);
        QFETCH(long, number);
        Connection conn;
        try {
            conn.open(connection);
            QFAIL("opened");
        } catch (const RuntimeError& e) {
            QCOMPARE(e.number(), number);
            QVERIFY(!e.description().isEmpty());
        }
    }

    void unopenedConnectionFailsCleanly()
    {
        Connection conn;
        QVERIFY_THROWS_EXCEPTION(RuntimeError, conn.execute(QStringLiteral("Select 1")));
        QVERIFY_THROWS_EXCEPTION(RuntimeError, conn.openRecordset(QStringLiteral("Select 1")));
    }

    // The panel's 取消 from the window's thread: a read that would never end stops, later
    // statements are refused until the next command clears it, and the connection goes on.
    void interruptStopsTheReadInFlight()
    {
        FixtureDatabase db;
        Connection conn;
        conn.open(db.connectionString());
        std::thread canceller([&conn] {
            QThread::msleep(50);
            conn.interrupt();
        });
        QVERIFY_THROWS_EXCEPTION(RuntimeError, conn.openRecordset(QStringLiteral(
                                                   "With Recursive n(i) As (Select 1 Union All Select i + 1 From n) "
                                                   "Select count(*) From n")));
        canceller.join();
        QVERIFY_THROWS_EXCEPTION(RuntimeError, conn.execute(QStringLiteral("Select 1")));
        conn.clearInterrupt();
        QCOMPARE(conn.openRecordset(QStringLiteral("Select 7 As n")).field(QStringLiteral("n")).toInt(), 7);
    }

    void lockedDatabaseReportsTheDriverText()
    {
        FixtureDatabase db;
        Connection conn;
        conn.open(db.connectionString());
        conn.execute(QStringLiteral("PRAGMA busy_timeout=0"));
        {
            QSqlDatabase other = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("locker"));
            other.setDatabaseName(db.path());
            QVERIFY(other.open());
            QSqlQuery q(other);
            QVERIFY(q.exec(QStringLiteral("BEGIN EXCLUSIVE")));
            try {
                conn.execute(QStringLiteral("Update 业主表 Set 业主编号 = 'x' Where ZH_ID = 1"));
                QFAIL("wrote through an exclusive lock");
            } catch (const RuntimeError& e) {
                // Apart from the program's own numbers (5 is its own), explained, the driver's text kept.
                QCOMPARE(e.number(), 100005L);
                QVERIFY2(e.description().contains(QStringLiteral("锁定")), qPrintable(e.description()));
                QVERIFY2(e.description().contains(QStringLiteral("locked")), qPrintable(e.description()));
            }
            q.exec(QStringLiteral("ROLLBACK"));
            other.close();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("locker"));
    }

    // Another program on the same file between two saves (a reader, and a writer that takes the
    // write lock and closes): both saves must be in the file as any other program sees it, even
    // though the program itself ends without closing its connection.
    void anotherProcessBetweenSavesLosesNothing_data()
    {
        QTest::addColumn<QString>("other");
        QTest::newRow("reader") << QStringLiteral("c.execute('select count(*) from 业主表').fetchall()");
        QTest::newRow("writer under a lock")
            << QStringLiteral("c.execute('begin immediate'); c.execute(\"update SystemSetup set Value = 'x'\"); "
                              "c.execute('commit')");
    }

    void anotherProcessBetweenSavesLosesNothing()
    {
        QFETCH(QString, other);
        FixtureDatabase db;
        db.exec(QStringLiteral("Insert Into 业主表 (ZH_ID, S_ID, 说明) Values (1, 1, '新进户'), (2, 1, '新进户')"));
        db.exec(QStringLiteral("Insert Into SystemSetup (Code, Value) Values ('c', 'v')"));
        const auto python = [&db](const QString& code) {
            QProcess p;
            p.start(QStringLiteral("/usr/bin/python3"),
                    {QStringLiteral("-c"),
                     QStringLiteral("import sqlite3, sys\nc = sqlite3.connect(sys.argv[1])\n") + code +
                         QStringLiteral("\nc.close()"),
                     db.path()});
            p.waitForFinished();
            return QString::fromUtf8(p.readAllStandardOutput()).trimmed() +
                   QString::fromUtf8(p.readAllStandardError()).trimmed();
        };
        auto conn = std::make_unique<Connection>();
        conn->open(db.connectionString());
        conn->executeInOrder({QStringLiteral("Update 业主表 Set 业主编号 = '14A0010101A' Where ZH_ID =1")});
        QCOMPARE(python(other), QString());
        conn->executeInOrder({QStringLiteral("Update 业主表 Set 业主编号 = '15A0010101A' Where ZH_ID =2")});
        const QString stored =
            QStringLiteral("print(c.execute('select group_concat(业主编号) from 业主表').fetchone()[0])");
        QCOMPARE(python(stored), QStringLiteral("14A0010101A,15A0010101A"));
        conn.release(); // the program ends without closing its connection
    }

    void literalHelpers()
    {
        QCOMPARE(sqlEscape(QStringLiteral("a'b''c")), QStringLiteral("a''b''''c"));
        QCOMPARE(sqlNumber(QStringLiteral(" 42 ")), QStringLiteral("42"));
        QCOMPARE(sqlNumber(QStringLiteral("-7")), QStringLiteral("-7"));
        for (const char* bad : {"", "1,2", "1 or 1=1", "0x10", "1.5", "１２"}) {
            try {
                sqlNumber(QString::fromUtf8(bad));
                QFAIL(bad);
            } catch (const RuntimeError& e) {
                QCOMPARE(e.number(), 13L);
            }
        }
    }
};

QTEST_GUILESS_MAIN(SqliteBackendTest)
#include "test_sqlite_backend.moc"
