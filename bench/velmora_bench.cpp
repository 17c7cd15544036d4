// Benchmarks of the whole program, measured from outside the process:
//   startup N        start to main window shown, and peak memory, against a
//                    bare Qt program showing one empty QMainWindow; with the
//                    example configuration file, then with one of 5 MB
//   close N          close command sent to the own mailslot -> process exit
//   idle SECONDS     CPU used by an idle running program, share of one core
//   bigconf MB       start to main window shown with a configuration file of
//                    MB megabytes (the four sections, then many more keys)
//   due N            after second 00, when the pop-up is mapped and the last
//                    record is sent and reaches the stand-in recorder, with
//                    one and with 100 entries due, and with 100 while the
//                    recorder stops for 350 ms, and with one while 1,000
//                    requests arrive from a second before 00 (each one
//                    answered, in order): N starts of the program per
//                    case on a wall clock three seconds before a minute
//                    (libfaketime)
// Run from the build folder's parent: build/bench/velmora_bench startup 15
// Before X11, whose macros clash with Qt's names.
#include "model/recorder/requests.h"

#include <X11/Xlib.h>
#include <X11/Xatom.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "core/mailslot.h"
#include "stats.h"

namespace fs = std::filesystem;
using bench::Clock;
using bench::median;

namespace {

const char* kCaption = "ｳﾞｪﾙﾓﾗ [uPVelmora]";

std::string selfDir()
{
    return fs::canonical("/proc/self/exe").parent_path().string();
}

bool windowNamed(Display* d, Window w, const std::string& caption)
{
    Atom netWmName = XInternAtom(d, "_NET_WM_NAME", False);
    Atom utf8 = XInternAtom(d, "UTF8_STRING", False);
    Atom type;
    int format;
    unsigned long n, after;
    unsigned char* data = nullptr;
    bool match = false;
    if (XGetWindowProperty(d, w, netWmName, 0, 1024, False, utf8, &type, &format, &n, &after, &data) == Success &&
        data) {
        match = std::string(reinterpret_cast<char*>(data), n) == caption;
        XFree(data);
    }
    return match;
}

int ignoreErrors(Display*, XErrorEvent*)
{
    return 0;
}

struct Run {
    pid_t pid = -1;
    double shownMs = -1;
};

// Starts argv in dir and waits until a window with the caption is mapped.
Run startAndWaitShown(const std::vector<std::string>& argv, const std::string& dir, const std::string& caption)
{
    Run run;
    Display* d = XOpenDisplay(nullptr);
    if (!d) return run;
    XSetErrorHandler(ignoreErrors);
    const Window root = DefaultRootWindow(d);
    XSelectInput(d, root, SubstructureNotifyMask);
    XSync(d, False);

    const auto t0 = Clock::now();
    run.pid = fork();
    if (run.pid == 0) {
        if (chdir(dir.c_str()) != 0) _exit(127);
        std::vector<char*> args;
        for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        execv(args[0], args.data());
        _exit(127);
    }
    const int fd = ConnectionNumber(d);
    while (true) {
        while (XPending(d)) {
            XEvent ev;
            XNextEvent(d, &ev);
            if (ev.type == MapNotify && windowNamed(d, ev.xmap.window, caption)) {
                run.shownMs = std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
                XCloseDisplay(d);
                return run;
            }
        }
        if (std::chrono::duration<double>(Clock::now() - t0).count() > 20) break;
        fd_set set;
        FD_ZERO(&set);
        FD_SET(fd, &set);
        timeval tv{0, 20000};
        select(fd + 1, &set, nullptr, nullptr, &tv);
        int status;
        if (waitpid(run.pid, &status, WNOHANG) == run.pid) {
            run.pid = -1;
            break;
        }
    }
    XCloseDisplay(d);
    return run;
}

// Ends the child with SIGTERM and returns its peak resident set in KiB.
long endAndPeakKiB(pid_t pid)
{
    kill(pid, SIGTERM);
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    return usage.ru_maxrss;
}

std::string makeWorkDir(const std::string& conf)
{
    char tmpl[] = "/tmp/velmora-bench-XXXXXX";
    std::string dir = mkdtemp(tmpl);
    fs::copy_file(conf, dir + "/uPVelmora.conf");
    return dir;
}

std::string confPath()
{
    // build/bench -> source tree's examples
    for (fs::path p = selfDir(); !p.empty() && p != p.root_path(); p = p.parent_path()) {
        if (fs::exists(p / "examples/uPVelmora.conf")) return (p / "examples/uPVelmora.conf").string();
    }
    return "examples/uPVelmora.conf";
}

// A configuration file of about mb megabytes: the program's four sections
// with full lists, then a section of many other keys (as a file that grew
// by hand or by another tool).
void writeBigConf(const std::string& path, int mb)
{
    std::ofstream f(path, std::ios::binary);
    f << "[Section_FormStyle]\r\nFormStyle=NOMAL,1,3,8,12,\r\n[Section_Watch]\r\nWatch_Timer=1,60,1,0,\r\n";
    f << "[Section_Entry]\r\nEntryItems=100\r\n";
    for (int i = 0; i < 100; ++i)
        f << "EntryItem_" << (i < 10 ? "00" : i < 100 ? "0" : "") << i << "=entry " << i << ",\r\n";
    f << "[Section_Cycle]\r\nCycleItems=100\r\n";
    for (int i = 0; i < 100; ++i)
        f << "CycleItem_" << (i < 10 ? "00" : "0") << i << "=2099/12/31-" << (10 + i / 60) << ":"
          << (i % 60 < 10 ? "0" : "") << i % 60 << ",guide " << i << ",v,\r\n";
    f << "[Section_History]\r\n";
    const long target = static_cast<long>(mb) * 1024 * 1024;
    for (long i = 0; f.tellp() < target; ++i) f << "Line_" << i << "=some recorded text of a past day " << i << "\r\n";
}

// With mb > 0 the program starts on a configuration file of that size.
int benchStartup(int rounds, int mb)
{
    const std::string velmora = fs::canonical(selfDir() + "/../uPVelmora").string();
    const std::string bare = selfDir() + "/bare_mainwindow";
    const std::string conf = confPath();
    std::vector<double> vShown, bShown, vMem, bMem, rShown, rMem;
    for (int i = 0; i < rounds + 1; ++i) {
        const std::string dir = makeWorkDir(conf);
        if (mb > 0) writeBigConf(dir + "/uPVelmora.conf", mb);
        setenv("XDG_RUNTIME_DIR", dir.c_str(), 1);
        // Alternate the order so that neither always runs on a warm cache.
        Run v, b;
        long vm = 0, bm = 0;
        auto runVelmora = [&]() {
            v = startAndWaitShown({velmora}, dir, kCaption);
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            if (v.pid > 0) vm = endAndPeakKiB(v.pid);
        };
        auto runBare = [&]() {
            b = startAndWaitShown({bare, kCaption}, dir, kCaption);
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            if (b.pid > 0) bm = endAndPeakKiB(b.pid);
        };
        if (i % 2) {
            runBare();
            runVelmora();
        } else {
            runVelmora();
            runBare();
        }
        fs::remove_all(dir);
        if (v.shownMs < 0 || b.shownMs < 0) {
            std::fprintf(stderr, "round %d: a window was not shown\n", i);
            return 1;
        }
        if (i == 0) continue;  // warm-up
        vShown.push_back(v.shownMs);
        bShown.push_back(b.shownMs);
        vMem.push_back(vm / 1024.0);
        bMem.push_back(bm / 1024.0);
        rShown.push_back(v.shownMs / b.shownMs);
        rMem.push_back(static_cast<double>(vm) / bm);
    }
    if (mb > 0) {
        std::printf("startup with a %d MB configuration file, %d rounds (medians)\n", mb, rounds);
    } else {
        std::printf("startup, %d rounds (medians)\n", rounds);
    }
    std::printf("  shown:  uPVelmora %.1f ms, bare QMainWindow %.1f ms, ratio %.3f\n", median(vShown), median(bShown),
                median(rShown));
    std::printf("  peak:   uPVelmora %.1f MiB, bare QMainWindow %.1f MiB, ratio %.3f\n", median(vMem), median(bMem),
                median(rMem));
    return 0;
}

bool sendCloseTo(const std::string& slot)
{
    const int h = platform::mailslot::SlotOpen(slot);
    if (h < 0) return false;
    unsigned char record[128] = {};
    const int code = -88888;
    std::memcpy(record, &code, sizeof code);
    const bool ok =
        platform::mailslot::SlotWriteWaiting(h, sizeof record, record, 2000) == static_cast<int>(sizeof record);
    platform::mailslot::HandleClose(h);
    return ok;
}

bool sendClose()
{
    return sendCloseTo("uPVelmora");
}

int benchClose(int rounds)
{
    const std::string velmora = fs::canonical(selfDir() + "/../uPVelmora").string();
    const std::string conf = confPath();
    std::vector<double> ms;
    for (int i = 0; i < rounds; ++i) {
        const std::string dir = makeWorkDir(conf);
        setenv("XDG_RUNTIME_DIR", dir.c_str(), 1);
        Run v = startAndWaitShown({velmora}, dir, kCaption);
        if (v.pid <= 0) return 1;
        // Let start-up finish, and land at a random point of the poll cycle.
        std::this_thread::sleep_for(std::chrono::milliseconds(400 + (i * 7) % 20));
        const auto t0 = Clock::now();
        if (!sendClose()) {
            std::fprintf(stderr, "close command not delivered\n");
            kill(v.pid, SIGKILL);
            return 1;
        }
        int status = 0;
        waitpid(v.pid, &status, 0);
        ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - t0).count());
        fs::remove_all(dir);
    }
    std::sort(ms.begin(), ms.end());
    std::printf("close command to exit, %d runs: median %.1f ms, min %.1f ms, max %.1f ms\n", rounds, median(ms),
                ms.front(), ms.back());
    return 0;
}

