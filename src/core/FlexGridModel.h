#pragma once

#include <QAbstractTableModel>
#include <QList>
#include <QString>
#include <vector>

// The cells of a FlexGrid: grid row 0 is the header (shown as the horizontal header), grid rows
// 1.. are the model's rows 0... Texts only, one flat array; no item object per cell.
//
// While frozen (the grid's redraw off), changes are stored without any signal and the views keep
// seeing the row and column counts of the moment of freezing; thawing publishes everything at
// once, as one reset when rows or columns changed, else as one dataChanged.
class FlexGridModel : public QAbstractTableModel
{
public:
    explicit FlexGridModel(QObject* parent = nullptr);

    int rows() const { return m_rows; }
    int cols() const { return m_cols; }
    void setRows(int rows); // at least 1: the header row stays
    void setCols(int cols); // at least 1; texts of the remaining cells are kept

    const QString& cell(int row, int col) const { return m_cells[static_cast<size_t>(row) * m_cols + col]; }
    void setCell(int row, int col, const QString& text);
    void appendRow(const QStringList& texts); // texts from column 0; missing ones empty

    // The grid's alignment codes (0 left-top … 4 centre-centre … 8 right-bottom, 9 general:
    // numbers right, texts left), for the header and the data cells of a column.
    void setAlignment(int col, int alignment);
    int alignment(int col) const { return m_alignments.value(col, kGeneral); }
    static constexpr int kGeneral = 9;

    void setFrozen(bool frozen);
    bool frozen() const { return m_frozen; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    Qt::Alignment qtAlignment(int col, const QString& text) const;
    void resizeStorage(int rows, int cols);
    void markDirty(int row, int col);

    std::vector<QString> m_cells;
    QList<int> m_alignments;
    int m_rows = 1;
    int m_cols = 1;

    bool m_frozen = false;
    // What the views were last told.
    int m_shownRows = 1;
    int m_shownCols = 1;
    // Changes made while frozen.
    bool m_structureChanged = false;
    bool m_headerDirty = false;
    int m_dirtyTop = -1, m_dirtyBottom = -1, m_dirtyLeft = -1, m_dirtyRight = -1;
};
