#pragma once
// FindWindowA by exact caption on the X display: the windows of the root's
// _NET_CLIENT_LIST when a window manager provides one, else the root's
// children, mapped or not.  A window matches when its _NET_WM_NAME (UTF-8) or,
// failing that, its WM_NAME equals the caption exactly.
#include <string>

namespace platform {

// True when a top-level window with this UTF-8 caption exists.  No display
// reachable: false.
bool windowExists(const std::string& captionUtf8);
// The X window id of that window, or 0; with mappedOnly, of a window that is
// shown on the screen.
unsigned long findWindow(const std::string& captionUtf8, bool mappedOnly = false);

// How the program asks whether a peer's window is there (a seam: see
// core/seam.h); the system's is windowExists.
class WindowSearch {
public:
    virtual ~WindowSearch() = default;
    virtual bool exists(const std::string& captionUtf8) = 0;
    static WindowSearch& system();
};

// Marks a window of this program as one that task bars leave out
// (_NET_WM_STATE_SKIP_TASKBAR): on the window itself before it is shown,
// and as a request to the window manager that already manages it.  False
// when the display cannot be reached.
bool markSkipTaskbar(unsigned long window);

// Ends a window manager's "show desktop" mode, in which it keeps every
// window off the screen, so that a window that must be seen comes back.
// False when the desktop is not in that mode (or has none).
bool leaveShowDesktop();

}  // namespace platform
