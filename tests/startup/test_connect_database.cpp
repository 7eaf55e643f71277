// Start-up end to end: which connection string is used, the failure messages and their
// order, the end of the program, and the settings store as people write it.
#include "core/ConnectionString.h"
#include "core/Settings.h"
#include "startup/Module1.h"
#include "startup/Module1_p.h"
#include "startup/QtTranslation.h"
#include "support/TestSupport.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSettings>
#include <QtTest>

namespace {
void writeFile(const QString& path, const QByteArray& content)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(content);
}
} // namespace

enum class SettingsFile { None, Folder, TooLarge, Pipe, LoopingLink, LinkToDevice, LinkToNothing };
Q_DECLARE_METATYPE(SettingsFile)

class ConnectDatabaseTest : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        QFile::remove(dbSettingsFilePath());
        QDir(dbSettingsFilePath()).removeRecursively();
    }

    void settingsFileLocation()
    {
        QCOMPARE(dbSettingsFilePath(),
                 qEnvironmentVariable("XDG_CONFIG_HOME") + QStringLiteral("/Velquor/Velquor.ini"));
    }

    void argumentConnectionOpensAndShowsWindow()
    {
        FixtureDatabase db;
        // Settings that would fail must not even be read.
        writeFile(dbSettingsFilePath(), "[DBConfig]\nSvr=nowhere.invalid\n");
        MessageRecorder boxes;
        EndRecorder ends;
        int shown = 0;
        Main(QStringLiteral("U1{}操作员{}{}部门{}P9{}岗位{}{}{}{}【】") + db.connectionString(), [&] { ++shown; });
        QCOMPARE(shown, 1);
        QCOMPARE(ends.count(), 0);
        QVERIFY(boxes.boxes().isEmpty());
        QCOMPARE(IdentityField(0), QStringLiteral("U1"));
        QCOMPARE(IdentityField(3), QStringLiteral("部门"));
        QCOMPARE(IdentityField(5), QStringLiteral("岗位"));
        QCOMPARE(IdentityField(10), QString());
        QCOMPARE(gConnString(), db.connectionString());
        QVERIFY(gConn().isOpen());
    }

    void failureShowsTwoMessagesThenEnds_data()
    {
        QTest::addColumn<QString>("argument");
        QTest::addColumn<SettingsFile>("settings");
        QTest::addColumn<QString>("detail"); // part of the first message's description
        const auto none = SettingsFile::None;
        QTest::newRow("missing file") << QStringLiteral("a{}b【】Provider=SQLite;Data Source=/nonexistent/x.sqlite")
                                      << none << QStringLiteral("/nonexistent/x.sqlite");
        QTest::newRow("unknown provider")
            << QStringLiteral("a【】Provider=Foo;Data Source=x") << none << QStringLiteral("Foo");
        QTest::newRow("does not parse") << QStringLiteral("a【】Provider='SQLite") << none
                                        << QStringLiteral("格式错误");
        QTest::newRow("closed port") << QStringLiteral("a【】Provider=SQLOLEDB.1;User ID=sa;Data Source='127.0.0.1,1'")
                                     << none << QStringLiteral("Unable to connect");
        QTest::newRow("no argument, no settings") << QString() << none << QStringLiteral("Data Source");
        // A settings file that is there but cannot be used says so, instead of trying an empty server.
        QTest::newRow("settings file is a folder")
            << QString() << SettingsFile::Folder << QStringLiteral("无法读取数据库设置文件“%1”：该位置是一个文件夹");
        QTest::newRow("settings file too large")
            << QString() << SettingsFile::TooLarge << QStringLiteral("无法读取数据库设置文件“%1”：文件过大");
        // Nothing there is waited on: a pipe would hold the start-up for ever without a window.
        QTest::newRow("settings file is a named pipe")
            << QString() << SettingsFile::Pipe << QStringLiteral("无法读取数据库设置文件“%1”：该位置不是普通文件");
        QTest::newRow("settings file is a looping link")
            << QString() << SettingsFile::LoopingLink << QStringLiteral("无法读取数据库设置文件“%1”：该位置是一个循环");
        QTest::newRow("settings file links to a device")
            << QString() << SettingsFile::LinkToDevice
            << QStringLiteral("无法读取数据库设置文件“%1”：该位置不是普通文件");
        QTest::newRow("settings file links to nothing")
            << QString() << SettingsFile::LinkToNothing
            << QStringLiteral("无法读取数据库设置文件“%1”：该位置是一个符号链接，它指向的文件不存在");
    }

    void failureShowsTwoMessagesThenEnds()
    {
        QFETCH(QString, argument);
        QFETCH(SettingsFile, settings);
        QFETCH(QString, detail);
        if (detail.contains(QStringLiteral("%1")))
            detail = detail.arg(dbSettingsFilePath());
        if (settings == SettingsFile::Folder)
            QVERIFY(QDir().mkpath(dbSettingsFilePath()));
        if (settings == SettingsFile::TooLarge) // valid entries, padded past any sane size
            writeFile(dbSettingsFilePath(), "[DBConfig]\nSvr=db1\n" + QByteArray(1024 * 1024, '\n'));
        QDir().mkpath(QFileInfo(dbSettingsFilePath()).absolutePath());
        // Its writer gives a reader that opens it an empty file at once: the test ends either way.
        std::unique_ptr<BlockingSource> pipe;
        if (settings == SettingsFile::Pipe)
            pipe = std::make_unique<BlockingSource>(dbSettingsFilePath());
        if (settings == SettingsFile::LoopingLink)
            QVERIFY(QFile::link(dbSettingsFilePath(), dbSettingsFilePath()));
        if (settings == SettingsFile::LinkToDevice)
            QVERIFY(QFile::link(QStringLiteral("/dev/zero"), dbSettingsFilePath()));
        if (settings == SettingsFile::LinkToNothing)
            QVERIFY(QFile::link(dbSettingsFilePath() + QStringLiteral(".gone"), dbSettingsFilePath()));
        MessageRecorder boxes;
        EndRecorder ends;
        int shown = 0;
        Main(argument, [&] { ++shown; });
        QCOMPARE(shown, 0);
        QCOMPARE(ends.count(), 1);
        QCOMPARE(boxes.boxes().size(), 2);
        const MsgRecord first = boxes.boxes().at(0);
        QVERIFY(first.text.startsWith(QStringLiteral("错误信息：")));
        QVERIFY2(first.text.contains(detail), qPrintable(first.text));
        QCOMPARE(first.title, QStringLiteral("信息文本"));
        QCOMPARE(first.icon, MsgIcon::Information);
        QCOMPARE(first.buttons, MsgButtons::OK);
        const MsgRecord second = boxes.boxes().at(1);
        QCOMPARE(second.text, QStringLiteral("数据库连接失败!"));
        QCOMPARE(second.title, QStringLiteral("连接提示"));
        QCOMPARE(second.icon, MsgIcon::Information);
        QVERIFY(!gConn().isOpen());
        if (pipe)
            QCOMPARE(pipe->opens(), 0);
    }

    // The failure box as shown: a Data Source that looks like markup is its text, nothing more.
    void failureBoxShowsTheArgumentAsText()
    {
        const BlockingSource source;
        const QString file = QStringLiteral("/nonexistent/") + source.markup();
        ShownBoxes boxes;
        EndRecorder ends;
        Main(QStringLiteral("a{}b【】Provider=SQLite;Data Source=") + connectionStringValue(file),
             [] { QFAIL("no window without a connection"); });
        QCOMPARE(ends.count(), 1);
        QCOMPARE(boxes.texts().size(), 2);
        QVERIFY2(boxes.texts()[0].endsWith(file), qPrintable(boxes.texts()[0]));
        QCOMPARE(source.opens(), 0);
    }

    // A value the driver manager would misread as a separator must never reach it: the library
    // named after the fake ';' (or '{', '}') would be loaded, and this one leaves a mark.
    void misreadSeparatorsLoadNothing_data()
    {
        // The setting holding the crafted value; empty: the argument's password; "Driver": its driver.
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        const QString library = QStringLiteral(MARK_LIBRARY);
        for (const char* key : {"PWD", "UID", "Svr", "DBname", ""})
            QTest::newRow(*key ? key : "argument")
                << QString::fromLatin1(key) << QStringLiteral("x\u013BDRIVER=") + library + QStringLiteral("\u013B");
        QTest::newRow("PWD, U+6E3B") << QStringLiteral("PWD") << QStringLiteral("\u6E3BDRIVER=") + library;
        QTest::newRow("PWD, U+017B U+017D")
            << QStringLiteral("PWD") << QStringLiteral("\u017Bx\u017D;DRIVER=") + library + u';';
        // For SQL Server the driver is one registered by name, never a library named by its path.
        QTest::newRow("Driver, a path") << QStringLiteral("Driver") << library;
    }

    void misreadSeparatorsLoadNothing()
    {
        QFETCH(QString, key);
        QFETCH(QString, value);
        QTemporaryDir dir;
        const QString mark = dir.filePath(QStringLiteral("loaded"));
        qputenv("CHENGLING_MARK_FILE", mark.toLocal8Bit());
        QString argument;
        if (key.isEmpty()) {
            argument = QStringLiteral("a{}b【】Provider=SQLOLEDB.1;User ID=sa;Data Source='127.0.0.1,1';Password=") +
                       connectionStringValue(value);
        } else if (key == QStringLiteral("Driver")) {
            argument = QStringLiteral("a{}b【】Provider=SQLOLEDB.1;User ID=sa;Data Source='127.0.0.1,1';Driver=") +
                       connectionStringValue(value);
        } else {
            QSettings store(dbSettingsFilePath(), QSettings::IniFormat);
            store.beginGroup(QStringLiteral("DBConfig"));
            for (const char* k : {"Svr", "UID", "PWD", "DBname"})
                store.setValue(QString::fromLatin1(k), QStringLiteral("127.0.0.1,1"));
            store.setValue(key, value);
        }
        MessageRecorder boxes;
        EndRecorder ends;
        Main(argument, [] { QFAIL("no window without a connection"); });
        QCOMPARE(ends.count(), 1);
        QCOMPARE(boxes.texts().size(), 2);
        QVERIFY2(boxes.texts()[0].contains(key == QStringLiteral("Driver") ? QStringLiteral("驱动程序的名称")
                                                                           : QStringLiteral("误读")),
                 qPrintable(boxes.texts()[0]));
        QCOMPARE(boxes.texts()[1], QStringLiteral("数据库连接失败!"));
        QVERIFY2(!QFile::exists(mark), "the driver manager loaded the library");
        qunsetenv("CHENGLING_MARK_FILE");
    }

    void noArgumentBuildsTheTemplateFromSettings()
    {
        writeFile(dbSettingsFilePath(), "[DBConfig]\nSvr=db1\nUID=sa\nPWD=secret\nDBname=wuye\n");
        QCOMPARE(settingsConnectionString(),
                 QStringLiteral("Provider=SQLOLEDB.1;Password=secret;Persist Security Info=False;User ID=sa;"
                                "Initial Catalog='wuye';Data Source='db1'"));
        QFile::remove(dbSettingsFilePath());
        QCOMPARE(settingsConnectionString(),
                 QStringLiteral("Provider=SQLOLEDB.1;Password=;Persist Security Info=False;User ID=;"
                                "Initial Catalog='';Data Source=''"));
    }

    // Hand-written INI files: what the author wrote is what the program gets.
    void handWrittenSettings_data()
    {
        QTest::addColumn<QByteArray>("ini");
        QTest::addColumn<QString>("svr");
        QTest::addColumn<QString>("pwd");
        QTest::newRow("instance with escaped backslash")
            << QByteArray("[DBConfig]\nSvr=\"HOST\\\\SQLEXPRESS\"\nPWD=a\n") << QStringLiteral("HOST\\SQLEXPRESS")
            << QStringLiteral("a");
        QTest::newRow("comma unquoted") << QByteArray("[DBConfig]\nSvr=10.0.0.5,1433\nPWD=x,y,z\n")
                                        << QStringLiteral("10.0.0.5,1433") << QStringLiteral("x,y,z");
        QTest::newRow("semicolon quoted")
            << QByteArray("[DBConfig]\nSvr=db\nPWD=\"p;w\"\n") << QStringLiteral("db") << QStringLiteral("p;w");
        QTest::newRow("quotes inside") << QByteArray("[DBConfig]\nSvr=db\nPWD=\"it's \\\"x\\\"\"\n")
                                       << QStringLiteral("db") << QStringLiteral("it's \"x\"");
        QTest::newRow("chinese") << QByteArray("[DBConfig]\nSvr=服务器\nPWD=密码\n") << QStringLiteral("服务器")
                                 << QStringLiteral("密码");
    }

    void handWrittenSettings()
    {
        QFETCH(QByteArray, ini);
        QFETCH(QString, svr);
        QFETCH(QString, pwd);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("Velquor.ini"));
        writeFile(path, ini);
        QSettings store(path, QSettings::IniFormat);
        const DbSettings s = readDbSettings(store);
        QCOMPARE(s.Svr, svr);
        QCOMPARE(s.PWD, pwd);
        QCOMPARE(s.UID, QString());

        // And the built string parses back to the same values, nothing injected.
        writeFile(dbSettingsFilePath(), ini);
        const ConnectionStringParse parsed = parseConnectionString(settingsConnectionString());
        QVERIFY2(parsed.ok, qPrintable(parsed.error));
        QCOMPARE(parsed.settings.value(QStringLiteral("data source")), svr);
        QCOMPARE(parsed.settings.value(QStringLiteral("password")), pwd);
        QCOMPARE(parsed.settings.pairs.size(), 6);
    }

    // Qt's own texts are Chinese once start-up has installed Qt's translation, though the tests run
    // in no Chinese locale: the save dialog, standard buttons, a text box's context menu.
    void qtTextsInChinese()
    {
        QVERIFY(InstallQtTranslation());
        QFileDialog dialog;
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        QStringList texts;
        for (const char* name : {"lookInLabel", "fileNameLabel", "fileTypeLabel"}) {
            auto* label = dialog.findChild<QLabel*>(QLatin1String(name));
            QVERIFY2(label, name);
            texts << label->text();
        }
        for (QAbstractButton* b : dialog.findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"))->buttons())
            texts << b->text();
        QDialogButtonBox standard(QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Yes |
                                  QDialogButtonBox::No);
        for (QAbstractButton* b : standard.buttons())
            texts << b->text();
        QLineEdit edit(QStringLiteral("文字"));
        const std::unique_ptr<QMenu> menu(edit.createStandardContextMenu());
        for (QAction* a : menu->actions())
            if (!a->isSeparator())
                texts << a->text();
        QCOMPARE(texts.size(), 16);
        for (const QString& text : texts) {
            // Mnemonics "(&S)" and shortcuts after a tab are keys, not words.
            QString words = text;
            words.remove(QRegularExpression(QStringLiteral("\\(&.\\)|&|\\t.*$")));
            QVERIFY2(!words.contains(QRegularExpression(QStringLiteral("[A-Za-z]"))), qPrintable(text));
            QVERIFY2(words.contains(QRegularExpression(QStringLiteral("\\p{Han}"))), qPrintable(text));
        }
    }
};

QTEST_MAIN(ConnectDatabaseTest)
#include "test_connect_database.moc"
