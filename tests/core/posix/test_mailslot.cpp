// The mailslot transport: the codes of each operation and the queue rules.
#include "core/mailslot.h"
#include "recorder_test_util.h"
#include "slot_isolation.h"

#include <QElapsedTimer>
#include <gtest/gtest.h>

#include <cstddef>
#include <filesystem>
#include <memory>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <grp.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

namespace ms = platform::mailslot;
using rectest::readOne;
using rectest::uniqueSlotName;

namespace {

// A slot that closes itself.
struct Slot {
    explicit Slot(const std::string& n) : name(n), handle(ms::SlotCreate(n, 0)) {}
    ~Slot()
    {
        if (handle >= 0) ms::HandleClose(handle);
    }
    std::string name;
    int handle;
};

struct Writer {
    explicit Writer(const std::string& n) : handle(ms::SlotOpen(n)) {}
    ~Writer()
    {
        if (handle >= 0) ms::HandleClose(handle);
    }
    int handle;
};

QByteArray pattern(int size, char seed)
{
    QByteArray b(size, '\0');
    for (int i = 0; i < size; ++i) b[i] = static_cast<char>(seed + i % 61);
    return b;
}

int openDescriptors()
{
    int count = 0;
    if (DIR* d = ::opendir("/proc/self/fd")) {
        while (::readdir(d)) ++count;
        ::closedir(d);
    }
    return count;
}

}  // namespace

TEST(Mailslot, CreateAndOpenCodes)
{
    const std::string name = uniqueSlotName("create");
    Slot slot(name);
    ASSERT_GE(slot.handle, 3) << "a handle never looks like a standard stream or the empty cache";

    EXPECT_EQ(ms::SlotCreate(name, 0), ms::kCreateExists) << "second slot of the same name";
    EXPECT_EQ(ms::SlotOpen(uniqueSlotName("missing")), ms::kOpenNotFound);
    EXPECT_EQ(ms::SlotCreate("", 0), ms::kCreateFailed);
    EXPECT_EQ(ms::SlotOpen(""), ms::kOpenFailed);
    const std::string tooLong(200, 'x');
    EXPECT_EQ(ms::SlotCreate(tooLong, 0), ms::kCreateFailed);
    EXPECT_EQ(ms::SlotOpen(tooLong), ms::kOpenFailed);

    // Names are exact: another case is another slot.
    Slot other(name + "X");
    EXPECT_GE(other.handle, 0);

    Writer w(name);
    EXPECT_GE(w.handle, 3);
}

TEST(Mailslot, NameIsFreeAgainAfterClose)
{
    const std::string name = uniqueSlotName("reuse");
    int h = ms::SlotCreate(name, 0);
    ASSERT_GE(h, 0);
    EXPECT_EQ(ms::HandleClose(h), 1);
    h = ms::SlotCreate(name, 0);
    EXPECT_GE(h, 0) << "a closed (or killed) owner never blocks the name";
    ms::HandleClose(h);
    EXPECT_EQ(ms::SlotOpen(name), ms::kOpenNotFound);
}

TEST(Mailslot, WriteCodes)
{
    const std::string name = uniqueSlotName("write");
    Slot slot(name);
    ASSERT_GE(slot.handle, 0);
    Writer w(name);
    ASSERT_GE(w.handle, 0);

    struct Case {
        const char* what;
        int handle;
        int count;
        int expected;
    };
    const QByteArray big = pattern(5000, 'a');
    const Case cases[] = {
        {"largest message", w.handle, 4032, 4032},
        {"one byte", w.handle, 1, 1},
        {"800-byte record", w.handle, 800, 800},
        {"one byte too many", w.handle, 4033, ms::kWriteBadSize},
        {"nothing", w.handle, 0, ms::kWriteBadSize},
        {"negative count", w.handle, -1, ms::kWriteBadSize},
        {"invalid handle", ms::kInvalidHandle, 10, ms::kWriteBadHandle},
        {"negative handle", -7, 10, ms::kWriteBadHandle},
        {"invalid handle wins over a bad count", ms::kInvalidHandle, 0, ms::kWriteBadHandle},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ms::SlotWrite(c.handle, c.count, big.constData()), c.expected) << c.what;
    }

    // Exactly the accepted writes arrived, whole and in order.
    int rc = 0;
    EXPECT_EQ(readOne(slot.handle, &rc), big.left(4032));
    EXPECT_EQ(readOne(slot.handle, &rc), big.left(1));
    EXPECT_EQ(readOne(slot.handle, &rc), big.left(800));
    readOne(slot.handle, &rc);
    EXPECT_EQ(rc, ms::kReadNothing);
}

