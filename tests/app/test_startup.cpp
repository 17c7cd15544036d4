// The start-up window's refusals, with the texts the operator reads.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QMessageBox>
#include <filesystem>

#include "gui/headline/headline.h"
#include "gui/platform/appicon.h"
#include "app/form1.h"
#include "app/startup.h"
#include "model/config/env.h"
#include "core/instancelock.h"
#include "core/mailslot.h"
#include "model/recorder/recorder.h"
#include "fakes.h"
#include "gui/platform/timer.h"
#include "model/platform/text.h"
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

// What the load dropped or could not place is said once the start's own
// lines are done, each line for its three seconds in its colour, and kept in
// the history; the recorder has the count right after the load line.
TEST_F(StartupTest, TheLoadsOutcomeIsShownWhenTheStartsLinesAreDone)
{
    QString text = "[Section_Cycle]\r\n";
    int n = 0;
    for (const char* past : {"2020/01/06-08:30,朝礼,,", "2020/01/06-09:00,a,b,"})
        text += QStringLiteral("CycleItem_%1=%2\r\n").arg(n++, 3, 10, QChar('0')).arg(past);
    // 98 entries to come and three rules: the third waits for room.
    for (int i = 0; i < 98; ++i)
        text += QStringLiteral("CycleItem_%1=2099/01/01-%2:%3,m,\r\n")
                    .arg(n++, 3, 10, QChar('0'))
                    .arg(i / 60, 2, 10, QChar('0'))
                    .arg(i % 60, 2, 10, QChar('0'));
    text += "[Section_Repeat]\r\nRepeatItems=3\r\nRepeatItem_000=毎日,10:30,r,,\r\nRepeatItem_001=毎日,10:31,r,,\r\n"
            "RepeatItem_002=毎日,10:32,r,,\r\n";
    testsupport::writeFile(work_.file("uPVelmora.conf"), uFCom_Bas::toAnsi(text).toStdString());
    testsupport::FakeProcessEnd processEnd;
    Main main;
    ASSERT_TRUE(main.Form_Load());
    main.Timer1->fire();
    Form1* form = main.form1();
    ASSERT_NE(form, nullptr);
    QLabel* label = form->Head_Label[1];
    const uFHLabel_Bas::HeadLine* head = uFHLabel_Bas::HeadLine::of(form);
    ASSERT_NE(head, nullptr);
    auto shown = [&]() { return head->shownLine().mid(head->shownLine().indexOf(']') + 1); };
    auto colour = [&]() { return label->palette().color(QPalette::Window); };

    struct Step {
        QString line;
        QColor colour;  // invalid: the label's own
    } steps[] = {
        {"[ｳﾞｪﾙﾓﾗ]準備終了しました。", QColor()},
        {"[ｳﾞｪﾙﾓﾗ]起動前に経過したｶﾞｲﾄﾞ部ﾒｯｾｰｼﾞ 2 件を削除しました。", QColor(255, 128, 128)},
        {"[ｳﾞｪﾙﾓﾗ]ｶﾞｲﾄﾞ部ﾒｯｾｰｼﾞに登録できません。最大登録数[100]を超えます。", QColor(255, 255, 128)},
        {"", QColor()},
    };
    const QColor designed = colour();
    for (const Step& s : steps) {
        SCOPED_TRACE(s.line.toStdString());
        EXPECT_EQ(shown(), s.line);
        if (s.colour.isValid()) {
            EXPECT_EQ(colour(), s.colour);
        }
        // Each stays for its three seconds.
        if (!s.line.isEmpty()) {
            EXPECT_TRUE(form->HeadMsgTimer->isRunning());
            EXPECT_EQ(form->HeadMsgTimer->Interval(), 3000);
        }
        form->HeadMsgTimer->fire();
    }
    EXPECT_EQ(colour(), designed);
    QStringList history;
    for (int i = 1; i < form->Head_Combo->count(); ++i) {
        const QString t = form->Head_Combo->itemText(i);
        history << t.mid(t.indexOf(']') + 1);
    }
    EXPECT_EQ(history.mid(0, 4), (QStringList{steps[2].line, steps[1].line, steps[0].line,
                                              "[ｳﾞｪﾙﾓﾗ]ｶﾞｲﾄﾞ部監視を開始しました。"}));
    form->Form_Unload();
    EXPECT_EQ(processEnd.ends(), 1);
}
