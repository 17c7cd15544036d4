#include "core/datetime.h"

#include "core/backend.h"

#include "core/seam.h"

#include <cstdio>

namespace platform {

namespace {
class SystemClock final : public Clock {
public:
    LocalTime now() override { return systemLocalTime(); }
};
}  // namespace

Clock& Clock::system()
{
    static SystemClock clock;
    return clock;
}

LocalTime localNow()
{
    return seam::current<Clock>().now();
}

long long localMillis(const LocalTime& t)
{
    // Days from the civil date (proleptic Gregorian calendar).
    const long long y = t.year - (t.month <= 2 ? 1 : 0);
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const long long yoe = y - era * 400;
    const long long mp = (t.month + 9) % 12;
    const long long doy = (153 * mp + 2) / 5 + t.day - 1;
    const long long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    const long long days = era * 146097 + doe - 719468;
    return ((days * 24 + t.hour) * 60 + t.minute) * 60000LL + t.second * 1000LL + t.millisecond;
}

std::string compactStamp(const LocalTime& t)
{
    char buf[32];
    std::snprintf(buf, sizeof buf, "%04d%02d%02d%02d%02d%02d%03d", t.year % 10000, t.month % 100, t.day % 100,
                  t.hour % 100, t.minute % 100, t.second % 100, t.millisecond % 1000);
    return buf;
}

std::string displayText(const LocalTime& t)
{
    char buf[40];
    std::snprintf(buf, sizeof buf, "%04d/%02d/%02d %02d:%02d:%02d:%03d", t.year % 10000, t.month % 100, t.day % 100,
                  t.hour % 100, t.minute % 100, t.second % 100, t.millisecond % 1000);
    return buf;
}

std::string DateTimeText(std::string& display)
{
    LocalTime reading;
    return DateTimeText(display, reading);
}

std::string DateTimeText(std::string& display, LocalTime& reading)
{
    reading = localNow();
    display = displayText(reading);
    return compactStamp(reading);
}

}  // namespace platform
