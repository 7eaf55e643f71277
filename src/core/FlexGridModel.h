#pragma once

#include <QAbstractTableModel>
#include <QColor>
#include <QHash>
#include <QList>
#include <QString>
#include <vector>

class QFont;

// The grid's state in the grid's own vocabulary, without a widget: texts (grid row 0 is the header
// row, shown as the horizontal header; grid rows 1.. are the model's rows 0..), column widths in
// twips, alignments, the current cell and the selected range, redraw. Rows and columns are
// numbered as the grid numbers them. Texts only, one flat array; no item object per cell.
// FlexGrid shows it; the grid builders and the export need nothing else.
//
// With redraw off, changes are stored without any signal and the views keep seeing the row and
// column counts of the moment redraw went off; turning redraw on publishes everything at once, as
// one reset when rows or columns changed, else as one dataChanged.
class FlexGridModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    // The grid's alignment codes.
    enum Alignment {
        AlignLeftTop = 0,
        AlignLeftCenter = 1,
        AlignLeftBottom = 2,
        AlignCenterTop = 3,
        AlignCenterCenter = 4,
        AlignCenterBottom = 5,
        AlignRightTop = 6,
        AlignRightCenter = 7,
        AlignRightBottom = 8,
        AlignGeneral = 9, // numbers right, texts left
    };
    static constexpr int kDefaultColWidth = 960; // twips

    // Two rows and two columns, the current cell the first non-fixed one: the grid's defaults.
    explicit FlexGridModel(QObject* parent = nullptr);

    int rows() const { return m_rows; }
    void setRows(int rows); // 1 keeps only the header row
    int cols() const { return m_cols; }
    void setCols(int cols); // texts of the remaining cells are kept

    QString textMatrix(int row, int col) const;
    void setTextMatrix(int row, int col, const QString& text);
    // Adds a row at the bottom; `item` gives its cells from column 0, separated by tabs.
    void addItem(const QString& item = QString());

    int colWidth(int col) const;          // twips
    void setColWidth(int col, int twips); // 0 hides the column
    int colAlignment(int col) const;
    void setColAlignment(int col, int alignment); // header and data cells of the column

    // "^" centre, "<" left, ">" right, "|" between columns: sets the number of columns, the header
    // texts (trailing blanks included) and each column's width from its header text's width in
    // `font`.
    void setFormatString(const QString& format, const QFont& font);
    QString formatString() const { return m_formatString; }

    // A cell marked for the eye: a back colour and a tip saying why. Marks belong to their rows:
    // rows that go (a new fill starts from the header row) take their marks with them.
    void setCellMark(int row, int col, const QColor& back, const QString& tip);
    QColor cellBackColor(int row, int col) const; // invalid when the cell has no mark
    QString cellToolTip(int row, int col) const;
    int markCount() const { return m_marks.size(); }
    void clearMarks();

    bool redraw() const { return !m_frozen; }
    void setRedraw(bool redraw);

    // The current cell and the other corner of the selected range. Setting Row or Col makes the
    // current cell the whole selection again; RowSel and ColSel then extend it.
    int row() const { return m_row; }
    void setRow(int row);
    int col() const { return m_col; }
    void setCol(int col);
    int rowSel() const { return m_rowSel; }
    void setRowSel(int row);
    int colSel() const { return m_colSel; }
    void setColSel(int col);
    // The range a view's user chose, which that view already shows: no currentCellChanged.
    void takeSelection(int row, int col, int rowSel, int colSel);
    // The selected range's texts as a spreadsheet takes them from the clipboard: the cells of a row
    // separated by tabs, a line per row; hidden columns (width 0) left out, and a cell holding a
    // tab, a line break or a leading '"' quoted, its quotes doubled.
    QString clip() const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // Another grid's contents and layout (cells, marks, widths, alignments, current cell): a copy,
    // or taken over, shown to the views as one change. A fill runs off the window's thread on a
    // grid no view shows, made as a copy of the one shown and taken over when it is done.
    void copyFrom(const FlexGridModel& other);
    void takeFrom(FlexGridModel& other);

signals:
    // What a view shows besides the cells; emitted only while redraw is on.
    void colWidthChanged(int col);
    void currentCellChanged();
    // Redraw is on again: widths and the current cell stored meanwhile are to be shown.
    void redrawn();

private:
    void shownAfterTaking();
    const QString& cell(int row, int col) const { return m_cells[static_cast<size_t>(row) * m_cols + col]; }
    void checkCell(int row, int col) const;
    void checkCol(int col) const;
    void setCell(int row, int col, const QString& text);
    void appendRow(const QStringList& texts);
    void setAlignment(int col, int alignment);
    Qt::Alignment qtAlignment(int col, const QString& text) const;
    void resizeStorage(int rows, int cols);
    void markDirty(int row, int col);
    void currentCellMoved();

    struct Mark
    {
        QColor back;
        QString tip;
    };
    static qint64 markKey(int row, int col) { return (qint64(row) << 16) | col; }
    QHash<qint64, Mark> m_marks;
    std::vector<QString> m_cells;
    QList<int> m_alignments;
    QList<int> m_colWidths;
    QString m_formatString;
    int m_rows = 2;
    int m_cols = 2;
    int m_row = 1, m_col = 1, m_rowSel = 1, m_colSel = 1;

    bool m_frozen = false;
    // What the views were last told.
    int m_shownRows = 2;
    int m_shownCols = 2;
    // Changes made while frozen.
    bool m_structureChanged = false;
    bool m_headerDirty = false;
    int m_dirtyTop = -1, m_dirtyBottom = -1, m_dirtyLeft = -1, m_dirtyRight = -1;
};

// Redraw is off while it lives and on again however the work ends.
class GridRedrawOff
{
public:
    // Nested inside another, it leaves redrawing off when it ends.
    explicit GridRedrawOff(FlexGridModel& grid) : m_grid(grid), m_was(grid.redraw()) { m_grid.setRedraw(false); }
    ~GridRedrawOff() { m_grid.setRedraw(m_was); }
    GridRedrawOff(const GridRedrawOff&) = delete;
    GridRedrawOff& operator=(const GridRedrawOff&) = delete;

private:
    FlexGridModel& m_grid;
    bool m_was;
};
