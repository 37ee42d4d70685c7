#include "ui/effects/TickSchedule.h"

#include <algorithm>

namespace tessaly {

void TickSchedule::start(qint64 now, int intervalMs)
{
    m_last = now;
    m_pause = 0;
    m_interval = std::max(1, intervalMs);
}

void TickSchedule::setInterval(int intervalMs)
{
    m_interval = std::max(1, intervalMs);
}

void TickSchedule::pause(qint64 ms)
{
    m_pause = std::max<qint64>(0, ms);
}

bool TickSchedule::takeDue(qint64 now)
{
    const qint64 due = nextDue();
    if (now < due)
        return false;
    // Counting from the due time, not from `now`, keeps late wake-ups from adding up.
    m_last = due;
    m_pause = 0;
    return true;
}

void TickSchedule::resync(qint64 now)
{
    m_last = now;
    m_pause = 0;
}

}  // namespace tessaly
