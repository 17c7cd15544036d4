// The ANSI code page: CP932 both ways, the same on every backend.
#include <gtest/gtest.h>

#include <string>

#include "core/cp932.h"

TEST(Cp932Contract, BothDirections)
{
    struct Row {
        std::string utf8;
        std::string cp932;
    };
    const Row rows[] = {
        {"abc", "abc"},
        {"ソ表", "\x83\x5C\x95\x5C"},
        {"ｳﾞｪﾙﾓﾗ", "\xB3\xDE\xAA\xD9\xD3\xD7"},
        {"～①髙", "\x81\x60\x87\x40\xFB\xFC"},
        {"\\~", "\\~"},
        {"", ""},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(platform::utf8ToCp932(r.utf8), r.cp932) << r.utf8;
        EXPECT_EQ(platform::cp932ToUtf8(r.cp932), r.utf8) << r.utf8;
    }
}

TEST(Cp932Contract, WhatCannotBeHeldOrDecoded)
{
    struct Row {
        std::string in;
        std::string out;
        bool encode;
    };
    const Row rows[] = {
        {"a\xF0\x9F\x98\x80z", "a?z", true},     // emoji: one '?'
        {"\xC3\xA9t\xC3\xA9", "?t?", true},      // no best-fit 'e'
        {"x\xFFy", "x?y", true},                  // broken UTF-8
        {"\x81", "\xEF\xBF\xBD", false},          // lead byte at the end
        {"\x81 a", "\xEF\xBF\xBD a", false},      // lead byte before a blank
        {"\x85\x40", "\xEF\xBF\xBD", false},      // a pair of no character
    };
    for (const Row& r : rows) {
        const std::string got = r.encode ? platform::utf8ToCp932(r.in) : platform::cp932ToUtf8(r.in);
        EXPECT_EQ(got, r.out) << (r.encode ? "encode " : "decode ") << testing::PrintToString(r.in);
    }
    EXPECT_EQ(platform::ansiByteLen("ソ表ab"), 6);
}
