// Whole-program runs against what faults, full disks, editors and another
// local user do: a save that failed is made good or said at the end, an
// editor's old copy never takes back an entry, a backup that cannot be
// written costs no older one, a private file is never readable through its
// temporary file, and a start refused for its slot says why.
#include <gtest/gtest.h>

#include <QStandardPaths>
#include <cerrno>
#include <csignal>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <grp.h>
#include <poll.h>
#include <set>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "core/windowsearch.h"
#include "gui/platform/ufcom.h"
#include "program_run.h"
#include "model/recorder/recorder.h"
#include "slot_isolation.h"
#include "test_support.h"
#include "xkeys.h"

using namespace proctest;

namespace {

constexpr int kNobody = 65534;
const std::string kMain = "ｳﾞｪﾙﾓﾗ [uPVelmora]";
const std::string kAdjust = "画面調整";
const std::string kStart = "[Section_FormStyle]\r\nFormStyle=MAX,1,3,8,12,\r\n[Section_Watch]\r\nWatch_Timer=1,60,1,0,\r\n"
                           "[Section_Entry]\r\nEntryItems=1\r\nEntryItem_000=a,\r\n"
                           "[Section_Cycle]\r\nCycleItems=1\r\nCycleItem_000=2099/01/01-00:00,keep,,\r\n";

QString entryOf(const std::string& conf, int n)
{
    return uFCom_Bas::ProfileGet(QString::fromStdString(conf), "Section_Entry",
                                 QString("EntryItem_%1").arg(n, 3, 10, QChar('0')));
}

class NothingLostTest : public ProgramTest {
protected:
    NothingLostTest() : ProgramTest(true) {}
    void TearDown() override
    {
        if (!mounted_.empty()) ::umount2(mounted_.c_str(), MNT_DETACH);
    }

