#include "main_window/MainWindow.h"
#include "main_window/Resources.h"
#include "support/TestSupport.h"
#include "widgets/CommandGuard.h"

#include <QAction>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

namespace {
QAction* action(QWidget& w, const QString& name)
{
    auto* a = w.findChild<QAction*>(name);
    if (!a)
        qFatal("no action %s", qPrintable(name));
    return a;
}

QStringList openChildren(MainWindow& w)
{
    QStringList names;
    for (QMdiSubWindow* sub : w.mdiArea()->subWindowList())
        names << (sub->widget() ? sub->widget()->objectName() : QStringLiteral("<empty>"));
    return names;
}

void flushDeletes()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}
} // namespace

class TestMainWindow : public GlobalConnectionTest
{
    Q_OBJECT
public:
    TestMainWindow() : GlobalConnectionTest(FixtureDatabase::Demo) {}

private slots:
    void menuBarAsDesigned();
    void ownerNumbersOpenOnceAndAfreshAfterClose();
    void openChildComesToTheFront();
    void workbenchMaximizedOnActivationNotOnRestore();
    void bankDeductionIsModal();
    void contactUsDoesNothing();
    void exitItemEndsWithoutQuestion();
    void ownerlessBoxShowsTheProgramIcon();
    void closeAnsweredNoKeepsEverything();
    void closeAnsweredYesEnds();
    void closeDuringCommandIsIgnored();
};

void TestMainWindow::menuBarAsDesigned()
{
    MainWindow w;
    QCOMPARE(w.objectName(), QStringLiteral("MDIForm1"));
    QCOMPARE(w.windowTitle(), QStringLiteral(" 澄岭物业管理工具"));
    QVERIFY(!w.windowIcon().isNull());

    const QList<QPair<QString, QStringList>> expected{
        {QStringLiteral("业主编号"), {QStringLiteral("业主编号管理")}},
        {QStringLiteral("扣款方式"), {QStringLiteral("银行扣款方式设置")}},
        {QStringLiteral("退出系统"), {QStringLiteral("退出")}},
        {QStringLiteral("关于"), {QStringLiteral("关于软件"), QStringLiteral("联系我们")}},
    };
    const QList<QAction*> top = w.menuBar()->actions();
    QCOMPARE(top.size(), expected.size());
    for (int i = 0; i < top.size(); ++i) {
        QMenu* menu = top[i]->menu();
        QVERIFY(menu);
        QCOMPARE(menu->objectName(), expected[i].first);
        QCOMPARE(menu->title(), expected[i].first);
        QCOMPARE(w.findChild<QMenu*>(expected[i].first), menu);
        QStringList items;
        for (QAction* item : menu->actions()) {
            QCOMPARE(item->text(), item->objectName());
            QVERIFY(item->isEnabled());
            items << item->objectName();
        }
        QCOMPARE(items, expected[i].second);
    }
}

void TestMainWindow::ownerNumbersOpenOnceAndAfreshAfterClose()
{
    MessageRecorder boxes;
    MainWindow w;
    w.show();
    action(w, QStringLiteral("业主编号管理"))->trigger();
    action(w, QStringLiteral("业主编号管理"))->trigger();
    QCOMPARE(openChildren(w), QStringList{QStringLiteral("frm业主编号")});
    QPointer<QMdiSubWindow> sub = w.mdiArea()->subWindowList().first();
    QPointer<QWidget> form = sub->widget();
    QVERIFY(sub->isVisible());
    QCOMPARE(w.mdiArea()->activeSubWindow(), sub.data());

    // Closing destroys it; the menu then makes a new one.
    sub->close();
    flushDeletes();
    QVERIFY(sub.isNull());
    QVERIFY(form.isNull());
    QVERIFY(openChildren(w).isEmpty());
    action(w, QStringLiteral("业主编号管理"))->trigger();
    QCOMPARE(openChildren(w), QStringList{QStringLiteral("frm业主编号")});
    QVERIFY(boxes.boxes().isEmpty());
}

void TestMainWindow::openChildComesToTheFront()
{
    MessageRecorder boxes;
    MainWindow w;
    w.resize(1000, 700);
    w.show();
    action(w, QStringLiteral("关于软件"))->trigger();
    QMdiSubWindow* about = w.mdiArea()->activeSubWindow();
    QCOMPARE(about->widget()->objectName(), QStringLiteral("frmAbout"));
    action(w, QStringLiteral("业主编号管理"))->trigger();
    QMdiSubWindow* workbench = w.mdiArea()->activeSubWindow();
    QCOMPARE(workbench->widget()->objectName(), QStringLiteral("frm业主编号"));

    action(w, QStringLiteral("关于软件"))->trigger();
    QCOMPARE(w.mdiArea()->activeSubWindow(), about);
    QCOMPARE(w.mdiArea()->subWindowList(QMdiArea::StackingOrder).last(), about);
    workbench->showMinimized();
    action(w, QStringLiteral("业主编号管理"))->trigger();
    QCOMPARE(w.mdiArea()->activeSubWindow(), workbench);
    QVERIFY(!workbench->isMinimized());
    QCOMPARE(w.mdiArea()->subWindowList().size(), 2);
}

