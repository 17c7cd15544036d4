// The configuration file's loader and writers: what loads, what is written,
// and that a save is whole or not at all.
#include <gtest/gtest.h>

#include <QRandomGenerator>
#include <QStringList>
#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <optional>
#include <sys/stat.h>

#include "model/config/myconf.h"
#include "core/ini.h"
#include "model/platform/text.h"
#include "fakes.h"
#include "test_support.h"

using namespace uFConf;

namespace {

const QString kNow = QStringLiteral("2025/04/01-09:30");

std::string sjis(const QString& s)
{
    return uFCom_Bas::toAnsi(s).toStdString();
}

class MyConfTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        chmod(conf_.c_str(), 0644);
    }
    void write(const std::string& bytes) { testsupport::writeFile(conf_, bytes); }
    std::string read() const { return testsupport::readFile(conf_); }
    QString path() const { return QString::fromStdString(conf_); }
    QString get(const QString& section, const QString& key) const
    {
        return uFCom_Bas::ProfileGet(path(), section, key);
    }

    testsupport::TempDir dir_;
    std::string conf_ = dir_.file("uPVelmora.conf");
};

}  // namespace

TEST_F(MyConfTest, WatchSettingsLoadFieldByField)
{
    struct Case {
        const char* stored;  // nullptr: no key
        int autoGuide;
    } cases[] = {
        {"0,120,0,1,", 0}, {nullptr, 1}, {"1,60,5,0,", 1}, {"1,60,-3,0,", 0}, {"1,60,x,0,", 1},
        {"1,60, 0 ,0,", 0}, {"1,60,0.5,0,", 0}, {"1,60,1.5,0,", 1}, {"1,60,,0,", 1}, {"0", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stored ? c.stored : "(none)");
        write(std::string("[Section_Watch]\r\n") + (c.stored ? std::string("Watch_Timer=") + c.stored + "\r\n" : ""));
        const ConfContent got = ConfRead(path(), kNow);
        EXPECT_EQ(got.watch.WatchAutoStart, 1);
        EXPECT_EQ(got.watch.WatchSeconds, 60);
        EXPECT_EQ(got.watch.WatchPanelShow, 0);
        EXPECT_EQ(got.watch.WatchAutoGuide, c.autoGuide);
    }
}

TEST_F(MyConfTest, ItemsLoadUpToTheFirstGapAndAtMostOneHundred)
{
    struct Case {
        std::string name;
        std::string entrySection;
        QStringList entries;
        int entryCount;
    };
    std::string many = "EntryItems=120\r\n";
    QStringList first100;
    for (int i = 0; i < 120; ++i) {
        many += QStringLiteral("EntryItem_%1=m%2,\r\n").arg(i, 3, 10, QChar('0')).arg(i, 3, 10, QChar('0')).toStdString();
        if (i < 100) first100 << QStringLiteral("m%1").arg(i, 3, 10, QChar('0'));
    }
    const Case cases[] = {
        {"gap", "EntryItems=4\r\nEntryItem_000=a,\r\nEntryItem_001=b,\r\nEntryItem_002=c,\r\nEntryItem_004=d,\r\n",
         {"a", "b", "c"}, 3},
        {"first field only", "EntryItem_000=greeting,xyz\r\n", {"greeting"}, 1},
        {"unusable key skipped", "EntryItem_000=a,\r\nEntryItem_001=  ,x\r\nEntryItem_002=c,\r\n", {"a", "c"}, 2},
        {"empty list keeps clamped count", "EntryItems=250\r\n", {}, 99},
        {"count not numeric", "EntryItems=x\r\n", {}, 0},
        {"more than 100 keys", many, first100, 100},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        write("[Section_Entry]\r\n" + c.entrySection);
        const ConfContent got = ConfRead(path(), kNow);
        EXPECT_EQ(got.entries, c.entries);
        EXPECT_EQ(got.EntryCount, c.entryCount);
    }
}

TEST_F(MyConfTest, OnlyGuideEntriesLaterThanNowLoad)
{
    write("[Section_Cycle]\r\nCycleItems=5\r\n"
          "CycleItem_000=2025/04/01-09:29,past,\r\n"
          "CycleItem_001=2025/04/01-09:30,now,v\r\n"
          "CycleItem_002=2025/04/01-09:31,next,v,\r\n"
          "CycleItem_003=Tomorrow,letters sort after digits,\r\n"
          "CycleItem_004=2026/01/01-00:00,a,b,c,\r\n");
    const ConfContent got = ConfRead(path(), kNow);
    EXPECT_EQ(got.cycles, (QStringList{"2025/04/01-09:31,next,v,", "Tomorrow,letters sort after digits,",
                                       "2026/01/01-00:00,a,b,c,"}));
    EXPECT_EQ(got.CycleCount, 3);
}