    // The program started in folder with its slots in runtime.
    std::unique_ptr<ProgramRun> start(const std::string& folder, const std::string& runtime, unsigned long& window,
                                      const QStringList& env = {})
    {
        auto run = std::make_unique<ProgramRun>(velmoraExe(), QString::fromStdString(folder), QStringList{},
                                                QString::fromStdString(runtime), env);
        window = waitForWindow(kMain, 15000, true);
        EXPECT_NE(window, 0u) << run->stderrText().toStdString();
        return run;
    }
    // 画面の位置調整, then 適用 until done() holds (a save is seen), at most
    // times presses, then 戻る.  The dialog is modal: what it did is seen in
    // the file, not through the main window.
    static void applyScreenAdjust(unsigned long window, const std::function<bool()>& done, int times = 1)
    {
        testsupport::sendKeyToWindow(window, "alt+m");
        testsupport::sendKeyToWindow(window, "Return");
        const unsigned long dialog = waitForWindow(kAdjust, 10000, true);
        ASSERT_NE(dialog, 0u);
        // From the caption box to the style, then to 適用.
        testsupport::sendKeyToWindow(dialog, "Tab");
        testsupport::sendKeyToWindow(dialog, "Tab");
        bool seen = false;
        for (int i = 0; i < times && !seen; ++i) {
            testsupport::sendKeyToWindow(dialog, "space");
            seen = testsupport::waitUntil(done, times > 1 ? 2000 : 10000);
        }
        EXPECT_TRUE(seen);
        testsupport::sendKeyToWindow(dialog, "Escape");
        EXPECT_TRUE(waitWindowGone(kAdjust, 10000));
    }
    // A registration whose save fails (the file read-only for a moment);
    // once the file is writable again, the next change (the window style's
    // save) or else the shutdown writes it.
    void failedThenCured(const std::string& folder, const std::string& runtime, bool nextChange)
    {
        const std::string conf = folder + "/uPVelmora.conf";
        unsigned long window = 0;
        auto run = start(folder, runtime, window);
        ::chmod(conf.c_str(), 0444);
        ASSERT_TRUE(registerFixedByKeys(window, {"x", "y", "z"}));
        EXPECT_EQ(entryOf(conf, 1), "");
        ::chmod(conf.c_str(), 0644);
        if (nextChange) applyScreenAdjust(window, [&]() { return entryOf(conf, 1) == "xyz,"; });
        ASSERT_TRUE(sendCloseCommand(runtime));
        ASSERT_TRUE(run->waitEnd(5000));
        EXPECT_EQ(run->exitCode(), 0) << run->stderrText().toStdString();
        EXPECT_EQ(entryOf(conf, 1), "xyz,");
    }
    std::string mounted_;
};

// Another user's view of a folder while saves run: each temporary file's
// mode at its first sight, and whether it could be opened for reading.
class Watcher {
public:
    explicit Watcher(const std::string& folder)
    {
        int stop[2], report[2];
        if (::pipe(stop) != 0 || ::pipe(report) != 0) return;
        child_ = ::fork();
        if (child_ == 0) {
            ::close(stop[1]);
            ::close(report[0]);
            if (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0) ::_exit(3);
            watch(folder, stop[0], report[1]);
            ::_exit(0);
        }
        ::close(stop[0]);
        ::close(report[1]);
        stop_ = stop[1];
        report_ = report[0];
        ::fcntl(report_, F_SETFL, O_NONBLOCK);
    }
    ~Watcher() { finish(); }
    // Lines "<mode in octal> <1 when it opened>", one per temporary file.
    const std::vector<std::string>& sightings()
    {
        char buf[256];
        ssize_t n;
        while ((n = ::read(report_, buf, sizeof buf)) > 0) pending_.append(buf, size_t(n));
        for (size_t nl; (nl = pending_.find('\n')) != std::string::npos; pending_.erase(0, nl + 1))
            lines_.push_back(pending_.substr(0, nl));
        return lines_;
    }
    void finish()
    {
        if (child_ <= 0) return;
        ::close(stop_);
        int status = 0;
        ::waitpid(child_, &status, 0);
        child_ = 0;
        ::fcntl(report_, F_SETFL, 0);
        sightings();
        ::close(report_);
    }

private:
    static void watch(const std::string& folder, int stop, int report)
    {
        std::set<std::string> seen;
        pollfd p{stop, POLLIN, 0};
        while (::poll(&p, 1, 0) == 0) {
            DIR* d = ::opendir(folder.c_str());
            if (!d) continue;
            while (dirent* e = ::readdir(d)) {
                const std::string name = e->d_name;
                if (name.find(".tmp.") == std::string::npos || !seen.insert(name).second) continue;
                const std::string path = folder + "/" + name;
                struct stat st {};
                if (::lstat(path.c_str(), &st) != 0) continue;
                const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW);
                if (fd >= 0) ::close(fd);
                char line[64];
                const int len = std::snprintf(line, sizeof line, "%o %d\n", unsigned(st.st_mode & 0777), fd >= 0);
                if (::write(report, line, size_t(len)) < 0) break;
            }
            ::closedir(d);
        }
    }
    pid_t child_ = -1;
    int stop_ = -1, report_ = -1;
    std::string pending_;
    std::vector<std::string> lines_;
};

}  // namespace

