// The CP932 codec on the system's code page 932 tables.  The whole text is
// converted in one call when it can be; otherwise character by character, so
// that the rules of the POSIX backend hold: a character CP932 cannot hold
// becomes one '?', with no best-fit look-alike; an invalid byte (or a byte
// pair of a valid shape but no character) becomes one U+FFFD.
#include "core/cp932.h"

#include <windows.h>

#include <string>
#include <string_view>

namespace platform {

namespace {

constexpr UINT kCp932 = 932;
const char kReplacement[] = "\xEF\xBF\xBD";  // U+FFFD

// Strict conversion to UTF-16; false when any byte is invalid.
bool toWide(UINT codePage, std::string_view in, std::wstring& out)
{
    out.clear();
    if (in.empty()) return true;
    const int n =
        MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, in.data(), static_cast<int>(in.size()), nullptr, 0);
    if (n <= 0) return false;
    out.resize(static_cast<size_t>(n));
    return MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, in.data(), static_cast<int>(in.size()), out.data(), n) ==
           n;
}

// UTF-16 to CP932 with '?' for what it cannot hold; false when any character
// needed the '?'.
bool toCp932(std::wstring_view in, std::string& out)
{
    out.clear();
    if (in.empty()) return true;
    BOOL usedDefault = FALSE;
    const int n = WideCharToMultiByte(kCp932, WC_NO_BEST_FIT_CHARS, in.data(), static_cast<int>(in.size()), nullptr, 0,
                                      "?", &usedDefault);
    if (n <= 0) return false;
    out.resize(static_cast<size_t>(n));
    usedDefault = FALSE;
    WideCharToMultiByte(kCp932, WC_NO_BEST_FIT_CHARS, in.data(), static_cast<int>(in.size()), out.data(), n, "?",
                        &usedDefault);
    return !usedDefault;
}

void appendUtf8(std::wstring_view in, std::string& out)
{
    if (in.empty()) return;
    const int n = WideCharToMultiByte(CP_UTF8, 0, in.data(), static_cast<int>(in.size()), nullptr, 0, nullptr, nullptr);
    if (n <= 0) return;
    const size_t at = out.size();
    out.resize(at + static_cast<size_t>(n));
    WideCharToMultiByte(CP_UTF8, 0, in.data(), static_cast<int>(in.size()), out.data() + at, n, nullptr, nullptr);
}

}  // namespace

std::string utf8ToCp932(std::string_view utf8)
{
    std::string out;
    std::wstring wide;
    if (toWide(CP_UTF8, utf8, wide) && toCp932(wide, out)) return out;
    out.clear();
    out.reserve(utf8.size());
    std::string one;
    for (size_t i = 0; i < utf8.size();) {
        const size_t len = utf8SequenceLength(reinterpret_cast<const unsigned char*>(utf8.data() + i), utf8.size() - i);
        const std::string_view seq = utf8.substr(i, len);
        i += len;
        if (len == 1 && static_cast<unsigned char>(seq[0]) < 0x80) {
            out += seq[0];
        } else if (toWide(CP_UTF8, seq, wide) && toCp932(wide, one)) {
            out += one;
        } else {
            out += '?';
        }
    }
    return out;
}

std::string cp932ToUtf8(std::string_view bytes)
{
    std::string out;
    std::wstring wide;
    if (toWide(kCp932, bytes, wide)) {
        appendUtf8(wide, out);
        return out;
    }
    out.reserve(bytes.size() * 3 / 2);
    for (size_t i = 0; i < bytes.size();) {
        const auto c = static_cast<unsigned char>(bytes[i]);
        if (c < 0x80) {
            out += static_cast<char>(c);
            ++i;
            continue;
        }
        const bool pair =
            cp932IsLeadByte(c) && i + 1 < bytes.size() && cp932IsTrailByte(static_cast<unsigned char>(bytes[i + 1]));
        const size_t len = pair ? 2 : 1;
        if (toWide(kCp932, bytes.substr(i, len), wide))
            appendUtf8(wide, out);
        else
            out += kReplacement;
        i += len;
    }
    return out;
}

}  // namespace platform
