#include "slot_isolation.h"

#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace testsupport {

namespace {

bool addressOf(const std::string& name, const std::string& runtimeDir, sockaddr_un& addr, socklen_t& len)
{
    const std::string path = slotSocketPath(name, runtimeDir);
    if (path.size() + 1 > sizeof(addr.sun_path)) return false;
    std::memset(&addr, 0, sizeof addr);
    addr.sun_family = AF_UNIX;
    std::memcpy(addr.sun_path, path.data(), path.size());
    len = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + path.size() + 1);
    return true;
}

}  // namespace

bool slotsIsolated()
{
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    return runtime && runtime[0] == '/';
}

std::string slotSocketPath(const std::string& name, const std::string& runtimeDir)
{
    const char* own = std::getenv("XDG_RUNTIME_DIR");
    const std::string dir = !runtimeDir.empty() ? runtimeDir : own ? own : "";
    return dir + "/uPVelmora/" + name + ".mailslot";
}

int rawSlotConnect(const std::string& name, const std::string& runtimeDir)
{
    sockaddr_un addr{};
    socklen_t len = 0;
    if (!addressOf(name, runtimeDir, addr, len)) return -1;
    const int fd = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return -1;
    const int sndbuf = 1 << 20;
    ::setsockopt(fd, SOL_SOCKET, SO_SNDBUF, &sndbuf, sizeof(sndbuf));
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&addr), len) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

void rawSlotFlood(int connected, const QByteArray& bytes)
{
    for (;;) ::send(connected, bytes.constData(), static_cast<size_t>(bytes.size()), MSG_DONTWAIT);
}

bool rawSlotSend(const std::string& name, const QByteArray& bytes, const std::string& runtimeDir)
{
    const int fd = rawSlotConnect(name, runtimeDir);
    if (fd < 0) return false;
    const ssize_t n = ::send(fd, bytes.constData(), static_cast<size_t>(bytes.size()), MSG_DONTWAIT);
    ::close(fd);
    return n == bytes.size();
}

}  // namespace testsupport
