#pragma once
// Whether a display can be reached before Qt tries (Qt aborts when it cannot),
// and the desktop services the toolkit does not cover on every system.
#include <cstdint>
#include <string>

namespace platform {

enum class DisplayKind { NoDisplay, X11, Wayland, Other };

// What the environment names: DISPLAY, WAYLAND_DISPLAY or QT_QPA_PLATFORM.
DisplayKind displayFromEnvironment();
// True when a Wayland compositor listens where a client would connect:
// WAYLAND_DISPLAY (default "wayland-0") in XDG_RUNTIME_DIR, or as an absolute
// path.  Otherwise why says where it looked and what failed.
bool waylandDisplayReachable(std::string& why);

// Installs handlers for SIGTERM, SIGINT and SIGHUP that write one byte to a
// pipe; returns its read end (-1 on failure).  The program watches it and
// shuts down in order.
int installShutdownSignalPipe();
// Takes every waiting byte off that pipe; the number taken.
int drainShutdownSignalPipe(int fd);

// The work area the system reports (SystemParametersInfoA(SPI_GETWORKAREA)),
// right and bottom exclusive.  False where the toolkit's screen geometry is
// the source instead (X11).
bool systemWorkArea(int& left, int& top, int& right, int& bottom);
// The outer rectangle of a shown top-level window (its native handle) as the
// system draws it, in physical pixels, right and bottom exclusive: on
// Windows the frame the operator sees (the desktop's extended frame bounds,
// else the window rectangle).  False where the toolkit's frame geometry is
// the source instead (X11), or the handle names no window.
bool windowFrameRect(std::uintptr_t window, int& left, int& top, int& right, int& bottom);
// Ends the process at once with the status, after the standard streams are
// flushed: no destructors, no library clean-up (the program has saved what it
// keeps).  On Windows the process is terminated, since the DLLs' detach
// handlers alone take seconds there.
[[noreturn]] void endProcess(int status);

// How the program ends itself once it has shut down (a seam: see
// core/seam.h); the system's is endProcess.
class ProcessEnd {
public:
    virtual ~ProcessEnd() = default;
    virtual void end(int status) = 0;
    static ProcessEnd& system();
};

// Opens a folder (UTF-8) in the system's file manager
// (ShellExecuteA "explore"): 1 when opened, -1 when that failed, 0 where the
// toolkit opens folders instead (X11).
int shellExplore(const std::string& folderUtf8);

}  // namespace platform
