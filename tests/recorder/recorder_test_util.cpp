#include "recorder_test_util.h"

#include "platform/core/mailslot.h"
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
    const std::string path = "mailslot/" + std::to_string(::getuid()) + "/" + name;
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::memcpy(addr.sun_path + 1, path.data(), path.size());
    const socklen_t len = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + path.size());
    const int fd = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return false;
    const int sndbuf = 1 << 20;
    ::setsockopt(fd, SOL_SOCKET, SO_SNDBUF, &sndbuf, sizeof(sndbuf));
    const ssize_t n = ::sendto(fd, bytes.constData(), static_cast<size_t>(bytes.size()), MSG_DONTWAIT,
                               reinterpret_cast<const sockaddr*>(&addr), len);
    ::close(fd);
    return n == bytes.size();
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
