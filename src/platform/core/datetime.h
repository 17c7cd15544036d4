#pragma once
// One reading of the local wall clock as the program's two fixed-width texts.
#include <functional>
#include <string>

namespace platform {

struct LocalTime {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, millisecond = 0;
};

// The clock every time stamp of the program comes from.  Tests replace it;
// an empty function restores the real local clock.
using ClockSource = std::function<LocalTime()>;
void setClockSource(ClockSource source);
LocalTime localNow();

// Returns the 17-digit compact stamp "yyyymmddhhmmssfff" and stores the
// 23-character display text "yyyy/mm/dd hh:mm:ss:fff" of the same instant.
std::string DateTimeText(std::string& display);

// Both texts of a given instant (no clock read).
std::string compactStamp(const LocalTime& t);
std::string displayText(const LocalTime& t);

}  // namespace platform
