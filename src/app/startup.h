#pragma once
// The hidden start-up window and the program's entry.
#include <QWidget>

#include "core/instancelock.h"
#include "model/config/env.h"
#include "gui/platform/timer.h"

class Form1;
class CVMsgKey_Dialog;

class Main : public QWidget {
    Q_OBJECT
public:
    Main();
    // Start-up checks; false when the program must end (message shown).
    bool Form_Load();
    void Timer1_Timer();

    uFCom_Bas::Timer* Timer1 = nullptr;
    Form1* form1() const { return form1_; }

private:
    platform::InstanceLock lock_;
    Form1* form1_ = nullptr;
    // This run's environment, read once by Form_Load.
    uFCom_Bas::EnvRecord env_;
    CVMsgKey_Dialog* catalog_ = nullptr;
};

namespace app {
int runProgram(int argc, char** argv);
// The start-up failures use the platform's plain message box (OK only).
void standardMessage(const QString& text);
}  // namespace app
