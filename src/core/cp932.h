#pragma once
// The ANSI code page of the program: CP932 (iconv on POSIX, the code page
// 932 conversions on Windows).
#include <cstddef>
#include <string>
#include <string_view>

namespace platform {

// UTF-8 to CP932.  A character CP932 cannot hold becomes '?'.
std::string utf8ToCp932(std::string_view utf8);
// CP932 to UTF-8.  Invalid bytes become U+FFFD; never fails.
std::string cp932ToUtf8(std::string_view bytes);
// True for a byte that starts a double-byte CP932 character.
bool cp932IsLeadByte(unsigned char c);
// True for a byte that may follow a lead byte.
bool cp932IsTrailByte(unsigned char c);
// Length of the well-formed UTF-8 sequence at s (1 for a stray byte).
size_t utf8SequenceLength(const unsigned char* s, size_t n);
// Bytes the UTF-8 text occupies in CP932.
int ansiByteLen(std::string_view utf8);

}  // namespace platform
