#pragma once
// One reading of the local wall clock as the program's two fixed-width texts.
#include <string>

namespace platform {

struct LocalTime {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, millisecond = 0;
};

// The clock every time stamp of the program comes from (a seam: see
// core/seam.h); the system's is the local wall clock.
class Clock {
public:
    virtual ~Clock() = default;
    virtual LocalTime now() = 0;
    static Clock& system();
};
// The reading of the clock in use.
LocalTime localNow();

// Returns the 17-digit compact stamp "yyyymmddhhmmssfff" and stores the
// 23-character display text "yyyy/mm/dd hh:mm:ss:fff" of the same instant.
std::string DateTimeText(std::string& display);
// The same, also handing out the reading the texts were made from.
std::string DateTimeText(std::string& display, LocalTime& reading);

// The instant as milliseconds on the local wall clock's own scale: days of
// the local date since 1970-01-01, plus the time of day.  Setting the clock
// or a change to summer time is a jump on this scale.
long long localMillis(const LocalTime& t);

// Both texts of a given instant (no clock read).
std::string compactStamp(const LocalTime& t);
std::string displayText(const LocalTime& t);

}  // namespace platform