TEST_F(MyConfTest, MissingFileAndRandomBytesLoadAsEmptyLists)
{
    ConfContent got = ConfRead(path(), kNow);
    EXPECT_TRUE(got.entries.isEmpty());
    EXPECT_EQ(got.watch.WatchAutoGuide, 1);

    const unsigned seed = testsupport::testSeed();
    SCOPED_TRACE("seed " + std::to_string(seed));
    QRandomGenerator generator(seed);
    auto* rng = &generator;
    for (int round = 0; round < 20; ++round) {
        std::string bytes(static_cast<size_t>(rng->bounded(1, 20000)), '\0');
        for (char& b : bytes) b = static_cast<char>(rng->bounded(256));
        write(bytes);
        got = ConfRead(path(), kNow);
        EXPECT_LE(got.entries.size(), 100);
        // A section header among random bytes is next to impossible.
        EXPECT_TRUE(got.entries.isEmpty());
        EXPECT_TRUE(got.cycles.isEmpty());
        // The file can still be written to, and reads back.
        ASSERT_EQ(ConfWriteEntry(path(), {"after"}), 0);
        EXPECT_EQ(ConfRead(path(), kNow).entries, QStringList{"after"});
    }
}

TEST_F(MyConfTest, CodePageTextSurvivesBothWays)
{
    // ソ and 表 end in the byte 0x5C; bad bytes (0x81 0x20, a lone 0xA0 is
    // fine in CP932 but 0x80 / 0xFD are not) read as U+FFFD.
    write("[Section_Entry]\r\nEntryItem_000=" + sjis("ソフト表示") + ",\r\nEntryItem_001=\x80\xFD" + "bad,\r\n" +
          "EntryItem_002=" + sjis("後") + ",\r\n");
    ConfContent got = ConfRead(path(), kNow);
    ASSERT_EQ(got.entries.size(), 3);
    EXPECT_EQ(got.entries[0], "ソフト表示");
    EXPECT_TRUE(got.entries[1].contains(QChar(0xFFFD)));
    EXPECT_TRUE(got.entries[1].endsWith("bad"));
    EXPECT_EQ(got.entries[2], "後");

    // A character the code page cannot hold is stored as '?'; the others stay.
    ASSERT_EQ(ConfWriteEntry(path(), {"ソ表", "emoji 😀 here", "한글", "ok"}), 0);
    got = ConfRead(path(), kNow);
    EXPECT_EQ(got.entries, (QStringList{"ソ表", "emoji ? here", "??", "ok"}));
    EXPECT_NE(read().find("EntryItem_000=" + sjis("ソ表") + ",\r\n"), std::string::npos);
}

