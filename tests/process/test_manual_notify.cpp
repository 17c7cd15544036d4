// CV手動通知 of the running program, typed and pressed with the keyboard,
// as the stand-in recorder receives it.
#include <gtest/gtest.h>

#include <QFile>
#include <QThread>

#include "gui/platform/ufcom.h"
#include "program_run.h"
#include "model/recorder/recorder.h"
#include "slot_isolation.h"
#include "test_support.h"
#include "xkeys.h"

using namespace proctest;

namespace {

class ManualNotifyRunTest : public ProgramTest {
protected:
    ManualNotifyRunTest() : ProgramTest(true) {}
};

}  // namespace

TEST_F(ManualNotifyRunTest, TypedMessageReachesTheRecorderFramedByTheMarkers)
{
    copyStarterConf(work_.path());
    const std::string log = work_.file("recorder.log");
    ProgramRun recorder(binDir() + "/uPCorvane", workDir(), {QString::fromStdString(log)}, lockDir());
    ASSERT_NE(waitForWindow("ｺｰｳﾞｪｲﾝ [uPCorvane]", 15000), 0u);
    auto run = startVelmora();
    const unsigned long window = waitForWindow("ｳﾞｪﾙﾓﾗ [uPVelmora]", 10000, true);
    ASSERT_NE(window, 0u);
    auto texts = [&]() {
        QFile f(QString::fromStdString(log));
        QStringList out;
        if (!f.open(QIODevice::ReadOnly)) return out;
        for (const QString& line : QString::fromUtf8(f.readAll()).split('\n', Qt::SkipEmptyParts))
            out << line.section('\t', 4, 5);
        return out;
    };
    auto press = [&](const std::vector<std::string>& keys) {
        for (const std::string& k : keys) testsupport::sendKeyToWindow(window, k);
    };
    // From the hidden box: Tab Tab to 固定ﾒｯｾｰｼﾞ, "a,b", four Tabs to CV手動通知.
    press({"Tab", "Tab", "a", "comma", "b", "Tab", "Tab", "Tab", "Tab", "space"});
    ASSERT_TRUE(testsupport::waitUntil([&]() { return texts().size() >= 4; }, 3000));
    const QString head = "[ｳﾞｪﾙﾓﾗ]";
    EXPECT_EQ(texts().mid(1), (QStringList{head + QString(37, '-') + ">>強制通知\t", "a\t",
                                           head + QString(37, '-') + "<<強制通知\t"}));
    // 65 characters: nothing at all.
    std::vector<std::string> keys{"Tab", "Tab"};
    for (int i = 0; i < 65; ++i) keys.push_back("x");
    for (const char* k : {"Tab", "Tab", "Tab", "Tab", "space"}) keys.push_back(k);
    press(keys);
    ASSERT_TRUE(keysHandled(window));
    EXPECT_EQ(texts().size(), 4);
    ASSERT_TRUE(sendCloseCommand({}, 3000));
    EXPECT_TRUE(run->waitEnd(3000));
    testsupport::rawSlotSend("uPCorvane", uFCom_Bas::closeCommand());
    recorder.waitEnd(3000);
}
