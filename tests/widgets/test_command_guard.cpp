#include "core/RuntimeError.h"
#include "support/TestSupport.h"
#include "widgets/CommandGuard.h"

#include <QApplication>
#include <QPushButton>
#include <QtTest>

class CommandGuardTest : public QObject
{
    Q_OBJECT
private slots:
    void failureRestoresThenReports()
    {
        MessageRecorder boxes;
        QStringList order;
        QApplication::setOverrideCursor(Qt::WaitCursor);
        const bool ok = RunCommand([] { throw RuntimeError(5, QStringLiteral("database is locked")); },
                                   [&] {
                                       order << QStringLiteral("restore");
                                       QCOMPARE(boxes.boxes().size(), 0);
                                   });
        QVERIFY(!ok);
        QCOMPARE(order, QStringList{"restore"});
        QVERIFY(!QApplication::overrideCursor());
        QCOMPARE(boxes.boxes().size(), 1);
        const MsgRecord box = boxes.boxes().first();
        QCOMPARE(box.text, QStringLiteral("运行时错误 '5':\r\n\r\ndatabase is locked"));
        QCOMPARE(box.icon, MsgIcon::Critical);
        QCOMPARE(box.buttons, MsgButtons::OK);
        QCOMPARE(box.title, QStringLiteral("澄岭物业工具"));
    }

    // Every box as shown, through the one function: a text that begins with data looking like
    // markup (the first line decides whether Qt reads a text as markup) is shown as it stands.
    void messageBoxShowsItsTextAsText()
    {
        const BlockingSource source;
        ShownBoxes boxes;
        MsgBox(source.markup() + QStringLiteral("\r\n第二行"), MsgButtons::OK, MsgIcon::Critical);
        QCOMPARE(boxes.texts(), QStringList{source.markup() + QStringLiteral("\r\n第二行")});
        QCOMPARE(source.opens(), 0);
    }

    void contextLineComesFirst()
    {
        MessageRecorder boxes;
        RunCommand([] {
            throw RuntimeError(20047, QStringLiteral("连接已断开"))
                .withContext(QStringLiteral("已写入 3 行，第 4 行出错。"));
        });
        QCOMPARE(boxes.texts(),
                 QStringList{QStringLiteral("已写入 3 行，第 4 行出错。\r\n运行时错误 '20047':\r\n\r\n连接已断开")});
    }

    void otherExceptionsAreNumberZero()
    {
        MessageRecorder boxes;
        QVERIFY(!RunCommand([] { throw std::runtime_error("boom"); }));
        QVERIFY(RunCommand([] {}));
        QCOMPARE(boxes.texts(), QStringList{QStringLiteral("运行时错误 '0':\r\n\r\nboom")});
    }

    void lockDisablesAndRestores()
    {
        QPushButton a, b, c;
        b.setEnabled(false);
        {
            CommandLock lock({&a, &b, &c});
            QVERIFY(CommandLock::busy());
            QVERIFY(!a.isEnabled() && !b.isEnabled() && !c.isEnabled());
            lock.setEnabledAfter(&c, false);
            lock.setEnabledAfter(&b, true);
            QVERIFY(!b.isEnabled()); // still locked while the command runs
        }
        QVERIFY(!CommandLock::busy());
        QVERIFY(a.isEnabled());
        QVERIFY(b.isEnabled());
        QVERIFY(!c.isEnabled());
    }

    void lockSurvivesAFailure()
    {
        MessageRecorder boxes;
        QPushButton a;
        RunCommand([&] {
            CommandLock lock({&a});
            throw RuntimeError(1, QStringLiteral("x"));
        });
        QVERIFY(a.isEnabled());
        QVERIFY(!CommandLock::busy());
    }
};

QTEST_MAIN(CommandGuardTest)
#include "test_command_guard.moc"
