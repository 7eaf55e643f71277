#include "widgets/FlexGrid.h"

#include "core/Twips.h"

#include <QApplication>
#include <QClipboard>
#include <QEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <algorithm>

namespace {

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
    connect(m_model, &FlexGridModel::colWidthChanged, this, [this](int col) { applyColumn(col); });
    connect(m_model, &FlexGridModel::currentCellChanged, this, [this] { showSelection(); });
    connect(m_model, &FlexGridModel::redrawn, this, [this] {
        applyAllColumns();
        showSelection();
    });
    applyAllColumns();
    showSelection();
}

FlexGrid::~FlexGrid() = default;

void FlexGrid::applyColumn(int col)
{
    if (col >= m_model->columnCount())
        return; // not shown yet: applied when the views learn of the column
    const int width = m_model->colWidth(col);
    setColumnHidden(col, width == 0);
    if (width > 0)
        horizontalHeader()->resizeSection(col, std::max(1, twipsToPixels(width)));
}

void FlexGrid::applyAllColumns()
{
    if (!m_model->redraw())
        return;
    for (int c = 0; c < m_model->cols(); ++c)
        applyColumn(c);
}

// Shows the range (Row, Col)-(RowSel, ColSel) in the view; the header row cannot be highlighted.
void FlexGrid::showSelection()
{
    if (!m_model->redraw())
        return;
    QItemSelectionModel* selection = selectionModel();
    const bool autoScrolling = hasAutoScroll();
    setAutoScroll(false); // setting Row or Col does not scroll the grid
    const int row = m_model->row(), col = m_model->col();
    const int rowSel = m_model->rowSel(), colSel = m_model->colSel();
    if (row < 1 || row >= m_model->rowCount() + 1 || col >= m_model->columnCount()) {
        selection->clear();
    } else {
        const QModelIndex current = m_model->index(row - 1, col);
        selection->setCurrentIndex(current, QItemSelectionModel::NoUpdate);
        const int top = std::max(1, std::min(row, rowSel)) - 1;
        const int bottom = std::max(row, rowSel) - 1;
        const int left = std::min(col, colSel), right = std::max(col, colSel);
        selection->select(QItemSelection(m_model->index(top, left), m_model->index(bottom, right)),
                          QItemSelectionModel::ClearAndSelect);
    }
    setAutoScroll(autoScrolling);
}

void FlexGrid::takeSelectionFromView()
{
    if (!m_model->redraw())
        return;
    const QModelIndex current = selectionModel()->currentIndex();
    if (!current.isValid())
        return;
    const int row = current.row() + 1;
    int col = current.column();
    int rowSel = row, colSel = col;
    for (const QItemSelectionRange& range : selectionModel()->selection()) {
        if (!range.contains(current))
            continue;
        rowSel = (range.top() == current.row() ? range.bottom() : range.top()) + 1;
        colSel = range.left() == col ? range.right() : range.left();
        break;
    }
    if (m_byRow) { // whole rows, from the fixed column on
        col = 0;
        colSel = m_model->cols() - 1;
    }
    if (row == m_model->row() && col == m_model->col() && rowSel == m_model->rowSel() && colSel == m_model->colSel())
        return;
    m_model->takeSelection(row, col, rowSel, colSel);
    emit selChange();
}

// The user's clicks, drags and keys: the view has moved the current cell and the selection by
// the time the base class returns; one look afterwards gives one change per action, even when a
// selChange handler moves the selection itself.
void FlexGrid::mousePressEvent(QMouseEvent* event)
{
    // A right click inside the selection is for the context menu: the selection stays whole.
    if (event->button() == Qt::RightButton && selectionModel()->isSelected(indexAt(event->position().toPoint()))) {
        event->accept();
        return;
    }
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
    if (event->matches(QKeySequence::Copy)) {
        copy();
        return;
    }
    if (m_byRow && event->matches(QKeySequence::SelectAll)) {
        // Every row, from the first: the range's corners are the grid's Row and RowSel.
        if (m_model->rows() > 1) {
            m_model->setRow(1);
            m_model->setCol(0);
            m_model->setColSel(m_model->cols() - 1);
            m_model->setRowSel(m_model->rows() - 1);
            emit selChange();
        }
        return;
    }
    QTableView::keyPressEvent(event);
    takeSelectionFromView();
}

QModelIndex FlexGrid::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers)
{
    if (m_byRow) {
        const QModelIndex current = currentIndex();
        const int last = m_model->rowCount() - 1;
        switch (action) {
        case MoveHome:
        case MoveEnd:
            if (last < 0)
                return current;
            return m_model->index(action == MoveHome ? 0 : last, current.isValid() ? current.column() : 0);
        case MoveLeft:
        case MoveRight: {
            QScrollBar* bar = horizontalScrollBar();
            bar->setValue(bar->value() + (action == MoveLeft ? -1 : 1) * bar->singleStep() * 3);
            return current;
        }
        default:
            break;
        }
    }
    return QTableView::moveCursor(action, modifiers);
}

void FlexGrid::setSelectionByRow(bool byRow)
{
    m_byRow = byRow;
    setSelectionBehavior(byRow ? QAbstractItemView::SelectRows : QAbstractItemView::SelectItems);
}

void FlexGrid::copy()
{
    if (m_model->rows() > 1 && m_model->row() >= 1)
        QGuiApplication::clipboard()->setText(m_model->clip());
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
