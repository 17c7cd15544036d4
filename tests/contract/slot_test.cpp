// The mailslot transport as its callers and peers rely on it, on every
// backend.  Where Wine answers differently from Windows, the test says so
// and takes Wine's answer only under Wine.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "os.h"
#include "peer.h"
#include "platform/core/cp932.h"
#include "platform/core/mailslot.h"

namespace ms = platform::mailslot;
using contract::Peer;

namespace {

// Closes the handles a test made, also when it fails half-way.
struct Handles {
    std::vector<int> open;
    int keep(int h)
    {
        if (h >= 0) open.push_back(h);
        return h;
    }
    ~Handles()
    {
        for (int h : open) ms::HandleClose(h);
    }
};

std::string record(std::int32_t code, size_t length)
{
    std::string r(length, '\0');
    std::memcpy(r.data(), &code, sizeof code);
    for (size_t i = 4; i < length; ++i) r[i] = static_cast<char>('a' + i % 26);
    return r;
}

bool onWindows()
{
#ifdef _WIN32
    return true;
#else
    return false;
#endif
}

}  // namespace

TEST(SlotContract, CodesOfTheTransport)
{
    Handles hs;
    const std::string name = contract::uniqueName("codes");
    const int reader = hs.keep(ms::SlotCreate(name, 0));
    ASSERT_GT(reader, 0);
    const int writer = hs.keep(ms::SlotOpen(name));
    ASSERT_GT(writer, 0);
    std::vector<char> buf(ms::kMaxMessage + 1, 'x');
    struct Row {
        const char* what;
        std::function<int()> call;
        int expected;
    };
    const Row rows[] = {
        {"create a second slot of the name", [&] { return hs.keep(ms::SlotCreate(name, 0)); }, ms::kCreateExists},
        {"open a slot nobody made", [&] { return hs.keep(ms::SlotOpen(contract::uniqueName("missing"))); },
         ms::kOpenNotFound},
        {"read an empty slot", [&] { return ms::SlotRead(reader, ms::kMaxMessage, buf.data()); }, ms::kReadNothing},
        {"read with capacity 4033", [&] { return ms::SlotRead(reader, ms::kMaxMessage + 1, buf.data()); },
         ms::kReadBadSize},
        {"read with capacity 0", [&] { return ms::SlotRead(reader, 0, buf.data()); }, ms::kReadBadSize},
        {"read the invalid handle", [&] { return ms::SlotRead(-1, 16, buf.data()); }, ms::kReadBadHandle},
        {"write 4033 bytes", [&] { return ms::SlotWrite(writer, ms::kMaxMessage + 1, buf.data()); },
         ms::kWriteBadSize},
        {"write 0 bytes", [&] { return ms::SlotWrite(writer, 0, buf.data()); }, ms::kWriteBadSize},
        {"write to the invalid handle", [&] { return ms::SlotWrite(-1, 16, buf.data()); }, ms::kWriteBadHandle},
        {"write 4032 bytes", [&] { return ms::SlotWrite(writer, ms::kMaxMessage, buf.data()); }, ms::kMaxMessage},
        {"read them back", [&] { return ms::SlotRead(reader, ms::kMaxMessage, buf.data()); }, ms::kMaxMessage},
        {"the slot is empty again", [&] { return ms::SlotRead(reader, ms::kMaxMessage, buf.data()); },
         ms::kReadNothing},
        {"a closed handle", [&] { return ms::HandleClose(writer) > 0 ? 1 : 0; }, 1},
    };
    for (const Row& r : rows) EXPECT_EQ(r.call(), r.expected) << r.what;
    hs.open.erase(std::remove(hs.open.begin(), hs.open.end(), writer), hs.open.end());
}

