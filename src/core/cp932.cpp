#include "core/cp932.h"

namespace platform {

bool cp932IsLeadByte(unsigned char c)
{
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

bool cp932IsTrailByte(unsigned char c)
{
    return (c >= 0x40 && c <= 0x7E) || (c >= 0x80 && c <= 0xFC);
}

size_t utf8SequenceLength(const unsigned char* s, size_t n)
{
    unsigned char c = s[0];
    size_t len = c < 0x80 ? 1 : (c >> 5) == 0x6 ? 2 : (c >> 4) == 0xE ? 3 : (c >> 3) == 0x1E ? 4 : 0;
    if (len == 0 || len > n) return 1;
    for (size_t i = 1; i < len; ++i)
        if ((s[i] & 0xC0) != 0x80) return 1;
    return len;
}

int ansiByteLen(std::string_view utf8)
{
    return static_cast<int>(utf8ToCp932(utf8).size());
}

}  // namespace platform
