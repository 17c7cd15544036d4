#include "recorder_test_util.h"

#include "core/mailslot.h"
#include "slot_isolation.h"
#include "test_support.h"

#include <atomic>
#include <cstddef>
#include <cstring>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace rectest {

namespace {
std::atomic<int> g_counter{0};
}  // namespace

bool slotsIsolated()
{
    return testsupport::slotsIsolated();
}

std::string uniqueSlotName(const char* stem)
{
    return std::string("vtest-") + stem + "-" + std::to_string(::getpid()) + "-" +
           std::to_string(g_counter.fetch_add(1));
}

bool rawSend(const std::string& name, const QByteArray& bytes)
{
    return testsupport::rawSlotSend(name, bytes);
}

QByteArray readOne(int handle, int* result)
{
    QByteArray buffer(platform::mailslot::kMaxMessage, '\0');
    const int n = platform::mailslot::SlotRead(handle, platform::mailslot::kMaxMessage, buffer.data());
    if (result) *result = n;
    if (n <= 0) return {};
    buffer.truncate(n);
    return buffer;
}

int createRecorderSlot()
{
    int handle = platform::mailslot::SlotCreate("uPCorvane", 0);
    if (handle != platform::mailslot::kCreateExists) return handle;
    testsupport::waitUntil([&] {
        handle = platform::mailslot::SlotCreate("uPCorvane", 0);
        return handle != platform::mailslot::kCreateExists;
    }, 10000);
    return handle;
}

}  // namespace rectest
