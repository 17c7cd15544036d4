// The guide monitor and its pop-up on the real main window, on the test's
// clock: the countdown, the due check, what reaches the recorder, and the
// pop-up's place, confirmation and screen-reader announcement.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QElapsedTimer>
#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <optional>
#include <sys/stat.h>

#include "app/form1.h"
#include "gui/dialogs/msgadjust.h"
#include "gui/monitor/guidemsg.h"
#include "gui/monitor/monitor.h"
#include "core/mailslot.h"
#include "gui/platform/ufcom.h"
#include "model/recorder/recorder.h"
#include "form_fixture.h"
#include "slot_isolation.h"
#include "test_support.h"

namespace {

const QString kWatching = QStringLiteral("ｶﾞｲﾄﾞ部定周期監視中です。");

QString counting(const char* padded)
{
    return kWatching + "\r\n次の監視まで 約[" + padded + "]秒です。";
}

std::vector<QAccessible::Event> g_events;

class MonitorTest : public testsupport::MainWindowTest {
protected:
    MonitorTest() : MainWindowTest("vlmonitor"), clock_(QDateTime(QDate(2026, 12, 8), QTime(10, 15, 25, 300))) {}
    void TearDown() override
    {
        if (slot_ >= 0) platform::mailslot::HandleClose(slot_);
        MainWindowTest::TearDown();
    }
    // Loads the window over these guide entries; the monitor starts with it.
    void load(const QStringList& guide, int autoConfirm = 1)
    {
        QString text = QStringLiteral("[Section_Watch]\r\nWatch_Timer=1,60,%1,0,\r\n[Section_Cycle]\r\nCycleItems=%2\r\n")
                           .arg(autoConfirm)
                           .arg(guide.size());
        for (int i = 0; i < guide.size(); ++i) text += QStringLiteral("CycleItem_%1=%2\r\n").arg(i, 3, 10, QChar('0')).arg(guide[i]);
        ASSERT_TRUE(loadWindow(uFCom_Bas::toAnsi(text).toStdString()));
        bell_.emplace();
        ASSERT_FALSE(form_->Command4[0]->isEnabled());  // running
    }
    // A recorder's slot and window, so due entries are forwarded.
    bool withRecorder()
    {
        if (!testsupport::slotsIsolated()) return false;
        slot_ = platform::mailslot::SlotCreate("uPCorvane", 0);
        recorderWindow_.emplace(true);
        return slot_ >= 0;
    }
    // text1|text2 of every record received so far.
    QStringList records()
    {
        QStringList out;
        char buf[platform::mailslot::kMaxMessage];
        int n;
        while ((n = platform::mailslot::SlotRead(slot_, sizeof buf, buf)) > 0) {
            const auto r = uFCom_Bas::decodeNotifyRecord(QByteArray(buf, n));
            out << uFCom_Bas::fromAnsi(r.text1) + "|" + uFCom_Bas::fromAnsi(r.text2);
        }
        return out;
    }
    // One countdown tick, then a second passes.
    void tick()
    {
        form_->Timer1->fire();
        if (!form_->Timer2->isRunning()) clock_.advance(1000);
    }
    // Countdown ticks one wall-clock second apart until the due check is
    // armed, then the check; a second later the next cycle's tick is due.
    void runToCheck()
    {
        for (int i = 0; i < 4000 && !form_->Timer2->isRunning(); ++i) tick();
        ASSERT_TRUE(form_->Timer2->isRunning());
        form_->Timer2->fire();
        clock_.advance(1000);
    }
    QString label5() const { return form_->Label5->text(); }
    // An entry put into the schedule as registering does (the list shows it).
    void addGuideEntry(const QString& text)
    {
        form_->conf().schedule().add(uFMsg::GuideEntry(text), std::nullopt, uFMsg::DueMinute::current());
    }

    testsupport::FakeClock clock_;
    int slot_ = -1;
    std::optional<testsupport::FakeWindowSearch> recorderWindow_;
    std::optional<testsupport::CountingBell> bell_;
};

}  // namespace

