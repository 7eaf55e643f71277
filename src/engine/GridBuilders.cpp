#include "engine/GridBuilders.h"

#include "core/Twips.h"
#include "engine/OwnerNumberRule.h"
#include "engine/TextWidths.h"

#include <QStringList>
#include <optional>

const QString kOwnerNumberGridFormat = QStringLiteral(
    "^序  |<业主姓名                    |<地址                                                    |<项目编号 "
    "|<区域编号 |<幢号  |<单元号 |<室号    |<转卖情况 |<业主编号                |||");

namespace {

enum class GridKind { Candidate, Existing };

// A column grows to its widest text plus this margin, in twips.
constexpr int kCellTextMargin = 90;

// Widens the visible columns of a row to their texts (twips), never narrowing, never showing a
// hidden column.
class ColumnFitter
{
public:
    explicit ColumnFitter(const QFont& font) : m_widths(font) {}

    void fitRow(FlexGridModel& grid, int row)
    {
        if (m_previous.size() < grid.cols())
            m_previous.resize(grid.cols());
        for (int c = 0; c < GridColumn::kShownCount; ++c) {
            const int current = grid.colWidth(c);
            if (current == 0)
                continue;
            // Many columns repeat the row above (office, area, unit): already fitted.
            const QString text = grid.textMatrix(row, c);
            if (row > 1 && text == m_previous[c])
                continue;
            m_previous[c] = text;
            const int width = static_cast<int>(pixelsToTwips(m_widths.width(text, c))) + kCellTextMargin;
            if (width > current)
                grid.setColWidth(c, width);
        }
    }

private:
    TextWidthCache m_widths;
    QList<QString> m_previous;
};

// A field derived from a column, kept while the rows repeat the column's value.
class LastDerivation
{
public:
    explicit LastDerivation(QString (*rule)(const QVariant&)) : m_derive(rule) {}

