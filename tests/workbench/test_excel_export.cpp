// The Excel export: the workbook read back with a real reader (openpyxl), the file-name rules,
// the overwrite question, cancel and write failures, driven through the workbench's button.
#include "core/RuntimeError.h"
#include "core/XlsxWorkbook.h"
#include "engine/GridBuilders.h"
#include "startup/Module1.h"
#include "support/TestSupport.h"
#include "support/Workbench.h"
#include "widgets/FileDialog.h"
#include "widgets/FlexGrid.h"
#include "workbench/ExcelExport.h"
#include "workbench/OwnerNumberForm.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QHeaderView>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QStandardPaths>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>
#include <QtTest>
#include <algorithm>
#include <cmath>
#include <csignal>
#include <sys/resource.h>

namespace {

const QString kSystem = QStringLiteral("系统提示");
const QString kSuccess = QStringLiteral("业主编号表导出成功!");
const QString kOffice = QStringLiteral("14 澄岭花园管理处");

// The done message: the designed text; the file written is on the note line.
QString doneText(const QString&)
{
    return kSuccess;
}

// A workbook as openpyxl reads it.
struct Sheet
{
    QJsonObject json;
    QHash<QPair<int, int>, QJsonObject> cells;

    QJsonObject cell(int row, int col) const { return cells.value({row, col}); }
    QJsonValue value(int row, int col) const { return cell(row, col).value(QStringLiteral("value")); }
    QString type(int row, int col) const { return cell(row, col).value(QStringLiteral("type")).toString(); }
    QStringList merged() const
    {
        QStringList list;
        for (const QJsonValue& v : json.value(QStringLiteral("merged")).toArray())
            list << v.toString();
        return list;
    }
    QStringList borders(int row, int col) const
    {
        QStringList list;
        for (const QJsonValue& v : cell(row, col).value(QStringLiteral("border")).toArray())
            list << v.toString(QStringLiteral("none"));
        return list;
    }
};

Sheet readWorkbook(const QString& path)
{
    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"),
                 {QStringLiteral(CHENGLING_SOURCE_DIR "/tests/fixtures/read_xlsx.py"), path});
    Sheet sheet;
    if (!python.waitForFinished(60000) || python.exitCode() != 0) {
        qWarning() << "reader failed:" << python.readAllStandardError();
        return sheet;
    }
    sheet.json = QJsonDocument::fromJson(python.readAllStandardOutput()).object();
    for (const QJsonValue& v : sheet.json.value(QStringLiteral("cells")).toArray()) {
        const QJsonObject c = v.toObject();
        sheet.cells.insert({c.value(QStringLiteral("row")).toInt(), c.value(QStringLiteral("col")).toInt()}, c);
    }
    return sheet;
}

// The width a file stores for a width in character units: whole pixels of a 7-pixel digit plus padding.
double storedWidth(double width)
{
    return std::floor((std::floor(width * 7 + 0.5) + 5) / 7 * 256) / 256;
}

QStringList entries(const QString& dir)
{
    return QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

void writeFile(const QString& path, const QByteArray& content)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(content);
}

QByteArray fileContent(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Answers the save dialog with fixed paths, one a time (the last again once they run out), and
// remembers what it was offered.
struct DialogAnswer
{
    explicit DialogAnswer(const QString& answer) : DialogAnswer(QStringList{answer}) {}
    explicit DialogAnswer(const QStringList& answers)
    {
        FileDialogSeam::setScript([this, answers](const QString& offered, const QString& filters) {
            ++calls;
            suggested = offered;
            offers << offered;
            filter = filters;
            return answers.value(calls - 1, answers.last());
        });
    }
    ~DialogAnswer() { FileDialogSeam::clearScript(); }
    int calls = 0;
    QString suggested;
    QStringList offers;
    QString filter;
};

// The folder a run's first save dialog opens in.
QString firstExportFolder()
{
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return QFileInfo(documents).isDir() ? documents : QDir::homePath();
}

QList<QWidget*> buttonBar(const Workbench& ui)
{
    return {ui.Command1, ui.Command2, ui.Command3, ui.Command4, ui.Command5, ui.Command6, ui.Label1[4], ui.Combo2};
}

bool barShownAgain(const Workbench& ui)
{
    for (QWidget* w : buttonBar(ui))
        if (w->isHidden())
            return false;
    return ui.ProgressBar1->isHidden();
}

// The grid texts of a few rooms, with the cases the sheet must keep apart: leading zeros in the
// text columns, a name of digits only, empty cells, a building without a number.
const QList<QStringList> kRows = {
    {"1", "张三", "澄岭花园3幢1单元0101室", "14", "A", "003", "1", "0101", "A", "14A00310101A", "31", "501", "9001"},
    {"2", "12345", "澄岭花园会所0102室", "14", "A", "无幢号", "0", "0102", "B", "", "32", "502", "9002"},
    {"3", "", "澄岭花园12栋2单元1201室", "14", "A", "012", "2", "1201", "A", "14A01221201A", "33", "503", "9003"},
};

// The first `rooms` of kRows.
void fillGrid(FlexGrid& grid, int rooms = kRows.size())
{
    grid.setRows(1);
    for (const QStringList& row : kRows.mid(0, rooms))
        grid.addItem(row.join(u'\t'));
    // Widths as the fill leaves them: each visible column at least as wide as its texts.
    const int widths[10] = {450, 1650, 3600, 1000, 1000, 800, 900, 850, 1000, 2100};
    for (int c = 0; c < 10; ++c)
        grid.setColWidth(c, widths[c]);
}

} // namespace

// Takes the URLs the program would open in the desktop's file manager.
class UrlOpener : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void open(const QUrl& url) { urls << url; }
};

