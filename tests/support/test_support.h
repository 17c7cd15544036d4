#pragma once
// Helpers shared by the test programs.
#include <QString>
#include <functional>
#include <ostream>
#include <string>

class QWidget;

// Test failures show texts as texts.
inline void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}

namespace testsupport {

// A fresh temporary folder, removed when the object goes.
class TempDir {
public:
    TempDir();
    ~TempDir();
    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

std::string readFile(const std::string& path);
void writeFile(const std::string& path, const std::string& bytes);

// A runtime folder of the test process's own (XDG_RUNTIME_DIR, mode 0700)
// while it lives, so that the mailslots and instance locks of everything
// the process runs meet no other test program; removed at its end.
class OwnRuntimeFolder {
public:
    OwnRuntimeFolder();
    ~OwnRuntimeFolder();

private:
    std::string path_;
};

// The X display that scripts/test started, or empty when none runs.
std::string xDisplay();

// Answers the next modal dialog from a timer: calls fn with the active modal
// widget as soon as one is shown (polls for up to timeoutMs).
void answerNextModal(std::function<void(QWidget*)> fn, int timeoutMs = 5000);

// The seed of a test's random choices: VELMORA_TEST_SEED when set, else a
// new one, printed so that a failing run can be repeated with it.
unsigned testSeed();

// Runs the event loop until pred holds or timeoutMs passes.
bool waitUntil(const std::function<bool()>& pred, int timeoutMs);

}  // namespace testsupport
