// The mailslot transport as its callers and peers rely on it, on every
// backend.  Where Wine answers differently from Windows, the test says so
// and takes Wine's answer only under Wine.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "os.h"
#include "peer.h"
#include "core/cp932.h"
#include "core/mailslot.h"

namespace ms = platform::mailslot;

namespace {

#ifdef _WIN32
constexpr bool kWindows = true;
#else
constexpr bool kWindows = false;
#endif

// A reader and a writer on a fresh slot, closed when the test ends.
struct Slot {
    std::string name = contract::uniqueName("slot");
    int reader, writer;
    explicit Slot(int maxMessage = ms::kMaxMessage)
        : reader(ms::SlotCreate(name, 0, maxMessage)), writer(ms::SlotOpen(name))
    {
    }
    ~Slot()
    {
        ms::HandleClose(writer);
        ms::HandleClose(reader);
    }
    int write(const std::string& bytes) { return ms::SlotWrite(writer, static_cast<int>(bytes.size()), bytes.data()); }
};

std::string record(std::int32_t code, size_t length)
{
    std::string r(length, 'r');
    std::memcpy(r.data(), &code, sizeof code);
    return r;
}

std::int32_t codeOf(const char* bytes)
{
    std::int32_t code = 0;
    std::memcpy(&code, bytes, sizeof code);
    return code;
}

}  // namespace

TEST(SlotContract, CodesOfTheTransport)
{
    Slot s;
    ASSERT_GT(s.reader, 0);
    ASSERT_GT(s.writer, 0);
    std::vector<char> buf(ms::kMaxMessage + 1, 'x');
    struct Row {
        const char* what;
        int got, expected;
    };
    const int second = ms::SlotCreate(s.name, 0);
    const Row rows[] = {
        {"create a second slot of the name", second, ms::kCreateExists},
        {"open a slot nobody made", ms::SlotOpen(contract::uniqueName("missing")), ms::kOpenNotFound},
        {"read an empty slot", ms::SlotRead(s.reader, ms::kMaxMessage, buf.data()), ms::kReadNothing},
        {"read with capacity 4033", ms::SlotRead(s.reader, ms::kMaxMessage + 1, buf.data()), ms::kReadBadSize},
        {"read with capacity 0", ms::SlotRead(s.reader, 0, buf.data()), ms::kReadBadSize},
        {"read the invalid handle", ms::SlotRead(-1, 16, buf.data()), ms::kReadBadHandle},
        {"write 4033 bytes", ms::SlotWrite(s.writer, ms::kMaxMessage + 1, buf.data()), ms::kWriteBadSize},
        {"write 0 bytes", ms::SlotWrite(s.writer, 0, buf.data()), ms::kWriteBadSize},
        {"write to the invalid handle", ms::SlotWrite(-1, 16, buf.data()), ms::kWriteBadHandle},
        {"write 4032 bytes", ms::SlotWrite(s.writer, ms::kMaxMessage, buf.data()), ms::kMaxMessage},
        {"read them", ms::SlotRead(s.reader, ms::kMaxMessage, buf.data()), ms::kMaxMessage},
        {"the slot is empty again", ms::SlotRead(s.reader, ms::kMaxMessage, buf.data()), ms::kReadNothing},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(r.got, r.expected) << r.what;
    }
    if (second >= 0) ms::HandleClose(second);
}

TEST(SlotContract, MessagesLongerThanTheReadersBufferOrTheSlotsMaximum)
{
    char buf[ms::kMaxMessage];
    {
        // Longer than the caller's capacity: refused and taken off the
        // queue, so that it never wedges the slot.
        Slot s;
        ASSERT_EQ(s.write(record(1, 800)), 800);
        ASSERT_EQ(s.write(record(2, 50)), 50);
        EXPECT_EQ(ms::SlotRead(s.reader, 100, buf), ms::kReadBadSize);
        EXPECT_EQ(ms::SlotRead(s.reader, sizeof buf, buf), 50);

        // The system's own read with a short buffer: Windows refuses it
        // (error 122) and keeps the message; Wine and a datagram socket hand
        // out the first bytes and drop the rest.  Hence the transport always
        // reads with a buffer of the largest message.
        ASSERT_EQ(s.write(record(3, 800)), 800);
        const bool windows = kWindows && !contract::underWine();
        EXPECT_EQ(contract::systemSlotReadShort(s.reader, 100), windows ? -1 : 100);
        EXPECT_EQ(ms::SlotRead(s.reader, sizeof buf, buf), windows ? 800 : ms::kReadNothing);
    }
    {
        // Over the slot's maximum: Windows refuses the write; Wine does not
        // enforce the maximum and a datagram socket cannot know it, so there
        // the reader throws the message away.  It never reaches the reader.
        Slot s(100);
        EXPECT_EQ(s.write(record(4, 200)), kWindows && !contract::underWine() ? ms::kWriteFailed : 200);
        ASSERT_EQ(s.write(record(5, 100)), 100);
        int got = ms::SlotRead(s.reader, sizeof buf, buf);
        if (got == ms::kReadNothing) got = ms::SlotRead(s.reader, sizeof buf, buf);
        ASSERT_EQ(got, 100);
        EXPECT_EQ(codeOf(buf), 5);
        EXPECT_EQ(ms::SlotRead(s.reader, sizeof buf, buf), ms::kReadNothing);
    }
}

