// The local date and time stamped on the draw history, behind a small
// interface so a test can fix the moment.
#pragma once

#include <string>

namespace tessaly {

struct LocalDateTime {
    int year = 2000, month = 1, day = 1;
    int hour = 0, minute = 0, second = 0;
};

class Clock {
public:
    virtual ~Clock() = default;
    virtual LocalDateTime now() const = 0;
};

class SystemClock : public Clock {
public:
    LocalDateTime now() const override;
};

// The Chinese default short date, a blank and the long time: 2026/12/8 19:05:03.
std::string formatTimestamp(const LocalDateTime &t);

}  // namespace tessaly
