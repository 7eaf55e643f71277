#include "core/Twips.h"
#include "main_window/AboutForm.h"
#include "main_window/ExternalProgram.h"
#include "main_window/MainWindow.h"
#include "main_window/SystemInfoTool.h"
#include "startup/CenterInMainWindow.h"
#include "support/TestSupport.h"

#include <QAction>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

namespace {
QWidget* openAbout()
{
    MDIForm1()->findChild<QAction*>(QStringLiteral("关于软件"))->trigger();
    return MDIForm1()->findChild<QWidget*>(QStringLiteral("frmAbout"));
}

QString labelText(QWidget* form, const char* name)
{
    auto* label = form->findChild<QLabel*>(QLatin1String(name));
    return label ? label->text() : QStringLiteral("<no %1>").arg(QLatin1String(name));
}

// Where (left, top) of a frame of `frame` pixels lands when centred in `client` pixels.
QPoint expectedCentre(QSize client, QSize frame)
{
    const QPointF twips = centredPosition(QSizeF(client.width() * 15.0, client.height() * 15.0),
                                          QSizeF(frame.width() * 15.0, frame.height() * 15.0));
    return QPoint(qRound(twips.x() / 15.0), qRound(twips.y() / 15.0));
}
} // namespace

class TestAbout : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void centredPosition_data();
    void centredPosition();
    void centreChildInClientArea();
    void loadFillsLabelsAndCentres();
    void okUnloadsAndMenuMakesANewOne();
    void enterAndEscape_data();
    void enterAndEscape();
    void keepsItsSizeBesideAMaximizedSibling();
    void registryValue_data();
    void registryValue();
    void sysInfoFromMachineSettings();
    void sysInfoFromToolsLocation();
    void sysInfoFallsBackToPath();
    void sysInfoUnavailable_data();
    void sysInfoUnavailable();

private:
    void writeMachineSettings(const QByteArray& ini);
    QString clickSysInfo();

    std::unique_ptr<QTemporaryDir> m_system;
    QStringList m_started;
    QStringList m_asked;
};

void TestAbout::initTestCase()
{
    registerMainWindowClientArea();
    MDIForm1()->resize(1100, 760);
    MDIForm1()->show();
    QVERIFY(QTest::qWaitForWindowExposed(MDIForm1()));
}

void TestAbout::init()
{
    // A machine-wide settings folder of each test's own, and nothing really started.
    m_system = std::make_unique<QTemporaryDir>();
    QSettings::setPath(QSettings::IniFormat, QSettings::SystemScope, m_system->path());
    m_started.clear();
    m_asked.clear();
    ExternalProgramSeam::setFinder([this](const QString& name) {
        m_asked << name;
        return QString();
    });
    ExternalProgramSeam::setStarter([this](const QString& program) {
        m_started << program;
        return true;
    });
}

