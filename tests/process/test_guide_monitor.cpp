// Whole-program runs of the guide monitor on a wall clock set by the test
// (libfaketime), with the stand-in recorder: what falls due is popped up and
// forwarded at its minute, a jump of the clock is caught up at once, and a
// registered entry survives SIGKILL.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QThread>
#include <csignal>
#include <sys/stat.h>

#include "core/windowsearch.h"
#include "gui/platform/ufcom.h"
#include "program_run.h"
#include "model/recorder/recorder.h"
#include "slot_isolation.h"
#include "test_support.h"
#include "xkeys.h"

using namespace proctest;

namespace {

const std::string kMain = "ｳﾞｪﾙﾓﾗ [uPVelmora]";
const std::string kPopUp = "ｶﾞｲﾄﾞﾒｯｾｰｼﾞ";

class GuideRunTest : public ProgramTest {
protected:
    GuideRunTest() : ProgramTest(true) {}
    void SetUp() override
    {
        ProgramTest::SetUp();
        if (IsSkipped()) return;
        clockFile_ = work_.file("clock");
        if (fakeClockEnv(clockFile_).isEmpty())
            GTEST_SKIP() << "needs libfaketime (missing, or the sanitizer build, where it cannot start)";
    }
    // The configuration file: automatic confirmation and guide entries.
    void writeConf(int autoConfirm, const QStringList& guide, const QStringList& repeats = {}) const
    {
        QString text = QStringLiteral("[Section_Watch]\r\nWatch_Timer=1,60,%1,0,\r\n[Section_Entry]\r\nEntryItems=1\r\n"
                                      "EntryItem_000=朝礼,\r\n[Section_Cycle]\r\nCycleItems=%2\r\n")
                           .arg(autoConfirm)
                           .arg(guide.size());
        for (int i = 0; i < guide.size(); ++i) text += QStringLiteral("CycleItem_%1=%2\r\n").arg(i, 3, 10, QChar('0')).arg(guide[i]);
        if (!repeats.isEmpty()) text += QStringLiteral("[Section_Repeat]\r\nRepeatItems=%1\r\n").arg(repeats.size());
        for (int i = 0; i < repeats.size(); ++i) text += QStringLiteral("RepeatItem_%1=%2\r\n").arg(i, 3, 10, QChar('0')).arg(repeats[i]);
        testsupport::writeFile(conf(), uFCom_Bas::toAnsi(text).toStdString());
    }
    std::string conf() const { return work_.file("uPVelmora.conf"); }
    QString get(const char* section, const char* key) const
    {
        return uFCom_Bas::ProfileGet(QString::fromStdString(conf()), section, key);
    }
    // Sets the program's wall clock (it runs on from there).
    void setClock(const char* time, const char* day = "2026-12-08") const
    {
        testsupport::writeFile(clockFile_, std::string("@") + day + " " + time + "\n");
    }
    std::unique_ptr<ProgramRun> startAt(const char* time, unsigned long* window = nullptr, const char* day = "2026-12-08")
    {
        setClock(time, day);
        return startVelmora(window, fakeClockEnv(clockFile_) + extraEnv_);
    }
    // The recorder's log, a line each (stamp, ..., text1, text2).
    QStringList logLines() const
    {
        QFile f(QString::fromStdString(log_));
        if (!f.open(QIODevice::ReadOnly)) return {};
        return QString::fromUtf8(f.readAll()).split('\n', Qt::SkipEmptyParts);
    }
    void startRecorder()
    {
        log_ = work_.file("recorder.log");
        recorder_ = std::make_unique<ProgramRun>(binDir() + "/uPCorvane", workDir(), QStringList{QString::fromStdString(log_)},
                                                 lockDir());
        ASSERT_NE(waitForWindow("ｺｰｳﾞｪｲﾝ [uPCorvane]", 15000), 0u)
            << recorder_->running() << " " << recorder_->stderrText().toStdString();
    }
    // The forwarded records after the load line: stamp|text1|text2.
    QStringList records() const
    {
        QFile f(QString::fromStdString(log_));
        if (!f.open(QIODevice::ReadOnly)) return {};
        QStringList out;
        for (const QString& line : QString::fromUtf8(f.readAll()).split('\n', Qt::SkipEmptyParts)) {
            const QStringList p = line.split('\t');
            if (p.size() >= 6 && !p[4].endsWith("を Load しました。")) out << p[0] + "|" + p[4] + "|" + p[5];
        }
        return out;
    }
    bool waitRecords(int n, int ms) const
    {
        return testsupport::waitUntil([&]() { return records().size() >= n; }, ms);
    }
    static bool sendClose()
    {
        return sendCloseCommand();
    }
    void TearDown() override
    {
        if (recorder_) {
            testsupport::rawSlotSend("uPCorvane", uFCom_Bas::closeCommand());
            recorder_->waitEnd(3000);
        }
    }

    std::string clockFile_, log_;
    std::unique_ptr<ProgramRun> recorder_;
    // Added to the program's environment.
    QStringList extraEnv_;
};

}  // namespace

