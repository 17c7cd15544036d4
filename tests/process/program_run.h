#pragma once
// Starting the built programs as other programs would, on the tests' X display.
#include <QProcess>
#include <QString>
#include <QStringList>
#include <memory>
#include <string>

namespace proctest {

// The tests' X display; empty when none runs (tests then skip).
std::string display();

// One started program.  Its environment has the X display, no Qt platform
// override, and a lock folder of its own unless one is given.
class ProgramRun {
public:
    ProgramRun(const QString& exe, const QString& workDir, const QStringList& args = {},
               const QString& runtimeDir = QString());
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

QString velmoraExe();
QString binDir();
QString sourceDir();

}  // namespace proctest
