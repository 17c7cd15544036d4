#include "core/ini.h"

#include "core/cp932.h"

#include "core/backend.h"

#include <algorithm>
#include <iterator>
#include <cstdlib>
#include <string_view>
#include <unordered_map>

namespace platform::ini {

namespace {

// The buffer of the Windows call holds 1024 characters, the last one the NUL.
constexpr size_t kMaxValueBytes = 1023;

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

std::string_view trim(std::string_view s)
{
    while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
    return s;
}

// Length of the CP932 character at s[i]: 2 for a lead byte with a byte after it.
size_t charLen(std::string_view s, size_t i)
{
    return cp932IsLeadByte(static_cast<unsigned char>(s[i])) && i + 1 < s.size() ? 2 : 1;
}

// Position of the ASCII character c outside double-byte characters, or npos.
size_t findAscii(std::string_view s, char c, size_t from = 0)
{
    for (size_t i = from; i < s.size(); i += charLen(s, i))
        if (s[i] == c) return i;
    return std::string_view::npos;
}

// Names and values as written: a C string on one line, trimmed.  Lines end
// at LF (a CR before it belongs to the line end); a CR elsewhere is part of
// the text, on reading as on writing.
std::string clean(const std::string& s)
{
    size_t end = s.find_first_of(std::string_view("\0\n", 2));
    // The CR of a CR LF goes with the LF.
    if (end != std::string::npos && end > 0 && s[end] == '\n' && s[end - 1] == '\r') --end;
    return std::string(trim(std::string_view(s).substr(0, end)));
}

// True when the name ends in a lead byte whose trail byte is missing: it
// would take the next character of the line ('=' or ']') as its own.
bool endsInLoneLeadByte(std::string_view s)
{
    size_t i = 0;
    while (i < s.size()) {
        const size_t len = charLen(s, i);
        if (len == 1 && cp932IsLeadByte(static_cast<unsigned char>(s[i]))) return true;
        i += len;
    }
    return false;
}

struct Line {
    enum Kind { Blank, Comment, Section, Key, Other } kind = Other;
    std::string_view name;   // section or key name, trimmed
    std::string_view value;  // key value, trimmed, quotes kept
};

Line classify(std::string_view raw)
{
    Line line;
    std::string_view t = trim(raw);
    if (t.empty()) {
        line.kind = Line::Blank;
        return line;
    }
    if (t.front() == ';') {
        line.kind = Line::Comment;
        return line;
    }
    if (t.front() == '[') {
        size_t close = findAscii(t, ']', 1);
        if (close != std::string_view::npos) {
            line.kind = Line::Section;
            line.name = trim(t.substr(1, close - 1));
            return line;
        }
    }
    size_t eq = findAscii(t, '=');
    if (eq == std::string_view::npos) return line;
    line.kind = Line::Key;
    line.name = trim(t.substr(0, eq));
    line.value = trim(t.substr(eq + 1));
    return line;
}

// Names a line of the file can hold, so that what is written reads back.
bool sectionNameWritable(std::string_view name)
{
    return findAscii(name, ']') == std::string_view::npos && !endsInLoneLeadByte(name);
}

bool keyNameWritable(std::string_view name)
{
    if (findAscii(name, '=') != std::string_view::npos || endsInLoneLeadByte(name)) return false;
    if (!name.empty() && name.front() == ';') return false;
    // "[..." would read as a section header once its value holds a ']'.
    if (!name.empty() && name.front() == '[') return false;
    return true;
}

std::string stripQuotes(std::string_view v)
{
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
        v = v.substr(1, v.size() - 2);
    return std::string(v);
}

// Cuts to at most max bytes without splitting a double-byte character.
std::string cutBytes(const std::string& s, size_t max)
{
    if (s.size() <= max) return s;
    size_t i = 0;
    while (i < s.size()) {
        size_t len = charLen(s, i);
        if (i + len > max) break;
        i += len;
    }
    return s.substr(0, i);
}

}  // namespace

bool namesEqual(const std::string& a, const std::string& b)
{
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size();) {
        auto ca = static_cast<unsigned char>(a[i]);
        auto cb = static_cast<unsigned char>(b[i]);
        if (cp932IsLeadByte(ca)) {
            // A double-byte character compares exactly, trail byte included.
            if (ca != cb) return false;
            if (i + 1 < a.size() && a[i + 1] != b[i + 1]) return false;
            i += 2;
            continue;
        }
        if (ca >= 'a' && ca <= 'z') ca = static_cast<unsigned char>(ca - 'a' + 'A');
        if (cb >= 'a' && cb <= 'z') cb = static_cast<unsigned char>(cb - 'a' + 'A');
        if (ca != cb) return false;
        ++i;
    }
    return true;
}

