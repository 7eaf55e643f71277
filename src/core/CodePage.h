#pragma once

#include <QString>

// Whether `text` comes back unchanged from the Windows code page `codePage` (936, 950, 1252, ...),
// as SQL Server turns a text literal without N into the database's code page: a character the code
// page lacks becomes "?" or a look-alike. Code page 0 keeps everything.
bool codePageHolds(const QString& text, int codePage);
