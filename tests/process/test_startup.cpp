// Whole-program runs: start-up refusals, single instance, the window search
// and the end on a signal.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QFile>
#include <csignal>
#include <filesystem>

#include "core/windowsearch.h"
#include "program_run.h"
#include "test_support.h"
#include "xkeys.h"

using namespace proctest;

namespace {

const std::string kMainCaption = "ｳﾞｪﾙﾓﾗ [uPVelmora]";
// The start-up failures use the platform's box, captioned with the
// application's name.
const std::string kStandardBoxCaption = "uPVelmora";

class ProcessTest : public ProgramTest {
protected:
    QString dir(const testsupport::TempDir& d) const { return QString::fromStdString(d.path()); }
    void copyStarterConf(const testsupport::TempDir& d) const { ProgramTest::copyStarterConf(d.path()); }
};

}  // namespace

TEST_F(ProcessTest, MainWindowIsFoundByCaptionAndSigtermEndsWithinASecond)
{
    testsupport::TempDir work;
    copyStarterConf(work);
    const std::string before = testsupport::readFile(work.file("uPVelmora.conf"));
    ProgramRun run(velmoraExe(), dir(work), {}, lockDir());
    ASSERT_NE(waitForWindow(kMainCaption, 15000), 0u)
        << "exit " << run.exitCode() << " running " << run.running() << " " << run.stderrText().toStdString();
    // The caption must match exactly.
    EXPECT_FALSE(platform::windowExists("ｳﾞｪﾙﾓﾗ"));
    EXPECT_FALSE(platform::windowExists(kMainCaption + " "));
    QElapsedTimer clock;
    clock.start();
    run.signal(SIGTERM);
    ASSERT_TRUE(run.waitEnd(3000));
    EXPECT_LT(clock.elapsed(), 1000);
    EXPECT_TRUE(run.normalExit());
    EXPECT_EQ(run.exitCode(), 0);
    EXPECT_TRUE(waitWindowGone(kMainCaption, 2000));
    // The fixed-form list and the settings were not touched by the run.
    EXPECT_TRUE(testsupport::readFile(work.file("uPVelmora.conf")).find("EntryItem_000") != std::string::npos);
    EXPECT_FALSE(before.empty());
}

TEST_F(ProcessTest, MissingConfigurationIsRefusedAndNothingIsCreated)
{
    testsupport::TempDir work;
    ProgramRun run(velmoraExe(), dir(work), {}, lockDir());
    const unsigned long box = waitForWindow(kStandardBoxCaption, 15000, true);
    ASSERT_NE(box, 0u) << run.stderrText().toStdString();
    EXPECT_FALSE(platform::windowExists(kMainCaption));
    ASSERT_TRUE(testsupport::sendKeyToWindow(box, "Return"));
    ASSERT_TRUE(run.waitEnd(5000));
    EXPECT_EQ(run.exitCode(), 0);
    EXPECT_FALSE(std::filesystem::exists(work.file("uPVelmora.conf")));
    EXPECT_TRUE(std::filesystem::is_empty(work.path()));
}

TEST_F(ProcessTest, SecondCopyIsRefusedAndTheFirstKeepsRunning)
{
    testsupport::TempDir first, second;
    copyStarterConf(first);
    copyStarterConf(second);
    ProgramRun a(velmoraExe(), dir(first), {}, lockDir());
    ASSERT_NE(waitForWindow(kMainCaption, 15000), 0u) << a.stderrText().toStdString();

    ProgramRun b(velmoraExe(), dir(second), {}, lockDir());
    const unsigned long box = waitForWindow(kStandardBoxCaption, 15000, true);
    ASSERT_NE(box, 0u);
    ASSERT_TRUE(testsupport::sendKeyToWindow(box, "Return"));
    ASSERT_TRUE(b.waitEnd(5000));
    EXPECT_EQ(b.exitCode(), 0);

    EXPECT_TRUE(a.running());
    EXPECT_TRUE(platform::windowExists(kMainCaption));
    a.signal(SIGTERM);
    EXPECT_TRUE(a.waitEnd(3000));
}

TEST_F(ProcessTest, KilledCopyNeverBlocksTheNextStart)
{
    testsupport::TempDir work;
    copyStarterConf(work);
    {
        ProgramRun a(velmoraExe(), dir(work), {}, lockDir());
        ASSERT_NE(waitForWindow(kMainCaption, 15000), 0u);
        a.signal(SIGKILL);
        ASSERT_TRUE(a.waitEnd(3000));
        EXPECT_FALSE(a.normalExit());
    }
    ASSERT_TRUE(waitWindowGone(kMainCaption, 5000));
    ProgramRun c(velmoraExe(), dir(work), {}, lockDir());
    EXPECT_NE(waitForWindow(kMainCaption, 15000), 0u) << c.stderrText().toStdString();
    EXPECT_EQ(platform::findWindow(kStandardBoxCaption, true), 0u);
    c.signal(SIGTERM);
    EXPECT_TRUE(c.waitEnd(3000));
    EXPECT_EQ(c.exitCode(), 0);
}

// Without a desktop the program says in one line what is missing and ends
// with status 1, never with Qt's abort.
TEST(ProcessNoDisplay, SaysWhatIsMissingAndExitsWithStatusOne)
{
    struct Case {
        const char* what;
        QStringList env;
        const char* said;
    };
    const Case cases[] = {
        {"no display at all", {}, "no display"},
        {"WAYLAND_DISPLAY without a compositor", {"WAYLAND_DISPLAY=wayland-velmora-none"}, "wayland-velmora-none"},
        {"the wayland platform without a compositor", {"QT_QPA_PLATFORM=wayland"}, "Wayland"},
        {"a platform with no plugin", {"QT_QPA_PLATFORM=velmora-none"}, "\"velmora-none\""},
        {"the xcb platform without an X display", {"QT_QPA_PLATFORM=xcb"}, "\"xcb\""},
        {"an X display that does not answer", {"DISPLAY=:59999"}, "cannot open the X display \":59999\""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        testsupport::TempDir work;
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "WAYLAND_SOCKET", "QT_QPA_PLATFORM"}) env.remove(name);
        env.insert("XDG_RUNTIME_DIR", QString::fromStdString(work.path()));
        for (const QString& kv : c.env) env.insert(kv.section('=', 0, 0), kv.section('=', 1));
        p.setProcessEnvironment(env);
        p.setWorkingDirectory(QString::fromStdString(work.path()));
        QElapsedTimer clock;
        clock.start();
        p.start(velmoraExe(), {});
        ASSERT_TRUE(p.waitForFinished(10000));
        EXPECT_LT(clock.elapsed(), 3000);
        EXPECT_EQ(p.exitStatus(), QProcess::NormalExit) << "crashed or aborted";
        EXPECT_EQ(p.exitCode(), 1);
        const QString err = QString::fromUtf8(p.readAllStandardError());
        EXPECT_TRUE(err.startsWith("uPVelmora: ") && err.contains(c.said)) << err.toStdString();
        EXPECT_EQ(err.count('\n'), 1) << err.toStdString();
    }
}
