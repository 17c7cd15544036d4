#pragma once
// The bell of the guide pop-up (a seam: see core/seam.h).  The system's plays
// the platform's alert sound without ever holding up the caller: on POSIX the
// sound theme's "bell" through libcanberra, on Windows the default sound
// (MessageBeep).
#include <functional>

namespace platform {

class Bell {
public:
    virtual ~Bell() = default;
    // Rings once.  When the sound cannot be played, unheard is called (on
    // another thread, possibly later), so that the caller can sound another.
    virtual void ring(std::function<void()> unheard) = 0;
    static Bell& system();
};

}  // namespace platform