TEST_F(MonitorTest, CountdownEndsOnTheWallClockSecond)
{
    struct Case {
        int interval;
        const char* first;  // the countdown shown at the start
        QTime check;        // when the due check runs
        const char* next;   // the countdown of the next cycle
    } cases[] = {
        {60, "   35", QTime(10, 16, 0), "   59"},    // second 00 of the next minute
        {120, "   95", QTime(10, 17, 0), "  119"},
        {90, "   65", QTime(10, 16, 30), "   59"},   // settles at second 30
        {30, "   30", QTime(10, 15, 55), "   30"},   // every 31 seconds
        {0, "    0", QTime(10, 15, 26), "    0"},    // every two seconds
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.interval);
        clock_.set(QDateTime(QDate(2026, 12, 8), QTime(10, 15, 25, 300)));
        load({});
        form_->conf().watch().WatchSeconds = c.interval;
        form_->Timer1->fire();
        EXPECT_EQ(label5(), counting(c.first));
        // The next tick comes just after the next full second, not 1000 ms on.
        EXPECT_NEAR(form_->Timer1->remainingMs(), 705, 6);
        QString last = label5();
        while (!form_->Timer2->isRunning()) {
            last = label5();
            clock_.advance(1000);
            form_->Timer1->fire();
        }
        EXPECT_EQ(clock_.reading().time().addMSecs(-300), c.check);
        EXPECT_EQ(last, counting(c.interval ? "    1" : "    0"));
        form_->Timer2->fire();
        EXPECT_EQ(label5(), kWatching);
        clock_.advance(1000);
        form_->Timer1->fire();
        EXPECT_EQ(label5(), counting(c.next));
        deleteWindow();
    }
}

TEST_F(MonitorTest, StopCancelsAnArmedCheckAndStartCountsAfresh)
{
    load({"2026/12/08-10:16,a,"});
    EXPECT_EQ(lines().back(), "[ｳﾞｪﾙﾓﾗ]ｶﾞｲﾄﾞ部監視を開始しました。");
    // Counted down to the check, which is armed but has not run.
    for (int i = 0; i < 100 && !form_->Timer2->isRunning(); ++i) tick();
    ASSERT_TRUE(form_->Timer2->isRunning());
    EXPECT_EQ(form_->monitor()->countdown(), 1);
    form_->monitor()->MonitorStop();
    EXPECT_FALSE(form_->Timer2->isRunning());
    EXPECT_FALSE(form_->Timer1->isRunning());
    EXPECT_EQ(label5(), "ｶﾞｲﾄﾞ部定周期監視は停止中です。");
    EXPECT_EQ(lines(), QStringList{"[ｳﾞｪﾙﾓﾗ]ｶﾞｲﾄﾞ部監視を停止しました。"});
    EXPECT_EQ(form_->List2->count(), 1);
    // Due while stopped: shown by the first check after the next start.
    form_->monitor()->MonitorStart();
    runToCheck();
    EXPECT_EQ(form_->List2->count(), 0);
    ASSERT_NE(form_->guidePopup(), nullptr);
}

TEST_F(MonitorTest, TheCheckWaitsForSecondZeroAfterTheClockIsSetBackALittle)
{
    load({});
    while (clock_.reading().time() < QTime(10, 15, 59)) tick();
    form_->Timer1->fire();  // 10:15:59: the last count
    clock_.set(QDateTime(QDate(2026, 12, 8), QTime(10, 15, 59, 980)));
    form_->Timer1->fire();
    EXPECT_FALSE(form_->Timer2->isRunning());
    EXPECT_NEAR(form_->Timer1->remainingMs(), 25, 6);
    clock_.set(QDateTime(QDate(2026, 12, 8), QTime(10, 16, 0, 5)));
    form_->Timer1->fire();
    EXPECT_TRUE(form_->Timer2->isRunning());
}

TEST_F(MonitorTest, SettingsControlsSaveOnlyChanges)
{
    load({});
    const std::string before = testsupport::readFile(conf());
    // The interval is fixed while the monitor runs.
    EXPECT_FALSE(form_->VScroll1->isEnabled());
    form_->Check1->setChecked(true);
    form_->monitor()->Check1_Click();
    EXPECT_EQ(testsupport::readFile(conf()), before);
    form_->Check1->setChecked(false);
    form_->monitor()->Check1_Click();
    EXPECT_EQ(uFCom_Bas::ProfileGet(confQ(), "Section_Watch", "Watch_Timer"), "0,60,1,0,");
    EXPECT_FALSE(form_->Command4[0]->isEnabled());  // still running
    form_->monitor()->MonitorStop();
    EXPECT_TRUE(form_->VScroll1->isEnabled());
    form_->VScroll1->setValue(90);
    EXPECT_EQ(form_->Label3->text(), "90");
    EXPECT_EQ(uFCom_Bas::ProfileGet(confQ(), "Section_Watch", "Watch_Timer"), "0,90,1,0,");
}

