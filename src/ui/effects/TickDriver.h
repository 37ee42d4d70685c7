// Drives a scroller's ticks on a fixed grid of time: a single-shot precise
// timer is woken for the next due tick, and ticks missed by a late wake-up are
// caught up, up to a limit beyond which a stall is dropped.
#pragma once

#include "ui/effects/TickSchedule.h"

#include <QTimer>
#include <functional>

namespace tessaly {

class TickClock;

class TickDriver {
public:
    // `active` says whether the owner scrolls now; `tick` moves it one step.
    TickDriver(QObject *owner, std::function<bool()> active, std::function<void()> tick);

    // Ticks are scheduled by this clock (the steady clock when null).
    void setClock(const TickClock *clock);
    // Starts the grid now: the first tick falls one interval later.
    void restart(int intervalMs);
    TickSchedule &schedule() { return m_schedule; }
    // Performs every tick that is due by the clock, then waits for the next one.
    void processDueTicks();
    // Wakes the timer for the next due tick while the owner is active.
    void arm();
    void stop() { m_timer.stop(); }

private:
    std::function<bool()> m_active;
    std::function<void()> m_tick;
    const TickClock *m_clock;
    TickSchedule m_schedule;
    QTimer m_timer;
};

}  // namespace tessaly
