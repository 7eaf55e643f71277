#include "core/FlexGridModel.h"

#include "core/RuntimeError.h"
#include "core/Twips.h"

#include <QFontMetrics>
#include <QStringList>
#include <QTextDocument>
#include <algorithm>

namespace {
// Extra width of a column sized from its header text, room for the cell's padding and lines.
constexpr int kHeaderTextMargin = 90; // twips
} // namespace

FlexGridModel::FlexGridModel(QObject* parent)
    : QAbstractTableModel(parent), m_cells(4), m_alignments(2, AlignGeneral), m_colWidths(2, kDefaultColWidth)
{
}

void FlexGridModel::resizeStorage(int rows, int cols)
{
    if (cols == m_cols) {
        m_cells.resize(static_cast<size_t>(rows) * cols);
        // Emptying a large grid gives its memory back; refilling grows it again.
        if (m_cells.capacity() > 4096 && m_cells.size() < m_cells.capacity() / 4)
            m_cells.shrink_to_fit();
    } else {
        std::vector<QString> cells(static_cast<size_t>(rows) * cols);
        const int keepRows = std::min(rows, m_rows), keepCols = std::min(cols, m_cols);
        for (int r = 0; r < keepRows; ++r)
            for (int c = 0; c < keepCols; ++c)
                cells[static_cast<size_t>(r) * cols + c] = std::move(m_cells[static_cast<size_t>(r) * m_cols + c]);
        m_cells.swap(cells);
        m_alignments.resize(cols, AlignGeneral);
        m_colWidths.resize(cols, kDefaultColWidth);
    }
    m_rows = rows;
    m_cols = cols;
}

void FlexGridModel::setRows(int rows)
{
    rows = std::max(1, rows);
    if (rows != m_rows) {
        if (m_frozen) {
            resizeStorage(rows, m_cols);
            m_structureChanged = true;
        } else {
            const bool removing = rows < m_rows;
            if (removing)
                beginRemoveRows(QModelIndex(), rows - 1, m_rows - 2);
            else
                beginInsertRows(QModelIndex(), m_rows - 1, rows - 2);
            resizeStorage(rows, m_cols);
            m_shownRows = rows;
            removing ? endRemoveRows() : endInsertRows();
        }
    }
    for (auto it = m_marks.begin(); it != m_marks.end();)
        it = (it.key() >> 16) >= m_rows ? m_marks.erase(it) : std::next(it);
    // The current row moves up with the last row.
    m_row = std::min(m_row, m_rows - 1);
    m_rowSel = std::min(m_rowSel, m_rows - 1);
    currentCellMoved();
}

void FlexGridModel::setCols(int cols)
{
    cols = std::max(1, cols);
    if (cols != m_cols) {
        if (m_frozen) {
            resizeStorage(m_rows, cols);
            m_structureChanged = true;
        } else {
            const bool removing = cols < m_cols;
            if (removing)
                beginRemoveColumns(QModelIndex(), cols, m_cols - 1);
            else
                beginInsertColumns(QModelIndex(), m_cols, cols - 1);
            resizeStorage(m_rows, cols);
            m_shownCols = cols;
            removing ? endRemoveColumns() : endInsertColumns();
        }
    }
    m_col = std::min(m_col, m_cols - 1);
    m_colSel = std::min(m_colSel, m_cols - 1);
    currentCellMoved();
}

void FlexGridModel::checkCell(int row, int col) const
{
    if (row < 0 || row >= m_rows || col < 0 || col >= m_cols)
        throw RuntimeError(ErrorNumber::InvalidPropertyIndex, QStringLiteral("下标越界"));
}

void FlexGridModel::checkCol(int col) const
{
    if (col < 0 || col >= m_cols)
        throw RuntimeError(ErrorNumber::InvalidPropertyIndex, QStringLiteral("下标越界"));
}

QString FlexGridModel::textMatrix(int row, int col) const
{
    checkCell(row, col);
    return cell(row, col);
}

void FlexGridModel::setTextMatrix(int row, int col, const QString& text)
{
    checkCell(row, col);
    setCell(row, col, text);
}

void FlexGridModel::addItem(const QString& item)
{
    appendRow(item.isEmpty() ? QStringList() : item.split(u'\t'));
}