double cpuSeconds(pid_t pid)
{
    std::ifstream f("/proc/" + std::to_string(pid) + "/stat");
    std::string s((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
    const auto close = s.rfind(')');
    if (close == std::string::npos) return -1;
    std::vector<std::string> fields;
    size_t pos = close + 2;
    while (pos < s.size()) {
        const size_t next = s.find(' ', pos);
        fields.push_back(s.substr(pos, next - pos));
        if (next == std::string::npos) break;
        pos = next + 1;
    }
    // utime and stime are fields 14 and 15 of the whole line.
    const double ticks = std::stod(fields.at(11)) + std::stod(fields.at(12));
    return ticks / static_cast<double>(sysconf(_SC_CLK_TCK));
}

int benchIdle(int seconds)
{
    const std::string velmora = fs::canonical(selfDir() + "/../uPVelmora").string();
    const std::string dir = makeWorkDir(confPath());
    setenv("XDG_RUNTIME_DIR", dir.c_str(), 1);
    Run v = startAndWaitShown({velmora}, dir, kCaption);
    if (v.pid <= 0) return 1;
    std::this_thread::sleep_for(std::chrono::seconds(2));
    const double c0 = cpuSeconds(v.pid);
    const auto t0 = Clock::now();
    std::this_thread::sleep_for(std::chrono::seconds(seconds));
    const double c1 = cpuSeconds(v.pid);
    const double wall = std::chrono::duration<double>(Clock::now() - t0).count();
    endAndPeakKiB(v.pid);
    fs::remove_all(dir);
    std::printf("idle for %.1f s: %.3f s CPU, %.3f %% of one core\n", wall, c1 - c0, 100.0 * (c1 - c0) / wall);
    return 0;
}

int benchBigConf(int mb, int rounds)
{
    const std::string velmora = fs::canonical(selfDir() + "/../uPVelmora").string();
    char tmpl[] = "/tmp/velmora-bench-XXXXXX";
    const std::string dir = mkdtemp(tmpl);
    writeBigConf(dir + "/uPVelmora.conf", mb);
    const auto size = fs::file_size(dir + "/uPVelmora.conf");
    setenv("XDG_RUNTIME_DIR", dir.c_str(), 1);
    std::vector<double> shown;
    for (int i = 0; i < rounds + 1; ++i) {
        Run v = startAndWaitShown({velmora}, dir, kCaption);
        if (v.pid <= 0) {
            std::fprintf(stderr, "bigconf: no window\n");
            return 1;
        }
        sendClose();
        waitpid(v.pid, nullptr, 0);
        if (i > 0) shown.push_back(v.shownMs);  // the first run warms the cache
    }
    fs::remove_all(dir);
    std::sort(shown.begin(), shown.end());
    std::printf(
        "bigconf, %.1f MB file, %d starts: start to main window shown median %.0f ms, max %.0f ms "
        "(target: under 1000 ms for 5 MB)\n",
        size / 1048576.0, rounds, median(shown), shown.back());
    return 0;
}

std::string fakeTimeLib()
{
    for (const char* lib : {"/usr/lib/x86_64-linux-gnu/faketime/libfaketime.so.1",
                            "/usr/lib/aarch64-linux-gnu/faketime/libfaketime.so.1"})
        if (fs::exists(lib)) return lib;
    return "";
}

double realNowMs()
{
    timespec ts{};
    clock_gettime(CLOCK_REALTIME, &ts);
    return ts.tv_sec * 1000.0 + ts.tv_nsec / 1e6;
}

// Local epoch milliseconds of a 17-digit stamp yyyymmddhhmmssfff.
double stampMs(const std::string& s)
{
    std::tm t{};
    t.tm_year = std::stoi(s.substr(0, 4)) - 1900;
    t.tm_mon = std::stoi(s.substr(4, 2)) - 1;
    t.tm_mday = std::stoi(s.substr(6, 2));
    t.tm_hour = std::stoi(s.substr(8, 2));
    t.tm_min = std::stoi(s.substr(10, 2));
    t.tm_sec = std::stoi(s.substr(12, 2));
    t.tm_isdst = -1;
    return std::mktime(&t) * 1000.0 + std::stoi(s.substr(14, 3));
}

// One line of the stand-in recorder's log: the record's stamp, its texts,
// and when this benchmark first saw the line (real clock).
struct Logged {
    std::string stamp, text1, text2;
    double seenMs = 0;
};

// Reads the lines added to the log since the last call.
void readNewLines(const std::string& log, std::vector<Logged>& lines, size_t& offset)
{
    std::ifstream f(log, std::ios::binary);
    f.seekg(static_cast<std::streamoff>(offset));
    std::string line;
    const double now = realNowMs();
    while (std::getline(f, line)) {
        if (f.eof()) break;  // a line still being written
        offset += line.size() + 1;
        std::vector<std::string> p;
        for (size_t pos = 0;;) {
            const size_t tab = line.find('\t', pos);
            p.push_back(line.substr(pos, tab == std::string::npos ? std::string::npos : tab - pos));
            if (tab == std::string::npos) break;
            pos = tab + 1;
        }
        if (p.size() >= 6) lines.push_back({p[0], p[4], p[5], now});
    }
}

struct DueCase {
    const char* name;
    int entries;
    // The recorder stops this long, from 50 ms before second 00 (0: never).
    int stallMs;
    // Requests sent to the program from 1 s before second 00, as fast as its
    // slot takes them (an entry added, then removed again: each a save).
    int requests = 0;
};

struct DueRound {
    double popupMs = -1;     // pop-up mapped, after second 00
    double lastSentMs = -1;  // the last record's own stamp, after second 00
    double lastSeenMs = -1;  // the last record in the recorder's log, after second 00
    bool complete = false;   // every record arrived, in list order
    int sentBefore00 = 0;    // requests in the program's slot before second 00
    int answered = 0;        // requests answered, in order
};

// The requests of a flood, message ids 1 to n.
std::vector<QByteArray> floodRecords(int n)
{
    std::vector<QByteArray> out;
    for (int i = 1; i <= n; ++i) {
        QList<QByteArray> fields = {i % 2 ? "add" : "remove", "2026/12/08-10:30", "check", ""};
        if (i % 2)
            fields << ""
                   << "";
        for (const QByteArray& r : uFCom_Bas::BuildMessage(uFCom_Bas::kRequestCode, getpid(), "bench", i, "bench-reply",
                                                           uFCom_Bas::PackFields(fields)))
            out.push_back(r);
    }
    return out;
}

// One start of the program on a wall clock that reaches 10:16:00 three
// seconds after now, with c.entries entries due then.  The program's clock
// is the real one plus a whole number of seconds (libfaketime), so its
// second 00 is known here exactly.
DueRound dueRound(const DueCase& c, int round, const std::string& base, const std::string& lib, const std::string& log,
                  pid_t recorder, size_t& logOffset)
{
    DueRound r;
    const std::string velmora = fs::canonical(selfDir() + "/../uPVelmora").string();
    std::string dir = base;
    dir += "/";
    dir += c.name;
    dir += std::to_string(round);
    fs::create_directories(dir);
    const std::string tag = "r" + std::to_string(round);
    {
        std::ofstream conf(dir + "/uPVelmora.conf", std::ios::binary);
        conf << "[Section_Watch]\r\nWatch_Timer=1,60,1,0,\r\n[Section_Cycle]\r\nCycleItems=" << c.entries << "\r\n";
        for (int i = 0; i < c.entries; ++i) {
            char line[96];
            std::snprintf(line, sizeof line, "CycleItem_%03d=2026/12/08-10:16,e%03d,%s,\r\n", i, i, tag.c_str());
            conf << line;
        }
    }
    std::tm fake{};
    fake.tm_year = 126, fake.tm_mon = 11, fake.tm_mday = 8, fake.tm_hour = 10, fake.tm_min = 15, fake.tm_sec = 57;
    fake.tm_isdst = -1;
    const time_t realStart = time(nullptr);
    const long long offset = static_cast<long long>(std::mktime(&fake)) - realStart;
    const double zeroReal = (realStart + 3) * 1000.0;  // the program's 10:16:00.000 on the real clock

    Display* d = XOpenDisplay(nullptr);
    if (!d) return r;
    XSetErrorHandler(ignoreErrors);
    XSelectInput(d, DefaultRootWindow(d), SubstructureNotifyMask);
    XSync(d, False);

    setenv("LD_PRELOAD", lib.c_str(), 1);
    setenv("FAKETIME", (std::string(offset >= 0 ? "+" : "") + std::to_string(offset)).c_str(), 1);
    unsetenv("FAKETIME_TIMESTAMP_FILE");
    setenv("FAKETIME_DONT_FAKE_MONOTONIC", "1", 1);
    setenv("FAKETIME_DISABLE_SHM", "1", 1);
    Run v = startAndWaitShown({velmora}, dir, kCaption);
    unsetenv("LD_PRELOAD");
    unsetenv("FAKETIME");
    if (v.pid <= 0) {
        XCloseDisplay(d);
        return r;
    }
    // The flood: sent on a thread from 1 s before second 00, answered on
    // another.
    std::thread sender, reader;
    std::atomic<int> sentBefore00{0}, answered{0};
    if (c.requests > 0) {
        const int reply = platform::mailslot::SlotCreate("bench-reply", 0);
        while (realNowMs() < zeroReal - 1000) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        sender = std::thread([&c, zeroReal, &sentBefore00]() {
            const int slot = platform::mailslot::SlotOpen("uPVelmora");
            for (const QByteArray& r : floodRecords(c.requests)) {
                if (platform::mailslot::SlotWriteWaiting(slot, static_cast<int>(r.size()), r.constData(), 10000) !=
                    r.size())
                    break;
                if (realNowMs() < zeroReal) ++sentBefore00;
            }
            platform::mailslot::HandleClose(slot);
        });
        reader = std::thread([&c, reply, zeroReal, &answered]() {
            char buffer[platform::mailslot::kMaxMessage];
            while (answered < c.requests && realNowMs() < zeroReal + 60000) {
                const int n = platform::mailslot::SlotRead(reply, platform::mailslot::kMaxMessage, buffer);
                if (n <= 0) {
                    std::this_thread::sleep_for(std::chrono::milliseconds(1));
                    continue;
                }
                const auto p = uFCom_Bas::DecodePart(QByteArray(buffer, n));
                if (p && p->code == uFCom_Bas::kReplyCode && p->message == answered + 1) ++answered;
            }
            platform::mailslot::HandleClose(reply);
        });
    }
    std::vector<Logged> lines;
    bool stopped = false, resumed = c.stallMs <= 0;
    const double stopAt = zeroReal - 50, resumeAt = zeroReal - 50 + c.stallMs;
    int mine = 0;
    while (realNowMs() < zeroReal + 15000) {
        const double now = realNowMs();
        if (c.stallMs > 0 && !stopped && now >= stopAt) kill(recorder, SIGSTOP), stopped = true;
        if (stopped && !resumed && now >= resumeAt) kill(recorder, SIGCONT), resumed = true;
        while (XPending(d)) {
            XEvent ev;
            XNextEvent(d, &ev);
            if (ev.type == MapNotify && r.popupMs < 0 && windowNamed(d, ev.xmap.window, "ｶﾞｲﾄﾞﾒｯｾｰｼﾞ"))
                r.popupMs = realNowMs() - zeroReal;
        }
        readNewLines(log, lines, logOffset);
        mine = 0;
        for (const Logged& l : lines) mine += l.text2 == tag;
        if (r.popupMs >= 0 && mine >= c.entries && resumed) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    if (!resumed) kill(recorder, SIGCONT);
    if (sender.joinable()) sender.join();
    if (reader.joinable()) reader.join();
    r.sentBefore00 = sentBefore00;
    r.answered = answered;
    XCloseDisplay(d);
    sendClose();
    waitpid(v.pid, nullptr, 0);
    fs::remove_all(dir);

    int next = 0;
    bool inOrder = true;
    for (const Logged& l : lines) {
        if (l.text2 != tag) continue;
        char want[16];
        std::snprintf(want, sizeof want, "e%03d", next++);
        inOrder = inOrder && l.text1 == want;
        r.lastSentMs = std::max(r.lastSentMs, stampMs(l.stamp) - (zeroReal + offset * 1000.0));
        r.lastSeenMs = std::max(r.lastSeenMs, l.seenMs - zeroReal);
    }
    r.complete = inOrder && next == c.entries;
    return r;
}

void printStat(const char* what, std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    std::printf("    %-34s median %6.1f ms, max %6.1f ms\n", what, median(v), v.empty() ? 0.0 : v.back());
}

int benchDue(int rounds)
{
    const std::string lib = fakeTimeLib();
    if (lib.empty()) {
        std::fprintf(stderr, "due: needs libfaketime\n");
        return 1;
    }
    const std::string corvane = fs::canonical(selfDir() + "/../uPCorvane").string();
    char tmpl[] = "/tmp/velmora-bench-XXXXXX";
    const std::string base = mkdtemp(tmpl);
    setenv("XDG_RUNTIME_DIR", base.c_str(), 1);
    const std::string log = base + "/recorder.log";
    Run recorder = startAndWaitShown({corvane, log}, base, "ｺｰｳﾞｪｲﾝ [uPCorvane]");
    if (recorder.pid <= 0) {
        std::fprintf(stderr, "due: the stand-in recorder did not start\n");
        return 1;
    }
    size_t logOffset = 0;
    const DueCase cases[] = {
        {"one", 1, 0},
        {"hundred", 100, 0},
        {"stalled", 100, 350},
        {"flooded", 1, 0, 1000},
    };
    int status = 0;
    std::printf("due check, %d cycles per case, times after the program's second 00:\n", rounds);
    for (const DueCase& c : cases) {
        std::vector<double> popup, sent, seen, early;
        int complete = 0, allAnswered = 0;
        for (int i = 0; i < rounds; ++i) {
            const DueRound r = dueRound(c, i, base, lib, log, recorder.pid, logOffset);
            if (r.popupMs < 0) {
                std::fprintf(stderr, "due: %s, cycle %d: no pop-up\n", c.name, i);
                status = 1;
                continue;
            }
            popup.push_back(r.popupMs);
            sent.push_back(r.lastSentMs);
            seen.push_back(r.lastSeenMs);
            complete += r.complete;
            early.push_back(r.sentBefore00);
            allAnswered += r.answered == c.requests;
        }
        const std::string recorderState =
            c.stallMs ? "stopped for " + std::to_string(c.stallMs) + " ms across second 00" : "reading";
        std::printf("  %d entr%s due, recorder %s: %d of %d cycles delivered every record in order\n", c.entries,
                    c.entries == 1 ? "y" : "ies", recorderState.c_str(), complete, rounds);
        if (c.requests > 0) {
            std::sort(early.begin(), early.end());
            std::printf(
                "    %d requests sent from 1 s before second 00: median %.0f in the slot before 00, "
                "%d of %d cycles answered every one in order\n",
                c.requests, median(early), allAnswered, rounds);
            if (allAnswered != rounds) status = 1;
        }
        printStat("pop-up mapped", popup);
        printStat("last record sent (its stamp)", sent);
        printStat("last record in the recorder's log", seen);
        if (complete != rounds) status = 1;
    }
    std::printf("  targets: pop-up and last record sent within 30 ms (one entry) and 100 ms (100 entries), medians\n");
    sendCloseTo("uPCorvane");
    waitpid(recorder.pid, nullptr, 0);
    fs::remove_all(base);
    return status;
}

}  // namespace

int main(int argc, char** argv)
{
    if (!getenv("DISPLAY")) {
        std::fprintf(stderr, "velmora_bench: needs an X display (DISPLAY)\n");
        return 2;
    }
    unsetenv("QT_QPA_PLATFORM");
    const std::string what = argc > 1 ? argv[1] : "";
    const int n = argc > 2 ? std::atoi(argv[2]) : 0;
    if (what == "startup") {
        const int rounds = n > 0 ? n : 15;
        return benchStartup(rounds, 0) != 0 || benchStartup(rounds, 5) != 0;
    }
    if (what == "close") return benchClose(n > 0 ? n : 20);
    if (what == "idle") return benchIdle(n > 0 ? n : 60);
    if (what == "due") return benchDue(n > 0 ? n : 10);
    if (what == "bigconf") return benchBigConf(n > 0 ? n : 5, argc > 3 ? std::atoi(argv[3]) : 7);
    std::fprintf(stderr,
                 "usage: velmora_bench startup [N] | close [N] | idle [SECONDS] | due [N] | bigconf [MB [N]]\n");
    return 2;
}
