#include "workbench/ExcelExport.h"

#include "core/XlsxWorkbook.h"
#include "engine/GridBuilders.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QStringList>
#include <algorithm>

namespace {

const QString kFontName = QStringLiteral("微软雅黑");
constexpr int kHeaderFill = 0xC0C0FF; // red 192, green 192, blue 255
constexpr double kTwipsPerCharacter = 110;

// Sheet rows: the title, the office and date line, the header; grid row r goes to row r + 4.
constexpr int kTitleRow = 1;
constexpr int kInfoRow = 3;
constexpr int kHeaderRow = 4;
constexpr int kGridRowOffset = 4;

// Grid columns kept as text so that their leading zeros stay.
bool isTextColumn(int gridCol)
{
    return gridCol == GridColumn::OfficeCode || gridCol == GridColumn::Building || gridCol == GridColumn::Unit ||
           gridCol == GridColumn::Room;
}

// Where the sheet's parts lie for a grid of `gridRows` rows (header included) and `n` exported columns.
struct SheetLayout
{
    int gridRows;
    int n;
    int officeLast() const { return std::min(4, n); }
    int dateFirst() const { return std::max(n - 3, officeLast() + 1); }
    int lastFontRow() const { return gridRows + 4; }
    int lastBorderRow() const { return gridRows + 3; }
};

// A cell's format, worked out from the ranges the layout formats, before the cell is written:
// the library takes a cell's whole format with the cell and cannot restyle it afterwards.
CellStyle styleAt(const SheetLayout& layout, int row, int col)
{
    CellStyle style;
    if (row == kTitleRow) {
        style.align = CellStyle::Align::Center;
        style.fontName = kFontName;
        style.bold = true; // in the default size
    }
    if (row == kInfoRow && col >= layout.dateFirst())
        style.align = CellStyle::Align::Right;
    if (row == kHeaderRow) {
        style.align = CellStyle::Align::Center;
        style.fill = kHeaderFill;
    }
    if (row >= 2 && row <= layout.lastFontRow()) {
        style.fontName = kFontName;
        style.fontSize = 9;
    }
    if (row >= kHeaderRow && row <= layout.lastBorderRow())
        style.thinBorder = true;
    return style;
}

// A merge of a single cell is no merge: the text is written into the cell.
void mergeOrWrite(XlsxWorkbook& book, const SheetLayout& layout, int row, int firstCol, int lastCol,
                  const QString& text)
{
    const XlsxWorkbook::Format format = book.format(styleAt(layout, row, firstCol));
    if (lastCol > firstCol)
        book.mergeRange(row, firstCol, row, lastCol, text, format);
    else
        book.writeString(row, firstCol, text, format);
}

void writeBlankRow(XlsxWorkbook& book, const SheetLayout& layout, int row, int firstCol, int lastCol)
{
    for (int col = firstCol; col <= lastCol; ++col)
        book.writeBlank(row, col, book.format(styleAt(layout, row, col)));
}

} // namespace

QString excelExportFileName(const QString& chosen)
{
    const int nameStart = chosen.lastIndexOf(u'/') + 1;
    const int dot = chosen.lastIndexOf(u'.');
    const QString base = dot > nameStart ? chosen.left(dot) : chosen;
    return base + QStringLiteral(".xlsx");
}

QString officeNameOf(const QString& officeItem)
{
    return officeItem.mid(officeItem.indexOf(u' ') + 1);
}

QString suggestedExportName(const QString& officeItem)
{
    QString name = officeNameOf(officeItem);
    for (QChar& c : name)
        if (c == u'/' || c == u'\\' || c.unicode() < 0x20 || c.unicode() == 0x7F)
            c = u'_';
    return name + QStringLiteral("_业主编号");
}

namespace {
QString& lastExportFolder()
{
    static QString folder;
    return folder;
}
} // namespace

QString exportStartFolder()
{
    if (!lastExportFolder().isEmpty() && QFileInfo(lastExportFolder()).isDir())
        return lastExportFolder();
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return !documents.isEmpty() && QFileInfo(documents).isDir() ? documents : QDir::homePath();
}

void rememberExportFolder(const QString& writtenFile)
{
    lastExportFolder() = QFileInfo(writtenFile).absolutePath();
}

void forgetExportFolder()
{
    lastExportFolder().clear();
}

