// The CP932 codec on arbitrary bytes: decoding never fails and gives valid
// UTF-8, encoding gives bytes that decode without a replacement, and text
// made of characters CP932 holds survives encoding and decoding unchanged.
#include "fuzz_check.h"
#include "core/cp932.h"

namespace {

const std::string kReplacement = "\xEF\xBF\xBD";

// Strict UTF-8: shortest forms only, no surrogates, nothing above U+10FFFF.
// Returns the number of code points, or -1.
long utf8Chars(const std::string& s)
{
    long n = 0;
    for (size_t i = 0; i < s.size(); ++n) {
        const auto c = static_cast<unsigned char>(s[i]);
        size_t len;
        unsigned cp;
        if (c < 0x80) {
            len = 1, cp = c;
        } else if ((c & 0xE0) == 0xC0) {
            len = 2, cp = c & 0x1F;
        } else if ((c & 0xF0) == 0xE0) {
            len = 3, cp = c & 0x0F;
        } else if ((c & 0xF8) == 0xF0) {
            len = 4, cp = c & 0x07;
        } else {
            return -1;
        }
        if (i + len > s.size()) return -1;
        for (size_t k = 1; k < len; ++k) {
            const auto t = static_cast<unsigned char>(s[i + k]);
            if ((t & 0xC0) != 0x80) return -1;
            cp = (cp << 6) | (t & 0x3F);
        }
        static const unsigned kMin[] = {0, 0, 0x80, 0x800, 0x10000};
        if (cp < kMin[len] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return -1;
        i += len;
    }
    return n;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string bytes(reinterpret_cast<const char*>(data), size);

    const std::string utf8 = platform::cp932ToUtf8(bytes);
    const long chars = utf8Chars(utf8);
    FUZZ_CHECK(chars >= 0, "cp932ToUtf8 gave invalid UTF-8 for " + quoted(bytes));
    FUZZ_CHECK(static_cast<size_t>(chars) <= size, "cp932ToUtf8 gave more characters than bytes");

    // The input read as UTF-8 and as the decoded text: whatever the encoder
    // writes is CP932 that decodes cleanly.
    for (const std::string* text : {&bytes, &utf8}) {
        const std::string encoded = platform::utf8ToCp932(*text);
        FUZZ_CHECK(platform::cp932ToUtf8(encoded).find(kReplacement) == std::string::npos,
                   "utf8ToCp932 wrote bytes that do not decode: " + quoted(encoded));
        FUZZ_CHECK(platform::ansiByteLen(*text) == static_cast<int>(encoded.size()), "ansiByteLen differs");
    }

    // Text of characters CP932 holds: each single byte or lead/trail pair of
    // the input that decodes to a character on its own.
    std::string holdable;
    for (size_t i = 0; i < size;) {
        const size_t len = platform::cp932IsLeadByte(data[i]) && i + 1 < size ? 2 : 1;
        const std::string ch = platform::cp932ToUtf8(bytes.substr(i, len));
        if (ch.find(kReplacement) == std::string::npos) holdable += ch;
        i += len;
    }
    const std::string back = platform::cp932ToUtf8(platform::utf8ToCp932(holdable));
    FUZZ_CHECK(back == holdable, "utf8 -> cp932 -> utf8 changed " + quoted(holdable) + " into " + quoted(back));
    return 0;
}