TEST(SlotContract, MessageLongerThanTheReadersBufferIsTakenOffTheQueue)
{
    Handles hs;
    const std::string name = contract::uniqueName("short");
    const int reader = hs.keep(ms::SlotCreate(name, 0));
    const int writer = hs.keep(ms::SlotOpen(name));
    ASSERT_GT(reader, 0);
    ASSERT_GT(writer, 0);
    const std::string big = record(88011, 800), small = record(7, 50);
    ASSERT_EQ(ms::SlotWrite(writer, 800, big.data()), 800);
    ASSERT_EQ(ms::SlotWrite(writer, 50, small.data()), 50);
    char buf[ms::kMaxMessage];
    EXPECT_EQ(ms::SlotRead(reader, 100, buf), ms::kReadBadSize);
    // It never wedges the slot: the next message comes next.
    ASSERT_EQ(ms::SlotRead(reader, sizeof buf, buf), 50);
    EXPECT_EQ(std::string(buf, 50), small);

    // The system's own read with a short buffer: Windows refuses it (error
    // 122) and keeps the message; Wine and a datagram socket hand out the
    // first bytes and drop the rest.  The transport therefore always reads
    // with a buffer of the largest message.
    ASSERT_EQ(ms::SlotWrite(writer, 800, big.data()), 800);
    const int shortRead = contract::systemSlotReadShort(reader, 100);
    if (onWindows() && !contract::underWine()) {
        EXPECT_EQ(shortRead, -1);
        EXPECT_EQ(ms::SlotRead(reader, sizeof buf, buf), 800);
    } else {
        EXPECT_EQ(shortRead, 100) << (contract::underWine() ? "Wine" : "POSIX");
        EXPECT_EQ(ms::SlotRead(reader, sizeof buf, buf), ms::kReadNothing);
    }
}

TEST(SlotContract, MessageLongerThanTheSlotsMaximumNeverReachesTheReader)
{
    Handles hs;
    const std::string name = contract::uniqueName("max");
    const int reader = hs.keep(ms::SlotCreate(name, 0, 100));
    const int writer = hs.keep(ms::SlotOpen(name));
    ASSERT_GT(reader, 0);
    ASSERT_GT(writer, 0);
    const std::string over = record(1, 200), fits = record(2, 100);
    const int written = ms::SlotWrite(writer, 200, over.data());
    if (onWindows() && !contract::underWine()) {
        EXPECT_EQ(written, ms::kWriteFailed) << "Windows refuses a message over the slot's maximum";
    } else {
        // Wine does not enforce the maximum; a datagram socket cannot know it.
        EXPECT_EQ(written, 200) << (contract::underWine() ? "Wine" : "POSIX");
    }
    ASSERT_EQ(ms::SlotWrite(writer, 100, fits.data()), 100);
    char buf[ms::kMaxMessage];
    int got = ms::SlotRead(reader, sizeof buf, buf);
    if (got == ms::kReadNothing) got = ms::SlotRead(reader, sizeof buf, buf);  // the over-long one, dropped
    ASSERT_EQ(got, 100);
    EXPECT_EQ(std::string(buf, 100), fits);
    EXPECT_EQ(ms::SlotRead(reader, sizeof buf, buf), ms::kReadNothing);
}

