// The local wall clock on POSIX: CLOCK_REALTIME and localtime_r.
#include "core/backend.h"

#include <ctime>

namespace platform {

LocalTime systemLocalTime()
{
    timespec ts{};
    clock_gettime(CLOCK_REALTIME, &ts);
    tm parts{};
    time_t secs = ts.tv_sec;
    localtime_r(&secs, &parts);
    LocalTime t;
    t.year = parts.tm_year + 1900;
    t.month = parts.tm_mon + 1;
    t.day = parts.tm_mday;
    t.hour = parts.tm_hour;
    t.minute = parts.tm_min;
    t.second = parts.tm_sec;
    t.millisecond = static_cast<int>(ts.tv_nsec / 1000000);
    return t;
}

}  // namespace platform
