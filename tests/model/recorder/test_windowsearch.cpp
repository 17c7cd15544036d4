// Finding the recorder by its window caption on a real X display, and the
// whole link with the stand-in recorder uPCorvane.
#include "model/config/env.h"
#include "core/mailslot.h"
#include "core/windowsearch.h"
#include "model/platform/text.h"
#include "model/recorder/recorder.h"
#include "recorder_test_util.h"
#include "fakes.h"
#include "test_support.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>
#include <gtest/gtest.h>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdlib>
#include <filesystem>
#include <optional>

namespace ms = platform::mailslot;
using namespace uFCom_Bas;

namespace {

const std::string kCaption = "ｺｰｳﾞｪｲﾝ [uPCorvane]";

// Sets DISPLAY for the test's own window searches and restores it after.
class DisplayEnv {
public:
    explicit DisplayEnv(const std::optional<std::string>& value)
    {
        if (const char* old = std::getenv("DISPLAY")) old_ = old;
        if (value) ::setenv("DISPLAY", value->c_str(), 1);
        else ::unsetenv("DISPLAY");
    }
    ~DisplayEnv()
    {
        if (old_) ::setenv("DISPLAY", old_->c_str(), 1);
        else ::unsetenv("DISPLAY");
    }

private:
    std::optional<std::string> old_;
};

#define NEED_X_DISPLAY()                                                                            \
    if (testsupport::xDisplay().empty())                                                            \
    GTEST_SKIP() << "no X display: VELMORA_X_DISPLAY is not set (scripts/test sets it when Xvfb runs)"

// A display of our own, for tests that change the root window's properties.
class PrivateXServer {
public:
    PrivateXServer()
    {
        const QString xvfb = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
        if (xvfb.isEmpty()) return;
        process_.setProgram(xvfb);
        // -noreset: the X server would otherwise reset when its last client
        // leaves, dropping a client that connects at that moment.
        process_.setArguments(QStringList{"-displayfd", "1", "-noreset", "-nolisten", "tcp", "-screen", "0",
                                          "640x480x24"});
        process_.setStandardErrorFile(QProcess::nullDevice());
        process_.start();
        if (!process_.waitForStarted(5000)) return;
        QByteArray out;
        for (int i = 0; i < 100 && !out.contains('\n'); ++i) {
            process_.waitForReadyRead(100);
            out += process_.readAllStandardOutput();
        }
        bool ok = false;
        const int number = out.trimmed().toInt(&ok);
        if (ok) display_ = ":" + std::to_string(number);
    }
    ~PrivateXServer()
    {
        if (process_.state() != QProcess::NotRunning) {
            process_.terminate();
            if (!process_.waitForFinished(3000)) process_.kill();
            process_.waitForFinished(3000);
        }
    }
    const std::string& display() const { return display_; }

private:
    QProcess process_;
    std::string display_;
};

// An X connection that creates plain top-level windows, never mapped.
class XClient {
public:
    explicit XClient(const std::string& display) : d_(XOpenDisplay(display.c_str())) {}
    ~XClient()
    {
        if (d_) XCloseDisplay(d_);
    }
    Display* get() const { return d_; }
    Window root() const { return DefaultRootWindow(d_); }
    Window create() { return XCreateSimpleWindow(d_, root(), 0, 0, 10, 10, 0, 0, 0); }
    Atom atom(const char* name) { return XInternAtom(d_, name, False); }
    void setText(Window w, const char* property, const char* type, const std::string& bytes)
    {
        XChangeProperty(d_, w, atom(property), atom(type), 8, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(bytes.data()), static_cast<int>(bytes.size()));
    }
    void setClientList(const std::vector<Window>& windows)
    {
        std::vector<unsigned long> ids(windows.begin(), windows.end());
        XChangeProperty(d_, root(), atom("_NET_CLIENT_LIST"), XA_WINDOW, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(ids.data()), static_cast<int>(ids.size()));
    }
    void sync() { XSync(d_, False); }

private:
    Display* d_;
};

}  // namespace

TEST(WindowSearch, NoDisplayMeansNoWindow)
{
    {
        DisplayEnv none(std::nullopt);
        EXPECT_FALSE(platform::windowExists(kCaption));
    }
    {
        DisplayEnv unreachable(std::string(":987"));
        EXPECT_FALSE(platform::windowExists(kCaption));
    }
}

