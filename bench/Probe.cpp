#include "Probe.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QFile>
#include <ctime>

Probe::Probe()
{
    // Every run of the event pump starts with awake(): the gaps between them are the freezes.
    connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::awake, this, [this] { pump(); });
    m_tick.setInterval(10);
    connect(&m_tick, &QTimer::timeout, this, [this] { pump(); });
}

void Probe::pump()
{
    if (!m_running)
        return;
    const qint64 now = m_timer.nsecsElapsed();
    m_longest = std::max(m_longest, now - m_last);
    m_last = now;
}

void Probe::start()
{
    resetPeak();
    m_longest = 0;
    m_last = 0;
    m_running = true;
    m_cpuStart = processCpuSeconds();
    m_timer.start();
    m_tick.start();
}

void Probe::stop()
{
    const qint64 end = m_timer.nsecsElapsed();
    m_longest = std::max(m_longest, end - m_last);
    m_running = false;
    m_tick.stop();
    m_seconds = end / 1e9;
    m_freeze = m_longest / 1e9;
    m_peakMb = peakResidentMegabytes();
    m_cpu = processCpuSeconds() - m_cpuStart;
}

double processCpuSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return t.tv_sec + t.tv_nsec / 1e9;
}

double peakResidentMegabytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024.0;
    return 0;
}

void resetPeak()
{
    QFile refs(QStringLiteral("/proc/self/clear_refs"));
    if (refs.open(QIODevice::WriteOnly))
        refs.write("5");
}
