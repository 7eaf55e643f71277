#include "platform/FlexGrid.h"

#include "core/FlexGridModel.h"
#include "core/RuntimeError.h"
#include "core/Twips.h"

#include <QApplication>
#include <QEvent>
#include <QHeaderView>
#include <QPainter>
#include <QStyledItemDelegate>
#include <algorithm>

namespace {

// Extra width of a column sized from its header text, room for the cell's padding and lines.
constexpr int kHeaderTextMargin = 90; // twips

// Space between a cell's edge and its text, in pixels.
constexpr int kCellPadding = 2;

// Texts are drawn as the grid draws them: a narrow margin, clipped at the cell's edge rather than
// elided, so a column fitted to its widest text shows that text whole. Cells of the fixed first
// column look like header sections and are never highlighted.
class CellDelegate : public QStyledItemDelegate
{
public:
    CellDelegate(bool fixed, QObject* parent) : QStyledItemDelegate(parent), m_fixed(fixed) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QStyleOptionViewItem item = option;
        initStyleOption(&item, index);
        const QWidget* widget = item.widget;
        const QStyle* style = widget ? widget->style() : QApplication::style();
        const QString text = item.text;
        QPalette::ColorRole role = QPalette::Text;
        if (m_fixed) {
            QStyleOptionHeader header;
            header.QStyleOption::operator=(item);
            header.state = (item.state & QStyle::State_Enabled) | QStyle::State_Raised;
            header.orientation = Qt::Vertical;
            header.position = QStyleOptionHeader::Middle;
            style->drawControl(QStyle::CE_HeaderSection, &header, painter, widget);
            role = QPalette::ButtonText;
        } else {
            item.text.clear();
            style->drawControl(QStyle::CE_ItemViewItem, &item, painter, widget);
            if (item.state & QStyle::State_Selected)
                role = QPalette::HighlightedText;
        }
        const QPalette::ColorGroup group = !(item.state & QStyle::State_Enabled) ? QPalette::Disabled
                                           : (item.state & QStyle::State_Active) ? QPalette::Active
                                                                                 : QPalette::Inactive;
        painter->save();
        painter->setClipRect(item.rect);
        painter->setFont(item.font);
        painter->setPen(item.palette.color(group, role));
        painter->drawText(item.rect.adjusted(kCellPadding, 0, -kCellPadding, 0),
                          static_cast<int>(item.displayAlignment) | Qt::TextSingleLine, text);
        painter->restore();
    }

private:
    bool m_fixed;
};

} // namespace

FlexGrid::FlexGrid(QWidget* parent) : QTableView(parent), m_model(new FlexGridModel(this))
{
    setModel(m_model);
    setItemDelegate(new CellDelegate(false, this));
    setItemDelegateForColumn(0, new CellDelegate(true, this));
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::ContiguousSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setWordWrap(false);
    setCornerButtonEnabled(false);
    // Tab leaves the grid for the next control, as the grid's default tab behaviour has it; the
    // arrow keys move between cells.
    setTabKeyNavigation(false);

    QHeaderView* top = horizontalHeader();
    top->setMinimumSectionSize(1);
    top->setSectionResizeMode(QHeaderView::Fixed);
    top->setSectionsClickable(false);
    top->setHighlightSections(false);
    top->setStretchLastSection(false);

    // Uniform row heights: no row is ever measured, whatever the number of rows.
    QHeaderView* side = verticalHeader();
    side->setMinimumSectionSize(1);
    side->setSectionResizeMode(QHeaderView::Fixed);
    side->hide();
    fitRowHeight();

    // A reset (after redraw comes back on) gives the header default section sizes again.
    connect(m_model, &QAbstractItemModel::modelReset, this, [this] { applyAllColumns(); });
    connect(m_model, &QAbstractItemModel::columnsInserted, this, [this] { applyAllColumns(); });

    // The grid's own defaults: two rows and two columns, the current cell the first non-fixed one.
    setCols(2);
    setRows(2);
    m_row = m_rowSel = 1;
    m_col = m_colSel = 1;
    showSelection();
}

FlexGrid::~FlexGrid() = default;

void FlexGrid::checkRow(int row) const
{
    if (row < 0 || row >= rows())
        throw RuntimeError(30009, QStringLiteral("无效的行值"));
}

void FlexGrid::checkCol(int col) const
{
    if (col < 0 || col >= cols())
        throw RuntimeError(30010, QStringLiteral("无效的列值"));
}

int FlexGrid::rows() const
{
    return m_model->rows();
}

void FlexGrid::setRows(int rows)
{
    m_model->setRows(rows);
    const int last = m_model->rows() - 1;
    m_row = std::min(m_row, last);
    m_rowSel = std::min(m_rowSel, last);
    showSelection();
}

int FlexGrid::cols() const
{
    return m_model->cols();
}

void FlexGrid::setCols(int cols)
{
    const int old = m_colWidths.size();
    m_model->setCols(cols);
    m_colWidths.resize(m_model->cols());
    for (int c = old; c < m_colWidths.size(); ++c)
        m_colWidths[c] = kDefaultColWidth;
    const int last = m_model->cols() - 1;
    m_col = std::min(m_col, last);
    m_colSel = std::min(m_colSel, last);
    applyAllColumns();
    showSelection();
}

QString FlexGrid::textMatrix(int row, int col) const
{
    if (row < 0 || row >= rows() || col < 0 || col >= cols())
        throw RuntimeError(381, QStringLiteral("下标越界"));
    return m_model->cell(row, col);
}

void FlexGrid::setTextMatrix(int row, int col, const QString& text)
{
    if (row < 0 || row >= rows() || col < 0 || col >= cols())
        throw RuntimeError(381, QStringLiteral("下标越界"));
    m_model->setCell(row, col, text);
}

