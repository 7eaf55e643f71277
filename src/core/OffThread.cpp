#include "core/OffThread.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QMetaObject>
#include <exception>
#include <thread>

void Cancellation::request()
{
    std::function<void()> interrupt;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_requested.exchange(true))
            return;
        interrupt = m_interrupt;
    }
    if (interrupt)
        interrupt();
}

void Cancellation::setInterrupt(std::function<void()> interrupt)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_interrupt = std::move(interrupt);
}

void runOffThread(const std::function<void()>& work, const Cancellation* cancellation)
{
    std::exception_ptr failure;
    // Without an event loop to keep alive (a command-line tool), the work simply runs here.
    if (!QCoreApplication::instance()) {
        try {
            work();
        } catch (...) {
            failure = std::current_exception();
        }
    } else {
        QEventLoop loop;
        std::thread worker([&] {
            try {
                work();
            } catch (...) {
                failure = std::current_exception();
            }
            // Queued: the loop may not be running yet, and it is this thread's to stop.
            QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
        });
        loop.exec();
        worker.join();
    }
    // An interrupted read ends in a driver's error or in rows cut short: neither is to be shown.
    if (cancellation && cancellation->requested())
        throw CommandCancelled();
    if (failure)
        std::rethrow_exception(failure);
}
