#include "core/mailslot.h"
#include "core/runtimedir.h"

#include <cerrno>
#include <chrono>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <deque>
#include <fcntl.h>
#include <map>
#include <mutex>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <sys/un.h>
#include <unistd.h>
#include <unordered_map>
#include <vector>

namespace platform::mailslot {

namespace {

// Receive buffer asked for on an own slot.  The kernel caps it at rmem_max;
// the number of queued datagrams is further capped by net.unix.max_dgram_qlen.
constexpr int kReceiveBuffer = 4 * 1024 * 1024;
constexpr int kSendBuffer = 1024 * 1024;

// The slot's socket: NAME.mailslot in the user's private runtime folder,
// which no other user can enter.  False for a name that is no plain file
// name, or when there is no private folder.
thread_local std::string t_createProblem;

bool makeAddress(const std::string& name, sockaddr_un& addr, socklen_t& len, std::string* pathOut = nullptr,
                 std::string* problem = nullptr)
{
    auto refuse = [problem](std::string why) {
        if (problem) *problem = std::move(why);
        return false;
    };
    if (name.empty() || name == "." || name == ".." || name.find('/') != std::string::npos ||
        name.find('\0') != std::string::npos)
        return refuse("\"" + name + "\" is no mailslot name");
    std::string why;
    const std::string dir = privateRuntimeDir(&why);
    if (dir.empty()) return refuse(why.empty() ? "there is no private folder for the mailslots" : why);
    const std::string path = dir + "/" + name + ".mailslot";
    if (path.size() + 1 > sizeof(addr.sun_path))
        return refuse("the socket path " + path + " is " + std::to_string(path.size()) +
                      " bytes long; a socket address holds at most " + std::to_string(sizeof(addr.sun_path) - 1));
    std::memset(&addr, 0, sizeof(addr));
    addr.sun_family = AF_UNIX;
    std::memcpy(addr.sun_path, path.data(), path.size());
    len = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + path.size() + 1);
    if (pathOut) *pathOut = path;
    return true;
}

// A datagram socket whose descriptor is never 0, 1 or 2: handles are kept in
// caches where 0 means "none", and a process started with closed standard
// streams must not hand out a handle that looks like one of them.
int newSocket()
{
    int fd = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd >= 0 && fd < 3) {
        const int moved = ::fcntl(fd, F_DUPFD_CLOEXEC, 3);
        ::close(fd);
        fd = moved;
    }
    return fd;
}

// What a peek or a read tells about the first waiting datagram.
struct Datagram {
    ssize_t length = -1;  // full length (MSG_TRUNC), -1 on failure
    int error = 0;        // errno on failure
    bool truncated = false;
    bool hasCredentials = false;
    uid_t uid = 0;
};

// One recvmsg with the credentials.  Descriptors smuggled in with SCM_RIGHTS
// are closed at once.
Datagram receive(int fd, void* data, size_t size, int flags)
{
    Datagram d;
    iovec iov{data, size};
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(ucred)) + CMSG_SPACE(16 * sizeof(int))];
    std::memset(control, 0, sizeof(control));
    msghdr msg{};
    msg.msg_iov = &iov;
    msg.msg_iovlen = 1;
    msg.msg_control = control;
    msg.msg_controllen = sizeof(control);
    const ssize_t n = ::recvmsg(fd, &msg, flags | MSG_TRUNC | MSG_DONTWAIT | MSG_CMSG_CLOEXEC);
    if (n < 0) {
        d.error = errno;
        return d;
    }
    d.length = n;
    d.truncated = (msg.msg_flags & MSG_TRUNC) != 0;
    for (cmsghdr* c = CMSG_FIRSTHDR(&msg); c; c = CMSG_NXTHDR(&msg, c)) {
        if (c->cmsg_level != SOL_SOCKET) continue;
        if (c->cmsg_type == SCM_CREDENTIALS && c->cmsg_len >= CMSG_LEN(sizeof(ucred))) {
            ucred cred{};
            std::memcpy(&cred, CMSG_DATA(c), sizeof(cred));
            d.hasCredentials = true;
            d.uid = cred.uid;
        } else if (c->cmsg_type == SCM_RIGHTS) {
            const size_t count = (c->cmsg_len - CMSG_LEN(0)) / sizeof(int);
            for (size_t i = 0; i < count; ++i) {
                int passed = -1;
                std::memcpy(&passed, CMSG_DATA(c) + i * sizeof(int), sizeof(int));
                if (passed >= 0) ::close(passed);
            }
        }
    }
    return d;
}

