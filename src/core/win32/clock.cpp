// The local wall clock on Windows: GetLocalTime, milliseconds included.
#include "core/backend.h"

#include <windows.h>

namespace platform {

LocalTime systemLocalTime()
{
    SYSTEMTIME st{};
    GetLocalTime(&st);
    LocalTime t;
    t.year = st.wYear;
    t.month = st.wMonth;
    t.day = st.wDay;
    t.hour = st.wHour;
    t.minute = st.wMinute;
    t.second = st.wSecond;
    t.millisecond = st.wMilliseconds;
    return t;
}

}  // namespace platform