TEST(SlotContract, QueuedRecordsAreTakenOneAtATimeInOrder)
{
    Slot s;
    ASSERT_EQ(s.write("jj"), 2);  // shorter than a code word: not a record
    for (int i = 1; i <= 3; ++i) {
        ASSERT_EQ(s.write(record(i, 10 * i)), 10 * i);
    }
    int next = 0, waiting = 0;
    ASSERT_EQ(ms::SlotInfo(s.reader, next, waiting), 0);
    EXPECT_EQ(next, 2);
    if (!kWindows) {
        EXPECT_EQ(waiting, ms::kCountUnknown) << "a datagram socket does not count its queue";
    } else if (contract::underWine()) {
        EXPECT_GE(waiting, 1) << "Wine undercounts the queue";
    } else {
        EXPECT_EQ(waiting, 4);
    }
    char buf[ms::kMaxMessage];
    for (int i = 1; i <= 3; ++i) {
        ASSERT_EQ(ms::SlotTakeRecord(s.reader, sizeof buf, buf), 10 * i);
        EXPECT_EQ(codeOf(buf), i);
    }
    EXPECT_EQ(ms::SlotTakeRecord(s.reader, sizeof buf, buf), ms::kReadNothing);
    ASSERT_EQ(ms::SlotInfo(s.reader, next, waiting), 0);
    EXPECT_EQ(next, ms::kNoMessage);
}

TEST(SlotContract, CloseCommandCrossesTwoProcesses)
{
    for (const size_t length : {size_t(4), size_t(800)}) {
        SCOPED_TRACE("close command of " + std::to_string(length) + " bytes");
        const std::string ready = contract::scratchDir() + "/ready", name = contract::uniqueName("close");
        contract::Peer peer({"close-slot", name, ready});
        ASSERT_TRUE(contract::waitForFile(ready, 20000));
        const int writer = ms::SlotOpen(name);
        ASSERT_GT(writer, 0);
        const std::string notify = record(88011, 800), close = record(-88888, length);
        ASSERT_EQ(ms::SlotWrite(writer, 800, notify.data()), 800);
        EXPECT_EQ(peer.wait(300), -1) << "a notification record does not close the receiver";
        ASSERT_EQ(ms::SlotWrite(writer, static_cast<int>(length), close.data()), static_cast<int>(length));
        EXPECT_EQ(peer.wait(5000), 0);
        ms::HandleClose(writer);
    }
}

TEST(SlotContract, NotificationRecordReachesAnotherProcessByteForByte)
{
    const std::string dir = contract::scratchDir(), name = contract::uniqueName("notify");
    contract::Peer peer({"receive", name, dir + "/ready", dir + "/received"});
    ASSERT_TRUE(contract::waitForFile(dir + "/ready", 20000));

    // The 800-byte record: header, lengths and two CP932 texts with 0x5C
    // trail bytes.
    std::string r(800, '\0');
    const std::int32_t head[] = {88011, 800};
    const std::int32_t pid = contract::processId();
    const std::string t1 = platform::utf8ToCp932("ソ表示のﾃｽﾄ"), t2 = platform::utf8ToCp932("補足 ～①髙");
    const std::int32_t lengths[] = {static_cast<std::int32_t>(t1.size()), static_cast<std::int32_t>(t2.size())};
    std::memcpy(&r[0], head, sizeof head);
    std::memcpy(&r[32], &pid, 4);
    r.replace(36, 9, "uPVelmora");
    r.replace(69, 31, std::string(31, ' '));
    r.replace(100, 17, "20261208093000123");
    std::memcpy(&r[144], lengths, sizeof lengths);
    r.replace(152, t1.size(), t1);
    r.replace(408, t2.size(), t2);

    const int writer = ms::SlotOpen(name);
    ASSERT_GT(writer, 0);
    ASSERT_EQ(ms::SlotWrite(writer, 800, r.data()), 800);
    ms::HandleClose(writer);
    ASSERT_EQ(peer.wait(10000), 0);
    EXPECT_EQ(contract::readFile(dir + "/received"), r);
}

TEST(SlotContract, ABurstLargerThanTheReadersQueueArrivesWholeAndInOrderWhileTheReaderIsSlow)
{
    constexpr int kBurst = 60;
    const std::string dir = contract::scratchDir(), name = contract::uniqueName("burst");
    contract::Peer peer({"read-slowly", name, dir + "/ready", dir + "/sent", dir + "/codes", std::to_string(kBurst)});
    ASSERT_TRUE(contract::waitForFile(dir + "/ready", 20000));
    const int writer = ms::SlotOpen(name);
    ASSERT_GT(writer, 0);
    std::string expected;
    for (int i = 1; i <= kBurst; ++i) {
        const std::string r = record(1000 + i, 800);
        ASSERT_EQ(ms::SlotWrite(writer, 800, r.data()), 800) << "record " << i;
        expected += std::to_string(1000 + i) + "\n";
    }
    ms::HandleClose(writer);
    contract::writeFile(dir + "/sent", "ok");
    // What the reader's queue could not take yet goes out as it reads.
    EXPECT_EQ(ms::SlotDrain(20000), 0);
    ASSERT_EQ(peer.wait(20000), 0);
    EXPECT_EQ(contract::readFile(dir + "/codes"), expected);
}
