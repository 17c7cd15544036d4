#pragma once
// Loads the font configuration on a second thread while the window system
// connection is being set up, so that the first text the forms measure does
// not wait for it.

namespace platform {

// The thread reads the environment: set every variable before starting it.
void startFontPrewarm();
// Waits for the thread; call before the first widget is made.
void finishFontPrewarm();

}  // namespace platform
