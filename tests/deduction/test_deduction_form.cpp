#include "core/Fonts.h"
#include "core/Twips.h"
#include "deduction/DeductionForm.h"
#include "startup/CenterInMainWindow.h"
#include "startup/Module1.h"
#include "support/TestSupport.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QtTest>
#include <memory>

namespace {
const QString kSelectRows = QStringLiteral("Select Code, Value From SystemSetup Order By rowid");

// The form as a test drives it: its controls found by their designer names.
struct Form
{
    Form() : dialog(std::make_unique<DeductionForm>()) {}
    QLineEdit* text(int i) const { return dialog->findChild<QLineEdit*>(QStringLiteral("Text1(%1)").arg(i)); }
    QLabel* label(int i) const { return dialog->findChild<QLabel*>(QStringLiteral("Label1(%1)").arg(i)); }
    QComboBox* combo(int n) const { return dialog->findChild<QComboBox*>(QStringLiteral("Combo%1").arg(n)); }
    QPushButton* command(int n) const { return dialog->findChild<QPushButton*>(QStringLiteral("Command%1").arg(n)); }
    QStringList stored() const { return {text(0)->text(), text(1)->text()}; }

    // What a click on an item of a drop-down list does.
    void choose(int comboNumber, int index) const
    {
        QComboBox* c = combo(comboNumber);
        c->setCurrentIndex(index);
        emit c->activated(index);
    }
    void save() const { QTest::mouseClick(command(2), Qt::LeftButton); }
    void showActive() const
    {
        dialog->show();
        dialog->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(dialog.get()));
    }

    std::unique_ptr<DeductionForm> dialog;
};

void insertSetting(const FixtureDatabase& db, const QString& valueSql)
{
    db.exec(QStringLiteral("Insert Into SystemSetup (Code, Value) Values ('银行扣款方式', %1)").arg(valueSql));
}

QStringList row(const QString& code, const QString& value)
{
    return {code, value};
}
} // namespace

class TestDeductionForm : public GlobalConnectionTest
{
    Q_OBJECT
public:
    TestDeductionForm() : GlobalConnectionTest(FixtureDatabase::Empty) {}

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void controlsAsDesigned();
    void textsFitTheirControls();
    void centredInMainWindow();
    void noRowShowsNothingAndFirstSaveInserts();
    void showsStoredValue_data();
    void showsStoredValue();
    void lastRecognisedRowWinsAndSaveUpdatesEveryRow();
    void loadFailureIsReported();
    void choosingCycleResetsMonth();
    void monthBeforeCycleIsRefused();
    void saveRoundTrip_data();
    void saveRoundTrip();
    void saveWithoutMonthIsRefused_data();
    void saveWithoutMonthIsRefused();
    void saveWithoutCycleStoresNothing();
    void databaseFailureDuringSave();
    void exitClosesAndMenuEntryShowsModal();
    void keyboardAsTheLayoutAndButtonsSay();

private:
    std::unique_ptr<MessageRecorder> m_messages;
};

void TestDeductionForm::initTestCase()
{
    installFontSubstitutions();
}

void TestDeductionForm::init()
{
    openFixture(FixtureDatabase::Empty);
    m_messages = std::make_unique<MessageRecorder>();
}

void TestDeductionForm::cleanup()
{
    SetMainWindowClientArea(nullptr);
    m_messages.reset();
    closeFixture();
}