int FlexGridModel::colWidth(int col) const
{
    checkCol(col);
    return m_colWidths[col];
}

void FlexGridModel::setColWidth(int col, int twips)
{
    checkCol(col);
    m_colWidths[col] = std::max(0, twips);
    if (!m_frozen)
        emit colWidthChanged(col);
}

int FlexGridModel::colAlignment(int col) const
{
    checkCol(col);
    return m_alignments[col];
}

void FlexGridModel::setColAlignment(int col, int alignment)
{
    checkCol(col);
    if (alignment < AlignLeftTop || alignment > AlignGeneral)
        throw RuntimeError(ErrorNumber::InvalidPropertyValue, QStringLiteral("无效的属性值"));
    setAlignment(col, alignment);
}

void FlexGridModel::setFormatString(const QString& format, const QFont& font)
{
    m_formatString = format;
    const QStringList pieces = format.split(u'|');
    setCols(pieces.size());
    const QFontMetrics metrics(font);
    for (int c = 0; c < pieces.size(); ++c) {
        QString text = pieces[c];
        int alignment = AlignGeneral;
        if (text.startsWith(u'<'))
            alignment = AlignLeftCenter;
        else if (text.startsWith(u'^'))
            alignment = AlignCenterCenter;
        else if (text.startsWith(u'>'))
            alignment = AlignRightCenter;
        if (alignment != AlignGeneral)
            text.remove(0, 1);
        setTextMatrix(0, c, text);
        setColAlignment(c, alignment);
        // The trailing blanks of a header text are there to size the column.
        setColWidth(c, static_cast<int>(pixelsToTwips(metrics.horizontalAdvance(text))) + kHeaderTextMargin);
    }
}

void FlexGridModel::setRow(int row)
{
    if (row < 0 || row >= m_rows)
        throw RuntimeError(ErrorNumber::InvalidRowValue, QStringLiteral("无效的行值"));
    m_row = m_rowSel = row;
    m_colSel = m_col;
    currentCellMoved();
}

void FlexGridModel::setCol(int col)
{
    if (col < 0 || col >= m_cols)
        throw RuntimeError(ErrorNumber::InvalidColumnValue, QStringLiteral("无效的列值"));
    m_col = m_colSel = col;
    m_rowSel = m_row;
    currentCellMoved();
}

void FlexGridModel::setRowSel(int row)
{
    if (row < 0 || row >= m_rows)
        throw RuntimeError(ErrorNumber::InvalidRowValue, QStringLiteral("无效的行值"));
    m_rowSel = row;
    currentCellMoved();
}

void FlexGridModel::setColSel(int col)
{
    if (col < 0 || col >= m_cols)
        throw RuntimeError(ErrorNumber::InvalidColumnValue, QStringLiteral("无效的列值"));
    m_colSel = col;
    currentCellMoved();
}

void FlexGridModel::takeSelection(int row, int col, int rowSel, int colSel)
{
    m_row = row;
    m_col = col;
    m_rowSel = rowSel;
    m_colSel = colSel;
}

QString FlexGridModel::clip() const
{
    const int top = std::max(1, std::min(m_row, m_rowSel)), bottom = std::max(m_row, m_rowSel);
    const int left = std::min(m_col, m_colSel), right = std::max(m_col, m_colSel);
    QString text;
    for (int r = top; r <= bottom && r < m_rows; ++r) {
        bool first = true;
        for (int c = left; c <= right && c < m_cols; ++c) {
            if (m_colWidths[c] == 0)
                continue;
            if (!first)
                text += u'\t';
            first = false;
            const QString& t = cell(r, c);
            if (t.contains(u'\t') || t.contains(u'\n') || t.contains(u'\r') || t.startsWith(u'"'))
                text += u'"' + QString(t).replace(QStringLiteral("\""), QStringLiteral("\"\"")) + u'"';
            else
                text += t;
        }
        text += u'\n';
    }
    return text;
}

void FlexGridModel::currentCellMoved()
{
    if (!m_frozen)
        emit currentCellChanged();
}

