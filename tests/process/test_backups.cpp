// The backups beside the configuration file, as a careless hand or another
// local user would meet them: a link planted at a backup's name, starts that
// drop the schedule, an emptied file, an edit made while the program runs,
// a backup that cannot be written.
#include <gtest/gtest.h>

#include <QFile>
#include <filesystem>
#include <functional>
#include <sys/stat.h>
#include <unistd.h>

#include "gui/platform/ufcom.h"
#include "program_run.h"
#include "model/recorder/recorder.h"
#include "slot_isolation.h"
#include "test_support.h"

using namespace proctest;

namespace {

const std::string kStart =
    "[Section_FormStyle]\r\nFormStyle=NOMAL,1,3,8,12,\r\n[Section_Watch]\r\nWatch_Timer=1,60,1,0,\r\n"
    "[Section_Entry]\r\nEntryItems=1\r\nEntryItem_000=entry,\r\n"
    "[Section_Cycle]\r\nCycleItems=1\r\nCycleItem_000=2099/01/01-00:00,keep,,\r\n";

class BackupTest : public ProgramTest {
protected:
    std::string conf() const { return work_.file("uPVelmora.conf"); }
    std::string bak(int n) const { return conf() + ".bak" + (n > 0 ? "." + std::to_string(n) : std::string()); }
    bool isFile(const std::string& path) const
    {
        struct stat st {};
        return ::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
    }
    struct Ended {
        int status = -1;
        QString err;
    };
    // One run of the program: started (on a clock far ahead when asked),
    // during() while its window is up, then the close command.
    Ended runOnce(bool clockFarAhead, const std::function<void()>& during = {})
    {
        QStringList env;
        if (clockFarAhead) {
            testsupport::writeFile(work_.file("clock"), "@9999-01-01 00:00:00\n");
            env = fakeClockEnv(work_.file("clock"));
        }
        auto run = startVelmora(nullptr, env);
        if (during) during();
        Ended e;
        EXPECT_TRUE(sendCloseCommand());
        EXPECT_TRUE(run->waitEnd(5000));
        e.status = run->exitCode();
        e.err = run->stderrText();
        return e;
    }
};

}  // namespace

TEST_F(BackupTest, FiveGenerationsNeverWrittenThroughALinkAndNeverLostToABadStart)
{
    if (fakeClockEnv(work_.file("clock")).isEmpty()) GTEST_SKIP() << "needs libfaketime";
    testsupport::TempDir elsewhere;
    const std::string victim = elsewhere.file("victim");
    const std::string emptied = kStart.substr(0, kStart.find("[Section_Cycle]")) + "[Section_Cycle]\r\nCycleItems=0\r\n";
    struct Case {
        const char* what;
        std::function<void()> prepare;
        std::vector<bool> farAhead;  // one entry per run
        std::function<void()> between;  // after the first run
        std::vector<std::string> generations;  // .bak, .bak.1, ...; the rest absent
        const char* said;  // on standard error of the last run
    };
    const Case cases[] = {
        {"a link planted at the backup's name",
         [&]() {
             testsupport::writeFile(victim, "victim\n");
             ::chmod(victim.c_str(), 0600);
             ASSERT_EQ(::symlink(victim.c_str(), bak(0).c_str()), 0);
         },
         {false}, {}, {kStart}, ""},
        {"two starts with the clock far ahead", {}, {true, true}, {}, {emptied, kStart}, ""},
        {"a start on an emptied file", {}, {false, false}, [&]() { testsupport::writeFile(conf(), ""); }, {"", kStart},
         ""},
        {"a start like the last one adds no generation", {}, {false, false}, {}, {kStart}, ""},
        {"a folder at the backup's name", [&]() { std::filesystem::create_directory(bak(0)); }, {false}, {}, {},
         "cannot keep the backup"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove_all(bak(0));
        for (int n = 1; n < 5; ++n) std::filesystem::remove(bak(n));
        testsupport::writeFile(conf(), kStart);
        if (c.prepare) c.prepare();
        Ended last;
        for (size_t i = 0; i < c.farAhead.size(); ++i) {
            if (i == 1 && c.between) c.between();
            last = runOnce(c.farAhead[i]);
            EXPECT_EQ(last.status, 0) << last.err.toStdString();
        }
        for (size_t n = 0; n < c.generations.size(); ++n) {
            EXPECT_TRUE(isFile(bak(int(n)))) << "generation " << n;
            EXPECT_EQ(testsupport::readFile(bak(int(n))), c.generations[n]) << "generation " << n;
        }
        for (size_t n = c.generations.size(); n < 5; ++n)
            if (n > 0 || isFile(bak(0))) {
                EXPECT_FALSE(std::filesystem::exists(bak(int(n)))) << "generation " << n;
            }
        EXPECT_TRUE(last.err.contains(c.said)) << last.err.toStdString();
        // The save itself never fails for its backup.
        EXPECT_NE(testsupport::readFile(conf()).find("[Section_Cycle]"), std::string::npos);
        if (QFile::exists(QString::fromStdString(victim))) {
            EXPECT_EQ(testsupport::readFile(victim), "victim\n");
        }
    }
}

// A line added by hand while the program runs: before the next save replaces
// the file, the changed file is kept as the newest backup, and the program
// says so.
TEST_F(BackupTest, AnEditMadeWhileTheProgramRunsIsKeptAside)
{
    testsupport::writeFile(conf(), kStart);
    const std::string edited = kStart + "[Section_Hand]\r\nNote=added by hand\r\n";
    const Ended e = runOnce(false, [&]() { testsupport::writeFile(conf(), edited); });
    EXPECT_EQ(e.status, 0);
    EXPECT_EQ(testsupport::readFile(bak(0)), edited);
    EXPECT_EQ(testsupport::readFile(bak(1)), kStart);
    const std::string path = std::filesystem::canonical(conf()).string();
    EXPECT_TRUE(e.err.contains(QString::fromStdString(path + " was changed by another program while this one ran; "
                                                      "that version is kept as " + path + ".bak")))
        << e.err.toStdString();
}
