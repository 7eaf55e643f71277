#include "core/XlsxWorkbook.h"

#include "core/ExportTempFile.h"
#include "core/RuntimeError.h"
#include "core/WorkbookCheck.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <utility>
#include <xlsxwriter.h>

namespace {

QString nativePath(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

struct SystemFailure
{
    ErrorNumber number;
    QString reason;
};

// A file failure told by the system's error code, in the user's words.
SystemFailure systemFailure(int code)
{
    switch (code) {
    case ENOENT:
    case ENOTDIR:
        return {ErrorNumber::PathNotFound, QStringLiteral("路径未找到")};
    case EACCES:
    case EPERM:
        return {ErrorNumber::PermissionDenied, QStringLiteral("没有写入权限")};
    case EROFS:
        return {ErrorNumber::PermissionDenied, QStringLiteral("磁盘只读")};
    case ENOSPC:
#ifdef EDQUOT
    case EDQUOT:
#endif
        return {ErrorNumber::DiskFull, QStringLiteral("磁盘已满")};
    case EISDIR:
        return {ErrorNumber::FileAccess, QStringLiteral("已有同名的文件夹")};
    case ENAMETOOLONG:
        return {ErrorNumber::FileAccess, QStringLiteral("文件名太长")};
    case ENOMEM:
        return {ErrorNumber::OutOfMemory, QStringLiteral("内存不足")};
    case 0:
        return {ErrorNumber::FileAccess, QStringLiteral("路径/文件访问错误")};
    default:
        return {ErrorNumber::FileAccess, QStringLiteral("路径/文件访问错误（系统错误 %1）").arg(code)};
    }
}

// A failure to create, write or rename the workbook's file.
RuntimeError fileError(int code, const QString& path)
{
    const SystemFailure failure = systemFailure(code);
    return RuntimeError(failure.number, QStringLiteral("无法保存文件“%1”：%2").arg(nativePath(path), failure.reason));
}

// libxlsxwriter's error codes in the user's words; file failures take the system's reason.
RuntimeError libraryError(lxw_error error, int systemCode, const QString& path, const char* what)
{
    switch (error) {
    case LXW_ERROR_MEMORY_MALLOC_FAILED:
        return RuntimeError(ErrorNumber::OutOfMemory, QStringLiteral("内存不足"));
    case LXW_ERROR_CREATING_XLSX_FILE:
    case LXW_ERROR_CREATING_TMPFILE:
    case LXW_ERROR_READING_TMPFILE:
    case LXW_ERROR_ZIP_FILE_OPERATION:
    case LXW_ERROR_ZIP_FILE_ADD:
    case LXW_ERROR_ZIP_CLOSE:
    case LXW_ERROR_ZIP_INTERNAL_ERROR:
    case LXW_ERROR_ZIP_PARAMETER_ERROR:
        return fileError(systemCode, path);
    case LXW_ERROR_ZIP_BAD_ZIP_FILE:
        return RuntimeError(ErrorNumber::FileAccess,
                            QStringLiteral("无法保存文件“%1”：工作簿超过 4 GB").arg(nativePath(path)));
    default:
        break;
    }
    QString reason;
    switch (error) {
    case LXW_ERROR_SHEETNAME_LENGTH_EXCEEDED:
        reason = QStringLiteral("工作表名称超过 31 个字符");
        break;
    case LXW_ERROR_INVALID_SHEETNAME_CHARACTER:
        reason = QStringLiteral("工作表名称含有不允许的字符 [ ] : * ? / \\");
        break;
    case LXW_ERROR_SHEETNAME_START_END_APOSTROPHE:
        reason = QStringLiteral("工作表名称不能以单引号开始或结束");
        break;
    case LXW_ERROR_SHEETNAME_ALREADY_USED:
        reason = QStringLiteral("工作表名称已被使用");
        break;
    case LXW_ERROR_MAX_STRING_LENGTH_EXCEEDED:
        reason = QStringLiteral("单元格文本超过 32767 个字符");
        break;
    case LXW_ERROR_WORKSHEET_INDEX_OUT_OF_RANGE:
        reason = QStringLiteral("单元格位置超出工作表范围");
        break;
    default:
        reason = QStringLiteral("表格库错误 %1").arg(static_cast<int>(error));
        break;
    }
    return RuntimeError(ErrorNumber::InvalidCall,
                        QStringLiteral("无效的过程调用或参数（%1：%2）").arg(QString::fromLatin1(what), reason));
}

// Our temporary files beside a target: ".~xlsx", eight hex digits, ".tmp".
bool isTempFileName(const QString& name)
{
    static const QRegularExpression pattern(QStringLiteral("^\\.~xlsx[0-9a-f]{8}\\.tmp$"));
    return pattern.match(name).hasMatch();
}

// A fresh name in the target's folder, created with the usual permissions so that the renamed
// workbook gets them too, and held as ours where the platform can (see ExportTempFile.h).
QString reserveTempFile(const QString& target, int& lockFd)
{
    const QString dir = QFileInfo(target).absolutePath();
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QString name =
            dir + QStringLiteral("/.~xlsx%1.tmp").arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0'));
        const int code = createTempFile(name, lockFd);
        if (code == 0)
            return name;
        if (code != EEXIST)
            throw fileError(code, target);
    }
    throw fileError(EEXIST, target);
}

lxw_row_t rowIndex(int row)
{
    if (row < 1 || row > LXW_ROW_MAX)
        throw libraryError(LXW_ERROR_WORKSHEET_INDEX_OUT_OF_RANGE, 0, {}, "row");
    return static_cast<lxw_row_t>(row - 1);
}

lxw_col_t colIndex(int col)
{
    if (col < 1 || col > LXW_COL_MAX)
        throw libraryError(LXW_ERROR_WORKSHEET_INDEX_OUT_OF_RANGE, 0, {}, "column");
    return static_cast<lxw_col_t>(col - 1);
}

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

} // namespace

