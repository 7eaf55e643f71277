#pragma once

#include <QList>
#include <QString>

// Reads a finished .xlsx package back before it takes the place of anything: every part that its
// [Content_Types].xml names is in the zip, each entry inflates to its stated size and checksum,
// each XML part ends with the closing tag of its root, and sheet k has `sheetRows[k]` rows.
// The library writing the package does not notice failed writes to its temporary files (a full
// disk or temporary folder), so this is how a workbook is known to be whole. Throws RuntimeError
// naming `shownPath` and what is missing.
void verifyWorkbookPackage(const QString& file, const QList<int>& sheetRows, const QString& shownPath);