class ExcelExportTest : public GlobalConnectionTest
{
    Q_OBJECT
public:
    ExcelExportTest() : GlobalConnectionTest(FixtureDatabase::Empty) {}

private:
    std::unique_ptr<QTemporaryDir> m_dir;

    QString dirPath(const QString& name = {}) const { return name.isEmpty() ? m_dir->path() : m_dir->filePath(name); }

    // A workbench on an empty database with one office chosen and the grid filled by hand.
    std::unique_ptr<OwnerNumberForm> filledForm()
    {
        auto form = std::make_unique<OwnerNumberForm>();
        const Workbench ui(*form);
        ui.Combo1->addItem(kOffice);
        ui.Combo1->setCurrentIndex(0);
        fillGrid(*ui.MSFlexGrid1);
        return form;
    }

private slots:
    void init()
    {
        openFixture(FixtureDatabase::Empty);
        forgetExportFolder();
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
    }
    void cleanup()
    {
        closeFixture();
        m_dir.reset();
    }

    void fileName_data()
    {
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<QString>("written");
        QTest::newRow("no extension") << "/home/u/报表"
                                      << "/home/u/报表.xlsx";
        QTest::newRow("xls") << "/home/u/报表.xls"
                             << "/home/u/报表.xlsx";
        QTest::newRow("xlsx kept") << "/home/u/报表.xlsx"
                                   << "/home/u/报表.xlsx";
        QTest::newRow("dot in folder") << "/home/u/账.2024/报表"
                                       << "/home/u/账.2024/报表.xlsx";
        QTest::newRow("dot in folder and name") << "/home/u/a.b/报表.v2.xls"
                                                << "/home/u/a.b/报表.v2.xlsx";
        QTest::newRow("trailing dot") << "/home/u/报表."
                                      << "/home/u/报表.xlsx";
        QTest::newRow("hidden file") << "/home/u/.报表"
                                     << "/home/u/.报表.xlsx";
        QTest::newRow("other extension") << "/home/u/报表.txt"
                                         << "/home/u/报表.xlsx";
    }
    void fileName()
    {
        QFETCH(QString, chosen);
        QFETCH(QString, written);
        QCOMPARE(excelExportFileName(chosen), written);
    }

    void officeName()
    {
        QCOMPARE(officeNameOf(kOffice), QStringLiteral("澄岭花园管理处"));
        QCOMPARE(officeNameOf(QStringLiteral("24 澄岭 华庭")), QStringLiteral("澄岭 华庭"));
        QCOMPARE(officeNameOf(QStringLiteral("澄岭")), QStringLiteral("澄岭"));
        // A name from the database never picks the folder the dialog opens in.
        QCOMPARE(suggestedExportName(QStringLiteral("14 ../../etc\\澄岭") + QChar(0) + u'\n'),
                 QStringLiteral(".._.._etc_澄岭___业主编号"));
    }

