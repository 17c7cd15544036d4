// Mailslots on the Win32 calls.  A handle is the kernel handle's value: kernel
// handles fit in 32 bits, also in 64-bit processes.
#include "core/mailslot.h"

#include <windows.h>

#include <chrono>
#include <cstdint>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "core/cp932.h"

namespace platform::mailslot {

namespace {

HANDLE toHandle(int handle)
{
    return reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(handle));
}

int fromHandle(HANDLE h)
{
    return static_cast<int>(reinterpret_cast<std::intptr_t>(h));
}

std::string slotPath(const std::string& name)
{
    return "\\\\.\\mailslot\\" + utf8ToCp932(name);
}

bool writeOnce(int handle, int count, const void* buffer, DWORD& written)
{
    char work[kMaxMessage];
    std::memset(work, 0, sizeof(work));
    std::memcpy(work, buffer, static_cast<size_t>(count));
    written = 0;
    return WriteFile(toHandle(handle), work, static_cast<DWORD>(count), &written, nullptr) != 0;
}

// The slot's maximum message size and what waits in it.
struct Info {
    bool ok = false;
    DWORD maxMessage = 0;
    DWORD nextSize = MAILSLOT_NO_MESSAGE;
    DWORD count = 0;
};

Info info(int handle)
{
    Info i;
    i.ok = GetMailslotInfo(toHandle(handle), &i.maxMessage, &i.nextSize, &i.count, nullptr) != 0;
    return i;
}

// Longer than the slot takes: Windows refuses such a write, so only a sender
// that does not (Wine) can queue one; it is thrown away.
bool overLong(const Info& i, DWORD length)
{
    return i.ok && i.maxMessage != 0 && length > i.maxMessage;
}

}  // namespace

thread_local std::string t_createProblem;

std::string SlotCreateProblem()
{
    return t_createProblem;
}

int SlotCreate(const std::string& name, int readTimeoutMs, int maxMessage)
{
    t_createProblem.clear();
    if (name.empty()) {
        t_createProblem = "an empty mailslot name";
        return kCreateFailed;
    }
    const DWORD timeout = readTimeoutMs < 0 ? 0 : static_cast<DWORD>(readTimeoutMs);
    const DWORD max = maxMessage <= 0 || maxMessage > kMaxMessage ? kMaxMessage : static_cast<DWORD>(maxMessage);
    HANDLE h = CreateMailslotA(slotPath(name).c_str(), max, timeout, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        const DWORD err = GetLastError();
        t_createProblem =
            "\\\\.\\mailslot\\" + name +
            (err == ERROR_ALREADY_EXISTS ? std::string(" is the mailslot of a program that runs")
                                         : ": CreateMailslotA failed (error " + std::to_string(err) + ")");
        return err == ERROR_ALREADY_EXISTS ? kCreateExists : kCreateFailed;
    }
    return fromHandle(h);
}

int SlotOpen(const std::string& name)
{
    if (name.empty()) return kOpenFailed;
    HANDLE h = CreateFileA(slotPath(name).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_FILE_NOT_FOUND ? kOpenNotFound : kOpenFailed;
    return fromHandle(h);
}

int SlotWrite(int handle, int count, const void* buffer)
{
    // The system queues what is written until it is read: nothing waits in
    // the sender.
    return SlotWriteWaiting(handle, count, buffer, 0);
}

int SlotWriteWaiting(int handle, int count, const void* buffer, int waitMs)
{
    if (handle < 0) return kWriteBadHandle;
    if (count <= 0 || count > kMaxMessage) return kWriteBadSize;
    if (!buffer) return kWriteFailed;
    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(waitMs > 0 ? waitMs : 0);
    for (;;) {
        DWORD written = 0;
        if (writeOnce(handle, count, buffer, written)) return static_cast<int>(written);
        // Only a lack of room is worth waiting for.
        const DWORD err = GetLastError();
        if (err != ERROR_NOT_ENOUGH_QUOTA && err != ERROR_NO_SYSTEM_RESOURCES) return kWriteFailed;
        if (Clock::now() >= deadline) return kWriteFailed;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

int SlotRead(int handle, int capacity, void* buffer)
{
    if (handle < 0) return kReadBadHandle;
    if (capacity <= 0 || capacity > kMaxMessage) return kReadBadSize;
    if (!buffer) return kReadFailed;
    char work[kMaxMessage];
    std::memset(work, 0, sizeof(work));
    DWORD n = 0;
    if (!ReadFile(toHandle(handle), work, sizeof(work), &n, nullptr)) {
        if (GetLastError() == ERROR_INSUFFICIENT_BUFFER) return kReadNothing;
        return n > 0 ? kReadFailed : kReadNothing;
    }
    if (n == 0) return kReadNothing;
    if (overLong(info(handle), n)) return kReadNothing;
    if (n > static_cast<DWORD>(capacity)) return kReadBadSize;
    std::memset(buffer, 0, static_cast<size_t>(capacity));
    std::memcpy(buffer, work, n);
    return static_cast<int>(n);
}

int SlotTakeRecord(int handle, int capacity, void* buffer, int maxDatagrams)
{
    if (handle < 0) return kReadBadHandle;
    if (capacity <= 0 || capacity > kMaxMessage) return kReadBadSize;
    if (!buffer) return kReadFailed;
    constexpr DWORD kCodeWord = 4;
    std::vector<char> work(kMaxMessage);
    for (int taken = 0; taken < (maxDatagrams > 0 ? maxDatagrams : 1);) {
        // Asked first, so that a slot made with a read time-out never waits.
        // The size Wine reports is at most the slot's maximum, so the buffer
        // is never smaller than that either.
        const Info i = info(handle);
        if (!i.ok) return kReadFailed;
        if (i.nextSize == MAILSLOT_NO_MESSAGE) return kReadNothing;
        const DWORD want = i.nextSize > i.maxMessage ? i.nextSize : i.maxMessage;
        if (work.size() < want) work.resize(want);
        DWORD n = 0;
        if (!ReadFile(toHandle(handle), work.data(), static_cast<DWORD>(work.size()), &n, nullptr)) {
            const DWORD err = GetLastError();
            if (err == ERROR_SEM_TIMEOUT) return kReadNothing;
            if (err == ERROR_INSUFFICIENT_BUFFER) {
                work.resize(work.size() * 2);
                continue;
            }
            return kReadFailed;
        }
        ++taken;
        if (n < kCodeWord || n > static_cast<DWORD>(capacity) || overLong(i, n)) continue;
        std::memset(buffer, 0, static_cast<size_t>(capacity));
        std::memcpy(buffer, work.data(), n);
        return static_cast<int>(n);
    }
    return kTakeDropped;
}

int SlotInfo(int handle, int& nextSize, int& waiting)
{
    nextSize = kNoMessage;
    waiting = 0;
    if (handle < 0) return kReadBadHandle;
    const Info i = info(handle);
    if (!i.ok) return kReadFailed;
    if (i.nextSize != MAILSLOT_NO_MESSAGE) nextSize = static_cast<int>(i.nextSize);
    waiting = static_cast<int>(i.count);
    return 0;
}

int HandleClose(int handle)
{
    if (handle < 0) return -1;
    return CloseHandle(toHandle(handle)) ? 1 : -1;
}

bool SlotWaitable()
{
    return false;
}

int SlotFlush()
{
    return 0;
}

int SlotDrain(int)
{
    return 0;
}

int SlotPending()
{
    return 0;
}

void SetQueueWatcher(QueueWatcher)
{}

}  // namespace platform::mailslot
