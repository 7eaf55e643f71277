// The platform layer's Windows side, on the real registry and file system (run under Wine by
// tools/test-windows): the database settings the other programs write, the system-information
// tool's keys, the SQL Server driver chosen among the installed ones, and exports to Chinese paths.
#include "core/OdbcConnectionString.h"
#include "core/RuntimeError.h"
#include "core/Settings.h"
#include "core/XlsxWorkbook.h"
#include "main_window/SystemInfoTool.h"
#include "startup/Module1.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <windows.h>

namespace {
const wchar_t* kDbConfig = L"Software\\VB and VBA Program Settings\\Velquor\\DBConfig";
const wchar_t* kMsinfo = L"SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
const wchar_t* kLocation = L"SOFTWARE\\Microsoft\\Shared Tools Location";

// Written with the system's own calls, as Visual Basic's SaveSetting writes them, not through Qt.
void setValue(HKEY root, const wchar_t* key, const QString& name, DWORD type, const QByteArray& data)
{
    HKEY h = nullptr;
    QCOMPARE(RegCreateKeyExW(root, key, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &h, nullptr), ERROR_SUCCESS);
    const std::wstring n = name.toStdWString();
    QCOMPARE(RegSetValueExW(h, n.c_str(), 0, type, reinterpret_cast<const BYTE*>(data.constData()),
                            static_cast<DWORD>(data.size())),
             ERROR_SUCCESS);
    RegCloseKey(h);
}

void setText(HKEY root, const wchar_t* key, const QString& name, const QString& text)
{
    const std::wstring w = text.toStdWString();
    setValue(root, key, name, REG_SZ,
             QByteArray(reinterpret_cast<const char*>(w.c_str()), int((w.size() + 1) * sizeof(wchar_t))));
}

void removeKey(HKEY root, const wchar_t* key)
{
    RegDeleteTreeW(root, key);
}

QByteArray dword(quint32 n)
{
    return QByteArray(reinterpret_cast<const char*>(&n), 4);
}
} // namespace

class WindowsPlatformTest : public QObject
{
    Q_OBJECT
private slots:
    void cleanup()
    {
        removeKey(HKEY_CURRENT_USER, L"Software\\VB and VBA Program Settings\\Velquor");
        removeKey(HKEY_LOCAL_MACHINE, kMsinfo);
        removeKey(HKEY_LOCAL_MACHINE, kLocation);
    }

    void settingsComeFromTheRegistry()
    {
        removeKey(HKEY_CURRENT_USER, L"Software\\VB and VBA Program Settings\\Velquor");
        DbSettings none = readDbSettings();
        QCOMPARE(QStringList({none.Svr, none.UID, none.PWD, none.DBname}), QStringList({"", "", "", ""}));

        // What the other programs store: backslashes, commas, quotes and Chinese, verbatim.
        setText(HKEY_CURRENT_USER, kDbConfig, QStringLiteral("Svr"), QStringLiteral("HOST\\SQLEXPRESS,1433"));
        setText(HKEY_CURRENT_USER, kDbConfig, QStringLiteral("UID"), QStringLiteral("sa"));
        setText(HKEY_CURRENT_USER, kDbConfig, QStringLiteral("PWD"), QStringLiteral("密码;'\"x"));
        setText(HKEY_CURRENT_USER, kDbConfig, QStringLiteral("DBname"), QStringLiteral("物业库"));
        const DbSettings s = readDbSettings();
        QCOMPARE(s.Svr, QStringLiteral("HOST\\SQLEXPRESS,1433"));
        QCOMPARE(s.UID, QStringLiteral("sa"));
        QCOMPARE(s.PWD, QStringLiteral("密码;'\"x"));
        QCOMPARE(s.DBname, QStringLiteral("物业库"));

        // One value absent: that one reads empty, the others stay.
        HKEY h = nullptr;
        QCOMPARE(RegOpenKeyExW(HKEY_CURRENT_USER, kDbConfig, 0, KEY_ALL_ACCESS, &h), ERROR_SUCCESS);
        RegDeleteValueW(h, L"PWD");
        RegCloseKey(h);
        const DbSettings partial = readDbSettings();
        QCOMPARE(partial.PWD, QString());
        QCOMPARE(partial.DBname, QStringLiteral("物业库"));
    }

    void systemInfoToolFromTheMachineKeys()
    {
        QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/系统信息 XXXXXX"));
        QVERIFY(dir.isValid());
        const QString tool = QDir::toNativeSeparators(dir.filePath(QStringLiteral("MSINFO32.EXE")));
        QFile f(tool);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.close();
        std::unique_ptr<QSettings> machine = machineSettings();

        cleanup();
        QCOMPARE(findSystemInfoTool(*machine), QString());

        // The second place: a folder, to which the tool's name is added.
        setText(HKEY_LOCAL_MACHINE, kLocation, QStringLiteral("MSINFO"), QDir::toNativeSeparators(dir.path()));
        machine = machineSettings();
        QCOMPARE(QDir::toNativeSeparators(findSystemInfoTool(*machine)), tool);

        // The first place wins when its file is there.
        const QString self = QDir::toNativeSeparators(QCoreApplication::applicationFilePath());
        setText(HKEY_LOCAL_MACHINE, kMsinfo, QStringLiteral("PATH"), self);
        machine = machineSettings();
        QCOMPARE(QDir::toNativeSeparators(findSystemInfoTool(*machine)), self);
    }