void TestDeductionForm::controlsAsDesigned()
{
    Form f;
    QCOMPARE(f.dialog->objectName(), QStringLiteral("frm扣款方式设置"));
    QCOMPARE(f.dialog->windowTitle(), QStringLiteral("银行扣款方式设置"));

    auto* frame1 = f.dialog->findChild<QGroupBox*>(QStringLiteral("Frame1"));
    auto* frame2 = f.dialog->findChild<QGroupBox*>(QStringLiteral("Frame2"));
    QVERIFY(frame1 && frame2);
    QCOMPARE(frame1->title(), QStringLiteral("当前银行扣款方式"));
    QCOMPARE(frame2->title(), QStringLiteral("设置银行扣款方式"));

    const QList<QPair<QString, QWidget*>> labels = {{QStringLiteral("选择扣款方式"), frame2},
                                                    {QStringLiteral("扣款开始月份"), frame1},
                                                    {QStringLiteral("扣款方式"), frame1},
                                                    {QStringLiteral("扣款开始月份"), frame2},
                                                    {QStringLiteral("选择开始月份"), frame2}};
    for (int i = 0; i < 5; ++i) {
        QVERIFY2(f.label(i), qPrintable(QStringLiteral("Label1(%1)").arg(i)));
        QCOMPARE(f.label(i)->text(), labels[i].first);
        QCOMPARE(f.label(i)->parentWidget(), labels[i].second);
    }
    QWidget* textFrames[] = {frame1, frame1, frame2};
    for (int i = 0; i < 3; ++i) {
        QVERIFY(f.text(i));
        QCOMPARE(f.text(i)->parentWidget(), textFrames[i]);
        QVERIFY(f.text(i)->isReadOnly());
        QVERIFY(f.text(i)->text().isEmpty());
    }

    QCOMPARE(f.combo(1)->parentWidget(), frame2);
    QCOMPARE(f.combo(2)->parentWidget(), frame2);
    QVERIFY(!f.combo(1)->isEditable());
    QVERIFY(!f.combo(2)->isEditable());
    QCOMPARE(f.combo(1)->currentIndex(), -1);
    QCOMPARE(f.combo(2)->currentIndex(), -1);
    QCOMPARE(f.combo(1)->count(), 3);
    QCOMPARE(f.combo(1)->itemText(0), QStringLiteral("按月"));
    QCOMPARE(f.combo(1)->itemText(1), QStringLiteral("按年"));
    QCOMPARE(f.combo(1)->itemText(2), QStringLiteral("按季"));
    QCOMPARE(f.combo(2)->count(), 12);
    QCOMPARE(f.combo(2)->itemText(0), QStringLiteral("1 月份"));
    QCOMPARE(f.combo(2)->itemText(11), QStringLiteral("12 月份"));

    QCOMPARE(f.command(2)->text(), QStringLiteral("保存"));
    QCOMPARE(f.command(1)->text(), QStringLiteral("退出"));
    QCOMPARE(f.command(2)->parentWidget(), f.dialog.get());
    QCOMPARE(f.command(1)->parentWidget(), f.dialog.get());
    QVERIFY(m_messages->boxes().isEmpty());
}

void TestDeductionForm::textsFitTheirControls()
{
    Form f;
    f.dialog->show();
    const auto fits = [](QWidget* w, const QString& text) {
        return w->fontMetrics().horizontalAdvance(text) <= w->contentsRect().width() &&
               w->fontMetrics().height() <= w->contentsRect().height();
    };
    for (int i = 0; i < 5; ++i)
        QVERIFY2(fits(f.label(i), f.label(i)->text()), qPrintable(f.label(i)->text()));
    for (int n = 1; n <= 2; ++n)
        QVERIFY2(fits(f.command(n), f.command(n)->text()), qPrintable(f.command(n)->text()));
    for (auto* frame : f.dialog->findChildren<QGroupBox*>())
        QVERIFY(frame->fontMetrics().horizontalAdvance(frame->title()) < frame->width() / 2);
    // The widest list a box shows, and the widest item of each drop-down list.
    QVERIFY(fits(f.text(2), QStringLiteral("12,12,12,12")));
    for (int n = 1; n <= 2; ++n)
        for (int i = 0; i < f.combo(n)->count(); ++i)
            QVERIFY(f.combo(n)->fontMetrics().horizontalAdvance(f.combo(n)->itemText(i)) < f.combo(n)->width() / 2);
    // Every control inside the form and its group.
    for (auto* w : f.dialog->findChildren<QWidget*>())
        if (w->isVisible() && w->parentWidget())
            QVERIFY2(w->parentWidget()->rect().contains(w->geometry()), qPrintable(w->objectName()));
}

void TestDeductionForm::centredInMainWindow()
{
    SetMainWindowClientArea([] { return QSizeF(12000, 8000); });
    Form f;
    const QSizeF formTwips(pixelsToTwips(f.dialog->width()), pixelsToTwips(f.dialog->height()));
    const QPointF expected = centredPosition(QSizeF(12000, 8000), formTwips);
    QCOMPARE(f.dialog->pos(), QPoint(twipsToPixels(expected.x()), twipsToPixels(expected.y())));
    QVERIFY(f.dialog->pos().x() > 0 && f.dialog->pos().y() > 0);
}

void TestDeductionForm::noRowShowsNothingAndFirstSaveInserts()
{
    Form f;
    QCOMPARE(f.stored(), QStringList({"", ""}));
    QVERIFY(m_messages->boxes().isEmpty());

    f.choose(1, 1); // 按年
    f.choose(2, 6); // 7 月份
    f.save();
    QCOMPARE(db().rows(kSelectRows), QList<QStringList>{row("银行扣款方式", "按年,7")});
    QCOMPARE(f.stored(), QStringList({"按年", "7"}));
    QCOMPARE(m_messages->texts(), QStringList{"银行扣款方式保存成功！"});
    QCOMPARE(m_messages->boxes().first().icon, MsgIcon::Information);
    QCOMPARE(m_messages->boxes().first().title, QStringLiteral("系统提示"));

    // The second save finds the row it inserted.
    f.choose(1, 0);
    f.save();
    QCOMPARE(db().rows(kSelectRows), QList<QStringList>{row("银行扣款方式", "按月")});
}

