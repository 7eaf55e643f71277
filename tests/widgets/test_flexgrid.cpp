#include "core/Fonts.h"
#include "core/RuntimeError.h"
#include "core/Twips.h"
#include "widgets/FlexGrid.h"

#include "support/TestSupport.h"
#include <QAbstractItemModelTester>
#include <QClipboard>
#include <QHeaderView>
#include <QSignalSpy>

#include <QtTest>

namespace {

QStringList rowTexts(const FlexGrid& grid, int row)
{
    QStringList texts;
    for (int c = 0; c < grid.cols(); ++c)
        texts << grid.textMatrix(row, c);
    return texts;
}

// The owner-number grid's format string.
const QString kFormat = QStringLiteral(
    "^序  |<业主姓名                    |<地址                                                    |<项目编号 "
    "|<区域编号 |<幢号  |<单元号 |<室号    |<转卖情况 |<业主编号                |||");
} // namespace

class FlexGridTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { installFontSubstitutions(); }

    void startsAsTheGridDoes()
    {
        FlexGrid grid;
        QCOMPARE(grid.rows(), 2);
        QCOMPARE(grid.cols(), 2);
        QCOMPARE(grid.row(), 1);
        QCOMPARE(grid.col(), 1);
        QCOMPARE(grid.model()->rowCount(), 1); // the header row is the view's header
        QVERIFY(grid.redraw());
    }

    void rowsColsAndTexts()
    {
        FlexGrid grid;
        QAbstractItemModelTester tester(grid.model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        grid.setCols(3);
        grid.setRows(3);
        grid.setTextMatrix(0, 1, QStringLiteral("姓名"));
        grid.setTextMatrix(2, 2, QStringLiteral("x"));
        QCOMPARE(grid.model()->headerData(1, Qt::Horizontal).toString(), QStringLiteral("姓名"));
        QCOMPARE(grid.model()->index(1, 2).data().toString(), QStringLiteral("x"));

        grid.addItem(QStringLiteral("3\t张三\t多余\t丢弃"));
        QCOMPARE(grid.rows(), 4);
        QCOMPARE(rowTexts(grid, 3), (QStringList{QStringLiteral("3"), QStringLiteral("张三"), QStringLiteral("多余")}));
        grid.addItem();
        QCOMPARE(rowTexts(grid, 4), (QStringList{QString(), QString(), QString()}));

        grid.setCols(5); // texts stay where they were
        QCOMPARE(grid.textMatrix(2, 2), QStringLiteral("x"));
        QCOMPARE(grid.textMatrix(0, 1), QStringLiteral("姓名"));
        QCOMPARE(grid.textMatrix(3, 4), QString());
        grid.setCols(2);
        QCOMPARE(grid.textMatrix(3, 1), QStringLiteral("张三"));

        grid.setRows(1); // only the header row stays
        QCOMPARE(grid.rows(), 1);
        QCOMPARE(grid.model()->rowCount(), 0);
        QCOMPARE(grid.textMatrix(0, 1), QStringLiteral("姓名"));
        grid.setRows(3);
        QCOMPARE(grid.textMatrix(2, 1), QString()); // old texts do not come back
        grid.setRows(0);
        QCOMPARE(grid.rows(), 1);
    }

    void outOfRangeIsAnError()
    {
        FlexGrid grid;
        grid.setCols(3);
        QCOMPARE(errorNumber([&] { grid.textMatrix(2, 0); }), 381L);
        QCOMPARE(errorNumber([&] { grid.setTextMatrix(0, 3, QString()); }), 381L);
        QCOMPARE(errorNumber([&] { grid.textMatrix(-1, 0); }), 381L);
        QCOMPARE(errorNumber([&] { grid.colWidth(3); }), 381L);
        QCOMPARE(errorNumber([&] { grid.setRow(2); }), 30009L);
        QCOMPARE(errorNumber([&] { grid.setCol(3); }), 30010L);
        QCOMPARE(errorNumber([&] { grid.setColAlignment(0, 10); }), 380L);
    }

    void formatStringSetsHeadersAlignmentAndWidths()
    {
        FlexGrid grid;
        grid.setFont(yaheiFont(9));
        grid.setFormatString(kFormat);
        QCOMPARE(grid.cols(), 13);
        QCOMPARE(grid.formatString(), kFormat);
        QCOMPARE(grid.textMatrix(0, 0), QStringLiteral("序  "));
        QCOMPARE(grid.textMatrix(0, 2), QStringLiteral("地址") + QString(52, u' '));
        QCOMPARE(grid.textMatrix(0, 9), QStringLiteral("业主编号                "));
        QCOMPARE(grid.textMatrix(0, 12), QString());
        // The blanks size the column; the title is shown without them, so it can be centred.
        QCOMPARE(grid.model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("序"));
        QCOMPARE(grid.model()->headerData(9, Qt::Horizontal).toString(), QStringLiteral("业主编号"));
        QCOMPARE(grid.colAlignment(0), int(FlexGridModel::AlignCenterCenter));
        QCOMPARE(grid.colAlignment(1), int(FlexGridModel::AlignLeftCenter));
        QCOMPARE(grid.colAlignment(12), int(FlexGridModel::AlignGeneral));

        // Each width follows its header text, trailing blanks included.
        const QFontMetrics metrics(grid.font());
        for (int c = 0; c < grid.cols(); ++c) {
            const int text = metrics.horizontalAdvance(grid.textMatrix(0, c)) * 15;
            QVERIFY2(grid.colWidth(c) > text && grid.colWidth(c) < text + 200, qPrintable(QString::number(c)));
            QCOMPARE(grid.columnWidth(c), twipsToPixels(grid.colWidth(c)));
        }
        QVERIFY(grid.colWidth(2) > grid.colWidth(1));
        QVERIFY(grid.colWidth(2) > metrics.horizontalAdvance(QStringLiteral("地址")) * 15 + 2000);

        FlexGrid right;
        right.setFormatString(QStringLiteral(">金额|plain"));
        QCOMPARE(right.textMatrix(0, 0), QStringLiteral("金额"));
        QCOMPARE(right.colAlignment(0), int(FlexGridModel::AlignRightCenter));
        QCOMPARE(right.textMatrix(0, 1), QStringLiteral("plain"));
        QCOMPARE(right.colAlignment(1), int(FlexGridModel::AlignGeneral));
    }

    void widthZeroHidesAColumn()
    {
        FlexGrid grid;
        grid.setCols(4);
        grid.setColWidth(3, 0);
        QVERIFY(grid.isColumnHidden(3));
        QCOMPARE(grid.colWidth(3), 0);
        grid.setColWidth(3, 1500);
        QVERIFY(!grid.isColumnHidden(3));
        QCOMPARE(grid.columnWidth(3), 100);
        QCOMPARE(grid.colWidth(3), 1500);
    }

    void alignmentAppliesToHeaderAndCells_data()
    {
        QTest::addColumn<int>("alignment");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("expected");
        QTest::newRow("left-top") << 0 << QStringLiteral("a") << int(Qt::AlignLeft | Qt::AlignTop);
        QTest::newRow("centre-centre") << 4 << QStringLiteral("a") << int(Qt::AlignHCenter | Qt::AlignVCenter);
        QTest::newRow("right-bottom") << 8 << QStringLiteral("a") << int(Qt::AlignRight | Qt::AlignBottom);
        QTest::newRow("general text") << 9 << QStringLiteral("a") << int(Qt::AlignLeft | Qt::AlignVCenter);
        QTest::newRow("general number") << 9 << QStringLiteral("12") << int(Qt::AlignRight | Qt::AlignVCenter);
    }

    void alignmentAppliesToHeaderAndCells()
    {
        QFETCH(int, alignment);
        QFETCH(QString, text);
        QFETCH(int, expected);
        FlexGrid grid;
        grid.setFormatString(QStringLiteral("<序|^名"));
        grid.setRows(2);
        grid.setTextMatrix(1, 1, text);
        grid.setColAlignment(1, alignment);
        QCOMPARE(grid.colAlignment(1), alignment);
        QCOMPARE(grid.model()->index(0, 1).data(Qt::TextAlignmentRole).toInt(), expected);
        if (alignment != FlexGridModel::AlignGeneral)
            QCOMPARE(grid.model()->headerData(1, Qt::Horizontal, Qt::TextAlignmentRole).toInt(), expected);
    }

    void redrawOffStoresWithoutSignals()
    {
        FlexGrid grid;
        QAbstractItemModelTester tester(grid.model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        grid.setCols(4);
        grid.setRows(1);
        QAbstractItemModel* model = grid.model();
        QSignalSpy changed(model, &QAbstractItemModel::dataChanged);
        QSignalSpy inserted(model, &QAbstractItemModel::rowsInserted);
        QSignalSpy header(model, &QAbstractItemModel::headerDataChanged);
        QSignalSpy reset(model, &QAbstractItemModel::modelReset);

        grid.setRedraw(false);
        for (int i = 1; i <= 500; ++i) {
            grid.addItem();
            grid.setRow(i);
            for (int c = 0; c < 4; ++c)
                grid.setTextMatrix(i, c, QStringLiteral("%1-%2").arg(i).arg(c));
        }
        grid.setTextMatrix(0, 1, QStringLiteral("标题"));
        grid.setColWidth(2, 3000);
        QCOMPARE(grid.rows(), 501);
        QCOMPARE(grid.textMatrix(500, 3), QStringLiteral("500-3"));
        QCOMPARE(model->rowCount(), 0); // the views still see the grid as it was
        QCOMPARE(changed.count() + inserted.count() + header.count() + reset.count(), 0);
        QVERIFY(grid.columnWidth(2) != 200);

        grid.setRedraw(true);
        QCOMPARE(reset.count(), 1);
        QCOMPARE(changed.count() + inserted.count(), 0);
        QCOMPARE(model->rowCount(), 500);
        QCOMPARE(model->index(499, 3).data().toString(), QStringLiteral("500-3"));
        QCOMPARE(model->headerData(1, Qt::Horizontal).toString(), QStringLiteral("标题"));
        QCOMPARE(grid.columnWidth(2), 200);
        // The current row set while redraw was off is shown once redraw is back.
        QCOMPARE(grid.selectionModel()->currentIndex(), model->index(499, 1));

        // Only cell edits while off: one dataChanged over the edited cells, no reset.
        reset.clear();
        grid.setRedraw(false);
        grid.setTextMatrix(3, 1, QStringLiteral("a"));
        grid.setTextMatrix(7, 2, QStringLiteral("b"));
        QCOMPARE(changed.count(), 0);
        grid.setRedraw(true);
        QCOMPARE(reset.count(), 0);
        QCOMPARE(changed.count(), 1);
        QCOMPARE(changed.first().at(0).value<QModelIndex>(), model->index(2, 1));
        QCOMPARE(changed.first().at(1).value<QModelIndex>(), model->index(6, 2));
    }

    void emptyingWhileRedrawIsOff()
    {
        FlexGrid grid;
        QAbstractItemModelTester tester(grid.model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        grid.setCols(3);
        grid.setRows(50);
        grid.setRedraw(false);
        grid.setRows(1);
        // The view may still paint rows it knows of; they read as empty, not out of bounds.
        QCOMPARE(grid.model()->rowCount(), 49);
        QCOMPARE(grid.model()->index(48, 2).data().toString(), QString());
        grid.setRedraw(true);
        QCOMPARE(grid.model()->rowCount(), 0);
        QCOMPARE(grid.row(), 0);
    }

    void hiddenColumnsStayHiddenAfterARefill()
    {
        FlexGrid grid;
        grid.setCols(5);
        grid.setColWidth(4, 0);
        grid.setRedraw(false);
        for (int i = 0; i < 10; ++i)
            grid.addItem(QStringLiteral("a\tb\tc\td\te"));
        grid.setRedraw(true);
        QVERIFY(grid.isColumnHidden(4));
        QCOMPARE(grid.columnWidth(1), twipsToPixels(FlexGridModel::kDefaultColWidth));
    }

    void selectionFollowsRowColAndSel()
    {
        FlexGrid grid;
        grid.setCols(6);
        grid.setRows(5);
        QSignalSpy userChange(&grid, &FlexGrid::selChange);
        grid.setRow(3);
        grid.setCol(0);
        grid.setColSel(4);
        grid.setRowSel(2);
        QCOMPARE(grid.row(), 3);
        QCOMPARE(grid.rowSel(), 2);
        QCOMPARE(grid.colSel(), 4);
        QItemSelectionModel* selection = grid.selectionModel();
        QCOMPARE(selection->currentIndex(), grid.model()->index(2, 0));
        for (int r = 0; r < 4; ++r)
            for (int c = 0; c < 6; ++c)
                QCOMPARE(selection->isSelected(grid.model()->index(r, c)), r >= 1 && r <= 2 && c <= 4);

        grid.setRow(4); // setting Row makes the current cell the whole selection again
        QCOMPARE(grid.rowSel(), 4);
        QCOMPARE(grid.colSel(), 0);
        QCOMPARE(selection->selectedIndexes().size(), 1);
        QCOMPARE(userChange.count(), 0); // changes in code are not the user's

        grid.setRows(3); // the current row moves up with the last row
        QCOMPARE(grid.row(), 2);
    }

    void aClickIsTheUsersSelection()
    {
        FlexGrid grid;
        grid.setCols(6);
        grid.setRows(5);
        grid.resize(600, 300);
        grid.show();
        QVERIFY(QTest::qWaitForWindowExposed(&grid));
        QSignalSpy userChange(&grid, &FlexGrid::selChange);
        // A handler widening the selection to the row, as the workbench does, must not loop.
        connect(&grid, &FlexGrid::selChange, &grid, [&grid] {
            grid.setCol(0);
            grid.setColSel(grid.cols() - 2);
        });
        const QRect cell = grid.visualRect(grid.model()->index(2, 3));
        QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, cell.center());
        QCOMPARE(userChange.count(), 1);
        QCOMPARE(grid.row(), 3);
        QCOMPARE(grid.col(), 0);
        QCOMPARE(grid.colSel(), 4);
        QVERIFY(grid.selectionModel()->isSelected(grid.model()->index(2, 4)));
        QVERIFY(!grid.selectionModel()->isSelected(grid.model()->index(2, 5)));
    }

    // Selection by row: what each of the user's gestures leaves as Row and RowSel, the view showing
    // whole rows. Steps: "click r" / "shift-click r" on grid row r, or a key sequence.
    void byRowTheUserSelectsWholeRows_data()
    {
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("rowSel");
        QTest::newRow("click") << QStringList{"click 4"} << 4 << 4;
        QTest::newRow("shift-click extends") << QStringList{"click 4", "shift-click 7"} << 7 << 4;
        QTest::newRow("shift-click upwards") << QStringList{"click 4", "shift-click 2"} << 2 << 4;
        QTest::newRow("down") << QStringList{"click 4", "Down", "Down"} << 6 << 6;
        QTest::newRow("up") << QStringList{"click 4", "Up"} << 3 << 3;
        QTest::newRow("shift+down extends") << QStringList{"click 4", "Shift+Down", "Shift+Down"} << 6 << 4;
        QTest::newRow("left and right keep the row") << QStringList{"click 4", "Right", "Left"} << 4 << 4;
        QTest::newRow("end") << QStringList{"click 4", "End"} << 40 << 40;
        QTest::newRow("home") << QStringList{"click 4", "End", "Home"} << 1 << 1;
        QTest::newRow("shift+end") << QStringList{"click 4", "Shift+End"} << 40 << 4;
        QTest::newRow("page down") << QStringList{"click 1", "PgDown"} << -1 << -1;
        QTest::newRow("ctrl+a") << QStringList{"click 4", "Ctrl+A"} << 1 << 40;
    }
    void byRowTheUserSelectsWholeRows()
    {
        QFETCH(QStringList, steps);
        QFETCH(int, row);
        QFETCH(int, rowSel);
        FlexGrid grid;
        grid.setSelectionByRow(true);
        grid.setCols(6);
        grid.setColWidth(5, 0);
        grid.setRows(41);
        grid.resize(600, 300);
        grid.show();
        QVERIFY(QTest::qWaitForWindowActive(&grid));
        QSignalSpy userChange(&grid, &FlexGrid::selChange);
        for (const QString& step : steps) {
            if (step.contains(QStringLiteral("click"))) {
                const int r = step.section(u' ', 1).toInt();
                grid.scrollTo(grid.model()->index(r - 1, 1));
                const QRect cell = grid.visualRect(grid.model()->index(r - 1, 3));
                QTest::mouseClick(grid.viewport(), Qt::LeftButton,
                                  step.startsWith(QStringLiteral("shift")) ? Qt::ShiftModifier : Qt::NoModifier,
                                  cell.center());
            } else {
                QTest::keySequence(&grid, QKeySequence(step));
            }
        }
        if (row < 0) { // a page: more than one row down, as many as the view shows
            const int page = grid.viewport()->height() / grid.rowHeight(0);
            QVERIFY(page > 2);
            QVERIFY2(grid.row() >= page - 1 && grid.row() <= page + 1, qPrintable(QString::number(grid.row())));
            row = rowSel = grid.row();
        }
        QCOMPARE(grid.row(), row);
        QCOMPARE(grid.rowSel(), rowSel);
        QVERIFY(userChange.count() > 0);
        QCOMPARE(grid.col(), 0);
        QCOMPARE(grid.colSel(), 5);
        QItemSelectionModel* selection = grid.selectionModel();
        for (int r = 1; r < grid.rows(); ++r) {
            const bool inside = r >= std::min(row, rowSel) && r <= std::max(row, rowSel);
            for (int c = 0; c < 5; ++c)
                QVERIFY2(selection->isSelected(grid.model()->index(r - 1, c)) == inside,
                         qPrintable(QStringLiteral("%1,%2").arg(r).arg(c)));
        }
    }

    // Ctrl+C: the selected range's visible cells, tab-separated, a line per row, as a spreadsheet
    // pastes them; a cell that would split a line or a row is quoted.
    void ctrlCCopiesTheSelectionForASpreadsheet()
    {
        FlexGrid grid;
        grid.setSelectionByRow(true);
        grid.setCols(4);
        grid.setColWidth(3, 0);
        grid.setRows(1);
        grid.addItem(QStringLiteral("1\t张三\t003\t隐藏"));
        grid.addItem(QStringLiteral("2\t李\t四\t\"引\"号\t隐藏"));
        grid.addItem(QStringLiteral("3\t\t\t隐藏"));
        grid.setTextMatrix(2, 1, QStringLiteral("李\t四"));
        grid.setTextMatrix(2, 2, QStringLiteral("\"引\"号"));
        grid.resize(600, 300);
        grid.show();
        QVERIFY(QTest::qWaitForWindowActive(&grid));
        QGuiApplication::clipboard()->setText(QStringLiteral("之前"));
        grid.setRow(1);
        grid.setCol(0);
        grid.setColSel(3);
        grid.setRowSel(3);
        QTest::keySequence(&grid, QKeySequence::Copy);
        QCOMPARE(QGuiApplication::clipboard()->text(),
                 QStringLiteral("1\t张三\t003\n2\t\"李\t四\"\t\"\"\"引\"\"号\"\n3\t\t\n"));
        // A click, then Ctrl+C: that row alone, whatever column was clicked.
        QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, grid.visualRect(grid.model()->index(0, 2)).center());
        QTest::keySequence(&grid, QKeySequence::Copy);
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("1\t张三\t003\n"));
    }

    void holdsAHundredThousandRows()
    {
        FlexGrid grid;
        grid.setFont(yaheiFont(9));
        grid.setFormatString(kFormat);
        grid.setRows(1);
        QSignalSpy changed(grid.model(), &QAbstractItemModel::dataChanged);
        grid.setRedraw(false);
        for (int i = 1; i <= 100000; ++i) {
            grid.addItem();
            for (int c = 0; c < 13; ++c)
                grid.setTextMatrix(i, c, QString::number(i));
        }
        grid.setRedraw(true);
        QCOMPARE(changed.count(), 0);
        QCOMPARE(grid.model()->rowCount(), 100000);
        QCOMPARE(grid.textMatrix(100000, 12), QStringLiteral("100000"));
        QCOMPARE(grid.verticalHeader()->sectionResizeMode(0), QHeaderView::Fixed);
        grid.setRows(1);
        QCOMPARE(grid.model()->rowCount(), 0);
    }
};

QTEST_MAIN(FlexGridTest)
#include "test_flexgrid.moc"
