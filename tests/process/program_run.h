#pragma once
// Starting the built programs as other programs would, on the tests' X display.
#include <gtest/gtest.h>

#include <QProcess>
#include <QString>
#include <QStringList>
#include <memory>
#include <string>
#include <vector>

#include "test_support.h"

namespace proctest {

// The tests' X display; empty when none runs (tests then skip).
std::string display();

// One started program.  Its environment has the X display, no Qt platform
// override, and a lock folder of its own unless one is given.
class ProgramRun {
public:
    // extraEnv: NAME=value pairs added to the environment; runAs: a user id
    // the program runs as (-1: this process's).
    ProgramRun(const QString& exe, const QString& workDir, const QStringList& args = {},
               const QString& runtimeDir = QString(), const QStringList& extraEnv = {}, int runAs = -1);
    ~ProgramRun();
    bool started() const;
    qint64 pid() const;
    bool running() const;
    // Waits for the end; false on time-out.
    bool waitEnd(int timeoutMs);
    int exitCode() const;
    bool normalExit() const;
    void signal(int sig);
    QString stderrText();

private:
    std::unique_ptr<QProcess> process_;
};

// Waits until a top-level window with this caption exists; its X id or 0.
// With mappedOnly, only a window shown on the screen counts.
unsigned long waitForWindow(const std::string& caption, int timeoutMs, bool mappedOnly = false);
// Waits until no window with this caption exists.
bool waitWindowGone(const std::string& caption, int timeoutMs);

// Base of the whole-program tests: skips without an X display (or, when
// asked, without a slot namespace of its own), points this process at the
// display, and gives the started programs a lock folder of their own and a
// working folder.
class ProgramTest : public ::testing::Test {
protected:
    explicit ProgramTest(bool needsOwnSlots = false) : needsOwnSlots_(needsOwnSlots) {}
    void SetUp() override;
    QString lockDir() const;
    QString workDir() const;
    // Copies the starter configuration file into the folder.
    void copyStarterConf(const std::string& folder) const;
    // Starts build/uPVelmora in the working folder and waits for its window.
    std::unique_ptr<ProgramRun> startVelmora(unsigned long* window = nullptr, const QStringList& extraEnv = {}) const;

    testsupport::TempDir work_, locks_;

private:
    bool needsOwnSlots_;
};

// An X display of its own with a real window manager (Xvfb and openbox),
// for what only a window manager does: minimising, "show desktop", focus.
class DesktopWithWindowManager {
public:
    DesktopWithWindowManager();
    ~DesktopWithWindowManager();
    // What is missing when the desktop could not be made; empty when ready.
    QString missing() const { return missing_; }
    QString display() const { return display_; }
    // The standard output of an X tool run on this display.
    QString x11(const QString& tool, const QStringList& args) const;
    // Kills the window manager as a crash would: what it put on the root
    // window stays behind.
    void killWindowManager();

private:
    QString display_, missing_;
    QProcess server_, wm_;
};

// The environment that runs a program on a wall clock read from a file
// (libfaketime: "@yyyy-mm-dd hh:mm:ss" starts the clock there, and a new
// time written later sets it again); empty when libfaketime is missing.
QStringList fakeClockEnv(const std::string& timeFile);
// Waits until the program has handled every key sent to its main window so
// far.  Keys are handled in order: once the version dialog that Alt+H,
// Return opens is on the screen, all keys before them were handled.  The
// dialog is closed again.  False on time-out.
bool keysHandled(unsigned long mainWindow, int timeoutMs = 10000);
// Sends the close command to the program's slot in runtimeDir (default:
// this process's), retried until the slot takes it: the slot exists a
// moment after the window.  False on time-out.
bool sendCloseCommand(const std::string& runtimeDir = {}, int timeoutMs = 5000);
// 定型登録 of a message typed as these keys, from the focus the main window
// starts with (the hidden box); true once the program has handled them.
bool registerFixedByKeys(unsigned long mainWindow, const std::vector<std::string>& letters);
// Waits until nothing waits in the queue of the slot whose socket is at
// path: its owner has taken every datagram sent to it.  False on time-out.
bool slotDrained(const std::string& socketPath, int timeoutMs = 10000);

// A mount namespace of this test process's own, so that a test may mount a
// small file system nobody else sees.  False when none can be had.
bool privateMounts();

// Counts the top-level windows with this caption.
int windowCount(const std::string& caption);

QString velmoraExe();
QString binDir();
QString sourceDir();

}  // namespace proctest