void FlexGrid::addItem(const QString& item)
{
    m_model->appendRow(item.isEmpty() ? QStringList() : item.split(u'\t'));
}

int FlexGrid::colWidth(int col) const
{
    if (col < 0 || col >= cols())
        throw RuntimeError(381, QStringLiteral("下标越界"));
    return m_colWidths[col];
}

void FlexGrid::setColWidth(int col, int twips)
{
    if (col < 0 || col >= cols())
        throw RuntimeError(381, QStringLiteral("下标越界"));
    m_colWidths[col] = std::max(0, twips);
    if (m_redraw)
        applyColumn(col);
}

int FlexGrid::colAlignment(int col) const
{
    if (col < 0 || col >= cols())
        throw RuntimeError(381, QStringLiteral("下标越界"));
    return m_model->alignment(col);
}

void FlexGrid::setColAlignment(int col, int alignment)
{
    if (col < 0 || col >= cols())
        throw RuntimeError(381, QStringLiteral("下标越界"));
    if (alignment < AlignLeftTop || alignment > AlignGeneral)
        throw RuntimeError(380, QStringLiteral("无效的属性值"));
    m_model->setAlignment(col, alignment);
}

void FlexGrid::setFormatString(const QString& format)
{
    m_formatString = format;
    const QStringList pieces = format.split(u'|');
    setCols(pieces.size());
    const QFontMetrics metrics(font());
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

void FlexGrid::setRedraw(bool redraw)
{
    if (redraw == m_redraw)
        return;
    m_redraw = redraw;
    m_model->setFrozen(!redraw);
    if (redraw) {
        applyAllColumns();
        showSelection();
    }
}

void FlexGrid::setRow(int row)
{
    checkRow(row);
    m_row = m_rowSel = row;
    m_colSel = m_col;
    showSelection();
}

void FlexGrid::setCol(int col)
{
    checkCol(col);
    m_col = m_colSel = col;
    m_rowSel = m_row;
    showSelection();
}

void FlexGrid::setRowSel(int row)
{
    checkRow(row);
    m_rowSel = row;
    showSelection();
}

void FlexGrid::setColSel(int col)
{
    checkCol(col);
    m_colSel = col;
    showSelection();
}

void FlexGrid::applyColumn(int col)
{
    if (col >= m_model->columnCount())
        return; // not shown yet: applied when the views learn of the column
    const int width = m_colWidths.value(col);
    setColumnHidden(col, width == 0);
    if (width > 0)
        horizontalHeader()->resizeSection(col, std::max(1, twipsToPixels(width)));
}

void FlexGrid::applyAllColumns()
{
    if (!m_redraw)
        return;
    for (int c = 0; c < m_colWidths.size(); ++c)
        applyColumn(c);
}

// Shows the range (Row, Col)-(RowSel, ColSel) in the view; the header row cannot be highlighted.
void FlexGrid::showSelection()
{
    if (!m_redraw)
        return;
    QItemSelectionModel* selection = selectionModel();
    const bool autoScrolling = hasAutoScroll();
    setAutoScroll(false); // setting Row or Col does not scroll the grid
    if (m_row < 1 || m_row >= m_model->rowCount() + 1 || m_col >= m_model->columnCount()) {
        selection->clear();
    } else {
        const QModelIndex current = m_model->index(m_row - 1, m_col);
        selection->setCurrentIndex(current, QItemSelectionModel::NoUpdate);
        const int top = std::max(1, std::min(m_row, m_rowSel)) - 1;
        const int bottom = std::max(m_row, m_rowSel) - 1;
        const int left = std::min(m_col, m_colSel), right = std::max(m_col, m_colSel);
        selection->select(QItemSelection(m_model->index(top, left), m_model->index(bottom, right)),
                          QItemSelectionModel::ClearAndSelect);
    }
    setAutoScroll(autoScrolling);
}

void FlexGrid::takeSelectionFromView()
{
    if (!m_redraw)
        return;
    const QModelIndex current = selectionModel()->currentIndex();
    if (!current.isValid())
        return;
    const int row = current.row() + 1, col = current.column();
    int rowSel = row, colSel = col;
    for (const QItemSelectionRange& range : selectionModel()->selection()) {
        if (!range.contains(current))
            continue;
        rowSel = (range.top() == current.row() ? range.bottom() : range.top()) + 1;
        colSel = range.left() == col ? range.right() : range.left();
        break;
    }
    if (row == m_row && col == m_col && rowSel == m_rowSel && colSel == m_colSel)
        return;
    m_row = row;
    m_col = col;
    m_rowSel = rowSel;
    m_colSel = colSel;
    emit selChange();
}

// The user's clicks, drags and keys: the view has moved the current cell and the selection by
// the time the base class returns; one look afterwards gives one change per action, even when a
// selChange handler moves the selection itself.
void FlexGrid::mousePressEvent(QMouseEvent* event)
{
    QTableView::mousePressEvent(event);
    takeSelectionFromView();
}

void FlexGrid::mouseMoveEvent(QMouseEvent* event)
{
    QTableView::mouseMoveEvent(event);
    takeSelectionFromView();
}

void FlexGrid::mouseReleaseEvent(QMouseEvent* event)
{
    QTableView::mouseReleaseEvent(event);
    takeSelectionFromView();
}

void FlexGrid::keyPressEvent(QKeyEvent* event)
{
    QTableView::keyPressEvent(event);
    takeSelectionFromView();
}

void FlexGrid::fitRowHeight()
{
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
}

void FlexGrid::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::FontChange)
        fitRowHeight();
    QTableView::changeEvent(event);
}