TEST_F(MyConfTest, WritersLeaveExactlyTheNewItems)
{
    struct Case {
        std::string name;
        std::string before;
        QStringList items;
        std::string section;  // expected section text after the save
    } cases[] = {
        {"stale keys behind the new count and beyond 099 go",
         "[Section_Entry]\r\nEntryItems=2\r\nEntryItem_000=a,\r\nEntryItem_001=b,\r\nEntryItem_002=c,\r\n"
         "EntryItem_150=far,\r\n[Next]\r\nk=v\r\n",
         {"x"},
         "[Section_Entry]\r\nEntryItems=1\r\nEntryItem_000=x,\r\n[Next]\r\nk=v\r\n"},
        {"empty list writes count 0",
         "[Section_Entry]\r\nEntryItems=3\r\nEntryItem_000=a,\r\nEntryItem_003=d,\r\n",
         {},
         "[Section_Entry]\r\nEntryItems=0\r\n"},
        {"first comma field, trimmed, comma last; skipped entries leave no gap",
         "[Section_Entry]\r\n",
         {"greeting,xyz", ",lost", "  padded  ", "z"},
         "[Section_Entry]\r\nEntryItems=3\r\nEntryItem_000=greeting,\r\nEntryItem_001=padded,\r\nEntryItem_002=z,\r\n"},
        {"section created at the end", "[Section_Watch]\r\nWatch_Timer=1,60,1,0,\r\n", {"a"},
         "[Section_Watch]\r\nWatch_Timer=1,60,1,0,\r\n[Section_Entry]\r\nEntryItems=1\r\nEntryItem_000=a,\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        write(c.before);
        int written = -1;
        ASSERT_EQ(ConfWriteEntry(path(), c.items, &written), 0);
        EXPECT_EQ(read(), c.section);
        EXPECT_EQ(written, ConfRead(path(), kNow).EntryCount);
    }
}

TEST_F(MyConfTest, GuideEntriesAreWrittenWithThreeFields)
{
    write("[Section_Cycle]\r\nCycleItems=1\r\nCycleItem_000=old,\r\nCycleItem_001=old2,\r\n");
    ASSERT_EQ(ConfWriteCycle(path(), {"2025/04/01-10:00,a,b", "2025/04/01-11:00,a", " 2025/04/01-12:00,x,y,z ",
                                      ",no due,"}),
              0);
    EXPECT_EQ(read(), "[Section_Cycle]\r\nCycleItems=3\r\n"
                      "CycleItem_000=2025/04/01-10:00,a,b,\r\n"
                      "CycleItem_001=2025/04/01-11:00,a,,\r\n"
                      "CycleItem_002=2025/04/01-12:00,x,y,\r\n");
}

// The single-pass rewrite leaves the file the key-by-key profile calls
// would leave: same lines, same places, whatever the file looks like.
TEST_F(MyConfTest, OneReplacementEqualsKeyByKeyProfileWrites)
{
    const std::string files[] = {
        "",
        "[Section_FormStyle]\r\nFormStyle=NOMAL,1,3,8,12,\r\n\r\n[Section_Entry]\r\nEntryItems=5\r\n"
        "EntryItem_000=a,\r\nEntryItem_001=b,\r\n\r\n[Section_Cycle]\r\nCycleItems=0\r\n",
        "; comment\r\n[section_entry]\r\n  entryitem_001 = x,\r\nOther=1\r\n\r\n\r\n[SECTION_ENTRY]\r\nEntryItem_000=dup,\r\n",
        "[Section_Entry]\r\nEntryItem_5=kept,\r\nEntryItem_0000=kept,\r\nEntryItem_00x=kept,\r\nentryITEMS=7\r\n"
        "EntryItem_002=" + sjis("表") + "\r\n;EntryItem_003=comment\r\nnot a key\r\n",
        "[Section_Entry]\nEntryItem_000=lf only,\nEntryItem_000=twice,\n[Tail]\nx=1",
        "[" + sjis("ソ") + "]\r\nEntryItems=9\r\n[Section_Entry]\r\n",
    };
    const QStringList items = {"new", "表示", "two words", "ソ"};
    for (const std::string& before : files) {
        SCOPED_TRACE(before);
        // Key by key, as the profile functions would write it.
        const std::string ref = dir_.file("ref.conf");
        testsupport::writeFile(ref, before);
        const QString refPath = QString::fromStdString(ref);
        for (int i = 0; i < 1000; ++i) {
            const QString key = QStringLiteral("EntryItem_%1").arg(i, 3, 10, QChar('0'));
            // Every copy of a repeated key, not just the first.
            while (platform::ini::profileGet(ref, "Section_Entry", key.toStdString()) != "")
                uFCom_Bas::ProfilePut(refPath, kSectionEntry, key, {});
        }
        uFCom_Bas::ProfilePut(refPath, kSectionEntry, kKeyEntryCount, QString::number(items.size()));
        for (int i = 0; i < items.size(); ++i)
            uFCom_Bas::ProfilePut(refPath, kSectionEntry, QStringLiteral("EntryItem_%1").arg(i, 3, 10, QChar('0')),
                                  items[i] + ",");

        write(before);
        ASSERT_EQ(ConfWriteEntry(path(), items), 0);
        EXPECT_EQ(read(), testsupport::readFile(ref));
    }
}

TEST_F(MyConfTest, FailedSaveLeavesTheOldFileWhole)
{
    const std::string before = "[Section_Entry]\r\nEntryItems=2\r\nEntryItem_000=a,\r\nEntryItem_001=b,\r\n";

    // Read-only file: refused even for the superuser.
    write(before);
    ASSERT_EQ(chmod(conf_.c_str(), 0444), 0);
    EXPECT_TRUE(FileReadOnly(path()));
    EXPECT_EQ(ConfWriteEntry(path(), {"x"}), -1);
    EXPECT_EQ(ConfWriteCycle(path(), {}), -1);
    EXPECT_EQ(ConfWriteWatch(path(), WatchSettings{}), -1);
    EXPECT_EQ(read(), before);
    chmod(conf_.c_str(), 0644);

    // Interrupted between writing the new file and putting it in place.
    {
        testsupport::FakeSaveStep cut([](const std::string&) { return false; });
        EXPECT_EQ(ConfWriteEntry(path(), {"x", "y", "z"}), -1);
        EXPECT_EQ(read(), before);
    }
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_.path()), {}), 1);

    // A folder in the file's place is not a file to write.
    std::filesystem::remove(conf_);
    std::filesystem::create_directory(conf_);
    EXPECT_EQ(ConfWriteEntry(path(), {"x"}), -1);
    EXPECT_TRUE(ConfRead(path(), kNow).entries.isEmpty());
    std::filesystem::remove(conf_);
}