TEST_F(GuideRunTest, EntriesDueTogetherPopUpOnceAndReachTheRecorderInListOrder)
{
    writeConf(1, {"2026/12/08-10:16,朝礼を開始します。,会議室A,", "2026/12/08-10:16,昼休みです。,,", "2026/12/08-10:30,later,,"});
    startRecorder();
    auto run = startAt("10:15:56");
    ASSERT_NE(waitForWindow(kPopUp, 10000, true), 0u) << run->stderrText().toStdString();
    ASSERT_TRUE(waitRecords(2, 3000));
    const QStringList r = records();
    ASSERT_EQ(r.size(), 2);
    // List order (ordinal: 昼 before 朝), each in the minute's second 00.
    EXPECT_TRUE(r[0].startsWith("20261208101600")) << r[0].toStdString();
    EXPECT_EQ(r[0].section('|', 1), "昼休みです。|");
    EXPECT_EQ(r[1].section('|', 1), "朝礼を開始します。|会議室A");
    EXPECT_EQ(windowCount(kPopUp), 1);
    // Out of the task bar.
    QProcess prop;
    prop.start("xprop", {"-id", QString::number(waitForWindow(kPopUp, 1000)), "_NET_WM_STATE"});
    prop.waitForFinished(5000);
    EXPECT_TRUE(prop.readAllStandardOutput().contains("_NET_WM_STATE_SKIP_TASKBAR"));

    ASSERT_TRUE(sendClose());
    ASSERT_TRUE(run->waitEnd(5000));
    EXPECT_EQ(get("Section_Cycle", "CycleItems"), "1");
    EXPECT_EQ(get("Section_Cycle", "CycleItem_000"), "2026/12/08-10:30,later,,");
}

TEST_F(GuideRunTest, AClockJumpIsCaughtUpAndAutomaticConfirmationDecidesTheClose)
{
    writeConf(1, {"2026/12/08-10:16,a,", "2026/12/08-10:19,b,", "2026/12/08-10:20,c,", "2026/12/08-10:22,d,"});
    startRecorder();
    auto run = startAt("10:15:57");
    const unsigned long popup = waitForWindow(kPopUp, 10000, true);
    ASSERT_NE(popup, 0u);
    ASSERT_TRUE(waitRecords(1, 3000));

    // Five minutes on, as after the machine was suspended: what fell due
    // shows within 2 s.
    QElapsedTimer jump;
    jump.start();
    setClock("10:21:10");
    ASSERT_TRUE(waitRecords(3, 3000));
    EXPECT_LT(jump.elapsed(), 2000);
    EXPECT_EQ(records().mid(1).join(";").remove(QRegularExpression("\\d{17}\\|")), "b|;c|");

    // 自動確認 cleared with the keyboard (Tab Tab space from the hidden box):
    // saved at once; a cycle with nothing due (the catch-up at 10:21:58)
    // leaves the window open, and the check at 10:22:00 shows d in that same
    // window (a closed one would be a new window).
    for (const char* key : {"Tab", "Tab", "space"}) testsupport::sendKeyToWindow(popup, key);
    EXPECT_TRUE(testsupport::waitUntil([&]() { return get("Section_Watch", "Watch_Timer") == "1,60,0,0,"; }, 2000));
    setClock("10:21:58");
    ASSERT_TRUE(waitRecords(4, 5000));
    EXPECT_TRUE(records().at(3).startsWith("2026120810220")) << records().at(3).toStdString();
    EXPECT_EQ(waitForWindow(kPopUp, 100, true), popup);
    // Ticked again: the next cycle with nothing due closes it.
    testsupport::sendKeyToWindow(popup, "space");
    EXPECT_TRUE(testsupport::waitUntil([&]() { return get("Section_Watch", "Watch_Timer") == "1,60,1,0,"; }, 2000));
    setClock("10:22:30");
    EXPECT_TRUE(waitWindowGone(kPopUp, 3000));
    ASSERT_TRUE(sendClose());
    ASSERT_TRUE(run->waitEnd(5000));
}

TEST_F(GuideRunTest, AnEntryRegisteredThroughTheDialogSurvivesSigkill)
{
    writeConf(1, {});
    unsigned long window = 0;
    auto run = startAt("10:15:55", &window);
    // Keys go to a window that is on the screen and done loading.
    window = waitForWindow(kMain, 10000, true);
    ASSERT_NE(window, 0u);
    // From the hidden box: Tab Tab to 固定ﾒｯｾｰｼﾞ, type, six Tabs to ｶﾞｲﾄﾞ部登録.
    for (const char* key : {"Tab", "Tab", "k", "i", "l", "l", "Tab", "Tab", "Tab", "Tab", "Tab", "Tab", "space"})
        testsupport::sendKeyToWindow(window, key);
    const unsigned long dialog = waitForWindow("日付時刻選択", 5000, true);
    ASSERT_NE(dialog, 0u);
    // Two Tabs to the hour list, one hour on, Enter for 設定.
    for (const char* key : {"Tab", "Tab", "Down", "Return"}) testsupport::sendKeyToWindow(dialog, key);
    ASSERT_TRUE(testsupport::waitUntil([&]() { return get("Section_Cycle", "CycleItems") == "1"; }, 5000));
    EXPECT_EQ(get("Section_Cycle", "CycleItem_000"), "2026/12/08-11:15,kill,,");
    run->signal(SIGKILL);
    ASSERT_TRUE(run->waitEnd(3000));

    // The next start loads it: the shutdown writes it back.
    auto again = startAt("10:15:55");
    ASSERT_TRUE(sendClose());
    ASSERT_TRUE(again->waitEnd(5000));
    EXPECT_EQ(get("Section_Cycle", "CycleItems"), "1");
    EXPECT_EQ(get("Section_Cycle", "CycleItem_000"), "2026/12/08-11:15,kill,,");
}

