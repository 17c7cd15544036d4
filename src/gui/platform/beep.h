#pragma once
// The guide pop-up's beep.

namespace uFCom_Bas {

// The platform's default beep (core/bell.h); where it cannot be played, the
// toolkit's beep.  Never waits for the sound.
void SystemBeep();

}  // namespace uFCom_Bas
