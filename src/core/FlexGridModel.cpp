#include "core/FlexGridModel.h"

#include <algorithm>

FlexGridModel::FlexGridModel(QObject* parent) : QAbstractTableModel(parent)
{
    m_cells.resize(1);
    m_alignments.resize(1, kGeneral);
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
        m_alignments.resize(cols, kGeneral);
    }
    m_rows = rows;
    m_cols = cols;
}

void FlexGridModel::setRows(int rows)
{
    rows = std::max(1, rows);
    if (rows == m_rows)
        return;
    if (m_frozen) {
        resizeStorage(rows, m_cols);
        m_structureChanged = true;
        return;
    }
    if (rows < m_rows)
        beginRemoveRows(QModelIndex(), rows - 1, m_rows - 2);
    else
        beginInsertRows(QModelIndex(), m_rows - 1, rows - 2);
    const bool removing = rows < m_rows;
    resizeStorage(rows, m_cols);
    m_shownRows = rows;
    removing ? endRemoveRows() : endInsertRows();
}

void FlexGridModel::setCols(int cols)
{
    cols = std::max(1, cols);
    if (cols == m_cols)
        return;
    if (m_frozen) {
        resizeStorage(m_rows, cols);
        m_structureChanged = true;
        return;
    }
    const bool removing = cols < m_cols;
    if (removing)
        beginRemoveColumns(QModelIndex(), cols, m_cols - 1);
    else
        beginInsertColumns(QModelIndex(), m_cols, cols - 1);
    resizeStorage(m_rows, cols);
    m_shownCols = cols;
    removing ? endRemoveColumns() : endInsertColumns();
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

void FlexGridModel::setFrozen(bool frozen)
{
    if (frozen == m_frozen)
        return;
    m_frozen = frozen;
    if (frozen)
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
    const int code = alignment(col);
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
    default:
        return QVariant();
    }
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
