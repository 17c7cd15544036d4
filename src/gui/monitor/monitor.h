#pragma once
// The periodic guide monitor (定周期監視): a one-second countdown to the
// next check, aligned to the wall clock, and the due check that shows every
// guide entry whose minute has come in the guide pop-up with a beep,
// forwards it to the recorder and removes it from the list.
//
// The countdown's ticks fall a few milliseconds after each full wall-clock
// second, so the check at second 00 runs within milliseconds of it.  A tick
// that finds the wall clock more than two seconds away from where the
// countdown expects it (the machine slept, the clock was set) runs the due
// check at once and then starts a new aligned cycle; when that check ran in
// the last second of a minute, the next one runs at the following second 00.
#include <QPointer>
#include <QString>
#include <array>
#include <functional>

#include "model/config/myconf.h"
#include "model/messages/entries.h"
#include "model/messages/schedule.h"
#include "gui/monitor/guidemsg.h"

namespace uFCom_Bas {
class RecorderLink;
}

class QCheckBox;
class QLabel;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QScrollBar;
class QWidget;

namespace uFCom_Bas {
class Timer;
}

namespace uFMon {

class GuideMonitor {
public:
    struct Controls {
        QWidget* form = nullptr;  // head line, forwarding
        QListWidget* List2 = nullptr;
        QPlainTextEdit* Text3 = nullptr;
        QWidget* Dummy_Text = nullptr;
        QLabel* Label5 = nullptr;                // monitor state
        QLabel* Label3 = nullptr;                // interval
        QScrollBar* VScroll1 = nullptr;          // interval spin
        QCheckBox* Check1 = nullptr;             // start at launch
        std::array<QPushButton*, 2> Command3{};  // guide register, delete
        QPushButton* Command5_1 = nullptr;       // guide delete all
        std::array<QPushButton*, 2> Command4{};  // start, stop
        uFCom_Bas::Timer* Timer1 = nullptr;      // countdown
        uFCom_Bas::Timer* Timer2 = nullptr;      // due check
    };
    // What the monitor works on: the settings (start at launch, interval)
    // and the schedule (whose guide list List2 shows).
    struct State {
        uFConf::WatchSettings* watch = nullptr;
        uFMsg::Schedule* schedule = nullptr;
    };
    struct Services {
        std::function<QString(int)> keyMsg;                 // catalogue line (prefix included)
        std::function<void()> saveWatch;                    // writes the monitor settings
        const uFCom_Bas::RecorderLink* recorder = nullptr;  // none: never running
        std::function<void()> beep;
    };
    // popup: what the pop-up takes from the main window (its icon, scale
    // and the automatic confirmation); its place is the monitor's.
    GuideMonitor(Controls c, State st, GuideMsg_Dialog::Shared popup, Services s);
    ~GuideMonitor();
    GuideMonitor(const GuideMonitor&) = delete;
    GuideMonitor& operator=(const GuideMonitor&) = delete;

    // The settings as loaded (the interval, start at launch) and the
    // monitor as not yet started.
    void SettingsShow();
    void MonitorStart();
    void MonitorStop();
    void CountdownTick();
    void DueCheck();
    // head goes in front of the fixed part (an advance notice's).
    void GuideMsgNotify(const QString& fixed, const QString& variable, const QString& head = QString());
    void GuideBeep();
    void Check1_Click();
    void VScroll1_Change();

    // The pop-up while it is loaded, else null.
    GuideMsg_Dialog* popup() const;
    // Unloads the pop-up if it is loaded.
    void PopupUnload();
    // Whether the monitor runs (started and not stopped).
    bool running() const { return running_; }
    // Seconds left until the next check; -1 when a new cycle begins at the
    // next tick.
    int countdown() const { return countdown_; }
    // The blocks of the messages the last check found due (the pop-up's
    // text).
    const QString& shownMessages() const { return shown_; }
    // Where the pop-up was when last closed, in twips; 0: no place kept.
    int popupTop() const { return popupTop_; }
    int popupLeft() const { return popupLeft_; }

private:
    void setState(const QString& text, int colourIndex);
    void countingText(int n);
    void guideButtons(bool on);
    void runningControls(bool running);
    void deselect();
    void showBlock();
    bool popupLoaded() const;
    void armNextSecond(long long nowMs);
    void startDueCheck();

    Controls c_;
    State st_;
    GuideMsg_Dialog::Shared popupShared_;
    Services s_;
    QPointer<GuideMsg_Dialog> popup_;
    bool running_ = false;
    int countdown_ = -1;
    QString shown_;
    int popupTop_ = 0;
    int popupLeft_ = 0;
    // The wall-clock second (local milliseconds) the next countdown tick
    // belongs to; negative while none is expected.
    long long expectedMs_ = -1;
    // The due check now running or just run was a catch-up after a jump.
    bool catchUp_ = false;
};

}  // namespace uFMon
