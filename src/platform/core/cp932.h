#pragma once
// The ANSI code page of the program: CP932 through iconv.
#include <string>
#include <string_view>

namespace platform {

// UTF-8 to CP932.  A character CP932 cannot hold becomes '?'.
std::string utf8ToCp932(std::string_view utf8);
// CP932 to UTF-8.  Invalid bytes become U+FFFD; never fails.
std::string cp932ToUtf8(std::string_view bytes);
// True for a byte that starts a double-byte CP932 character.
bool cp932IsLeadByte(unsigned char c);
// Bytes the UTF-8 text occupies in CP932.
int ansiByteLen(std::string_view utf8);

}  // namespace platform