TEST(Mailslot, ReadCodes)
{
    const std::string name = uniqueSlotName("read");
    Slot slot(name);
    ASSERT_GE(slot.handle, 0);
    Writer w(name);
    ASSERT_GE(w.handle, 0);
    char buf[5000];

    struct Case {
        const char* what;
        int handle;
        int capacity;
        int expected;
    };
    const Case cases[] = {
        {"invalid handle", ms::kInvalidHandle, 4032, ms::kReadBadHandle},
        {"negative handle", -3, 4032, ms::kReadBadHandle},
        {"capacity 4033", slot.handle, 4033, ms::kReadBadSize},
        {"capacity 0", slot.handle, 0, ms::kReadBadSize},
        {"negative capacity", slot.handle, -5, ms::kReadBadSize},
        {"nothing waiting", slot.handle, 4032, ms::kReadNothing},
        {"nothing waiting, small capacity", slot.handle, 1, ms::kReadNothing},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ms::SlotRead(c.handle, c.capacity, buf), c.expected) << c.what;
    }
}

TEST(Mailslot, MessageLongerThanCapacityIsRefusedAndTakenOff)
{
    const std::string name = uniqueSlotName("capacity");
    Slot slot(name);
    Writer w(name);
    ASSERT_GE(w.handle, 0);
    const QByteArray longer = pattern(100, 'A');
    const QByteArray shorter = pattern(10, 'B');
    ASSERT_EQ(ms::SlotWrite(w.handle, 100, longer.constData()), 100);
    ASSERT_EQ(ms::SlotWrite(w.handle, 10, shorter.constData()), 10);

    // The too-long message costs one refused read and never blocks the next.
    char buf[4032];
    std::memset(buf, 0x55, sizeof(buf));
    EXPECT_EQ(ms::SlotRead(slot.handle, 99, buf), ms::kReadBadSize);
    EXPECT_EQ(static_cast<unsigned char>(buf[0]), 0x55) << "a refused read leaves the buffer alone";

    // The caller's first capacity bytes are zeroed, the rest untouched.
    ASSERT_EQ(ms::SlotRead(slot.handle, 20, buf), 10);
    EXPECT_EQ(QByteArray(buf, 10), shorter);
    for (int i = 10; i < 20; ++i) {
        ASSERT_EQ(buf[i], 0) << "offset " << i;
    }
    EXPECT_EQ(static_cast<unsigned char>(buf[20]), 0x55);
    EXPECT_EQ(ms::SlotRead(slot.handle, 4032, buf), ms::kReadNothing);
}

TEST(Mailslot, OversizedAndEmptyDatagramsAreDroppedNotWedged)
{
    const std::string name = uniqueSlotName("oversize");
    Slot slot(name);
    ASSERT_GE(slot.handle, 0);
    const QByteArray record = pattern(800, 'r');
    ASSERT_TRUE(rectest::rawSend(name, pattern(5000, 'x')));
    ASSERT_TRUE(rectest::rawSend(name, QByteArray()));
    ASSERT_TRUE(rectest::rawSend(name, pattern(4033, 'y')));
    ASSERT_TRUE(rectest::rawSend(name, record));

    // Each unusable datagram costs one read that reports nothing; the record
    // behind them arrives whole.
    QByteArray got;
    int reads = 0, rc = 0;
    while (got.isEmpty() && reads < 10) {
        got = readOne(slot.handle, &rc);
        ++reads;
        if (got.isEmpty()) {
            EXPECT_EQ(rc, ms::kReadNothing);
        }
    }
    EXPECT_EQ(got, record);
    EXPECT_EQ(reads, 4);
    readOne(slot.handle, &rc);
    EXPECT_EQ(rc, ms::kReadNothing);
}

