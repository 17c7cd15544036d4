// The start-up window's refusals, with the texts the operator reads.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QMessageBox>
#include <filesystem>

#include "gui/platform/appicon.h"
#include "app/form1.h"
#include "app/startup.h"
#include "model/config/env.h"
#include "core/instancelock.h"
#include "core/mailslot.h"
#include "model/recorder/recorder.h"
#include "fakes.h"
#include "test_support.h"

namespace {

class StartupTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        old_ = std::filesystem::current_path();
        std::filesystem::current_path(work_.path());
        oldRuntime_ = qgetenv("XDG_RUNTIME_DIR");
        qputenv("XDG_RUNTIME_DIR", QByteArray::fromStdString(locks_.path()));
    }
    void TearDown() override
    {
        qputenv("XDG_RUNTIME_DIR", oldRuntime_);
        std::filesystem::current_path(old_);
    }
    // Runs fn and answers the box it shows with OK; returns the box's text.
    QString answeredText(const std::function<void()>& fn)
    {
        QString text;
        testsupport::answerNextModal([&](QWidget* w) {
            if (auto* box = qobject_cast<QMessageBox*>(w)) {
                text = box->text();
                box->button(QMessageBox::Ok)->click();
            }
        });
        fn();
        return text;
    }
    testsupport::TempDir work_, locks_;
    std::filesystem::path old_;
    QByteArray oldRuntime_;
    testsupport::FakeExeName exeName_{"uPVelmora"};
    testsupport::FakeWindowSearch noRecorder_{false};
};

}  // namespace

TEST_F(StartupTest, RefusesWithoutItsConfigurationFile)
{
    bool loaded = true;
    const QString text = answeredText([&]() {
        Main main;
        loaded = main.Form_Load();
    });
    EXPECT_FALSE(loaded);
    EXPECT_EQ(text, "ｳﾞｪﾙﾓﾗ に必要な設定ﾌｧｲﾙがありません。");
    EXPECT_TRUE(std::filesystem::is_empty(work_.path()));
}

TEST_F(StartupTest, RefusesASecondInstanceOfTheSameExecutable)
{
    testsupport::writeFile(work_.file("uPVelmora.conf"), "[Section_Watch]\r\n");
    platform::InstanceLock running;
    ASSERT_TRUE(running.acquire(platform::runningExecutablePath()));
    bool loaded = true;
    const QString text = answeredText([&]() {
        Main main;
        loaded = main.Form_Load();
    });
    EXPECT_FALSE(loaded);
    EXPECT_EQ(text, "既に ｳﾞｪﾙﾓﾗ は Load されています。");
    running.release();

    // Once the first copy is gone the start goes on and takes the caption.
    Main main;
    EXPECT_TRUE(main.Form_Load());
    EXPECT_EQ(main.windowTitle(), "ｳﾞｪﾙﾓﾗ [uPVelmora]");
    EXPECT_FALSE(main.isVisible());
    EXPECT_TRUE(main.Timer1->isRunning());
}

TEST_F(StartupTest, OwnMailslotTakenShowsTheMessageAndShutsDown)
{
    const QString exe = QStringLiteral("vlslot%1").arg(::getpid());
    exeName_.set(exe.toStdString());
    testsupport::writeFile(work_.file(exe.toStdString() + ".conf"), "[Section_Watch]\r\n");
    const uFCom_Bas::EnvRecord env = uFCom_Bas::EnvInit("ｳﾞｪﾙﾓﾗ");
    const int taken = platform::mailslot::SlotCreate(exe.toStdString(), 0);
    ASSERT_GE(taken, 0);
    int ended = 0;
    testsupport::FakeProcessEnd processEnd([&](int) { ++ended; });
    Form1 form(env);
    bool loaded = true;
    const QString text = answeredText([&]() { loaded = form.Form_Load("ｳﾞｪﾙﾓﾗ [" + exe + "]", uFCom_Bas::programIcon()); });
    EXPECT_FALSE(loaded);
    EXPECT_EQ(text, "【ｳﾞｪﾙﾓﾗ [" + exe + "]】 が準備できません。終了します。");
    EXPECT_EQ(ended, 1);
    platform::mailslot::HandleClose(taken);
}
