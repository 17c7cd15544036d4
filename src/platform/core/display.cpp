#include "platform/core/display.h"

#include <X11/Xlib.h>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

namespace platform {

namespace {
int g_signalPipe[2] = {-1, -1};

void onSignal(int)
{
    const int saved = errno;
    const char b = 1;
    if (g_signalPipe[1] >= 0) {
        [[maybe_unused]] ssize_t n = ::write(g_signalPipe[1], &b, 1);
    }
    errno = saved;
}

bool set(const char* name)
{
    const char* v = std::getenv(name);
    return v && *v;
}
}  // namespace

DisplayKind displayFromEnvironment()
{
    if (set("QT_QPA_PLATFORM")) return DisplayKind::Other;
    if (set("DISPLAY")) return DisplayKind::X11;
    if (set("WAYLAND_DISPLAY")) return DisplayKind::Wayland;
    return DisplayKind::NoDisplay;
}

bool xDisplayReachable()
{
    Display* d = XOpenDisplay(nullptr);
    if (!d) return false;
    XCloseDisplay(d);
    return true;
}

int installShutdownSignalPipe()
{
    if (g_signalPipe[0] >= 0) return g_signalPipe[0];
    if (::pipe2(g_signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) return -1;
    struct sigaction sa {};
    sa.sa_handler = onSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &sa, nullptr);
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGHUP, &sa, nullptr);
    return g_signalPipe[0];
}

}  // namespace platform
