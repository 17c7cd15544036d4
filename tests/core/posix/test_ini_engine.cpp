// The INI engine: the Windows profile-string semantics on CP932 files, and
// writes that replace the file whole or not at all.
#include "core/cp932.h"
#include "core/ini.h"
#include "fakes.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <dirent.h>
#include <functional>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

using platform::utf8ToCp932;
using platform::ini::Document;
using platform::ini::namesEqual;
using platform::ini::profileGet;
using platform::ini::profilePut;
using testsupport::readFile;
using testsupport::TempDir;
using testsupport::writeFile;

namespace {

// CP932 bytes of a UTF-8 literal, for readable tests.
std::string A(const char* utf8)
{
    return utf8ToCp932(utf8);
}

std::vector<std::string> listDir(const std::string& dir)
{
    std::vector<std::string> names;
    if (DIR* d = opendir(dir.c_str())) {
        while (dirent* e = readdir(d)) {
            std::string n = e->d_name;
            if (n != "." && n != "..") names.push_back(n);
        }
        closedir(d);
    }
    return names;
}

mode_t modeOf(const std::string& path)
{
    struct stat st {};
    stat(path.c_str(), &st);
    return st.st_mode & 07777;
}

// Permission checks do not apply to root, so as root the check runs in a child
// that has become an ordinary user.  fn returns 0 when all its checks hold.
int runUnprivileged(const std::string& dir, const std::function<int()>& fn)
{
    if (geteuid() != 0) return fn();
    chmod(dir.c_str(), modeOf(dir) | 0711);  // let the user reach the folder
    pid_t pid = fork();
    if (pid == 0) {
        if (setgid(65534) != 0 || setuid(65534) != 0) _exit(99);
        _exit(fn());
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 98;
}

class IniTest : public ::testing::Test {
protected:
    TempDir dir;
    std::string conf = dir.file("uPVelmora.conf");
};

}  // namespace

TEST_F(IniTest, SectionAndKeyNamesIgnoreAsciiCase)
{
    writeFile(conf, "[Section_Watch]\r\nWatchTime=30\r\n");
    EXPECT_EQ(profileGet(conf, "section_watch", "WATCHTIME"), "30");
    EXPECT_EQ(profileGet(conf, "SECTION_WATCH", "watchtime"), "30");
    ASSERT_EQ(profilePut(conf, "SECTION_watch", "watchTIME", "45"), 0);
    // The file keeps its own spelling of the names.
    EXPECT_EQ(readFile(conf), "[Section_Watch]\r\nWatchTime=45\r\n");
}

// Only ASCII letters fold: a trail byte in the letter range is part of a
// Japanese character, and full-width letters are other characters.
TEST_F(IniTest, NamesNeverFoldTrailBytes)
{
    struct Case {
        const char* a;
        const char* b;
        bool equal;
    };
    const Case cases[] = {
        {"EntryItem_000", "entryitem_000", true},
        {"ア", "ヂ", false},  // 83 41 / 83 61
        {"住", "循", false},  // 8F 5A / 8F 7A
        {"ソa", "ソA", true},
        {"表x", "表X", true},
        {"Ａ", "ａ", false},
        {"ｱ", "ｱ", true},
        {"ア", "アa", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.a) + " / " + c.b);
        EXPECT_EQ(namesEqual(A(c.a), A(c.b)), c.equal);
    }

    writeFile(conf, A("[ア]\r\n住=1\r\n"));
    EXPECT_EQ(profileGet(conf, A("ア"), A("住")), "1");
    EXPECT_EQ(profileGet(conf, A("ヂ"), A("住")), "");
    EXPECT_EQ(profileGet(conf, A("ア"), A("循")), "");
    ASSERT_EQ(profilePut(conf, A("ア"), A("循"), "2"), 0);
    EXPECT_EQ(readFile(conf), A("[ア]\r\n住=1\r\n循=2\r\n"));
}