// The maximum message size of the own slots made with a smaller one than
// kMaxMessage.  A sender cannot know it, so the reader enforces it.
std::mutex g_limitsMutex;
std::unordered_map<int, int> g_limits;

int slotLimit(int fd)
{
    std::lock_guard lock(g_limitsMutex);
    const auto it = g_limits.find(fd);
    return it == g_limits.end() ? kMaxMessage : it->second;
}

void setSlotLimit(int fd, int limit)
{
    std::lock_guard lock(g_limitsMutex);
    if (limit >= kMaxMessage)
        g_limits.erase(fd);
    else
        g_limits[fd] = limit;
}

// The socket file of each own slot, removed when the slot is closed unless
// another slot has taken the name since.
struct Bound {
    std::string path;
    ino_t inode = 0;
};
std::mutex g_boundMutex;
std::unordered_map<int, Bound> g_bound;

ino_t inodeOf(const std::string& path)
{
    struct stat st {};
    return lstat(path.c_str(), &st) == 0 ? st.st_ino : 0;
}

// What holds a slot's name without being a live slot: a socket file that
// no process listens on any more (its owner ended without closing the
// slot), or anything that is no socket (a link, dangling or not, a file, a
// FIFO, an empty folder).  The folder is the user's own, so it is the
// user's leftover.
bool leftover(const std::string& path, const sockaddr_un& addr, socklen_t len)
{
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) return false;
    if (!S_ISSOCK(st.st_mode)) return true;
    const int probe = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (probe < 0) return false;
    const bool refused = ::connect(probe, reinterpret_cast<const sockaddr*>(&addr), len) != 0 && errno == ECONNREFUSED;
    ::close(probe);
    return refused;
}

void removeLeftover(const std::string& path)
{
    if (::unlink(path.c_str()) != 0 && (errno == EISDIR || errno == EPERM)) ::rmdir(path.c_str());
}

bool senderAccepted(const Datagram& d)
{
    return d.hasCredentials && (d.uid == ::getuid() || d.uid == 0);
}

// Takes the first waiting datagram off the queue and throws it away.
void discard(int fd)
{
    char byte = 0;
    receive(fd, &byte, 1, 0);
}

// The read time-out given at creation, in ms (0: reads never wait).
int readTimeoutMs(int fd)
{
    timeval tv{};
    socklen_t len = sizeof(tv);
    if (::getsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &tv, &len) != 0) return 0;
    const long long ms = static_cast<long long>(tv.tv_sec) * 1000 + tv.tv_usec / 1000;
    return ms > 0x7fffffff ? 0x7fffffff : static_cast<int>(ms);
}

// One non-blocking send of the record; errno tells why it failed.
ssize_t sendOnce(int handle, int count, const void* buffer)
{
    char work[kMaxMessage];
    std::memset(work, 0, sizeof(work));
    std::memcpy(work, buffer, static_cast<size_t>(count));
    ssize_t n;
    do {
        n = ::send(handle, work, static_cast<size_t>(count), MSG_DONTWAIT | MSG_NOSIGNAL);
    } while (n < 0 && errno == EINTR);
    return n;
}

// The outgoing queues: per destination name, the messages that found the
// receiver's queue full, in order, with a descriptor of their own (a
// duplicate of the sender's handle) so that the caller may close its handle
// while they wait.
struct Outgoing {
    int fd = -1;
    std::deque<std::string> messages;
    size_t bytes = 0;
    // A spell of writes refused at the bound: the first is said at once,
    // the rest are counted and said when the queue takes messages again.
    bool full = false;
    int refused = 0;
};