    void spreadsheetNumbers_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("isNumber");
        QTest::addColumn<double>("value");
        QTest::newRow("integer") << "12" << true << 12.0;
        QTest::newRow("leading zeros") << "007" << true << 7.0;
        QTest::newRow("blanks around") << " 12 " << true << 12.0;
        QTest::newRow("signed decimal") << "-3.25" << true << -3.25;
        QTest::newRow("point first") << ".5" << true << 0.5;
        QTest::newRow("point last") << "5." << true << 5.0;
        QTest::newRow("exponent") << "1.5E+3" << true << 1500.0;
        QTest::newRow("15 digits") << "123456789012345" << true << 123456789012345.0;
        QTest::newRow("zeros do not count") << "0000000000000000001" << true << 1.0;
        QTest::newRow("16 digits lose precision") << "1234567890123456" << false << 0.0;
        QTest::newRow("empty") << "" << false << 0.0;
        QTest::newRow("blank") << " " << false << 0.0;
        QTest::newRow("sign only") << "-" << false << 0.0;
        QTest::newRow("letters") << "14A00310101A" << false << 0.0;
        QTest::newRow("two points") << "1.2.3" << false << 0.0;
        QTest::newRow("bare exponent") << "1e" << false << 0.0;
        QTest::newRow("overflow") << "1e999" << false << 0.0;
        QTest::newRow("full-width digits") << "１２" << false << 0.0;
        QTest::newRow("inner blank") << "1 2" << false << 0.0;
        QTest::newRow("chinese") << "无幢号" << false << 0.0;
    }
    void spreadsheetNumbers()
    {
        QFETCH(QString, text);
        QFETCH(bool, isNumber);
        QFETCH(double, value);
        const std::optional<double> number = spreadsheetNumber(text);
        QCOMPARE(number.has_value(), isNumber);
        if (isNumber)
            QCOMPARE(*number, value);
    }

    // The sheet as laid out: title, office and date line, coloured header, data from row 5,
    // fonts, borders, widths, and the types of the cells.
    // A duplicate number marked in the grid is marked in the workbook too, and nothing else is.
    void markedCellsKeepTheirColour()
    {
        auto form = filledForm();
        const Workbench ui(*form);
        ui.MSFlexGrid1->gridModel().setCellMark(2, GridColumn::OwnerNumber, QColor(255, 199, 199),
                                                QStringLiteral("与第 1 行重复"));
        MessageRecorder boxes;
        DialogAnswer dialog(dirPath(QStringLiteral("标红")));
        ui.Command4->click();
        const Sheet sheet = readWorkbook(dirPath(QStringLiteral("标红.xlsx")));
        const int col = GridColumn::OwnerNumber + 1;
        QCOMPARE(sheet.cell(2 + 4, col).value(QStringLiteral("fill")).toString(), QStringLiteral("FFFFC7C7"));
        QVERIFY(sheet.cell(1 + 4, col).value(QStringLiteral("fill")).isNull());
        QVERIFY(sheet.cell(2 + 4, col - 1).value(QStringLiteral("fill")).isNull());
        QCOMPARE(sheet.borders(2 + 4, col), sheet.borders(1 + 4, col));
    }

    // Every character of a cell reaches the workbook: a NUL in Excel's escape "_x0000_" (the reader
    // used here shows escapes as they are stored; Excel reads them back as the character), a text
    // that reads like an escape escaped itself. A text longer than a cell holds is cut to the
    // most it holds, and the done message says which grid row.
    void cellsKeepEveryCharacterOrSayTheyWereCut()
    {
        auto form = filledForm();
        const Workbench ui(*form);
        FlexGrid& grid = *ui.MSFlexGrid1;
        grid.setTextMatrix(1, GridColumn::Name, QStringLiteral("a") + QChar(0) + u'b' + QChar(0) + u'c');
        grid.setTextMatrix(1, GridColumn::Address, QStringLiteral("甲\u0001乙_x0041_丙"));
        const QString pair = QStringLiteral("\U0002000B"); // CJK Extension B: two UTF-16 units
        grid.setTextMatrix(2, GridColumn::Address, QStringLiteral("长") + pair.repeated(20000));
        grid.setTextMatrix(3, GridColumn::Address, QString(XlsxWorkbook::kMaxCellCharacters, u'满'));
        MessageRecorder boxes;
        DialogAnswer dialog(dirPath(QStringLiteral("字符")));
        ui.Command4->click();
        QCOMPARE(boxes.texts(), QStringList{doneText(dirPath(QStringLiteral("字符.xlsx"))) +
                                            QStringLiteral("\r\n表格第 2 行的文字超过 Excel 单元格的 32767 "
                                                           "个字符，已截断。")});
        const Sheet sheet = readWorkbook(dirPath(QStringLiteral("字符.xlsx")));
        QCOMPARE(sheet.value(5, GridColumn::Name + 1).toString(), QStringLiteral("a_x0000_b_x0000_c"));
        QCOMPARE(sheet.value(5, GridColumn::Address + 1).toString(), QStringLiteral("甲_x0001_乙_x005F_x0041_丙"));
        QCOMPARE(sheet.value(6, GridColumn::Address + 1).toString(), QStringLiteral("长") + pair.repeated(16383));
        QCOMPARE(sheet.value(7, GridColumn::Address + 1).toString(), grid.textMatrix(3, GridColumn::Address));
        QCOMPARE(sheet.value(6, GridColumn::OfficeCode + 1).toString(), grid.textMatrix(2, GridColumn::OfficeCode));
    }

    // A name typed in Qt's own dialog with a '"' in it is one name: the file written is that one.
    void typedNameWithAQuoteIsOneName()
    {
        auto form = filledForm();
        const Workbench ui(*form);
        MessageRecorder boxes;
        FileDialogSeam::clearScript();
        writeFile(dirPath(QStringLiteral("已有的表.xlsx")), QByteArray(12345, 'x'));
        bool columnsFit = false;
        QTimer::singleShot(0, [this, &columnsFit] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            dialog->setDirectory(dirPath());
            // Size, type and date as wide as their texts once the folder is read.
            auto* files = dialog->findChild<QTreeView*>(QStringLiteral("treeView"));
            QVERIFY(files);
            columnsFit = QTest::qWaitFor([files] {
                if (files->model()->rowCount(files->rootIndex()) == 0)
                    return false;
                const QAbstractItemModel* model = files->model();
                for (int r = 0; r < model->rowCount(files->rootIndex()); ++r)
                    for (int c = 1; c <= 3; ++c) {
                        const QString text = model->index(r, c, files->rootIndex()).data().toString();
                        if (text.isEmpty() ||
                            files->header()->sectionSize(c) <= files->fontMetrics().horizontalAdvance(text))
                            return false;
                    }
                return true;
            });
            dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(QStringLiteral("报\"表\" 二"));
            static_cast<QDialog*>(dialog)->accept(); // the Save button's way, through QFileDialog's own
        });
        ui.Command4->click();
        QVERIFY(columnsFit);
        QCOMPARE(boxes.texts(), QStringList{doneText(dirPath(QStringLiteral("报\"表\" 二.xlsx")))});
        QCOMPARE(entries(dirPath()),
                 (QStringList{QStringLiteral("已有的表.xlsx"), QStringLiteral("报\"表\" 二.xlsx")}));
    }

    void workbookLayout()
    {
        auto form = filledForm();
        const Workbench ui(*form);
        form->resize(3000, 900); // the note line has room for a long temporary path
        form->show();
        FlexGrid& grid = *ui.MSFlexGrid1;
        MessageRecorder boxes;
        DialogAnswer dialog(dirPath(QStringLiteral("报表")));
        const QDate before = QDate::currentDate();
        ui.Command4->click();
        const QDate after = QDate::currentDate();

        QCOMPARE(dialog.calls, 1);
        QCOMPARE(dialog.suggested, QDir(firstExportFolder()).filePath(QStringLiteral("澄岭花园管理处_业主编号")));
        QCOMPARE(dialog.filter, QStringLiteral("电子表 (*.xls *.xlsx)"));
        QCOMPARE(boxes.boxes().size(), 1);
        QCOMPARE(boxes.boxes()[0].text, doneText(dirPath(QStringLiteral("报表.xlsx"))));
        QCOMPARE(boxes.boxes()[0].icon, MsgIcon::Information);
        QCOMPARE(boxes.boxes()[0].title, kSystem);
        QCOMPARE(entries(dirPath()), QStringList{QStringLiteral("报表.xlsx")});
        // The note line says what was written, with the way to its folder.
        QCOMPARE(ui.duplicateNote->text(), QStringLiteral("已导出 3 行：") + dirPath(QStringLiteral("报表.xlsx")));
        QVERIFY(!ui.openFolderButton->isHidden());
        UrlOpener opener;
        QDesktopServices::setUrlHandler(QStringLiteral("file"), &opener, "open");
        ui.openFolderButton->click();
        QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
        QCOMPARE(opener.urls, QList<QUrl>{QUrl::fromLocalFile(dirPath())});

        const Sheet sheet = readWorkbook(dirPath(QStringLiteral("报表.xlsx")));
        // It prints: across, every column on the width, title and header on every page; the
        // header frozen and filtered on the screen.
        const QJsonObject page = sheet.json.value(QStringLiteral("page")).toObject();
        QCOMPARE(page.value(QStringLiteral("orientation")).toString(), QStringLiteral("landscape"));
        QCOMPARE(page.value(QStringLiteral("paperSize")).toInt(), 9);
        QVERIFY(page.value(QStringLiteral("fitToPage")).toBool());
        QCOMPARE(page.value(QStringLiteral("fitToWidth")).toInt(), 1);
        QCOMPARE(page.value(QStringLiteral("fitToHeight")).toInt(), 0);
        QCOMPARE(page.value(QStringLiteral("titleRows")).toString(), QStringLiteral("$1:$4"));
        QCOMPARE(page.value(QStringLiteral("freeze")).toString(), QStringLiteral("A5"));
        QCOMPARE(page.value(QStringLiteral("autoFilter")).toString(), QStringLiteral("A4:J7"));
        QCOMPARE(sheet.json.value(QStringLiteral("sheets")).toArray(), QJsonArray{QStringLiteral("业主编号")});
        QCOMPARE(sheet.merged(), (QStringList{"A1:J1", "A3:D3", "G3:J3"}));
        const int n = 10, R = grid.rows();
        QCOMPARE(sheet.json.value(QStringLiteral("maxCol")).toInt(), n); // the id columns stay out
        QCOMPARE(sheet.json.value(QStringLiteral("maxRow")).toInt(), R + 4);

        // Title: bold, in the default size, centred over the exported columns.
        QCOMPARE(sheet.value(1, 1).toString(), QStringLiteral("业主编号"));
        QCOMPARE(sheet.cell(1, 1).value(QStringLiteral("font")).toString(), QStringLiteral("微软雅黑"));
        QVERIFY(sheet.cell(1, 1).value(QStringLiteral("bold")).toBool());
        QCOMPARE(sheet.cell(1, 1).value(QStringLiteral("size")).toDouble(), 11.0);
        QCOMPARE(sheet.cell(1, 1).value(QStringLiteral("align")).toString(), QStringLiteral("center"));

        // Office on the left with its leading blank, the date on the right with its trailing one.
        QCOMPARE(sheet.value(3, 1).toString(), QStringLiteral(" 管理处：") + kOffice);
        const QString date = sheet.value(3, 7).toString();
        QVERIFY2(date == QStringLiteral("导出日期：%1 ").arg(before.toString(Qt::ISODate)) ||
                     date == QStringLiteral("导出日期：%1 ").arg(after.toString(Qt::ISODate)),
                 qPrintable(date));
        QCOMPARE(sheet.cell(3, 7).value(QStringLiteral("align")).toString(), QStringLiteral("right"));
        QVERIFY(sheet.cell(3, 1).value(QStringLiteral("align")).isNull());

        // Size 9 from row 2 to row R + 4; borders and the header colour only where laid on.
        for (int row = 2; row <= R + 4; ++row)
            for (int col = 1; col <= n; ++col) {
                if (row == 3 && col != 1 && col != 5 && col != 6 && col != 7)
                    continue; // inside a merge: the reader reports its first cell only
                const QJsonObject c = sheet.cell(row, col);
                const QString where = QStringLiteral("%1,%2").arg(row).arg(col);
                QVERIFY2(c.value(QStringLiteral("font")).toString() == QStringLiteral("微软雅黑"), qPrintable(where));
                QVERIFY2(c.value(QStringLiteral("size")).toDouble() == 9.0, qPrintable(where));
                QVERIFY2(!c.value(QStringLiteral("bold")).toBool(), qPrintable(where));
                const bool bordered = row >= 4 && row <= R + 3;
                QVERIFY2(sheet.borders(row, col) == (bordered ? QStringList(4, QStringLiteral("thin"))
                                                              : QStringList(4, QStringLiteral("none"))),
                         qPrintable(where));
                const QJsonValue fill = c.value(QStringLiteral("fill"));
                QVERIFY2(row == 4 ? fill.toString() == QStringLiteral("FFC0C0FF") : fill.isNull(), qPrintable(where));
            }

        // Header texts as the grid has them, centred; column widths from the grid's twips.
        for (int c = 0; c < n; ++c) {
            QCOMPARE(sheet.value(4, c + 1).toString(), grid.textMatrix(0, c));
            QCOMPARE(sheet.cell(4, c + 1).value(QStringLiteral("align")).toString(), QStringLiteral("center"));
            QCOMPARE(sheet.json.value(QStringLiteral("widths")).toObject().value(QString::number(c + 1)).toDouble(),
                     storedWidth(grid.colWidth(c) / 110.0));
        }

        // Data from row 5: the text columns keep their zeros, numbers become numbers.
        QCOMPARE(sheet.value(5, 1).toDouble(), 1.0);
        QCOMPARE(sheet.type(5, 1), QStringLiteral("n"));
        QCOMPARE(sheet.value(7, 1).toDouble(), 3.0);
        QCOMPARE(sheet.value(5, 2).toString(), QStringLiteral("张三"));
        QCOMPARE(sheet.type(6, 2), QStringLiteral("n"));
        QCOMPARE(sheet.value(6, 2).toDouble(), 12345.0);
        QVERIFY(sheet.value(7, 2).isNull());
        QCOMPARE(sheet.value(5, 3).toString(), QStringLiteral("澄岭花园3幢1单元0101室"));
        for (int r = 0; r < kRows.size(); ++r)
            for (int c : {3, 5, 6, 7}) {
                QCOMPARE(sheet.type(r + 5, c + 1), QStringLiteral("s"));
                QCOMPARE(sheet.value(r + 5, c + 1).toString(), kRows[r][c]);
            }
        QCOMPARE(sheet.value(5, 6).toString(), QStringLiteral("003"));
        QCOMPARE(sheet.value(5, 8).toString(), QStringLiteral("0101"));
        QCOMPARE(sheet.value(6, 7).toString(), QStringLiteral("0"));
        QCOMPARE(sheet.value(5, 5).toString(), QStringLiteral("A"));
        QCOMPARE(sheet.value(6, 9).toString(), QStringLiteral("B"));
        QCOMPARE(sheet.value(5, 10).toString(), QStringLiteral("14A00310101A"));
        QVERIFY(sheet.value(6, 10).isNull());
        QVERIFY(sheet.value(R + 4, 1).isNull());

        QVERIFY(barShownAgain(ui));
        QVERIFY(grid.redraw());
        QCOMPARE(grid.rows(), 4);

        // One room: its row is the first and the last data row, bordered all the same. The dialog
        // opens where the last export went.
        fillGrid(grid, 1);
        DialogAnswer oneRoom(dirPath(QStringLiteral("一户")));
        ui.Command4->click();
        QCOMPARE(oneRoom.suggested, dirPath(QStringLiteral("澄岭花园管理处_业主编号")));
        const Sheet single = readWorkbook(dirPath(QStringLiteral("一户.xlsx")));
        QCOMPARE(single.json.value(QStringLiteral("maxRow")).toInt(), 6);
        for (int col = 1; col <= n; ++col) {
            QCOMPARE(single.borders(5, col), QStringList(4, QStringLiteral("thin")));
            QCOMPARE(single.borders(6, col), QStringList(4, QStringLiteral("none")));
        }
    }

    // While it writes, the progress bar stands where the buttons were; afterwards they are back.
    void progressTakesThePlaceOfTheButtons()
    {
        auto form = filledForm();
        const Workbench ui(*form);
        ui.Command3->setEnabled(false);
        DialogAnswer dialog(dirPath(QStringLiteral("报表.xlsx")));
        // What the form looks like while the success box is up.
        bool seen = false;
        QStringList hiddenThen;
        bool progressShownThen = false;
        bool percentShownThen = true;
        int minimum = -1, maximum = -1, value = -1;
        MsgBoxSeam::setScript([&](const MsgRecord& box) {
            if (box.text.startsWith(kSuccess)) {
                seen = true;
                for (QWidget* w : buttonBar(ui))
                    if (w->isHidden())
                        hiddenThen << w->objectName();
                progressShownThen = !ui.ProgressBar1->isHidden();
                percentShownThen = ui.ProgressBar1->isTextVisible();
                minimum = ui.ProgressBar1->minimum();
                maximum = ui.ProgressBar1->maximum();
                value = ui.ProgressBar1->value();
            }
            return MsgAnswer::OK;
        });
        ui.Command4->click();
        MsgBoxSeam::clearScript();
        QVERIFY(seen);
        QCOMPARE(hiddenThen, (QStringList{"Command1", "Command2", "Command3", "Command4", "Command5", "Command6",
                                          "Label1(4)", "Combo2"}));
        QVERIFY(progressShownThen);
        QVERIFY(!percentShownThen);
        // Full while the success message shows: every row written, the file saved.
        QCOMPARE(minimum, 0);
        QCOMPARE(maximum, 4);
        QCOMPARE(value, maximum);
        QVERIFY(barShownAgain(ui));
        QVERIFY(ui.Command4->isEnabled());
        QVERIFY(!ui.Command3->isEnabled());
        QVERIFY(ui.Combo1->isEnabled());
    }

    void exportFromDemoDatabase()
    {
        closeFixture();
        openFixture(FixtureDatabase::Demo);
        OwnerNumberForm form;
        const Workbench ui(form);
        ui.Combo1->setCurrentIndex(0);
        emit ui.Combo1->activated(0);
        ui.Check1->setChecked(true);
        emit ui.Check1->clicked(true);
        MessageRecorder boxes;
        ui.Command2->click();
        FlexGrid& grid = *ui.MSFlexGrid1;
        QVERIFY(grid.rows() > 20);
        // A moved-out owner holds a number proposed here: marked red, and explained under the table.
        int row = 1;
        while (grid.textMatrix(row, GridColumn::OwnerNumber).isEmpty())
            ++row;
        db().exec(QStringLiteral("Update 业主表 Set 业主编号 = '%1' Where ZH_ID = (Select Min(ZH_ID) From 业主表 "
                                 "Where 说明 = '迁出')")
                      .arg(grid.textMatrix(row, GridColumn::OwnerNumber)));
        ui.Command2->click();
        QVERIFY(grid.gridModel().cellBackColor(row, GridColumn::OwnerNumber).isValid());
        DialogAnswer dialog(dirPath(QStringLiteral("demo.xls")));
        ui.Command4->click();
        QCOMPARE(boxes.texts(), QStringList{doneText(dirPath(QStringLiteral("demo.xlsx")))});

        const Sheet sheet = readWorkbook(dirPath(QStringLiteral("demo.xlsx")));
        const int legendRow = grid.rows() + 5; // after the blank row under the table
        QCOMPARE(sheet.json.value(QStringLiteral("maxRow")).toInt(), legendRow);
        QCOMPARE(sheet.cell(legendRow, 1).value(QStringLiteral("fill")).toString(), QStringLiteral("FFFFC7C7"));
        QCOMPARE(sheet.value(legendRow, 2).toString(), QStringLiteral("浅红色：业主编号重复"));
        QCOMPARE(sheet.cell(row + 4, GridColumn::OwnerNumber + 1).value(QStringLiteral("fill")).toString(),
                 QStringLiteral("FFFFC7C7"));
        QCOMPARE(sheet.value(3, 1).toString(), QStringLiteral(" 管理处：") + ui.Combo1->currentText());
        for (int r = 1; r < grid.rows(); ++r) {
            QCOMPARE(sheet.value(r + 4, 1).toDouble(), double(r));
            for (int c = 1; c < 10; ++c) {
                const QString text = grid.textMatrix(r, c);
                const QJsonValue v = sheet.value(r + 4, c + 1);
                if (text.isEmpty())
                    QVERIFY(v.isNull());
                else if (sheet.type(r + 4, c + 1) == QStringLiteral("n"))
                    QCOMPARE(v.toDouble(), text.toDouble());
                else
                    QCOMPARE(v.toString(), text);
            }
            for (int c : {3, 5, 6, 7})
                QCOMPARE(sheet.type(r + 4, c + 1), QStringLiteral("s"));
        }
    }

    // The name written, and the question when it differs from the confirmed name and exists.
    void fileNameRules_data()
    {
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<QString>("existing");
        QTest::addColumn<bool>("answerYes");
        QTest::addColumn<QString>("written");
        QTest::addColumn<bool>("asked");
        QTest::newRow("folder with a dot, no extension") << "账.2024/报表"
                                                         << "" << true << "账.2024/报表.xlsx" << false;
        QTest::newRow("xls chosen") << "账.2024/报表.xls"
                                    << "" << true << "账.2024/报表.xlsx" << false;
        // The dialog asks nothing: the one question is ours, about the file written.
        QTest::newRow("xlsx chosen over an existing file, yes") << "报表.xlsx"
                                                                << "报表.xlsx" << true << "报表.xlsx" << true;
        QTest::newRow("xlsx chosen over an existing file, no") << "报表.xlsx"
                                                               << "报表.xlsx" << false << "" << true;
        QTest::newRow("xls chosen, xlsx exists, yes") << "报表.xls"
                                                      << "报表.xlsx" << true << "报表.xlsx" << true;
        QTest::newRow("xls chosen, xlsx exists, no") << "报表.xls"
                                                     << "报表.xlsx" << false << "" << true;
        QTest::newRow("bare name, xlsx exists, no") << "报表"
                                                    << "报表.xlsx" << false << "" << true;
        QTest::newRow("xls exists, untouched") << "报表.xls"
                                               << "报表.xls" << true << "报表.xlsx" << false;
    }
    void fileNameRules()
    {
        QFETCH(QString, chosen);
        QFETCH(QString, existing);
        QFETCH(bool, answerYes);
        QFETCH(QString, written);
        QFETCH(bool, asked);
        QVERIFY(QDir(dirPath()).mkpath(QStringLiteral("账.2024")));
        const QByteArray old = "not a workbook";
        if (!existing.isEmpty())
            writeFile(dirPath(existing), old);

        auto form = filledForm();
        const Workbench ui(*form);
        MessageRecorder boxes;
        boxes.answerNext(answerYes ? MsgAnswer::Yes : MsgAnswer::No);
        // No to the question goes back to the dialog, where the user was; then cancelled there.
        DialogAnswer dialog(QStringList{dirPath(chosen), QString()});
        ui.Command4->click();
        QCOMPARE(dialog.calls, asked && !answerYes ? 2 : 1);
        if (dialog.calls == 2)
            QCOMPARE(dialog.offers[1], dirPath(chosen));

        QStringList expected;
        if (asked) {
            const MsgRecord& q = boxes.boxes().value(0);
            QCOMPARE(q.text, QStringLiteral("文件") + dirPath(QStringLiteral("报表.xlsx")) +
                                 QStringLiteral("已存在，是否覆盖？"));
            QCOMPARE(q.buttons, MsgButtons::YesNo);
            QCOMPARE(q.icon, MsgIcon::Question);
            QCOMPARE(q.title, kSystem);
        }
        if (written.isEmpty()) {
            QCOMPARE(boxes.boxes().size(), 1);
            QCOMPARE(fileContent(dirPath(existing)), old);
        } else {
            QCOMPARE(boxes.boxes().last().text, doneText(dirPath(written)));
            QCOMPARE(boxes.boxes().size(), asked ? 2 : 1);
            QCOMPARE(readWorkbook(dirPath(written)).value(1, 1).toString(), QStringLiteral("业主编号"));
        }
        if (existing == QStringLiteral("报表.xls"))
            QCOMPARE(fileContent(dirPath(existing)), old);
        // Nothing else is left in the folders: no temporary file, no file under the chosen name.
        QStringList files = entries(dirPath()) + entries(dirPath(QStringLiteral("账.2024")));
        files.removeAll(QStringLiteral("账.2024"));
        QStringList want;
        for (const QString& f : {existing, written})
            if (!f.isEmpty() && !want.contains(QFileInfo(f).fileName()))
                want << QFileInfo(f).fileName();
        std::sort(files.begin(), files.end());
        std::sort(want.begin(), want.end());
        QCOMPARE(files, want);
        QVERIFY(barShownAgain(ui));
    }

    void cancelWritesNothing()
    {
        auto form = filledForm();
        const Workbench ui(*form);
        MessageRecorder boxes;
        DialogAnswer dialog{QString()};
        ui.Command4->click();
        QCOMPARE(dialog.calls, 1);
        QVERIFY(boxes.boxes().isEmpty());
        QVERIFY(entries(dirPath()).isEmpty());
        QVERIFY(barShownAgain(ui));
        QVERIFY(ui.Command4->isEnabled());
    }

    void headerOnlyGridTouchesNothing()
    {
        OwnerNumberForm form;
        const Workbench ui(form);
        MessageRecorder boxes;
        DialogAnswer dialog(dirPath(QStringLiteral("报表")));
        ui.Command4->click();
        QCOMPARE(dialog.calls, 0);
        QVERIFY(boxes.boxes().isEmpty());
        QCOMPARE(ui.duplicateNote->text(), QStringLiteral("表格中没有数据，未导出"));
        QVERIFY(!ui.duplicateNote->isHidden());
        QVERIFY(entries(dirPath()).isEmpty());
        QVERIFY(barShownAgain(ui));
    }

    // A folder that cannot take the file: the run-time error box with the reason, nothing written,
    // no success message, the buttons back and the grid as it was.
    void writeFailure_data()
    {
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<int>("number");
        QTest::addColumn<QString>("reason");
        QTest::newRow("folder missing") << "无此目录/报表" << 76 << "路径未找到";
        QTest::newRow("parent is a file") << "文件.txt/报表" << 76 << "路径未找到";
        QTest::newRow("a folder has the name") << "报表.xlsx" << 75 << "已有同名的文件夹";
    }
    void writeFailure()
    {
        QFETCH(QString, chosen);
        QFETCH(int, number);
        QFETCH(QString, reason);
        writeFile(dirPath(QStringLiteral("文件.txt")), "x");
        QVERIFY(QDir(dirPath()).mkpath(QStringLiteral("报表.xlsx")));
        const QStringList before = entries(dirPath());

        auto form = filledForm();
        const Workbench ui(*form);
        MessageRecorder boxes;
        DialogAnswer dialog(dirPath(chosen));
        ui.Command4->click();

        QCOMPARE(boxes.boxes().size(), 1);
        const MsgRecord& box = boxes.boxes()[0];
        QCOMPARE(box.icon, MsgIcon::Critical);
        QCOMPARE(box.buttons, MsgButtons::OK);
        QCOMPARE(box.title, applicationTitle());
        QCOMPARE(box.text,
                 runtimeErrorText(
                     number, QStringLiteral("无法保存文件“%1”：%2").arg(dirPath(excelExportFileName(chosen)), reason)));
        QCOMPARE(entries(dirPath()), before);
        QVERIFY(entries(dirPath(QStringLiteral("报表.xlsx"))).isEmpty());
        QVERIFY(barShownAgain(ui));
        QVERIFY(ui.MSFlexGrid1->redraw());
        QCOMPARE(ui.MSFlexGrid1->rows(), 4);
        QVERIFY(ui.Command4->isEnabled());
    }

    // Writes that fail without the library noticing (a full temporary folder, a file that may not
    // grow): the export either writes a whole workbook or says it failed, and a good earlier
    // export under the name stays as it was.
    void failedWritesNeverReplaceAGoodExport_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<bool>("succeeds");
        QTest::newRow("temporary folder full") << QStringLiteral("tmpfs") << true;
        QTest::newRow("file size limit midway") << QStringLiteral("rlimit") << false;
    }
    void failedWritesNeverReplaceAGoodExport()
    {
        QFETCH(QString, how);
        QFETCH(bool, succeeds);
        constexpr int kRooms = 2000;
        auto form = filledForm();
        const Workbench ui(*form);
        ui.MSFlexGrid1->setRows(1);
        for (int i = 1; i <= kRooms; ++i)
            ui.MSFlexGrid1->addItem(
                QStringLiteral("%1\t业主%1\t澄岭花园3幢1单元%1室\t14\tA\t003\t1\t%2\tA\t14A0031%2A\t31\t%1\t%1")
                    .arg(i)
                    .arg(i, 4, 10, QLatin1Char('0')));
        const QString target = dirPath(QStringLiteral("报表.xlsx"));
        writeFile(target, "a good earlier export");

        QTemporaryDir fullTmp;
        const QByteArray oldTmp = qgetenv("TMPDIR");
        struct rlimit oldLimit = {};
        getrlimit(RLIMIT_FSIZE, &oldLimit);
        if (how == QStringLiteral("tmpfs")) {
            if (QProcess::execute(QStringLiteral("mount"),
                                  {QStringLiteral("-t"), QStringLiteral("tmpfs"), QStringLiteral("-o"),
                                   QStringLiteral("size=64k"), QStringLiteral("tmpfs"), fullTmp.path()}) != 0)
                QSKIP("no tmpfs can be mounted here (needs root)");
            QFile filler(fullTmp.filePath(QStringLiteral("filler")));
            QVERIFY(filler.open(QIODevice::WriteOnly));
            while (filler.write(QByteArray(4096, 'x')) > 0 && filler.flush()) {
            }
            qputenv("TMPDIR", fullTmp.path().toLocal8Bit());
        } else {
            // The zip is small; the sheet's rows, before they are compressed, are not.
            signal(SIGXFSZ, SIG_IGN);
            struct rlimit limit = oldLimit;
            limit.rlim_cur = 96 * 1024;
            QVERIFY(setrlimit(RLIMIT_FSIZE, &limit) == 0);
        }
        MessageRecorder boxes;
        DialogAnswer dialog(target);
        boxes.answerNext(MsgAnswer::Yes); // overwrite the earlier export
        ui.Command4->click();
        setrlimit(RLIMIT_FSIZE, &oldLimit);
        if (oldTmp.isNull())
            qunsetenv("TMPDIR");
        else
            qputenv("TMPDIR", oldTmp);
        if (how == QStringLiteral("tmpfs"))
            QProcess::execute(QStringLiteral("umount"), {fullTmp.path()});

        QCOMPARE(boxes.texts().size(), 2);
        if (succeeds) {
            QCOMPARE(boxes.texts()[1], doneText(target));
            QCOMPARE(readWorkbook(target).json.value(QStringLiteral("maxRow")).toInt(), kRooms + 5);
        } else {
            QCOMPARE(boxes.boxes()[1].icon, MsgIcon::Critical);
            QVERIFY2(boxes.texts()[1].contains(QStringLiteral("不完整")), qPrintable(boxes.texts()[1]));
            QCOMPARE(fileContent(target), QByteArray("a good earlier export"));
            QCOMPARE(entries(dirPath()), QStringList{QStringLiteral("报表.xlsx")});
        }
        QVERIFY(barShownAgain(ui));
    }

    // An export killed midway leaves its hidden temporary file: the next export to the folder
    // removes it, but not one that an export still running holds, nor anybody else's files.
    void staleTemporaryFilesAreRemoved()
    {
        const auto sortedEntries = [this] {
            QStringList list = entries(dirPath());
            std::sort(list.begin(), list.end());
            return list;
        };
        auto running = std::make_unique<XlsxWorkbook>(dirPath(QStringLiteral("other.xlsx")));
        const QString stale = QStringLiteral(".~xlsx0badf00d.tmp");
        writeFile(dirPath(stale), "PK half a workbook");
        const QStringList others{QStringLiteral(".~lock.报表.xlsx#"), QStringLiteral(".~xlsx123.tmp"),
                                 QStringLiteral("notes.tmp")};
        for (const QString& name : others)
            writeFile(dirPath(name), "x");
        QStringList withRunning = sortedEntries();
        QCOMPARE(withRunning.size(), others.size() + 2);
        QVERIFY(withRunning.contains(stale));

        auto form = filledForm();
        const Workbench ui(*form);
        MessageRecorder boxes;
        DialogAnswer dialog(dirPath(QStringLiteral("报表")));
        ui.Command4->click();
        QCOMPARE(boxes.texts(), QStringList{doneText(dirPath(QStringLiteral("报表.xlsx")))});
        withRunning.removeAll(stale);
        withRunning << QStringLiteral("报表.xlsx");
        std::sort(withRunning.begin(), withRunning.end());
        QCOMPARE(sortedEntries(), withRunning);

        running.reset();
        QStringList left = others;
        left << QStringLiteral("报表.xlsx");
        std::sort(left.begin(), left.end());
        QCOMPARE(sortedEntries(), left);
    }

    // The workbook class on its own: misuse is reported, and an unfinished workbook leaves nothing.
    void workbookMisuseLeavesNothing()
    {
        const QString path = dirPath(QStringLiteral("a.xlsx"));
        try {
            XlsxWorkbook book(path);
            book.addSheet(QStringLiteral("业主/编号"));
            QFAIL("a sheet name with / was accepted");
        } catch (const RuntimeError& e) {
            QCOMPARE(e.number(), 5L);
            QVERIFY(e.description().contains(QStringLiteral("不允许的字符")));
        }
        try {
            XlsxWorkbook book(path);
            book.addSheet(QStringLiteral("s"));
            const XlsxWorkbook::Format plain = book.format(CellStyle());
            book.writeString(2, 1, QStringLiteral("b"), plain);
            book.writeString(1, 1, QStringLiteral("a"), plain); // rows stream in order
            QFAIL("a row above a finished one was accepted");
        } catch (const RuntimeError& e) {
            QCOMPARE(e.number(), 5L);
            QVERIFY(e.description().contains(QStringLiteral("超出工作表范围")));
        }
        try {
            XlsxWorkbook book(path);
            book.addSheet(QStringLiteral("s"));
            book.mergeRange(1, 1, 1, 1, QStringLiteral("x"), book.format(CellStyle()));
            QFAIL("a merge of one cell was accepted");
        } catch (const RuntimeError& e) {
            QCOMPARE(e.number(), 5L);
        }
        {
            XlsxWorkbook book(path);
            book.addSheet(QStringLiteral("s"));
            for (int r = 1; r <= 1000; ++r)
                book.writeNumber(r, 1, r, book.format(CellStyle()));
        } // dropped without close
        QVERIFY(entries(dirPath()).isEmpty());
    }

    void workbookFormatsAreSharedAndReplaceOnClose()
    {
        const QString path = dirPath(QStringLiteral("a.xlsx"));
        writeFile(path, "old");
        XlsxWorkbook book(path);
        book.addSheet(QStringLiteral("s"));
        CellStyle bold;
        bold.bold = true;
        CellStyle filled = bold;
        filled.fill = 0x123456;
        book.writeString(1, 1, QStringLiteral("a"), book.format(bold));
        book.writeString(1, 2, QStringLiteral("b"), book.format(filled));
        book.writeString(1, 3, QStringLiteral("c"), book.format(bold));
        QCOMPARE(fileContent(path), QByteArray("old")); // not replaced before close
        book.close();
        QCOMPARE(entries(dirPath()), QStringList{QStringLiteral("a.xlsx")});
        const Sheet sheet = readWorkbook(path);
        QVERIFY(sheet.cell(1, 3).value(QStringLiteral("bold")).toBool());
        QVERIFY(sheet.cell(1, 3).value(QStringLiteral("fill")).isNull());
        QCOMPARE(sheet.cell(1, 2).value(QStringLiteral("fill")).toString(), QStringLiteral("FF123456"));
        QVERIFY(sheet.cell(1, 2).value(QStringLiteral("bold")).toBool());
    }
};

QTEST_MAIN(ExcelExportTest)
#include "test_excel_export.moc"
