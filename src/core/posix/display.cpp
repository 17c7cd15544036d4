#include "core/display.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/socket.h>
#include <sys/un.h>
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

bool waylandDisplayReachable(std::string& why)
{
    // A socket handed over by the parent needs no address.
    if (set("WAYLAND_SOCKET")) return true;
    const std::string name = set("WAYLAND_DISPLAY") ? std::getenv("WAYLAND_DISPLAY") : "wayland-0";
    std::string path = name;
    if (name[0] != '/') {
        if (!set("XDG_RUNTIME_DIR")) {
            why = name + " (XDG_RUNTIME_DIR is not set)";
            return false;
        }
        path = std::string(std::getenv("XDG_RUNTIME_DIR")) + "/" + name;
    }
    sockaddr_un addr{};
    if (path.size() >= sizeof(addr.sun_path)) {
        why = path + " (name too long)";
        return false;
    }
    addr.sun_family = AF_UNIX;
    std::memcpy(addr.sun_path, path.data(), path.size());
    // Non-blocking: a compositor with a full backlog is there all the same.
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) {
        why = path + " (" + std::strerror(errno) + ")";
        return false;
    }
    const bool ok = ::connect(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof(addr)) == 0 || errno == EAGAIN ||
                    errno == EINPROGRESS;
    if (!ok) why = path + " (" + std::strerror(errno) + ")";
    ::close(fd);
    return ok;
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

int drainShutdownSignalPipe(int fd)
{
    int taken = 0;
    char buf[16];
    ssize_t n;
    while ((n = ::read(fd, buf, sizeof buf)) > 0) taken += static_cast<int>(n);
    return taken;
}

bool systemWorkArea(int&, int&, int&, int&)
{
    return false;
}

bool windowFrameRect(std::uintptr_t, int&, int&, int&, int&)
{
    return false;
}

int shellExplore(const std::string&)
{
    return 0;
}

void endProcess(int status)
{
    std::fflush(stdout);
    std::fflush(stderr);
    std::_Exit(status);
}

}  // namespace platform