void TestMainWindow::workbenchMaximizedOnActivationNotOnRestore()
{
    MessageRecorder boxes;
    MainWindow w;
    w.resize(1000, 700);
    w.show();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    action(w, QStringLiteral("业主编号管理"))->trigger();
    QMdiSubWindow* workbench = w.mdiArea()->activeSubWindow();
    QVERIFY(workbench->isMaximized());

    // Restored by the user: a normal window of its designed size within the client area, still the
    // active child.
    workbench->showNormal();
    QCoreApplication::processEvents();
    QVERIFY(!workbench->isMaximized());
    QCOMPARE(w.mdiArea()->activeSubWindow(), workbench);
    const QSize client = w.mdiArea()->viewport()->size();
    QCOMPARE(workbench->widget()->size(),
             QSize(1274, 767).boundedTo(client - (workbench->size() - workbench->widget()->size())));
    QVERIFY(QRect(QPoint(0, 0), client).contains(workbench->geometry()));
    workbench->resize(600, 400);
    QCoreApplication::processEvents();
    QCOMPARE(workbench->size(), QSize(600, 400));

    // Another child comes to the front, then the workbench again: that activation maximizes it.
    action(w, QStringLiteral("关于软件"))->trigger();
    QVERIFY(!workbench->isMaximized());
    action(w, QStringLiteral("业主编号管理"))->trigger();
    QCOMPARE(w.mdiArea()->activeSubWindow(), workbench);
    QVERIFY(workbench->isMaximized());
    QVERIFY(boxes.boxes().isEmpty());
}

void TestMainWindow::bankDeductionIsModal()
{
    MessageRecorder boxes;
    MainWindow w;
    w.show();
    QString seen;
    bool modal = false;
    QTimer::singleShot(0, this, [&] {
        // Whatever the form asks on load is answered by the recorder; close the dialog itself.
        QWidget* dialog = QApplication::activeModalWidget();
        if (dialog) {
            seen = dialog->objectName();
            modal = dialog->isModal() && dialog->isWindow();
            dialog->close();
        }
    });
    action(w, QStringLiteral("银行扣款方式设置"))->trigger();
    QCOMPARE(seen, QStringLiteral("frm扣款方式设置"));
    QVERIFY(modal);
    QVERIFY(openChildren(w).isEmpty());
}

void TestMainWindow::contactUsDoesNothing()
{
    MessageRecorder boxes;
    EndRecorder ends;
    MainWindow w;
    w.show();
    action(w, QStringLiteral("联系我们"))->trigger();
    QCoreApplication::processEvents();
    QVERIFY(boxes.boxes().isEmpty());
    QCOMPARE(ends.count(), 0);
    QVERIFY(openChildren(w).isEmpty());
    QVERIFY(w.isVisible());
}

void TestMainWindow::exitItemEndsWithoutQuestion()
{
    MessageRecorder boxes;
    EndRecorder ends;
    MainWindow w;
    w.show();
    action(w, QStringLiteral("退出"))->trigger();
    QCOMPARE(ends.count(), 1);
    QVERIFY(boxes.boxes().isEmpty());
}

// A box with no window to belong to (no main window yet) carries the program's icon.
void TestMainWindow::ownerlessBoxShowsTheProgramIcon()
{
    installProgramIcon();
    MsgBoxSeam::clearScript();
    QImage shown;
    QTimer::singleShot(0, [&shown] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        QVERIFY(box);
        QVERIFY(!box->parentWidget());
        shown = box->windowIcon().pixmap(32, 32).toImage();
        box->defaultButton()->click();
    });
    notice(QStringLiteral("数据库连接失败!"));
    const QImage program = QIcon(QStringLiteral(":/main_window/icon.png")).pixmap(32, 32).toImage();
    QVERIFY(!shown.isNull());
    QCOMPARE(shown, program);
}

void TestMainWindow::closeAnsweredNoKeepsEverything()
{
    MessageRecorder boxes;
    EndRecorder ends;
    MainWindow w;
    w.show();
    action(w, QStringLiteral("关于软件"))->trigger();
    action(w, QStringLiteral("业主编号管理"))->trigger();
    QPointer<QMdiSubWindow> active = w.mdiArea()->activeSubWindow();
    const QRect geometry = active->geometry();

    boxes.answerNext(MsgAnswer::No);
    QVERIFY(!w.close());
    QCOMPARE(boxes.boxes().size(), 1);
    const MsgRecord& box = boxes.boxes().first();
    QCOMPARE(box.text, QStringLiteral("确认要退出系统吗？"));
    QCOMPARE(box.buttons, MsgButtons::YesNo);
    QCOMPARE(box.icon, MsgIcon::Information);
    QCOMPARE(box.title, applicationTitle());
    QCOMPARE(ends.count(), 0);
    QVERIFY(w.isVisible());
    QCOMPARE(openChildren(w), (QStringList{QStringLiteral("frmAbout"), QStringLiteral("frm业主编号")}));
    QVERIFY(active);
    QCOMPARE(w.mdiArea()->activeSubWindow(), active.data());
    QCOMPARE(active->geometry(), geometry);
}

void TestMainWindow::closeAnsweredYesEnds()
{
    MessageRecorder boxes;
    EndRecorder ends;
    MainWindow w;
    w.show();
    boxes.answerNext(MsgAnswer::Yes);
    w.close();
    QCOMPARE(boxes.texts(), QStringList{QStringLiteral("确认要退出系统吗？")});
    QCOMPARE(ends.count(), 1);
}

void TestMainWindow::closeDuringCommandIsIgnored()
{
    MessageRecorder boxes;
    EndRecorder ends;
    MainWindow w;
    w.show();
    {
        CommandLock running({});
        QVERIFY(!w.close());
        QVERIFY(boxes.boxes().isEmpty());
        QVERIFY(w.isVisible());
    }
    // Once the command has ended, the question is back.
    boxes.answerNext(MsgAnswer::No);
    QVERIFY(!w.close());
    QCOMPARE(boxes.boxes().size(), 1);
    QCOMPARE(ends.count(), 0);
}

QTEST_MAIN(TestMainWindow)
#include "test_main_window.moc"