    void registryValueKinds_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<QString>("value");
        QTest::newRow("text") << int(REG_SZ) << QByteArray("C\0:\0\\\0x\0\0\0", 10) << QStringLiteral("C:\\x");
        QTest::newRow("number, every byte kept") << int(REG_DWORD) << dword(0x00010203) << QStringLiteral("66051");
        QTest::newRow("largest number") << int(REG_DWORD) << dword(0xFFFFFFFF) << QStringLiteral("4294967295");
    }

    void registryValueKinds()
    {
        QFETCH(int, type);
        QFETCH(QByteArray, data);
        QFETCH(QString, value);
        setValue(HKEY_LOCAL_MACHINE, kMsinfo, QStringLiteral("PATH"), DWORD(type), data);
        std::unique_ptr<QSettings> machine = machineSettings();
        QString read = QStringLiteral("unchanged");
        QVERIFY(GetKeyValue(*machine, QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO"),
                            QStringLiteral("PATH"), read));
        QCOMPARE(read, value);
        QVERIFY(!GetKeyValue(*machine, QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO"),
                             QStringLiteral("NONE"), read));
        QCOMPARE(read, QString());
    }

    // tools/test-windows runs this with an odbcinst.ini of its own and says what it holds.
    void sqlServerDriverIsAnInstalledOne()
    {
        if (!qEnvironmentVariableIsSet("CHENGLING_EXPECTED_DRIVER"))
            QSKIP("CHENGLING_EXPECTED_DRIVER not set");
        const QString expected = qEnvironmentVariable("CHENGLING_EXPECTED_DRIVER");
        if (expected.isEmpty()) {
            try {
                defaultSqlServerDriver();
                QFAIL("no driver installed, yet one was chosen");
            } catch (const RuntimeError& e) {
                QVERIFY2(e.description().contains(QStringLiteral("ODBC Driver 18 for SQL Server")),
                         qPrintable(e.description()));
            }
            // Started by the system with an SQL Server string: what to install, then the usual failure.
            MessageRecorder boxes;
            EndRecorder ends;
            Main(QStringLiteral("U1{}{}{}{}{}{}{}{}{}{}【】Provider=SQLOLEDB.1;Data Source=db;User ID=sa;Password=pw"),
                 [] { QFAIL("the window must not open"); });
            QCOMPARE(ends.count(), 1);
            QCOMPARE(boxes.texts().size(), 2);
            QVERIFY2(boxes.texts()[0].contains(QStringLiteral("ODBC Driver 18 for SQL Server")),
                     qPrintable(boxes.texts()[0]));
            QCOMPARE(boxes.texts()[1], QStringLiteral("数据库连接失败!"));
        } else {
            QCOMPARE(defaultSqlServerDriver(), expected);
        }
    }

    void exportToChinesePaths_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("existing");
        QTest::newRow("new file") << QStringLiteral("业主编号 一.xlsx") << false;
        QTest::newRow("replaces a file") << QStringLiteral("业主编号（二）.xlsx") << true;
        // Hangul is outside the Chinese ANSI code page: only the wide file API can name it.
        QTest::newRow("outside the code page") << QStringLiteral("业主编号 한글.xlsx") << false;
    }

    void exportToChinesePaths()
    {
        QFETCH(QString, name);
        QFETCH(bool, existing);
        QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/导出 XXXXXX"));
        QVERIFY(dir.isValid());
        const QString path = dir.filePath(name);
        if (existing) {
            QFile old(path);
            QVERIFY(old.open(QIODevice::WriteOnly));
            old.write("old");
        }
        {
            XlsxWorkbook book(path);
            book.addSheet(QStringLiteral("业主编号"));
            book.writeString(1, 1, QStringLiteral("澄岭花园"), book.format(CellStyle()));
            book.close();
        }
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.read(2), QByteArray("PK"));
        QVERIFY(f.size() > 1000);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{name});
    }

    void exportIntoAMissingFolderFails()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("没有的文件夹/业主编号.xlsx"));
        try {
            XlsxWorkbook book(path);
            QFAIL("a workbook in a missing folder was begun");
        } catch (const RuntimeError& e) {
            QCOMPARE(e.number(), 76L);
        }
    }
};

QTEST_GUILESS_MAIN(WindowsPlatformTest)
#include "test_windows_platform.moc"
