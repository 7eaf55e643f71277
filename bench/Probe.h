#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

// Measures one step: wall time, the process's peak resident memory during it, and the longest
// stretch in which the window processed no events (what the user feels as a freeze).
class Probe : public QObject
{
public:
    Probe();
    void start();
    void stop();
    double seconds() const { return m_seconds; }
    double peakMegabytes() const { return m_peakMb; }
    double longestFreezeSeconds() const { return m_freeze; }
    double cpuSeconds() const { return m_cpu; }

private:
    void pump();
    QElapsedTimer m_timer;
    // Wakes the event pump every 10 ms, so that a window merely waiting is not counted as frozen.
    QTimer m_tick;
    qint64 m_last = 0;
    qint64 m_longest = 0;
    bool m_running = false;
    double m_seconds = 0, m_peakMb = 0, m_freeze = 0, m_cpu = 0;
    double m_cpuStart = 0;
};

// Peak resident memory of the process so far, in MB; resetPeak() starts a new peak where Linux allows it.
double peakResidentMegabytes();
// The process's CPU time so far (every thread, user and system), in seconds.
double processCpuSeconds();
void resetPeak();
