// The millisecond clock the scrollers schedule their ticks by, injectable so a
// test can move time by hand.
#pragma once

#include <QtGlobal>

namespace tessaly {

class TickClock {
public:
    virtual ~TickClock() = default;
    // Milliseconds on a monotonic clock; only differences matter.
    virtual qint64 nowMs() const = 0;

    // The process's monotonic clock.
    static const TickClock &steady();
};

}  // namespace tessaly
