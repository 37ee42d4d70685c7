#include "draw/Clock.h"

#include <cstdio>
#include <ctime>

namespace tessaly {

LocalDateTime SystemClock::now() const
{
    std::time_t t = std::time(nullptr);
    std::tm local{};
    localtime_r(&t, &local);
    return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec};
}

std::string formatTimestamp(const LocalDateTime &t)
{
    // yyyy/M/d H:mm:ss: no leading zero on month, day and hour.
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%d/%d/%d %d:%02d:%02d", t.year, t.month, t.day, t.hour, t.minute, t.second);
    return buffer;
}

}  // namespace tessaly
