#include "gui/monitor/monitor.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <algorithm>
#include <cstdlib>

#include "gui/headline/colors.h"
#include "gui/headline/headline.h"
#include "gui/messages/msgrules.h"
#include "core/datetime.h"
#include "gui/platform/formkit.h"
#include "gui/platform/timer.h"
#include "gui/platform/ufcom.h"
#include "model/recorder/recorder.h"

namespace uFMon {

namespace {

using uFCom_Bas::kCRLF;
const QString kWatching = QStringLiteral("ｶﾞｲﾄﾞ部定周期監視中です。");
const QString kNextHead = QStringLiteral("次の監視まで 約[");
const QString kNextTail = QStringLiteral("]秒です。");
const QString kStopped = QStringLiteral("ｶﾞｲﾄﾞ部定周期監視は停止中です。");
// Before the first start.
const QString kNotStarted = QStringLiteral("定周期監視は停止中です。");
const QString kPad = QStringLiteral("R5");
constexpr int kRunningColour = uFCom_Bas::kColourBlue;
constexpr int kStoppedColour = uFCom_Bas::kColourRed;
// Further than this from where the countdown expects the clock, the clock
// has jumped (sleep and resume, the clock set).
constexpr long long kJumpMs = 2000;

long long secondOf(long long ms)
{
    return ms >= 0 ? ms - ms % 1000 : ms - ((ms % 1000) + 1000) % 1000;
}

}  // namespace

GuideMonitor::GuideMonitor(Controls c, State st, GuideMsg_Dialog::Shared popup, Services s)
    : c_(c), st_(st), popupShared_(std::move(popup)), s_(std::move(s))
{
    if (!s_.beep) s_.beep = []() { uFCom_Bas::SystemBeep(); };
    popupShared_.top = &popupTop_;
    popupShared_.left = &popupLeft_;
}

GuideMonitor::~GuideMonitor()
{
    delete popup_.data();
}

GuideMsg_Dialog* GuideMonitor::popup() const
{
    return popupLoaded() ? popup_.data() : nullptr;
}

bool GuideMonitor::popupLoaded() const
{
    return popup_ && popup_->loaded();
}

void GuideMonitor::PopupUnload()
{
    if (popupLoaded()) popup_->close();
}

void GuideMonitor::setState(const QString& text, int colourIndex)
{
    if (!c_.Label5) return;
    c_.Label5->setText(text);
    uFCom_Bas::setTextColour(c_.Label5, uFCom_Bas::colorFromValue(uFCom_Bas::ColorGet(colourIndex)));
}

void GuideMonitor::countingText(int n)
{
    setState(kWatching + kCRLF + kNextHead + uFCom_Bas::StrPad(kPad, QString::number(n)) + kNextTail, kRunningColour);
}

void GuideMonitor::guideButtons(bool on)
{
    for (QPushButton* b : {c_.Command3[0], c_.Command3[1], c_.Command5_1})
        if (b) b->setEnabled(on);
}

void GuideMonitor::runningControls(bool running)
{
    // While it runs the interval is fixed and only 監視停止 can be pressed.
    if (c_.VScroll1) c_.VScroll1->setEnabled(!running);
    if (c_.Command4[0]) c_.Command4[0]->setEnabled(!running);
    if (c_.Command4[1]) c_.Command4[1]->setEnabled(running);
}

void GuideMonitor::deselect()
{
    if (c_.List2 && c_.List2->count() > 0 && uFMsg::ListSelectedRow(c_.List2) >= 0) uFMsg::ListClearSelection(c_.List2);
}

void GuideMonitor::SettingsShow()
{
    if (c_.VScroll1 && st_.watch) c_.VScroll1->setValue(st_.watch->WatchSeconds);
    if (c_.Label3 && c_.VScroll1) c_.Label3->setText(QString::number(c_.VScroll1->value()));
    setState(kNotStarted, kStoppedColour);
    runningControls(false);
    if (c_.Check1 && st_.watch) uFCom_Bas::setCheckedQuietly(c_.Check1, st_.watch->WatchAutoStart != 0);
}

void GuideMonitor::MonitorStart()
{
    running_ = true;
    runningControls(true);
    expectedMs_ = -1;
    catchUp_ = false;
    countdown_ = -1;
    if (c_.Timer1) {
        c_.Timer1->setInterval(1);
        c_.Timer1->setEnabled(true);
    }
    deselect();
    if (c_.Dummy_Text) c_.Dummy_Text->setFocus();
    uFMsg::StatusShow(c_.form, s_.keyMsg ? s_.keyMsg(uFMsg::kMonitorStarted) : QString());
}

void GuideMonitor::MonitorStop()
{
    if (popupLoaded() && popup_->autoConfirm()) PopupUnload();
    guideButtons(true);
    runningControls(false);
    if (c_.Timer2) {
        c_.Timer2->setEnabled(false);
        c_.Timer2->setInterval(0);
    }
    if (c_.Timer1) {
        c_.Timer1->setEnabled(false);
        c_.Timer1->setInterval(0);
    }
    running_ = false;
    countdown_ = -1;
    expectedMs_ = -1;
    setState(kStopped, kStoppedColour);
    deselect();
    if (c_.Dummy_Text) c_.Dummy_Text->setFocus();
    uFMsg::StatusShow(c_.form, s_.keyMsg ? s_.keyMsg(uFMsg::kMonitorStopped) : QString());
}

void GuideMonitor::armNextSecond(long long nowMs)
{
    // The next tick just after the second it belongs to (expectedMs_),
    // measured from this tick's own reading, so that it cannot slip into
    // the second after.
    const long long delay = expectedMs_ + uFCom_Bas::kSecondSlackMs - nowMs;
    c_.Timer1->setInterval(1000);
    c_.Timer1->setEnabled(true);
    c_.Timer1->restartIn(static_cast<int>(std::clamp<long long>(delay, 1, 1000 + uFCom_Bas::kSecondSlackMs)));
}

void GuideMonitor::startDueCheck()
{
    if (!c_.Timer2) return;
    c_.Timer2->setInterval(1);
    c_.Timer2->setEnabled(true);
}

void GuideMonitor::CountdownTick()
{
    uFCom_Bas::Timer* t1 = c_.Timer1;
    if (!t1) return;
    t1->setEnabled(false);
    t1->setInterval(0);

    const platform::LocalTime reading = platform::localNow();
    const long long now = platform::localMillis(reading);

    if (expectedMs_ >= 0 && std::llabs(now - expectedMs_) > kJumpMs) {
        // The clock moved under the countdown: whatever fell due meanwhile
        // is shown now, and the next cycle is aligned afresh.
        expectedMs_ = -1;
        catchUp_ = true;
        startDueCheck();
        return;
    }

    const int interval = st_.watch ? st_.watch->WatchSeconds : 60;
    if (countdown_ < 0) {
        // A new cycle.
        guideButtons(true);
        const int r = interval >= 60 ? interval - reading.second : -1;
        // A catch-up check that ran in the last second of a minute: the
        // check of this second 00 is due now, not a whole cycle later.
        const bool afterCatchUp = catchUp_;
        catchUp_ = false;
        if (afterCatchUp && r == interval) {
            expectedMs_ = -1;
            startDueCheck();
            return;
        }
        countdown_ = r >= 0 ? r : interval;
        countingText(countdown_);
        expectedMs_ = secondOf(now) + 1000;
        armNextSecond(now);
        return;
    }
    if (countdown_ - 1 >= 1) {
        --countdown_;
        countingText(countdown_);
        expectedMs_ += 1000;
        armNextSecond(now);
        return;
    }
    // Counted down: the due check, once the wall clock has reached its
    // second; a tick that comes early (the clock set back a little) waits
    // for it.
    if (expectedMs_ >= 0 && now < expectedMs_) {
        armNextSecond(now);
        return;
    }
    expectedMs_ = -1;
    startDueCheck();
}

void GuideMonitor::DueCheck()
{
    if (c_.Timer2) {
        c_.Timer2->setEnabled(false);
        c_.Timer2->setInterval(0);
    }
    setState(kWatching, kRunningColour);

    QString shown;
    if (uFMsg::Schedule* schedule = st_.schedule) {
        if (!schedule->entries().isEmpty()) {
            guideButtons(false);
            deselect();
            if (c_.Text3) c_.Text3->clear();
            if (c_.Dummy_Text) c_.Dummy_Text->setFocus();
        }
        // Every entry once, in list order; the entry found last stands
        // first.  The recorder has them before the rules' next occurrences
        // are put in and saved.
        const uFMsg::DueOutcome due = schedule->dueCheck(uFMsg::DueMinute::current(), [&](const uFMsg::DueOutcome& d) {
            for (const uFMsg::DueEntry& e : d.announced) {
                shown = e.entry.popupBlock() + shown;
                GuideMsgNotify(e.entry.fixed(), e.entry.variable());
            }
            // A notice is its entry with the notice in front of the
            // fixed part; the entry stays listed.
            for (const uFMsg::DueEntry& e : d.notices) {
                shown = e.entry.noticeBlock() + shown;
                GuideMsgNotify(e.entry.fixed(), e.entry.variable(), uFMsg::NoticeHead(e.entry.options().notice));
            }
        });
        // A rule whose next occurrence found the list full waits for the
        // next check that finds room.
        if (due.startedWaiting > 0) uFMsg::StatusShow(c_.form, s_.keyMsg ? s_.keyMsg(uFMsg::kCycleFull) : QString());
    }
    shown_ = shown;

    if (!shown.isEmpty()) {
        showBlock();
    } else if (popupLoaded() && popup_->autoConfirm()) {
        PopupUnload();
    }

    // The next cycle begins just after the next full second.
    if (c_.Timer1) {
        const long long now = platform::localMillis(platform::localNow());
        countdown_ = -1;
        expectedMs_ = secondOf(now) + 1000;
        armNextSecond(now);
    }
}

void GuideMonitor::showBlock()
{
    // A window that cannot be made does not keep the beep back; the entries
    // are gone from the list and forwarded already.
    if (!popupLoaded()) popup_ = new GuideMsg_Dialog(popupShared_);
    if (popup_) popup_->showMessages(shown_);
    GuideBeep();
}

void GuideMonitor::GuideMsgNotify(const QString& fixed, const QString& variable, const QString& head)
{
    if (!s_.recorder || s_.recorder->alive() < 0) return;
    const QString f = uFCom_Bas::trimSpaces(fixed);
    if (f.size() > uFMsg::MsgLenMax) return;
    QString v = uFCom_Bas::trimSpaces(variable);
    if (v.size() > uFMsg::MsgLenMax) v.clear();
    if (f.isEmpty()) return;
    uFHLabel_Bas::HeadMsgShow(c_.form, uFHLabel_Bas::HeadMode::SendOnly, uFHLabel_Bas::kDesignedColour, head + f, v);
}

void GuideMonitor::GuideBeep()
{
    s_.beep();
}

void GuideMonitor::Check1_Click()
{
    if (!c_.Check1 || !st_.watch) return;
    const int value = c_.Check1->isChecked() ? 1 : 0;
    if (value == st_.watch->WatchAutoStart) return;
    st_.watch->WatchAutoStart = value;
    if (s_.saveWatch) s_.saveWatch();
}

void GuideMonitor::VScroll1_Change()
{
    if (!c_.VScroll1) return;
    const int value = c_.VScroll1->value();
    if (c_.Label3) c_.Label3->setText(QString::number(value));
    if (!st_.watch || value == st_.watch->WatchSeconds) return;
    st_.watch->WatchSeconds = value;
    if (s_.saveWatch) s_.saveWatch();
}

}  // namespace uFMon
