// Whole-program runs where a save cannot be made as usual: the file or its
// folder refuses, the disk is full, the file turns into a FIFO or is
// deleted while the program runs.  A failure is never silent, no save hangs,
// and nothing the operator had is lost.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QFile>
#include <QThread>
#include <fcntl.h>
#include <filesystem>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include "gui/platform/ufcom.h"
#include "program_run.h"
#include "model/recorder/recorder.h"
#include "slot_isolation.h"
#include "test_support.h"
#include "xkeys.h"

using namespace proctest;

namespace {

constexpr int kNobody = 65534;
const std::string kStart = "[Section_FormStyle]\r\nFormStyle=MAX,1,3,8,12,\r\n[Section_Watch]\r\nWatch_Timer=1,60,1,0,\r\n"
                           "[Section_Entry]\r\nEntryItems=1\r\nEntryItem_000=a,\r\n"
                           "[Section_Cycle]\r\nCycleItems=1\r\nCycleItem_000=2099/01/01-00:00,keep,\r\n";

class SaveFailureTest : public ProgramTest {
protected:
    SaveFailureTest() : ProgramTest(true) {}
    void TearDown() override
    {
        if (!mounted_.empty()) ::umount2(mounted_.c_str(), MNT_DETACH);
    }
    std::string mounted_;
};

}  // namespace