std::mutex g_outMutex;
std::map<std::string, Outgoing> g_outgoing;
std::unordered_map<int, std::string> g_openNames;  // handle -> destination name
QueueWatcher g_watcher = nullptr;

const char* programName()
{
    return program_invocation_short_name ? program_invocation_short_name : "mailslot";
}

void sayDropped(const std::string& name, int count, const char* why)
{
    if (count <= 0) return;
    std::fprintf(stderr, "%s: %d message%s to the mailslot %s dropped: %s\n", programName(), count,
                 count == 1 ? "" : "s", name.c_str(), why);
    std::fflush(stderr);
}

// Ends a spell of refused writes.
void endFullSpell(const std::string& name, Outgoing& q)
{
    if (q.refused > 0) {
        char why[128];
        std::snprintf(why, sizeof why, "its outgoing queue was full (%d messages or %d MiB)", kQueueMaxMessages,
                      kQueueMaxBytes / (1024 * 1024));
        sayDropped(name, q.refused, why);
    }
    q.full = false;
    q.refused = 0;
}

// Ends a queue (emptied or given up): the watcher is told first, then its
// descriptor goes.  g_outMutex held.
std::map<std::string, Outgoing>::iterator endQueue(std::map<std::string, Outgoing>::iterator it)
{
    endFullSpell(it->first, it->second);
    if (g_watcher) g_watcher(it->second.fd, false);
    ::close(it->second.fd);
    return g_outgoing.erase(it);
}

enum class Sent { All, Blocked, Gone };

// Sends the queue's messages while the receiver has room.  A receiver that
// went away and came back under the same name (a restarted recorder) is
// reached again.  g_outMutex held.
Sent sendQueued(const std::string& name, Outgoing& q)
{
    bool reconnected = false;
    while (!q.messages.empty()) {
        const std::string& m = q.messages.front();
        ssize_t n;
        do {
            n = ::send(q.fd, m.data(), m.size(), MSG_DONTWAIT | MSG_NOSIGNAL);
        } while (n < 0 && errno == EINTR);
        if (n >= 0) {
            q.bytes -= m.size();
            q.messages.pop_front();
            continue;
        }
        if (errno == EAGAIN || errno == EWOULDBLOCK) return Sent::Blocked;
        sockaddr_un addr{};
        socklen_t len = 0;
        if (reconnected || !makeAddress(name, addr, len) ||
            ::connect(q.fd, reinterpret_cast<const sockaddr*>(&addr), len) != 0)
            return Sent::Gone;
        reconnected = true;
    }
    return Sent::All;
}

// Flushes one queue and ends it when it is empty or its slot is gone.
// g_outMutex held.
std::map<std::string, Outgoing>::iterator flushQueue(std::map<std::string, Outgoing>::iterator it)
{
    switch (sendQueued(it->first, it->second)) {
    case Sent::All:
        return endQueue(it);
    case Sent::Gone:
        sayDropped(it->first, static_cast<int>(it->second.messages.size()), "its mailslot no longer exists");
        return endQueue(it);
    case Sent::Blocked:
        break;
    }
    return ++it;
}

int pendingLocked()
{
    int n = 0;
    for (const auto& [name, q] : g_outgoing) n += static_cast<int>(q.messages.size());
    return n;
}

