#pragma once

#include <functional>

// Ends the process at once: no further window events, no unload handling, the database
// connection dropped as it is. Callers return right after it, since a test's handler returns.
void EndProgram();

namespace ProgramEndSeam {
void setHandler(std::function<void()> handler);
void clearHandler();
} // namespace ProgramEndSeam
