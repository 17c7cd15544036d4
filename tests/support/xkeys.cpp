#include "xkeys.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace testsupport {

namespace {
int ignoreErrors(Display*, XErrorEvent*)
{
    return 0;
}
}  // namespace

bool sendKeyToWindow(unsigned long window, const std::string& keysymName)
{
    if (!window) return false;
    Display* d = XOpenDisplay(nullptr);
    if (!d) return false;
    auto old = XSetErrorHandler(ignoreErrors);
    // "alt+h", "ctrl+x", "shift+a": the modifiers ride along in the event.
    std::string name = keysymName;
    unsigned int state = 0;
    for (size_t plus; (plus = name.find('+')) != std::string::npos && plus + 1 < name.size();) {
        const std::string mod = name.substr(0, plus);
        if (mod == "alt") state |= Mod1Mask;
        else if (mod == "ctrl") state |= ControlMask;
        else if (mod == "shift") state |= ShiftMask;
        else break;
        name = name.substr(plus + 1);
    }
    const KeySym sym = XStringToKeysym(name.c_str());
    const KeyCode code = XKeysymToKeycode(d, sym);
    XSetInputFocus(d, window, RevertToParent, CurrentTime);
    XSync(d, False);
    bool ok = code != 0;
    for (int type : {KeyPress, KeyRelease}) {
        XKeyEvent ev{};
        ev.type = type;
        ev.display = d;
        ev.window = window;
        ev.root = DefaultRootWindow(d);
        ev.subwindow = 0;
        ev.time = CurrentTime;
        ev.same_screen = True;
        ev.keycode = code;
        ev.state = state;
        ok = XSendEvent(d, window, True, type == KeyPress ? KeyPressMask : KeyReleaseMask,
                        reinterpret_cast<XEvent*>(&ev)) != 0 && ok;
    }
    XSync(d, False);
    XSetErrorHandler(old);
    XCloseDisplay(d);
    return ok;
}

}  // namespace testsupport