// Queues a message for the handle's destination.  -1 when the handle has
// no known destination (it is not an opened slot), else the write's result.
// g_outMutex held.
int enqueue(int handle, int count, const char* bytes)
{
    const auto name = g_openNames.find(handle);
    if (name == g_openNames.end()) return -1;
    auto it = g_outgoing.find(name->second);
    if (it == g_outgoing.end()) {
        Outgoing q;
        q.fd = ::fcntl(handle, F_DUPFD_CLOEXEC, 3);
        if (q.fd < 0) return kWriteFailed;
        it = g_outgoing.emplace(name->second, std::move(q)).first;
        if (g_watcher) g_watcher(it->second.fd, true);
    }
    Outgoing& q = it->second;
    if (static_cast<int>(q.messages.size()) >= kQueueMaxMessages ||
        q.bytes + static_cast<size_t>(count) > static_cast<size_t>(kQueueMaxBytes)) {
        if (q.full) {
            ++q.refused;
        } else {
            q.full = true;
            char why[128];
            std::snprintf(why, sizeof why, "its outgoing queue is full (%d messages or %d MiB)", kQueueMaxMessages,
                          kQueueMaxBytes / (1024 * 1024));
            sayDropped(it->first, 1, why);
        }
        return kWriteQueueFull;
    }
    if (q.full) endFullSpell(it->first, q);
    q.messages.emplace_back(bytes, static_cast<size_t>(count));
    q.bytes += static_cast<size_t>(count);
    return count;
}

}  // namespace

std::string SlotCreateProblem()
{
    return t_createProblem;
}

int SlotCreate(const std::string& name, int readTimeoutMs, int maxMessage)
{
    t_createProblem.clear();
    sockaddr_un addr{};
    socklen_t len = 0;
    std::string path;
    if (!makeAddress(name, addr, len, &path, &t_createProblem)) return kCreateFailed;
    auto failure = [&path](const char* what, int err) {
        t_createProblem = std::string(what) + " " + path + ": " + std::strerror(err);
        return kCreateFailed;
    };
    const int fd = newSocket();
    if (fd < 0) return failure("cannot make the socket for", errno);
    // Credentials must be on before the first datagram can arrive.
    const int on = 1;
    if (::setsockopt(fd, SOL_SOCKET, SO_PASSCRED, &on, sizeof(on)) != 0) {
        const int err = errno;
        ::close(fd);
        return failure("cannot make the socket for", err);
    }
    const int rcv = kReceiveBuffer;
    if (::setsockopt(fd, SOL_SOCKET, SO_RCVBUFFORCE, &rcv, sizeof(rcv)) != 0)
        ::setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &rcv, sizeof(rcv));
    if (readTimeoutMs > 0) {
        // Only remembered here; SlotRead waits with poll() and never blocks in recv.
        timeval tv{};
        tv.tv_sec = readTimeoutMs / 1000;
        tv.tv_usec = (readTimeoutMs % 1000) * 1000;
        ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof(tv));
    }
    int bound = ::bind(fd, reinterpret_cast<const sockaddr*>(&addr), len);
    if (bound != 0 && errno == EADDRINUSE && leftover(path, addr, len)) {
        // Left behind by a slot whose process ended, or not a socket at
        // all: in the user's own folder the name is free.
        removeLeftover(path);
        bound = ::bind(fd, reinterpret_cast<const sockaddr*>(&addr), len);
    }
    if (bound != 0) {
        const int err = errno;
        ::close(fd);
        if (err == EADDRINUSE) {
            t_createProblem = path + " is the mailslot of a program that runs";
            return kCreateExists;
        }
        return failure("cannot bind", err);
    }
    setSlotLimit(fd, maxMessage <= 0 || maxMessage > kMaxMessage ? kMaxMessage : maxMessage);
    {
        std::lock_guard lock(g_boundMutex);
        g_bound[fd] = Bound{path, inodeOf(path)};
    }
    return fd;
}

int SlotOpen(const std::string& name)
{
    sockaddr_un addr{};
    socklen_t len = 0;
    if (!makeAddress(name, addr, len)) return kOpenFailed;
    const int fd = newSocket();
    if (fd < 0) return kOpenFailed;
    // Datagrams in flight count against the sender's buffer until read.
    const int snd = kSendBuffer;
    ::setsockopt(fd, SOL_SOCKET, SO_SNDBUF, &snd, sizeof(snd));
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&addr), len) != 0) {
        const int err = errno;
        ::close(fd);
        return (err == ECONNREFUSED || err == ENOENT) ? kOpenNotFound : kOpenFailed;
    }
    std::lock_guard lock(g_outMutex);
    g_openNames[fd] = name;
    return fd;
}

