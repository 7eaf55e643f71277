#pragma once

#include <QList>
#include <QTableView>

class FlexGridModel;

// Our stand-in for the MSFlexGrid grid: one fixed header row (grid row 0, shown as the table's
// header) and a fixed first column (painted like a header), texts only, column widths in twips.
// Rows and columns are numbered as the grid numbers them: row 0 is the header row.
//
// With redraw off, changes are only stored: nothing is painted or announced cell by cell, and
// switching redraw back on publishes them at once, so filling 100,000 rows stays fast.
class FlexGrid : public QTableView
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
        AlignGeneral = 9,
    };
    static constexpr int kDefaultColWidth = 960; // twips

    explicit FlexGrid(QWidget* parent = nullptr);
    ~FlexGrid() override;

    int rows() const;
    void setRows(int rows); // 1 keeps only the header row
    int cols() const;
    void setCols(int cols);
    int fixedRows() const { return 1; }
    int fixedCols() const { return 1; }

    QString textMatrix(int row, int col) const;
    void setTextMatrix(int row, int col, const QString& text);
    // Adds a row at the bottom; `item` gives its cells from column 0, separated by tabs.
    void addItem(const QString& item = QString());

    int colWidth(int col) const;          // twips
    void setColWidth(int col, int twips); // 0 hides the column
    int colAlignment(int col) const;
    void setColAlignment(int col, int alignment); // header and data cells of the column

    // "^" centre, "<" left, ">" right, "|" between columns: sets the number of columns, the header
    // texts (trailing blanks included) and each column's width from its header text's width.
    void setFormatString(const QString& format);
    QString formatString() const { return m_formatString; }

    bool redraw() const { return m_redraw; }
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

signals:
    // The user moved the current cell or changed the selection (not emitted for changes in code).
    void selChange();

protected:
    void changeEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void checkRow(int row) const;
    void checkCol(int col) const;
    void applyColumn(int col);
    void applyAllColumns();
    void showSelection();
    void takeSelectionFromView();
    void fitRowHeight();

    FlexGridModel* m_model;
    QList<int> m_colWidths;
    QString m_formatString;
    bool m_redraw = true;
    int m_row = 0, m_col = 0, m_rowSel = 0, m_colSel = 0;
};

// Redraw is off while it lives and on again however the work ends.
class GridRedrawOff
{
public:
    explicit GridRedrawOff(FlexGrid& grid) : m_grid(grid) { m_grid.setRedraw(false); }
    ~GridRedrawOff() { m_grid.setRedraw(true); }
    GridRedrawOff(const GridRedrawOff&) = delete;
    GridRedrawOff& operator=(const GridRedrawOff&) = delete;

private:
    FlexGrid& m_grid;
};