// A start with the clock far ahead drops every entry as past, and the
// shutdown's save removes them from the file; the backup kept at that first
// save still holds them.
TEST_F(GuideRunTest, AClockFarAheadLeavesTheScheduleInTheBackup)
{
    writeConf(1, {"2026/12/24-09:30,朝礼,", "2027/01/04-09:00,始業,"});
    const std::string start = testsupport::readFile(conf());
    testsupport::writeFile(clockFile_, "@9999-01-01 00:00:00\n");
    auto run = startVelmora(nullptr, fakeClockEnv(clockFile_));
    ASSERT_TRUE(sendClose());
    ASSERT_TRUE(run->waitEnd(5000));
    EXPECT_EQ(get("Section_Cycle", "CycleItems"), "0");
    EXPECT_EQ(testsupport::readFile(conf() + ".bak"), start);
    struct stat a {}, b {};
    ASSERT_EQ(::stat(conf().c_str(), &a), 0);
    ASSERT_EQ(::stat((conf() + ".bak").c_str(), &b), 0);
    EXPECT_EQ(a.st_mode, b.st_mode);
}

// Minimised by the operator, or kept off the screen by the window manager's
// "show desktop": the next messages that fall due bring the pop-up back, on
// top of the other windows and active.
TEST_F(GuideRunTest, APopUpMinimisedOrHiddenByTheDesktopComesBackWhenMessagesFallDue)
{
    DesktopWithWindowManager desk;
    if (!desk.missing().isEmpty()) GTEST_SKIP() << "needs " << desk.missing().toStdString();
    if (QStandardPaths::findExecutable("xdotool").isEmpty() || QStandardPaths::findExecutable("wmctrl").isEmpty())
        GTEST_SKIP() << "needs xdotool and wmctrl";
    // This process looks for windows there too.
    qputenv("DISPLAY", desk.display().toUtf8());
    extraEnv_ << "DISPLAY=" + desk.display();
    writeConf(0, {"2026/12/08-10:16,a,", "2026/12/08-10:17,b,", "2026/12/08-10:18,c,"});
    auto run = startAt("10:15:57");
    const unsigned long popup = waitForWindow(kPopUp, 10000, true);
    ASSERT_NE(popup, 0u) << run->stderrText().toStdString();
    const QString id = QString::number(popup);

    struct Case {
        const char* what;
        QString tool;
        QStringList args;
        const char* clock;  // two seconds before the next entry's minute
    } cases[] = {
        {"minimised", "xdotool", {"windowminimize", id}, "10:16:58"},
        {"show desktop", "wmctrl", {"-k", "on"}, "10:17:58"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        desk.x11(c.tool, c.args);
        ASSERT_TRUE(testsupport::waitUntil([&]() { return platform::findWindow(kPopUp, true) == 0; }, 5000));
        setClock(c.clock);
        ASSERT_EQ(waitForWindow(kPopUp, 6000, true), popup);
        // On top of the stack and the active window.
        EXPECT_TRUE(testsupport::waitUntil(
            [&]() {
                const QString stacking = desk.x11("xprop", {"-root", "_NET_CLIENT_LIST_STACKING"}).trimmed();
                const QString active = desk.x11("xprop", {"-root", "_NET_ACTIVE_WINDOW"}).trimmed();
                const QString hex = "0x" + QString::number(popup, 16);
                return stacking.endsWith(hex) && active.endsWith(hex);
            },
            3000));
        // Still a tool window off the task bar.
        EXPECT_TRUE(testsupport::waitUntil(
            [&]() {
                return desk.x11("xprop", {"-id", id, "_NET_WM_STATE"}).contains("_NET_WM_STATE_SKIP_TASKBAR");
            },
            3000))
            << desk.x11("xprop", {"-id", id, "_NET_WM_STATE"}).toStdString();
    }
    ASSERT_TRUE(sendClose());
    ASSERT_TRUE(run->waitEnd(5000));
}

// A recorder that stops reading (SIGSTOP) misses nothing: what its short
// queue cannot take waits in the program and arrives, in order, once it
// reads again, both for manual notifications and for a minute's due entries.
TEST_F(GuideRunTest, ARecorderThatStopsReadingMissesNoRecord)
{
    QStringList guide, due;
    for (int i = 0; i < 30; ++i) {
        const QString fixed = QStringLiteral("e%1").arg(i, 2, 10, QChar('0'));
        guide << "2026/12/08-10:16," + fixed + ",v,";
        due << fixed + "|v";
    }
    writeConf(1, guide);
    startRecorder();
    auto run = startAt("10:15:30");
    auto loaded = [&]() { return testsupport::readFile(log_).find("を Load しました。") != std::string::npos; };
    ASSERT_TRUE(testsupport::waitUntil(loaded, 5000));
    auto texts = [&](int from) {
        QStringList t = records().mid(from);
        for (QString& r : t) r = r.section('|', 1);
        return t;
    };

    // Five notifications by hand, three records each: from the hidden box
    // Tab Tab to 固定ﾒｯｾｰｼﾞ, one more digit, four Tabs to CV手動通知.
    const unsigned long window = waitForWindow(kMain, 5000, true);
    ASSERT_NE(window, 0u);
    recorder_->signal(SIGSTOP);
    const char* digits[] = {"1", "2", "3", "4", "5"};
    for (const char* digit : digits)
        for (const char* key : {"Tab", "Tab", digit, "Tab", "Tab", "Tab", "Tab", "space"})
            testsupport::sendKeyToWindow(window, key);
    // Keys are taken in order: once ｶﾞｲﾄﾞ部登録 (two Tabs more than
    // CV手動通知) opens its dialog, the five were sent, all while the
    // recorder was stopped.
    for (const char* key : {"Tab", "Tab", "Tab", "Tab", "Tab", "Tab", "Tab", "Tab", "space"})
        testsupport::sendKeyToWindow(window, key);
    const unsigned long dialog = waitForWindow("日付時刻選択", 10000, true);
    ASSERT_NE(dialog, 0u);
    testsupport::sendKeyToWindow(dialog, "Escape");
    recorder_->signal(SIGCONT);
    ASSERT_TRUE(waitRecords(15, 10000)) << records().size();
    const QString head = "[ｳﾞｪﾙﾓﾗ]" + QString(37, '-');
    QStringList notified;
    for (const char* typed : {"1", "12", "123", "1234", "12345"})
        notified << head + ">>強制通知|" << QString(typed) + "|" << head + "<<強制通知|";
    EXPECT_EQ(texts(0), notified);

    // The minute's check runs while the recorder is stopped.
    recorder_->signal(SIGSTOP);
    setClock("10:15:58");
    ASSERT_NE(waitForWindow(kPopUp, 10000, true), 0u);
    recorder_->signal(SIGCONT);
    ASSERT_TRUE(waitRecords(45, 10000)) << records().size();
    EXPECT_EQ(texts(15), due);
    ASSERT_TRUE(sendClose());
    ASSERT_TRUE(run->waitEnd(5000));
}

// A jump of the clock noticed by a tick in the last second of a minute: the
// catch-up check runs at once, and the next minute's entry still comes at
// its own second 00, not a minute late.
TEST_F(GuideRunTest, AJumpNoticedInSecond59KeepsTheNextMinutesCheck)
{
    writeConf(1, {"2026/12/08-10:21,b,"});
    startRecorder();
    auto run = startAt("10:15:57");
    auto loaded = [&]() { return testsupport::readFile(log_).find("を Load しました。") != std::string::npos; };
    ASSERT_TRUE(testsupport::waitUntil(loaded, 5000));
    // The clock now stands at 10:20:59.000 and runs on: the next tick, at
    // most a second away, reads second 59.
    setClock("10:20:59");
    ASSERT_TRUE(waitRecords(1, 5000));
    const QString r = records().at(0);
    EXPECT_TRUE(r.startsWith("202612081021000")) << r.toStdString();
    EXPECT_EQ(r.section('|', 1), "b|");
    ASSERT_TRUE(sendClose());
    ASSERT_TRUE(run->waitEnd(5000));
}

// Two-line parts typed into the real boxes: registered, kept in the file so
// that they load back, and forwarded at their minute with their line breaks.
TEST_F(GuideRunTest, LineBreaksTypedIntoThePartsSurviveARestart)
{
    writeConf(1, {});
    startRecorder();
    unsigned long window = 0;
    auto run = startAt("10:15:55", &window);
    window = waitForWindow(kMain, 10000, true);
    ASSERT_NE(window, 0u);
    // Hidden box, Tab Tab to 固定ﾒｯｾｰｼﾞ, "a" Return "b", Tab, "c" Return "d",
    // five Tabs to ｶﾞｲﾄﾞ部登録; in the dialog one hour on, Enter.
    for (const char* key : {"Tab", "Tab", "a", "Return", "b", "Tab", "c", "Return", "d", "Tab", "Tab", "Tab", "Tab",
                            "Tab", "space"})
        testsupport::sendKeyToWindow(window, key);
    const unsigned long dialog = waitForWindow("日付時刻選択", 5000, true);
    ASSERT_NE(dialog, 0u);
    for (const char* key : {"Tab", "Tab", "Down", "Return"}) testsupport::sendKeyToWindow(dialog, key);
    ASSERT_TRUE(testsupport::waitUntil([&]() { return get("Section_Cycle", "CycleItems") == "1"; }, 5000));
    // One line in the file: each line break is the unit separator.
    const QString stored = "2026/12/08-11:15,a" + QString(QChar(0x1F)) + "b,c" + QChar(0x1F) + "d,";
    EXPECT_EQ(get("Section_Cycle", "CycleItem_000"), stored);
    ASSERT_TRUE(sendClose());
    ASSERT_TRUE(run->waitEnd(5000));

    // Loaded again, then announced at 11:15 as typed.
    ASSERT_TRUE(testsupport::waitUntil([&]() { return records().join(";").contains("UnLoad"); }, 3000));
    const int before = static_cast<int>(records().size());
    run = startAt("11:14:57");
    ASSERT_TRUE(waitRecords(before + 1, 6000));
    EXPECT_EQ(records().at(before).section('|', 1), "a\\r\\nb|c\\r\\nd");
    ASSERT_TRUE(sendClose());
    ASSERT_TRUE(run->waitEnd(5000));
    EXPECT_EQ(get("Section_Cycle", "CycleItems"), "0");
}

// A rule's occurrence is announced like any entry at its second 00, and
// its next occurrence takes its place in the list and in the file.
TEST_F(GuideRunTest, ARepeatingAnnouncementComesBackOnItsNextDay)
{
    struct Case {
        const char* name;
        const char* day;    // 2026-12-08 is a Tuesday
        const char* start;  // a few seconds before the occurrence
        QStringList guide, rules;
        const char* record;  // text1|text2 of the one record
        const char* stamp;   // its minute, yyyymmddhhmm
        const char* next;    // the list's only entry afterwards, as stored
    } cases[] = {
        {"毎日: put in at the load, announced, then the next day", "2026-12-08", "10:15:56", {}, {"毎日,10:16,朝礼を開始します。,,"},
         "朝礼を開始します。|", "202612081016", "2026/12/09-10:16,朝礼を開始します。,,繰り返し,"},
        {"平日 on a Friday: next the Monday", "2026-12-11", "16:59:56", {"2026/12/11-17:00,終業時刻です。,,"},
         {"平日,17:00,終業時刻です。,,"}, "終業時刻です。|", "202612111700", "2026/12/14-17:00,終業時刻です。,,繰り返し,"},
        {"毎週金: next the Friday after", "2026-12-11", "16:59:56", {}, {"毎週金,17:00,終業時刻です。,週報提出,"},
         "終業時刻です。|週報提出", "202612111700", "2026/12/18-17:00,終業時刻です。,週報提出,繰り返し,"},
    };
    startRecorder();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        writeConf(1, c.guide, c.rules);
        const int before = static_cast<int>(records().size());
        auto run = startAt(c.start, nullptr, c.day);
        ASSERT_NE(waitForWindow(kPopUp, 10000, true), 0u) << run->stderrText().toStdString();
        ASSERT_TRUE(waitRecords(before + 1, 3000));
        // The previous run's end line may still come in.
        const QStringList r = records().mid(before).filter(QRegularExpression("^\\d+\\|(?!.*Load しました。\\|)"));
        ASSERT_EQ(r.size(), 1) << r.join("\n").toStdString();
        EXPECT_TRUE(r[0].startsWith(QString(c.stamp) + "00")) << r[0].toStdString();
        EXPECT_EQ(r[0].section('|', 1), c.record);
        // Saved as soon as it stands in the list, and again at the end.
        EXPECT_TRUE(testsupport::waitUntil([&]() { return get("Section_Cycle", "CycleItem_000") == c.next; }, 3000))
            << get("Section_Cycle", "CycleItem_000").toStdString();
        ASSERT_TRUE(sendClose());
        ASSERT_TRUE(run->waitEnd(5000));
        EXPECT_EQ(get("Section_Cycle", "CycleItems"), "1");
        EXPECT_EQ(get("Section_Cycle", "CycleItem_000"), c.next);
        // The rule remembers the occurrence it announced.
        const QString stamp = QString(c.stamp);
        EXPECT_EQ(get("Section_Repeat", "RepeatItem_000"),
                  c.rules[0] + "前回=" + stamp.left(4) + "/" + stamp.mid(4, 2) + "/" + stamp.mid(6, 2) + "-" +
                      stamp.mid(8, 2) + ":" + stamp.mid(10, 2) + ",");
        EXPECT_EQ(records().mid(before).filter(c.record).size(), 1);
    }
}