int SlotWrite(int handle, int count, const void* buffer)
{
    if (handle < 0) return kWriteBadHandle;
    if (count <= 0 || count > kMaxMessage) return kWriteBadSize;
    if (!buffer) return kWriteFailed;
    std::lock_guard lock(g_outMutex);
    const auto name = g_openNames.find(handle);
    if (name != g_openNames.end()) {
        // Behind what already waits for this slot, in order.
        const auto it = g_outgoing.find(name->second);
        if (it != g_outgoing.end()) {
            flushQueue(it);
            if (g_outgoing.count(name->second)) return enqueue(handle, count, static_cast<const char*>(buffer));
        }
    }
    const ssize_t n = sendOnce(handle, count, buffer);
    if (n >= 0) return static_cast<int>(n);
    if (errno != EAGAIN && errno != EWOULDBLOCK) return kWriteFailed;
    const int queued = enqueue(handle, count, static_cast<const char*>(buffer));
    return queued == -1 ? kWriteFailed : queued;
}

int SlotWriteWaiting(int handle, int count, const void* buffer, int waitMs)
{
    if (handle < 0) return kWriteBadHandle;
    if (count <= 0 || count > kMaxMessage) return kWriteBadSize;
    if (!buffer) return kWriteFailed;
    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(waitMs > 0 ? waitMs : 0);
    for (;;) {
        const ssize_t n = sendOnce(handle, count, buffer);
        if (n >= 0) return static_cast<int>(n);
        if (errno != EAGAIN && errno != EWOULDBLOCK) return kWriteFailed;
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) return kWriteFailed;
        // On a connected datagram socket POLLOUT waits until the receiver's
        // queue has room again; another sender may still take that room first.
        pollfd p{handle, POLLOUT, 0};
        if (::poll(&p, 1, static_cast<int>(left)) < 0 && errno != EINTR) return kWriteFailed;
    }
}

int SlotRead(int handle, int capacity, void* buffer)
{
    if (handle < 0) return kReadBadHandle;
    if (capacity <= 0 || capacity > kMaxMessage) return kReadBadSize;
    if (!buffer) return kReadFailed;

    // Peek at the first datagram: its full length and its sender.
    Datagram head = receive(handle, nullptr, 0, MSG_PEEK);
    if (head.length < 0 && (head.error == EAGAIN || head.error == EWOULDBLOCK)) {
        const int timeout = readTimeoutMs(handle);
        if (timeout <= 0) return kReadNothing;
        pollfd p{handle, POLLIN, 0};
        if (::poll(&p, 1, timeout) <= 0) return kReadNothing;
        head = receive(handle, nullptr, 0, MSG_PEEK);
    }
    if (head.length < 0) return kReadNothing;

    // Datagrams that are foreign, empty or larger than any slot message are
    // taken off the queue so that they never hold up those behind them.
    const int limit = slotLimit(handle);
    if (!senderAccepted(head) || head.length == 0 || head.length > limit) {
        discard(handle);
        return kReadNothing;
    }

    char work[kMaxMessage];
    std::memset(work, 0, sizeof(work));
    const Datagram d = receive(handle, work, sizeof(work), 0);
    if (d.length < 0) return kReadNothing;
    if (d.truncated || d.length > limit) return kReadFailed;
    if (!senderAccepted(d) || d.length == 0) return kReadNothing;
    // Longer than this caller's capacity: taken off the queue all the same,
    // as the 4032-byte read of the Windows wrapper does, so nothing wedges.
    if (d.length > capacity) return kReadBadSize;
    std::memset(buffer, 0, static_cast<size_t>(capacity));
    std::memcpy(buffer, work, static_cast<size_t>(d.length));
    return static_cast<int>(d.length);
}

