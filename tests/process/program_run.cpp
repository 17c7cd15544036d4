#include "program_run.h"

#include <QElapsedTimer>
#include <QFile>
#include <QStandardPaths>
#include <QProcessEnvironment>
#include <QThread>
#include <csignal>
#include <sched.h>
#include <sys/mount.h>
#include <unistd.h>

#include "core/windowsearch.h"
#include "model/recorder/recorder.h"
#include "slot_isolation.h"
#include "xkeys.h"
#include <filesystem>
#include "test_support.h"

namespace proctest {

std::string display()
{
    return testsupport::xDisplay();
}

QString velmoraExe()
{
    return QStringLiteral(VELMORA_EXE);
}

QString binDir()
{
    return QStringLiteral(VELMORA_BIN_DIR);
}

QString sourceDir()
{
    return QStringLiteral(VELMORA_SOURCE_DIR);
}

ProgramRun::ProgramRun(const QString& exe, const QString& workDir, const QStringList& args, const QString& runtimeDir,
                       const QStringList& extraEnv, int runAs)
    : process_(std::make_unique<QProcess>())
{
    if (runAs >= 0) {
        process_->setChildProcessModifier([runAs]() {
            if (::setgid(static_cast<gid_t>(runAs)) != 0 || ::setuid(static_cast<uid_t>(runAs)) != 0) ::_exit(126);
        });
    }
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    env.insert(QStringLiteral("DISPLAY"), QString::fromStdString(display()));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtimeDir.isEmpty() ? workDir : runtimeDir);
    for (const QString& kv : extraEnv) env.insert(kv.section('=', 0, 0), kv.section('=', 1));
    process_->setProcessEnvironment(env);
    process_->setWorkingDirectory(workDir);
    process_->setProcessChannelMode(QProcess::SeparateChannels);
    process_->setStandardOutputFile(QProcess::nullDevice());
    process_->start(exe, args);
    process_->waitForStarted(5000);
}

ProgramRun::~ProgramRun()
{
    if (process_->state() != QProcess::NotRunning) {
        process_->kill();
        process_->waitForFinished(3000);
    }
}

bool ProgramRun::started() const
{
    return process_->state() != QProcess::NotRunning || process_->exitStatus() == QProcess::NormalExit;
}

qint64 ProgramRun::pid() const
{
    return process_->processId();
}

bool ProgramRun::running() const
{
    if (process_->state() == QProcess::NotRunning) return false;
    return !process_->waitForFinished(0);
}

bool ProgramRun::waitEnd(int timeoutMs)
{
    if (process_->state() == QProcess::NotRunning) return true;
    return process_->waitForFinished(timeoutMs);
}

int ProgramRun::exitCode() const
{
    return process_->exitCode();
}

bool ProgramRun::normalExit() const
{
    return process_->exitStatus() == QProcess::NormalExit;
}

void ProgramRun::signal(int sig)
{
    const qint64 p = pid();
    if (p > 0) ::kill(static_cast<pid_t>(p), sig);
}

QString ProgramRun::stderrText()
{
    return QString::fromUtf8(process_->readAllStandardError());
}

void ProgramTest::SetUp()
{
    if (display().empty()) GTEST_SKIP() << "no X display (scripts/test starts Xvfb)";
    (void)needsOwnSlots_;
    qputenv("DISPLAY", QByteArray::fromStdString(display()));
    // The programs this test starts keep their slots and locks in the lock
    // folder; so does this process, to reach them.
    qputenv("XDG_RUNTIME_DIR", QByteArray::fromStdString(locks_.path()));
}

QString ProgramTest::lockDir() const
{
    return QString::fromStdString(locks_.path());
}

QString ProgramTest::workDir() const
{
    return QString::fromStdString(work_.path());
}

void ProgramTest::copyStarterConf(const std::string& folder) const
{
    std::filesystem::copy_file((sourceDir() + "/examples/uPVelmora.conf").toStdString(), folder + "/uPVelmora.conf");
}

std::unique_ptr<ProgramRun> ProgramTest::startVelmora(unsigned long* window, const QStringList& extraEnv) const
{
    auto run = std::make_unique<ProgramRun>(velmoraExe(), workDir(), QStringList{}, lockDir(), extraEnv);
    const unsigned long w = waitForWindow("ｳﾞｪﾙﾓﾗ [uPVelmora]", 15000);
    EXPECT_NE(w, 0u) << run->stderrText().toStdString();
    if (window) *window = w;
    return run;
}

QStringList fakeClockEnv(const std::string& timeFile)
{
#if defined(__SANITIZE_ADDRESS__) || (defined(__has_feature) && __has_feature(address_sanitizer))
    // libfaketime's start-up recurses into the sanitizer's clock interceptors
    // and the instrumented program never shows its window: not available.
    (void)timeFile;
    return {};
#endif
    for (const char* lib : {"/usr/lib/x86_64-linux-gnu/faketime/libfaketime.so.1",
                            "/usr/lib/aarch64-linux-gnu/faketime/libfaketime.so.1", "/usr/lib/faketime/libfaketime.so.1"}) {
        if (!std::filesystem::exists(lib)) continue;
        return {QStringLiteral("LD_PRELOAD=") + lib, "FAKETIME_TIMESTAMP_FILE=" + QString::fromStdString(timeFile),
                "FAKETIME_NO_CACHE=1", "FAKETIME_DONT_FAKE_MONOTONIC=1", "FAKETIME_DISABLE_SHM=1"};
    }
    return {};
}