// Registered on a Monday through the dialog with the keyboard: the
// calendar two days on, 繰り返し on 毎週; the rule and its first occurrence
// are in the file at once and come back after a restart.
TEST_F(GuideRunTest, ARepetitionChosenInTheDialogSurvivesARestart)
{
    writeConf(1, {});
    auto run = startAt("10:15:55", nullptr, "2026-12-07");
    const unsigned long window = waitForWindow(kMain, 10000, true);
    ASSERT_NE(window, 0u);
    for (const char* key : {"Tab", "Tab", "w", "Tab", "Tab", "Tab", "Tab", "Tab", "Tab", "space"})
        testsupport::sendKeyToWindow(window, key);
    const unsigned long dialog = waitForWindow("日付時刻選択", 5000, true);
    ASSERT_NE(dialog, 0u);
    for (const char* key : {"Tab", "Right", "Right", "Tab", "Tab", "Tab", "Down", "Down", "Down", "Return"})
        testsupport::sendKeyToWindow(dialog, key);
    ASSERT_TRUE(testsupport::waitUntil([&]() { return get("Section_Repeat", "RepeatItems") == "1"; }, 5000));
    EXPECT_EQ(get("Section_Repeat", "RepeatItem_000"), "毎週水,10:15,w,,");
    EXPECT_EQ(get("Section_Cycle", "CycleItem_000"), "2026/12/09-10:15,w,,繰り返し,");
    ASSERT_TRUE(sendClose());
    ASSERT_TRUE(run->waitEnd(5000));

    auto again = startAt("10:16:30", nullptr, "2026-12-08");
    ASSERT_NE(waitForWindow(kMain, 10000, true), 0u);
    ASSERT_TRUE(sendClose());
    ASSERT_TRUE(again->waitEnd(5000));
    EXPECT_EQ(get("Section_Cycle", "CycleItems"), "1");
    EXPECT_EQ(get("Section_Cycle", "CycleItem_000"), "2026/12/09-10:15,w,,繰り返し,");
    EXPECT_EQ(get("Section_Repeat", "RepeatItem_000"), "毎週水,10:15,w,,");
}