TEST_F(SaveFailureTest, AFailedSaveIsSeenAndNothingHangsOrIsLost)
{
    enum class Env { ReadOnlyFile, ReadOnlyFolder, FullDisk, Fifo, Deleted };
    struct Case {
        const char* name;
        Env env;
        bool saved;          // the registration reached the file
        int status;          // exit status after the close command
        const char* reason;  // in the standard error line, when not saved
    } cases[] = {
        {"read-only file", Env::ReadOnlyFile, false, 1, "read-only"},
        {"read-only folder, writable file (rewritten in place)", Env::ReadOnlyFolder, true, 0, ""},
        {"full disk", Env::FullDisk, false, 1, "No space left on device"},
        {"file replaced by a FIFO", Env::Fifo, false, 1, "not a regular file"},
        {"file deleted (written whole from memory)", Env::Deleted, true, 0, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.env == Env::ReadOnlyFolder && ::geteuid() != 0) continue;  // needs a second user
        if (c.env == Env::FullDisk && !privateMounts()) {
            std::cout << "full disk: skipped (no mount namespace of our own)\n";
            continue;
        }
        testsupport::TempDir dir, runtime, ownRuntime;
        std::string folder = dir.path();
        if (c.env == Env::FullDisk) {
            folder = dir.file("small");
            std::filesystem::create_directory(folder);
            ASSERT_EQ(::mount("tmpfs", folder.c_str(), "tmpfs", 0, "size=64k"), 0);
            mounted_ = folder;
        }
        const std::string conf = folder + "/uPVelmora.conf";
        testsupport::writeFile(conf, kStart);
        int runAs = -1;
        if (c.env == Env::ReadOnlyFile) ::chmod(conf.c_str(), 0444);
        if (c.env == Env::ReadOnlyFolder) {
            runAs = kNobody;
            ::chmod(conf.c_str(), 0666);
            ::chmod(folder.c_str(), 0555);
            // Another user: a runtime folder of its own, which nobody else
            // may enter.
            ASSERT_EQ(::chown(ownRuntime.path().c_str(), kNobody, kNobody), 0);
        }
        const std::string programRuntime = runAs >= 0 ? ownRuntime.path() : runtime.path();
        const std::string log = runtime.file("recorder.log");
        ProgramRun recorder(binDir() + "/uPCorvane", QString::fromStdString(runtime.path()),
                            {QString::fromStdString(log)}, QString::fromStdString(runtime.path()));
        ASSERT_NE(waitForWindow("ｺｰｳﾞｪｲﾝ [uPCorvane]", 15000), 0u);
        ProgramRun run(velmoraExe(), QString::fromStdString(folder), {}, QString::fromStdString(programRuntime), {}, runAs);
        const unsigned long window = waitForWindow("ｳﾞｪﾙﾓﾗ [uPVelmora]", 15000, true);
        ASSERT_NE(window, 0u) << run.stderrText().toStdString();

        if (c.env == Env::FullDisk) {
            // Fill what is left of the small disk.
            const int fd = ::open((folder + "/filler").c_str(), O_WRONLY | O_CREAT, 0644);
            const std::string block(4096, 'x');
            while (::write(fd, block.data(), block.size()) > 0) {
            }
            ::close(fd);
        }
        if (c.env == Env::Fifo || c.env == Env::Deleted) ::unlink(conf.c_str());
        if (c.env == Env::Fifo) {
            ASSERT_EQ(::mkfifo(conf.c_str(), 0644), 0);
        }
        const std::string before = c.env == Env::Fifo ? "" : testsupport::readFile(conf);

        // 定型登録 of "xyz" with the keyboard; the registration and its save
        // are done before the close command.
        ASSERT_TRUE(registerFixedByKeys(window, {"x", "y", "z"}));

        QElapsedTimer closing;
        closing.start();
        ASSERT_TRUE(sendCloseCommand(programRuntime, 3000));
        ASSERT_TRUE(run.waitEnd(2000)) << "not ended within 2 s of the close command";
        EXPECT_LT(closing.elapsed(), 2000);
        EXPECT_EQ(run.exitCode(), c.status);
        const QString err = run.stderrText();
        if (c.saved) {
            EXPECT_FALSE(err.contains("was not saved")) << err.toStdString();
            const QString path = QString::fromStdString(conf);
            EXPECT_EQ(uFCom_Bas::ProfileGet(path, "Section_Entry", "EntryItem_001"), "xyz,");
            EXPECT_EQ(uFCom_Bas::ProfileGet(path, "Section_Cycle", "CycleItem_000"), "2099/01/01-00:00,keep,,");
            EXPECT_EQ(uFCom_Bas::ProfileGet(path, "Section_FormStyle", "FormStyle"), "MAX,1,3,8,12,");
        } else {
            EXPECT_TRUE(err.contains(QString::fromStdString("uPVelmora: the schedule was not saved to " +
                                                            std::filesystem::canonical(folder).string() + "/uPVelmora.conf: ")))
                << err.toStdString();
            EXPECT_TRUE(err.contains(c.reason)) << err.toStdString();
            // The registration that never reached the disk is named.
            EXPECT_TRUE(err.contains("not on disk: the fixed-form list")) << err.toStdString();
            if (c.env != Env::Fifo) {
                EXPECT_EQ(testsupport::readFile(conf), before);  // old content whole
            }
            // The failure line went to the recorder with the shutdown lines.
            EXPECT_TRUE(testsupport::waitUntil(
                [&]() { return QString::fromStdString(testsupport::readFile(log)).contains("File Access NG\t 設定Fileに書込できません。"); },
                2000));
        }
        testsupport::rawSlotSend("uPCorvane", uFCom_Bas::closeCommand(), runtime.path());
        recorder.waitEnd(3000);
        if (c.env == Env::ReadOnlyFolder) ::chmod(folder.c_str(), 0755);
        if (!mounted_.empty()) {
            ::umount2(mounted_.c_str(), MNT_DETACH);
            mounted_.clear();
        }
    }
}

