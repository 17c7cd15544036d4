// Field splitting, padding, numbers, the time texts and the profile calls.
#include <gtest/gtest.h>

#include <cstdlib>

#include "core/datetime.h"
#include "model/platform/text.h"
#include "fakes.h"

using namespace uFCom_Bas;

namespace {
const QString kMissing = QString(QChar(0x03));
}

TEST(TokenNext, CutsTokensOffTheFront)
{
    struct Case {
        QString rest, delimiter, token, restAfter;
    } cases[] = {
        {"", ",", "", ""},
        {"abc", ",", "abc", ""},
        {"a,b,c", ",", "a", "b,c"},
        {"a,", ",", "a", ""},
        {",a", ",", "", "a"},
        {"x--y", "--", "x", "y"},
        {"ソ表,機能", ",", "ソ表", "機能"},
        {"A,a", "a", "A,", ""},  // case-sensitive
    };
    for (const Case& c : cases) {
        QString rest = c.rest;
        EXPECT_EQ(TokenNext(rest, c.delimiter), c.token) << c.rest.toStdString();
        EXPECT_EQ(rest, c.restAfter) << c.rest.toStdString();
    }
}

TEST(CsvFieldGet, FieldsEmptyFieldsAndTheMissingMarker)
{
    struct Case {
        int index;
        QString text, expected;
    } cases[] = {
        {0, "", ""},            // empty text: empty, not the marker
        {0, "a,", "a"},
        {1, "a,", kMissing},    // a trailing comma makes no empty field
        {1, "a,,b", ""},        // an existing empty field
        {2, "a,,b", "b"},
        {3, "a,,b", kMissing},
        {0, "  x ,y", "x "},    // the text is trimmed, the field is not
        {1, "  x ,y  ", "y"},
        {0, "   ", kMissing},   // spaces only trim to nothing
        {0, ",5", ""},
        {1, ",5", "5"},
        {2, "2026/12/07-09:30,朝礼,全員,", "全員"},
        {3, "2026/12/07-09:30,朝礼,全員,", kMissing},
        {5, "a,b", kMissing},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CsvFieldGet(c.index, c.text, ","), c.expected)
            << "field " << c.index << " of '" << c.text.toStdString() << "'";
    }
}

TEST(StrPad, PadsAndCutsByCharacters)
{
    struct Case {
        QString format, value, expected;
    } cases[] = {
        {"R5", "12", "   12"},
        {"R5", "1234567", "34567"},   // a longer value keeps its right end
        {"L3", "abcd", "abc"},        // and on the left its left end
        {"L5", " ab ", "ab   "},
        {"X5", "  ab ", "ab"},        // unknown side: trimmed value
        {"R0", " ab", "ab"},
        {"Rx", "ab", "ab"},
        {"", " ab ", "ab"},
        {"R5", "", "     "},
        {"L4", "ｳﾞｪﾙﾓﾗ", "ｳﾞｪﾙ"},     // half-width katakana count one each
        {"R3", "表示中", "表示中"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(StrPad(c.format, c.value), c.expected) << c.format.toStdString() << " " << c.value.toStdString();
    }
}

TEST(Numbers, NumericTextsRoundHalvesToEven)
{
    struct Case {
        QString text;
        bool numeric;
        int rounded;
    } cases[] = {
        {"5", true, 5},   {"2.5", true, 2},  {"3.5", true, 4}, {"-2.5", true, -2},
        {" 7 ", true, 7}, {"x", false, 0},   {"", false, 0},   {"1,2", false, 0},
        {"+8", true, 8},  {".5", true, 0},   {"12a", false, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(isNumeric(c.text), c.numeric) << c.text.toStdString();
        if (c.numeric) {
            EXPECT_EQ(roundHalfEven(c.text), c.rounded) << c.text.toStdString();
        }
    }
}

TEST(DateTimeText, BothTextsDescribeOneInstantAtFullWidth)
{
    struct Case {
        platform::LocalTime t;
        std::string compact, display;
    } cases[] = {
        {{2026, 1, 2, 3, 4, 5, 6}, "20260102030405006", "2026/01/02 03:04:05:006"},
        {{2026, 12, 31, 0, 0, 0, 0}, "20261231000000000", "2026/12/31 00:00:00:000"},
        {{2026, 12, 7, 23, 59, 59, 999}, "20261207235959999", "2026/12/07 23:59:59:999"},
    };
    for (const Case& c : cases) {
        testsupport::StillClock clock(c.t);
        std::string display;
        const std::string compact = platform::DateTimeText(display);
        EXPECT_EQ(compact, c.compact);
        EXPECT_EQ(display, c.display);
    }
    std::string display;
    const std::string compact = platform::DateTimeText(display);
    ASSERT_EQ(compact.size(), 17u);
    ASSERT_EQ(display.size(), 23u);
    // The real clock: the display text is the compact stamp re-punctuated.
    EXPECT_EQ(display.substr(0, 4) + display.substr(5, 2) + display.substr(8, 2) + display.substr(11, 2) +
                  display.substr(14, 2) + display.substr(17, 2) + display.substr(20, 3),
              compact);
}

TEST(ProfileHelpers, EmptyValueOrNulDeletesAndTextRoundTrips)
{
    char tmpl[] = "/tmp/velmora-prof-XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    const QString file = QString::fromUtf8(tmpl) + "\\x.conf";  // '\' read as '/'
    EXPECT_EQ(ProfilePut(file, "Section_Entry", "EntryItem_000", "ソフト表示,"), 0);
    EXPECT_EQ(ProfileGet(file, "section_entry", "ENTRYITEM_000"), "ソフト表示,");
    EXPECT_EQ(ProfilePut(file, "Section_Entry", "EntryItem_000", QString(QChar(0))), 0);
    EXPECT_EQ(ProfileGet(file, "Section_Entry", "EntryItem_000"), "");
    EXPECT_EQ(ProfilePut(file, "Section_Entry", "EntryItem_001", "a"), 0);
    EXPECT_EQ(ProfilePut(file, "Section_Entry", "EntryItem_001", ""), 0);
    EXPECT_EQ(ProfileGet(file, "Section_Entry", "EntryItem_001"), "");
    // A character CP932 cannot hold is stored as '?'.
    EXPECT_EQ(ProfilePut(file, "S", "K", "a😀b"), 0);
    EXPECT_EQ(ProfileGet(file, "S", "K"), "a?b");
    EXPECT_EQ(ProfilePut(QString::fromUtf8(tmpl) + "/missing/dir/x.conf", "S", "K", "v"), -1);
    EXPECT_EQ(AnsiByteLen("ｳﾞｪﾙﾓﾗ表"), 8);
}