TEST(SlotContract, QueuedRecordsAreTakenOneAtATimeInOrder)
{
    Handles hs;
    const std::string name = contract::uniqueName("queue");
    const int reader = hs.keep(ms::SlotCreate(name, 0));
    const int writer = hs.keep(ms::SlotOpen(name));
    ASSERT_GT(reader, 0);
    ASSERT_GT(writer, 0);
    const std::string junk(2, 'j');  // shorter than a code word
    ASSERT_EQ(ms::SlotWrite(writer, 2, junk.data()), 2);
    for (int i = 1; i <= 3; ++i) {
        const std::string r = record(i, 10 * i);
        ASSERT_EQ(ms::SlotWrite(writer, 10 * i, r.data()), 10 * i);
    }
    int next = 0, waiting = 0;
    ASSERT_EQ(ms::SlotInfo(reader, next, waiting), 0);
    EXPECT_EQ(next, 2);
    if (!onWindows()) {
        EXPECT_EQ(waiting, ms::kCountUnknown) << "a datagram socket does not count its queue";
    } else if (contract::underWine()) {
        // Wine undercounts the queue (it reports at most one message).
        EXPECT_GE(waiting, 1);
        EXPECT_LE(waiting, 4);
    } else {
        EXPECT_EQ(waiting, 4);
    }
    char buf[ms::kMaxMessage];
    for (int i = 1; i <= 3; ++i) {
        ASSERT_EQ(ms::SlotTakeRecord(reader, sizeof buf, buf), 10 * i) << "record " << i;
        std::int32_t code = 0;
        std::memcpy(&code, buf, 4);
        EXPECT_EQ(code, i);
    }
    EXPECT_EQ(ms::SlotTakeRecord(reader, sizeof buf, buf), ms::kReadNothing);
    ASSERT_EQ(ms::SlotInfo(reader, next, waiting), 0);
    EXPECT_EQ(next, ms::kNoMessage);
}

TEST(SlotContract, CloseCommandCrossesTwoProcesses)
{
    for (const size_t length : {size_t(4), size_t(800)}) {
        SCOPED_TRACE("close command of " + std::to_string(length) + " bytes");
        const std::string dir = contract::scratchDir(), name = contract::uniqueName("close");
        const std::string ready = dir + "/ready";
        Peer peer({"close-slot", name, ready});
        ASSERT_TRUE(peer.started());
        ASSERT_TRUE(contract::waitForFile(ready, 20000));
        Handles hs;
        const int writer = hs.keep(ms::SlotOpen(name));
        ASSERT_GT(writer, 0);
        const std::string notify = record(88011, 800);
        ASSERT_EQ(ms::SlotWrite(writer, 800, notify.data()), 800);
        EXPECT_EQ(peer.wait(300), -1) << "a notification record does not close the receiver";
        const std::string close = record(-88888, length);
        ASSERT_EQ(ms::SlotWrite(writer, static_cast<int>(length), close.data()), static_cast<int>(length));
        EXPECT_EQ(peer.wait(5000), 0);
    }
}

TEST(SlotContract, NotificationRecordReachesAnotherProcessByteForByte)
{
    const std::string dir = contract::scratchDir(), name = contract::uniqueName("notify");
    const std::string ready = dir + "/ready", out = dir + "/received";
    Peer peer({"receive", name, ready, out});
    ASSERT_TRUE(peer.started());
    ASSERT_TRUE(contract::waitForFile(ready, 20000));

    // The 800-byte record: header, lengths and two CP932 texts, one of them
    // with 0x5C trail bytes.
    std::string r(800, '\0');
    const std::int32_t code = 88011, size = 800, pid = contract::processId();
    std::memcpy(&r[0], &code, 4);
    std::memcpy(&r[4], &size, 4);
    std::memcpy(&r[32], &pid, 4);
    std::memcpy(&r[36], "uPVelmora", 9);
    r.replace(69, 31, std::string(31, ' '));
    std::memcpy(&r[100], "20261208093000123", 17);
    const std::string t1 = platform::utf8ToCp932("ソ表示のﾃｽﾄ"), t2 = platform::utf8ToCp932("補足 ～①髙");
    const std::int32_t l1 = static_cast<std::int32_t>(t1.size()), l2 = static_cast<std::int32_t>(t2.size());
    std::memcpy(&r[144], &l1, 4);
    std::memcpy(&r[148], &l2, 4);
    r.replace(152, t1.size(), t1);
    r.replace(408, t2.size(), t2);

    Handles hs;
    const int writer = hs.keep(ms::SlotOpen(name));
    ASSERT_GT(writer, 0);
    ASSERT_EQ(ms::SlotWrite(writer, 800, r.data()), 800);
    ASSERT_EQ(peer.wait(10000), 0);
    EXPECT_EQ(contract::readFile(out), r);
}