    const QString& derive(const QVariant& value)
    {
        const bool same =
            m_valid && value.isNull() == m_input.isNull() && (value.isNull() || value.toString() == m_input.toString());
        if (!same) {
            m_input = value;
            m_output = m_derive(value);
            m_valid = true;
        }
        return m_output;
    }

private:
    QString (*m_derive)(const QVariant&);
    QVariant m_input;
    QString m_output;
    bool m_valid = false;
};

void fillGrid(Connection& conn, FlexGridModel& grid, GridKind kind, const QString& officeItem,
              const QString& areaLetter, const QString& buildingList, const QFont& font,
              const std::function<void(int)>& rowsRead)
{
    const QString officeCode = officeCodeOf(officeItem);
    const QString sql = kind == GridKind::Existing ? existingGridSql(conn.dialect(), officeCode, buildingList)
                                                   : candidateGridSql(conn.dialect(), officeCode, buildingList);
    ColumnFitter fitter(font);
    // The rooms and every room's moved-out owners in one request.
    std::optional<Recordset> rs(conn.openRecordsets({sql, resaleCountsSql(buildingList)}));
    grid.setRows(1);
    GridRedrawOff redrawOff(grid);

    // Rooms come building by building: each building's fields are derived once.
    LastDerivation buildingOf(buildingNumber), unitOf(unitNumber);

    // The rows first: a server without multiple active result sets cannot count while the grid's
    // own query still has rows to deliver.
    // Each name is looked up once; the loop reads by position.
    const int fBuilding = rs->fieldIndex(QStringLiteral("L_ID"));
    const int fRoomId = rs->fieldIndex(QStringLiteral("S_ID"));
    const int fOwnerId = rs->fieldIndex(QStringLiteral("ZH_ID"));
    const int fStored = kind == GridKind::Existing ? rs->fieldIndex(QStringLiteral("业主编号")) : -1;
    const int fAddress = rs->fieldIndex(QStringLiteral("地址"));
    const int fAddress2 = rs->fieldIndex(QStringLiteral("地址2"));
    const int fAddress3 = rs->fieldIndex(QStringLiteral("地址3"));
    const int fName = rs->fieldIndex(QStringLiteral("姓名"));
    const int fWord = rs->fieldIndex(QStringLiteral("字"));
    const int fRoom = rs->fieldIndex(QStringLiteral("室"));
    while (!rs->eof()) {
        grid.addItem();
        const int row = grid.rows() - 1;
        grid.setRow(row);
        const QVariant word = rs->field(fWord);
        const QString building = buildingOf.derive(rs->field(fAddress2));
        grid.setTextMatrix(row, GridColumn::Index, QString::number(row));
        grid.setTextMatrix(row, GridColumn::Name, nullToEmpty(rs->field(fName)));
        grid.setTextMatrix(row, GridColumn::Address,
                           nullToEmpty(rs->field(fAddress)) + nullToEmpty(rs->field(fRoom)) +
                               (word.isNull() ? QStringLiteral("室") : word.toString()));
        grid.setTextMatrix(row, GridColumn::OfficeCode, officeCode);
        if (kind == GridKind::Existing) {
            const QString stored = nullToEmpty(rs->field(fStored));
            grid.setTextMatrix(row, GridColumn::Area, stored.mid(2, 1));
            grid.setTextMatrix(row, GridColumn::OwnerNumber, building == kNoBuildingNumber ? QString() : stored);
        } else {
            grid.setTextMatrix(row, GridColumn::Area, areaLetter);
        }
        grid.setTextMatrix(row, GridColumn::Building, building);
        grid.setTextMatrix(row, GridColumn::Unit, unitOf.derive(rs->field(fAddress3)));
        grid.setTextMatrix(row, GridColumn::Room, roomNumber(rs->field(fRoom)));
        grid.setTextMatrix(row, GridColumn::BuildingId, nullToEmpty(rs->field(fBuilding)));
        grid.setTextMatrix(row, GridColumn::RoomId, nullToEmpty(rs->field(fRoomId)));
        grid.setTextMatrix(row, GridColumn::OwnerId, nullToEmpty(rs->field(fOwnerId)));
        rs->moveNext();
        if (rowsRead && row % 500 == 0)
            rowsRead(row);
    }
    if (rowsRead)
        rowsRead(grid.rows() - 1);

    // Every room's moved-out owners in one statement, rather than one request per row.
    if (!rs->nextRecordset())
        throw RuntimeError(ErrorNumber::GenericFailure, QStringLiteral("数据库没有返回转卖次数。"));
    const ResaleCounts counts(*rs);
    rs.reset();
    for (int row = 1; row < grid.rows(); ++row) {
        grid.setTextMatrix(row, GridColumn::Resale, counts.letter(grid.textMatrix(row, GridColumn::RoomId)));
        if (kind == GridKind::Candidate)
            grid.setTextMatrix(
                row, GridColumn::OwnerNumber,
                composeOwnerNumber(grid.textMatrix(row, GridColumn::OfficeCode), grid.textMatrix(row, GridColumn::Area),
                                   grid.textMatrix(row, GridColumn::Building), grid.textMatrix(row, GridColumn::Unit),
                                   grid.textMatrix(row, GridColumn::Room), grid.textMatrix(row, GridColumn::Resale)));
        fitter.fitRow(grid, row);
    }
}

} // namespace

void SetUpOwnerNumberGrid(FlexGridModel& grid, const QFont& font)
{
    grid.setFormatString(kOwnerNumberGridFormat, font);
    grid.setRows(1);
    GridRedrawOff redrawOff(grid);
    for (int c = 0; c < grid.cols(); ++c)
        grid.setColAlignment(c, FlexGridModel::AlignCenterCenter);
    for (int c = GridColumn::kShownCount; c < grid.cols(); ++c)
        grid.setColWidth(c, 0);
}

QString officeCodeOf(const QString& officeItem)
{
    const int blank = officeItem.indexOf(u' ');
    return blank < 0 ? officeItem : officeItem.left(blank);
}

void FillCandidateGrid(Connection& conn, FlexGridModel& grid, const QString& officeItem, const QString& areaLetter,
                       const QString& buildingList, const QFont& font, const std::function<void(int)>& rowsRead)
{
    fillGrid(conn, grid, GridKind::Candidate, officeItem, areaLetter, buildingList, font, rowsRead);
}

void FillExistingGrid(Connection& conn, FlexGridModel& grid, const QString& officeItem, const QString& buildingList,
                      const QFont& font, const std::function<void(int)>& rowsRead)
{
    fillGrid(conn, grid, GridKind::Existing, officeItem, QString(), buildingList, font, rowsRead);
}
