// The system's default sound; MessageBeep plays it without waiting.
#include "core/bell.h"

#include <windows.h>

namespace platform {

namespace {

class DefaultSoundBell final : public Bell {
public:
    void ring(std::function<void()> unheard) override
    {
        if (!MessageBeep(MB_OK) && unheard) unheard();
    }
};

}  // namespace

Bell& Bell::system()
{
    static DefaultSoundBell bell;
    return bell;
}

}  // namespace platform
