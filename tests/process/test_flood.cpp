// The close command on the program's own mailslot while the slot is flooded,
// and the slot reader that throws away everything but records.
#include <gtest/gtest.h>

#include <iostream>

#include <QElapsedTimer>
#include <QProcess>
#include <QThread>
#include <csignal>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include "core/mailslot.h"
#include "program_run.h"
#include "model/recorder/recorder.h"
#include "slot_isolation.h"
#include "test_support.h"

using namespace proctest;
namespace ms = platform::mailslot;

namespace {

class FloodTest : public ProgramTest {
protected:
    FloodTest() : ProgramTest(true) {}
    void SetUp() override
    {
        ProgramTest::SetUp();
        if (IsSkipped()) return;
        if (::geteuid() != 0) GTEST_SKIP() << "needs root to flood as user nobody";
        copyStarterConf(work_.path());
    }
    void TearDown() override { stopFlood(); }
    // A child that floods the program's slot; false when it could not start.
    bool startFlood(const QByteArray& datagram, bool asNobody)
    {
        // Another user cannot reach the slot by its name: the socket is
        // opened for it, and it sends as itself.
        const int connected = testsupport::rawSlotConnect("uPVelmora");
        if (connected < 0) return false;
        int started[2];
        if (::pipe(started) != 0) return false;
        flooder_ = ::fork();
        if (flooder_ == 0) {
            if (asNobody && (::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(3);
            // Running once the first datagram is out.
            while (::send(connected, datagram.constData(), static_cast<size_t>(datagram.size()), 0) < 0) {
            }
            const char one = 1;
            if (::write(started[1], &one, 1) != 1) ::_exit(4);
            testsupport::rawSlotFlood(connected, datagram);
        }
        ::close(connected);
        ::close(started[1]);
        char got = 0;
        const bool running = ::read(started[0], &got, 1) == 1;
        ::close(started[0]);
        return flooder_ > 0 && running;
    }
    void stopFlood()
    {
        if (flooder_ > 0 && ::kill(flooder_, SIGKILL) == 0) ::waitpid(flooder_, nullptr, 0);
        flooder_ = -1;
    }

private:
    pid_t flooder_ = -1;
};

}  // namespace

// Another user's flood (of close commands, which must not count): the
// owner's close command, sent by a sender that waits while the queue is
// full, ends the program.  (A same-user flood from a process that sends as
// fast as it can is a race of speeds with the program's drain that a loaded
// machine can lose; it is not asserted here.)
TEST_F(FloodTest, CloseCommandGetsThroughAFlood)
{
    struct Case {
        const char* what;
        bool asNobody;
        QByteArray datagram;
        bool throughSlotsend;
        int limitMs;  // from the start of the send to the end of the program
    };
    const Case cases[] = {
        {"another user's close commands", true, uFCom_Bas::closeCommand(), false, 1000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto velmora = startVelmora();
        ASSERT_TRUE(startFlood(c.datagram, c.asNobody)) << "the flood did not start";
        ASSERT_TRUE(velmora->running()) << "the flood itself ended the program";
        QElapsedTimer clock;
        clock.start();
        if (c.throughSlotsend) {
            QProcess sender;
            sender.start(binDir() + "/slotsend", {"uPVelmora"});
            ASSERT_TRUE(sender.waitForFinished(5000));
            EXPECT_EQ(sender.exitCode(), 0) << sender.readAllStandardError().toStdString();
        } else {
            const int h = ms::SlotOpen("uPVelmora");
            const QByteArray close = uFCom_Bas::closeCommand();
            EXPECT_EQ(ms::SlotWriteWaiting(h, static_cast<int>(close.size()), close.constData(), c.limitMs),
                      close.size());
            ms::HandleClose(h);
        }
        ASSERT_TRUE(velmora->waitEnd(c.limitMs + 2000));
        RecordProperty(c.asNobody ? "foreign_flood_close_ms" : "same_user_flood_close_ms",
                       static_cast<int>(clock.elapsed()));
        EXPECT_LT(clock.elapsed(), c.limitMs);
        EXPECT_EQ(velmora->exitCode(), 0);
        stopFlood();
    }
}

// What the reader throws away on the way to the next record, and how it
// tells an empty queue from one it has not finished with.
TEST(SlotTakeRecord, DropsWhatIsNotARecord)
{
    const std::string name = "take-" + std::to_string(::getpid());
    const int slot = ms::SlotCreate(name, 0);
    ASSERT_GE(slot, 0);
    const QByteArray record = uFCom_Bas::buildRawRecord(777, 8);
    for (const QByteArray& d : {QByteArray(), QByteArray(3, 'x'), QByteArray(4033, 'y'), QByteArray(70000, 'z'),
                                record, QByteArray(2, 'x')})
        ASSERT_TRUE(testsupport::rawSlotSend(name, d)) << d.size();
    char buf[ms::kMaxMessage];
    EXPECT_EQ(ms::SlotTakeRecord(slot, sizeof buf, buf, 3), ms::kTakeDropped);
    ASSERT_EQ(ms::SlotTakeRecord(slot, sizeof buf, buf), record.size());
    EXPECT_EQ(QByteArray(buf, record.size()), record);
    EXPECT_EQ(ms::SlotTakeRecord(slot, sizeof buf, buf), ms::kReadNothing) << "the short one after it goes too";
    ms::HandleClose(slot);
}
