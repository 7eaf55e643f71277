// The workbench driven as a user drives it, on a demo database.
#include "core/ProgramEnd.h"
#include "core/Twips.h"
#include "engine/GridBuilders.h"
#include "main_window/MainWindow.h"
#include "startup/Module1.h"
#include "support/TestSupport.h"
#include "support/Workbench.h"
#include "widgets/FileDialog.h"
#include "widgets/FlexGrid.h"
#include "widgets/TwipsGeometry.h"
#include "workbench/OwnerNumberForm.h"

#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStatusBar>
#include <QTimer>
#include <QToolButton>
#include <QToolTip>
#include <QTreeWidget>
#include <QtTest>
#include <cstdio>

namespace {
const QString kSystem = QStringLiteral("系统提示");

// Office 14, every building ticked, numbers generated: whether the grid got rows.
bool generateForOffice14(const Workbench& ui)
{
    if (!ui.chooseOffice(QStringLiteral("14")))
        return false;
    ui.tickAll();
    ui.Command2->click();
    return ui.MSFlexGrid1->rows() > 1;
}

QStringList nodeKeys(const Workbench& ui)
{
    QStringList keys;
    for (int i = 0; i < ui.TreeView1->topLevelItemCount(); ++i)
        keys << ui.TreeView1->topLevelItem(i)->data(0, Qt::UserRole).toString();
    return keys;
}
} // namespace

class WorkbenchTest : public GlobalConnectionTest
{
    Q_OBJECT
public:
    WorkbenchTest() : GlobalConnectionTest(FixtureDatabase::Demo) {}

private:
    // Owners of office 14 that match `condition` (on 业主表 as y).
    int office14Owners(const QString& condition) const
    {
        return db()
            .scalar(QStringLiteral("Select count(*) From 业主表 y Join 室表 s On s.S_ID = y.S_ID Join 楼表 l "
                                   "On l.L_ID = s.L_ID Where l.管理处 = '14' And ") +
                    condition)
            .toInt();
    }

private slots:
    void init()
    {
        openFixture(FixtureDatabase::Demo);
        gConn().execute(QStringLiteral("PRAGMA busy_timeout=0"));
    }

    void loadShowsEmptyGridOfficesAndIdentity()
    {
        OwnerNumberForm form;
        Workbench ui(form);
        QCOMPARE(form.windowTitle(), QStringLiteral("业主编号管理"));
        QCOMPARE(ui.MSFlexGrid1->rows(), 1);
        QCOMPARE(ui.MSFlexGrid1->cols(), int(GridColumn::kCount));
        QCOMPARE(ui.Combo2->currentText(), QStringLiteral("A"));
        QCOMPARE(ui.Combo2->count(), 11);
        QCOMPARE(ui.Combo2->itemText(10), QStringLiteral("K"));
        QCOMPARE(ui.Combo1->currentIndex(), -1);
        QStringList offices;
        for (int i = 0; i < ui.Combo1->count(); ++i)
            offices << ui.Combo1->itemText(i);
        QCOMPARE(offices, (QStringList{"14 澄岭花园管理处", "15 澄岭雅苑管理处", "16 澄岭商业中心管理处",
                                       "18 澄岭新村管理处", "24 澄岭华庭管理处"}));
        QCOMPARE(ui.Panels[1]->text(), QStringLiteral("演示操作员"));
        QCOMPARE(ui.Panels[3]->text(), QStringLiteral("物业部"));
        QCOMPARE(ui.Panels[5]->text(), QStringLiteral("管理员"));
        // Date and time in their designed widths, their texts whole.
        for (const auto& [panel, twips] : {std::pair{ui.Panels[7], 1005}, std::pair{ui.Panels[8], 585}}) {
            QCOMPARE(panel->width(), twipsToPixels(twips));
            QVERIFY2(panel->fontMetrics().horizontalAdvance(panel->text()) <= panel->contentsRect().width(),
                     qPrintable(panel->text()));
        }
        QVERIFY(!ui.Command3->isEnabled());
        QVERIFY(!ui.Command6->isEnabled());
        QVERIFY(ui.ProgressBar1->isHidden());
        QVERIFY(ui.Label2->text().startsWith(QStringLiteral("业主编号编码规则：项目编号(2位)")));
        for (const char* name :
             {"Picture1",  "Picture2",    "Picture3", "Picture4", "Picture5",     "Picture6",  "Label1(0)",
              "Label1(4)", "Label2",      "Label3",   "Label4",   "Combo1",       "Combo2",    "Check1",
              "TreeView1", "MSFlexGrid1", "Command1", "Command6", "ProgressBar1", "StatusBar1"})
            QVERIFY2(form.findChild<QWidget*>(QString::fromUtf8(name)), name);
    }

    void resizeFollowsTheDesignArithmetic()
    {
        OwnerNumberForm form;
        Workbench ui(form);
        form.resize(1400, 800);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        const double w = 1400 * 15.0, h = 800 * 15.0;
        QCOMPARE(Tw::width(ui.Picture1), w);
        QCOMPARE(Tw::top(ui.Picture3), 660.0);
        QCOMPARE(Tw::left(ui.Picture3), 4440.0);
        QCOMPARE(Tw::height(ui.Picture3), h - 660 - 900 - 375);
        QCOMPARE(Tw::width(ui.Picture3), w - 4440);
        QCOMPARE(Tw::top(ui.Picture4), Tw::height(ui.Picture3) + 660);
        QCOMPARE(Tw::width(ui.Picture4) - Tw::left(ui.Command1) - Tw::width(ui.Command1), Tw::left(ui.Command2));
        QCOMPARE(Tw::left(ui.Label1[0]) + Tw::width(ui.Label1[0]) / 2,
                 Tw::left(ui.Picture3) + Tw::width(ui.Picture3) / 2);
        QCOMPARE(Tw::top(ui.Picture6), Tw::top(ui.TreeView1) + Tw::height(ui.TreeView1));
        QCOMPARE(Tw::width(ui.MSFlexGrid1), Tw::width(ui.Picture3) - 45 - 60);

        // Too small: the failing sizes keep their last values, everything else still applies.
        const double gridHeight = Tw::height(ui.MSFlexGrid1);
        form.resize(300, 60);
        QCOMPARE(Tw::height(ui.MSFlexGrid1), gridHeight);
        QCOMPARE(Tw::width(ui.Picture1), 300 * 15.0);
    }

