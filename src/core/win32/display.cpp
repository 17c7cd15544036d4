// Windows always has its desktop; what Linux asks of the environment is
// answered here for the same callers.
#include "core/display.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <dwmapi.h>
#include <shellapi.h>

#include <string>

#include "core/cp932.h"

namespace platform {

DisplayKind displayFromEnvironment()
{
    return DisplayKind::Other;
}

bool waylandDisplayReachable(std::string& why)
{
    why = "no Wayland on Windows";
    return false;
}

// Logging off reaches the program as the toolkit's session end, not as a
// signal: there is no pipe to watch.
int installShutdownSignalPipe()
{
    return -1;
}

int drainShutdownSignalPipe(int)
{
    return 0;
}

bool systemWorkArea(int& left, int& top, int& right, int& bottom)
{
    RECT r{};
    if (!SystemParametersInfoA(SPI_GETWORKAREA, 0, &r, 0)) return false;
    left = r.left;
    top = r.top;
    right = r.right;
    bottom = r.bottom;
    return right > left && bottom > top;
}

bool windowFrameRect(std::uintptr_t window, int& left, int& top, int& right, int& bottom)
{
    const HWND hwnd = reinterpret_cast<HWND>(window);
    if (!hwnd || !IsWindow(hwnd)) return false;
    // With the desktop composed, the window rectangle also holds borders
    // that are not drawn; the extended frame bounds are what is seen.
    RECT r{};
    if (FAILED(DwmGetWindowAttribute(hwnd, DWMWA_EXTENDED_FRAME_BOUNDS, &r, sizeof r)) || r.right <= r.left) {
        if (!GetWindowRect(hwnd, &r)) return false;
    }
    left = r.left;
    top = r.top;
    right = r.right;
    bottom = r.bottom;
    return right > left && bottom > top;
}

int shellExplore(const std::string& folderUtf8)
{
    std::string folder = utf8ToCp932(folderUtf8);
    const DWORD attributes = folder.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesA(folder.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) folder = "C:\\";
    const auto result =
        reinterpret_cast<INT_PTR>(ShellExecuteA(nullptr, "explore", folder.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    return result > 32 ? 1 : -1;
}

void endProcess(int status)
{
    std::fflush(stdout);
    std::fflush(stderr);
    TerminateProcess(GetCurrentProcess(), static_cast<UINT>(status));
    std::_Exit(status);
}

}  // namespace platform