void TestDeductionForm::showsStoredValue_data()
{
    QTest::addColumn<QString>("valueSql");
    QTest::addColumn<QStringList>("shown");
    QTest::addColumn<QStringList>("messages");
    QTest::newRow("NULL") << "NULL" << QStringList{"", ""} << QStringList{};
    QTest::newRow("empty") << "''" << QStringList{"", ""} << QStringList{};
    QTest::newRow("monthly") << "'按月'" << QStringList{"按月", ""} << QStringList{};
    QTest::newRow("yearly") << "'按年,7'" << QStringList{"按年", "7"} << QStringList{};
    QTest::newRow("quarterly") << "'按季,11,2,5,8'" << QStringList{"按季", "11,2,5,8"} << QStringList{};
    QTest::newRow("other cycle") << "'按周,1'" << QStringList{"", ""} << QStringList{};
    QTest::newRow("quarterly too short") << "'按季,1,4'" << QStringList{"按季", ""}
                                         << QStringList{"错误码: 9 错误描述: 设置值不完整（按季,1,4）"};
    QTest::newRow("yearly without month")
        << "'按年'" << QStringList{"按年", ""} << QStringList{"错误码: 9 错误描述: 设置值不完整（按年）"};
}

void TestDeductionForm::showsStoredValue()
{
    QFETCH(QString, valueSql);
    QFETCH(QStringList, shown);
    QFETCH(QStringList, messages);
    insertSetting(db(), valueSql);
    Form f;
    QCOMPARE(f.stored(), shown);
    QCOMPARE(m_messages->texts(), messages);
    for (const MsgRecord& box : m_messages->boxes()) {
        QCOMPARE(box.icon, MsgIcon::Information);
        QCOMPARE(box.title, QStringLiteral("系统提示"));
    }
    // Nothing the load shows is taken as a new setting.
    QVERIFY(f.text(2)->text().isEmpty());
    QCOMPARE(f.combo(1)->currentIndex(), -1);
}

void TestDeductionForm::lastRecognisedRowWinsAndSaveUpdatesEveryRow()
{
    insertSetting(db(), QStringLiteral("'按年,3'"));
    insertSetting(db(), QStringLiteral("'按季,1,4,7,10'"));
    insertSetting(db(), QStringLiteral("'按周'"));
    db().exec(QStringLiteral("Insert Into SystemSetup (Code, Value) Values ('其他设置', '按年,5')"));
    Form f;
    QCOMPARE(f.stored(), QStringList({"按季", "1,4,7,10"}));

    f.choose(1, 1);
    f.choose(2, 11);
    f.save();
    QCOMPARE(db().rows(kSelectRows), (QList<QStringList>{row("银行扣款方式", "按年,12"), row("银行扣款方式", "按年,12"),
                                                         row("银行扣款方式", "按年,12"), row("其他设置", "按年,5")}));
}

void TestDeductionForm::loadFailureIsReported()
{
    db().exec(QStringLiteral("Drop Table SystemSetup"));
    Form f;
    QCOMPARE(m_messages->boxes().size(), 1);
    const MsgRecord box = m_messages->boxes().first();
    QVERIFY2(box.text.startsWith(QStringLiteral("错误码: ")), qPrintable(box.text));
    QVERIFY2(box.text.contains(QStringLiteral(" 错误描述: ")), qPrintable(box.text));
    QVERIFY2(box.text.contains(QStringLiteral("systemsetup"), Qt::CaseInsensitive), qPrintable(box.text));
    QCOMPARE(box.icon, MsgIcon::Information);
    QCOMPARE(box.title, QStringLiteral("系统提示"));
    // The form is still there to use.
    QCOMPARE(f.combo(1)->count(), 3);
    QCOMPARE(f.stored(), QStringList({"", ""}));
}

