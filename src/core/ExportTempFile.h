#pragma once

#include <QByteArray>
#include <QString>

// The system calls around an export's temporary file, which is written beside the target and then
// renamed over it. They differ between platforms; failures come back as errno values.
//
// Where the platform has advisory locks, the file stays locked while an export owns it, so a file
// of ours that nobody holds is what an export killed midway left behind. On Windows the library
// opens the file for itself without sharing while it writes, which guards it in the same way.

// Removes the leftovers in `dir` that `isOurs` recognizes by name and that no export holds.
void removeStaleTempFiles(const QString& dir, bool (*isOurs)(const QString& name));

// Creates `path`, which must not exist yet (EEXIST when it does, or when another export's
// clean-up took it meanwhile). `lock` receives what holds the file, -1 where nothing needs to.
int createTempFile(const QString& path, int& lock);
void releaseTempFile(int& lock);

// Renames `from` over `to`, replacing a file that is there.
int replaceFile(const QString& from, const QString& to);

// A path as libxlsxwriter wants it on this platform.
QByteArray workbookFileName(const QString& path);
