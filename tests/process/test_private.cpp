// Another local user against the program's slots and lock: it can neither
// take the program's slot name, nor the recorder's to receive the records,
// nor plant the instance lock; and a folder it prepared for them is refused.
#include <gtest/gtest.h>

#include <QFile>
#include <cstring>
#include <filesystem>
#include <functional>
#include <cerrno>
#include <fcntl.h>
#include <grp.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include "core/instancelock.h"
#include "core/runtimedir.h"
#include "program_run.h"
#include "model/recorder/recorder.h"
#include "slot_isolation.h"
#include "test_support.h"
#include "xkeys.h"

using namespace proctest;

namespace {

constexpr int kNobody = 65534;

class PrivateTest : public ProgramTest {
protected:
    void SetUp() override
    {
        ProgramTest::SetUp();
        if (IsSkipped()) return;
        if (::geteuid() != 0) GTEST_SKIP() << "needs root to act as user nobody";
        copyStarterConf(work_.path());
    }
    // What nobody gets when it tries: 0 when it succeeded, else the errno.
    static int asNobody(const std::function<int()>& attempt)
    {
        const pid_t child = ::fork();
        if (child == 0) {
            if (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0) ::_exit(255);
            ::_exit(attempt());
        }
        int status = 0;
        ::waitpid(child, &status, 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) : 254;
    }
    static int bindAt(const std::string& path)
    {
        const int fd = ::socket(AF_UNIX, SOCK_DGRAM, 0);
        sockaddr_un addr{};
        addr.sun_family = AF_UNIX;
        std::memcpy(addr.sun_path, path.data(), path.size());
        return ::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0 ? 0 : errno;
    }
};

}  // namespace

TEST_F(PrivateTest, AnotherUserCanTakeNoSlotNameNorTheLock)
{
    // The folder is there before anyone else could come.
    ASSERT_NE(platform::privateRuntimeDir(), "");
    const std::string lock = platform::InstanceLock::lockPathFor(velmoraExe().toStdString());
    struct Case {
        const char* what;
        std::string path;
        bool socket;
    } cases[] = {
        {"the program's slot", testsupport::slotSocketPath("uPVelmora"), true},
        {"the recorder's slot, to receive the records", testsupport::slotSocketPath("uPCorvane"), true},
        {"the instance lock", lock, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string path = c.path;
        const int got = asNobody([&]() {
            if (c.socket) return bindAt(path);
            const int fd = ::open(path.c_str(), O_RDWR | O_CREAT, 0666);
            return fd >= 0 ? 0 : errno;
        });
        ASSERT_NE(got, 255) << "cannot drop to user nobody here";
        EXPECT_EQ(got, EACCES);
        EXPECT_FALSE(QFile::exists(QString::fromStdString(path)));
    }
    // The program and its recorder start and meet as if nobody had tried.
    const std::string log = work_.file("recorder.log");
    ProgramRun recorder(binDir() + "/uPCorvane", workDir(), {QString::fromStdString(log)}, lockDir());
    ASSERT_NE(waitForWindow("ｺｰｳﾞｪｲﾝ [uPCorvane]", 15000), 0u) << recorder.stderrText().toStdString();
    auto run = startVelmora();
    EXPECT_TRUE(testsupport::waitUntil(
        [&]() { return testsupport::readFile(log).find("を Load しました。") != std::string::npos; }, 5000));
    ASSERT_TRUE(testsupport::rawSlotSend("uPVelmora", uFCom_Bas::closeCommand()));
    ASSERT_TRUE(run->waitEnd(5000));
    EXPECT_EQ(run->exitCode(), 0);
    testsupport::rawSlotSend("uPCorvane", uFCom_Bas::closeCommand());
    recorder.waitEnd(3000);
}

// Without a private XDG_RUNTIME_DIR the program's folder is uPVelmora-<uid>
// in the temporary folder; one that another user made there first is
// refused with a line that says why, and status 1.
TEST_F(PrivateTest, AFolderAnotherUserMadeIsRefused)
{
    testsupport::TempDir tmp, openRuntime;
    ::chmod(tmp.path().c_str(), 01777);
    ::chmod(openRuntime.path().c_str(), 0755);  // not private: not used
    const std::string planted = tmp.path() + "/uPVelmora-" + std::to_string(::geteuid());
    ASSERT_EQ(asNobody([&]() { return ::mkdir(planted.c_str(), 0777) == 0 ? 0 : errno; }), 0);
    ::chmod(planted.c_str(), 0777);
    ProgramRun run(velmoraExe(), workDir(), {}, QString::fromStdString(openRuntime.path()),
                   {"TMPDIR=" + QString::fromStdString(tmp.path())});
    const unsigned long box = waitForWindow("uPVelmora", 15000, true);
    ASSERT_NE(box, 0u) << run.stderrText().toStdString();
    ASSERT_TRUE(testsupport::sendKeyToWindow(box, "Return"));
    ASSERT_TRUE(run.waitEnd(5000));
    EXPECT_EQ(run.exitCode(), 1);
    const QString err = run.stderrText();
    EXPECT_TRUE(err.contains(QString::fromStdString(planted + " belongs to another user"))) << err.toStdString();
    // Nothing of the program's went into it.
    EXPECT_TRUE(std::filesystem::is_empty(planted));
}