void TestAbout::cleanup()
{
    ExternalProgramSeam::clear();
    MDIForm1()->mdiArea()->closeAllSubWindows();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void TestAbout::centredPosition_data()
{
    QTest::addColumn<QSizeF>("client");
    QTest::addColumn<QSizeF>("form");
    QTest::addColumn<QPointF>("position");
    QTest::newRow("4000x3000 in 12000x8000") << QSizeF(12000, 8000) << QSizeF(4000, 3000) << QPointF(4000, 2500);
    QTest::newRow("wider than the client") << QSizeF(12000, 8000) << QSizeF(15000, 3000) << QPointF(-1500, 2500);
    QTest::newRow("odd difference keeps the half")
        << QSizeF(12001, 8000) << QSizeF(4000, 3001) << QPointF(4000.5, 2499.5);
}

void TestAbout::centredPosition()
{
    QFETCH(QSizeF, client);
    QFETCH(QSizeF, form);
    QFETCH(QPointF, position);
    QCOMPARE(::centredPosition(client, form), position);
}

void TestAbout::centreChildInClientArea()
{
    const QSize client = MDIForm1()->mdiArea()->viewport()->size();
    QCOMPARE(MDIForm1()->clientAreaTwips(), QSizeF(client.width() * 15.0, client.height() * 15.0));

    for (const QSize size : {QSize(300, 200), QSize(client.width() + 200, 120)}) {
        auto* form = new QWidget;
        form->setFixedSize(size);
        QMdiSubWindow* sub = MDIForm1()->mdiArea()->addSubWindow(form);
        sub->show();
        CenterInMainWindow(*form);
        QCOMPARE(sub->pos(), expectedCentre(client, sub->frameGeometry().size()));
        if (size.width() > client.width())
            QVERIFY(sub->x() < 0);
        sub->close();
    }
}

void TestAbout::loadFillsLabelsAndCentres()
{
    QWidget* about = openAbout();
    QVERIFY(about);
    QVERIFY(QRegularExpression(QStringLiteral("^\\d+\\.\\d+\\.\\d+$")).match(programVersion()).hasMatch());
    QCOMPARE(labelText(about, "Label7"), QStringLiteral("系统信息设置系统") + programVersion());
    QVERIFY(labelText(about, "lblTitle").contains(QStringLiteral("澄岭物业管理工具")));
    QVERIFY(labelText(about, "lblDisclaimer").startsWith(QStringLiteral("版权所有")));
    auto* sub = qobject_cast<QMdiSubWindow*>(about->parentWidget());
    QVERIFY(sub);
    QCOMPARE(sub->pos(), expectedCentre(MDIForm1()->mdiArea()->viewport()->size(), sub->frameGeometry().size()));
    // Every text fits its control.
    for (auto* label : about->findChildren<QLabel*>())
        if (!label->wordWrap() && !label->text().isEmpty())
            QVERIFY2(label->fontMetrics().horizontalAdvance(label->text()) <= label->width(),
                     qPrintable(label->objectName()));
    for (auto* button : about->findChildren<QPushButton*>())
        QVERIFY2(button->sizeHint().width() <= button->width(), qPrintable(button->objectName()));
}

void TestAbout::okUnloadsAndMenuMakesANewOne()
{
    QPointer<QWidget> about = openAbout();
    QPointer<QWidget> sub = about->parentWidget();
    about->findChild<QPushButton*>(QStringLiteral("cmdOK"))->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(about.isNull());
    QVERIFY(sub.isNull());
    QVERIFY(MDIForm1()->mdiArea()->subWindowList().isEmpty());

    QWidget* again = openAbout();
    QVERIFY(again);
    QCOMPARE(labelText(again, "Label7"), QStringLiteral("系统信息设置系统") + programVersion());
    QCOMPARE(MDIForm1()->mdiArea()->subWindowList().size(), 1);
}

// 确定 is default and cancel button; Enter on 系统信息 with the focus presses that one.
void TestAbout::enterAndEscape_data()
{
    QTest::addColumn<QString>("focus");
    QTest::addColumn<int>("key");
    QTest::addColumn<bool>("closes");
    QTest::newRow("Enter on 确定") << "cmdOK" << int(Qt::Key_Return) << true;
    QTest::newRow("keypad Enter on 确定") << "cmdOK" << int(Qt::Key_Enter) << true;
    QTest::newRow("Escape on 确定") << "cmdOK" << int(Qt::Key_Escape) << true;
    QTest::newRow("Escape on 系统信息") << "cmdSysInfo" << int(Qt::Key_Escape) << true;
    QTest::newRow("Enter on 系统信息") << "cmdSysInfo" << int(Qt::Key_Return) << false;
}

void TestAbout::enterAndEscape()
{
    QFETCH(QString, focus);
    QFETCH(int, key);
    QFETCH(bool, closes);
    MessageRecorder boxes;
    QPointer<QWidget> about = openAbout();
    QCOMPARE(about->focusWidget(), about->findChild<QPushButton*>(QStringLiteral("cmdOK")));
    auto* button = about->findChild<QPushButton*>(focus);
    button->setFocus();
    QTest::keyClick(button, Qt::Key(key));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCOMPARE(about.isNull(), closes);
    // No tool is found here: pressing 系统信息 says so.
    QCOMPARE(boxes.texts(), closes ? QStringList() : QStringList{QStringLiteral("此时系统信息不可用")});
}

// Another child maximized: the About box still opens, and stays, at its designed size, centred.
void TestAbout::keepsItsSizeBesideAMaximizedSibling()
{
    QMdiArea* area = MDIForm1()->mdiArea();
    QMdiSubWindow* sibling = area->addSubWindow(new QWidget);
    sibling->showMaximized();
    area->setActiveSubWindow(sibling);
    QWidget* about = openAbout();
    auto* sub = qobject_cast<QMdiSubWindow*>(about->parentWidget());
    for (const char* when : {"opened", "activated again"}) {
        QVERIFY2(!sub->isMaximized(), when);
        QCOMPARE(about->size(), QSize(twipsToPixels(5970), twipsToPixels(3690)));
        QCOMPARE(sub->size(), sub->sizeHint());
        QCOMPARE(sub->pos(), expectedCentre(area->viewport()->size(), sub->frameGeometry().size()));
        QVERIFY2(sibling->isMaximized(), when);
        area->setActiveSubWindow(sibling);
        area->setActiveSubWindow(sub);
    }
}

void TestAbout::registryValue_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QString>("value");
    const int text = int(RegistryType::String);
    const int dword = int(RegistryType::Dword);
    QTest::newRow("text with its zero") << text << QByteArray("C:\\Tools\0", 9) << QStringLiteral("C:\\Tools");
    QTest::newRow("text without") << text << QByteArray("abc") << QStringLiteral("abc");
    QTest::newRow("Chinese text") << text << QStringLiteral("系统信息").toUtf8() << QStringLiteral("系统信息");
    QTest::newRow("31") << dword << QByteArray("\x1f\0\0\0", 4) << QStringLiteral("31");
    QTest::newRow("inner zero bytes keep their digits")
        << dword << QByteArray("\x03\x02\x01\0", 4) << QStringLiteral("66051");
    QTest::newRow("0x12345678") << dword << QByteArray("\x78\x56\x34\x12", 4) << QStringLiteral("305419896");
    QTest::newRow("0x0A000000") << dword << QByteArray("\0\0\0\x0a", 4) << QStringLiteral("167772160");
    QTest::newRow("all ones, unsigned") << dword << QByteArray("\xff\xff\xff\xff", 4) << QStringLiteral("4294967295");
    QTest::newRow("zero") << dword << QByteArray("\0\0\0\0", 4) << QStringLiteral("0");
    QTest::newRow("other kind: unchanged")
        << int(RegistryType::Other) << QByteArray("\x01\x02") << QStringLiteral("before");
}