TEST_F(NothingLostTest, NoEntryIsLostAndNoPrivateFileIsReadAndEveryRefusalSaysWhy)
{
    struct Case {
        const char* what;
        bool needsRoot, needsMount;
        std::function<void(const std::string& folder, const std::string& runtime)> run;
    };
    const Case cases[] = {
        {"a save that failed, then the next change after the cause is gone", false, false,
         [&](const std::string& folder, const std::string& runtime) { failedThenCured(folder, runtime, true); }},
        {"a save that failed, then shutdown after the cause is gone", false, false,
         [&](const std::string& folder, const std::string& runtime) { failedThenCured(folder, runtime, false); }},
        {"an editor's old copy saved over the file, a screen adjust save, then a kill", false, false,
         [&](const std::string& folder, const std::string& runtime) {
             const std::string conf = folder + "/uPVelmora.conf";
             unsigned long window = 0;
             auto run = start(folder, runtime, window);
             ASSERT_TRUE(registerFixedByKeys(window, {"x", "y", "z"}));
             ASSERT_EQ(entryOf(conf, 1), "xyz,");
             // The editor's copy predates the registration and adds a section.
             const std::string edited = kStart + "[Section_Hand]\r\nNote=by hand\r\n";
             testsupport::writeFile(conf, edited);
             applyScreenAdjust(window, [&]() { return testsupport::readFile(conf) != edited; });
             run->signal(SIGKILL);
             run->waitEnd(5000);
             EXPECT_EQ(entryOf(conf, 1), "xyz,");
             EXPECT_EQ(uFCom_Bas::ProfileGet(QString::fromStdString(conf), "Section_Hand", "Note"), "by hand");
             EXPECT_EQ(testsupport::readFile(conf + ".bak"), edited);
         }},
        {"a full disk with five generations of backups", false, true,
         [&](const std::string& folder, const std::string& runtime) {
             const std::string conf = folder + "/uPVelmora.conf";
             std::vector<std::string> names, kept;
             for (int n = 0; n < 5; ++n) {
                 names.push_back(conf + ".bak" + (n ? "." + std::to_string(n) : std::string()));
                 kept.push_back(kStart + "[Section_Generation]\r\nN=" + std::to_string(n) + "\r\n");
                 testsupport::writeFile(names.back(), kept.back());
             }
             unsigned long window = 0;
             auto run = start(folder, runtime, window);
             const int fd = ::open((folder + "/filler").c_str(), O_WRONLY | O_CREAT, 0644);
             const std::string block(4096, 'x');
             while (::write(fd, block.data(), block.size()) > 0) {
             }
             ::close(fd);
             ASSERT_TRUE(registerFixedByKeys(window, {"x", "y", "z"}));
             for (int n = 0; n < 5; ++n) EXPECT_EQ(testsupport::readFile(names[size_t(n)]), kept[size_t(n)]) << n;
             ASSERT_TRUE(sendCloseCommand(runtime));
             ASSERT_TRUE(run->waitEnd(5000));
             EXPECT_EQ(run->exitCode(), 1);
             for (int n = 0; n < 5; ++n) EXPECT_EQ(testsupport::readFile(names[size_t(n)]), kept[size_t(n)]) << n;
         }},
        {"a 0600 file saved while another user watches the folder", true, false,
         [&](const std::string& folder, const std::string& runtime) {
             const std::string conf = folder + "/uPVelmora.conf";
             // Big enough that each write takes a while.
             testsupport::writeFile(conf, kStart + "[Section_Big]\r\nBig=" + std::string(4 << 20, 'p') + "\r\n");
             ::chmod(conf.c_str(), 0600);
             ::chmod(folder.c_str(), 0755);
             unsigned long window = 0;
             auto run = start(folder, runtime, window);
             Watcher watcher(folder);
             ASSERT_TRUE(registerFixedByKeys(window, {"x", "y", "z"}));
             applyScreenAdjust(window, [&]() { return !watcher.sightings().empty(); }, 20);
             watcher.finish();
             ASSERT_FALSE(watcher.sightings().empty()) << "no temporary file seen";
             for (const std::string& s : watcher.sightings()) EXPECT_EQ(s, "600 0");
             ASSERT_TRUE(sendCloseCommand(runtime));
             ASSERT_TRUE(run->waitEnd(5000));
             EXPECT_EQ(entryOf(conf, 1), "xyz,");
         }},
        {"a dangling link at the slot's name", false, false,
         [&](const std::string& folder, const std::string& runtime) {
             std::filesystem::create_directory(runtime + "/uPVelmora");
             ::chmod((runtime + "/uPVelmora").c_str(), 0700);
             ASSERT_EQ(::symlink((runtime + "/nowhere").c_str(), testsupport::slotSocketPath("uPVelmora", runtime).c_str()),
                       0);
             unsigned long window = 0;
             auto run = start(folder, runtime, window);
             ASSERT_TRUE(sendCloseCommand(runtime));
             ASSERT_TRUE(run->waitEnd(5000));
             EXPECT_EQ(run->exitCode(), 0);
         }},
        {"a runtime folder too deep for a socket path: the temporary folder's instead", false, false,
         [&](const std::string& folder, const std::string& runtime) {
             // <deep>/uPVelmora/uPVelmora.mailslot is 141 bytes.
             std::string deep = runtime;
             while (deep.size() < 100) deep += "/d";
             deep += std::string(112 - deep.size(), 'd');
             std::filesystem::create_directories(deep);
             ::chmod(deep.c_str(), 0700);
             ASSERT_EQ((deep + "/uPVelmora/uPVelmora.mailslot").size(), 141u);
             unsigned long window = 0;
             auto run = start(folder, deep, window, {"TMPDIR=" + QString::fromStdString(runtime)});
             const std::string fallback = runtime + "/uPVelmora-" + std::to_string(::geteuid());
             EXPECT_TRUE(std::filesystem::is_socket(fallback + "/uPVelmora.mailslot"));
             run->signal(SIGTERM);
             ASSERT_TRUE(run->waitEnd(5000));
             EXPECT_EQ(run->exitCode(), 0);
             EXPECT_TRUE(run->stderrText().contains(QString::fromStdString("using " + fallback)));
         }},
        {"both folders too deep for a socket path: refused with a reason", false, false,
         [&](const std::string& folder, const std::string& runtime) {
             std::string deep = runtime;
             while (deep.size() < 120) deep += "/d";
             std::filesystem::create_directories(deep);
             ::chmod(deep.c_str(), 0700);
             ProgramRun run(velmoraExe(), QString::fromStdString(folder), {}, QString::fromStdString(deep),
                            {"TMPDIR=" + QString::fromStdString(deep)});
             const unsigned long box = waitForWindow("uPVelmora", 15000, true);
             ASSERT_NE(box, 0u) << run.stderrText().toStdString();
             testsupport::sendKeyToWindow(box, "Return");
             ASSERT_TRUE(run.waitEnd(5000));
             EXPECT_EQ(run.exitCode(), 1);
             const QStringList lines = run.stderrText().split('\n', Qt::SkipEmptyParts);
             ASSERT_EQ(lines.size(), 1) << lines.join('\n').toStdString();
             EXPECT_TRUE(lines[0].contains(QString::fromStdString(deep))) << lines[0].toStdString();
             EXPECT_TRUE(lines[0].contains("107")) << lines[0].toStdString();
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.needsRoot && ::geteuid() != 0) {
            std::cout << c.what << ": skipped (needs root to act as user nobody)\n";
            continue;
        }
        if (c.needsMount && !privateMounts()) {
            std::cout << c.what << ": skipped (no mount namespace of our own)\n";
            continue;
        }
        testsupport::TempDir dir, runtime;
        std::string folder = dir.path();
        if (c.needsMount) {
            folder = dir.file("small");
            std::filesystem::create_directory(folder);
            ASSERT_EQ(::mount("tmpfs", folder.c_str(), "tmpfs", 0, "size=64k"), 0);
            mounted_ = folder;
        }
        testsupport::writeFile(folder + "/uPVelmora.conf", kStart);
        c.run(folder, runtime.path());
        if (!mounted_.empty()) {
            ::umount2(mounted_.c_str(), MNT_DETACH);
            mounted_.clear();
        }
    }
}

// A window manager that crashed leaves its client list on the root window;
// a recorder started afterwards is found all the same, and gets its records.
TEST_F(NothingLostTest, ARecorderStartedAfterTheWindowManagerDiedIsFound)
{
    DesktopWithWindowManager desk;
    if (!desk.missing().isEmpty()) GTEST_SKIP() << "needs " << desk.missing().toStdString();
    qputenv("DISPLAY", desk.display().toUtf8());
    const QStringList env = {"DISPLAY=" + desk.display()};
    copyStarterConf(work_.path());
    ProgramRun run(velmoraExe(), workDir(), {}, lockDir(), env);
    ASSERT_NE(waitForWindow(kMain, 15000, true), 0u) << run.stderrText().toStdString();
    desk.killWindowManager();
    ASSERT_TRUE(desk.x11("xprop", {"-root", "_NET_CLIENT_LIST"}).contains("window id"));
    const std::string log = work_.file("recorder.log");
    ProgramRun recorder(binDir() + "/uPCorvane", workDir(), {QString::fromStdString(log)}, lockDir(), env);
    ASSERT_NE(waitForWindow("ｺｰｳﾞｪｲﾝ [uPCorvane]", 15000), 0u);
    ASSERT_TRUE(sendCloseCommand(locks_.path()));
    ASSERT_TRUE(run.waitEnd(5000));
    EXPECT_TRUE(testsupport::waitUntil(
        [&]() { return QString::fromStdString(testsupport::readFile(log)).contains("を UnLoad しました。"); }, 5000))
        << testsupport::readFile(log);
    testsupport::rawSlotSend("uPCorvane", uFCom_Bas::closeCommand(), locks_.path());
    recorder.waitEnd(5000);
    qputenv("DISPLAY", QByteArray::fromStdString(display()));
}