TEST_F(IniTest, NewKeysGoToTheEndOfTheirSectionAndNewSectionsToTheEnd)
{
    writeFile(conf,
              "; header comment\r\n"
              "[Section_Entry]\r\n"
              "EntryItem_000=a\r\n"
              "; trailing comment\r\n"
              "\r\n"
              "[Section_Cycle]\r\n"
              "CycleItem_000=b\r\n");
    ASSERT_EQ(profilePut(conf, "Section_Entry", "EntryItem_001", "c"), 0);
    ASSERT_EQ(profilePut(conf, "Section_Cycle", "CycleItem_001", "d"), 0);
    ASSERT_EQ(profilePut(conf, "Section_New", "Key", "e"), 0);
    EXPECT_EQ(readFile(conf),
              "; header comment\r\n"
              "[Section_Entry]\r\n"
              "EntryItem_000=a\r\n"
              "; trailing comment\r\n"
              "EntryItem_001=c\r\n"
              "\r\n"
              "[Section_Cycle]\r\n"
              "CycleItem_000=b\r\n"
              "CycleItem_001=d\r\n"
              "[Section_New]\r\n"
              "Key=e\r\n");
}

TEST_F(IniTest, NewKeyInEmptySectionFollowsTheHeader)
{
    writeFile(conf, "[A]\r\n\r\n\r\n[B]\r\n");
    ASSERT_EQ(profilePut(conf, "a", "k", "1"), 0);
    EXPECT_EQ(readFile(conf), "[A]\r\nk=1\r\n\r\n\r\n[B]\r\n");
}

TEST_F(IniTest, MissingValueDeletesTheKeyOnly)
{
    writeFile(conf, "[A]\r\nk1=1\r\nk2=2\r\n[B]\r\nk1=3\r\n");
    ASSERT_EQ(profilePut(conf, "A", "K1", std::nullopt), 0);
    EXPECT_EQ(readFile(conf), "[A]\r\nk2=2\r\n[B]\r\nk1=3\r\n");
    EXPECT_EQ(profileGet(conf, "A", "k1"), "");
    EXPECT_EQ(profileGet(conf, "B", "k1"), "3");
    // Deleting what is not there changes nothing.
    ASSERT_EQ(profilePut(conf, "A", "none", std::nullopt), 0);
    ASSERT_EQ(profilePut(conf, "none", "k2", std::nullopt), 0);
    EXPECT_EQ(readFile(conf), "[A]\r\nk2=2\r\n[B]\r\nk1=3\r\n");
    // The emptied section keeps its header.
    ASSERT_EQ(profilePut(conf, "A", "k2", std::nullopt), 0);
    EXPECT_EQ(readFile(conf), "[A]\r\n[B]\r\nk1=3\r\n");
}

