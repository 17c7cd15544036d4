// Whole-program runs with the stand-in recorder: what the program forwards,
// and who may close it through its mailslot.
#include <gtest/gtest.h>

#include <grp.h>
#include <sys/socket.h>

#include <QFile>
#include <QRandomGenerator>
#include <QThread>
#include <csignal>
#include <filesystem>
#include <sys/wait.h>
#include <unistd.h>

#include "core/mailslot.h"
#include "core/windowsearch.h"
#include "program_run.h"
#include "model/recorder/recorder.h"
#include "slot_isolation.h"
#include "test_support.h"
#include "xkeys.h"

using namespace proctest;

namespace {

const std::string kMainCaption = "ｳﾞｪﾙﾓﾗ [uPVelmora]";
const std::string kRecorderCaption = "ｺｰｳﾞｪｲﾝ [uPCorvane]";

QStringList logLines(const std::string& path)
{
    QFile f(QString::fromStdString(path));
    if (!f.open(QIODevice::ReadOnly)) return {};
    QStringList lines = QString::fromUtf8(f.readAll()).split('\n', Qt::SkipEmptyParts);
    return lines;
}

bool sendClose(const std::string& slot)
{
    return testsupport::rawSlotSend(slot, uFCom_Bas::closeCommand());
}

class RecorderLinkTest : public ProgramTest {
protected:
    RecorderLinkTest() : ProgramTest(true) {}
    void SetUp() override
    {
        ProgramTest::SetUp();
        if (IsSkipped()) return;
        copyStarterConf(work_.path());
    }
};

}  // namespace

TEST_F(RecorderLinkTest, LoadAndUnloadLinesReachTheRecorder)
{
    const std::string log = work_.file("recorder.log");
    ProgramRun recorder(binDir() + "/uPCorvane", workDir(), {QString::fromStdString(log)}, lockDir());
    ASSERT_NE(waitForWindow(kRecorderCaption, 15000), 0u) << recorder.stderrText().toStdString();

    auto velmora = startVelmora();
    ASSERT_TRUE(testsupport::waitUntil([&]() { return logLines(log).size() >= 1; }, 5000));
    QStringList lines = logLines(log);
    QStringList f = lines[0].split('\t');
    ASSERT_GE(f.size(), 6);
    EXPECT_EQ(f[0].size(), 17);
    EXPECT_EQ(f[1], "88011");
    EXPECT_EQ(f[2], "800");
    EXPECT_EQ(f[3], "uPVelmora");
    EXPECT_EQ(f[4], "[ｳﾞｪﾙﾓﾗ]を Load しました。");
    EXPECT_EQ(f[5], "");

    // The close command through the command-line sender.
    QProcess sender;
    sender.start(binDir() + "/slotsend", {"uPVelmora"});
    ASSERT_TRUE(sender.waitForFinished(5000));
    EXPECT_EQ(sender.exitCode(), 0) << sender.readAllStandardError().toStdString();
    ASSERT_TRUE(velmora->waitEnd(3000));
    EXPECT_EQ(velmora->exitCode(), 0);
    ASSERT_TRUE(testsupport::waitUntil([&]() { return logLines(log).size() >= 2; }, 3000));
    // Nothing between Load and UnLoad: "準備終了しました。" is shown only.
    lines = logLines(log);
    ASSERT_EQ(lines.size(), 2) << lines.join("\n").toStdString();
    f = lines[1].split('\t');
    ASSERT_GE(f.size(), 6);
    EXPECT_EQ(f[3], "uPVelmora");
    EXPECT_EQ(f[4], "[ｳﾞｪﾙﾓﾗ]を UnLoad しました。");

    EXPECT_TRUE(sendClose("uPCorvane"));
    EXPECT_TRUE(recorder.waitEnd(3000));
}

TEST_F(RecorderLinkTest, WithoutTheRecorderNothingIsSentAndAllStillWorks)
{
    // A slot of the recorder's name but no recorder window: nothing may
    // arrive there, since the program looks for the window first.
    const int slot = platform::mailslot::SlotCreate("uPCorvane", 0);
    ASSERT_GE(slot, 0);
    auto velmora = startVelmora();
    ASSERT_TRUE(sendClose("uPVelmora"));
    ASSERT_TRUE(velmora->waitEnd(3000));
    EXPECT_EQ(velmora->exitCode(), 0);
    char buf[4032];
    EXPECT_EQ(platform::mailslot::SlotRead(slot, sizeof buf, buf), platform::mailslot::kReadNothing);
    platform::mailslot::HandleClose(slot);
}