TEST(WindowSearch, CaptionRulesOnRootChildren)
{
    NEED_X_DISPLAY();
    PrivateXServer server;
    if (server.display().empty()) GTEST_SKIP() << "could not start a private Xvfb";
    XClient x(server.display());
    ASSERT_TRUE(x.get());
    DisplayEnv env(server.display());

    const Window utf8Net = x.create();  // _NET_WM_NAME only
    x.setText(utf8Net, "_NET_WM_NAME", "UTF8_STRING", "ｺｰｳﾞｪｲﾝ [テスト]");
    const Window utf8Wm = x.create();      // WM_NAME only, as UTF8_STRING
    x.setText(utf8Wm, "WM_NAME", "UTF8_STRING", "ｳﾞｪﾙﾓﾗ [WM_NAME]");
    const Window latin1 = x.create();      // WM_NAME only, Latin-1 STRING
    x.setText(latin1, "WM_NAME", "STRING", "Caf\xe9 [latin1]");
    const Window compound = x.create();  // WM_NAME only, COMPOUND_TEXT as Qt writes it
    {
        char* list[1] = {const_cast<char*>("ｺｰｳﾞｪｲﾝ [COMPOUND_TEXT]")};
        XTextProperty prop{};
        ASSERT_EQ(Xutf8TextListToTextProperty(x.get(), list, 1, XCompoundTextStyle, &prop), Success);
        XSetWMName(x.get(), compound, &prop);
        XFree(prop.value);
    }
    const Window both = x.create();        // _NET_WM_NAME wins over WM_NAME
    x.setText(both, "_NET_WM_NAME", "UTF8_STRING", "net name");
    x.setText(both, "WM_NAME", "STRING", "old name");
    x.sync();

    struct Case {
        const char* caption;
        bool found;
    };
    const Case cases[] = {
        {"ｺｰｳﾞｪｲﾝ [テスト]", true},
        {"ｺｰｳﾞｪｲﾝ [テスト] ", false},
        {"ｺｰｳﾞｪｲﾝ", false},
        {" ｺｰｳﾞｪｲﾝ [テスト]", false},
        {"ｳﾞｪﾙﾓﾗ [WM_NAME]", true},
        {"ｳﾞｪﾙﾓﾗ [wm_name]", false},
        {"Café [latin1]", true},
        {"ｺｰｳﾞｪｲﾝ [COMPOUND_TEXT]", true},
        {"net name", true},
        {"old name", false},
        {"", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(platform::windowExists(c.caption), c.found) << c.caption;
    }
}

TEST(WindowSearch, ClientListOfAWindowManagerIsUsedWhenPresent)
{
    NEED_X_DISPLAY();
    PrivateXServer server;
    if (server.display().empty()) GTEST_SKIP() << "could not start a private Xvfb";
    XClient x(server.display());
    ASSERT_TRUE(x.get());
    DisplayEnv env(server.display());

    const Window listed = x.create();
    x.setText(listed, "_NET_WM_NAME", "UTF8_STRING", "listed");
    const Window unlisted = x.create();
    x.setText(unlisted, "_NET_WM_NAME", "UTF8_STRING", "unlisted");
    // A stale entry first: the vanished window must not end the search.
    const Window gone = x.create();
    XDestroyWindow(x.get(), gone);
    x.setClientList({gone, listed});
    // The window manager's check window, named by the root and by itself.
    Window check = x.create();
    for (Window on : {x.root(), check})
        XChangeProperty(x.get(), on, x.atom("_NET_SUPPORTING_WM_CHECK"), XA_WINDOW, 32, PropModeReplace,
                        reinterpret_cast<unsigned char*>(&check), 1);
    x.sync();

    EXPECT_TRUE(platform::windowExists("listed"));
    EXPECT_FALSE(platform::windowExists("unlisted"));

    // A window manager that died leaves its list behind, not its check window.
    XDestroyWindow(x.get(), check);
    x.sync();
    EXPECT_TRUE(platform::windowExists("unlisted")) << "a list left by a window manager that is gone";

    XDeleteProperty(x.get(), x.root(), x.atom("_NET_CLIENT_LIST"));
    x.sync();
    EXPECT_TRUE(platform::windowExists("unlisted")) << "without a client list the root's children count";
}

// The stand-in recorder on the xcb platform: its window is found by caption,
// RecorderSend reaches it through the real search, and the close command on
// its slot ends it.
TEST(WindowSearch, StandInRecorderIsFoundAndReceives)
{
    NEED_X_DISPLAY();
    // A display of its own when possible, so that recorders shown by other
    // tests on the shared display do not count.
    PrivateXServer server;
    const std::string display = server.display().empty() ? testsupport::xDisplay() : server.display();
    {
        DisplayEnv shared(display);
        if (platform::windowExists(kCaption))
            GTEST_SKIP() << "a recorder window is already shown on " << display;
    }
    testsupport::TempDir dir;
    const QString log = QString::fromStdString(dir.file("corvane.log"));

    // The test process's own name must not be taken (another test may run a
    // recorder when the slot names are not isolated).
    {
        const int probe = ms::SlotOpen("uPCorvane");
        if (probe >= 0) {
            ms::HandleClose(probe);
            GTEST_SKIP() << "a recorder already runs with the mailslot uPCorvane";
        }
    }

    QProcess corvane;
    QProcessEnvironment penv = QProcessEnvironment::systemEnvironment();
    penv.remove(QStringLiteral("QT_QPA_PLATFORM"));
    penv.insert(QStringLiteral("DISPLAY"), QString::fromStdString(display));
    corvane.setProcessEnvironment(penv);
    corvane.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    corvane.start(QStringLiteral(VELMORA_BIN_DIR "/uPCorvane"), {log});
    ASSERT_TRUE(corvane.waitForStarted(5000));

    DisplayEnv env(display);
    const bool appeared = testsupport::waitUntil(
        [&] { return corvane.state() != QProcess::Running || platform::windowExists(kCaption); }, 15000);
    ASSERT_TRUE(appeared && corvane.state() == QProcess::Running)
        << "uPCorvane did not show its window (exit code " << corvane.exitCode() << ")";

    EXPECT_TRUE(platform::windowExists(kCaption));
    EXPECT_FALSE(platform::windowExists("ｺｰｳﾞｪｲﾝ"));
    EXPECT_FALSE(platform::windowExists(kCaption + " "));
    EXPECT_FALSE(platform::windowExists("ｺｰｳﾞｪｲﾝ [upcorvane]"));

    // The whole link, with the real window search.
    const auto oldDir = std::filesystem::current_path();
    std::filesystem::current_path(dir.path());
    testsupport::writeFile(dir.file("uPVelmora.conf"), "");
    std::optional<testsupport::FakeExeName> exeName(std::in_place, "uPVelmora");
    std::optional<RecorderLink> link(std::in_place, EnvInit(QStringLiteral("ｳﾞｪﾙﾓﾗ")));
    EXPECT_EQ(link->alive(), 1);
    EXPECT_EQ(link->send(QStringLiteral("[ｳﾞｪﾙﾓﾗ] ｶﾞｲﾄﾞ部登録"), QStringLiteral("09:30 点検")), 800);
    link.reset();
    exeName.reset();
    std::filesystem::current_path(oldDir);

    QString line;
    testsupport::waitUntil([&] {
        line = QString::fromUtf8(testsupport::readFile(log.toStdString()));
        return line.endsWith(QLatin1Char('\n'));
    }, 5000);
    const QStringList fields = line.trimmed().split(QLatin1Char('\t'));
    ASSERT_EQ(fields.size(), 6) << line.toStdString();
    EXPECT_EQ(fields[0].size(), 17);
    EXPECT_EQ(fields[1], QStringLiteral("88011"));
    EXPECT_EQ(fields[2], QStringLiteral("800"));
    EXPECT_EQ(fields[3], QStringLiteral("uPVelmora"));
    EXPECT_EQ(fields[4], QStringLiteral("[ｳﾞｪﾙﾓﾗ] ｶﾞｲﾄﾞ部登録"));
    EXPECT_EQ(fields[5], QStringLiteral("09:30 点検"));

    // The close command ends it, and its window goes with it.
    const int h = ms::SlotOpen("uPCorvane");
    ASSERT_GE(h, 0);
    const QByteArray close = closeCommand();
    EXPECT_EQ(ms::SlotWrite(h, static_cast<int>(close.size()), close.constData()), 128);
    ms::HandleClose(h);
    EXPECT_TRUE(corvane.waitForFinished(5000));
    EXPECT_EQ(corvane.exitCode(), 0);
    EXPECT_TRUE(testsupport::waitUntil([&] { return !platform::windowExists(kCaption); }, 5000));
}

TEST(WindowSearch, StandInRecorderRefusesASecondCopy)
{
    const int slot = rectest::createRecorderSlot();
    if (slot < 0) GTEST_SKIP() << "the mailslot name uPCorvane is held by another program";
    QProcess second;
    QProcessEnvironment penv = QProcessEnvironment::systemEnvironment();
    penv.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    second.setProcessEnvironment(penv);
    second.start(QStringLiteral(VELMORA_BIN_DIR "/uPCorvane"), {});
    ASSERT_TRUE(second.waitForFinished(10000));
    EXPECT_EQ(second.exitCode(), 1);
    EXPECT_TRUE(second.readAllStandardError().contains("uPCorvane"));
    ms::HandleClose(slot);
}
