#include "platform/core/windowsearch.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <string>
#include <vector>

namespace platform {

namespace {

// Windows may vanish between listing and asking; their BadWindow errors must
// not end the process (Xlib's default handler exits).
int ignoreXError(Display*, XErrorEvent*)
{
    return 0;
}

// Restores the previous error handler when the search ends.
class ErrorHandlerScope {
public:
    ErrorHandlerScope() : previous_(XSetErrorHandler(ignoreXError)) {}
    ~ErrorHandlerScope() { XSetErrorHandler(previous_); }
    ErrorHandlerScope(const ErrorHandlerScope&) = delete;
    ErrorHandlerScope& operator=(const ErrorHandlerScope&) = delete;

private:
    XErrorHandler previous_;
};

class DisplayScope {
public:
    DisplayScope() : display_(XOpenDisplay(nullptr)) {}
    ~DisplayScope()
    {
        if (display_) XCloseDisplay(display_);
    }
    DisplayScope(const DisplayScope&) = delete;
    DisplayScope& operator=(const DisplayScope&) = delete;
    Display* get() const { return display_; }

private:
    Display* display_;
};

// A whole property of the given type; false when absent or of another type.
bool readProperty(Display* d, Window w, Atom property, Atom type, int format,
                  std::vector<unsigned char>& bytes, unsigned long& items)
{
    Atom actualType = None;
    int actualFormat = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    // Length in 32-bit units: 4 MB is far more than any caption or client list.
    const int rc = XGetWindowProperty(d, w, property, 0, 1L << 20, False, type, &actualType,
                                      &actualFormat, &count, &after, &data);
    if (rc != Success) return false;
    const bool ok = data && actualType == type && actualFormat == format;
    if (ok) {
        const size_t unit = format == 8 ? 1 : format == 16 ? sizeof(short) : sizeof(long);
        bytes.assign(data, data + count * unit);
        items = count;
    }
    if (data) XFree(data);
    return ok;
}

// Latin-1 to UTF-8, for a STRING property when Xlib cannot convert.
std::string latin1ToUtf8(const std::string& in)
{
    std::string out;
    for (unsigned char c : in) {
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

// WM_NAME as UTF-8, decoded with Xutf8TextPropertyToTextList.
bool wmName(Display* d, Window w, Atom utf8String, std::string& out)
{
    XTextProperty prop{};
    if (!XGetWMName(d, w, &prop) || !prop.value) return false;
    bool ok = false;
    char** list = nullptr;
    int count = 0;
    if (Xutf8TextPropertyToTextList(d, &prop, &list, &count) >= Success && list) {
        out.clear();
        for (int i = 0; i < count; ++i) out += list[i] ? list[i] : "";
        ok = true;
        XFreeStringList(list);
    } else if (prop.format == 8) {
        // No converter for this locale: the two encodings that need none.
        const std::string raw(reinterpret_cast<const char*>(prop.value), prop.nitems);
        if (prop.encoding == utf8String) {
            out = raw;
            ok = true;
        } else if (prop.encoding == XA_STRING) {
            out = latin1ToUtf8(raw);
            ok = true;
        }
    }
    XFree(prop.value);
    return ok;
}

bool captionEquals(Display* d, Window w, Atom netWmName, Atom utf8String, const std::string& caption)
{
    std::vector<unsigned char> bytes;
    unsigned long items = 0;
    if (readProperty(d, w, netWmName, utf8String, 8, bytes, items)) {
        return std::string(bytes.begin(), bytes.end()) == caption;
    }
    std::string name;
    return wmName(d, w, utf8String, name) && name == caption;
}

std::vector<Window> topLevelWindows(Display* d, Window root)
{
    std::vector<Window> windows;
    std::vector<unsigned char> bytes;
    unsigned long items = 0;
    const Atom clientList = XInternAtom(d, "_NET_CLIENT_LIST", False);
    if (readProperty(d, root, clientList, XA_WINDOW, 32, bytes, items)) {
        const auto* ids = reinterpret_cast<const unsigned long*>(bytes.data());
        windows.assign(ids, ids + items);
        return windows;
    }
    Window rootReturn = 0, parent = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    if (XQueryTree(d, root, &rootReturn, &parent, &children, &count) && children) {
        windows.assign(children, children + count);
    }
    if (children) XFree(children);
    return windows;
}

}  // namespace

unsigned long findWindow(const std::string& captionUtf8, bool mappedOnly)
{
    ErrorHandlerScope errors;
    DisplayScope display;
    Display* d = display.get();
    if (!d) return 0;
    const Atom netWmName = XInternAtom(d, "_NET_WM_NAME", False);
    const Atom utf8String = XInternAtom(d, "UTF8_STRING", False);
    Window found = 0;
    for (int screen = 0; screen < ScreenCount(d) && !found; ++screen) {
        const Window root = RootWindow(d, screen);
        for (Window w : topLevelWindows(d, root)) {
            if (!captionEquals(d, w, netWmName, utf8String, captionUtf8)) continue;
            if (mappedOnly) {
                XWindowAttributes attrs{};
                if (!XGetWindowAttributes(d, w, &attrs) || attrs.map_state != IsViewable) continue;
            }
            found = w;
            break;
        }
    }
    XSync(d, False);
    return found;
}

bool markSkipTaskbar(unsigned long window)
{
    ErrorHandlerScope errors;
    DisplayScope display;
    Display* d = display.get();
    if (!d || !window) return false;
    const Atom state = XInternAtom(d, "_NET_WM_STATE", False);
    const Atom skip = XInternAtom(d, "_NET_WM_STATE_SKIP_TASKBAR", False);
    std::vector<unsigned char> bytes;
    unsigned long items = 0;
    std::vector<unsigned long> atoms;
    if (readProperty(d, window, state, XA_ATOM, 32, bytes, items)) {
        const auto* ids = reinterpret_cast<const unsigned long*>(bytes.data());
        atoms.assign(ids, ids + items);
    }
    for (unsigned long a : atoms)
        if (a == skip) return true;
    atoms.push_back(skip);
    XChangeProperty(d, window, state, XA_ATOM, 32, PropModeReplace, reinterpret_cast<unsigned char*>(atoms.data()),
                    static_cast<int>(atoms.size()));
    XSync(d, False);
    return true;
}

bool windowExists(const std::string& captionUtf8)
{
    return findWindow(captionUtf8) != 0;
}

}  // namespace platform