TEST_F(MyConfTest, WatchValueKeepsTheOtherSections)
{
    write("[Section_Entry]\r\nEntryItem_000=a,\r\n");
    WatchSettings w;
    w.WatchAutoGuide = 0;
    ASSERT_EQ(ConfWriteWatch(path(), w), 0);
    EXPECT_EQ(get("Section_Watch", "Watch_Timer"), "1,60,0,0,");
    EXPECT_EQ(ConfRead(path(), kNow).watch.WatchAutoGuide, 0);
    EXPECT_EQ(ConfRead(path(), kNow).entries, QStringList{"a"});
}

// The program saves from the file as it last read or wrote it.  Whatever
// happens to the file between two saves, each save must leave what reading
// the file afresh and rewriting the program's sections as the run holds them
// would leave: edits made by another hand stay in every other section, the
// program's own sections are the operator's, and a refused or cut save
// changes nothing and loses nothing.
TEST_F(MyConfTest, SavesFromMemoryEqualSavesThatReadTheFileAgain)
{
    const std::string start = "[Section_FormStyle]\r\nFormStyle=NOMAL,1,3,8,12,\r\n\r\n[Section_Watch]\r\n"
                              "Watch_Timer=1,60,1,0,\r\n\r\n[Section_Entry]\r\nEntryItems=1\r\nEntryItem_000=a,\r\n"
                              "\r\n[Section_Cycle]\r\nCycleItems=0\r\n\r\n[Section_Other]\r\nKept=1\r\n";
    write(start);
    const std::string shadow = dir_.file("shadow.conf");
    const QString shadowPath = QString::fromStdString(shadow);
    MyConf::Binding b;
    b.confPath = [this]() { return path(); };
    MyConf conf(b);
    conf.MyConfRead();

    struct Step {
        const char* what;
        std::function<void()> between;  // done to the file before the save
        bool saves;
    };
    // Same size, same file; the edit comes a second later, as a hand's
    // would (the file system's clock has a coarse tick).
    auto rewriteInPlace = [this](char from, char to) {
        std::string bytes = read();
        std::replace(bytes.begin(), bytes.end(), from, to);
        FILE* f = std::fopen(conf_.c_str(), "r+b");
        ASSERT_NE(f, nullptr);
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
        struct stat st {};
        ASSERT_EQ(stat(conf_.c_str(), &st), 0);
        const timespec times[2] = {st.st_atim, {st.st_mtim.tv_sec + 1, st.st_mtim.tv_nsec}};
        ASSERT_EQ(utimensat(AT_FDCWD, conf_.c_str(), times, 0), 0);
    };
    auto replaceByRename = [this](const std::string& extra) {
        const std::string next = conf_ + ".next";
        testsupport::writeFile(next, read() + extra);
        ASSERT_EQ(std::rename(next.c_str(), conf_.c_str()), 0);
    };
    std::optional<testsupport::FakeSaveStep> cut;
    const Step steps[] = {
        {"nothing in between", [] {}, true},
        {"nothing in between, again", [] {}, true},
        {"a key changed in place, same size and file", [&] { rewriteInPlace('1', '2'); }, true},
        {"a section appended", [&] { testsupport::writeFile(conf_, read() + "[Hand]\r\nA=1\r\n"); }, true},
        {"the file replaced by another program", [&] { replaceByRename("[Tool]\r\nB=2\r\n"); }, true},
        {"nothing after the replacement", [] {}, true},
        {"marked read-only", [this] { chmod(conf_.c_str(), 0444); }, false},
        {"writable again, and a key added meanwhile",
         [&] {
             chmod(conf_.c_str(), 0644);
             replaceByRename("[Later]\r\nC=3\r\n");
         },
         true},
        {"a save cut short",
         [&] { cut.emplace([](const std::string&) { return false; }); }, false},
        {"the next save after the cut one",
         [&] {
             cut.reset();
             rewriteInPlace('3', '4');
         },
         true},
    };
    int n = 0;
    for (const Step& s : steps) {
        SCOPED_TRACE(s.what);
        s.between();
        const std::string before = read();
        conf.entries().insertSorted(QStringLiteral("entry %1").arg(n++));
        testsupport::writeFile(shadow, before);
        const int rc = conf.MyConfWriteEntry();
        if (!s.saves) {
            EXPECT_EQ(rc, -1);
            EXPECT_EQ(read(), before);
            continue;
        }
        ASSERT_EQ(rc, 0);
        ASSERT_EQ(ConfWriteEntry(shadowPath, conf.entries().texts()), 0);
        ASSERT_EQ(ConfWriteWatch(shadowPath, conf.watch()), 0);
        ASSERT_EQ(ConfWriteCycle(shadowPath, conf.schedule().storedEntries()), 0);
        EXPECT_EQ(read(), testsupport::readFile(shadow));
    }
    // Everything every hand added is there, and every entry of the run.
    const std::string end = read();
    for (const char* kept : {"[Section_Other]", "[Hand]", "[Tool]", "[Later]"})
        EXPECT_NE(end.find(kept), std::string::npos) << kept;
    EXPECT_EQ(ConfRead(path(), kNow).entries.size(), conf.entries().size());
}