    // The workbench maximized in the main window on the screens people have (sizes in logical
    // pixels: a scale factor of 1.5 on 1280 × 800 leaves 853 × 533), the title bar taken off.
    void buttonBarUsableOnEveryScreen_data()
    {
        QTest::addColumn<QSize>("window");
        QTest::newRow("1024 × 768") << QSize(1024, 740);
        QTest::newRow("1280 × 800 at 1.5") << QSize(853, 510);
        QTest::newRow("1366 × 768") << QSize(1366, 740);
        QTest::newRow("1600 × 1000 at 1.5") << QSize(1066, 640);
        QTest::newRow("1920 × 1080") << QSize(1920, 1050);
    }
    void buttonBarUsableOnEveryScreen()
    {
        QFETCH(QSize, window);
        MessageRecorder boxes;
        MainWindow w;
        w.resize(window);
        w.show();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        w.findChild<QAction*>(QStringLiteral("业主编号管理"))->trigger();
        auto* form = w.findChild<OwnerNumberForm*>();
        QVERIFY(form);
        Workbench ui(*form);
        QVERIFY(w.mdiArea()->activeSubWindow()->isMaximized());
        QCoreApplication::processEvents();

        auto* scroll = form->findChild<QScrollArea*>(QStringLiteral("buttonBarScroll"));
        QWidget* row = scroll->widget();
        const QRect viewport = scroll->viewport()->rect();
        // The bar lies on the form between the work area and the status bar, its row whole in height.
        QVERIFY(form->rect().contains(ui.Picture4->geometry()));
        QVERIFY(ui.Picture4->geometry().bottom() < ui.StatusBar1->geometry().top());
        QCOMPARE(ui.Picture4->geometry().top(), ui.Picture3->geometry().bottom() + 1);
        QVERIFY(viewport.height() >= row->height());
        // What the bar cannot show, its scroll bar reaches.
        QCOMPARE(scroll->horizontalScrollBar()->isVisible(), row->width() > viewport.width());
        QCOMPARE(scroll->horizontalScrollBar()->maximum(), std::max(0, row->width() - viewport.width()));

        const QList<QWidget*> controls = {ui.Label1[4], ui.Combo2,   ui.Command2, ui.Command3,
                                          ui.Command5,  ui.Command4, ui.Command6, ui.Command1};
        for (QWidget* c : controls) {
            QVERIFY2(row->rect().contains(c->geometry()), qPrintable(c->objectName()));
            for (QWidget* other : controls)
                QVERIFY2(c == other || !c->geometry().intersects(other->geometry()),
                         qPrintable(c->objectName() + u'/' + other->objectName()));
        }
        QVERIFY(ui.Label2->x() + ui.Label2->sizeHint().width() <= row->width());
        QVERIFY(ui.Label2->geometry().top() >= ui.Command1->geometry().bottom());

        // The exit button: the designed margin on the right wherever the bar has room for it, and
        // never nearer the last command button than that margin.
        const double margin = Tw::left(ui.Command2);
        const double lastRight = Tw::left(ui.Command6) + Tw::width(ui.Command6);
        QVERIFY(Tw::left(ui.Command1) >= lastRight + margin);
        const double bar = Tw::width(ui.Picture4);
        if (bar >= lastRight + margin + Tw::width(ui.Command1) + margin)
            QCOMPARE(bar - Tw::left(ui.Command1) - Tw::width(ui.Command1), margin);

        // A control reached with the keyboard is scrolled into view; when the focus leaves the bar
        // (Tab from 退出 goes on to 管理处) the row's start is in view again.
        const auto shown = [&](QWidget* c) {
            return viewport.contains(QRect(c->mapTo(scroll->viewport(), QPoint(0, 0)), c->size()));
        };
        for (QWidget* c : QList<QWidget*>{ui.Command1, ui.Combo2}) {
            c->setFocus(Qt::TabFocusReason);
            QVERIFY2(shown(c), qPrintable(c->objectName()));
        }
        ui.Command1->setFocus(Qt::TabFocusReason);
        ui.Combo1->setFocus(Qt::TabFocusReason);
        QVERIFY(shown(ui.Label1[4]));
        QCOMPARE(scroll->horizontalScrollBar()->value(), 0);
    }

