// The ODBC path SQL Server uses, exercised for real: through unixODBC with the SQLite ODBC
// driver for the connection layer's own operations, and FreeTDS for its failures.
#include "DemoData.h"
#include "core/Database.h"
#include "support/Fixtures.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QtTest>

class OdbcBackendTest : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    QString m_file;
    QString odbcString() const
    {
        // A SQL Server provider with another ODBC driver picked by the Driver key.
        return QStringLiteral("Provider=SQLOLEDB;Driver=SQLite3;Initial Catalog=") + m_file;
    }

private slots:
    void initTestCase()
    {
        m_file = m_dir.filePath(QStringLiteral("odbc.sqlite"));
        DemoData::createEmptyDatabase(m_file);
    }

    void readsWritesChineseAndNulls()
    {
        Connection conn;
        conn.open(odbcString());
        QVERIFY(conn.isOpen());
        conn.execute(QStringLiteral(
            "Insert Into 楼表 (L_ID, 管理处, 地址1, 字1, 地址2) Values (1, '14', '澄岭花园', '', NULL)"));
        conn.execute(QStringLiteral("Insert Into 楼表 (L_ID, 管理处, 地址1) Values (2, '14', '雅苑''东区')"));
        Recordset rs = conn.openRecordset(QStringLiteral("Select L_ID, 地址1, 字1, 地址2 From 楼表 Order By L_ID"));
        QVERIFY(!rs.eof());
        QCOMPARE(rs.field(QStringLiteral("l_id")).toInt(), 1);
        QCOMPARE(rs.field(QStringLiteral("地址1")).toString(), QStringLiteral("澄岭花园"));
        QVERIFY(!rs.field(QStringLiteral("字1")).isNull());
        QCOMPARE(rs.field(QStringLiteral("字1")).toString(), QString());
        QVERIFY(rs.field(QStringLiteral("地址2")).isNull());
        rs.moveNext();
        QCOMPARE(rs.field(QStringLiteral("地址1")).toString(), QStringLiteral("雅苑'东区"));
        rs.moveNext();
        QVERIFY(rs.eof());
    }

    void keysetRowInsertsThenUpdates()
    {
        Connection conn;
        conn.open(odbcString());
        KeysetRow row =
            conn.openKeysetRow(QStringLiteral("SystemSetup"), QStringLiteral("Code"), QStringLiteral("银行扣款方式"));
        QVERIFY(row.eof());
        row.addNew();
        row.setField(QStringLiteral("Code"), QStringLiteral("银行扣款方式"));
        row.setField(QStringLiteral("Value"), QStringLiteral("按年,7"));
        row.update();
        KeysetRow again =
            conn.openKeysetRow(QStringLiteral("SystemSetup"), QStringLiteral("Code"), QStringLiteral("银行扣款方式"));
        QVERIFY(!again.eof());
        again.setField(QStringLiteral("Value"), QStringLiteral("按月"));
        again.update();
        Recordset rs = conn.openRecordset(QStringLiteral("Select Count(*) As n, Max(Value) As v From SystemSetup"));
        QCOMPARE(rs.field(QStringLiteral("n")).toInt(), 1);
        QCOMPARE(rs.field(QStringLiteral("v")).toString(), QStringLiteral("按月"));
    }

    void missingFileIsNotCreated()
    {
        const QString missing = m_dir.filePath(QStringLiteral("missing.sqlite"));
        Connection conn;
        QCOMPARE(errorNumber(
                     [&] { conn.open(QStringLiteral("Provider=SQLOLEDB;Driver=SQLite3;Initial Catalog=") + missing); }),
                 -2147467259L);
        QVERIFY(!QFileInfo::exists(missing));
    }

    void statementErrorsCarryTheDriverText()
    {
        Connection conn;
        conn.open(odbcString());
        try {
            conn.execute(QStringLiteral("Update 不存在的表 Set a = 1"));
            QFAIL("no error");
        } catch (const RuntimeError& e) {
            QVERIFY2(e.description().contains(QStringLiteral("不存在的表")), qPrintable(e.description()));
        }
    }

    void freeTdsClosedPortFailsFast()
    {
        // Take a free port and close it again, so nothing listens there.
        QTcpServer server;
        QVERIFY(server.listen(QHostAddress::LocalHost));
        const quint16 port = server.serverPort();
        server.close();
        Connection conn;
        QElapsedTimer timer;
        timer.start();
        try {
            conn.open(QStringLiteral(
                          "Provider=SQLOLEDB.1;Password=x;User ID=sa;Initial Catalog='wy';Data Source='127.0.0.1,%1'")
                          .arg(port));
            QFAIL("opened a closed port");
        } catch (const RuntimeError& e) {
            QVERIFY2(e.description().contains(QStringLiteral("Unable to connect")) ||
                         e.description().contains(QStringLiteral("unavailable")),
                     qPrintable(e.description()));
            QCOMPARE(e.number(), 20009L);
        }
        QVERIFY(!conn.isOpen());
        QVERIFY(timer.elapsed() < 30000);
    }

    void freeTdsUnknownHost()
    {
        Connection conn;
        try {
            conn.open(QStringLiteral("Provider=SQLOLEDB.1;User ID=sa;Password=;Data Source=no-such-host.invalid"));
            QFAIL("opened an unknown host");
        } catch (const RuntimeError& e) {
            QCOMPARE(e.number(), 20013L);
            QVERIFY2(e.description().contains(QStringLiteral("Unknown host")), qPrintable(e.description()));
        }
    }
};

QTEST_GUILESS_MAIN(OdbcBackendTest)
#include "test_odbc_backend.moc"