// Started on a file it may not write, the program says so at once: a line
// on standard error while it runs, and the head line's notice, which is not
// forwarded (the recorder hears of the file only from the save that fails
// at the end).  The file stays as it was.
TEST_F(SaveFailureTest, AFileItMayNotWriteIsSaidAtStart)
{
    enum class Env { Writable, ReadOnlyFile, AnotherUsersFile };
    struct Case {
        const char* name;
        Env env;
        const char* reason;  // in the standard error line; nullptr: nothing said
    } cases[] = {
        {"writable file", Env::Writable, nullptr},
        {"read-only file", Env::ReadOnlyFile, "the file is read-only"},
        {"another user's file, the program run as nobody", Env::AnotherUsersFile, "the file is read-only"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.env == Env::AnotherUsersFile && ::geteuid() != 0) continue;  // needs a second user
        testsupport::TempDir dir, runtime, ownRuntime;
        const std::string conf = dir.file("uPVelmora.conf");
        testsupport::writeFile(conf, kStart);
        int runAs = -1;
        if (c.env == Env::ReadOnlyFile) {
            ASSERT_EQ(::chmod(conf.c_str(), 0444), 0);
        }
        if (c.env == Env::AnotherUsersFile) {
            runAs = kNobody;
            ASSERT_EQ(::chmod(dir.path().c_str(), 0755), 0);
            ASSERT_EQ(::chown(ownRuntime.path().c_str(), kNobody, kNobody), 0);
        }
        // A program of another user cannot reach this user's recorder.
        const bool reachesRecorder = runAs < 0;
        const std::string programRuntime = reachesRecorder ? runtime.path() : ownRuntime.path();
        const std::string log = runtime.file("recorder.log");
        auto logLines = [&log]() { return QString::fromStdString(testsupport::readFile(log)).split('\n'); };
        ProgramRun recorder(binDir() + "/uPCorvane", QString::fromStdString(runtime.path()),
                            {QString::fromStdString(log)}, QString::fromStdString(runtime.path()));
        ASSERT_NE(waitForWindow("ｺｰｳﾞｪｲﾝ [uPCorvane]", 15000), 0u);
        ProgramRun run(velmoraExe(), QString::fromStdString(dir.path()), {}, QString::fromStdString(programRuntime), {},
                       runAs);
        ASSERT_NE(waitForWindow("ｳﾞｪﾙﾓﾗ [uPVelmora]", 15000, true), 0u) << run.stderrText().toStdString();

        const QString said = QString::fromStdString("uPVelmora: the configuration file cannot be written: " +
                                                    std::filesystem::canonical(dir.path()).string() + "/uPVelmora.conf: ");
        QString err;
        if (c.reason) {
            // At start, before anything is saved.
            EXPECT_TRUE(testsupport::waitUntil([&]() { return (err += run.stderrText()).contains(said); }, 15000))
                << err.toStdString();
        }
        if (reachesRecorder) {
            ASSERT_TRUE(testsupport::waitUntil([&]() { return logLines().filter("を Load しました。").size() == 1; }, 10000));
        }
        const int linesBeforeClose = logLines().size();
        ASSERT_TRUE(sendCloseCommand(programRuntime, 3000));
        ASSERT_TRUE(run.waitEnd(5000));
        err += run.stderrText();
        // The save at the end fails on such a file, and says so.
        EXPECT_EQ(run.exitCode(), c.reason ? 1 : 0) << err.toStdString();
        if (c.reason) {
            EXPECT_TRUE(err.contains(said + QString::fromLatin1(c.reason))) << err.toStdString();
            EXPECT_EQ(err.count(said), 1) << err.toStdString();
            EXPECT_EQ(testsupport::readFile(conf), kStart);
        } else {
            EXPECT_FALSE(err.contains("cannot be written")) << err.toStdString();
        }
        if (reachesRecorder) {
            // Everything the run sent is in: its last line is the unload line.
            ASSERT_TRUE(testsupport::waitUntil([&]() { return logLines().filter("を UnLoad しました。").size() == 1; }, 5000));
            const QStringList lines = logLines();
            QList<int> failures;
            for (int i = 0; i < lines.size(); ++i)
                if (lines[i].contains("File Access NG")) failures << i;
            if (c.reason) {
                ASSERT_EQ(failures.size(), 1) << lines.join("\n").toStdString();
                EXPECT_GE(failures[0], linesBeforeClose - 1) << "forwarded before the close command";
            } else {
                EXPECT_TRUE(failures.isEmpty()) << lines.join("\n").toStdString();
            }
        }
        testsupport::rawSlotSend("uPCorvane", uFCom_Bas::closeCommand(), runtime.path());
        recorder.waitEnd(3000);
    }
}
