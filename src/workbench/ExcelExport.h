#pragma once

#include <QColor>
#include <QDate>
#include <QList>
#include <QString>
#include <functional>

class FlexGridModel;

// The file the export writes for the name chosen in the dialog: the file name's extension (never
// a dot inside a folder name, nor the dot that starts a hidden file's name) replaced by ".xlsx",
// the spreadsheet's own default; a name without one gets ".xlsx" added.
QString excelExportFileName(const QString& chosen);

// The office name in an office item ("14 澄岭花园"): the text after its first blank; an item
// without a blank is taken whole.
QString officeNameOf(const QString& officeItem);

// The name the save dialog suggests: the office name and "_业主编号", with every path separator
// and control character of the name (it comes from the database) made '_', so that it names no
// other folder.
QString suggestedExportName(const QString& officeItem);

// The folder the save dialog opens in: the one the last export of this run went to, else the
// user's documents folder (the home folder when there is none).
QString exportStartFolder();
void rememberExportFolder(const QString& writtenFile);
void forgetExportFolder(); // as at the start of a run

// A line under the sheet's table: what the cells of a colour mean.
struct SheetLegend
{
    QColor colour;
    QString text;
};

// Writes the grid's visible columns (all but the last three) as the owner-number sheet of a new
// workbook at `path`, dated `date`, set up to print (landscape, every column on the page's width,
// title and header on every page) with the header frozen and filtered, and `legend` under the
// table. `progress` gets each data row's grid row number as it is written. Throws RuntimeError;
// nothing is left under `path` after a failure. Gives the grid rows with a text longer than a cell
// holds, which the sheet has cut to the most it holds.
QList<int> WriteOwnerNumberWorkbook(const QString& path, FlexGridModel& grid, const QString& officeItem,
                                    const QDate& date, const std::function<void(int)>& progress = {},
                                    const QList<SheetLegend>& legend = {});

// The lines the done message adds after its own text when rows were cut; empty otherwise.
QString exportCutRowsText(const QList<int>& cutRows);
