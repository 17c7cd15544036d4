// The previous-instance test: one holder per executable and user, released by
// the kernel when the holder dies.
#include "core/instancelock.h"
#include "core/runtimedir.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <climits>
#include <csignal>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using platform::InstanceLock;
using testsupport::TempDir;

namespace {

// Points XDG_RUNTIME_DIR at a private folder for the test and restores it.
class InstanceLockTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (const char* old = std::getenv("XDG_RUNTIME_DIR")) oldRuntime_ = old;
        setenv("XDG_RUNTIME_DIR", runtime.path().c_str(), 1);
        exe = bin.file("uPVelmora");
        testsupport::writeFile(exe, "#!/bin/sh\n");
    }
    void TearDown() override
    {
        if (oldRuntime_)
            setenv("XDG_RUNTIME_DIR", oldRuntime_->c_str(), 1);
        else
            unsetenv("XDG_RUNTIME_DIR");
    }

    TempDir runtime;
    TempDir bin;
    std::string exe;

private:
    std::optional<std::string> oldRuntime_;
};

// Runs acquire in a forked child: 'Y' when it got the lock, 'N' when not.
// With hold set the child keeps the lock and waits to be killed after
// reporting.
struct Child {
    pid_t pid = -1;
    int readFd = -1;
};

Child startChild(const std::string& exe, bool hold)
{
    int fds[2];
    if (pipe(fds) != 0) return {};
    pid_t pid = fork();
    if (pid == 0) {
        close(fds[0]);
        InstanceLock lock;
        char got = lock.acquire(exe) ? 'Y' : 'N';
        if (write(fds[1], &got, 1) != 1) _exit(2);
        if (hold)
            for (;;) pause();
        _exit(0);
    }
    close(fds[1]);
    return {pid, fds[0]};
}

char childResult(const Child& c)
{
    char got = '?';
    if (c.readFd < 0 || read(c.readFd, &got, 1) != 1) got = '?';
    return got;
}

void reap(Child& c, bool kill9)
{
    if (c.pid > 0) {
        if (kill9) kill(c.pid, SIGKILL);
        waitpid(c.pid, nullptr, 0);
    }
    if (c.readFd >= 0) close(c.readFd);
    c = {};
}

char acquireInChild(const std::string& exe)
{
    Child c = startChild(exe, false);
    char got = childResult(c);
    reap(c, false);
    return got;
}

}  // namespace

TEST_F(InstanceLockTest, LockFileIsInThePrivateFolderNamedAfterTheCanonicalPath)
{
    const std::string path = InstanceLock::lockPathFor(exe);
    const std::string prefix = runtime.path() + "/uPVelmora/";
    ASSERT_EQ(path.substr(0, prefix.size()), prefix);
    const std::string rest = path.substr(prefix.size());
    ASSERT_EQ(rest.size(), 16u + 5u);
    EXPECT_EQ(rest.substr(16), ".lock");
    EXPECT_EQ(rest.substr(0, 16).find_first_not_of("0123456789abcdef"), std::string::npos);

    // Other spellings of the same file share the lock; another file does not.
    const std::string link = bin.file("link");
    ASSERT_EQ(symlink(exe.c_str(), link.c_str()), 0);
    EXPECT_EQ(InstanceLock::lockPathFor(bin.path() + "/./uPVelmora"), path);
    EXPECT_EQ(InstanceLock::lockPathFor(link), path);
    EXPECT_NE(InstanceLock::lockPathFor(bin.file("uPCorvane")), path);
}

TEST_F(InstanceLockTest, SecondCopyIsRefusedWhileTheFirstRuns)
{
    InstanceLock lock;
    ASSERT_TRUE(lock.acquire(exe));
    EXPECT_EQ(acquireInChild(exe), 'N');
    // A different program is not blocked.
    EXPECT_EQ(acquireInChild(bin.file("uPCorvane")), 'Y');
    lock.release();
    EXPECT_EQ(acquireInChild(exe), 'Y');
    // Released by the destructor too.
    {
        InstanceLock scoped;
        ASSERT_TRUE(scoped.acquire(exe));
        EXPECT_EQ(acquireInChild(exe), 'N');
    }
    EXPECT_EQ(acquireInChild(exe), 'Y');
}

// A copy killed without any chance to clean up never blocks the next start.
TEST_F(InstanceLockTest, KilledHolderReleasesTheLock)
{
    Child holder = startChild(exe, true);
    ASSERT_EQ(childResult(holder), 'Y');
    InstanceLock lock;
    EXPECT_FALSE(lock.acquire(exe));
    reap(holder, true);
    EXPECT_TRUE(lock.acquire(exe));
    EXPECT_EQ(acquireInChild(exe), 'N');
}

// A program started by the holder does not inherit the lock.
TEST_F(InstanceLockTest, LockDescriptorIsCloseOnExec)
{
    InstanceLock lock;
    ASSERT_TRUE(lock.acquire(exe));
    const std::string lockPath = InstanceLock::lockPathFor(exe);
    int found = 0;
    DIR* d = opendir("/proc/self/fd");
    ASSERT_NE(d, nullptr);
    while (dirent* e = readdir(d)) {
        char target[PATH_MAX];
        std::string link = std::string("/proc/self/fd/") + e->d_name;
        ssize_t n = readlink(link.c_str(), target, sizeof target - 1);
        if (n <= 0) continue;
        target[n] = '\0';
        if (lockPath != target) continue;
        ++found;
        int fd = std::atoi(e->d_name);
        EXPECT_TRUE(fcntl(fd, F_GETFD) & FD_CLOEXEC);
    }
    closedir(d);
    EXPECT_EQ(found, 1);
}

