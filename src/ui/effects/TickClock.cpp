#include "ui/effects/TickClock.h"

#include <QElapsedTimer>

namespace tessaly {
namespace {

class SteadyTickClock : public TickClock {
public:
    SteadyTickClock() { m_timer.start(); }
    qint64 nowMs() const override { return m_timer.elapsed(); }

private:
    QElapsedTimer m_timer;
};

}  // namespace

const TickClock &TickClock::steady()
{
    static const SteadyTickClock clock;
    return clock;
}

}  // namespace tessaly