void TestAbout::registryValue()
{
    QFETCH(int, type);
    QFETCH(QByteArray, data);
    QFETCH(QString, value);
    QCOMPARE(registryValueText(RegistryType(type), data, QStringLiteral("before")), value);
}

void TestAbout::writeMachineSettings(const QByteArray& ini)
{
    QVERIFY(QDir(m_system->path()).mkpath(QStringLiteral("chengling-wuye")));
    QFile f(m_system->filePath(QStringLiteral("chengling-wuye/machine.ini")));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(ini);
}

QString TestAbout::clickSysInfo()
{
    QWidget* about = openAbout();
    if (!about)
        return QStringLiteral("<no About box>");
    about->findChild<QPushButton*>(QStringLiteral("cmdSysInfo"))->click();
    return m_started.join(QLatin1Char('|'));
}

void TestAbout::sysInfoFromMachineSettings()
{
    MessageRecorder boxes;
    const QString tool = m_system->filePath(QStringLiteral("sysinfo-tool"));
    QFile(tool).open(QIODevice::WriteOnly);
    writeMachineSettings("[SOFTWARE\\Microsoft\\Shared Tools\\MSINFO]\nPATH=" + tool.toUtf8() + "\n");
    QString value;
    QVERIFY(GetKeyValue(*machineSettings(), QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO"),
                        QStringLiteral("PATH"), value));
    QCOMPARE(value, tool);
    QCOMPARE(clickSysInfo(), tool);
    QVERIFY(m_asked.isEmpty());
    QVERIFY(boxes.boxes().isEmpty());
}

void TestAbout::sysInfoFromToolsLocation()
{
    MessageRecorder boxes;
    // The first location names a program that is not there: the second one is used, its
    // unquoted comma read back as part of the text.
    const QString folder = m_system->filePath(QStringLiteral("msinfo,tools"));
    QVERIFY(QDir().mkpath(folder));
    QFile(folder + QStringLiteral("/MSINFO32.EXE")).open(QIODevice::WriteOnly);
    writeMachineSettings("[SOFTWARE\\Microsoft\\Shared Tools\\MSINFO]\nPATH=/nowhere/msinfo\n"
                         "[SOFTWARE\\Microsoft\\Shared Tools Location]\nMSINFO=" +
                         folder.toUtf8() + "\n");
    QCOMPARE(clickSysInfo(), folder + QStringLiteral("/MSINFO32.EXE"));
    QVERIFY(boxes.boxes().isEmpty());
}

void TestAbout::sysInfoFallsBackToPath()
{
    MessageRecorder boxes;
    writeMachineSettings("[SOFTWARE\\Microsoft\\Shared Tools Location]\nMSINFO=/nowhere\n");
    ExternalProgramSeam::setFinder([this](const QString& name) {
        m_asked << name;
        return name == QStringLiteral("kinfocenter") ? QStringLiteral("/usr/bin/kinfocenter") : QString();
    });
    QCOMPARE(clickSysInfo(), QStringLiteral("/usr/bin/kinfocenter"));
    QCOMPARE(m_asked, (QStringList{QStringLiteral("hardinfo"), QStringLiteral("gnome-system-monitor"),
                                   QStringLiteral("kinfocenter")}));
    QVERIFY(boxes.boxes().isEmpty());
}

void TestAbout::sysInfoUnavailable_data()
{
    QTest::addColumn<bool>("toolFound");
    QTest::newRow("no tool anywhere") << false;
    QTest::newRow("tool does not start") << true;
}

void TestAbout::sysInfoUnavailable()
{
    QFETCH(bool, toolFound);
    MessageRecorder boxes;
    ExternalProgramSeam::setFinder(
        [toolFound](const QString&) { return toolFound ? QStringLiteral("/usr/bin/hardinfo") : QString(); });
    ExternalProgramSeam::setStarter([](const QString&) { return false; });
    QWidget* about = openAbout();
    about->findChild<QPushButton*>(QStringLiteral("cmdSysInfo"))->click();
    QCOMPARE(boxes.boxes().size(), 1);
    QCOMPARE(boxes.boxes().first().text, QStringLiteral("此时系统信息不可用"));
    QCOMPARE(boxes.boxes().first().buttons, MsgButtons::OK);
    QCOMPARE(boxes.boxes().first().title, applicationTitle());
    // The About box stays open.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCOMPARE(MDIForm1()->findChild<QWidget*>(QStringLiteral("frmAbout")), about);
    QVERIFY(about->isVisible());
}

QTEST_MAIN(TestAbout)
#include "test_about.moc"
