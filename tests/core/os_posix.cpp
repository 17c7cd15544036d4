// The contract tests' system helpers on POSIX: peers by posix_spawn, the
// window on the X display, no system profile calls.
#include "os.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <csignal>
#include <cstdlib>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <thread>
#include <vector>

#include "peer.h"

extern char** environ;

namespace contract {

struct Peer::Impl {
    pid_t pid = -1;
    bool reaped = false;
    int status = -1;
};

Peer::Peer(const std::vector<std::string>& args) : impl_(std::make_unique<Impl>())
{
    std::vector<std::string> all{"/proc/self/exe", "--peer"};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& a : all) argv.push_back(a.data());
    argv.push_back(nullptr);
    if (posix_spawn(&impl_->pid, "/proc/self/exe", nullptr, nullptr, argv.data(), environ) != 0) impl_->pid = -1;
}

Peer::~Peer()
{
    kill();
}

bool Peer::started() const
{
    return impl_->pid > 0;
}

int Peer::wait(int timeoutMs)
{
    if (impl_->pid <= 0) return -1;
    for (int waited = 0;; waited += 5) {
        if (impl_->reaped) return impl_->status;
        int status = 0;
        if (waitpid(impl_->pid, &status, WNOHANG) == impl_->pid) {
            impl_->reaped = true;
            impl_->status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            return impl_->status;
        }
        if (waited >= timeoutMs) return -1;
        sleepMs(5);
    }
}

void Peer::kill()
{
    if (impl_->pid > 0 && !impl_->reaped) {
        ::kill(impl_->pid, SIGKILL);
        wait(5000);
    }
}

int processId()
{
    return static_cast<int>(getpid());
}

bool underWine()
{
    return false;
}

bool windowSystemReady(std::string& why)
{
    // scripts/test names its Xvfb display; peers inherit it.
    if (const char* x = std::getenv("VELMORA_X_DISPLAY"); x && *x) setenv("DISPLAY", x, 1);
    Display* d = XOpenDisplay(nullptr);
    if (!d) {
        why = "no X display (scripts/test sets VELMORA_X_DISPLAY when Xvfb runs)";
        return false;
    }
    XCloseDisplay(d);
    return true;
}

int showWindowUntilKilled(const std::string& captionUtf8, const std::string& readyFile)
{
    Display* d = XOpenDisplay(nullptr);
    if (!d) return 2;
    const Window w = XCreateSimpleWindow(d, DefaultRootWindow(d), 0, 0, 200, 100, 0, 0, 0);
    Xutf8SetWMProperties(d, w, captionUtf8.c_str(), nullptr, nullptr, 0, nullptr, nullptr, nullptr);
    const Atom netName = XInternAtom(d, "_NET_WM_NAME", False);
    const Atom utf8 = XInternAtom(d, "UTF8_STRING", False);
    XChangeProperty(d, w, netName, utf8, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(captionUtf8.data()), static_cast<int>(captionUtf8.size()));
    XMapWindow(d, w);
    XSync(d, False);
    writeFile(readyFile, "ok");
    for (;;) {
        XEvent e;
        XNextEvent(d, &e);
    }
}

bool systemProfileGet(const std::string&, const std::string&, const std::string&, std::string&)
{
    return false;
}

bool systemProfilePut(const std::string&, const std::string&, const std::string&, const std::optional<std::string>&)
{
    return false;
}

int systemSlotReadShort(int handle, int size)
{
    std::vector<char> buf(static_cast<size_t>(size));
    const ssize_t n = ::recv(handle, buf.data(), buf.size(), MSG_DONTWAIT);
    return n < 0 ? -1 : static_cast<int>(n);
}

}  // namespace contract
