#pragma once

#include "core/Database.h"
#include "core/FlexGridModel.h"
#include "engine/Statements.h"

#include <QFont>
#include <QString>
#include <functional>

// The workbench grid MSFlexGrid1's columns: the builders, the commands and the export go by these.
namespace GridColumn {
enum : int {
    Index,       // 序
    Name,        // 业主姓名
    Address,     // 地址
    OfficeCode,  // 项目编号
    Area,        // 区域编号
    Building,    // 幢号
    Unit,        // 单元号
    Room,        // 室号
    Resale,      // 转卖情况
    OwnerNumber, // 业主编号
    BuildingId,  // L_ID, hidden
    RoomId,      // S_ID, hidden
    OwnerId,     // ZH_ID, hidden
};
constexpr int kCount = OwnerId + 1;
// The columns before the hidden ids: shown, and exported.
constexpr int kShownCount = BuildingId;
} // namespace GridColumn

// Its header texts and widths, one piece per column.
extern const QString kOwnerNumberGridFormat;

// The grid as the workbench's design and load leave it: the format string (header texts and
// widths in the grid's font `font`), only the header row, every column centred, the id columns
// hidden.
void SetUpOwnerNumberGrid(FlexGridModel& grid, const QFont& font);

// The office code of an office item: the text before its first blank (the whole text if none).
QString officeCodeOf(const QString& officeItem);

// Fills the grid with the new owners of the listed buildings who have no owner number yet,
// proposing one for each. `font` is the form's font, used to measure the texts for the column
// widths. Redraw is on again when it returns or throws; after a failure the grid keeps the rows
// written so far, and the caller decides whether to empty it.
// `rowsRead` hears how many rooms have been read, every 500 and once at the end of the read.
void FillCandidateGrid(Connection& conn, FlexGridModel& grid, const QString& officeItem, const QString& areaLetter,
                       const QString& buildingList, const QFont& font, const std::function<void(int)>& rowsRead = {});

// Fills the grid with the new owners of the listed buildings whose owner number is saved.
void FillExistingGrid(Connection& conn, FlexGridModel& grid, const QString& officeItem, const QString& buildingList,
                      const QFont& font, const std::function<void(int)>& rowsRead = {});