// The check at start tells whether a save would be refused, and why, naming
// the file; it creates, changes and blocks on nothing.
TEST_F(MyConfTest, WriteCheckForetellsTheSaveAndTouchesNothing)
{
    const std::string before = "[Section_Entry]\r\nEntryItems=1\r\nEntryItem_000=a,\r\n";
    const std::string target = dir_.file("elsewhere.conf");
    enum class Make { Writable, ReadOnly, Missing, Folder, Fifo, LinkToWritable, LinkToReadOnly };
    struct Case {
        const char* name;
        Make make;
        const char* why;  // nullptr: can be written
    } cases[] = {
        {"writable file", Make::Writable, nullptr},
        {"no write permission, refused even for the superuser", Make::ReadOnly, "read-only"},
        {"missing: a save makes it anew", Make::Missing, nullptr},
        {"a folder in its place", Make::Folder, "not a regular file"},
        {"a FIFO nobody reads: never opened", Make::Fifo, "not a regular file"},
        {"a link to a writable file", Make::LinkToWritable, nullptr},
        {"a link to a read-only file", Make::LinkToReadOnly, "read-only"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove_all(conf_);
        std::filesystem::remove(target);
        switch (c.make) {
        case Make::Writable: write(before); break;
        case Make::ReadOnly: write(before); ASSERT_EQ(chmod(conf_.c_str(), 0444), 0); break;
        case Make::Missing: break;
        case Make::Folder: std::filesystem::create_directory(conf_); break;
        case Make::Fifo: ASSERT_EQ(mkfifo(conf_.c_str(), 0644), 0); break;
        case Make::LinkToWritable:
        case Make::LinkToReadOnly:
            testsupport::writeFile(target, before);
            if (c.make == Make::LinkToReadOnly) {
                ASSERT_EQ(chmod(target.c_str(), 0444), 0);
            }
            std::filesystem::create_symlink(target, conf_);
            break;
        }
        const platform::ini::FileStamp stamp = platform::ini::fileStamp(conf_);
        const std::string bytes = stamp.exists && std::filesystem::is_regular_file(conf_) ? read() : "";

        const WriteResult r = ConfWriteCheck(path());
        EXPECT_EQ(r.code, c.why ? -1 : 0) << r.why.toStdString();
        if (c.why) {
            EXPECT_TRUE(r.why.contains(c.why)) << r.why.toStdString();
            EXPECT_TRUE(r.why.contains("uPVelmora.conf")) << r.why.toStdString();
        }
        // Untouched: nothing made, nothing written, not even its time.
        EXPECT_EQ(platform::ini::fileStamp(conf_), stamp);
        if (!bytes.empty()) {
            EXPECT_EQ(read(), bytes);
        }

        // A save meets what the check told.
        EXPECT_EQ(ConfWriteEntry(path(), {"x"}) != 0, c.why != nullptr);
        chmod(target.c_str(), 0644);
    }
    std::filesystem::remove_all(conf_);
}