// Entries whose minute passed while the program was not running are
// dropped at the load, and that is said: on the head line and to the
// recorder right after the load line, and which on standard error.
TEST_F(GuideRunTest, EntriesDroppedAtTheLoadAreCountedAndListed)
{
    const QStringList past = {"2026/12/07-08:30,朝礼を開始します。,,", "2026/12/08-09:00,a,b,", "2026/12/08-10:15,c,,"};
    writeConf(1, past + QStringList{"2026/12/08-12:00,昼休みです。,,"});
    startRecorder();
    auto run = startAt("10:15:30");
    ASSERT_TRUE(testsupport::waitUntil([&]() { return records().size() >= 1; }, 10000)) << run->stderrText().toStdString();
    QStringList texts;
    for (const QString& line : logLines()) texts << line.split('\t').value(4);
    ASSERT_GE(texts.size(), 2);
    EXPECT_EQ(texts[0], "[ｳﾞｪﾙﾓﾗ]を Load しました。");
    EXPECT_EQ(texts[1], "[ｳﾞｪﾙﾓﾗ]起動前に経過したｶﾞｲﾄﾞ部ﾒｯｾｰｼﾞ 3 件を削除しました。");
    ASSERT_TRUE(sendClose());
    ASSERT_TRUE(run->waitEnd(5000));
    EXPECT_EQ(records().filter("件を削除しました。").size(), 1);
    const QStringList dropped = run->stderrText().split('\n').filter("dropped at load");
    ASSERT_EQ(dropped.size(), 3) << run->stderrText().toStdString();
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(dropped[i].endsWith(past[i])) << dropped[i].toStdString();
    EXPECT_EQ(get("Section_Cycle", "CycleItem_000"), "2026/12/08-12:00,昼休みです。,,");
}