int SlotTakeRecord(int handle, int capacity, void* buffer, int maxDatagrams)
{
    if (handle < 0) return kReadBadHandle;
    if (capacity <= 0 || capacity > kMaxMessage) return kReadBadSize;
    if (!buffer) return kReadFailed;
    constexpr ssize_t kCodeWord = 4;
    // One read per datagram, no peek: the full length comes back with
    // MSG_TRUNC, so an oversized one is recognised and gone in the same call.
    char work[kMaxMessage];
    const int limit = slotLimit(handle);
    for (int taken = 0; taken < (maxDatagrams > 0 ? maxDatagrams : 1);) {
        const Datagram d = receive(handle, work, sizeof(work), 0);
        if (d.length < 0) {
            if (d.error == EINTR) continue;
            return (d.error == EAGAIN || d.error == EWOULDBLOCK) ? kReadNothing : kReadFailed;
        }
        ++taken;
        if (!senderAccepted(d) || d.truncated || d.length < kCodeWord || d.length > capacity || d.length > limit)
            continue;
        std::memset(buffer, 0, static_cast<size_t>(capacity));
        std::memcpy(buffer, work, static_cast<size_t>(d.length));
        return static_cast<int>(d.length);
    }
    return kTakeDropped;
}

int SlotInfo(int handle, int& nextSize, int& waiting)
{
    nextSize = kNoMessage;
    waiting = kCountUnknown;
    if (handle < 0) return kReadBadHandle;
    const Datagram head = receive(handle, nullptr, 0, MSG_PEEK);
    if (head.length >= 0) {
        nextSize = static_cast<int>(head.length);
    } else if (head.error != EAGAIN && head.error != EWOULDBLOCK) {
        return kReadFailed;
    }
    return 0;
}

int HandleClose(int handle)
{
    if (handle < 0) return -1;
    setSlotLimit(handle, kMaxMessage);
    {
        // What waits for its slot stays queued on a descriptor of its own.
        std::lock_guard lock(g_outMutex);
        g_openNames.erase(handle);
    }
    {
        std::lock_guard lock(g_boundMutex);
        const auto it = g_bound.find(handle);
        if (it != g_bound.end()) {
            if (it->second.inode != 0 && inodeOf(it->second.path) == it->second.inode)
                ::unlink(it->second.path.c_str());
            g_bound.erase(it);
        }
    }
    return ::close(handle) == 0 ? 1 : -1;
}

bool SlotWaitable()
{
    return true;
}

int SlotFlush()
{
    std::lock_guard lock(g_outMutex);
    for (auto it = g_outgoing.begin(); it != g_outgoing.end();) it = flushQueue(it);
    return pendingLocked();
}

int SlotDrain(int waitMs)
{
    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(waitMs > 0 ? waitMs : 0);
    std::lock_guard lock(g_outMutex);
    for (;;) {
        for (auto it = g_outgoing.begin(); it != g_outgoing.end();) it = flushQueue(it);
        if (g_outgoing.empty()) return 0;
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) break;
        // POLLOUT on a connected datagram socket: its receiver has room.
        std::vector<pollfd> fds;
        for (const auto& [name, q] : g_outgoing) fds.push_back({q.fd, POLLOUT, 0});
        if (::poll(fds.data(), fds.size(), static_cast<int>(left)) < 0 && errno != EINTR) break;
    }
    int dropped = 0;
    char why[96];
    std::snprintf(why, sizeof why, "its receiver did not read them within %d ms", waitMs);
    for (auto it = g_outgoing.begin(); it != g_outgoing.end();) {
        const int n = static_cast<int>(it->second.messages.size());
        dropped += n;
        sayDropped(it->first, n, why);
        it = endQueue(it);
    }
    return dropped;
}

int SlotPending()
{
    std::lock_guard lock(g_outMutex);
    return pendingLocked();
}

void SetQueueWatcher(QueueWatcher watcher)
{
    std::lock_guard lock(g_outMutex);
    g_watcher = watcher;
}

}  // namespace platform::mailslot
