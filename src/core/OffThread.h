#pragma once

#include <atomic>
#include <functional>
#include <mutex>

// A user's "stop" for a command that runs off the window's thread. The flag is read by the work
// where it can stop cleanly (between write requests); the interrupt, where one is set, stops the
// call in flight (a read), and is called on the thread that asks.
class Cancellation
{
public:
    void request();
    bool requested() const { return m_requested.load(); }
    void setInterrupt(std::function<void()> interrupt);

private:
    std::atomic<bool> m_requested{false};
    std::mutex m_mutex;
    std::function<void()> m_interrupt;
};

// Thrown by runOffThread for work the user cancelled: what it had done is to be thrown away,
// quietly (the user asked for it, so no error box).
struct CommandCancelled
{
};

// Runs `work` on a thread of its own while this thread goes on processing its events (painting,
// moving, the clock), and returns when the work has ended, throwing what it threw. The work must
// touch no widget and no model a view shows; the caller keeps its window's input locked meanwhile.
// With `cancellation` requested while the work ran, CommandCancelled is thrown however it ended.
void runOffThread(const std::function<void()>& work, const Cancellation* cancellation = nullptr);
