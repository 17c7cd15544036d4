// The ANSI code page: CP932 as Windows has it, through iconv.
#include "core/cp932.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

using platform::ansiByteLen;
using platform::cp932IsLeadByte;
using platform::cp932ToUtf8;
using platform::utf8ToCp932;

namespace {

const std::string kFffd = "\xEF\xBF\xBD";

// True when s is well-formed UTF-8 (what a QString or a file reader accepts).
bool validUtf8(const std::string& s)
{
    for (size_t i = 0; i < s.size();) {
        auto c = static_cast<unsigned char>(s[i]);
        size_t len = c < 0x80 ? 1 : (c >> 5) == 0x6 ? 2 : (c >> 4) == 0xE ? 3 : (c >> 3) == 0x1E ? 4 : 0;
        if (len == 0 || i + len > s.size()) return false;
        for (size_t k = 1; k < len; ++k)
            if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
        i += len;
    }
    return true;
}

}  // namespace

// The characters where CP932 and plain Shift-JIS differ map the Windows way,
// both directions.
TEST(Cp932, TableMatchesWindowsBothWays)
{
    struct Case {
        const char* utf8;
        std::string cp932;
    };
    const Case cases[] = {
        {"～", "\x81\x60"},           // FULLWIDTH TILDE, not WAVE DASH
        {"①", "\x87\x40"},           // NEC special row
        {"髙", "\xFB\xFC"},           // IBM extension
        {"\\", "\x5C"},               // backslash stays backslash, not yen
        {"~", "\x7E"},                // tilde stays tilde, not overline
        {"ｱ", "\xB1"},                // half-width katakana: one byte
        {"ソ", "\x83\x5C"},           // trail byte 0x5C
        {"表", "\x95\x5C"},           // trail byte 0x5C
        {"‐", "\x81\x5D"},            // trail byte ']'
        {"ア", "\x83\x41"},           // trail byte 'A'
        {"ヂ", "\x83\x61"},           // trail byte 'a'
        {"ー", "\x81\x5B"},
        {"Velmora 12:00", "Velmora 12:00"},
        {"", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.utf8);
        EXPECT_EQ(utf8ToCp932(c.utf8), c.cp932);
        EXPECT_EQ(cp932ToUtf8(c.cp932), c.utf8);
    }
}

TEST(Cp932, EmbeddedNulPassesThrough)
{
    const std::string s("a\0b", 3);
    EXPECT_EQ(utf8ToCp932(s), s);
    EXPECT_EQ(cp932ToUtf8(s), s);
}

// A character CP932 cannot hold becomes one '?', as WideCharToMultiByte does.
TEST(Cp932, UnmappableCharacterBecomesOneQuestionMark)
{
    struct Case {
        const char* utf8;
        const char* cp932;
    };
    const Case cases[] = {
        {"😀", "?"},
        {"a😀b", "a?b"},
        {"😀😀", "??"},
        {"€", "?"},
        {"표", "?"},  // Hangul
        {"表😀ソ", "\x95\x5C?\x83\x5C"},
        {"\xC3", "?"},           // truncated UTF-8 sequence
        {"x\xFFy", "x?y"},       // stray byte
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.utf8);
        EXPECT_EQ(utf8ToCp932(c.utf8), c.cp932);
    }
}

// Bytes that are no CP932 character read as U+FFFD and the rest of the text
// survives.
TEST(Cp932, InvalidBytesBecomeReplacementCharacter)
{
    struct Case {
        std::string bytes;
        std::string utf8;
    };
    const Case cases[] = {
        {"\x80", kFffd},
        {"\xA0", kFffd},
        {"\xFD", kFffd},
        {"\xFF", kFffd},
        {"A\x81", "A" + kFffd},                 // lead byte at the end
        {"\x81 B", kFffd + " B"},               // lead byte before a non-trail byte
        {"\x85\x40" "C", kFffd + "C"},          // well-shaped pair without a character
        {"\xFF\x83\x5C\xFE", kFffd + "ソ" + kFffd},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bytes);
        EXPECT_EQ(cp932ToUtf8(c.bytes), c.utf8);
    }
}

TEST(Cp932, RandomBytesNeverCrashAndGiveValidUtf8)
{
    std::mt19937 rng(932);
    std::uniform_int_distribution<int> byte(0, 255);
    for (int round = 0; round < 200; ++round) {
        std::string bytes(static_cast<size_t>(1 + round * 7), '\0');
        for (char& b : bytes) b = static_cast<char>(byte(rng));
        std::string text = cp932ToUtf8(bytes);
        ASSERT_TRUE(validUtf8(text));
        // Whatever was read writes back without a failure.
        (void)utf8ToCp932(text);
    }
}

TEST(Cp932, AnsiByteLenCountsCp932Bytes)
{
    struct Case {
        const char* utf8;
        int bytes;
    };
    const Case cases[] = {
        {"", 0},       {"A", 1},        {"ｱ", 1},        {"ｳﾞｪﾙﾓﾗ", 6}, {"漢", 2},
        {"漢字", 4},   {"A漢ｱ", 4},     {"～①髙", 6},    {"😀", 1},     {"\\~", 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.utf8);
        EXPECT_EQ(ansiByteLen(c.utf8), c.bytes);
    }
}

TEST(Cp932, LeadByteRanges)
{
    for (int b = 0; b < 256; ++b) {
        bool lead = (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
        EXPECT_EQ(cp932IsLeadByte(static_cast<unsigned char>(b)), lead) << std::hex << b;
    }
}