TEST(RunningExecutable, PathAndBaseName)
{
    char real[PATH_MAX];
    ASSERT_NE(realpath("/proc/self/exe", real), nullptr);
    EXPECT_EQ(platform::runningExecutablePath(), real);
    std::string base = real;
    base = base.substr(base.find_last_of('/') + 1);
    EXPECT_EQ(platform::runningExecutableBaseName(), base.substr(0, base.find_last_of('.')));
    EXPECT_EQ(platform::runningExecutableBaseName().find('/'), std::string::npos);
}

// Where the slots and locks live: XDG_RUNTIME_DIR when it is private, else a
// folder of the user's own in the temporary folder, never one that another
// user made or may write to.
TEST(PrivateRuntimeDir, OnlyAFolderOfTheUsersOwnIsTaken)
{
    const char* oldRuntime = std::getenv("XDG_RUNTIME_DIR");
    const char* oldTmp = std::getenv("TMPDIR");
    const std::optional<std::string> keepRuntime = oldRuntime ? std::optional<std::string>(oldRuntime) : std::nullopt;
    const std::optional<std::string> keepTmp = oldTmp ? std::optional<std::string>(oldTmp) : std::nullopt;
    const std::string uid = std::to_string(::geteuid());
    enum class Prep { None, OpenRuntime, ForeignFallback, WritableFallback, ReadableFallback, LinkedFallback };
    struct Case {
        const char* what;
        bool runtimeSet;
        Prep prep;
        const char* expected;  // "runtime", "fallback" or the problem's words
    } cases[] = {
        {"private XDG_RUNTIME_DIR", true, Prep::None, "runtime"},
        {"no XDG_RUNTIME_DIR", false, Prep::None, "fallback"},
        {"XDG_RUNTIME_DIR that others may enter", true, Prep::OpenRuntime, "fallback"},
        {"fallback made by another user", false, Prep::ForeignFallback, "belongs to another user"},
        {"fallback that others may write to", false, Prep::WritableFallback, "may be written by other users"},
        {"fallback that others may read", false, Prep::ReadableFallback, "fallback"},
        {"fallback that is a link", false, Prep::LinkedFallback, "is not a folder"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.prep == Prep::ForeignFallback && ::geteuid() != 0) continue;  // needs a second user
        TempDir runtime, tmp, elsewhere;
        const std::string fallback = tmp.path() + "/uPVelmora-" + uid;
        if (c.runtimeSet) setenv("XDG_RUNTIME_DIR", runtime.path().c_str(), 1);
        else unsetenv("XDG_RUNTIME_DIR");
        switch (c.prep) {
        case Prep::OpenRuntime: ::chmod(runtime.path().c_str(), 0755); break;
        case Prep::ForeignFallback:
            ASSERT_EQ(::mkdir(fallback.c_str(), 0700), 0);
            ASSERT_EQ(::chown(fallback.c_str(), 65534, 65534), 0);
            break;
        case Prep::WritableFallback:
            ASSERT_EQ(::mkdir(fallback.c_str(), 0700), 0);
            ::chmod(fallback.c_str(), 0777);
            break;
        case Prep::ReadableFallback:
            ASSERT_EQ(::mkdir(fallback.c_str(), 0755), 0);
            break;
        case Prep::LinkedFallback: ASSERT_EQ(::symlink(elsewhere.path().c_str(), fallback.c_str()), 0); break;
        case Prep::None: break;
        }
        std::string problem;
        setenv("TMPDIR", tmp.path().c_str(), 1);
        const std::string dir = platform::privateRuntimeDir(&problem);
        const std::string lockPath = InstanceLock::lockPathFor("/bin/sh");
        if (keepTmp) setenv("TMPDIR", keepTmp->c_str(), 1);
        else unsetenv("TMPDIR");
        const std::string want = c.expected;
        if (want == "runtime" || want == "fallback") {
            EXPECT_EQ(dir, want == "runtime" ? runtime.path() + "/uPVelmora" : fallback) << problem;
            struct stat st {};
            ASSERT_EQ(::lstat(dir.c_str(), &st), 0);
            EXPECT_TRUE(S_ISDIR(st.st_mode));
            EXPECT_EQ(st.st_mode & 0777, 0700u) << "closed to everyone else";
        } else {
            EXPECT_EQ(dir, "");
            EXPECT_NE(problem.find(fallback), std::string::npos) << problem;
            EXPECT_NE(problem.find(want), std::string::npos) << problem;
            // Nothing is ever put there: no lock file either.
            EXPECT_EQ(lockPath, "");
        }
    }
    if (keepRuntime) setenv("XDG_RUNTIME_DIR", keepRuntime->c_str(), 1);
    else unsetenv("XDG_RUNTIME_DIR");
    if (keepTmp) setenv("TMPDIR", keepTmp->c_str(), 1);
    else unsetenv("TMPDIR");
}
