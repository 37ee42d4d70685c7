#include "ui/effects/TickDriver.h"

#include "ui/effects/TickClock.h"

#include <algorithm>

namespace tessaly {
namespace {

// A stall longer than this many ticks is dropped rather than caught up in one jump.
constexpr int kMaxCatchUpTicks = 50;

}  // namespace

TickDriver::TickDriver(QObject *owner, std::function<bool()> active, std::function<void()> tick)
    : m_active(std::move(active)), m_tick(std::move(tick)), m_clock(&TickClock::steady())
{
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&m_timer, &QTimer::timeout, owner, [this] { processDueTicks(); });
}

void TickDriver::setClock(const TickClock *clock)
{
    m_clock = clock ? clock : &TickClock::steady();
}

void TickDriver::restart(int intervalMs)
{
    m_schedule.start(m_clock->nowMs(), intervalMs);
}

void TickDriver::processDueTicks()
{
    const qint64 now = m_clock->nowMs();
    int done = 0;
    while (m_active() && m_schedule.takeDue(now)) {
        m_tick();
        if (++done >= kMaxCatchUpTicks) {
            m_schedule.resync(now);
            break;
        }
    }
    arm();
}

void TickDriver::arm()
{
    if (!m_active())
        return;
    const qint64 wait = std::max<qint64>(0, m_schedule.nextDue() - m_clock->nowMs());
    m_timer.start(static_cast<int>(std::min<qint64>(wait, 1 << 30)));
}

}  // namespace tessaly
