#include "core/windowsearch.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <mutex>
#include <poll.h>
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

// One connection to the X server for the life of the process, opened on
// first use and again only after it failed: a search is a few requests on
// it, not a new connection.  Used under its mutex only.
struct Connection {
    std::mutex mutex;
    Display* display = nullptr;
    bool broken = false;
    Atom netWmName = None, utf8String = None, clientList = None, wmState = None, skipTaskbar = None, wmCheck = None;
    // The window the last search found, asked first by the next one.
    Window lastFound = 0;
};

Connection& connection()
{
    static Connection c;
    return c;
}

// A failed connection must not end the process (Xlib's default exits): it
// is left alone and a new one is opened at the next search.
void connectionFailed(Display*, void*)
{
    connection().broken = true;
}

bool hungUp(Display* d)
{
    pollfd p{ConnectionNumber(d), 0, 0};
    return ::poll(&p, 1, 0) > 0 && (p.revents & (POLLHUP | POLLERR | POLLNVAL));
}

// The open connection, or null when no display can be reached.  Connection
// mutex held.
Display* openDisplay(Connection& c)
{
    if (c.display && (c.broken || hungUp(c.display))) {
        // Closing a dead connection would run into the same failure again;
        // it is dropped instead.
        c.display = nullptr;
        c.lastFound = 0;
    }
    if (c.display) return c.display;
    c.broken = false;
    c.display = XOpenDisplay(nullptr);
    if (!c.display) return nullptr;
    XSetIOErrorExitHandler(c.display, connectionFailed, nullptr);
    // All the names in one round trip.
    char* names[] = {const_cast<char*>("_NET_WM_NAME"),
                     const_cast<char*>("UTF8_STRING"),
                     const_cast<char*>("_NET_CLIENT_LIST"),
                     const_cast<char*>("_NET_WM_STATE"),
                     const_cast<char*>("_NET_WM_STATE_SKIP_TASKBAR"),
                     const_cast<char*>("_NET_SUPPORTING_WM_CHECK")};
    Atom atoms[6] = {None, None, None, None, None, None};
    XInternAtoms(c.display, names, 6, False, atoms);
    c.netWmName = atoms[0];
    c.utf8String = atoms[1];
    c.clientList = atoms[2];
    c.wmState = atoms[3];
    c.skipTaskbar = atoms[4];
    c.wmCheck = atoms[5];
    return c.display;
}

