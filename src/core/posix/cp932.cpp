// The CP932 codec on iconv (the name "CP932": "SHIFT_JIS" maps '\\' and '~'
// differently and lacks some characters).
#include "core/cp932.h"

#include <cerrno>
#include <iconv.h>

namespace platform {

namespace {

// One conversion descriptor per direction and thread: iconv_t is not
// thread-safe, and opening one per call costs more than the conversion.
class Converter {
public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
    ~Converter()
    {
        if (ok()) iconv_close(cd_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

    // Converts as much as possible; returns the errno that stopped it (0 when
    // all input was consumed) and advances in/inLeft past what was converted.
    int run(const char*& in, size_t& inLeft, std::string& out)
    {
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        while (inLeft > 0) {
            char buf[1024];
            char* outPtr = buf;
            size_t outLeft = sizeof buf;
            char* inPtr = const_cast<char*>(in);
            size_t r = iconv(cd_, &inPtr, &inLeft, &outPtr, &outLeft);
            int err = r == static_cast<size_t>(-1) ? errno : 0;
            out.append(buf, static_cast<size_t>(outPtr - buf));
            in = inPtr;
            if (err == E2BIG) continue;
            if (err != 0) return err;
        }
        return 0;
    }

private:
    iconv_t cd_;
};

Converter& toCp932()
{
    thread_local Converter c("CP932", "UTF-8");
    return c;
}

Converter& fromCp932()
{
    thread_local Converter c("UTF-8", "CP932");
    return c;
}

const char kReplacement[] = "\xEF\xBF\xBD";  // U+FFFD

}  // namespace

std::string utf8ToCp932(std::string_view utf8)
{
    std::string out;
    out.reserve(utf8.size());
    Converter& cv = toCp932();
    if (!cv.ok()) {
        // No converter: keep ASCII, everything else cannot be held.
        for (size_t i = 0; i < utf8.size();) {
            size_t len = utf8SequenceLength(reinterpret_cast<const unsigned char*>(utf8.data() + i), utf8.size() - i);
            out += len == 1 && static_cast<unsigned char>(utf8[i]) < 0x80 ? utf8[i] : '?';
            i += len;
        }
        return out;
    }
    const char* in = utf8.data();
    size_t left = utf8.size();
    while (left > 0) {
        if (cv.run(in, left, out) == 0) break;
        // An unmappable character (or a broken sequence): one '?' for it.
        size_t skip = utf8SequenceLength(reinterpret_cast<const unsigned char*>(in), left);
        out += '?';
        in += skip;
        left -= skip;
    }
    return out;
}

std::string cp932ToUtf8(std::string_view bytes)
{
    std::string out;
    out.reserve(bytes.size() * 3 / 2);
    Converter& cv = fromCp932();
    const char* in = bytes.data();
    size_t left = bytes.size();
    if (!cv.ok()) {
        for (char c : bytes) {
            if (static_cast<unsigned char>(c) < 0x80)
                out += c;
            else
                out += kReplacement;
        }
        return out;
    }
    while (left > 0) {
        if (cv.run(in, left, out) == 0) break;
        // A byte pair with a valid shape but no character is one unit;
        // anything else drops a single byte.
        auto c = static_cast<unsigned char>(in[0]);
        size_t skip = 1;
        if (cp932IsLeadByte(c) && left >= 2 && cp932IsTrailByte(static_cast<unsigned char>(in[1]))) skip = 2;
        out += kReplacement;
        in += skip;
        left -= skip;
    }
    return out;
}

}  // namespace platform