// Another user cannot reach the program's slot by its name (the folder is
// closed to it), and a close command it sends through a socket opened for
// it is dropped by the slot.
TEST_F(RecorderLinkTest, CloseCommandFromAnotherUserIsIgnored)
{
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to send as user nobody";
    auto velmora = startVelmora();
    struct Case {
        const char* what;
        bool openedForIt;
        int expected;  // the child's status: 0 sent, 5 the slot was out of reach
    } cases[] = {{"by the slot's name", false, 5}, {"through a socket opened for it", true, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const int opened = c.openedForIt ? testsupport::rawSlotConnect("uPVelmora") : -1;
        const pid_t child = ::fork();
        if (child == 0) {
            if (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0) ::_exit(3);
            const QByteArray close = uFCom_Bas::closeCommand();
            if (opened >= 0) ::_exit(::send(opened, close.constData(), close.size(), 0) == close.size() ? 0 : 4);
            ::_exit(testsupport::rawSlotSend("uPVelmora", close) ? 0 : 5);
        }
        if (opened >= 0) ::close(opened);
        int status = 0;
        ::waitpid(child, &status, 0);
        ASSERT_TRUE(WIFEXITED(status));
        if (WEXITSTATUS(status) == 3) GTEST_SKIP() << "cannot drop to user nobody here";
        ASSERT_EQ(WEXITSTATUS(status), c.expected);
    }
    // Whatever arrived was taken and dropped: once the slot is empty, the
    // program still handles keys (an accepted close command would have ended
    // it in the very step that took it).
    ASSERT_TRUE(slotDrained(testsupport::slotSocketPath("uPVelmora")));
    EXPECT_TRUE(keysHandled(waitForWindow(kMainCaption, 5000, true))) << "a close command of another user ended the program";
    ASSERT_TRUE(sendClose("uPVelmora"));
    EXPECT_TRUE(velmora->waitEnd(3000));
    EXPECT_EQ(velmora->exitCode(), 0);
}

TEST_F(RecorderLinkTest, RandomDatagramsDoNotStopTheCloseCommand)
{
    auto velmora = startVelmora();
    QRandomGenerator rng(20261207);
    int sent = 0;
    for (int i = 0; i < 200; ++i) {
        const int size = i < 3 ? (i == 0 ? 0 : (i == 1 ? 70000 : 4033)) : static_cast<int>(rng.bounded(70001));
        QByteArray bytes(size, '\0');
        for (int j = 0; j < size; ++j) bytes[j] = static_cast<char>(rng.bounded(256));
        if (size >= 4) {
            const qint32 notClose = 12345;
            std::memcpy(bytes.data(), &notClose, sizeof notClose);
        }
        // The slot's queue is short: a datagram that does not fit is sent
        // again once the program has made room.
        if (testsupport::waitUntil([&]() { return testsupport::rawSlotSend("uPVelmora", bytes); }, 5000)) ++sent;
    }
    EXPECT_EQ(sent, 200);
    EXPECT_TRUE(velmora->running());
    // The close command queues behind whatever is left and still works.
    ASSERT_TRUE(testsupport::waitUntil([&]() { return sendClose("uPVelmora"); }, 5000));
    ASSERT_TRUE(velmora->waitEnd(5000));
    EXPECT_EQ(velmora->exitCode(), 0);
}

TEST_F(RecorderLinkTest, SecondCopyFromAnotherFolderCannotTakeTheSlot)
{
    auto first = startVelmora();
    // The same executable name at another path passes the instance test but
    // finds its mailslot taken.
    testsupport::TempDir otherBin, otherWork;
    const std::string copy = otherBin.file("uPVelmora");
    std::filesystem::copy_file(velmoraExe().toStdString(), copy);
    std::filesystem::copy_file(work_.file("uPVelmora.conf"), otherWork.file("uPVelmora.conf"));
    ProgramRun second(QString::fromStdString(copy), QString::fromStdString(otherWork.path()), {}, lockDir());
    const unsigned long box = waitForWindow("uPVelmora", 15000, true);
    ASSERT_NE(box, 0u) << second.stderrText().toStdString();
    ASSERT_TRUE(testsupport::sendKeyToWindow(box, "Return"));
    ASSERT_TRUE(second.waitEnd(5000));
    // A refusal of the slot: status 1 and one line saying why.
    EXPECT_EQ(second.exitCode(), 1);
    EXPECT_TRUE(second.stderrText().contains("is the mailslot of a program that runs"));
    EXPECT_TRUE(first->running());
    EXPECT_TRUE(platform::windowExists(kMainCaption));
    ASSERT_TRUE(sendClose("uPVelmora"));
    EXPECT_TRUE(first->waitEnd(3000));
}
