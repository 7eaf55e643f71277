#pragma once

#include "core/FlexGridModel.h"

#include <QTableView>

// Our stand-in for the MSFlexGrid grid: a view of a FlexGridModel, which holds everything the grid
// knows. One fixed header row (grid row 0, shown as the table's header) and a fixed first column
// (painted like a header), texts only, column widths in twips. The grid's vocabulary is offered
// here too, passed on to the model.
class FlexGrid : public QTableView
{
    Q_OBJECT
public:
    explicit FlexGrid(QWidget* parent = nullptr);
    ~FlexGrid() override;

    FlexGridModel& gridModel() { return *m_model; }
    const FlexGridModel& gridModel() const { return *m_model; }

    int rows() const { return m_model->rows(); }
    void setRows(int rows) { m_model->setRows(rows); }
    int cols() const { return m_model->cols(); }
    void setCols(int cols) { m_model->setCols(cols); }

    QString textMatrix(int row, int col) const { return m_model->textMatrix(row, col); }
    void setTextMatrix(int row, int col, const QString& text) { m_model->setTextMatrix(row, col, text); }
    void addItem(const QString& item = QString()) { m_model->addItem(item); }

    int colWidth(int col) const { return m_model->colWidth(col); }
    void setColWidth(int col, int twips) { m_model->setColWidth(col, twips); }
    int colAlignment(int col) const { return m_model->colAlignment(col); }
    void setColAlignment(int col, int alignment) { m_model->setColAlignment(col, alignment); }

    // Header widths measured in the grid's font.
    void setFormatString(const QString& format) { m_model->setFormatString(format, font()); }
    QString formatString() const { return m_model->formatString(); }

    bool redraw() const { return m_model->redraw(); }
    void setRedraw(bool redraw) { m_model->setRedraw(redraw); }

    int row() const { return m_model->row(); }
    void setRow(int row) { m_model->setRow(row); }
    int col() const { return m_model->col(); }
    void setCol(int col) { m_model->setCol(col); }
    int rowSel() const { return m_model->rowSel(); }
    void setRowSel(int row) { m_model->setRowSel(row); }
    int colSel() const { return m_model->colSel(); }
    void setColSel(int col) { m_model->setColSel(col); }

    // The grid's SelectionMode "by row": a click, a drag, the keys (arrows, Page Up/Down, Home/End,
    // with Shift extending) and Ctrl+A select whole rows; Left and Right scroll sideways.
    void setSelectionByRow(bool byRow);
    bool selectionByRow() const { return m_byRow; }

    // The selected range's visible texts to the clipboard (Ctrl+C).
    void copy();

signals:
    // The user moved the current cell or changed the selection (not emitted for changes in code).
    void selChange();

protected:
    void changeEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;

private:
    void applyColumn(int col);
    void applyAllColumns();
    void showSelection();
    void takeSelectionFromView();
    void fitRowHeight();

    FlexGridModel* m_model;
    bool m_byRow = false;
};
