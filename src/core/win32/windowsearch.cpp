// FindWindowA by exact caption: the caption is handed over in CP932, the
// ANSI code page the program's peers use.  The system's search ignores
// letter case; a window counts only when its caption is the same byte for
// byte, as on X11.
#include "core/windowsearch.h"

#include <windows.h>

#include <cstdint>
#include <string>

#include "core/cp932.h"

namespace platform {

namespace {
HWND toWindow(unsigned long window)
{
    return reinterpret_cast<HWND>(static_cast<std::uintptr_t>(window));
}

bool captionIs(HWND w, const std::string& caption)
{
    // Room for the caption, one byte more and the NUL: a longer caption
    // reads back longer and does not match.
    std::string text(caption.size() + 2, '\0');
    const int n = GetWindowTextA(w, text.data(), static_cast<int>(text.size()));
    text.resize(n > 0 ? static_cast<size_t>(n) : 0);
    return text == caption;
}
}  // namespace

bool windowExists(const std::string& captionUtf8)
{
    return findWindow(captionUtf8) != 0;
}

unsigned long findWindow(const std::string& captionUtf8, bool mappedOnly)
{
    const std::string caption = utf8ToCp932(captionUtf8);
    // Window handles fit in 32 bits, also in 64-bit processes.
    for (HWND w = FindWindowExA(nullptr, nullptr, nullptr, caption.c_str()); w;
         w = FindWindowExA(nullptr, w, nullptr, caption.c_str())) {
        if (captionIs(w, caption) && (!mappedOnly || IsWindowVisible(w)))
            return static_cast<unsigned long>(reinterpret_cast<std::uintptr_t>(w));
    }
    return 0;
}

bool markSkipTaskbar(unsigned long window)
{
    HWND w = toWindow(window);
    if (!IsWindow(w)) return false;
    // A tool window is left out of the task bar; an app window would be put in.
    const LONG_PTR ex = GetWindowLongPtrA(w, GWL_EXSTYLE);
    SetWindowLongPtrA(w, GWL_EXSTYLE, (ex | WS_EX_TOOLWINDOW) & ~static_cast<LONG_PTR>(WS_EX_APPWINDOW));
    return true;
}

bool leaveShowDesktop()
{
    // "Show desktop" minimises the windows here; restoring one is enough.
    return false;
}

}  // namespace platform