namespace {

// A name as namesEqual compares it: ASCII letters upper-cased, double-byte
// characters as they are.
std::string foldName(std::string_view s)
{
    std::string out(s);
    for (size_t i = 0; i < out.size();) {
        if (cp932IsLeadByte(static_cast<unsigned char>(out[i]))) {
            i += 2;
            continue;
        }
        if (out[i] >= 'a' && out[i] <= 'z') out[i] = static_cast<char>(out[i] - 'a' + 'A');
        ++i;
    }
    return out;
}

}  // namespace

SaveStep& SaveStep::system()
{
    struct Always final : SaveStep {
        bool proceed(const std::string&) override { return true; }
    };
    static Always step;
    return step;
}

// The first section of each name with its line range, and, built when a
// section is first asked, the first line of each key name in it.
struct Document::Index {
    struct Section {
        size_t header = 0;
        size_t end = 0;
        bool keysBuilt = false;
        std::unordered_map<std::string, size_t> keys;
    };
    std::unordered_map<std::string, Section> sections;
};

Document::Document() = default;
Document::~Document() = default;
Document::Document(const Document& other) : lines_(other.lines_)
{}
Document& Document::operator=(const Document& other)
{
    if (this != &other) {
        lines_ = other.lines_;
        index_.reset();
    }
    return *this;
}

Document::Document(Document&& other) noexcept = default;
Document& Document::operator=(Document&& other) noexcept = default;

void Document::changed()
{
    index_.reset();
}

void Document::parse(const std::string& bytes)
{
    changed();
    lines_.clear();
    lines_.reserve(static_cast<size_t>(std::count(bytes.begin(), bytes.end(), '\n')) + 1);
    size_t pos = 0;
    while (pos < bytes.size()) {
        size_t nl = bytes.find('\n', pos);
        size_t end = nl == std::string::npos ? bytes.size() : nl;
        size_t stop = end;
        if (stop > pos && bytes[stop - 1] == '\r') --stop;
        lines_.emplace_back(bytes, pos, stop - pos);
        if (nl == std::string::npos) break;
        pos = nl + 1;
    }
}

std::string Document::serialize() const
{
    std::string out;
    size_t total = 0;
    for (const auto& l : lines_) total += l.size() + 2;
    out.reserve(total);
    for (const auto& l : lines_) {
        out += l;
        out += "\r\n";
    }
    return out;
}

bool Document::load(const std::string& path)
{
    changed();
    lines_.clear();
    std::string bytes;
    if (!readRegularFile(path, bytes)) return false;
    parse(bytes);
    return true;
}

const Document::Index& Document::index() const
{
    if (index_) return *index_;
    index_ = std::make_unique<Index>();
    Index::Section* open = nullptr;
    for (size_t i = 0; i < lines_.size(); ++i) {
        // Only a line whose first character (after blanks) is '[' can be a
        // section header: the others need no closer look.
        const size_t first = lines_[i].find_first_not_of(" \t");
        if (first == std::string::npos || lines_[i][first] != '[') continue;
        const Line l = classify(lines_[i]);
        if (l.kind != Line::Section) continue;
        if (open) {
            open->end = i;
            open = nullptr;
        }
        auto [it, fresh] = index_->sections.try_emplace(foldName(l.name));
        if (fresh) {
            it->second.header = i;
            open = &it->second;
        } else {
            // A later section of the same name: only the first one counts,
            // and the first one ended at this header.
        }
    }
    if (open) open->end = lines_.size();
    return *index_;
}