// Two rules meeting on a minute (毎週月 and 平日 on a Monday): one
// announcement, then each rule lists its own next occurrence, and Tuesday's
// comes at its minute.
TEST_F(GuideRunTest, TwoRulesMeetingOnAMinuteEachAnnounceTheirOwnNext)
{
    writeConf(1, {}, {"毎週月,12:00,朝会,,", "平日,12:00,朝会,,"});
    startRecorder();
    auto run = startAt("11:59:50", nullptr, "2026-12-07");
    ASSERT_TRUE(waitRecords(1, 15000)) << run->stderrText().toStdString();
    EXPECT_TRUE(testsupport::waitUntil(
        [&]() {
            return get("Section_Cycle", "CycleItem_000") == "2026/12/08-12:00,朝会,,繰り返し," &&
                   get("Section_Cycle", "CycleItem_001") == "2026/12/14-12:00,朝会,,繰り返し,";
        },
        5000))
        << get("Section_Cycle", "CycleItem_000").toStdString() << " " << get("Section_Cycle", "CycleItem_001").toStdString();
    setClock("11:59:57", "2026-12-08");
    ASSERT_TRUE(waitRecords(2, 10000));
    const QStringList r = records();
    EXPECT_TRUE(r[0].startsWith("20261207120000")) << r[0].toStdString();
    EXPECT_TRUE(r[1].startsWith("20261208120000")) << r[1].toStdString();
    EXPECT_EQ(r[1].section('|', 1), "朝会|");
    ASSERT_TRUE(sendClose());
    ASSERT_TRUE(run->waitEnd(5000));
    EXPECT_EQ(get("Section_Cycle", "CycleItems"), "2");
    EXPECT_EQ(get("Section_Cycle", "CycleItem_000"), "2026/12/09-12:00,朝会,,繰り返し,");
    EXPECT_EQ(get("Section_Cycle", "CycleItem_001"), "2026/12/14-12:00,朝会,,繰り返し,");
}

