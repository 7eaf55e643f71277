#pragma once

#include <functional>

// Runs `work` on a thread of its own while this thread goes on processing its events (painting,
// moving, the clock), and returns when the work has ended, throwing what it threw. The work must
// touch no widget and no model a view shows; the caller keeps its window's input locked meanwhile.
void runOffThread(const std::function<void()>& work);