namespace {

// Index range of the first section named `name`: header line and one past its
// last line.  header == npos when there is none.
struct Range {
    size_t header = std::string::npos;
    size_t end = std::string::npos;
};

Range findSection(const std::vector<std::string>& lines, const std::string& name)
{
    Range r;
    for (size_t i = 0; i < lines.size(); ++i) {
        Line l = classify(lines[i]);
        if (l.kind != Line::Section) continue;
        if (r.header != std::string::npos) {
            r.end = i;
            return r;
        }
        if (namesEqual(std::string(l.name), name)) r.header = i;
    }
    if (r.header != std::string::npos) r.end = lines.size();
    return r;
}

size_t findKey(const std::vector<std::string>& lines, const Range& r, const std::string& key)
{
    if (r.header == std::string::npos) return std::string::npos;
    for (size_t i = r.header + 1; i < r.end; ++i) {
        Line l = classify(lines[i]);
        if (l.kind == Line::Key && namesEqual(std::string(l.name), key)) return i;
    }
    return std::string::npos;
}

}  // namespace

std::optional<std::string> Document::get(const std::string& section, const std::string& key) const
{
    const Index& idx = index();
    auto sec = idx.sections.find(foldName(clean(section)));
    if (sec == idx.sections.end()) return std::nullopt;
    Index::Section& s = const_cast<Index::Section&>(sec->second);
    if (!s.keysBuilt) {
        for (size_t i = s.header + 1; i < s.end; ++i) {
            const Line l = classify(lines_[i]);
            if (l.kind == Line::Key) s.keys.try_emplace(foldName(l.name), i);
        }
        s.keysBuilt = true;
    }
    auto at = s.keys.find(foldName(clean(key)));
    if (at == s.keys.end()) return std::nullopt;
    return stripQuotes(classify(lines_[at->second]).value);
}

bool Document::put(const std::string& section, const std::string& key, const std::string& value)
{
    const std::string sec = clean(section);
    const std::string name = clean(key);
    const std::string val = clean(value);
    // A name the file cannot hold would read back as something else.
    if (!sectionNameWritable(sec) || !keyNameWritable(name)) return false;
    changed();
    Range r = findSection(lines_, sec);
    if (r.header == std::string::npos) {
        lines_.push_back("[" + sec + "]");
        lines_.push_back(name + "=" + val);
        return true;
    }
    size_t at = findKey(lines_, r, name);
    if (at != std::string::npos) {
        // The file's own spelling of the name stays.
        lines_[at] = std::string(classify(lines_[at]).name) + "=" + val;
        return true;
    }
    size_t last = r.header;
    for (size_t i = r.header + 1; i < r.end; ++i)
        if (classify(lines_[i]).kind != Line::Blank) last = i;
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(last + 1), name + "=" + val);
    return true;
}

void Document::remove(const std::string& section, const std::string& key)
{
    changed();
    Range r = findSection(lines_, clean(section));
    size_t at = findKey(lines_, r, clean(key));
    if (at != std::string::npos) lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(at));
}

int Document::save(const std::string& path) const
{
    return replaceFile(path, serialize());
}

std::string Document::profileValue(const std::string& section, const std::string& key) const
{
    std::optional<std::string> v = get(section, key);
    if (!v) return {};
    std::string value = *v;
    size_t nul = value.find('\0');
    if (nul != std::string::npos) value.resize(nul);
    return cutBytes(value, kMaxValueBytes);
}

namespace {

// stem + exactly three digits, the stem compared like key names.
bool isNumberedKey(std::string_view name, const std::string& stem)
{
    if (name.size() != stem.size() + 3) return false;
    if (!namesEqual(std::string(name.substr(0, stem.size())), stem)) return false;
    for (size_t i = stem.size(); i < name.size(); ++i)
        if (name[i] < '0' || name[i] > '9') return false;
    return true;
}

}  // namespace

