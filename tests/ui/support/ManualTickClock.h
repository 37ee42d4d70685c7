// A scroller clock for tests that only moves when told to.
#pragma once

#include "ui/effects/TickClock.h"

namespace tessaly::test {

class ManualTickClock : public TickClock {
public:
    qint64 nowMs() const override { return m_now; }
    void advance(qint64 ms) { m_now += ms; }

private:
    qint64 m_now = 1000;
};

}  // namespace tessaly::test