TEST(Mailslot, AddressIsASocketInTheUsersPrivateFolder)
{
    const std::string name = uniqueSlotName("address");
    const std::string path = testsupport::slotSocketPath(name);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::memcpy(addr.sun_path, path.data(), path.size());
    const socklen_t len = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + path.size() + 1);

    // A peer bound by hand to the contract address is reached by SlotOpen,
    // and while it lives the name is taken.
    ms::HandleClose(ms::SlotCreate(name, 0));  // makes the folder
    const int peer = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    ASSERT_GE(peer, 0);
    ASSERT_EQ(::bind(peer, reinterpret_cast<sockaddr*>(&addr), len), 0) << path;
    EXPECT_EQ(ms::SlotCreate(name, 0), ms::kCreateExists);
    {
        Writer w(name);
        ASSERT_GE(w.handle, 0);
        ASSERT_EQ(ms::SlotWrite(w.handle, 3, "abc"), 3);
        char buf[16] = {};
        EXPECT_EQ(::recv(peer, buf, sizeof(buf), MSG_DONTWAIT), 3);
        EXPECT_STREQ(buf, "abc");
    }
    // Its process gone without removing the socket file: the name is free.
    ::close(peer);
    ASSERT_TRUE(std::filesystem::exists(path));
    const int again = ms::SlotCreate(name, 0);
    ASSERT_GE(again, 0);
    // The folder is the user's alone, and closing the slot removes its file.
    struct stat st {};
    ASSERT_EQ(::stat(std::filesystem::path(path).parent_path().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    EXPECT_EQ(st.st_uid, ::geteuid());
    ms::HandleClose(again);
    EXPECT_FALSE(std::filesystem::exists(path));

    // A name that is no plain file name makes no slot.
    for (const char* bad : {"a/b", "..", "."}) {
        EXPECT_EQ(ms::SlotCreate(bad, 0), ms::kCreateFailed) << bad;
        EXPECT_EQ(ms::SlotOpen(bad), ms::kOpenFailed) << bad;
    }
}

TEST(Mailslot, AFullReceiverQueueWaitsInTheSenderUpToItsBound)
{
    const std::string name = uniqueSlotName("full");
    Slot slot(name);
    Writer w(name);
    ASSERT_GE(w.handle, 0);
    QByteArray record = pattern(800, 'f');
    QElapsedTimer clock;
    clock.start();
    int written = 0, rc = 0;
    testing::internal::CaptureStderr();
    for (int i = 0; i < 100000; ++i) {
        std::memcpy(record.data(), &i, sizeof i);
        rc = ms::SlotWrite(w.handle, 800, record.constData());
        if (rc < 0) break;
        ++written;
    }
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(rc, ms::kWriteQueueFull);
    EXPECT_EQ(ms::SlotPending(), ms::kQueueMaxMessages);
    EXPECT_GT(written, ms::kQueueMaxMessages) << "the receiver's own queue holds some";
    EXPECT_LT(clock.elapsed(), 5000) << "queuing never waits";
    EXPECT_NE(said.find("1 message to the mailslot " + name + " dropped: its outgoing queue is full"),
              std::string::npos) << said;

    // The sender's handle may go: what waits keeps its own way out.  The
    // receiver then gets everything accepted, in order, as it reads.
    ms::HandleClose(w.handle);
    w.handle = -1;
    int next = 0;
    for (QByteArray got; next < written; ++next) {
        ms::SlotFlush();
        got = readOne(slot.handle);
        ASSERT_EQ(got.size(), 800) << "record " << next;
        int index = -1;
        std::memcpy(&index, got.constData(), sizeof index);
        ASSERT_EQ(index, next);
    }
    EXPECT_EQ(ms::SlotFlush(), 0);
    EXPECT_TRUE(readOne(slot.handle).isEmpty());
}

TEST(Mailslot, WhatWaitsIsDroppedAndSaidOnlyWhenItCannotBeDelivered)
{
    struct Case {
        const char* what;
        bool receiverGoes;
        int drainMs;
        const char* said;
    } cases[] = {
        {"the receiver's slot is gone", true, 0, "dropped: its mailslot no longer exists"},
        {"the receiver does not read in time", false, 50, "dropped: its receiver did not read them within 50 ms"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string name = uniqueSlotName("drop");
        auto slot = std::make_unique<Slot>(name);
        Writer w(name);
        const QByteArray record = pattern(800, 'd');
        while (ms::SlotPending() < 3) ASSERT_EQ(ms::SlotWrite(w.handle, 800, record.constData()), 800);
        if (c.receiverGoes) slot.reset();
        testing::internal::CaptureStderr();
        const int dropped = c.receiverGoes ? (ms::SlotFlush(), 3 - ms::SlotPending()) : ms::SlotDrain(c.drainMs);
        const std::string said = testing::internal::GetCapturedStderr();
        EXPECT_EQ(dropped, 3);
        EXPECT_EQ(ms::SlotPending(), 0);
        EXPECT_NE(said.find("3 messages to the mailslot " + name + " " + c.said), std::string::npos) << said;
    }
}

TEST(Mailslot, WriteAfterTheSlotWentFails)
{
    const std::string name = uniqueSlotName("gone");
    int slot = ms::SlotCreate(name, 0);
    ASSERT_GE(slot, 0);
    Writer w(name);
    ASSERT_GE(w.handle, 0);
    ms::HandleClose(slot);
    EXPECT_EQ(ms::SlotWrite(w.handle, 4, "gone"), ms::kWriteFailed);

    // A new owner of the name is reached by a new open only.
    Slot again(name);
    ASSERT_GE(again.handle, 0);
    EXPECT_EQ(ms::SlotWrite(w.handle, 4, "gone"), ms::kWriteFailed);
    Writer fresh(name);
    EXPECT_EQ(ms::SlotWrite(fresh.handle, 4, "back"), 4);
    EXPECT_EQ(readOne(again.handle), QByteArray("back"));
}

TEST(Mailslot, HandleClose)
{
    const std::string name = uniqueSlotName("close");
    const int h = ms::SlotCreate(name, 0);
    ASSERT_GE(h, 0);
    EXPECT_EQ(ms::HandleClose(h), 1);
    EXPECT_EQ(ms::HandleClose(ms::kInvalidHandle), -1);
}

TEST(Mailslot, DescriptorsSentAlongAreNotKept)
{
    const std::string name = uniqueSlotName("rights");
    Slot slot(name);
    ASSERT_GE(slot.handle, 0);
    const int before = openDescriptors();

    const std::string path = testsupport::slotSocketPath(name);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::memcpy(addr.sun_path, path.data(), path.size());
    const socklen_t len = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + path.size() + 1);
    const int fd = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    const int passed = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    ASSERT_GE(passed, 0);
    char payload[8] = "payload";
    iovec iov{payload, 7};
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(int))] = {};
    msghdr msg{};
    msg.msg_name = &addr;
    msg.msg_namelen = len;
    msg.msg_iov = &iov;
    msg.msg_iovlen = 1;
    msg.msg_control = control;
    msg.msg_controllen = sizeof(control);
    cmsghdr* c = CMSG_FIRSTHDR(&msg);
    c->cmsg_level = SOL_SOCKET;
    c->cmsg_type = SCM_RIGHTS;
    c->cmsg_len = CMSG_LEN(sizeof(int));
    std::memcpy(CMSG_DATA(c), &passed, sizeof(int));
    ASSERT_EQ(::sendmsg(fd, &msg, 0), 7);
    ::close(fd);
    ::close(passed);

    EXPECT_EQ(readOne(slot.handle), QByteArray("payload"));
    EXPECT_EQ(openDescriptors(), before);
}

