#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <optional>

struct lxw_workbook;
struct lxw_worksheet;
struct lxw_format;

// How a cell looks. A plain value: the workbook makes one format per distinct style and never
// changes it afterwards, because the library reads formats only when the workbook is closed.
struct CellStyle
{
    enum class Align { General, Left, Center, Right };

    QString fontName;    // empty: the workbook's default font
    double fontSize = 0; // points; 0: the default size
    bool bold = false;
    Align align = Align::General;
    int fill = -1; // solid background 0xRRGGBB; -1: none
    bool thinBorder = false;

    bool operator==(const CellStyle& other) const
    {
        return fontName == other.fontName && fontSize == other.fontSize && bold == other.bold && align == other.align &&
               fill == other.fill && thinBorder == other.thinBorder;
    }
    bool operator!=(const CellStyle& other) const { return !(*this == other); }
};
size_t qHash(const CellStyle& style, size_t seed = 0);

// The number a text is when typed into a spreadsheet cell: blanks around it, a sign, digits with
// a decimal point, an exponent. Texts of more than 15 significant digits stay texts, since a
// number cell would lose their last digits.
std::optional<double> spreadsheetNumber(const QString& text);

// A new .xlsx workbook written with libxlsxwriter, addressed in cells as the spreadsheet shows
// them: rows and columns count from 1. Rows are streamed to disk as they are finished
// (constant memory), so cells must be written row by row, top to bottom; within a row in any order.
//
// The file is built under a temporary name beside the target and renamed when complete, so a
// failure never leaves a half-written workbook under the target's name; an existing target is
// replaced only then. A new workbook first removes the temporary files that workbooks killed
// midway left in its folder. Every failure throws RuntimeError with a Chinese description.
class XlsxWorkbook
{
public:
    // A format made from a CellStyle; valid until the workbook is closed or destroyed.
    class Format
    {
    public:
        Format() = default;

    private:
        friend class XlsxWorkbook;
        explicit Format(lxw_format* format) : m_format(format) {}
        lxw_format* m_format = nullptr;
    };

    explicit XlsxWorkbook(const QString& path);
    ~XlsxWorkbook(); // an unclosed workbook is discarded, its temporary file removed
    XlsxWorkbook(const XlsxWorkbook&) = delete;
    XlsxWorkbook& operator=(const XlsxWorkbook&) = delete;

    const QString& path() const { return m_path; }

    // Adds a sheet; the following calls write to it.
    void addSheet(const QString& name);

    // Width in the spreadsheet's character units (the file stores it rounded to whole pixels).
    void setColumnWidth(int col, double width);

    // The same format for the same style, so the file holds each distinct style once.
    Format format(const CellStyle& style);

    // The most characters a cell holds.
    static constexpr int kMaxCellCharacters = 32767;
    // Whether a text goes into a cell whole; a longer one is cut to the most a cell holds.
    static bool fitsInCell(const QString& text);

    // Every character of the text reaches the cell: control characters (NUL included) in the
    // spreadsheet's own escape "_xHHHH_", and a text that reads like such an escape escaped itself.
    void writeString(int row, int col, const QString& text, Format format);
    void writeNumber(int row, int col, double value, Format format);
    void writeBlank(int row, int col, Format format);
    // A text as the spreadsheet stores a text assigned to a cell: a number when it reads as one,
    // an empty cell when empty, else a string.
    void writeText(int row, int col, const QString& text, Format format);
    // Merges a range of at least two cells; the text goes into its first cell, every cell gets the format.
    void mergeRange(int firstRow, int firstCol, int lastRow, int lastCol, const QString& text, Format format);

    // How the sheet prints: landscape on A4, every column on the page's width (as many pages down as
    // it takes), rows `firstRepeated` to `lastRepeated` at the top of every page.
    void setPrintLayout(int firstRepeated, int lastRepeated);
    // The rows above `row` stay in view while the rest scrolls.
    void freezeRowsAbove(int row);
    // Filter buttons in the range's first row.
    void setAutoFilter(int firstRow, int firstCol, int lastRow, int lastCol);

    // Writes the file, reads it back whole, and moves it to its name; only then does the workbook exist.
    void close();

private:
    void check(int error, const char* what) const;
    void requireOpen() const;
    void requireSheet() const;
    void discard();
    void releaseTempLock();
    void noteRow(int row);

    QString m_path;
    QString m_tempPath;
    int m_tempLock = -1; // holds the temporary file locked while it is ours
    QByteArray m_tmpDir; // the library keeps the pointer until close
    lxw_workbook* m_workbook = nullptr;
    lxw_worksheet* m_sheet = nullptr;
    QList<lxw_worksheet*> m_sheets;
    QList<int> m_sheetRows; // rows holding a cell, per sheet: what the finished file must have
    int m_lastRow = 0;
    QHash<CellStyle, lxw_format*> m_formats;
};