// A whole property of the given type; false when absent or of another type.
bool readProperty(Display* d, Window w, Atom property, Atom type, int format, std::vector<unsigned char>& bytes,
                  unsigned long& items)
{
    Atom actualType = None;
    int actualFormat = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    // Length in 32-bit units: 4 MB is far more than any caption or client list.
    const int rc =
        XGetWindowProperty(d, w, property, 0, 1L << 20, False, type, &actualType, &actualFormat, &count, &after, &data);
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

// A window manager runs: the root names a window that names itself as
// the window manager's check window (EWMH).  A window manager that was
// killed leaves the root's properties behind, but its check window goes
// with it.
bool windowManagerRuns(Display* d, Window root, Atom wmCheck)
{
    auto checkWindow = [&](Window w, Window& out) {
        std::vector<unsigned char> bytes;
        unsigned long items = 0;
        if (!readProperty(d, w, wmCheck, XA_WINDOW, 32, bytes, items) || items < 1) return false;
        out = *reinterpret_cast<const unsigned long*>(bytes.data());
        return out != 0;
    };
    Window named = 0, self = 0;
    return checkWindow(root, named) && checkWindow(named, self) && self == named;
}

// The top-level windows: the window manager's client list while one runs,
// else the root's children (mapped or not).
std::vector<Window> topLevelWindows(Display* d, Window root, Atom clientList, Atom wmCheck)
{
    std::vector<Window> windows;
    std::vector<unsigned char> bytes;
    unsigned long items = 0;
    if (windowManagerRuns(d, root, wmCheck) && readProperty(d, root, clientList, XA_WINDOW, 32, bytes, items)) {
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
    Connection& c = connection();
    std::lock_guard lock(c.mutex);
    ErrorHandlerScope errors;
    Display* d = openDisplay(c);
    if (!d) return 0;
    auto matches = [&](Window w) {
        if (!captionEquals(d, w, c.netWmName, c.utf8String, captionUtf8)) return false;
        if (!mappedOnly) return true;
        XWindowAttributes attrs{};
        return XGetWindowAttributes(d, w, &attrs) && attrs.map_state == IsViewable;
    };
    // The window found last is most often the one asked for again; a window
    // that is gone or renamed fails the check and the whole list is searched.
    Window found = c.lastFound && matches(c.lastFound) ? c.lastFound : 0;
    for (int screen = 0; screen < ScreenCount(d) && !found; ++screen) {
        for (Window w : topLevelWindows(d, RootWindow(d, screen), c.clientList, c.wmCheck)) {
            if (!matches(w)) continue;
            found = w;
            break;
        }
    }
    if (found) c.lastFound = found;
    XSync(d, False);
    return found;
}

bool markSkipTaskbar(unsigned long window)
{
    Connection& c = connection();
    std::lock_guard lock(c.mutex);
    ErrorHandlerScope errors;
    Display* d = openDisplay(c);
    if (!d || !window) return false;
    std::vector<unsigned char> bytes;
    unsigned long items = 0;
    std::vector<unsigned long> atoms;
    if (readProperty(d, window, c.wmState, XA_ATOM, 32, bytes, items)) {
        const auto* ids = reinterpret_cast<const unsigned long*>(bytes.data());
        atoms.assign(ids, ids + items);
    }
    bool marked = false;
    for (unsigned long a : atoms)
        if (a == c.skipTaskbar) marked = true;
    // Read by the window manager when it maps the window.
    if (!marked) {
        atoms.push_back(c.skipTaskbar);
        XChangeProperty(d, window, c.wmState, XA_ATOM, 32, PropModeReplace,
                        reinterpret_cast<unsigned char*>(atoms.data()), static_cast<int>(atoms.size()));
    }
    // A window manager that already manages the window (one restored from
    // minimised, whose state the toolkit has just rewritten) takes a change
    // only as a request (EWMH _NET_WM_STATE_ADD).
    const Window root = DefaultRootWindow(d);
    if (windowManagerRuns(d, root, c.wmCheck)) {
        XEvent e{};
        e.xclient.type = ClientMessage;
        e.xclient.window = window;
        e.xclient.message_type = c.wmState;
        e.xclient.format = 32;
        e.xclient.data.l[0] = 1;  // _NET_WM_STATE_ADD
        e.xclient.data.l[1] = static_cast<long>(c.skipTaskbar);
        e.xclient.data.l[2] = 0;
        e.xclient.data.l[3] = 1;  // an application's request
        XSendEvent(d, root, False, SubstructureRedirectMask | SubstructureNotifyMask, &e);
    }
    XSync(d, False);
    return true;
}

bool leaveShowDesktop()
{
    Connection& c = connection();
    std::lock_guard lock(c.mutex);
    ErrorHandlerScope errors;
    Display* d = openDisplay(c);
    if (!d) return false;
    const Window root = DefaultRootWindow(d);
    const Atom showing = XInternAtom(d, "_NET_SHOWING_DESKTOP", False);
    std::vector<unsigned char> bytes;
    unsigned long items = 0;
    if (!readProperty(d, root, showing, XA_CARDINAL, 32, bytes, items) || items < 1 ||
        *reinterpret_cast<const unsigned long*>(bytes.data()) == 0)
        return false;
    XEvent e{};
    e.xclient.type = ClientMessage;
    e.xclient.window = root;
    e.xclient.message_type = showing;
    e.xclient.format = 32;
    e.xclient.data.l[0] = 0;
    XSendEvent(d, root, False, SubstructureRedirectMask | SubstructureNotifyMask, &e);
    XSync(d, False);
    return true;
}

bool windowExists(const std::string& captionUtf8)
{
    return findWindow(captionUtf8) != 0;
}

}  // namespace platform
