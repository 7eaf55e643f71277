#include "core/ConnectionString_p.h"
#include "core/Database.h"
#include "core/OdbcConnectionString.h"
#include "core/OdbcConnectionString_p.h"

#include <QtTest>

using Pairs = QList<QPair<QString, QString>>;
Q_DECLARE_METATYPE(Pairs)

namespace {
// These rows are FreeTDS's, the driver Linux uses when the string names none. Windows picks an
// installed SQL Server driver instead (test_windows_platform), so there they name FreeTDS; a
// Driver key of the row's own comes later and wins.
void forFreeTds(QString& connection)
{
#ifdef _WIN32
    connection.prepend(QStringLiteral("Driver=FreeTDS;"));
#else
    Q_UNUSED(connection);
#endif
}
} // namespace

class ConnectionStringTest : public QObject
{
    Q_OBJECT
private slots:
    void grammar_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<Pairs>("pairs");
        auto p = [](std::initializer_list<QPair<QString, QString>> l) { return Pairs(l); };
        QTest::newRow("template") << QStringLiteral(
                                         "Provider=SQLOLEDB.1;Password=pw;Persist Security Info=False;User ID=sa;"
                                         "Initial Catalog='物业';Data Source='SRV\\SQLEXPRESS'")
                                  << true
                                  << p({{"provider", "SQLOLEDB.1"},
                                        {"password", "pw"},
                                        {"persist security info", "False"},
                                        {"user id", "sa"},
                                        {"initial catalog", "物业"},
                                        {"data source", "SRV\\SQLEXPRESS"}});
        QTest::newRow("synonyms") << QStringLiteral(
                                         "server=a;Database=b;UID=c;pwd=d;Trusted_Connection=yes;Connection Timeout=5")
                                  << true
                                  << p({{"data source", "a"},
                                        {"initial catalog", "b"},
                                        {"user id", "c"},
                                        {"password", "d"},
                                        {"integrated security", "yes"},
                                        {"connect timeout", "5"}});
        QTest::newRow("address synonyms")
            << QStringLiteral("Addr=x;Network Address=y") << true << p({{"data source", "y"}});
        QTest::newRow("blanks trimmed") << QStringLiteral("  User ID  =  sa  ;  Password =  a b  ") << true
                                        << p({{"user id", "sa"}, {"password", "a b"}});
        QTest::newRow("double quoted with ; and doubled quote")
            << QStringLiteral("Password=\"a;b\"\"c\";User ID=x") << true
            << p({{"password", "a;b\"c"}, {"user id", "x"}});
        QTest::newRow("single quoted keeps outer blanks")
            << QStringLiteral("Password=' p ';") << true << p({{"password", " p "}});
        QTest::newRow("single quoted with doubled quote")
            << QStringLiteral("Initial Catalog='O''Brien'") << true << p({{"initial catalog", "O'Brien"}});
        QTest::newRow("== in key") << QStringLiteral("a==b=c") << true << p({{"a=b", "c"}});
        QTest::newRow("last wins") << QStringLiteral("User ID=a;UID=b") << true << p({{"user id", "b"}});
        QTest::newRow("first provider wins")
            << QStringLiteral("Provider=SQLite;Provider=SQLOLEDB") << true << p({{"provider", "SQLite"}});
        QTest::newRow("empty segments") << QStringLiteral(";;Provider=SQLite;;") << true << p({{"provider", "SQLite"}});
        QTest::newRow("empty") << QString() << true << Pairs();
        QTest::newRow("empty value") << QStringLiteral("Password=;User ID=") << true
                                     << p({{"password", ""}, {"user id", ""}});
        QTest::newRow("no equals") << QStringLiteral("Provider") << false << Pairs();
        QTest::newRow("unclosed quote") << QStringLiteral("Password='abc") << false << Pairs();
        QTest::newRow("junk after quote") << QStringLiteral("Password='a'b;") << false << Pairs();
        QTest::newRow("empty key") << QStringLiteral("=x") << false << Pairs();
    }

    void grammar()
    {
        QFETCH(QString, text);
        QFETCH(bool, ok);
        QFETCH(Pairs, pairs);
        const ConnectionStringParse parsed = parseConnectionString(text);
        QCOMPARE(parsed.ok, ok);
        if (ok)
            QCOMPARE(parsed.settings.pairs, pairs);
        else
            QVERIFY(parsed.error.startsWith(QStringLiteral("连接字符串格式错误：")));
    }

    // A value from the settings store must come back unchanged whatever it holds.
    void quotedValuesRoundTrip_data()
    {
        QTest::addColumn<QString>("value");
        for (const char* v : {"plain", "a;b", "O'Brien", "say \"hi\"", " lead", "trail ", "both'\";", "",
                              "HOST\\SQLEXPRESS", "a=b", "密码;x"})
            QTest::newRow(v) << QString::fromUtf8(v);
        // Bare, these would lose their first character to the key ("==") or their blanks to trimming.
        QTest::newRow("leading =") << QStringLiteral("=x");
        QTest::newRow("only =") << QStringLiteral("=");
        QTest::newRow("ideographic blank first") << QStringLiteral("\u3000密码");
        QTest::newRow("no-break blank last") << QStringLiteral("pw\u00a0");
        QTest::newRow("vertical tab first") << QStringLiteral("\vpw");
    }

    void quotedValuesRoundTrip()
    {
        QFETCH(QString, value);
        const QString text = QStringLiteral("Password=") + connectionStringValue(value) +
                             QStringLiteral(";Initial Catalog=") + connectionStringSingleQuoted(value) +
                             QStringLiteral(";Data Source='x'");
        const ConnectionStringParse parsed = parseConnectionString(text);
        QVERIFY2(parsed.ok, qPrintable(parsed.error));
        QCOMPARE(parsed.settings.value(QStringLiteral("password")), value);
        QCOMPARE(parsed.settings.value(QStringLiteral("initial catalog")), value);
        QCOMPARE(parsed.settings.pairs.size(), 3); // nothing injected
    }

    // What parses, written back, parses to the same pairs.
    void formatRoundTrip_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("template") << QStringLiteral("Provider=SQLOLEDB.1;Password=pw;User ID=sa;Initial Catalog='物业';"
                                                    "Data Source='SRV\\SQLEXPRESS'");
        QTest::newRow("quoted leading =") << QStringLiteral("Password='=x';User ID=\"==\"");
        QTest::newRow("quoted Unicode blanks") << QStringLiteral("Password='\u3000a\u00a0';Initial Catalog=\"\u2028\"");
        QTest::newRow("== in key, = in value") << QStringLiteral("a====b=c=d");
        QTest::newRow("quotes inside") << QStringLiteral("Password=\"a;b\"\"c'\"");
    }

    void formatRoundTrip()
    {
        QFETCH(QString, text);
        const ConnectionStringParse parsed = parseConnectionString(text);
        QVERIFY2(parsed.ok, qPrintable(parsed.error));
        const QString written = formatConnectionString(parsed.settings);
        const ConnectionStringParse again = parseConnectionString(written);
        QVERIFY2(again.ok, qPrintable(written + u' ' + again.error));
        QCOMPARE(again.settings.pairs, parsed.settings.pairs);
    }

    void sqlServerDriverPreference_data()
    {
        QTest::addColumn<QStringList>("installed");
        QTest::addColumn<QString>("chosen");
        QTest::newRow("none") << QStringList{QStringLiteral("FreeTDS"), QStringLiteral("SQLite3")} << QString();
        QTest::newRow("every Windows") << QStringList{QStringLiteral("Microsoft Access Driver (*.mdb)"),
                                                      QStringLiteral("SQL Server")}
                                       << QStringLiteral("SQL Server");
        QTest::newRow("17 before the old one")
            << QStringList{QStringLiteral("SQL Server"), QStringLiteral("ODBC Driver 17 for SQL Server")}
            << QStringLiteral("ODBC Driver 17 for SQL Server");
        QTest::newRow("18 first") << QStringList{QStringLiteral("ODBC Driver 17 for SQL Server"),
                                                 QStringLiteral("SQL Server"),
                                                 QStringLiteral("ODBC Driver 18 for SQL Server")}
                                  << QStringLiteral("ODBC Driver 18 for SQL Server");
        QTest::newRow("name as installed") << QStringList{QStringLiteral("sql server")} << QStringLiteral("sql server");
        QTest::newRow("not a prefix") << QStringList{QStringLiteral("SQL Server Native Client 11.0")} << QString();
    }

    void sqlServerDriverPreference()
    {
        QFETCH(QStringList, installed);
        QFETCH(QString, chosen);
        QCOMPARE(preferredSqlServerDriver(installed), chosen);
    }

    void odbcString_data()
    {
        QTest::addColumn<QString>("connection");
        QTest::addColumn<QString>("odbc");
        const QString tail = QStringLiteral("TDS_Version=7.4;ClientCharset=UTF-8;");
        QTest::newRow("template")
            << QStringLiteral("Provider=SQLOLEDB.1;Password=pw;User ID=sa;Initial Catalog='物业';Data Source='db1'")
            << QStringLiteral("DRIVER=FreeTDS;SERVER=db1;DATABASE=物业;UID=sa;PWD=pw;") + tail;
        QTest::newRow("instance") << QStringLiteral("Provider=SQLOLEDB;Data Source=HOST\\SQLEXPRESS;User ID=sa")
                                  << QStringLiteral("DRIVER=FreeTDS;SERVER=HOST\\SQLEXPRESS;UID=sa;PWD=;") + tail;
        QTest::newRow("port") << QStringLiteral("Provider=MSOLEDBSQL;Data Source=tcp:10.0.0.5,1433")
                              << QStringLiteral("DRIVER=FreeTDS;SERVER=10.0.0.5,1433;UID=;PWD=;") + tail;
        QTest::newRow("local") << QStringLiteral("Provider=SQLNCLI11;Data Source=(local)")
                               << QStringLiteral("DRIVER=FreeTDS;SERVER=127.0.0.1;UID=;PWD=;") + tail;
        QTest::newRow("dot instance") << QStringLiteral("Provider=SQLOLEDB;Data Source=.\\SQLEXPRESS")
                                      << QStringLiteral("DRIVER=FreeTDS;SERVER=127.0.0.1\\SQLEXPRESS;UID=;PWD=;") +
                                             tail;
        QTest::newRow("sspi") << QStringLiteral("Provider=SQLOLEDB;Data Source=db;Integrated Security=SSPI")
                              << QStringLiteral("DRIVER=FreeTDS;SERVER=db;Trusted_Connection=Yes;") + tail;
        QTest::newRow("password with ; braced") << QStringLiteral("Provider=SQLOLEDB;Data Source=db;Password=\"a;b\"")
                                                << QStringLiteral("DRIVER=FreeTDS;SERVER=db;UID=;PWD={a;b};") + tail;
        QTest::newRow("other driver") << QStringLiteral("Provider=SQLOLEDB;Driver=SQLite3;Database=/tmp/x.db")
                                      << QStringLiteral("DRIVER=SQLite3;DATABASE=/tmp/x.db;UID=;PWD=;");
        // unixODBC and FreeTDS read a bare value up to ';' whatever it holds: braces only when needed.
        QTest::newRow("brace without ; stays bare")
            << QStringLiteral("Provider=SQLOLEDB;Data Source=db;Password=\"a}b{c\"")
            << QStringLiteral("DRIVER=FreeTDS;SERVER=db;UID=;PWD=a}b{c;") + tail;
        QTest::newRow("= stays bare") << QStringLiteral("Provider=SQLOLEDB;Driver=SQLite3;Database=/tmp/a=b.db")
                                      << QStringLiteral("DRIVER=SQLite3;DATABASE=/tmp/a=b.db;UID=;PWD=;");
        QTest::newRow("Chinese database and password")
            << QStringLiteral("Provider=SQLOLEDB;Data Source=db;Password=密码pw;Initial Catalog=物业库一")
            << QStringLiteral("DRIVER=FreeTDS;SERVER=db;DATABASE=物业库一;UID=;PWD=密码pw;") + tail;
        // Microsoft's drivers read every server form themselves; 18 would insist on encryption.
        QTest::newRow("driver 18") << QStringLiteral("Provider=SQLOLEDB;Driver='ODBC Driver 18 for SQL Server';"
                                                     "Data Source=(local)\\SQLEXPRESS;User ID=sa;Password=pw")
                                   << QStringLiteral("DRIVER=ODBC Driver 18 for SQL Server;SERVER=(local)\\SQLEXPRESS;"
                                                     "UID=sa;PWD=pw;Encrypt=no;");
        QTest::newRow("driver 17") << QStringLiteral("Provider=SQLOLEDB;Driver='ODBC Driver 17 for SQL Server';"
                                                     "Data Source=tcp:db,1433;Initial Catalog=物业")
                                   << QStringLiteral("DRIVER=ODBC Driver 17 for SQL Server;SERVER=tcp:db,1433;"
                                                     "DATABASE=物业;UID=;PWD=;");
        QTest::newRow("leading { braced") << QStringLiteral("Provider=SQLOLEDB;Data Source=db;Password={pw")
                                          << QStringLiteral("DRIVER=FreeTDS;SERVER=db;UID=;PWD={{pw};") + tail;
    }

    void odbcString()
    {
        QFETCH(QString, connection);
        QFETCH(QString, odbc);
        forFreeTds(connection);
        QCOMPARE(odbcConnectionStringOf(connection), odbc);
    }

    void odbcStringRefusals_data()
    {
        QTest::addColumn<QString>("connection");
        QTest::newRow("no server") << QStringLiteral("Provider=SQLOLEDB.1;Data Source=''");
        QTest::newRow("brace-semicolon") << QStringLiteral("Provider=SQLOLEDB;Data Source=db;Password=\"a};b\"");
        // unixODBC would end the braced value at the '}' and load the library named after it.
        QTest::newRow("brace inside braces")
            << QStringLiteral("Provider=SQLOLEDB;Data Source=db;Password=\"x}DRIVER=/nonexistent/evil.so;\"");
        QTest::newRow("brace with outer blank") << QStringLiteral("Provider=SQLOLEDB;Data Source=db;User ID=' a}'");
        QTest::newRow("NUL cuts the keys after it")
            << QStringLiteral("Provider=SQLOLEDB;Data Source=db;Password=a") + QChar(0) + QStringLiteral("b");
        QTest::newRow("bad syntax") << QStringLiteral("Provider=SQLOLEDB;Password='x");
        // Read by the driver manager as ';', '{' and '}' (low byte of the UTF-16 unit).
        QTest::newRow("U+013B in the password")
            << QStringLiteral("Provider=SQLOLEDB;Data Source=db;Password=x\u013BDRIVER=/x.so");
        QTest::newRow("U+6E3B in the database")
            << QStringLiteral("Provider=SQLOLEDB;Data Source=db;Initial Catalog=物\u6E3B");
        QTest::newRow("U+017B in the user") << QStringLiteral("Provider=SQLOLEDB;Data Source=db;User ID=\u017Bsa");
        QTest::newRow("U+4E7D in the server") << QStringLiteral("Provider=SQLOLEDB;Data Source=db\u4E7D");
    }

    void odbcStringRefusals()
    {
        QFETCH(QString, connection);
        forFreeTds(connection);
        QVERIFY_THROWS_EXCEPTION(RuntimeError, odbcConnectionStringOf(connection));
    }
};

QTEST_GUILESS_MAIN(ConnectionStringTest)
#include "test_connection_string.moc"
