// The previous-instance test on Windows: a named mutex in the session's
// namespace.  Its last handle closes when the holder ends, however it ends.
#include "core/instancelock.h"

#include "core/backend.h"

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "core/cp932.h"

namespace platform {

namespace {

// The full path with ASCII letters folded (Windows paths ignore their case),
// never a trail byte.
std::string canonicalPath(const std::string& exePathUtf8)
{
    const std::string exePath = utf8ToCp932(exePathUtf8);
    std::string full(MAX_PATH, '\0');
    DWORD n = GetFullPathNameA(exePath.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    if (n >= full.size()) {
        full.resize(n + 1);
        n = GetFullPathNameA(exePath.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    }
    full = n > 0 && n < full.size() ? full.substr(0, n) : exePath;
    for (size_t i = 0; i < full.size(); ++i) {
        const auto c = static_cast<unsigned char>(full[i]);
        if (cp932IsLeadByte(c) && i + 1 < full.size()) {
            ++i;
        } else if (c >= 'a' && c <= 'z') {
            full[i] = static_cast<char>(c - 'a' + 'A');
        } else if (c == '/') {
            full[i] = '\\';
        }
    }
    return full;
}

std::string userName()
{
    char name[256 + 1] = {};
    DWORD size = sizeof(name);
    return GetUserNameA(name, &size) ? std::string(name) : std::string();
}

HANDLE toHandle(int h)
{
    return reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(h));
}

}  // namespace

InstanceLock::~InstanceLock()
{
    release();
}

std::string InstanceLock::lockPathFor(const std::string& exePath)
{
    char hash[17];
    std::snprintf(hash, sizeof hash, "%016llx",
                  static_cast<unsigned long long>(nameHash(canonicalPath(exePath) + "|" + userName())));
    return std::string("Local\\uPVelmora-") + hash;
}

bool InstanceLock::acquire(const std::string& exePath)
{
    release();
    HANDLE h = CreateMutexA(nullptr, FALSE, lockPathFor(exePath).c_str());
    // Without the mutex the test cannot tell; a second copy of the same
    // name still fails on its mailslot.
    if (!h) return true;
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        CloseHandle(h);
        return false;
    }
    held_ = static_cast<int>(reinterpret_cast<std::intptr_t>(h));
    return true;
}

void InstanceLock::release()
{
    if (held_ != -1) {
        CloseHandle(toHandle(held_));
        held_ = -1;
    }
}

std::string runningExecutablePath()
{
    std::string buf(MAX_PATH, '\0');
    for (;;) {
        const DWORD n = GetModuleFileNameA(nullptr, buf.data(), static_cast<DWORD>(buf.size()));
        if (n == 0) return {};
        if (n < buf.size()) {
            buf.resize(n);
            return cp932ToUtf8(buf);
        }
        buf.resize(buf.size() * 2);
    }
}

std::string runningExecutableBaseName()
{
    // UTF-8: a 0x5C byte is always a separator.
    std::string base = runningExecutablePath();
    const size_t sep = base.find_last_of("\\/:");
    if (sep != std::string::npos) base.erase(0, sep + 1);
    const size_t dot = base.find_last_of('.');
    if (dot != std::string::npos && dot > 0) base.resize(dot);
    return base;
}

}  // namespace platform