// A start with the clock years ahead, then one with the clock put right: each
// of 60 daily rules lists one occurrence, its next, and all 60 are announced
// on the first corrected day.  What a rule put in beyond its next goes, said
// on standard error, as is a rule that is not understood.
TEST_F(GuideRunTest, AClockFarAheadThenPutRightListsEachRuleOnce)
{
    QStringList rules;
    for (int i = 0; i < 60; ++i) rules << QStringLiteral("毎日,09:30,r%1,,").arg(i, 2, 10, QChar('0'));
    writeConf(1, {"2031/06/03-09:30,by hand,,"}, rules + QStringList{"毎月,09:30,x,,"});
    startRecorder();
    QStringList errs;
    for (const auto& [day, time] : {std::pair{"2026-12-07", "10:00:00"}, std::pair{"2031-06-02", "10:00:00"}}) {
        auto run = startAt(time, nullptr, day);
        ASSERT_TRUE(sendClose());
        ASSERT_TRUE(run->waitEnd(5000));
        errs << run->stderrText();
    }
    // The rule not understood is said at the first start, whose first save
    // drops it.
    EXPECT_EQ(errs[0].count("a repeat rule not understood"), 1) << errs[0].toStdString();
    EXPECT_TRUE(errs[0].contains("毎月,09:30,x,,"));
    EXPECT_EQ(errs[1].count("a repeat rule not understood"), 0);

    // The rules' records on the corrected day.
    auto announced = [&]() { return records().filter(QRegularExpression("^\\d+\\|r\\d\\d\\|$")); };
    auto run = startAt("09:29:45", nullptr, "2026-12-08");
    ASSERT_TRUE(testsupport::waitUntil([&]() { return announced().size() >= 60; }, 30000)) << announced().size();
    for (const QString& r : announced()) EXPECT_TRUE(r.startsWith("20261208093000")) << r.toStdString();
    ASSERT_TRUE(sendClose());
    ASSERT_TRUE(run->waitEnd(5000));
    EXPECT_EQ(announced().size(), 60);
    const QString err = run->stderrText();
    EXPECT_EQ(err.count("removed at load, put in by a rule beyond its next occurrence"), 60) << err.toStdString();
    // One occurrence per rule, the next day's, and the entry by hand.
    EXPECT_EQ(get("Section_Cycle", "CycleItems"), "61");
    EXPECT_EQ(get("Section_Cycle", "CycleItem_000"), "2026/12/09-09:30,r00,,繰り返し,");
    EXPECT_EQ(get("Section_Cycle", "CycleItem_060"), "2031/06/03-09:30,by hand,,");
}