bool Document::replaceNumberedKeys(const std::string& sectionIn, const std::string& countKeyIn,
                                   const std::string& stemIn, const std::vector<std::string>& values)
{
    const std::string section = clean(sectionIn);
    const std::string countKey = clean(countKeyIn);
    const std::string stem = clean(stemIn);
    if (!sectionNameWritable(section) || !keyNameWritable(countKey) || !keyNameWritable(stem + "000")) return false;
    changed();
    const std::string countValue = std::to_string(values.size());
    auto itemLine = [&](size_t i) {
        char digits[8];
        std::snprintf(digits, sizeof digits, "%03zu", i % 1000);
        return stem + digits + "=" + clean(values[i]);
    };

    const Range r = findSection(lines_, section);
    if (r.header == std::string::npos) {
        lines_.push_back("[" + section + "]");
        lines_.push_back(countKey + "=" + countValue);
        for (size_t i = 0; i < values.size(); ++i) lines_.push_back(itemLine(i));
        return true;
    }
    // The lines are moved, not copied, into the new list: a large file costs
    // no copy of every line.
    std::vector<std::string> out;
    out.reserve(lines_.size() + values.size() + 2);
    out.insert(out.end(), std::make_move_iterator(lines_.begin()),
               std::make_move_iterator(lines_.begin() + static_cast<std::ptrdiff_t>(r.header) + 1));
    bool countDone = false;
    // Position in out behind the last line of the section that is not blank.
    size_t lastFilled = out.size();
    for (size_t i = r.header + 1; i < r.end; ++i) {
        const Line l = classify(lines_[i]);
        if (l.kind == Line::Key) {
            if (isNumberedKey(l.name, stem)) continue;
            if (!countDone && namesEqual(std::string(l.name), countKey)) {
                countDone = true;
                out.push_back(std::string(l.name) + "=" + countValue);
                lastFilled = out.size();
                continue;
            }
        }
        const bool blank = l.kind == Line::Blank;
        out.push_back(std::move(lines_[i]));
        if (!blank) lastFilled = out.size();
    }
    std::vector<std::string> added;
    if (!countDone) added.push_back(countKey + "=" + countValue);
    for (size_t i = 0; i < values.size(); ++i) added.push_back(itemLine(i));
    out.insert(out.begin() + static_cast<std::ptrdiff_t>(lastFilled), added.begin(), added.end());
    out.insert(out.end(), std::make_move_iterator(lines_.begin() + static_cast<std::ptrdiff_t>(r.end)),
               std::make_move_iterator(lines_.end()));
    lines_ = std::move(out);
    return true;
}

std::string profileGet(const std::string& path, const std::string& section, const std::string& key)
{
    std::string bytes;
    if (!readRegularFile(path, bytes)) return {};
    // What Document::profileValue finds, in one pass over the lines as
    // parse() cuts them, ending with the first section of that name: a
    // section near the top of a large file is read without the rest.
    const std::string wantedSection = foldName(clean(section));
    const std::string wantedKey = foldName(clean(key));
    bool inSection = false;
    size_t pos = 0;
    while (pos < bytes.size()) {
        const size_t nl = bytes.find('\n', pos);
        size_t stop = nl == std::string::npos ? bytes.size() : nl;
        if (stop > pos && bytes[stop - 1] == '\r') --stop;
        const Line l = classify(std::string_view(bytes).substr(pos, stop - pos));
        pos = nl == std::string::npos ? bytes.size() : nl + 1;
        if (l.kind == Line::Section) {
            if (inSection) break;
            inSection = foldName(l.name) == wantedSection;
        } else if (inSection && l.kind == Line::Key && foldName(l.name) == wantedKey) {
            std::string value = stripQuotes(l.value);
            const size_t nul = value.find('\0');
            if (nul != std::string::npos) value.resize(nul);
            return cutBytes(value, kMaxValueBytes);
        }
    }
    return {};
}

int profilePut(const std::string& pathIn, const std::string& section, const std::string& key,
               const std::optional<std::string>& value)
{
    const std::string path = normalizePath(pathIn);
    if (path.empty() || !isDirectory(parentDir(path))) return -1;

    Document doc;
    if (!doc.load(path)) {
        // A missing file is created; one that exists but cannot be read must
        // not be replaced by a file holding only this key.
        if (pathExists(path)) return -1;
    }
    if (!value) {
        if (!doc.get(section, key)) return 0;
        doc.remove(section, key);
    } else if (!doc.put(section, key, *value)) {
        return -1;
    }
    return doc.save(path);
}

}  // namespace platform::ini
