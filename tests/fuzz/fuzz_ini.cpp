// The INI engine on arbitrary file bytes and arbitrary edits: what it writes
// it reads back, its file image is stable, and names a line cannot hold are
// refused without touching the document.
#include "fuzz_check.h"
#include "fuzz_tempdir.h"
#include "core/cp932.h"
#include "core/ini.h"

#include <optional>
#include <string_view>
#include <vector>

using platform::ini::Document;

namespace {

// How the engine takes a name or value: cut at the first NUL or LF (the CR
// of a CR LF goes with it), then trimmed of spaces and tabs.
std::string cleaned(const std::string& s)
{
    std::string_view v(s);
    const size_t cut = v.find_first_of(std::string_view("\0\n", 2));
    v = v.substr(0, cut);
    if (cut != std::string_view::npos && s[cut] == '\n' && !v.empty() && v.back() == '\r') v.remove_suffix(1);
    while (!v.empty() && (v.front() == ' ' || v.front() == '\t')) v.remove_prefix(1);
    while (!v.empty() && (v.back() == ' ' || v.back() == '\t')) v.remove_suffix(1);
    return std::string(v);
}

// The value get() returns for a written value: one pair of equal quotes off.
std::string readBack(const std::string& written)
{
    std::string v = cleaned(written);
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
        v = v.substr(1, v.size() - 2);
    return v;
}

// Walks the CP932 characters of s: true when the ASCII byte c stands outside
// a double-byte character at or after from.
bool hasAscii(const std::string& s, char c, size_t from = 0)
{
    for (size_t i = 0; i < s.size();) {
        const bool pair = platform::cp932IsLeadByte(static_cast<unsigned char>(s[i])) && i + 1 < s.size();
        if (!pair && i >= from && s[i] == c) return true;
        i += pair ? 2 : 1;
    }
    return false;
}

bool endsInLoneLead(const std::string& s)
{
    for (size_t i = 0; i < s.size();) {
        if (platform::cp932IsLeadByte(static_cast<unsigned char>(s[i]))) {
            if (i + 1 == s.size()) return true;
            i += 2;
        } else {
            ++i;
        }
    }
    return false;
}

// Names a line of the file can hold (already cleaned).
bool sectionHoldable(const std::string& n)
{
    return !hasAscii(n, ']') && !endsInLoneLead(n);
}

bool keyHoldable(const std::string& n)
{
    if (hasAscii(n, '=') || endsInLoneLead(n)) return false;
    if (!n.empty() && n.front() == ';') return false;
    // "[..." reads as a section header once its value holds a ']'.
    if (!n.empty() && n.front() == '[') return false;
    return true;
}

std::string reparsed(const std::string& image)
{
    Document d;
    d.parse(image);
    return d.serialize();
}

void checkStable(const Document& doc)
{
    const std::string image = doc.serialize();
    FUZZ_CHECK(reparsed(image) == image, "parse(serialize()) changes the file image " + quoted(image));
}

// Every key the lines seem to hold, read as the program reads it.
void readEverything(const Document& doc, const std::string& file)
{
    std::string section;
    size_t pos = 0;
    while (pos <= file.size()) {
        size_t nl = file.find('\n', pos);
        if (nl == std::string::npos) nl = file.size();
        const std::string line = cleaned(file.substr(pos, nl - pos));
        pos = nl + 1;
        const size_t close = line.find(']');
        if (!line.empty() && line.front() == '[' && close != std::string::npos) {
            section = line.substr(1, close - 1);
            continue;
        }
        const size_t eq = line.find('=');
        if (eq == std::string::npos) continue;
        const std::string key = line.substr(0, eq);
        const std::optional<std::string> v = doc.get(section, key);
        const std::string pv = doc.profileValue(section, key);
        if (!v) {
            FUZZ_CHECK(pv.empty(), "profileValue of a missing key is not empty");
            continue;
        }
        const std::string full = v->substr(0, v->find('\0'));
        FUZZ_CHECK(pv.size() <= 1023 && full.compare(0, pv.size(), pv) == 0,
                   "profileValue is not a prefix of at most 1023 bytes of " + quoted(full));
        FUZZ_CHECK(pv.size() == full.size() || (pv.size() >= 1022 && !endsInLoneLead(pv)),
                   "profileValue cut short or inside a character: " + quoted(pv));
    }
}

void doPut(Document& doc, const std::string& sec, const std::string& key, const std::string& value)
{
    const std::string before = doc.serialize();
    const bool holdable = sectionHoldable(cleaned(sec)) && keyHoldable(cleaned(key));
    const bool ok = doc.put(sec, key, value);
    const std::string what = "put(" + quoted(sec) + ", " + quoted(key) + ", " + quoted(value) + ")";
    FUZZ_CHECK(ok == holdable, what + (ok ? " took a name a line cannot hold" : " refused a name a line can hold"));
    if (!ok) {
        FUZZ_CHECK(doc.serialize() == before, what + " refused but changed the document");
        return;
    }
    const std::string expected = readBack(value);
    FUZZ_CHECK(doc.get(sec, key) == expected, what + " does not read back as " + quoted(expected));
    Document again;
    again.parse(doc.serialize());
    FUZZ_CHECK(again.get(sec, key) == expected,
               what + " does not read back from the file image " + quoted(doc.serialize()));
}

std::string numbered(const std::string& stem, int i)
{
    char digits[4];
    std::snprintf(digits, sizeof digits, "%03d", i);
    return stem + digits;
}

// replaceNumberedKeys leaves the file that one delete or put per key leaves.
void doReplace(Document& doc, const std::string& secIn, const std::string& countIn, const std::string& stemIn,
               const std::vector<std::string>& values)
{
    const std::string sec = cleaned(secIn), countKey = cleaned(countIn), stem = cleaned(stemIn);
    if (!sectionHoldable(sec) || !keyHoldable(countKey) || !keyHoldable(numbered(stem, 0))) return;
    // A count key that is itself a list key is not one of the list's keys.
    for (int i = 0; i < 1000; ++i)
        if (platform::ini::namesEqual(countKey, numbered(stem, i))) return;

    Document oneByOne = doc;
    for (int i = 0; i < 1000; ++i)
        while (oneByOne.get(sec, numbered(stem, i))) oneByOne.remove(sec, numbered(stem, i));
    oneByOne.put(sec, countKey, std::to_string(values.size()));
    for (size_t i = 0; i < values.size(); ++i) oneByOne.put(sec, numbered(stem, static_cast<int>(i)), values[i]);

    doc.replaceNumberedKeys(sec, countKey, stem, values);
    FUZZ_CHECK(doc.serialize() == oneByOne.serialize(),
               "replaceNumberedKeys(" + quoted(sec) + ", " + quoted(countKey) + ", " + quoted(stem) +
                   ") differs from one change per key: " + quoted(doc.serialize()) + " vs " +
                   quoted(oneByOne.serialize()));
}

void doSaveLoad(const Document& doc, const std::string& sec, const std::string& key)
{
    const std::string path = fuzzTempDir() + "/fuzz.ini";
    FUZZ_CHECK(doc.save(path) == 0, "save failed");
    Document back;
    FUZZ_CHECK(back.load(path), "load of a saved file failed");
    FUZZ_CHECK(back.serialize() == doc.serialize(), "load(save()) changes the file image");
    FUZZ_CHECK(platform::ini::profileGet(path, sec, key) == doc.profileValue(sec, key),
               "profileGet differs from profileValue");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider in(data, size);
    const std::string file = in.ConsumeRandomLengthString(4096);
    Document doc;
    doc.parse(file);
    readEverything(doc, file);
    checkStable(doc);

    for (int op = 0; op < 8 && in.remaining_bytes() > 0; ++op) {
        const int kind = in.ConsumeIntegralInRange<int>(0, 3);
        const std::string sec = in.ConsumeRandomLengthString(64);
        const std::string key = in.ConsumeRandomLengthString(64);
        switch (kind) {
        case 0:
            doPut(doc, sec, key, in.ConsumeRandomLengthString(256));
            break;
        case 1: {
            const bool had = doc.get(sec, key).has_value();
            const std::string before = doc.serialize();
            doc.remove(sec, key);
            FUZZ_CHECK(had || doc.serialize() == before, "remove of a missing key changed the document");
            break;
        }
        case 2: {
            const std::string stem = in.ConsumeRandomLengthString(32);
            std::vector<std::string> values(in.ConsumeIntegralInRange<size_t>(0, 4));
            for (auto& v : values) v = in.ConsumeRandomLengthString(64);
            doReplace(doc, sec, key, stem, values);
            break;
        }
        default:
            doSaveLoad(doc, sec, key);
            break;
        }
        checkStable(doc);
    }
    return 0;
}