void TestDeductionForm::choosingCycleResetsMonth()
{
    Form f;
    f.choose(1, 2); // 按季
    f.choose(2, 9); // 10 月份
    QCOMPARE(f.text(2)->text(), QStringLiteral("10,1,4,7"));

    f.choose(1, 0); // 按月: no start month
    QVERIFY(f.text(2)->text().isEmpty());
    QCOMPARE(f.combo(2)->currentIndex(), -1);
    QVERIFY(!f.combo(2)->isEnabled());

    f.choose(1, 1); // 按年
    QVERIFY(f.combo(2)->isEnabled());
    f.choose(2, 0);
    QCOMPARE(f.text(2)->text(), QStringLiteral("1"));
    f.choose(1, 1); // the same cycle again still starts over
    QVERIFY(f.text(2)->text().isEmpty());
    QCOMPARE(f.combo(2)->currentIndex(), -1);
    QVERIFY(m_messages->boxes().isEmpty());
}

void TestDeductionForm::monthBeforeCycleIsRefused()
{
    Form f;
    f.showActive();
    f.command(1)->setFocus();
    f.choose(2, 4);
    QCOMPARE(m_messages->texts(), QStringList{"请先选择扣款方式！"});
    QCOMPARE(m_messages->boxes().first().icon, MsgIcon::Information);
    QCOMPARE(m_messages->boxes().first().title, QStringLiteral("系统提示"));
    QCOMPARE(f.combo(2)->currentIndex(), -1);
    QVERIFY(f.text(2)->text().isEmpty());
    QCOMPARE(QApplication::focusWidget(), f.combo(1));
}

void TestDeductionForm::saveRoundTrip_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<int>("cycle");
    QTest::addColumn<int>("month"); // 0: none chosen
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QStringList>("shown");
    QTest::newRow("monthly stores no comma") << "按季,1,4,7,10" << 0 << 0 << "按月" << QStringList{"按月", ""};
    QTest::newRow("yearly 7") << "按月" << 1 << 7 << "按年,7" << QStringList{"按年", "7"};
    QTest::newRow("yearly 12") << "按月" << 1 << 12 << "按年,12" << QStringList{"按年", "12"};
    QTest::newRow("quarterly 10") << "按月" << 2 << 10 << "按季,10,1,4,7" << QStringList{"按季", "10,1,4,7"};
    QTest::newRow("quarterly 11") << "按年,7" << 2 << 11 << "按季,11,2,5,8" << QStringList{"按季", "11,2,5,8"};
}

void TestDeductionForm::saveRoundTrip()
{
    QFETCH(QString, before);
    QFETCH(int, cycle);
    QFETCH(int, month);
    QFETCH(QString, stored);
    QFETCH(QStringList, shown);
    insertSetting(db(), QLatin1Char('\'') + before + QLatin1Char('\''));
    {
        Form f;
        f.choose(1, cycle);
        if (month > 0)
            f.choose(2, month - 1);
        f.save();
        QCOMPARE(m_messages->texts(), QStringList{"银行扣款方式保存成功！"});
        QCOMPARE(f.stored(), shown);
    }
    QCOMPARE(db().rows(kSelectRows), QList<QStringList>{row("银行扣款方式", stored)});

    // A fresh form reads back exactly what was saved.
    m_messages->clear();
    Form again;
    QCOMPARE(again.stored(), shown);
    QVERIFY(m_messages->boxes().isEmpty());
}

void TestDeductionForm::saveWithoutMonthIsRefused_data()
{
    QTest::addColumn<int>("cycle");
    QTest::newRow("yearly") << 1;
    QTest::newRow("quarterly") << 2;
}

void TestDeductionForm::saveWithoutMonthIsRefused()
{
    QFETCH(int, cycle);
    insertSetting(db(), QStringLiteral("'按月'"));
    Form f;
    f.showActive();
    f.choose(1, cycle);
    f.save();
    QCOMPARE(m_messages->texts(), QStringList{"请选择扣款开始月份！"});
    QCOMPARE(m_messages->boxes().first().icon, MsgIcon::Information);
    QCOMPARE(m_messages->boxes().first().title, QStringLiteral("系统提示"));
    QCOMPARE(QApplication::focusWidget(), f.combo(2));
    QCOMPARE(db().rows(kSelectRows), QList<QStringList>{row("银行扣款方式", "按月")});
    QCOMPARE(f.stored(), QStringList({"按月", ""}));
}

void TestDeductionForm::saveWithoutCycleStoresNothing()
{
    // Nothing stored yet, and a row already there: neither may end up holding a bare ",".
    for (const bool existing : {false, true}) {
        if (existing)
            insertSetting(db(), QStringLiteral("'按年,3'"));
        m_messages->clear();
        Form f;
        f.showActive();
        f.command(1)->setFocus();
        f.save();
        QCOMPARE(m_messages->texts(), QStringList{"请先选择扣款方式！"});
        QCOMPARE(m_messages->boxes().first().title, QStringLiteral("系统提示"));
        QCOMPARE(QApplication::focusWidget(), f.combo(1));
        if (existing)
            QCOMPARE(db().rows(kSelectRows), QList<QStringList>{row("银行扣款方式", "按年,3")});
        else
            QVERIFY(db().rows(kSelectRows).isEmpty());
    }
}