void FlexGridModel::setCell(int row, int col, const QString& text)
{
    m_cells[static_cast<size_t>(row) * m_cols + col] = text;
    if (m_frozen) {
        markDirty(row, col);
    } else if (row == 0) {
        emit headerDataChanged(Qt::Horizontal, col, col);
    } else {
        const QModelIndex i = index(row - 1, col);
        emit dataChanged(i, i);
    }
}

void FlexGridModel::appendRow(const QStringList& texts)
{
    const int row = m_rows;
    if (!m_frozen)
        beginInsertRows(QModelIndex(), row - 1, row - 1);
    resizeStorage(row + 1, m_cols);
    for (int c = 0; c < std::min<int>(texts.size(), m_cols); ++c)
        m_cells[static_cast<size_t>(row) * m_cols + c] = texts[c];
    if (m_frozen) {
        m_structureChanged = true;
    } else {
        m_shownRows = m_rows;
        endInsertRows();
    }
}

void FlexGridModel::setAlignment(int col, int alignment)
{
    if (m_alignments[col] == alignment)
        return;
    m_alignments[col] = alignment;
    if (m_frozen) {
        m_headerDirty = true;
        markDirty(1, col);
        markDirty(m_rows - 1, col);
        return;
    }
    emit headerDataChanged(Qt::Horizontal, col, col);
    if (m_rows > 1)
        emit dataChanged(index(0, col), index(m_rows - 2, col), {Qt::TextAlignmentRole});
}

void FlexGridModel::markDirty(int row, int col)
{
    if (row == 0) {
        m_headerDirty = true;
        return;
    }
    if (row < 1 || row >= m_rows)
        return;
    const int r = row - 1;
    if (m_dirtyTop < 0) {
        m_dirtyTop = m_dirtyBottom = r;
        m_dirtyLeft = m_dirtyRight = col;
        return;
    }
    m_dirtyTop = std::min(m_dirtyTop, r);
    m_dirtyBottom = std::max(m_dirtyBottom, r);
    m_dirtyLeft = std::min(m_dirtyLeft, col);
    m_dirtyRight = std::max(m_dirtyRight, col);
}

void FlexGridModel::setRedraw(bool redraw)
{
    if (redraw == this->redraw())
        return;
    m_frozen = !redraw;
    if (!redraw)
        return;
    if (m_structureChanged) {
        beginResetModel();
        m_shownRows = m_rows;
        m_shownCols = m_cols;
        endResetModel();
    } else {
        if (m_headerDirty)
            emit headerDataChanged(Qt::Horizontal, 0, m_cols - 1);
        if (m_dirtyTop >= 0)
            emit dataChanged(index(m_dirtyTop, m_dirtyLeft), index(m_dirtyBottom, m_dirtyRight));
    }
    m_structureChanged = m_headerDirty = false;
    m_dirtyTop = m_dirtyBottom = m_dirtyLeft = m_dirtyRight = -1;
    emit redrawn();
}

int FlexGridModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_shownRows - 1;
}

int FlexGridModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_shownCols;
}

Qt::Alignment FlexGridModel::qtAlignment(int col, const QString& text) const
{
    const int code = m_alignments.value(col, AlignGeneral);
    if (code < 0 || code > 8) { // general: numbers to the right, texts to the left
        bool number = false;
        text.toDouble(&number);
        return Qt::AlignVCenter | (number ? Qt::AlignRight : Qt::AlignLeft);
    }
    static const Qt::Alignment horizontal[] = {Qt::AlignLeft, Qt::AlignHCenter, Qt::AlignRight};
    static const Qt::Alignment vertical[] = {Qt::AlignTop, Qt::AlignVCenter, Qt::AlignBottom};
    return horizontal[code / 3] | vertical[code % 3];
}

