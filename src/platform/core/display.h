#pragma once
// Whether a display can be reached before Qt tries (Qt aborts when it cannot).
#include <string>

namespace platform {

enum class DisplayKind { NoDisplay, X11, Wayland, Other };

// What the environment names: DISPLAY, WAYLAND_DISPLAY or QT_QPA_PLATFORM.
DisplayKind displayFromEnvironment();
// True when the X display of DISPLAY accepts a connection.
bool xDisplayReachable();

// Installs handlers for SIGTERM, SIGINT and SIGHUP that write one byte to a
// pipe; returns its read end (-1 on failure).  The program watches it and
// shuts down in order.
int installShutdownSignalPipe();

}  // namespace platform