QString exportCutRowsText(const QList<int>& cutRows)
{
    QString details;
    if (!cutRows.isEmpty()) {
        QStringList rows;
        for (int r : cutRows.mid(0, 10))
            rows << QString::number(r);
        details += QStringLiteral("\r\n表格第 %1 行%2的文字超过 Excel 单元格的 %3 个字符，已截断。")
                       .arg(rows.join(QStringLiteral("、")),
                            cutRows.size() > 10 ? QStringLiteral("等 %1 行").arg(cutRows.size()) : QString())
                       .arg(XlsxWorkbook::kMaxCellCharacters);
    }
    return details;
}

QList<int> WriteOwnerNumberWorkbook(const QString& path, FlexGridModel& grid, const QString& officeItem,
                                    const QDate& date, const std::function<void(int)>& progress,
                                    const QList<SheetLegend>& legend)
{
    QList<int> cutRows;
    const SheetLayout layout{grid.rows(), GridColumn::kShownCount};
    const int n = layout.n;
    XlsxWorkbook book(path);
    book.addSheet(QStringLiteral("业主编号"));

    // Rows stream to disk in order, so the widths come first and every row is written whole.
    GridRedrawOff redrawOff(grid);
    for (int c = 0; c < n; ++c)
        book.setColumnWidth(c + 1, grid.colWidth(c) / kTwipsPerCharacter);
    // On paper: across, every column on the page's width, title and header on every page; on the
    // screen the header stays in view and filters. (Ranges are checked against rows not yet streamed.)
    book.setPrintLayout(kTitleRow, kHeaderRow);
    book.freezeRowsAbove(kHeaderRow + 1);
    book.setAutoFilter(kHeaderRow, 1, std::max(kHeaderRow, layout.lastBorderRow()), n);

    mergeOrWrite(book, layout, kTitleRow, 1, n, QStringLiteral("业主编号"));
    writeBlankRow(book, layout, 2, 1, n);
    mergeOrWrite(book, layout, kInfoRow, 1, layout.officeLast(), QStringLiteral(" 管理处：") + officeItem);
    writeBlankRow(book, layout, kInfoRow, layout.officeLast() + 1, layout.dateFirst() - 1);
    if (layout.dateFirst() <= n)
        mergeOrWrite(book, layout, kInfoRow, layout.dateFirst(), n,
                     QStringLiteral("导出日期：") + date.toString(QStringLiteral("yyyy-MM-dd")) + u' ');
    for (int c = 0; c < n; ++c)
        book.writeText(kHeaderRow, c + 1, grid.textMatrix(0, c), book.format(styleAt(layout, kHeaderRow, c + 1)));

    // Every data row looks the same: its formats are worked out once.
    QList<XlsxWorkbook::Format> dataFormats;
    for (int c = 0; c < n; ++c)
        dataFormats << book.format(styleAt(layout, kGridRowOffset + 1, c + 1));
    for (int r = 1; r < layout.gridRows; ++r) {
        if (progress)
            progress(r);
        const int row = r + kGridRowOffset;
        for (int c = 0; c < n; ++c) {
            const QString text = grid.textMatrix(r, c);
            XlsxWorkbook::Format format = dataFormats[c];
            // A cell marked in the grid (a duplicate number) keeps its colour in the workbook.
            if (const QColor back = grid.cellBackColor(r, c); back.isValid()) {
                CellStyle style = styleAt(layout, kGridRowOffset + 1, c + 1);
                style.fill = static_cast<int>(back.rgb() & 0xFFFFFF);
                format = book.format(style);
            }
            if ((cutRows.isEmpty() || cutRows.last() != r) && !XlsxWorkbook::fitsInCell(text))
                cutRows << r;
            if (isTextColumn(c))
                book.writeString(row, c + 1, text, format);
            else
                book.writeText(row, c + 1, text, format);
        }
    }
    writeBlankRow(book, layout, layout.lastFontRow(), 1, n);
    // A line a colour under the table, after the blank row: a cell of the colour, then its meaning.
    int legendRow = layout.lastFontRow() + 1;
    for (const SheetLegend& line : legend) {
        CellStyle swatch;
        swatch.fill = static_cast<int>(line.colour.rgb() & 0xFFFFFF);
        book.writeBlank(legendRow, 1, book.format(swatch));
        CellStyle text;
        text.fontName = kFontName;
        text.fontSize = 9;
        book.writeString(legendRow, 2, line.text, book.format(text));
        ++legendRow;
    }
    book.close();
    return cutRows;
}