TEST_F(MonitorTest, AJumpOfTheClockChecksAtOnce)
{
    struct Case {
        const char* name;
        qint64 jumpMs;
        bool checksAtOnce;
    } cases[] = {
        {"resumed five minutes later", 5 * 60000, true},
        {"set back an hour", -3600000, true},
        {"a tick half a second late", 500, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        clock_.set(QDateTime(QDate(2026, 12, 8), QTime(10, 15, 25, 300)));
        load({"2026/12/08-10:18,overdue,"});
        form_->Timer1->fire();
        clock_.advance(1000);
        form_->Timer1->fire();
        clock_.advance(1000 + c.jumpMs);
        form_->Timer1->fire();
        EXPECT_EQ(form_->Timer2->isRunning(), c.checksAtOnce);
        if (c.jumpMs > 0 && c.checksAtOnce) {
            form_->Timer2->fire();
            ASSERT_NE(form_->guidePopup(), nullptr);
            EXPECT_EQ(form_->guidePopup()->Text1->toPlainText(), "2026/12/08-10:18\noverdue\n\n\n");
            // A new cycle, aligned afresh: 10:20:28 counts 32 to 10:21:00.
            clock_.advance(1000);
            form_->Timer1->fire();
            EXPECT_EQ(label5(), counting("   32"));
        }
        deleteWindow();
    }
}

TEST_F(MonitorTest, DueEntriesArePoppedUpForwardedAndRemoved)
{
    const QString longFixed(65, 'X'), longVar(65, 'y');
    load({"2026/12/08-10:16,A,a", "2026/12/08-10:16,B,", "2026/12/08-10:17,C,c", "2026/12/08-10:16," + longFixed + ",v",
          "2026/12/08-10:16,D," + longVar});
    const bool recorder = withRecorder();
    form_->List2->setCurrentRow(2);
    form_->Text3->setPlainText("details");
    runToCheck();

    // One pop-up, the entry found last first, one beep.
    GuideMsg_Dialog* popup = form_->guidePopup();
    ASSERT_NE(popup, nullptr);
    EXPECT_TRUE(popup->isVisible());
    EXPECT_EQ(popup->Text1->toPlainText(), "2026/12/08-10:16\n" + longFixed + "\nv\n\n" + "2026/12/08-10:16\nD\n" + longVar +
                                               "\n\n" + "2026/12/08-10:16\nB\n\n\n" + "2026/12/08-10:16\nA\na\n\n");
    EXPECT_EQ(bell_->rings(), 1);
    EXPECT_EQ(form_->List2->count(), 1);
    EXPECT_EQ(form_->List2->item(0)->text(), "2026/12/08-10:17,C,c");
    EXPECT_TRUE(form_->Text3->toPlainText().isEmpty());
    // List order to the recorder; an over-long fixed part is not sent, an
    // over-long variable part goes as empty.
    if (recorder) {
        EXPECT_EQ(records(), (QStringList{"A|a", "B|", "D|"}));
    }
    // The guide buttons wait for the next cycle.
    EXPECT_FALSE(form_->Command3[0]->isEnabled());
    tick();
    EXPECT_TRUE(form_->Command3[0]->isEnabled());

    // The next block replaces the text; the window stays where it is.
    const QPoint at = popup->pos();
    runToCheck();
    EXPECT_EQ(form_->guidePopup(), popup);
    EXPECT_EQ(popup->Text1->toPlainText(), "2026/12/08-10:17\nC\nc\n\n");
    EXPECT_EQ(popup->pos(), at);
    EXPECT_EQ(bell_->rings(), 2);
    if (recorder) {
        EXPECT_EQ(records(), QStringList{"C|c"});
    }

    // 自動確認 ticked: the next cycle with nothing due closes it.
    runToCheck();
    EXPECT_EQ(form_->guidePopup(), nullptr);
    EXPECT_EQ(form_->monitor()->popup(), nullptr);
    EXPECT_EQ(bell_->rings(), 2);
}

TEST_F(MonitorTest, AnEntryWithLineBreaksShowsAndForwardsThemAsCrLf)
{
    const QString us(QChar(0x1F));
    load({"2026/12/08-10:16,a" + us + "b,c" + us + "d,"});
    const bool recorder = withRecorder();
    ASSERT_EQ(form_->List2->count(), 1);
    EXPECT_EQ(form_->List2->item(0)->text(), "2026/12/08-10:16,a\r\nb,c\r\nd,");
    // The details box, the pop-up block and the record, each line on its own.
    clickRow(form_->List2, 0);
    EXPECT_EQ(uFCom_Bas::TextBoxText(form_->Text3), "2026/12/08-10:16\r\na\r\nb\r\nc\r\nd\r\n");
    runToCheck();
    ASSERT_NE(form_->guidePopup(), nullptr);
    EXPECT_EQ(uFCom_Bas::TextBoxText(form_->guidePopup()->Text1), "2026/12/08-10:16\r\na\r\nb\r\nc\r\nd\r\n\r\n");
    if (recorder) {
        EXPECT_EQ(records(), QStringList{"a\r\nb|c\r\nd"});
    }
}

TEST_F(MonitorTest, PopUpPlaceConfirmationAndAnnouncement)
{
    g_events.clear();
    // Events reach screen readers only while an accessibility bus listens:
    // the run of this test under with_a11y_bus.sh; off screen there is none.
    const bool a11yBus = qEnvironmentVariableIsSet("VELMORA_A11Y_BUS");
    if (a11yBus) {
        ASSERT_TRUE(testsupport::waitUntil([]() { return QAccessible::isActive(); }, 10000));
    }
    QAccessible::installUpdateHandler([](QAccessibleEvent* e) {
        if (e->object() && e->object()->objectName() == "GuideMsg_Dialog") g_events.push_back(e->type());
    });
    load({"2026/12/08-10:16,A,", "2026/12/08-10:17,B,", "2026/12/08-10:18,C,"}, 0);
    runToCheck();
    GuideMsg_Dialog* popup = form_->guidePopup();
    ASSERT_NE(popup, nullptr);
    // First opening: top of the screen, flush with the work area's right edge.
    EXPECT_EQ(popup->pos(), QPoint(1280 - popup->frameGeometry().width(), 0));
    EXPECT_EQ(popup->Label1->text(), "ｶﾞｲﾄﾞﾒｯｾｰｼﾞは自動で消滅しません。\r\n確認PBLを押下して下さい。");
    // Read by screen readers as an alert with the messages.
    QAccessibleInterface* a11y = QAccessible::queryAccessibleInterface(popup);
    ASSERT_NE(a11y, nullptr);
    EXPECT_EQ(a11y->role(), QAccessible::AlertMessage);
    EXPECT_EQ(a11y->text(QAccessible::Description), popup->Text1->toPlainText());
    if (a11yBus) {
        EXPECT_EQ(std::count(g_events.begin(), g_events.end(), QAccessible::Alert), 1);
    }

    // Not ticked: neither an empty cycle nor a stop closes it.
    form_->monitor()->MonitorStop();
    form_->monitor()->MonitorStart();
    EXPECT_EQ(form_->guidePopup(), popup);

    // Ticking saves at once, and the next due block announces again.
    QTest::mouseClick(popup->Check1, Qt::LeftButton);
    EXPECT_EQ(uFCom_Bas::ProfileGet(confQ(), "Section_Watch", "Watch_Timer"), "1,60,1,0,");
    EXPECT_EQ(popup->Label1->text(), "ｶﾞｲﾄﾞﾒｯｾｰｼﾞは自動で消滅いたします。\r\n(自動確認指定があります。)");
    runToCheck();
    if (a11yBus) {
        EXPECT_EQ(std::count(g_events.begin(), g_events.end(), QAccessible::Alert), 2);
    }
    // Ticked: a stop closes it.
    form_->monitor()->MonitorStop();
    EXPECT_EQ(form_->guidePopup(), nullptr);
    form_->monitor()->MonitorStart();

    // Reopened where it was closed; a left edge of 0 means no place stored.
    struct Place {
        QPoint closedAt, reopensAt;
    } places[] = {{{100, 50}, {100, 50}}, {{0, 0}, {1280 - popup->frameGeometry().width(), 0}}};
    int minute = 18;
    for (const Place& p : places) {
        addGuideEntry(QStringLiteral("2026/12/08-10:%1,again,").arg(++minute));
        runToCheck();
        ASSERT_NE(form_->guidePopup(), nullptr);
        form_->guidePopup()->move(p.closedAt);
        QTest::mouseClick(form_->guidePopup()->Command1, Qt::LeftButton);
        EXPECT_EQ(form_->monitor()->popupLeft(), p.closedAt.x() * 15);
        addGuideEntry(QStringLiteral("2026/12/08-10:%1,again,").arg(++minute));
        runToCheck();
        ASSERT_NE(form_->guidePopup(), nullptr);
        EXPECT_EQ(form_->guidePopup()->pos(), p.reopensAt);
        form_->guidePopup()->close();
    }
    QAccessible::installUpdateHandler(nullptr);
}

// The real bell with no sound server to play it: the due check does not
// wait for it, and the next check comes as usual.
// A screen reader's, a switch's or voice control's toggle of a check box
// does what a click does: the box, its hint and the file agree.
TEST_F(MonitorTest, AssistiveTechnologyTogglesTheCheckBoxesAsAClickDoes)
{
    load({"2026/12/08-10:16,A,"}, 0);
    runToCheck();
    GuideMsg_Dialog* popup = form_->guidePopup();
    ASSERT_NE(popup, nullptr);
    auto watch = [&]() { return uFCom_Bas::ProfileGet(confQ(), "Section_Watch", "Watch_Timer"); };
    auto toggle = [](QWidget* box) {
        QAccessibleInterface* a11y = QAccessible::queryAccessibleInterface(box);
        ASSERT_NE(a11y, nullptr);
        ASSERT_NE(a11y->actionInterface(), nullptr);
        ASSERT_TRUE(a11y->actionInterface()->actionNames().contains(QAccessibleActionInterface::toggleAction()));
        a11y->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
    };
    struct Step {
        QCheckBox* box;
        bool checked;
        const char* watch;  // Watch_Timer afterwards
        const char* hint;   // the pop-up's Label1 afterwards
    } steps[] = {
        {popup->Check1, true, "1,60,1,0,", "ｶﾞｲﾄﾞﾒｯｾｰｼﾞは自動で消滅いたします。\r\n(自動確認指定があります。)"},
        {popup->Check1, false, "1,60,0,0,", "ｶﾞｲﾄﾞﾒｯｾｰｼﾞは自動で消滅しません。\r\n確認PBLを押下して下さい。"},
        {form_->Check1, false, "0,60,0,0,", "ｶﾞｲﾄﾞﾒｯｾｰｼﾞは自動で消滅しません。\r\n確認PBLを押下して下さい。"},
        {form_->Check1, true, "1,60,0,0,", "ｶﾞｲﾄﾞﾒｯｾｰｼﾞは自動で消滅しません。\r\n確認PBLを押下して下さい。"},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.box->objectName().toStdString() + (s.checked ? " ticked" : " cleared"));
        toggle(s.box);
        EXPECT_EQ(s.box->isChecked(), s.checked);
        EXPECT_EQ(watch(), s.watch);
        EXPECT_EQ(popup->Label1->text(), s.hint);
    }
    // The pop-up's box, cleared by assistive technology, keeps it open.
    runToCheck();
    EXPECT_EQ(form_->guidePopup(), popup);
}

