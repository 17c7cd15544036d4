#pragma once
// Typing into another program's window on the X display of the tests.
#include <string>

namespace testsupport {

// Sends a press and release of the key (an X keysym name such as "Return",
// with "alt+", "ctrl+" or "shift+" in front for a modifier held) to the
// window and gives it the input focus first.  False when the display
// or the window cannot be reached.
bool sendKeyToWindow(unsigned long window, const std::string& keysymName);

}  // namespace testsupport
