#pragma once

#include <QString>
#include <functional>

// Finding and starting another program, behind a seam so that tests start nothing.
namespace ExternalProgram {

// The full path of a program found on PATH, or the empty text.
QString findOnPath(const QString& name);

// Starts a program as a separate process in its own window, without waiting for it.
// False when it could not be started.
bool startDetached(const QString& program);

} // namespace ExternalProgram

namespace ExternalProgramSeam {
void setFinder(std::function<QString(const QString& name)> finder);
void setStarter(std::function<bool(const QString& program)> starter);
void clear();
} // namespace ExternalProgramSeam
