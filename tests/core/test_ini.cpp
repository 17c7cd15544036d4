// The INI engine against the system's own profile calls: what one writes the
// other reads the same way.  Where the system has no profile calls (POSIX),
// the engine is held to the same table alone.
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "os.h"
#include "peer.h"
#include "core/cp932.h"
#include "core/ini.h"
#include "fakes.h"

namespace ini = platform::ini;

namespace {

std::string sj(const std::string& utf8)
{
    return platform::utf8ToCp932(utf8);
}

struct Lookup {
    std::string section, key, expected;
    // What Wine's profile calls answer where they differ from Windows'.
    std::optional<std::string> wine = std::nullopt;
};

// Both readers give the expected value for every lookup.
void expectBothRead(const std::string& path, const std::vector<Lookup>& lookups)
{
    for (const Lookup& l : lookups) {
        const std::string where = platform::cp932ToUtf8("[" + l.section + "] " + l.key);
        EXPECT_EQ(ini::profileGet(path, l.section, l.key), l.expected) << "engine " << where;
        std::string system;
        if (contract::systemProfileGet(path, l.section, l.key, system)) {
            EXPECT_EQ(system, l.wine && contract::underWine() ? *l.wine : l.expected) << "system " << where;
        }
    }
}

}  // namespace

TEST(IniContract, AHandWrittenFileReadsTheSameByBoth)
{
    const std::string path = contract::scratchDir() + "/read.conf";
    contract::writeFile(path, "; comment line\r\n"
                              "[Main]\r\n"
                              "Key1=value1\r\n"
                              "  Spaced  =   padded value   \r\n"
                              "Quoted=\"in quotes\"\r\n"
                              "Half=\"open\r\n"
                              ";Hidden=comment\r\n"
                              "Dup=first\r\n"
                              "Dup=second\r\n"
                              "Trail=" + sj("ソ表") + "\r\n" +
                              sj("ＫＥＹ") + "=full width\r\n" +
                              sj("ア") + "=a\r\n" +
                              sj("表示") + "=" + sj("ソ\\") + "\r\n"
                              "[" + sj("ソ表") + "]\r\n" +
                              sj("キー") + "=" + sj("値") + "\r\n"
                              "[Other]\r\n"
                              "Key1=other\r\n");
    expectBothRead(path, {
                             {"Main", "Key1", "value1"},
                             {"MAIN", "key1", "value1"},
                             {"main", "KEY1", "value1"},
                             {"Main", "Spaced", "padded value"},
                             {"Main", "Quoted", "in quotes"},
                             {"Main", "Half", "\"open"},
                             // Windows skips a line that starts with ';'; Wine
                             // reads it as a key of that name.
                             {"Main", ";Hidden", "", std::string("comment")},
                             {"Main", "Dup", "first"},
                             {"Main", "Trail", sj("ソ表")},
                             {"Main", sj("表示"), sj("ソ\\")},
                             {"Main", sj("ＫＥＹ"), "full width"},
                             {"Main", sj("ｋｅｙ"), ""},  // only ASCII letters fold
                             {"Main", sj("ア"), "a"},
                             {"Main", sj("ヂ"), ""},  // 83 61 is not 83 41: trail bytes never fold
                             {sj("ソ表"), sj("キー"), sj("値")},
                             {"Other", "Key1", "other"},
                             {"Main", "Missing", ""},
                             {"Nowhere", "Key1", ""},
                         });
}

TEST(IniContract, WhatEitherWritesTheOtherReads)
{
    struct Put {
        std::string section, key;
        std::optional<std::string> value;
    };
    const std::vector<Put> puts = {
        {"Main", "Key", std::string("v1")},
        {"MAIN", "KEY", std::string("v2")},  // the same key, other case
        {"Main", "Gone", std::string("x")},
        {"Main", "gone", std::nullopt},      // deleted
        {"Main", sj("ソ表"), sj("表示ソ")},
        {sj("表示"), "Kana", sj("ﾃｽﾄ表")},
        {"Main", "Never", std::nullopt},     // deleting what is not there
    };
    const std::vector<Lookup> expected = {
        {"Main", "Key", "v2"},
        {"Main", "Gone", ""},
        {"Main", sj("ソ表"), sj("表示ソ")},
        {sj("表示"), "kana", sj("ﾃｽﾄ表")},
        {"Main", "Never", ""},
    };
    for (const bool bySystem : {false, true}) {
        SCOPED_TRACE(bySystem ? "written by the system" : "written by the engine");
        const std::string path = contract::scratchDir() + "/write.conf";
        bool written = true;
        for (const Put& p : puts) {
            if (bySystem) {
                written = contract::systemProfilePut(path, p.section, p.key, p.value);
                if (!written) break;
            } else {
                ASSERT_EQ(ini::profilePut(path, p.section, p.key, p.value), 0);
            }
        }
        if (!written) continue;  // no system profile calls here
        expectBothRead(path, expected);
        // One [Main] section only: the case-folded key was replaced, not added.
        const std::string image = contract::readFile(path);
        EXPECT_EQ(image.find("[Main]"), image.rfind("[Main]"));
    }
}

TEST(IniContract, AnInterruptedSaveLeavesTheOldFileWholeAndNoTemporaryFile)
{
    const std::string dir = contract::scratchDir(), path = dir + "/keep.conf";
    ASSERT_EQ(ini::profilePut(path, "Main", "Key", std::string("old")), 0);
    const std::string before = contract::readFile(path);
    std::string temp;
    {
        testsupport::FakeSaveStep step([&temp](const std::string& tempPath) {
            temp = tempPath;
            return false;  // as a kill between writing and replacing would
        });
        EXPECT_EQ(ini::profilePut(path, "Main", "Key", std::string("new")), -1);
    }
    EXPECT_EQ(contract::readFile(path), before);
    EXPECT_FALSE(temp.empty());
    EXPECT_FALSE(std::filesystem::exists(temp)) << "the temporary file is gone";
    EXPECT_EQ(ini::profilePut(path, "Main", "Key", std::string("new")), 0);
    EXPECT_EQ(ini::profileGet(path, "Main", "Key"), "new");
}

// A backup is written whole beside its name before anything moves: the new
// file stands apart until it is moved into place, and one that cannot be
// written leaves nothing behind.
TEST(IniContract, AFileWrittenBesideItsNameStandsApartUntilMovedIn)
{
    const std::string dir = contract::scratchDir(), name = dir + "/beside.conf.bak";
    std::string temp;
    ASSERT_EQ(ini::writeNewBeside(name, "whole\r\n", 0600, temp), 0);
    EXPECT_FALSE(std::filesystem::exists(name));
    EXPECT_EQ(contract::readFile(temp), "whole\r\n");
    ASSERT_EQ(ini::renameOver(temp, name), 0);
    EXPECT_EQ(contract::readFile(name), "whole\r\n");
    EXPECT_FALSE(std::filesystem::exists(temp));

    std::string none = "unchanged";
    EXPECT_EQ(ini::writeNewBeside(dir + "/no-such-folder/x.bak", "lost", 0600, none), -1);
    EXPECT_TRUE(none.empty());
}
