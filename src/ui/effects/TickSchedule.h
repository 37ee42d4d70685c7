// Keeps a scroller's ticks on a fixed grid of time, so a scroller moves exactly
// one step per interval however late the timer wakes it, and never drifts.
#pragma once

#include <QtGlobal>

namespace tessaly {

class TickSchedule {
public:
    // The first tick falls one interval after `now`.
    void start(qint64 now, int intervalMs);
    // Counts from the last tick, so a new interval takes effect at the next tick.
    void setInterval(int intervalMs);
    // Holds the next tick back by `ms` beyond its interval.
    void pause(qint64 ms);
    // Consumes the next tick when it is due at `now`.
    bool takeDue(qint64 now);
    // Forgets ticks missed during a stall so the scroller does not race to catch up.
    void resync(qint64 now);
    qint64 nextDue() const { return m_last + m_pause + m_interval; }

private:
    qint64 m_last = 0;
    qint64 m_pause = 0;
    int m_interval = 1;
};

}  // namespace tessaly