TEST_F(MonitorTest, NoSoundServerNeverHoldsUpTheDueCheck)
{
    qputenv("PULSE_SERVER", "unix:/nonexistent/velmora-test-sound");
    load({"2026/12/08-10:16,A,", "2026/12/08-10:17,B,"});
    bell_.reset();  // the system's bell
    for (const char* due : {"A", "B"}) {
        while (!form_->Timer2->isRunning()) tick();
        QElapsedTimer check;
        check.start();
        form_->Timer2->fire();
        EXPECT_LT(check.elapsed(), 200) << due;
        ASSERT_NE(form_->guidePopup(), nullptr);
        EXPECT_TRUE(form_->guidePopup()->Text1->toPlainText().contains(due));
        clock_.advance(1000);
    }
    qunsetenv("PULSE_SERVER");
}

// While 画面の位置調整 is open, only 適用's own failed save goes to the
// recorder; the failure of the pop-up's 自動確認 behind it is only shown.
TEST_F(MonitorTest, OnlyApplysFailedSaveIsForwardedWhileTheAdjustDialogIsOpen)
{
    if (!withRecorder()) GTEST_SKIP() << "needs a slot namespace of its own";
    load({"2026/12/08-10:16,A,"}, 0);
    runToCheck();
    GuideMsg_Dialog* popup = form_->guidePopup();
    ASSERT_NE(popup, nullptr);
    records();
    lines();
    auto failures = [this]() { return records().filter(QStringLiteral("File Access NG")).size(); };
    testsupport::answerNextModal([&](QWidget* w) {
        auto* d = qobject_cast<MsgAdjust_Dialog*>(w);
        ASSERT_NE(d, nullptr);
        ASSERT_EQ(::chmod(conf().c_str(), 0444), 0);
        popup->Check1->click();
        EXPECT_EQ(lines(), QStringList{"[ｳﾞｪﾙﾓﾗ]File Access NG 設定Fileに書込できません。"});
        EXPECT_EQ(failures(), 0);
        click(d->Command2);
        EXPECT_EQ(failures(), 1);
        ::chmod(conf().c_str(), 0644);
        click(d->Command1);
    });
    form_->menu_adjust->trigger();
}