    // Tab goes through the controls as they stand: the left pane top down, the grid, the bar left to right.
    void tabOrderFollowsTheLayout()
    {
        MessageRecorder boxes;
        OwnerNumberForm form;
        Workbench ui(form);
        QStringList order;
        QWidget* w = ui.Combo1;
        do {
            if ((w->focusPolicy() & Qt::TabFocus) && form.isAncestorOf(w))
                order << w->objectName();
            w = w->nextInFocusChain();
        } while (w != ui.Combo1);
        QCOMPARE(order,
                 (QStringList{"Combo1", "Check1", "TreeView1", "MSFlexGrid1", "openFolderButton", "FindText", "Combo2",
                              "Command2", "Command3", "Command5", "Command4", "Command6", "Command1"}));

        // Tab leaves a filled grid for the bar; the arrow keys move between its cells.
        QVERIFY(generateForOffice14(ui));
        form.show();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        ui.MSFlexGrid1->setFocus();
        ui.MSFlexGrid1->setCurrentIndex(ui.MSFlexGrid1->model()->index(1, 1));
        QTest::keyClick(ui.MSFlexGrid1, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), ui.Combo2);
    }

    void officeChoiceFillsTreeInNaturalOrder()
    {
        OwnerNumberForm form;
        Workbench ui(form);
        QVERIFY(ui.chooseOffice(QStringLiteral("14")));
        QCOMPARE(ui.Label3->text(), QStringLiteral("管理处：14 澄岭花园管理处"));
        QVERIFY(!ui.TreeView1->isHidden());
        const QStringList keys = nodeKeys(ui);
        QCOMPARE(keys.size(), 13);
        QStringList texts;
        for (int i = 0; i < ui.TreeView1->topLevelItemCount(); ++i)
            texts << ui.TreeView1->topLevelItem(i)->text(0);
        // Shorter address parts first: 2 before 10, the longer estate name last of all.
        QVERIFY(texts.indexOf(QStringLiteral("澄岭花园2幢1单元")) < texts.indexOf(QStringLiteral("澄岭花园10幢")));
        QCOMPARE(texts.last(), QStringLiteral("澄岭花园会所"));
        for (const QString& key : keys)
            QVERIFY(key.startsWith(u'L'));

        // Select all, then untick all, including a node ticked by hand.
        ui.tickAll();
        for (int i = 0; i < ui.TreeView1->topLevelItemCount(); ++i)
            QCOMPARE(ui.TreeView1->topLevelItem(i)->checkState(0), Qt::Checked);
        ui.Check1->setChecked(false);
        emit ui.Check1->clicked(false);
        for (int i = 0; i < ui.TreeView1->topLevelItemCount(); ++i)
            QCOMPARE(ui.TreeView1->topLevelItem(i)->checkState(0), Qt::Unchecked);

        // Choosing the office again rebuilds the tree and drops the ticks; 全选 keeps its state.
        ui.TreeView1->topLevelItem(2)->setCheckState(0, Qt::Checked);
        ui.Check1->setChecked(true);
        QVERIFY(ui.chooseOffice(QStringLiteral("14")));
        QVERIFY(ui.Check1->isChecked());
        for (int i = 0; i < ui.TreeView1->topLevelItemCount(); ++i)
            QCOMPARE(ui.TreeView1->topLevelItem(i)->checkState(0), Qt::Unchecked);
    }

    void officeWithoutBuildingsLeavesEmptyVisibleTree()
    {
        db().exec(QStringLiteral("Delete From 楼表 Where 管理处 = '16'"));
        OwnerNumberForm form;
        Workbench ui(form);
        QVERIFY(ui.chooseOffice(QStringLiteral("16")));
        QCOMPARE(ui.TreeView1->topLevelItemCount(), 0);
        QVERIFY(!ui.TreeView1->isHidden());
    }

    void nothingTickedAsksForBuildings()
    {
        MessageRecorder boxes;
        OwnerNumberForm form;
        Workbench ui(form);
        QVERIFY(ui.chooseOffice(QStringLiteral("14")));
        ui.Command2->click();
        QCOMPARE(boxes.texts(), QStringList{QStringLiteral("请选择楼幢！")});
        QCOMPARE(boxes.boxes().first().title, kSystem);
        QCOMPARE(boxes.boxes().first().icon, MsgIcon::Information);
        QCOMPARE(form.selectedBuildings(), QString());
        QCOMPARE(ui.MSFlexGrid1->rows(), 1);
    }

    void selectedListFollowsTreeOrder()
    {
        MessageRecorder boxes;
        OwnerNumberForm form;
        Workbench ui(form);
        QVERIFY(ui.chooseOffice(QStringLiteral("14")));
        const QStringList keys = nodeKeys(ui);
        QVERIFY(keys.size() > 3);
        ui.TreeView1->topLevelItem(3)->setCheckState(0, Qt::Checked);
        ui.TreeView1->topLevelItem(1)->setCheckState(0, Qt::Checked);
        ui.Command5->click();
        QCOMPARE(form.selectedBuildings(), keys[1].mid(1) + u',' + keys[3].mid(1));
        ui.TreeView1->topLevelItem(3)->setCheckState(0, Qt::Unchecked);
        ui.Command5->click();
        QCOMPARE(form.selectedBuildings(), keys[1].mid(1)); // one building, no comma
    }

    void generateSaveViewClearRoundTrip()
    {
        MessageRecorder boxes;
        OwnerNumberForm form;
        Workbench ui(form);
        QVERIFY(ui.chooseOffice(QStringLiteral("14")));
        ui.tickAll();

        // The please-wait panel is up, with the command's text, while the engine runs.
        bool panelShown = false;
        QString panelText;
        QTimer::singleShot(0, &form, [&] {
            panelShown = !ui.Picture5->isHidden();
            panelText = ui.Label4->text();
        });
        ui.Command2->click();
        QVERIFY(panelShown);
        QCOMPARE(panelText, QStringLiteral("正在生成业主编号，请稍等......"));
        QVERIFY(ui.Picture5->isHidden());
        const int candidates = office14Owners(QStringLiteral("y.说明 = '新进户' And y.业主编号 Is Null"));
        QVERIFY(candidates > 100);
        QCOMPARE(ui.MSFlexGrid1->rows(), candidates + 1);
        QVERIFY(ui.Command3->isEnabled());
        QVERIFY(!ui.Command6->isEnabled());
        QVERIFY(boxes.boxes().isEmpty());
        // The view shows the widths the fill left, the id columns hidden.
        for (int c = 0; c < ui.MSFlexGrid1->cols(); ++c) {
            QCOMPARE(ui.MSFlexGrid1->isColumnHidden(c), c >= GridColumn::kShownCount);
            if (c < GridColumn::kShownCount)
                QCOMPARE(ui.MSFlexGrid1->columnWidth(c), twipsToPixels(ui.MSFlexGrid1->colWidth(c)));
        }

        int numbered = 0;
        for (int r = 1; r < ui.MSFlexGrid1->rows(); ++r)
            numbered += ui.MSFlexGrid1->textMatrix(r, GridColumn::OwnerNumber).isEmpty() ? 0 : 1;
        QVERIFY(numbered < candidates); // buildings without a number are listed without one

        ui.Command3->click();
        QCOMPARE(boxes.texts(), (QStringList{"您确定要保存业主编号吗？", "业主编号保存完毕！"}));
        QCOMPARE(ui.duplicateNote->text(), QStringLiteral("已保存 %1 个业主编号").arg(numbered));
        QCOMPARE(boxes.boxes().at(0).icon, MsgIcon::Question);
        QCOMPARE(boxes.boxes().at(0).buttons, MsgButtons::YesNo);
        QVERIFY(!ui.Command3->isEnabled());
        QCOMPARE(office14Owners(QStringLiteral("y.业主编号 Is Not Null")), numbered);
        // The grid's own number for its first numbered row is what the table holds.
        for (int r = 1; r < ui.MSFlexGrid1->rows(); ++r)
            if (!ui.MSFlexGrid1->textMatrix(r, GridColumn::OwnerNumber).isEmpty()) {
                QCOMPARE(db().scalar(QStringLiteral("Select 业主编号 From 业主表 Where ZH_ID = ") +
                                     ui.MSFlexGrid1->textMatrix(r, GridColumn::OwnerId)),
                         ui.MSFlexGrid1->textMatrix(r, GridColumn::OwnerNumber));
                break;
            }

        // Generating again lists only the rooms still without a number.
        boxes.clear();
        ui.Command2->click();
        QCOMPARE(ui.MSFlexGrid1->rows(), candidates - numbered + 1);

        // View: saved numbers, clear enabled, save disabled.
        boxes.clear();
        ui.Command5->click();
        QCOMPARE(ui.MSFlexGrid1->rows(), numbered + 1);
        QVERIFY(!ui.Command3->isEnabled());
        QVERIFY(ui.Command6->isEnabled());

        // Clear: the question word for word, every row written and emptied.
        ui.Command6->click();
        QCOMPARE(boxes.texts(),
                 (QStringList{
                     "重要说明：\r\n清除业主编号是为了重新对业主进行编号，\r\n非必要情况下不得清除业主编号！\r\n\r\n"
                     "您确定要清除业主编号吗？",
                     "业主编号清除完毕！"}));
        QVERIFY(!ui.Command6->isEnabled());
        QCOMPARE(ui.duplicateNote->text(), QStringLiteral("已清除 %1 个业主编号").arg(numbered));
        QCOMPARE(ui.MSFlexGrid1->rows(), numbered + 1);
        for (int r = 1; r < ui.MSFlexGrid1->rows(); ++r)
            QCOMPARE(ui.MSFlexGrid1->textMatrix(r, GridColumn::OwnerNumber), QString());
        QCOMPARE(office14Owners(QStringLiteral("y.业主编号 Is Not Null")), 0);

        // Viewing again finds no saved number: nothing to clear, and the note line says so.
        boxes.clear();
        ui.Command5->click();
        QCOMPARE(ui.MSFlexGrid1->rows(), 1);
        QVERIFY(!ui.Command6->isEnabled());
        QVERIFY(boxes.boxes().isEmpty());
        QCOMPARE(ui.duplicateNote->text(), QStringLiteral("所选楼幢没有已保存的业主编号"));
        QVERIFY(!ui.duplicateNote->isHidden());
    }

    // Ids past 2^53 have no exact double: the statements must still name the owner shown, not a
    // moved-out neighbour whose id the rounded value hits.
    void largeIdsWriteTheirOwnRow()
    {
        const QString big = QStringLiteral("9007199254740993"); // 2^53 + 1
        db().exec(QStringLiteral("Insert Into 室表 (S_ID, L_ID, 室, 字) Select 900001, L_ID, '9901', '室' From 楼表 "
                                 "Where 管理处 = '14' And 地址2 = '3幢'"));
        db().exec(QStringLiteral("Insert Into 业主表 (ZH_ID, S_ID, 姓名, 说明, 业主编号) Values "
                                 "(%1, 900001, '大号业主', '新进户', Null), "
                                 "(9007199254740992, 900001, '邻居甲', '迁出', '旧甲'), "
                                 "(9007199254740990, 900001, '邻居乙', '迁出', '旧乙')")
                      .arg(big));
        const auto rowOf = [big](const Workbench& ui) {
            for (int r = 1; r < ui.MSFlexGrid1->rows(); ++r)
                if (ui.MSFlexGrid1->textMatrix(r, GridColumn::OwnerId) == big)
                    return r;
            return -1;
        };
        const auto neighbours = [this] {
            return db().rows(QStringLiteral("Select 业主编号 From 业主表 Where ZH_ID In (9007199254740990, "
                                            "9007199254740992) Order By ZH_ID"));
        };
        const QList<QStringList> untouched{{QStringLiteral("旧乙")}, {QStringLiteral("旧甲")}};

        MessageRecorder boxes;
        OwnerNumberForm form;
        Workbench ui(form);
        QVERIFY(generateForOffice14(ui));
        int row = rowOf(ui);
        QVERIFY2(row > 0, "the owner's id did not reach the grid exactly");
        const QString number = ui.MSFlexGrid1->textMatrix(row, GridColumn::OwnerNumber);
        QVERIFY(!number.isEmpty());
        ui.Command3->click();
        QCOMPARE(db().scalar(QStringLiteral("Select 业主编号 From 业主表 Where ZH_ID = ") + big), number);
        QCOMPARE(neighbours(), untouched);

        ui.Command5->click();
        row = rowOf(ui);
        QVERIFY(row > 0);
        boxes.clear();
        ui.Command6->click();
        QCOMPARE(boxes.texts().size(), 2);
        QCOMPARE(boxes.texts().last(), QStringLiteral("业主编号清除完毕！"));
        QCOMPARE(db().scalar(QStringLiteral("Select 业主编号 From 业主表 Where ZH_ID = ") + big),
                 QStringLiteral("<NULL>"));
        QCOMPARE(neighbours(), untouched);
    }

    // The file opened is gone, replaced or overwritten: nothing is reported as written, nothing
    // goes to another file, and reading says so too.
    void vanishedDatabaseIsRefused_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("explanation");
        QTest::newRow("deleted") << QStringLiteral("delete") << QStringLiteral("移走");
        QTest::newRow("another file renamed over it") << QStringLiteral("replace") << QStringLiteral("移走");
        QTest::newRow("garbage over it in place") << QStringLiteral("garbage") << QStringLiteral("损坏");
    }

    void vanishedDatabaseIsRefused()
    {
        QFETCH(QString, how);
        QFETCH(QString, explanation);
        MessageRecorder boxes;
        OwnerNumberForm form;
        Workbench ui(form);
        QVERIFY(generateForOffice14(ui));
        const QString path = db().path();
        const QString other = path + QStringLiteral(".other");
        const QString numbered = QStringLiteral("Select count(*) From 业主表 Where 业主编号 Is Not Null");
        const QString before = db().scalar(numbered);
        if (how == QStringLiteral("delete")) {
            QVERIFY(QFile::remove(path));
        } else if (how == QStringLiteral("replace")) {
            QVERIFY(QFile::copy(path, other));
            QVERIFY(::rename(other.toLocal8Bit().constData(), path.toLocal8Bit().constData()) == 0);
        } else {
            QFile f(path);
            QVERIFY(f.open(QIODevice::ReadWrite));
            f.write(QByteArray(4096, 'x'));
        }
        boxes.clear();
        ui.Command3->click();
        QCOMPARE(boxes.boxes().size(), 2);
        QVERIFY2(boxes.texts()[1].startsWith(QStringLiteral("已写入 0 行")), qPrintable(boxes.texts()[1]));
        QVERIFY2(boxes.texts()[1].contains(explanation), qPrintable(boxes.texts()[1]));
        QVERIFY(ui.Command3->isEnabled());
        if (how == QStringLiteral("replace")) // the file now at the path is untouched
            QCOMPARE(db().scalar(numbered), before);
        boxes.clear();
        ui.Command5->click();
        QCOMPARE(boxes.boxes().size(), 1);
        QVERIFY2(boxes.texts()[0].contains(explanation), qPrintable(boxes.texts()[0]));
    }

    // A statement that changed no owner, or several, is counted and its row marked; "完毕" only
    // when every statement changed one owner.
    void saveReportsOwnersNotFoundOrShared_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<QString>("report");
        QTest::newRow("owner deleted") << QStringLiteral("delete")
                                       << QStringLiteral("已写入 %1 行；1 位业主未找到（已被删除？）");
        QTest::newRow("one id, two owners")
            << QStringLiteral("twin") << QStringLiteral("已写入 %1 行；1 个 ZH_ID 对应多位业主");
    }
    void saveReportsOwnersNotFoundOrShared()
    {
        QFETCH(QString, change);
        QFETCH(QString, report);
        MessageRecorder boxes;
        OwnerNumberForm form;
        Workbench ui(form);
        QVERIFY(generateForOffice14(ui));
        int row = 1, numbered = 0;
        while (ui.MSFlexGrid1->textMatrix(row, GridColumn::OwnerNumber).isEmpty())
            ++row;
        for (int r = 1; r < ui.MSFlexGrid1->rows(); ++r)
            numbered += ui.MSFlexGrid1->textMatrix(r, GridColumn::OwnerNumber).isEmpty() ? 0 : 1;
        const QString owner = ui.MSFlexGrid1->textMatrix(row, GridColumn::OwnerId);
        if (change == QStringLiteral("delete")) {
            db().exec(QStringLiteral("Delete From 业主表 Where ZH_ID = ") + owner);
            --numbered;
        } else {
            db().exec(QStringLiteral("Create Table 旧业主表 As Select * From 业主表"));
            db().exec(QStringLiteral("Drop Table 业主表"));
            db().exec(QStringLiteral("Alter Table 旧业主表 Rename To 业主表"));
            db().exec(QStringLiteral("Insert Into 业主表 (ZH_ID, S_ID, 说明) Select ZH_ID, S_ID, '迁出' From 业主表 "
                                     "Where ZH_ID = ") +
                      owner);
        }
        boxes.clear();
        ui.Command3->click();
        QCOMPARE(boxes.texts().size(), 2);
        QVERIFY2(boxes.texts()[1].startsWith(report.arg(numbered)), qPrintable(boxes.texts()[1]));
        QCOMPARE(boxes.boxes()[1].icon, MsgIcon::Exclamation);
        QVERIFY(ui.MSFlexGrid1->gridModel().cellBackColor(row, GridColumn::OwnerNumber).isValid());
        QVERIFY(!ui.Command3->isEnabled());
    }

    // A proposed number another owner already holds is marked, noted and asked about before the
    // usual question; No writes nothing.
    void duplicateNumbersAreMarkedAndAskedFirst()
    {
        MessageRecorder boxes;
        OwnerNumberForm form;
        Workbench ui(form);
        QVERIFY(generateForOffice14(ui));
        int row = 1;
        while (row < ui.MSFlexGrid1->rows() && ui.MSFlexGrid1->textMatrix(row, GridColumn::OwnerNumber).isEmpty())
            ++row;
        QVERIFY(row < ui.MSFlexGrid1->rows());
        const QString number = ui.MSFlexGrid1->textMatrix(row, GridColumn::OwnerNumber);
        const QString owner = ui.MSFlexGrid1->textMatrix(row, GridColumn::OwnerId);
        auto* note = form.findChild<QLabel*>(QStringLiteral("duplicateNote"));
        QVERIFY(note && note->isHidden());
        // A moved-out owner of another room was given the same number years ago.
        db().exec(QStringLiteral("Update 业主表 Set 业主编号 = '%1' Where ZH_ID = (Select Min(ZH_ID) From 业主表 "
                                 "Where 说明 = '迁出' And ZH_ID <> %2)")
                      .arg(number, owner));
        ui.Command2->click();
        const FlexGridModel& grid = ui.MSFlexGrid1->gridModel();
        QCOMPARE(grid.markCount(), 1);
        QVERIFY(grid.cellBackColor(row, GridColumn::OwnerNumber).isValid());
        QVERIFY2(grid.cellToolTip(row, GridColumn::OwnerNumber).startsWith(QStringLiteral("与已保存的业主 ")),
                 qPrintable(grid.cellToolTip(row, GridColumn::OwnerNumber)));
        QCOMPARE(note->text(), QStringLiteral("有 1 个业主编号重复，已标红"));
        QVERIFY(!note->isHidden());
        QVERIFY(note->geometry().left() >= ui.Label3->geometry().right());

        const QString question = QStringLiteral("有 1 个业主编号与其他业主重复（表中已标红）。\r\n\r\n"
                                                "可为不同小区选择不同的小区区域后重新生成。\r\n\r\n仍要保存吗？");
        boxes.clear();
        boxes.answerNext(MsgAnswer::No);
        ui.Command3->click();
        QCOMPARE(boxes.texts(), QStringList{question});
        QCOMPARE(boxes.boxes().at(0).buttons, MsgButtons::YesNoDefaultNo);
        QCOMPARE(office14Owners(QStringLiteral("y.说明 = '新进户' And y.业主编号 Is Not Null")), 0);
        boxes.clear();
        ui.Command3->click(); // Yes, then Yes to the usual question
        QCOMPARE(boxes.texts(), (QStringList{question, QStringLiteral("您确定要保存业主编号吗？"),
                                             QStringLiteral("业主编号保存完毕！")}));

        // Viewing finds the number two owners now share.
        ui.Command5->click();
        QVERIFY(ui.MSFlexGrid1->gridModel().markCount() >= 1);
        QVERIFY(note->text().startsWith(QStringLiteral("有 ")));
        // Cleared, the numbers are gone and their marks with them: nothing red, no duplicate noted.
        boxes.clear();
        ui.Command6->click();
        QCOMPARE(boxes.texts().last(), QStringLiteral("业主编号清除完毕！"));
        QCOMPARE(ui.MSFlexGrid1->gridModel().markCount(), 0);
        QVERIFY2(!note->text().contains(QStringLiteral("重复")), qPrintable(note->text()));
    }

    // Names from the database and the argument that look like markup are shown as they are, in
    // every place that shows them: a picture they name is never read.
    void markupInDataIsShownAsText()
    {
        const BlockingSource source;
        const QString markup = source.markup();
        SetIdentityFields({"U1", markup, "", markup, "ADMIN", markup, "", "", "", ""});
        db().exec(QStringLiteral("Update 设置管理处 Set GYD_Name = '%1' Where GYD_DH = '14'").arg(markup));
        db().exec(QStringLiteral("Update 楼表 Set 地址1 = '%1' Where 管理处 = '14'").arg(markup));
        MessageRecorder boxes;
        OwnerNumberForm form;
        Workbench ui(form);
        form.show();
        QVERIFY(generateForOffice14(ui));
        int row = 1;
        while (row < ui.MSFlexGrid1->rows() && ui.MSFlexGrid1->textMatrix(row, GridColumn::OwnerNumber).isEmpty())
            ++row;
        QVERIFY(row < ui.MSFlexGrid1->rows());
        // A moved-out owner with such a name holds the number: it is named in the cell's tooltip.
        db().exec(QStringLiteral("Update 业主表 Set 业主编号 = '%1', 姓名 = '%2' Where ZH_ID = (Select Min(ZH_ID) "
                                 "From 业主表 Where 说明 = '迁出' And ZH_ID <> %3)")
                      .arg(ui.MSFlexGrid1->textMatrix(row, GridColumn::OwnerNumber), markup,
                           ui.MSFlexGrid1->textMatrix(row, GridColumn::OwnerId)));
        ui.Command2->click();
        QVERIFY(ui.MSFlexGrid1->gridModel().cellToolTip(row, GridColumn::OwnerNumber).contains(markup));
        ui.MSFlexGrid1->setCurrentIndex(ui.MSFlexGrid1->model()->index(row - 1, GridColumn::OwnerNumber));
        ui.MSFlexGrid1->scrollTo(ui.MSFlexGrid1->currentIndex());
        const QRect cell = ui.MSFlexGrid1->visualRect(ui.MSFlexGrid1->currentIndex());
        QHelpEvent hover(QEvent::ToolTip, cell.center(), ui.MSFlexGrid1->viewport()->mapToGlobal(cell.center()));
        QApplication::sendEvent(ui.MSFlexGrid1->viewport(), &hover);
        QVERIFY(QToolTip::isVisible());
        ui.Combo1->showPopup();
        form.grab();
        QApplication::processEvents();
        ui.Combo1->hidePopup();
        QToolTip::hideText();
        QCOMPARE(source.opens(), 0);
        QCOMPARE(ui.Panels[1]->text(), markup);
        QCOMPARE(ui.Label3->text(), QStringLiteral("管理处：14 ") + markup);
        QVERIFY(ui.TreeView1->topLevelItem(0)->text(0).contains(markup));
    }

    // Ctrl+F, Enter, Shift+Enter, not found in the bar itself, Escape.
    void findBarStepsThroughTheGrid()
    {
        MessageRecorder boxes;
        OwnerNumberForm form;
        Workbench ui(form);
        form.resize(1400, 900);
        form.show();
        QVERIFY(generateForOffice14(ui));
        boxes.clear();
        const QString name = ui.MSFlexGrid1->textMatrix(3, GridColumn::Name);
        QList<int> rows; // every row holding that name
        for (int r = 1; r < ui.MSFlexGrid1->rows(); ++r)
            if (ui.MSFlexGrid1->textMatrix(r, GridColumn::Name).contains(name))
                rows << r;
        QVERIFY(!name.isEmpty() && !rows.isEmpty());
        QTest::keyClick(&form, Qt::Key_F, Qt::ControlModifier);
        auto* text = form.findChild<QLineEdit*>(QStringLiteral("FindText"));
        auto* status = form.findChild<QLabel*>(QStringLiteral("FindStatus"));
        QVERIFY(text && text->isVisible() && status);
        QVERIFY(ui.MSFlexGrid1->geometry().bottom() < text->mapTo(ui.Picture3, QPoint(0, 0)).y());
        ui.MSFlexGrid1->setRow(ui.MSFlexGrid1->rows() - 1); // from the last row on: wraps to the first
        text->insert(name);
        QTest::keyClick(text, Qt::Key_Return);
        QCOMPARE(ui.MSFlexGrid1->row(), rows.first());
        QCOMPARE(ui.MSFlexGrid1->colSel(), int(GridColumn::kShownCount) - 1);
        QCOMPARE(status->text(), QStringLiteral("第 1 / %1 处，已从头开始").arg(rows.size()));
        QTest::keyClick(text, Qt::Key_Return, Qt::ShiftModifier);
        QCOMPARE(ui.MSFlexGrid1->row(), rows.last());
        QCOMPARE(status->text(), QStringLiteral("第 %1 / %1 处，已从末尾开始").arg(rows.size()));
        // 序 is no data: a row's index that no data cell holds is not found.
        int index = ui.MSFlexGrid1->rows() - 1;
        const auto inData = [&ui](const QString& needle) {
            for (int r = 1; r < ui.MSFlexGrid1->rows(); ++r)
                for (int c = GridColumn::Name; c < GridColumn::kShownCount; ++c)
                    if (ui.MSFlexGrid1->textMatrix(r, c).contains(needle))
                        return true;
            return false;
        };
        while (index > 1 && inData(QString::number(index)))
            --index;
        QVERIFY(index > 1);
        text->setText(QString::number(index));
        QTest::keyClick(text, Qt::Key_Return);
        QCOMPARE(status->text(), QStringLiteral("未找到"));
        // Full-width digits find the half-width ones.
        const QString number = ui.MSFlexGrid1->textMatrix(5, GridColumn::OwnerNumber);
        QString wide = number;
        for (QChar& c : wide)
            if (c.isDigit())
                c = QChar(c.unicode() - u'0' + 0xFF10);
        text->setText(wide);
        QTest::keyClick(text, Qt::Key_Return);
        QCOMPARE(ui.MSFlexGrid1->row(), 5);
        text->setText(QStringLiteral("没有这个人"));
        QTest::keyClick(text, Qt::Key_Return);
        QCOMPARE(status->text(), QStringLiteral("未找到"));
        QCOMPARE(boxes.texts(), QStringList());
        QTest::keyClick(text, Qt::Key_Escape);
        QVERIFY(!text->isVisible());
    }

    void answeringNoWritesNothing()
    {
        MessageRecorder boxes;
        OwnerNumberForm form;
        Workbench ui(form);
        QVERIFY(generateForOffice14(ui));
        boxes.answerNext(MsgAnswer::No);
        ui.Command3->click();
        QCOMPARE(boxes.texts(), QStringList{"您确定要保存业主编号吗？"});
        QVERIFY(ui.Command3->isEnabled());
        QCOMPARE(office14Owners(QStringLiteral("y.业主编号 Is Not Null")), 0);
    }

    void allNumberedGivesTheTwoPartMessage()
    {
        MessageRecorder boxes;
        OwnerNumberForm form;
        Workbench ui(form);
        const QStringList twoParts{"所选楼栋的业主编号已经生产，不可重新编号！\r\n\r\n请去查看已经生成的业主编号！"};
        QVERIFY(ui.chooseOffice(QStringLiteral("15")));
        ui.tickAll();
        ui.Command2->click();
        QVERIFY(ui.MSFlexGrid1->rows() > 1);
        QVERIFY(ui.Command3->isEnabled());
        // Every new owner of office 15 numbered meanwhile: the generate finds nothing, leaves save
        // as it was (enabled here), and disables clear.
        db().exec(QStringLiteral("Update 业主表 Set 业主编号 = 'X' Where 说明 = '新进户'"));
        ui.Command2->click();
        QCOMPARE(boxes.texts(), twoParts);
        QCOMPARE(ui.MSFlexGrid1->rows(), 1);
        QVERIFY(ui.Command3->isEnabled());
        QVERIFY(!ui.Command6->isEnabled());

        // From a view (save disabled, clear enabled): save stays disabled, clear is disabled.
        ui.Command5->click();
        QVERIFY(ui.Command6->isEnabled());
        boxes.clear();
        ui.Command2->click();
        QCOMPARE(boxes.texts(), twoParts);
        QCOMPARE(ui.MSFlexGrid1->rows(), 1);
        QVERIFY(!ui.Command6->isEnabled());
        QVERIFY(!ui.Command3->isEnabled());
    }

    void headerOnlyGridAsksNothing()
    {
        MessageRecorder boxes;
        OwnerNumberForm form;
        Workbench ui(form);
        ui.Command3->setEnabled(true);
        ui.Command6->setEnabled(true);
        ui.Command3->click();
        ui.Command6->click();
        QVERIFY(boxes.boxes().isEmpty());
    }

    void engineFailureLeavesAUsableForm()
    {
        MessageRecorder boxes;
        OwnerNumberForm form;
        Workbench ui(form);
        QVERIFY(generateForOffice14(ui));
        QVERIFY(ui.Command3->isEnabled());
        db().exec(QStringLiteral("Drop Table 业主表"));
        boxes.clear();
        ui.Command5->click();
        QCOMPARE(boxes.boxes().size(), 1);
        QVERIFY(boxes.texts().first().startsWith(QStringLiteral("运行时错误 '")));
        QCOMPARE(boxes.boxes().first().icon, MsgIcon::Critical);
        QVERIFY(ui.Picture5->isHidden());
        QCOMPARE(ui.MSFlexGrid1->rows(), 1);
        QVERIFY(!ui.Command3->isEnabled());
        QVERIFY(!ui.Command6->isEnabled());
        QVERIFY(ui.Command2->isEnabled());
        QVERIFY(ui.Combo1->isEnabled());
        QVERIFY(ui.MSFlexGrid1->redraw());
    }

    void failedUpdateStopsAndCountsWrittenRows()
    {
        MessageRecorder boxes;
        OwnerNumberForm form;
        Workbench ui(form);
        QVERIFY(generateForOffice14(ui));
        // The fifth numbered row violates a rule of the database.
        QStringList ids;
        int failingRow = 0;
        for (int r = 1; r < ui.MSFlexGrid1->rows() && ids.size() < 5; ++r)
            if (!ui.MSFlexGrid1->textMatrix(r, GridColumn::OwnerNumber).isEmpty()) {
                ids << ui.MSFlexGrid1->textMatrix(r, GridColumn::OwnerId);
                failingRow = r;
            }
        QCOMPARE(ids.size(), 5);
        db().exec(QStringLiteral("Create Trigger refuse Before Update On 业主表 When NEW.ZH_ID = %1 "
                                 "Begin Select Raise(Abort, '业主编号不允许修改'); End")
                      .arg(ids.last()));
        ui.Command3->click();
        QCOMPARE(boxes.boxes().size(), 2);
        const QString text = boxes.texts().at(1);
        QVERIFY2(text.startsWith(QStringLiteral("已写入 4 行，第 %1 行出错。\r\n运行时错误 '").arg(failingRow)),
                 qPrintable(text));
        QVERIFY(text.contains(QStringLiteral("业主编号不允许修改")));
        QCOMPARE(db().scalar(QStringLiteral("Select count(*) From 业主表 Where 业主编号 Is Not Null And ZH_ID In (%1)")
                                 .arg(ids.join(u','))),
                 QStringLiteral("4"));
        QVERIFY(ui.Picture5->isHidden());
        QVERIFY(ui.Command3->isEnabled()); // the user can try again
        QVERIFY(ui.MSFlexGrid1->redraw());
    }

    void lockedDatabaseIsReportedNotFatal()
    {
        MessageRecorder boxes;
        OwnerNumberForm form;
        Workbench ui(form);
        QVERIFY(generateForOffice14(ui));
        {
            QSqlDatabase other = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("locker"));
            other.setDatabaseName(db().path());
            QVERIFY(other.open());
            QSqlQuery q(other);
            QVERIFY(q.exec(QStringLiteral("BEGIN EXCLUSIVE")));
            ui.Command3->click();
            q.exec(QStringLiteral("ROLLBACK"));
            other.close();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("locker"));
        QCOMPARE(boxes.boxes().size(), 2);
        QVERIFY2(boxes.texts().at(1).startsWith(QStringLiteral("已写入 0 行，第 ")), qPrintable(boxes.texts().at(1)));
        QVERIFY(boxes.texts().at(1).contains(QStringLiteral("locked")));
        QVERIFY(ui.Command3->isEnabled());
    }

    // Another office's choice empties the grid: its rows cannot be saved or exported under the
    // new office's name. The same office again keeps them.
    void officeChangeEmptiesTheGrid()
    {
        MessageRecorder boxes;
        OwnerNumberForm form;
        Workbench ui(form);
        QVERIFY(ui.chooseOffice(QStringLiteral("15")));
        ui.tickAll();
        ui.Command5->click(); // office 15's numbers are saved in the demo
        const int viewed = ui.MSFlexGrid1->rows();
        QVERIFY(viewed > 1 && ui.Command6->isEnabled());
        QVERIFY(ui.chooseOffice(QStringLiteral("15")));
        QCOMPARE(ui.MSFlexGrid1->rows(), viewed);
        QVERIFY(ui.Command6->isEnabled());

        QVERIFY(generateForOffice14(ui));
        QVERIFY(ui.Command3->isEnabled());
        ui.MSFlexGrid1->gridModel().setCellMark(1, GridColumn::OwnerNumber, Qt::red, QStringLiteral("x"));
        QVERIFY(ui.chooseOffice(QStringLiteral("15")));
        QCOMPARE(ui.Label3->text(), QStringLiteral("管理处：15 澄岭雅苑管理处"));
        QCOMPARE(ui.MSFlexGrid1->rows(), 1);
        QCOMPARE(ui.MSFlexGrid1->gridModel().markCount(), 0);
        QVERIFY(!ui.Command3->isEnabled());
        QVERIFY(!ui.Command6->isEnabled());
        QVERIFY(ui.duplicateNote->isHidden());
        QVERIFY(boxes.boxes().isEmpty());
    }

    // The grid as a table: a click, Shift+click, the keys and Ctrl+A select whole visible rows;
    // Ctrl+C and the context menu copy them through the clipboard.
    void gridRowsAreSelectedAndCopied()
    {
        MessageRecorder boxes;
        OwnerNumberForm form;
        Workbench ui(form);
        form.resize(1400, 900);
        form.show();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        QVERIFY(generateForOffice14(ui));
        FlexGrid* grid = ui.MSFlexGrid1;
        const auto click = [grid](int row, Qt::KeyboardModifiers modifiers = {},
                                  Qt::MouseButton button = Qt::LeftButton) {
            const QRect cell = grid->visualRect(grid->model()->index(row - 1, GridColumn::Address));
            QTest::mouseClick(grid->viewport(), button, modifiers, cell.center());
        };
        const auto selected = [grid] {
            return QPair<int, int>(std::min(grid->row(), grid->rowSel()), std::max(grid->row(), grid->rowSel()));
        };
        click(2);
        QCOMPARE(selected(), qMakePair(2, 2));
        QCOMPARE(grid->col(), 0);
        QCOMPARE(grid->colSel(), int(GridColumn::OwnerNumber));
        click(4, Qt::ShiftModifier);
        QCOMPARE(selected(), qMakePair(2, 4));
        QCOMPARE(grid->colSel(), int(GridColumn::OwnerNumber));
        QTest::keyClick(grid, Qt::Key_Down, Qt::ShiftModifier);
        QCOMPARE(selected(), qMakePair(2, 5));

        QGuiApplication::clipboard()->clear();
        QTest::keySequence(grid, QKeySequence::Copy);
        QString expected;
        for (int r = 2; r <= 5; ++r) {
            QStringList cells;
            for (int c = 0; c < GridColumn::kShownCount; ++c)
                cells << grid->textMatrix(r, c);
            expected += cells.join(u'\t') + u'\n';
        }
        QCOMPARE(QGuiApplication::clipboard()->text(), expected);

        // The context menu: 复制 as Ctrl+C, 复制业主编号 the numbers alone.
        click(4, {}, Qt::RightButton);
        const QPoint at = grid->visualRect(grid->model()->index(3, GridColumn::Address)).center();
        QContextMenuEvent request(QContextMenuEvent::Mouse, at, grid->viewport()->mapToGlobal(at));
        QApplication::sendEvent(grid->viewport(), &request);
        auto* menu = form.findChild<QMenu*>(QStringLiteral("gridMenu"));
        QVERIFY(menu && menu->isVisible());
        menu->hide();
        QCOMPARE(selected(), qMakePair(2, 5)); // a right click inside the selection keeps it
        form.findChild<QAction*>(QStringLiteral("copyOwnerNumbers"))->trigger();
        QString numbers;
        for (int r = 2; r <= 5; ++r)
            numbers += grid->textMatrix(r, GridColumn::OwnerNumber) + u'\n';
        QCOMPARE(QGuiApplication::clipboard()->text(), numbers);
        QGuiApplication::clipboard()->clear();
        form.findChild<QAction*>(QStringLiteral("copyRows"))->trigger();
        QCOMPARE(QGuiApplication::clipboard()->text(), expected);

        // The keys move the whole-row selection.
        click(3);
        QTest::keyClick(grid, Qt::Key_Down);
        QCOMPARE(selected(), qMakePair(4, 4));
        QCOMPARE(grid->colSel(), int(GridColumn::OwnerNumber));
        QTest::keyClick(grid, Qt::Key_End);
        QCOMPARE(selected(), qMakePair(grid->rows() - 1, grid->rows() - 1));
        QTest::keyClick(grid, Qt::Key_PageUp);
        QVERIFY(grid->row() < grid->rows() - 2);
        QTest::keyClick(grid, Qt::Key_Home);
        QCOMPARE(selected(), qMakePair(1, 1));
        QTest::keySequence(grid, QKeySequence::SelectAll);
        QCOMPARE(selected(), qMakePair(1, grid->rows() - 1));
        QCOMPARE(grid->colSel(), int(GridColumn::OwnerNumber));
        QVERIFY(boxes.boxes().isEmpty());
    }

    // After every command the focus is where the user left it, or on the grid after a command
    // that fills or writes it; an office chosen with Down keeps it on the combo box.
    void focusStaysWhereTheUserLeftIt_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("focus");
        QTest::newRow("office with Down") << "office"
                                          << "Combo1";
        QTest::newRow("generate") << "Command2"
                                  << "MSFlexGrid1";
        QTest::newRow("view") << "Command5"
                              << "MSFlexGrid1";
        QTest::newRow("save") << "Command3"
                              << "MSFlexGrid1";
        QTest::newRow("export") << "Command4"
                                << "Command4";
    }
    void focusStaysWhereTheUserLeftIt()
    {
        QFETCH(QString, command);
        QFETCH(QString, focus);
        MessageRecorder boxes;
        QTemporaryDir dir;
        FileDialogSeam::setScript(
            [&dir](const QString&, const QString&) { return dir.filePath(QStringLiteral("表")); });
        OwnerNumberForm form;
        Workbench ui(form);
        form.show();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        if (command == QStringLiteral("office")) {
            ui.Combo1->setFocus();
            QTest::keyClick(ui.Combo1, Qt::Key_Down);
            QVERIFY(ui.TreeView1->topLevelItemCount() > 0);
        } else {
            QVERIFY(generateForOffice14(ui));
            auto* button = form.findChild<QPushButton*>(command);
            button->setFocus();
            QTest::keyClick(button, Qt::Key_Space);
        }
        FileDialogSeam::clearScript();
        QVERIFY(QApplication::focusWidget());
        QCOMPARE(QApplication::focusWidget()->objectName(), focus);
    }

    // Generated numbers not saved yet: closing the workbench or the program asks first, No the
    // default, before the exit question; saved, nothing is asked.
    void unsavedNumbersAskBeforeClosing()
    {
        const QString unsaved = QStringLiteral("生成的业主编号尚未保存，确定要关闭吗？");
        MessageRecorder boxes;
        EndRecorder ends;
        MainWindow w;
        w.resize(1400, 900);
        w.show();
        w.findChild<QAction*>(QStringLiteral("业主编号管理"))->trigger();
        auto* form = w.findChild<OwnerNumberForm*>();
        QVERIFY(form);
        Workbench ui(*form);
        QVERIFY(generateForOffice14(ui));
        QPointer<QMdiSubWindow> frame = w.mdiArea()->activeSubWindow();

        boxes.clear();
        boxes.answerNext(MsgAnswer::No);
        frame->close();
        QVERIFY(frame && frame->isVisible());
        QCOMPARE(boxes.texts(), QStringList{unsaved});
        QCOMPARE(boxes.boxes()[0].buttons, MsgButtons::YesNoDefaultNo);
        QCOMPARE(boxes.boxes()[0].icon, MsgIcon::Question);
        QCOMPARE(boxes.boxes()[0].title, kSystem);

        boxes.clear();
        boxes.answerNext(MsgAnswer::No);
        w.close();
        QCOMPARE(boxes.texts(), QStringList{unsaved}); // no exit question after No
        boxes.clear();
        boxes.answerNext(MsgAnswer::Yes);
        boxes.answerNext(MsgAnswer::Yes);
        w.close();
        QCOMPARE(boxes.texts(), (QStringList{unsaved, QStringLiteral("确认要退出系统吗？")}));
        QCOMPARE(ends.count(), 1);
        boxes.clear();
        boxes.answerNext(MsgAnswer::No);
        w.findChild<QAction*>(QStringLiteral("退出"))->trigger();
        QCOMPARE(boxes.texts(), QStringList{unsaved});
        QCOMPARE(ends.count(), 1);

        // Saved: the workbench closes without a word.
        ui.Command3->click();
        boxes.clear();
        frame->close();
        QCoreApplication::processEvents();
        QVERIFY(boxes.boxes().isEmpty());
        QVERIFY(!frame || !frame->isVisible());
    }

    void clickMarksTheVisibleRow()
    {
        MessageRecorder boxes;
        OwnerNumberForm form;
        Workbench ui(form);
        QVERIFY(generateForOffice14(ui));
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        const QModelIndex cell = ui.MSFlexGrid1->model()->index(2, 5);
        ui.MSFlexGrid1->setCurrentIndex(cell);
        emit ui.MSFlexGrid1->clicked(cell);
        QCOMPARE(ui.MSFlexGrid1->col(), 0);
        QCOMPARE(ui.MSFlexGrid1->colSel(), int(GridColumn::OwnerNumber));
    }
};

QTEST_MAIN(WorkbenchTest)
#include "test_workbench.moc"
