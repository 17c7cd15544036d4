#include "core/fontwarm.h"

#include <fontconfig/fontconfig.h>
#include <thread>

namespace platform {

namespace {
std::thread g_warm;
}

void startFontPrewarm()
{
    if (g_warm.joinable()) return;
    // FcInit is safe to call from any thread; a later call by Qt finds the
    // configuration and the caches already loaded.
    g_warm = std::thread([]() { FcInit(); });
}

void finishFontPrewarm()
{
    if (g_warm.joinable()) g_warm.join();
}

}  // namespace platform