TEST_F(IniTest, NamesAndValuesAreTrimmedAndQuotesStripped)
{
    struct Case {
        const char* line;
        const char* value;
    };
    const Case cases[] = {
        {"k=plain", "plain"},
        {"  k  =  spaced  ", "spaced"},
        {"\tk\t=\ttabbed\t", "tabbed"},
        {"k=\"double\"", "double"},
        {"k='single'", "single"},
        {"k=  \" inner blanks \"  ", " inner blanks "},
        {"k=\"mixed'", "\"mixed'"},
        {"k=\"", "\""},
        {"k=\"\"", ""},
        {"k=a\"b\"", "a\"b\""},
        {"k=a=b", "a=b"},
        {"k=x ;not a comment", "x ;not a comment"},
        {"k=", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        writeFile(conf, std::string("[  S  ]\r\n") + c.line + "\r\n");
        EXPECT_EQ(profileGet(conf, " s ", " K "), c.value);
    }
}

TEST_F(IniTest, FirstMatchWinsForDuplicateSectionsAndKeys)
{
    writeFile(conf, "[A]\r\nk=1\r\nk=2\r\n[a]\r\nk=3\r\nonly=4\r\n");
    EXPECT_EQ(profileGet(conf, "A", "k"), "1");
    // A key of a later duplicate section is not seen.
    EXPECT_EQ(profileGet(conf, "A", "only"), "");
    ASSERT_EQ(profilePut(conf, "A", "k", "9"), 0);
    ASSERT_EQ(profilePut(conf, "A", "only", "5"), 0);
    EXPECT_EQ(readFile(conf), "[A]\r\nk=9\r\nk=2\r\nonly=5\r\n[a]\r\nk=3\r\nonly=4\r\n");
    ASSERT_EQ(profilePut(conf, "A", "k", std::nullopt), 0);
    EXPECT_EQ(profileGet(conf, "A", "k"), "2");
}

TEST_F(IniTest, CommentsAndOtherLinesAreNoKeys)
{
    writeFile(conf, "k=before any section\r\n[A]\r\n;k=1\r\n  ; c=2\r\nno equals sign\r\n");
    EXPECT_EQ(profileGet(conf, "A", "k"), "");
    EXPECT_EQ(profileGet(conf, "A", ";k"), "");
    EXPECT_EQ(profileGet(conf, "A", "c"), "");
    EXPECT_EQ(profileGet(conf, "A", "no equals sign"), "");
    EXPECT_EQ(profileGet(conf, "", "k"), "");
}

// Everything a write does not touch stays byte for byte (line ends become CRLF).
TEST_F(IniTest, UntouchedLinesStayByteForByte)
{
    const std::string before =
        "\xEF\xBB\xBFgarbage line\r\n"
        "  ; indented comment \t\r\n"
        "[Other]  trailing text\r\n"
        "  key with spaces  =  v  \r\n"
        "\t\r\n"
        "[A]\r\n"
        "x = 1\r\n"
        "[Other2]\r\n"
        "\xFF\xFE\x80=\x81\r\n";
    writeFile(conf, before);
    ASSERT_EQ(profilePut(conf, "A", "y", "2"), 0);
    EXPECT_EQ(readFile(conf),
              "\xEF\xBB\xBFgarbage line\r\n"
              "  ; indented comment \t\r\n"
              "[Other]  trailing text\r\n"
              "  key with spaces  =  v  \r\n"
              "\t\r\n"
              "[A]\r\n"
              "x = 1\r\n"
              "y=2\r\n"
              "[Other2]\r\n"
              "\xFF\xFE\x80=\x81\r\n");
    EXPECT_EQ(profileGet(conf, "other", "KEY WITH SPACES"), "v");
}

// Japanese names and values survive a write and a read, including the
// characters whose second byte is '\' (ソ, 表) or ']' (‐).
TEST_F(IniTest, Cp932RoundTripWithTrailBytes)
{
    const std::string section = A("表示ソ‐");
    const std::string key = A("ソフト表");
    const std::string value = A("表ソ～①髙\\~ｳﾞｪﾙﾓﾗ");
    ASSERT_EQ(profilePut(conf, section, key, value), 0);
    EXPECT_EQ(readFile(conf), "[" + section + "]\r\n" + key + "=" + value + "\r\n");
    EXPECT_EQ(profileGet(conf, section, key), value);

    // A header whose name ends in a trail byte ']' is read whole.
    writeFile(conf, A("[‐]\r\nk=1\r\n[ソ]\r\nk=2\r\n[表]\r\nk=3\r\n"));
    EXPECT_EQ(profileGet(conf, A("‐"), "k"), "1");
    EXPECT_EQ(profileGet(conf, A("ソ"), "k"), "2");
    EXPECT_EQ(profileGet(conf, A("表"), "k"), "3");
    ASSERT_EQ(profilePut(conf, A("ソ"), A("ソ"), A("表")), 0);
    EXPECT_EQ(readFile(conf), A("[‐]\r\nk=1\r\n[ソ]\r\nk=2\r\nソ=表\r\n[表]\r\nk=3\r\n"));
}

// Bytes that are no CP932 character are kept as they are; nothing crashes.
TEST_F(IniTest, InvalidBytesAreKeptAndReadBack)
{
    writeFile(conf, "[S]\r\nlead=\x81\r\nbad=\xFF\x80\xA0\r\n[\xFF]\r\nk=1\r\n");
    EXPECT_EQ(profileGet(conf, "S", "lead"), "\x81");
    EXPECT_EQ(profileGet(conf, "S", "bad"), "\xFF\x80\xA0");
    EXPECT_EQ(platform::cp932ToUtf8(profileGet(conf, "S", "bad")), "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD");
    ASSERT_EQ(profilePut(conf, "S", "new", "1"), 0);
    EXPECT_EQ(readFile(conf), "[S]\r\nlead=\x81\r\nbad=\xFF\x80\xA0\r\nnew=1\r\n[\xFF]\r\nk=1\r\n");
    EXPECT_EQ(profileGet(conf, "\xFF", "k"), "1");
    // 0x81 0x5D is one character (‐), so "[\x81]" closes no section name.
    writeFile(conf, "[S]\r\n[\x81]\r\nk=1\r\n");
    EXPECT_EQ(profileGet(conf, "S", "k"), "1");
}

TEST_F(IniTest, LfAndCrlfFilesReadAndWriteAsCrlf)
{
    struct Case {
        const char* file;
        const char* after;
    };
    const Case cases[] = {
        {"[A]\r\nk=1\r\n", "[A]\r\nk=1\r\nj=2\r\n"},
        {"[A]\nk=1\n", "[A]\r\nk=1\r\nj=2\r\n"},
        {"[A]\nk=1\r\n\n", "[A]\r\nk=1\r\nj=2\r\n\r\n"},
        {"[A]\nk=1", "[A]\r\nk=1\r\nj=2\r\n"},
        {"", "[A]\r\nj=2\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        writeFile(conf, c.file);
        if (*c.file) {
            EXPECT_EQ(profileGet(conf, "A", "k"), "1");
        }
        ASSERT_EQ(profilePut(conf, "A", "j", "2"), 0);
        EXPECT_EQ(readFile(conf), c.after);
    }
}

TEST_F(IniTest, ReadValueIsCutTo1023BytesOnACharacterBoundary)
{
    struct Case {
        std::string value;
        std::string read;
    };
    const std::string hyo = A("表");
    const Case cases[] = {
        {std::string(1023, 'a'), std::string(1023, 'a')},
        {std::string(1500, 'a'), std::string(1023, 'a')},
        {std::string(1021, 'a') + hyo, std::string(1021, 'a') + hyo},
        {std::string(1022, 'a') + hyo, std::string(1022, 'a')},
        {std::string(1022, 'a') + hyo + "b", std::string(1022, 'a')},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value.size());
        ASSERT_EQ(profilePut(conf, "S", "k", c.value), 0);
        EXPECT_EQ(profileGet(conf, "S", "k"), c.read);
        // The file itself holds the whole value.
        Document doc;
        ASSERT_TRUE(doc.load(conf));
        EXPECT_EQ(doc.get("S", "k"), c.value);
    }
}

TEST_F(IniTest, ValueCannotAddLines)
{
    ASSERT_EQ(profilePut(conf, "S", "k", "x\r\ny=1"), 0);
    EXPECT_EQ(profileGet(conf, "S", "k"), "x");
    EXPECT_EQ(profileGet(conf, "S", "y"), "");
    EXPECT_EQ(readFile(conf), "[S]\r\nk=x\r\n");
}

TEST_F(IniTest, BackslashesInPathsReadAsSlashes)
{
    std::string winPath = conf;
    for (char& c : winPath)
        if (c == '/') c = '\\';
    ASSERT_EQ(profilePut(winPath, "S", "k", "v"), 0);
    EXPECT_EQ(readFile(conf), "[S]\r\nk=v\r\n");
    EXPECT_EQ(profileGet(winPath, "S", "k"), "v");
    EXPECT_EQ(platform::ini::normalizePath(".\\sub\\a.conf"), "./sub/a.conf");
}

TEST_F(IniTest, MissingFileIsCreatedMissingFolderFails)
{
    EXPECT_EQ(profileGet(conf, "S", "k"), "");
    ASSERT_EQ(profilePut(conf, "S", "k", "v"), 0);
    EXPECT_EQ(readFile(conf), "[S]\r\nk=v\r\n");

    const std::string inMissing = dir.file("missing/uPVelmora.conf");
    EXPECT_EQ(profilePut(inMissing, "S", "k", "v"), -1);
    EXPECT_EQ(profilePut(inMissing, "S", "k", std::nullopt), -1);
    EXPECT_EQ(profileGet(inMissing, "S", "k"), "");
    EXPECT_EQ(listDir(dir.path()), std::vector<std::string>{"uPVelmora.conf"});
}

TEST_F(IniTest, DirectoryReadsAsEmptyAndCannotBeWritten)
{
    const std::string sub = dir.file("folder.conf");
    ASSERT_EQ(mkdir(sub.c_str(), 0755), 0);
    EXPECT_EQ(profileGet(sub, "S", "k"), "");
    EXPECT_EQ(profilePut(sub, "S", "k", "v"), -1);
    Document doc;
    EXPECT_FALSE(doc.load(sub));
    struct stat st {};
    ASSERT_EQ(stat(sub.c_str(), &st), 0);
    EXPECT_TRUE(S_ISDIR(st.st_mode));
}

TEST_F(IniTest, WriteKeepsPermissions)
{
    for (mode_t mode : {0600, 0640, 0664, 0604}) {
        SCOPED_TRACE(mode);
        writeFile(conf, "[S]\r\nk=1\r\n");
        ASSERT_EQ(chmod(conf.c_str(), mode), 0);
        ASSERT_EQ(profilePut(conf, "S", "k", "2"), 0);
        EXPECT_EQ(modeOf(conf), mode);
        EXPECT_EQ(profileGet(conf, "S", "k"), "2");
    }
}

TEST_F(IniTest, NewFileGets0644MinusUmask)
{
    for (mode_t mask : {022, 077, 002}) {
        SCOPED_TRACE(mask);
        unlink(conf.c_str());
        mode_t old = umask(mask);
        int r = profilePut(conf, "S", "k", "1");
        umask(old);
        ASSERT_EQ(r, 0);
        EXPECT_EQ(modeOf(conf), 0644 & ~mask);
    }
}

TEST_F(IniTest, WriteThroughSymlinkReplacesTheTarget)
{
    const std::string target = dir.file("real.conf");
    writeFile(target, "[S]\r\nk=1\r\n");
    ASSERT_EQ(symlink(target.c_str(), conf.c_str()), 0);
    ASSERT_EQ(profilePut(conf, "S", "k", "2"), 0);
    struct stat st {};
    ASSERT_EQ(lstat(conf.c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    EXPECT_EQ(readFile(target), "[S]\r\nk=2\r\n");
}

namespace {
std::string g_hookTemp;
std::string g_hookBytes;
int g_hookCalls = 0;

bool interruptingHook(const std::string& temp)
{
    g_hookTemp = temp;
    g_hookBytes = readFile(temp);
    ++g_hookCalls;
    return false;
}

bool countingHook(const std::string&)
{
    ++g_hookCalls;
    return true;
}
}  // namespace

// A write stopped after the new text is on disk but before it replaces the
// file leaves the old file whole and no stray temporary file.
TEST_F(IniTest, InterruptedWriteLeavesOldFileWhole)
{
    const std::string before = "[S]\r\nk=1\r\n; note\r\n";
    writeFile(conf, before);
    g_hookCalls = 0;
    {
        testsupport::FakeSaveStep step(interruptingHook);
        EXPECT_EQ(profilePut(conf, "S", "k", "2"), -1);
    }

    EXPECT_EQ(g_hookCalls, 1);
    EXPECT_EQ(g_hookTemp.substr(0, dir.path().size() + 1), dir.path() + "/");
    EXPECT_EQ(g_hookBytes, "[S]\r\nk=2\r\n; note\r\n");
    EXPECT_EQ(readFile(conf), before);
    EXPECT_EQ(listDir(dir.path()), std::vector<std::string>{"uPVelmora.conf"});
    EXPECT_EQ(profileGet(conf, "S", "k"), "1");
}

// A whole list is saved in one replacement, not one per key.
TEST_F(IniTest, DocumentSavesManyKeysInOneReplacement)
{
    writeFile(conf, "[Section_Entry]\r\nEntryItem_000=old\r\n");
    Document doc;
    ASSERT_TRUE(doc.load(conf));
    for (int i = 0; i < 100; ++i) {
        char key[32];
        std::snprintf(key, sizeof key, "EntryItem_%03d", i);
        doc.put("Section_Entry", key, "v" + std::to_string(i));
    }
    doc.remove("Section_Entry", "EntryItem_050");
    g_hookCalls = 0;
    {
        testsupport::FakeSaveStep step(countingHook);
        EXPECT_EQ(doc.save(conf), 0);
    }
    EXPECT_EQ(g_hookCalls, 1);
    EXPECT_EQ(profileGet(conf, "Section_Entry", "EntryItem_000"), "v0");
    EXPECT_EQ(profileGet(conf, "Section_Entry", "EntryItem_099"), "v99");
    EXPECT_EQ(profileGet(conf, "Section_Entry", "EntryItem_050"), "");
    EXPECT_EQ(doc.serialize(), readFile(conf));
}

TEST_F(IniTest, ParseAndSerializeKeepLines)
{
    Document doc;
    doc.parse("[A]\nk=1\r\n\r\n;c");
    EXPECT_EQ(doc.serialize(), "[A]\r\nk=1\r\n\r\n;c\r\n");
    EXPECT_EQ(doc.get("a", "K"), "1");
    EXPECT_EQ(doc.get("a", "x"), std::nullopt);
}

// Without write permission on the folder the write fails and the old file
// stays whole.
TEST_F(IniTest, ReadOnlyFolderFailsAndKeepsOldFile)
{
    const std::string before = "[S]\r\nk=1\r\n";
    writeFile(conf, before);
    chmod(conf.c_str(), 0644);
    ASSERT_EQ(chmod(dir.path().c_str(), 0555), 0);
    const std::string path = conf;
    int r = runUnprivileged(dir.path(), [path]() {
        if (profilePut(path, "S", "k", "2") != -1) return 1;
        if (profilePut(path, "S", "new", "2") != -1) return 2;
        if (profilePut(path, "S", "k", std::nullopt) != -1) return 3;
        if (profileGet(path, "S", "k") != "1") return 4;
        return 0;
    });
    chmod(dir.path().c_str(), 0700);
    EXPECT_EQ(r, 0);
    EXPECT_EQ(readFile(conf), before);
    EXPECT_EQ(listDir(dir.path()), std::vector<std::string>{"uPVelmora.conf"});
}

// A file that cannot be read reads as empty and is never replaced by a file
// holding only the new key.
TEST_F(IniTest, UnreadableFileReadsEmptyAndIsNotOverwritten)
{
    const std::string before = "[S]\r\nk=1\r\n";
    writeFile(conf, before);
    ASSERT_EQ(chmod(conf.c_str(), 0200), 0);
    ASSERT_EQ(chmod(dir.path().c_str(), 0777), 0);  // writable: only the read can fail
    const std::string path = conf;
    int r = runUnprivileged(dir.path(), [path]() {
        if (profileGet(path, "S", "k") != "") return 1;
        if (profilePut(path, "S", "j", "2") != -1) return 2;
        return 0;
    });
    chmod(conf.c_str(), 0644);
    chmod(dir.path().c_str(), 0700);
    EXPECT_EQ(r, 0);
    EXPECT_EQ(readFile(conf), before);
    EXPECT_EQ(listDir(dir.path()), std::vector<std::string>{"uPVelmora.conf"});
}

// What the engine writes, it reads back: a CR inside a value stays, and a
// name that a line cannot hold is refused instead of written.
TEST(IniRoundTrip, ValuesKeepTheirCrAndUnholdableNamesAreRefused)
{
    struct Case {
        const char* name;
        std::string section, key, value;
        bool taken;
        std::string readBack;
    } cases[] = {
        {"lone CR inside a value", "S", "k", "a\rb,", true, "a\rb,"},
        {"CR LF ends the value", "S", "k", "a\r\nb", true, "a"},
        {"key that looks like a section", "S", "[B]", "v", false, ""},
        {"key with =", "S", "a=b", "v", false, ""},
        {"key starting a comment", "S", ";k", "v", false, ""},
        {"section with ]", "A]B", "k", "v", false, ""},
        {"section ending in a lone lead byte", "S\x81", "k", "v", false, ""},
        {"key ending in a lone lead byte", "S", "k\x81", "v", false, ""},
        {"double-byte names whose trail byte is ] or \\", A("ゾ"), A("ソ"), "v", true, "v"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Document doc;
        doc.parse("[S]\r\nother=1\r\n");
        const std::string before = doc.serialize();
        EXPECT_EQ(doc.put(c.section, c.key, c.value), c.taken);
        if (!c.taken) {
            EXPECT_EQ(doc.serialize(), before);
            continue;
        }
        Document again;
        again.parse(doc.serialize());
        EXPECT_EQ(again.get(c.section, c.key).value_or("<none>"), c.readBack);
        EXPECT_EQ(again.get("S", "other").value_or("<none>"), "1");
    }
    // A hand-edited value with a CR is saved as it was read.
    Document edited;
    edited.parse("[Section_Entry]\r\nEntryItem_000=a\rb,\r\n");
    edited.put("Section_Entry", "EntryItem_000", *edited.get("Section_Entry", "EntryItem_000"));
    EXPECT_EQ(edited.serialize(), "[Section_Entry]\r\nEntryItem_000=a\rb,\r\n");
}

TEST(IniRoundTrip, AFifoIsNeitherReadNorWrittenAndNothingWaits)
{
    TempDir dir;
    const std::string path = dir.file("uPVelmora.conf");
    ASSERT_EQ(::mkfifo(path.c_str(), 0644), 0);
    Document doc;
    EXPECT_FALSE(doc.load(path));  // returns at once instead of waiting for a writer
    doc.parse("[S]\r\nk=v\r\n");
    EXPECT_EQ(doc.save(path), -1);
    EXPECT_EQ(profilePut(path, "S", "k", "v"), -1);
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
}
