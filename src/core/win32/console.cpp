#include "core/console.h"

#include <windows.h>

#include <vector>

namespace platform {

std::string consoleText(const std::string& utf8)
{
    if (utf8.empty()) return utf8;
    const int wide = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    if (wide <= 0) return utf8;
    std::vector<wchar_t> w(static_cast<size_t>(wide));
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), w.data(), wide);
    UINT page = GetConsoleOutputCP();
    if (page == 0) page = GetACP();
    const int bytes = WideCharToMultiByte(page, 0, w.data(), wide, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0) return utf8;
    std::string out(static_cast<size_t>(bytes), '\0');
    WideCharToMultiByte(page, 0, w.data(), wide, out.data(), bytes, nullptr, nullptr);
    return out;
}

}  // namespace platform