void TestDeductionForm::databaseFailureDuringSave()
{
    insertSetting(db(), QStringLiteral("'按月'"));
    Form f;
    f.choose(1, 2);
    f.choose(2, 2);

    // Another program holds the database's write lock; we give up at once instead of waiting.
    gConn().execute(QStringLiteral("PRAGMA busy_timeout=0"));
    {
        QSqlDatabase locker = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("locker"));
        locker.setDatabaseName(db().path());
        QVERIFY(locker.open());
        QSqlQuery lock(locker);
        QVERIFY2(lock.exec(QStringLiteral("BEGIN EXCLUSIVE")), qPrintable(lock.lastError().text()));

        f.save();
        QCOMPARE(m_messages->boxes().size(), 1);
        const MsgRecord box = m_messages->boxes().first();
        QVERIFY2(box.text.startsWith(QStringLiteral("运行时错误 '")), qPrintable(box.text));
        QVERIFY2(box.text.contains(QStringLiteral("locked")), qPrintable(box.text));
        QCOMPARE(box.icon, MsgIcon::Critical);
        QCOMPARE(f.stored(), QStringList({"按月", ""}));

        QVERIFY(lock.exec(QStringLiteral("ROLLBACK")));
        lock.finish();
        locker.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("locker"));
    QCOMPARE(db().rows(kSelectRows), QList<QStringList>{row("银行扣款方式", "按月")});

    // The form stays usable: the same choice saves once the lock is gone.
    m_messages->clear();
    f.save();
    QCOMPARE(m_messages->texts(), QStringList{"银行扣款方式保存成功！"});
    QCOMPARE(db().rows(kSelectRows), QList<QStringList>{row("银行扣款方式", "按季,3,6,9,12")});
    QCOMPARE(f.stored(), QStringList({"按季", "3,6,9,12"}));
}

void TestDeductionForm::exitClosesAndMenuEntryShowsModal()
{
    {
        Form f;
        f.dialog->show();
        QTest::mouseClick(f.command(1), Qt::LeftButton);
        QVERIFY(!f.dialog->isVisible());
        QCOMPARE(f.dialog->result(), int(QDialog::Rejected));
    }

    insertSetting(db(), QStringLiteral("'按年,7'"));
    QString name, title, shownCycle;
    bool modal = false;
    QTimer::singleShot(0, this, [&] {
        QWidget* w = QApplication::activeModalWidget();
        QVERIFY(w);
        name = w->objectName();
        title = w->windowTitle();
        modal = w->isModal();
        shownCycle = w->findChild<QLineEdit*>(QStringLiteral("Text1(0)"))->text();
        QTest::mouseClick(w->findChild<QPushButton*>(QStringLiteral("Command1")), Qt::LeftButton);
    });
    showFrm扣款方式设置Modal(); // returns once 退出 closed it
    QCOMPARE(name, QStringLiteral("frm扣款方式设置"));
    QCOMPARE(title, QStringLiteral("银行扣款方式设置"));
    QVERIFY(modal);
    QCOMPARE(shownCycle, QStringLiteral("按年"));
}

// Tab follows the layout; Escape is 退出; Enter saves nothing, as no button is the default.
void TestDeductionForm::keyboardAsTheLayoutAndButtonsSay()
{
    Form f;
    QStringList order;
    QWidget* w = f.combo(1);
    do {
        if ((w->focusPolicy() & Qt::TabFocus) && f.dialog->isAncestorOf(w))
            order << w->objectName();
        w = w->nextInFocusChain();
    } while (w != f.combo(1));
    QCOMPARE(order, (QStringList{"Combo1", "Combo2", "Command2", "Command1"}));

    f.showActive();
    f.choose(1, 0);
    f.combo(1)->setFocus();
    QTest::keyClick(f.combo(1), Qt::Key_Return);
    QVERIFY(f.dialog->isVisible());
    QVERIFY(m_messages->boxes().isEmpty());
    QVERIFY(db().rows(kSelectRows).isEmpty());
    QTest::keyClick(f.combo(1), Qt::Key_Escape);
    QVERIFY(!f.dialog->isVisible());
    QCOMPARE(f.dialog->result(), int(QDialog::Rejected));
}

QTEST_MAIN(TestDeductionForm)
#include "test_deduction_form.moc"
