// The contract tests' system helpers on Windows: peers by CreateProcessA, a
// window of the peer's own, the system's profile calls.
#include "os.h"

#include <windows.h>

#include <cstdint>
#include <vector>

#include "peer.h"
#include "core/cp932.h"

namespace contract {

struct Peer::Impl {
    PROCESS_INFORMATION pi{};
    bool running = false;
    int status = -1;
};

Peer::Peer(const std::vector<std::string>& args) : impl_(std::make_unique<Impl>())
{
    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    // The arguments are names and paths: none holds a quote.
    std::string line = std::string("\"") + self + "\" --peer";
    for (const std::string& a : args) line += " \"" + a + "\"";
    STARTUPINFOA si{};
    si.cb = sizeof si;
    impl_->running = CreateProcessA(self, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                                    &impl_->pi) != 0;
}

Peer::~Peer()
{
    kill();
    if (impl_->pi.hProcess) CloseHandle(impl_->pi.hProcess);
    if (impl_->pi.hThread) CloseHandle(impl_->pi.hThread);
}

bool Peer::started() const
{
    return impl_->pi.hProcess != nullptr;
}

int Peer::wait(int timeoutMs)
{
    if (!impl_->pi.hProcess) return -1;
    if (!impl_->running) return impl_->status;
    if (WaitForSingleObject(impl_->pi.hProcess, timeoutMs < 0 ? 0 : static_cast<DWORD>(timeoutMs)) != WAIT_OBJECT_0)
        return -1;
    DWORD code = 0;
    GetExitCodeProcess(impl_->pi.hProcess, &code);
    impl_->running = false;
    impl_->status = static_cast<int>(code);
    return impl_->status;
}

void Peer::kill()
{
    if (impl_->pi.hProcess && impl_->running) {
        TerminateProcess(impl_->pi.hProcess, 137);
        wait(5000);
    }
}

int processId()
{
    return static_cast<int>(GetCurrentProcessId());
}

bool underWine()
{
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

bool windowSystemReady(std::string& why)
{
    if (GetACP() != 932) {
        why = "the ANSI code page is " + std::to_string(GetACP()) + ", not 932";
        return false;
    }
    return true;
}

int showWindowUntilKilled(const std::string& captionUtf8, const std::string& readyFile)
{
    WNDCLASSA wc{};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "VelmoraContractPeer";
    RegisterClassA(&wc);
    HWND w = CreateWindowExA(0, wc.lpszClassName, platform::utf8ToCp932(captionUtf8).c_str(), WS_OVERLAPPEDWINDOW,
                             0, 0, 200, 100, nullptr, nullptr, wc.hInstance, nullptr);
    if (!w) return 2;
    ShowWindow(w, SW_SHOWNOACTIVATE);
    writeFile(readyFile, "ok");
    MSG m;
    while (GetMessageA(&m, nullptr, 0, 0) > 0) DispatchMessageA(&m);
    return 0;
}

bool systemProfileGet(const std::string& path, const std::string& section, const std::string& key,
                      std::string& value)
{
    char buf[1024] = {};
    const DWORD n = GetPrivateProfileStringA(section.c_str(), key.c_str(), "", buf, sizeof buf, path.c_str());
    value.assign(buf, n);
    return true;
}

bool systemProfilePut(const std::string& path, const std::string& section, const std::string& key,
                      const std::optional<std::string>& value)
{
    return WritePrivateProfileStringA(section.c_str(), key.c_str(), value ? value->c_str() : nullptr,
                                      path.c_str()) != 0;
}

int systemSlotReadShort(int handle, int size)
{
    std::vector<char> buf(static_cast<size_t>(size));
    DWORD n = 0;
    if (!ReadFile(reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(handle)), buf.data(), static_cast<DWORD>(size),
                  &n, nullptr))
        return -1;
    return static_cast<int>(n);
}

}  // namespace contract