TEST(Mailslot, DatagramFromAnotherUserIsDropped)
{
    if (::getuid() != 0) GTEST_SKIP() << "needs root to send as another user (uid 65534)";
    const std::string name = uniqueSlotName("foreign");
    Slot slot(name);
    ASSERT_GE(slot.handle, 0);

    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // Opened as us, sent as nobody: the kernel stamps the sender at send time.
        const int h = ms::SlotOpen(name);
        if (h < 0) ::_exit(3);
        if (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0) ::_exit(4);
        ::_exit(ms::SlotWrite(h, 7, "foreign") == 7 ? 0 : 5);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    ASSERT_EQ(WEXITSTATUS(status), 0);

    Writer w(name);
    ASSERT_EQ(ms::SlotWrite(w.handle, 3, "own"), 3);

    int rc = 0;
    EXPECT_TRUE(readOne(slot.handle, &rc).isEmpty());
    EXPECT_EQ(rc, ms::kReadNothing) << "the foreign datagram counts as nothing read";
    EXPECT_EQ(readOne(slot.handle, &rc), QByteArray("own"));
    readOne(slot.handle, &rc);
    EXPECT_EQ(rc, ms::kReadNothing);
}

TEST(Mailslot, ReadTimeoutWaitsForALateMessage)
{
    const std::string name = uniqueSlotName("timeout");
    const int slot = ms::SlotCreate(name, 300);
    ASSERT_GE(slot, 0);
    char buf[16];
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(ms::SlotRead(slot, 16, buf), ms::kReadNothing);
    EXPECT_GE(clock.elapsed(), 250);
    ms::HandleClose(slot);

    // A negative time-out counts as 0: reads never wait.
    const int quick = ms::SlotCreate(name, -1);
    ASSERT_GE(quick, 0);
    clock.restart();
    EXPECT_EQ(ms::SlotRead(quick, 16, buf), ms::kReadNothing);
    EXPECT_LT(clock.elapsed(), 100);
    ms::HandleClose(quick);
}
