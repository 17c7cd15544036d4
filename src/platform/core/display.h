#pragma once
// Whether a display can be reached before Qt tries (Qt aborts when it cannot).
#include <string>

namespace platform {

enum class DisplayKind { NoDisplay, X11, Wayland, Other };

// What the environment names: DISPLAY, WAYLAND_DISPLAY or QT_QPA_PLATFORM.
DisplayKind displayFromEnvironment();
// True when the X display of DISPLAY accepts a connection.
bool xDisplayReachable();
// True when a Wayland compositor listens where a client would connect:
// WAYLAND_DISPLAY (default "wayland-0") in XDG_RUNTIME_DIR, or as an absolute
// path.  Otherwise why says where it looked and what failed.
bool waylandDisplayReachable(std::string& why);

// Installs handlers for SIGTERM, SIGINT and SIGHUP that write one byte to a
// pipe; returns its read end (-1 on failure).  The program watches it and
// shuts down in order.
int installShutdownSignalPipe();

}  // namespace platform