QVariant FlexGridModel::data(const QModelIndex& index, int role) const
{
    // Bounds against the storage: while frozen the views may still ask for rows that are gone.
    if (!index.isValid() || index.row() + 1 >= m_rows || index.column() >= m_cols)
        return QVariant();
    const QString& text = cell(index.row() + 1, index.column());
    switch (role) {
    case Qt::DisplayRole:
        return text;
    case Qt::TextAlignmentRole:
        return static_cast<int>(qtAlignment(index.column(), text));
    case Qt::BackgroundRole:
    case Qt::ToolTipRole: {
        const auto it = m_marks.constFind(markKey(index.row() + 1, index.column()));
        if (it == m_marks.constEnd())
            return QVariant();
        if (role == Qt::BackgroundRole)
            return it->back;
        // A tooltip is shown as rich text whenever it looks like markup, and the tip holds owners'
        // names from the database: hand it over as rich text made from the plain text.
        return it->tip.isEmpty() ? QVariant() : QVariant(Qt::convertFromPlainText(it->tip, Qt::WhiteSpaceNormal));
    }
    default:
        return QVariant();
    }
}

void FlexGridModel::setCellMark(int row, int col, const QColor& back, const QString& tip)
{
    checkCell(row, col);
    m_marks.insert(markKey(row, col), {back, tip});
    if (m_frozen) {
        markDirty(row, col);
    } else if (row > 0) {
        const QModelIndex i = index(row - 1, col);
        emit dataChanged(i, i, {Qt::BackgroundRole, Qt::ToolTipRole});
    }
}

void FlexGridModel::clearMarks()
{
    if (m_marks.isEmpty())
        return;
    if (m_frozen) {
        for (auto it = m_marks.constBegin(); it != m_marks.constEnd(); ++it)
            markDirty(int(it.key() >> 16), int(it.key() & 0xFFFF));
        m_marks.clear();
        return;
    }
    m_marks.clear();
    if (m_rows > 1)
        emit dataChanged(index(0, 0), index(m_rows - 2, m_cols - 1), {Qt::BackgroundRole, Qt::ToolTipRole});
}

QColor FlexGridModel::cellBackColor(int row, int col) const
{
    return m_marks.value(markKey(row, col)).back;
}

QString FlexGridModel::cellToolTip(int row, int col) const
{
    return m_marks.value(markKey(row, col)).tip;
}

QVariant FlexGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= m_cols)
        return QAbstractTableModel::headerData(section, orientation, role);
    switch (role) {
    case Qt::DisplayRole: {
        // Trailing blanks of a header text only size its column; the title itself is centred.
        const QString& text = cell(0, section);
        qsizetype n = text.size();
        while (n > 0 && text[n - 1] == u' ')
            --n;
        return text.left(n);
    }
    case Qt::TextAlignmentRole:
        return static_cast<int>(qtAlignment(section, QString()));
    default:
        return QVariant();
    }
}

Qt::ItemFlags FlexGridModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}

void FlexGridModel::copyFrom(const FlexGridModel& other)
{
    if (&other == this)
        return;
    if (!m_frozen)
        beginResetModel();
    m_marks = other.m_marks;
    m_cells = other.m_cells;
    m_alignments = other.m_alignments;
    m_colWidths = other.m_colWidths;
    m_formatString = other.m_formatString;
    m_rows = other.m_rows;
    m_cols = other.m_cols;
    m_row = other.m_row;
    m_col = other.m_col;
    m_rowSel = other.m_rowSel;
    m_colSel = other.m_colSel;
    shownAfterTaking();
}

void FlexGridModel::takeFrom(FlexGridModel& other)
{
    if (&other == this)
        return;
    if (!m_frozen)
        beginResetModel();
    m_marks.swap(other.m_marks);
    m_cells.swap(other.m_cells);
    m_alignments.swap(other.m_alignments);
    m_colWidths.swap(other.m_colWidths);
    m_formatString.swap(other.m_formatString);
    std::swap(m_rows, other.m_rows);
    std::swap(m_cols, other.m_cols);
    std::swap(m_row, other.m_row);
    std::swap(m_col, other.m_col);
    std::swap(m_rowSel, other.m_rowSel);
    std::swap(m_colSel, other.m_colSel);
    shownAfterTaking();
}

void FlexGridModel::shownAfterTaking()
{
    if (m_frozen) {
        m_structureChanged = true;
        return;
    }
    m_shownRows = m_rows;
    m_shownCols = m_cols;
    m_structureChanged = m_headerDirty = false;
    m_dirtyTop = m_dirtyBottom = m_dirtyLeft = m_dirtyRight = -1;
    endResetModel();
    // The views apply the widths and the current cell as after a redraw.
    emit redrawn();
}
