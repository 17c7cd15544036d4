#include "slot_isolation.h"

#include <cstddef>
#include <cstring>
#include <sched.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace testsupport {

namespace {
// Before main, while the process has one thread.  Needs root
// (CAP_SYS_ADMIN); without it the tests share the user's namespace.
const bool g_isolated = ::unshare(CLONE_NEWNET) == 0;
}  // namespace

bool slotsIsolated()
{
    return g_isolated;
}

void rawSlotFlood(const std::string& name, const QByteArray& bytes, long ownerUid)
{
    const std::string path = "mailslot/" + std::to_string(ownerUid) + "/" + name;
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::memcpy(addr.sun_path + 1, path.data(), path.size());
    const socklen_t len = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + path.size());
    const int fd = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    for (;;)
        ::sendto(fd, bytes.constData(), static_cast<size_t>(bytes.size()), MSG_DONTWAIT,
                 reinterpret_cast<const sockaddr*>(&addr), len);
}

bool rawSlotSend(const std::string& name, const QByteArray& bytes, long ownerUid)
{
    const long uid = ownerUid >= 0 ? ownerUid : static_cast<long>(::getuid());
    const std::string path = "mailslot/" + std::to_string(uid) + "/" + name;
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

}  // namespace testsupport