DesktopWithWindowManager::DesktopWithWindowManager()
{
    for (const char* tool : {"Xvfb", "openbox", "xprop"}) {
        if (QStandardPaths::findExecutable(tool).isEmpty()) {
            missing_ = tool;
            return;
        }
    }
    for (int n = 140; n < 200 && display_.isEmpty(); ++n) {
        if (QFile::exists(QStringLiteral("/tmp/.X%1-lock").arg(n))) continue;
        display_ = QStringLiteral(":%1").arg(n);
    }
    server_.start(QStringLiteral("Xvfb"), {display_, "-screen", "0", "1280x800x24", "-nolisten", "tcp"});
    const QString socket = "/tmp/.X11-unix/X" + display_.mid(1);
    if (!testsupport::waitUntil([&]() { return QFile::exists(socket); }, 10000)) {
        missing_ = "a running Xvfb";
        return;
    }
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), display_);
    wm_.setProcessEnvironment(env);
    wm_.start(QStringLiteral("openbox"), {"--sm-disable"});
    // Ready once it announces itself on the root window.
    if (!testsupport::waitUntil([&]() { return x11(QStringLiteral("xprop"), {"-root", "_NET_SUPPORTING_WM_CHECK"}).contains("window id"); },
                                10000))
        missing_ = "a running openbox";
}

DesktopWithWindowManager::~DesktopWithWindowManager()
{
    for (QProcess* p : {&wm_, &server_}) {
        if (p->state() == QProcess::NotRunning) continue;
        p->terminate();
        if (!p->waitForFinished(3000)) p->kill();
        p->waitForFinished(3000);
    }
}

QString DesktopWithWindowManager::x11(const QString& tool, const QStringList& args) const
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), display_);
    p.setProcessEnvironment(env);
    p.start(tool, args);
    p.waitForFinished(5000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

void DesktopWithWindowManager::killWindowManager()
{
    wm_.kill();
    wm_.waitForFinished(3000);
}

namespace {
// Made before any thread starts, so that every thread of the process is in it.
const bool g_privateMounts =
    ::unshare(CLONE_NEWNS) == 0 && ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
}  // namespace

bool privateMounts()
{
    return g_privateMounts;
}

bool keysHandled(unsigned long mainWindow, int timeoutMs)
{
    const std::string caption = "ｳﾞｪﾙﾓﾗ [uPVelmora] のﾊﾞｰｼﾞｮﾝ情報";
    if (!testsupport::sendKeyToWindow(mainWindow, "alt+h") || !testsupport::sendKeyToWindow(mainWindow, "Return"))
        return false;
    const unsigned long dialog = waitForWindow(caption, timeoutMs, true);
    if (!dialog) return false;
    testsupport::sendKeyToWindow(dialog, "Escape");
    return waitWindowGone(caption, timeoutMs);
}

bool sendCloseCommand(const std::string& runtimeDir, int timeoutMs)
{
    return testsupport::waitUntil(
        [&]() { return testsupport::rawSlotSend("uPVelmora", uFCom_Bas::closeCommand(), runtimeDir); }, timeoutMs);
}

bool registerFixedByKeys(unsigned long mainWindow, const std::vector<std::string>& letters)
{
    // Tab Tab reaches 定型登録's text box, two more Tabs the button.
    std::vector<std::string> keys{"Tab", "Tab"};
    keys.insert(keys.end(), letters.begin(), letters.end());
    for (const char* k : {"Tab", "Tab", "space"}) keys.push_back(k);
    for (const std::string& k : keys) testsupport::sendKeyToWindow(mainWindow, k);
    return keysHandled(mainWindow);
}

bool slotDrained(const std::string& socketPath, int timeoutMs)
{
    // ss shows the length of the first waiting datagram as Recv-Q, 0 when
    // none waits.
    return testsupport::waitUntil(
        [&]() {
            QProcess ss;
            ss.start(QStringLiteral("ss"), {"-xHa", "src", QString::fromStdString(socketPath)});
            ss.waitForFinished(5000);
            const QStringList fields = QString::fromUtf8(ss.readAllStandardOutput()).simplified().split(' ');
            return fields.size() > 2 && fields[2] == QLatin1String("0");
        },
        timeoutMs);
}

int windowCount(const std::string& caption)
{
    QProcess tree;
    tree.start(QStringLiteral("xwininfo"), {QStringLiteral("-root"), QStringLiteral("-tree")});
    tree.waitForFinished(5000);
    const QString quoted = "\"" + QString::fromStdString(caption) + "\"";
    return static_cast<int>(QString::fromUtf8(tree.readAllStandardOutput()).count(quoted));
}

unsigned long waitForWindow(const std::string& caption, int timeoutMs, bool mappedOnly)
{
    QElapsedTimer clock;
    clock.start();
    do {
        if (unsigned long w = platform::findWindow(caption, mappedOnly)) return w;
        QThread::msleep(25);
    } while (clock.elapsed() < timeoutMs);
    return 0;
}

bool waitWindowGone(const std::string& caption, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    do {
        if (!platform::windowExists(caption)) return true;
        QThread::msleep(25);
    } while (clock.elapsed() < timeoutMs);
    return false;
}

}  // namespace proctest