// The occurrence each rule lists at the load, written to the file, keeps to
// the site's calendar ([Section_Calendar]) and to the rule's options.
TEST_F(GuideRunTest, TheOccurrenceWrittenAtTheLoadKeepsToTheCalendar)
{
    struct Case {
        const char* what;
        const char* calendar;  // the section's lines
        const char* rule;
        const char* day;       // the start
        const char* next;      // CycleItem_000 afterwards
    } cases[] = {
        // 2027/01/11 is 成人の日, a Monday.
        {"平日 on the Friday before a Happy Monday", "", "平日,09:00,朝礼,,", "2027-01-08", "2027/01/12-09:00"},
        {"年末年始 closed", "ClosedItems=1\r\nClosedItem_000=2026/12/29,2027/01/03,年末年始,\r\n", "平日,09:00,朝礼,,",
         "2026-12-28", "2027/01/04-09:00"},
        {"27 closed days", "ClosedItems=1\r\nClosedItem_000=2027/08/01,2027/08/27,設備工事,\r\n", "平日,09:00,朝礼,,",
         "2027-07-30", "2027/08/30-09:00"},
        {"NationalHoliday=0", "NationalHoliday=0\r\n", "平日,09:00,朝礼,,", "2027-01-08", "2027/01/11-09:00"},
        {"an open day", "OpenItems=1\r\nOpenItem_000=2027/01/11,出勤日,\r\n", "平日,09:00,朝礼,,", "2027-01-08",
         "2027/01/11-09:00"},
        {"毎日 with 休日=除く", "", "毎日,09:00,朝礼,,休日=除く,", "2027-01-10", "2027/01/12-09:00"},
        {"毎週月 with 休日=除く", "", "毎週月,09:00,朝礼,,休日=除く,", "2027-01-08", "2027/01/18-09:00"},
        {"毎週月 without", "", "毎週月,09:00,朝礼,,", "2027-01-08", "2027/01/11-09:00"},
        {"a malformed item is skipped", "ClosedItems=2\r\nClosedItem_000=2027/01/12,2027/01/10,逆,\r\n"
                                         "ClosedItem_001=x,y,z,\r\n",
         "平日,09:00,朝礼,,", "2027-01-08", "2027/01/12-09:00"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        writeConf(1, {}, {c.rule});
        if (*c.calendar) {
            const std::string section = uFCom_Bas::toAnsi(QString("[Section_Calendar]\r\n") + c.calendar).toStdString();
            testsupport::writeFile(conf(), testsupport::readFile(conf()) + section);
        }
        auto run = startAt("10:00:00", nullptr, c.day);
        ASSERT_TRUE(sendClose());
        ASSERT_TRUE(run->waitEnd(5000));
        EXPECT_EQ(get("Section_Cycle", "CycleItem_000"), QString(c.next) + ",朝礼,,繰り返し,");
        EXPECT_EQ(get("Section_Repeat", "RepeatItem_000"), c.rule);
    }
}

// An announced occurrence is remembered with its rule (前回): a restart with
// the clock set back across it does not announce it again.
TEST_F(GuideRunTest, AClockSetBackAcrossAnAnnouncedOccurrenceAnnouncesItOnce)
{
    writeConf(1, {}, {"毎日,10:16,点呼,,"});
    startRecorder();
    auto run = startAt("10:15:56");
    ASSERT_TRUE(waitRecords(1, 10000));
    EXPECT_TRUE(testsupport::waitUntil(
        [&]() { return get("Section_Repeat", "RepeatItem_000") == "毎日,10:16,点呼,,前回=2026/12/08-10:16,"; }, 5000))
        << get("Section_Repeat", "RepeatItem_000").toStdString();
    ASSERT_TRUE(sendClose());
    ASSERT_TRUE(run->waitEnd(5000));

    // Set back before the minute, with an entry by hand at that minute
    // whose record shows that the minute's check has run.
    EXPECT_EQ(get("Section_Cycle", "CycleItem_000"), "2026/12/09-10:16,点呼,,繰り返し,");
    ASSERT_EQ(uFCom_Bas::ProfilePut(QString::fromStdString(conf()), "Section_Cycle", "CycleItem_001",
                                    "2026/12/08-10:16,marker,,"),
              0);
    auto again = startAt("10:15:55");
    ASSERT_TRUE(testsupport::waitUntil([&]() { return !records().filter("marker").isEmpty(); }, 15000));
    ASSERT_TRUE(sendClose());
    ASSERT_TRUE(again->waitEnd(5000));
    EXPECT_EQ(records().filter("点呼").size(), 1);
}

// An advance notice: the pop-up and one record with "【予告 5分前】" in front
// of the fixed part at 09:25:00, the entry still listed, then the
// announcement at 09:30:00; a restart at 09:27 gives no second notice.
TEST_F(GuideRunTest, AnAdvanceNoticeComesOnceBeforeTheAnnouncement)
{
    writeConf(1, {"2026/12/24-09:30,朝礼を開始します。,会議室A,予告=5,"});
    startRecorder();
    auto run = startAt("09:24:56", nullptr, "2026-12-24");
    ASSERT_NE(waitForWindow(kPopUp, 10000, true), 0u) << run->stderrText().toStdString();
    ASSERT_TRUE(waitRecords(1, 3000));
    EXPECT_TRUE(records()[0].startsWith("20261224092500")) << records()[0].toStdString();
    EXPECT_EQ(records()[0].section('|', 1), "【予告 5分前】朝礼を開始します。|会議室A");
    EXPECT_EQ(get("Section_Cycle", "CycleItem_000"), "2026/12/24-09:30,朝礼を開始します。,会議室A,予告=5,");
    ASSERT_TRUE(sendClose());
    ASSERT_TRUE(run->waitEnd(5000));
    EXPECT_EQ(get("Section_Cycle", "CycleItem_000"), "2026/12/24-09:30,朝礼を開始します。,会議室A,予告=5,")
        << "still listed, and saved with its notice";

    // Started again inside the five minutes: the announcement, no notice.
    auto again = startAt("09:27:00", nullptr, "2026-12-24");
    ASSERT_NE(waitForWindow(kMain, 10000, true), 0u);
    setClock("09:29:57", "2026-12-24");
    ASSERT_TRUE(testsupport::waitUntil([&]() { return !records().filter("|朝礼を開始します。|").isEmpty(); }, 10000));
    ASSERT_TRUE(sendClose());
    ASSERT_TRUE(again->waitEnd(5000));
    EXPECT_EQ(records().filter("予告").size(), 1);
    EXPECT_TRUE(records().filter("|朝礼を開始します。|").first().startsWith("20261224093000"));
}

// Repetitions as sites schedule them, each announced at its minute: a 25th
// that falls on a Saturday on the Friday before, and a rule with an end
// that lists nothing after its last announcement and stays in the file.
TEST_F(GuideRunTest, AMovedPayDayAndARuleThatEnds)
{
    struct Case {
        const char* what;
        const char* rule;
        const char* day;
        const char* start;
        const char* record;  // its minute, yyyymmddhhmm
        const char* after;   // CycleItem_000 afterwards ("" none)
    } cases[] = {
        {"毎月25日 with 休日=前営業日", "毎月25日,09:00,給料日です。,,休日=前営業日,", "2027-09-24", "08:59:55",
         "202709240900", "2027/10/25-09:00,給料日です。,,繰り返し,"},
        {"an end on the last occurrence", "毎日,09:00,給料日です。,,終了=2027/03/31,", "2027-03-31", "08:59:55",
         "202703310900", ""},
    };
    startRecorder();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        writeConf(1, {}, {c.rule});
        const int before = static_cast<int>(records().filter("給料日").size());
        auto run = startAt(c.start, nullptr, c.day);
        ASSERT_TRUE(testsupport::waitUntil([&]() { return records().filter("給料日").size() > before; }, 15000));
        EXPECT_TRUE(records().filter("給料日").last().startsWith(QString(c.record) + "00"));
        ASSERT_TRUE(sendClose());
        ASSERT_TRUE(run->waitEnd(5000));
        EXPECT_EQ(get("Section_Cycle", "CycleItem_000"), c.after);
        // The rule stays, with what it announced last.
        EXPECT_EQ(get("Section_Repeat", "RepeatItems"), "1");
        const QString options = QString(c.rule).section(',', 4, 4);
        for (const QString& o : options.split(';'))
            EXPECT_TRUE(get("Section_Repeat", "RepeatItem_000").contains(o)) << o.toStdString();
        EXPECT_TRUE(get("Section_Repeat", "RepeatItem_000").contains("前回=" + QString(c.record).left(4) + "/"));
    }
}