size_t qHash(const CellStyle& style, size_t seed)
{
    return qHashMulti(seed, style.fontName, style.fontSize, style.bold, static_cast<int>(style.align), style.fill,
                      style.thinBorder);
}

std::optional<double> spreadsheetNumber(const QString& text)
{
    int begin = 0;
    int end = text.size();
    while (begin < end && text[begin] == u' ')
        ++begin;
    while (end > begin && text[end - 1] == u' ')
        --end;
    int i = begin;
    if (i < end && (text[i] == u'+' || text[i] == u'-'))
        ++i;
    int mantissaDigits = 0;
    int firstNonZero = -1;
    int lastNonZero = -1;
    bool point = false;
    for (; i < end; ++i) {
        if (isDigit(text[i])) {
            if (text[i] != u'0') {
                if (firstNonZero < 0)
                    firstNonZero = mantissaDigits;
                lastNonZero = mantissaDigits;
            }
            ++mantissaDigits;
        } else if (text[i] == u'.' && !point) {
            point = true;
        } else {
            break;
        }
    }
    if (mantissaDigits == 0)
        return std::nullopt;
    if (i < end && (text[i] == u'e' || text[i] == u'E')) {
        ++i;
        if (i < end && (text[i] == u'+' || text[i] == u'-'))
            ++i;
        const int exponentStart = i;
        while (i < end && isDigit(text[i]))
            ++i;
        if (i == exponentStart)
            return std::nullopt;
    }
    if (i != end)
        return std::nullopt;
    if (firstNonZero >= 0 && lastNonZero - firstNonZero + 1 > 15)
        return std::nullopt;
    bool ok = false;
    const double value = QLocale::c().toDouble(QStringView(text).mid(begin, end - begin), &ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

XlsxWorkbook::XlsxWorkbook(const QString& path) : m_path(path)
{
    removeStaleTempFiles(QFileInfo(path).absolutePath(), isTempFileName);
    m_tempPath = reserveTempFile(path, m_tempLock);
    // The rows streamed to disk, and the package's parts, go to the target's own folder: the library
    // does not notice a failed write to them, and a full temporary folder elsewhere would cut the
    // workbook short while the target's disk has room.
    m_tmpDir = QFile::encodeName(QDir::toNativeSeparators(QFileInfo(path).absolutePath()));
    lxw_workbook_options options = {};
    options.constant_memory = LXW_TRUE;
    options.tmpdir = m_tmpDir.data();
    options.use_zip64 = LXW_FALSE;
    m_workbook = workbook_new_opt(workbookFileName(m_tempPath).constData(), &options);
    if (!m_workbook) {
        discard();
        throw RuntimeError(ErrorNumber::OutOfMemory, QStringLiteral("内存不足"));
    }
}

XlsxWorkbook::~XlsxWorkbook()
{
    discard();
}

void XlsxWorkbook::discard()
{
    if (m_workbook) {
        // The library does not close a sheet's streamed rows when it frees an unfinished workbook.
        for (lxw_worksheet* sheet : std::as_const(m_sheets)) {
            if (sheet->optimize_tmpfile) {
                fclose(sheet->optimize_tmpfile);
                sheet->optimize_tmpfile = nullptr;
            }
        }
        lxw_workbook_free(m_workbook);
        m_workbook = nullptr;
    }
    m_sheet = nullptr;
    m_sheets.clear();
    m_sheetRows.clear();
    m_formats.clear();
    if (!m_tempPath.isEmpty()) {
        QFile::remove(m_tempPath);
        m_tempPath.clear();
    }
    releaseTempLock();
}

void XlsxWorkbook::releaseTempLock()
{
    releaseTempFile(m_tempLock);
}

void XlsxWorkbook::check(int error, const char* what) const
{
    if (error != LXW_NO_ERROR)
        throw libraryError(static_cast<lxw_error>(error), 0, m_path, what);
}

void XlsxWorkbook::requireOpen() const
{
    if (!m_workbook)
        throw RuntimeError(ErrorNumber::InvalidCall, QStringLiteral("无效的过程调用或参数（工作簿已关闭）"));
}

void XlsxWorkbook::requireSheet() const
{
    requireOpen();
    if (!m_sheet)
        throw RuntimeError(ErrorNumber::InvalidCall, QStringLiteral("无效的过程调用或参数（工作簿尚无工作表）"));
}

void XlsxWorkbook::addSheet(const QString& name)
{
    requireOpen();
    const QByteArray utf8 = name.toUtf8();
    check(workbook_validate_sheet_name(m_workbook, utf8.constData()), "sheet");
    errno = 0;
    m_sheet = workbook_add_worksheet(m_workbook, utf8.constData());
    if (!m_sheet) {
        // Besides memory, a sheet needs a temporary file for its streamed rows.
        const int code = errno;
        if (code == 0 || code == ENOMEM)
            throw RuntimeError(ErrorNumber::OutOfMemory, QStringLiteral("内存不足"));
        const SystemFailure failure = systemFailure(code);
        throw RuntimeError(failure.number, QStringLiteral("无法在文件夹“%1”中创建临时文件：%2")
                                               .arg(nativePath(QFile::decodeName(m_tmpDir)), failure.reason));
    }
    m_sheets.append(m_sheet);
    m_sheetRows.append(0);
    m_lastRow = 0;
}

void XlsxWorkbook::noteRow(int row)
{
    // Rows stream in order, so a row is new when it is below the last one written.
    if (row > m_lastRow) {
        m_lastRow = row;
        ++m_sheetRows.last();
    }
}

void XlsxWorkbook::setColumnWidth(int col, double width)
{
    requireSheet();
    const lxw_col_t c = colIndex(col);
    check(worksheet_set_column(m_sheet, c, c, width, nullptr), "column width");
}

XlsxWorkbook::Format XlsxWorkbook::format(const CellStyle& style)
{
    requireOpen();
    if (lxw_format* known = m_formats.value(style))
        return Format(known);
    lxw_format* f = workbook_add_format(m_workbook);
    if (!f)
        throw RuntimeError(ErrorNumber::OutOfMemory, QStringLiteral("内存不足"));
    if (!style.fontName.isEmpty())
        format_set_font_name(f, style.fontName.toUtf8().constData());
    if (style.fontSize > 0)
        format_set_font_size(f, style.fontSize);
    if (style.bold)
        format_set_bold(f);
    switch (style.align) {
    case CellStyle::Align::General:
        break;
    case CellStyle::Align::Left:
        format_set_align(f, LXW_ALIGN_LEFT);
        break;
    case CellStyle::Align::Center:
        format_set_align(f, LXW_ALIGN_CENTER);
        break;
    case CellStyle::Align::Right:
        format_set_align(f, LXW_ALIGN_RIGHT);
        break;
    }
    if (style.fill >= 0) {
        format_set_pattern(f, LXW_PATTERN_SOLID);
        format_set_bg_color(f, static_cast<lxw_color_t>(style.fill));
    }
    if (style.thinBorder)
        format_set_border(f, LXW_BORDER_THIN);
    m_formats.insert(style, f);
    return Format(f);
}

namespace {
bool isHexDigit(QChar c)
{
    return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}

// Where "_xHHHH_" starts at i: the spreadsheet would read it as the character it escapes.
bool readsAsEscape(const QString& text, qsizetype i)
{
    if (i + 7 > text.size() || text[i] != u'_' || text[i + 1] != u'x' || text[i + 6] != u'_')
        return false;
    for (qsizetype k = i + 2; k < i + 6; ++k)
        if (!isHexDigit(text[k]))
            return false;
    return true;
}

// The text as the library is handed it, cut to what a cell holds. The library ends a text at a
// NUL and escapes the other control characters itself (after counting each as one); a NUL goes
// in as "_x0000_", which the spreadsheet reads back as NUL, and a literal "_xHHHH_" gets its '_'
// escaped, so that it is read back as typed. The library counts characters of what it is handed,
// the spreadsheet those of what it reads: neither may pass the limit, and no pair is split.
QString cellText(const QString& text, bool* cut)
{
    if (cut)
        *cut = false;
    if (text.size() <= XlsxWorkbook::kMaxCellCharacters && !text.contains(QChar(0)) &&
        !text.contains(QStringLiteral("_x")))
        return text;
    QString out;
    qsizetype shown = 0;  // UTF-16 units as the spreadsheet reads the cell
    qsizetype handed = 0; // characters the library counts
    for (qsizetype i = 0; i < text.size();) {
        const qsizetype width =
            text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate() ? 2 : 1;
        QString piece = text.mid(i, width);
        if (text[i] == QChar(0))
            piece = QStringLiteral("_x0000_");
        else if (readsAsEscape(text, i))
            piece = QStringLiteral("_x005F_");
        const qsizetype pieceCharacters = piece.size() == 2 && width == 2 ? 1 : piece.size();
        if (shown + width > XlsxWorkbook::kMaxCellCharacters ||
            handed + pieceCharacters > XlsxWorkbook::kMaxCellCharacters) {
            if (cut)
                *cut = true;
            break;
        }
        out += piece;
        shown += width;
        handed += pieceCharacters;
        i += width;
    }
    return out;
}
} // namespace

bool XlsxWorkbook::fitsInCell(const QString& text)
{
    bool cut = false;
    cellText(text, &cut);
    return !cut;
}

void XlsxWorkbook::writeString(int row, int col, const QString& text, Format format)
{
    requireSheet();
    check(worksheet_write_string(m_sheet, rowIndex(row), colIndex(col), cellText(text, nullptr).toUtf8().constData(),
                                 format.m_format),
          "cell");
    noteRow(row);
}

void XlsxWorkbook::writeNumber(int row, int col, double value, Format format)
{
    requireSheet();
    check(worksheet_write_number(m_sheet, rowIndex(row), colIndex(col), value, format.m_format), "cell");
    noteRow(row);
}

void XlsxWorkbook::writeBlank(int row, int col, Format format)
{
    requireSheet();
    check(worksheet_write_blank(m_sheet, rowIndex(row), colIndex(col), format.m_format), "cell");
    if (format.m_format) // the library keeps no blank cell without a format
        noteRow(row);
}

void XlsxWorkbook::writeText(int row, int col, const QString& text, Format format)
{
    if (text.isEmpty())
        writeBlank(row, col, format);
    else if (const std::optional<double> number = spreadsheetNumber(text))
        writeNumber(row, col, *number, format);
    else
        writeString(row, col, text, format);
}

void XlsxWorkbook::mergeRange(int firstRow, int firstCol, int lastRow, int lastCol, const QString& text, Format format)
{
    requireSheet();
    if (firstRow > lastRow || firstCol > lastCol || (firstRow == lastRow && firstCol == lastCol))
        throw RuntimeError(ErrorNumber::InvalidCall,
                           QStringLiteral("无效的过程调用或参数（合并区域至少要有两个单元格）"));
    check(worksheet_merge_range(m_sheet, rowIndex(firstRow), colIndex(firstCol), rowIndex(lastRow), colIndex(lastCol),
                                cellText(text, nullptr).toUtf8().constData(), format.m_format),
          "merge");
    // The text goes into the first cell; the others are blanks, kept only with a format.
    noteRow(firstRow);
    if (format.m_format)
        noteRow(lastRow);
}

void XlsxWorkbook::setPrintLayout(int firstRepeated, int lastRepeated)
{
    requireSheet();
    constexpr uint8_t kPaperA4 = 9;
    worksheet_set_landscape(m_sheet);
    worksheet_set_paper(m_sheet, kPaperA4);
    worksheet_fit_to_pages(m_sheet, 1, 0);
    check(worksheet_repeat_rows(m_sheet, rowIndex(firstRepeated), rowIndex(lastRepeated)), "repeat rows");
}

void XlsxWorkbook::freezeRowsAbove(int row)
{
    requireSheet();
    worksheet_freeze_panes(m_sheet, rowIndex(row), 0);
}

void XlsxWorkbook::setAutoFilter(int firstRow, int firstCol, int lastRow, int lastCol)
{
    requireSheet();
    check(worksheet_autofilter(m_sheet, rowIndex(firstRow), colIndex(firstCol), rowIndex(lastRow), colIndex(lastCol)),
          "autofilter");
}

void XlsxWorkbook::close()
{
    requireOpen();
    // The library frees the workbook whatever the outcome.
    lxw_workbook* workbook = m_workbook;
    m_workbook = nullptr;
    m_sheet = nullptr;
    m_sheets.clear();
    m_formats.clear();
    const QList<int> sheetRows = std::exchange(m_sheetRows, {});
    errno = 0;
    const lxw_error error = workbook_close(workbook);
    const int systemCode = errno;
    if (error != LXW_NO_ERROR) {
        discard();
        throw libraryError(error, systemCode, m_path, "close");
    }
    try {
        verifyWorkbookPackage(m_tempPath, sheetRows, m_path);
    } catch (const RuntimeError&) {
        discard();
        throw;
    }
    if (const int renameCode = replaceFile(m_tempPath, m_path); renameCode != 0) {
        discard();
        throw fileError(renameCode, m_path);
    }
    m_tempPath.clear();
    releaseTempLock();
}
