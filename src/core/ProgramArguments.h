#pragma once

#include <QStringList>

// The process's arguments as it was given them, program name first, read before QApplication
// exists (which takes its own options out of what it is handed): on Windows from the wide command
// line, since the narrow argv loses what the code page cannot hold.
QStringList programArguments(int argc, char** argv);
