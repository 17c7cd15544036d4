#include "config/myconf.h"

#include <QFileInfo>
#include <QListWidget>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "messages/msgrules.h"
#include "platform/core/cp932.h"
#include "platform/core/ini.h"
#include "platform/ufcom.h"

namespace uFConf {

namespace {

const QString kComma = QStringLiteral(",");
// A read value is cut like the profile functions cut it.
constexpr size_t kMaxValueBytes = 1023;
constexpr int kCountMax = 99;
// Item keys that a writer takes as its own: stem + three digits.
constexpr int kItemKeysOwned = 1000;

std::string unixPath(const QString& path)
{
    QString p = uFCom_Bas::trimSpaces(path);
    p.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return p.toUtf8().toStdString();
}

bool exists(const std::string& path)
{
    const QFileInfo info(QString::fromStdString(path));
    return info.exists();
}

std::string ansi(const QString& text)
{
    return uFCom_Bas::toAnsi(text).toStdString();
}

bool leadAt(std::string_view s, size_t i)
{
    return platform::cp932IsLeadByte(static_cast<unsigned char>(s[i])) && i + 1 < s.size();
}

// Cuts at max bytes without splitting a double-byte character.
std::string cutBytes(const std::string& s, size_t max)
{
    if (s.size() <= max) return s;
    size_t i = 0;
    while (i < s.size()) {
        const size_t len = leadAt(s, i) ? 2 : 1;
        if (i + len > max) break;
        i += len;
    }
    return s.substr(0, i);
}

QString valueOf(const platform::ini::Document& doc, const QString& section, const QString& key)
{
    std::optional<std::string> v = doc.get(ansi(section), ansi(key));
    if (!v) return QString();
    std::string bytes = *v;
    const size_t nul = bytes.find('\0');
    if (nul != std::string::npos) bytes.resize(nul);
    bytes = cutBytes(bytes, kMaxValueBytes);
    return uFCom_Bas::fromAnsi(QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())));
}

// The trimmed field, or empty when it is absent.
QString usableField(int n, const QString& value)
{
    const QString f = uFCom_Bas::CsvFieldGet(n, value, kComma);
    if (f == uFCom_Bas::kFieldMissing) return QString();
    return uFCom_Bas::trimSpaces(f);
}

// A usable numeric field, rounded; none otherwise.
std::optional<int> numberField(int n, const QString& value)
{
    const QString f = usableField(n, value);
    if (f.isEmpty() || !uFCom_Bas::isNumeric(f)) return std::nullopt;
    return uFCom_Bas::roundHalfEven(f);
}

int clampTo(int v, int lo, int hi)
{
    return v < lo ? lo : (v > hi ? hi : v);
}

QString itemKey(const QString& stem, int index)
{
    return stem + QStringLiteral("%1").arg(index, 3, 10, QLatin1Char('0'));
}

// ---- one section rewritten in a single pass over the file image ----
//
// The lines are classified as the profile engine classifies them (blanks
// and tabs trimmed, ';' comments, "[name]" headers, "name=value" keys, the
// ASCII characters looked for outside double-byte characters), so the
// result is the file the one-key-at-a-time calls would leave, made in
// linear time.

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

size_t findAscii(std::string_view s, char c, size_t from = 0)
{
    for (size_t i = from; i < s.size(); i += leadAt(s, i) ? 2 : 1)
        if (s[i] == c) return i;
    return std::string_view::npos;
}

enum class Kind { Blank, Comment, Section, Key, Other };

Kind classify(std::string_view raw, std::string_view& name)
{
    const std::string_view t = trim(raw);
    if (t.empty()) return Kind::Blank;
    if (t.front() == ';') return Kind::Comment;
    if (t.front() == '[') {
        const size_t close = findAscii(t, ']', 1);
        if (close != std::string_view::npos) {
            name = trim(t.substr(1, close - 1));
            return Kind::Section;
        }
    }
    const size_t eq = findAscii(t, '=');
    if (eq == std::string_view::npos) return Kind::Other;
    name = trim(t.substr(0, eq));
    return Kind::Key;
}

// A value as the engine stores it: one line, blanks trimmed.
std::string cleanValue(const std::string& s)
{
    const size_t end = s.find_first_of(std::string_view("\0\r\n", 3));
    return std::string(trim(std::string_view(s).substr(0, end)));
}

// stem + exactly three digits, the stem compared like key names.
bool isItemKey(std::string_view name, const std::string& stem)
{
    if (name.size() != stem.size() + 3) return false;
    if (!platform::ini::namesEqual(std::string(name.substr(0, stem.size())), stem)) return false;
    for (size_t i = stem.size(); i < name.size(); ++i)
        if (name[i] < '0' || name[i] > '9') return false;
    return true;
}

std::vector<std::string> splitLines(const std::string& image)
{
    std::vector<std::string> lines;
    size_t pos = 0;
    while (pos < image.size()) {
        const size_t nl = image.find("\r\n", pos);
        if (nl == std::string::npos) {
            lines.emplace_back(image, pos);
            break;
        }
        lines.emplace_back(image, pos, nl - pos);
        pos = nl + 2;
    }
    return lines;
}

// Replaces the count key and all item keys of the section by count and the
// given values (item i under stem + i).
void rewriteSection(platform::ini::Document& doc, const std::string& section, const std::string& countKey,
                    const std::string& stem, const std::vector<std::string>& values)
{
    std::vector<std::string> lines = splitLines(doc.serialize());
    const std::string countValue = std::to_string(values.size());

    auto itemLine = [&](size_t i) {
        char digits[8];
        std::snprintf(digits, sizeof digits, "%03zu", i);
        return stem + digits + "=" + cleanValue(values[i]);
    };

    size_t header = std::string::npos, end = lines.size();
    for (size_t i = 0; i < lines.size(); ++i) {
        std::string_view name;
        if (classify(lines[i], name) != Kind::Section) continue;
        if (header != std::string::npos) {
            end = i;
            break;
        }
        if (platform::ini::namesEqual(std::string(name), section)) header = i;
    }

    std::vector<std::string> out;
    out.reserve(lines.size() + values.size() + 2);
    if (header == std::string::npos) {
        out = std::move(lines);
        out.push_back("[" + section + "]");
        out.push_back(countKey + "=" + countValue);
        for (size_t i = 0; i < values.size(); ++i) out.push_back(itemLine(i));
    } else {
        out.assign(lines.begin(), lines.begin() + static_cast<std::ptrdiff_t>(header) + 1);
        bool countDone = false;
        // Position in out behind the last line of the section that is not blank.
        size_t lastFilled = out.size();
        for (size_t i = header + 1; i < end; ++i) {
            std::string_view name;
            const Kind kind = classify(lines[i], name);
            if (kind == Kind::Key) {
                if (isItemKey(name, stem)) continue;
                if (!countDone && platform::ini::namesEqual(std::string(name), countKey)) {
                    countDone = true;
                    out.push_back(std::string(name) + "=" + countValue);
                    lastFilled = out.size();
                    continue;
                }
            }
            out.push_back(lines[i]);
            if (kind != Kind::Blank) lastFilled = out.size();
        }
        std::vector<std::string> added;
        if (!countDone) added.push_back(countKey + "=" + countValue);
        for (size_t i = 0; i < values.size(); ++i) added.push_back(itemLine(i));
        out.insert(out.begin() + static_cast<std::ptrdiff_t>(lastFilled), added.begin(), added.end());
        out.insert(out.end(), lines.begin() + static_cast<std::ptrdiff_t>(end), lines.end());
    }

    std::string image;
    size_t total = 0;
    for (const auto& l : out) total += l.size() + 1;
    image.reserve(total);
    for (size_t i = 0; i < out.size(); ++i) {
        if (i) image += '\n';
        image += out[i];
    }
    doc.parse(image);
}

// Loads the file for a rewrite.  False when it must not be replaced: marked
// read-only, or there but unreadable (it would lose everything else).
bool loadForWrite(const std::string& path, platform::ini::Document& doc)
{
    if (FileReadOnly(QString::fromStdString(path))) return false;
    if (doc.load(path)) return true;
    return !exists(path);
}

int writeList(const QString& pathIn, const QString& section, const QString& countKey, const QString& stem,
              const QStringList& items, QString (*valueFn)(const QString&), int* written)
{
    std::vector<std::string> values;
    values.reserve(static_cast<size_t>(items.size()));
    for (const QString& item : items) {
        if (static_cast<int>(values.size()) >= kItemKeysRead) break;
        const QString v = valueFn(item);
        // Skipped entries leave no gap: the loader stops at the first gap.
        if (!v.isEmpty()) values.push_back(ansi(v));
    }
    if (written) *written = static_cast<int>(values.size());

    const std::string path = unixPath(pathIn);
    platform::ini::Document doc;
    if (!loadForWrite(path, doc)) return -1;
    rewriteSection(doc, ansi(section), ansi(countKey), ansi(stem), values);
    return doc.save(path) == 0 ? 0 : -1;
}

}  // namespace

bool FileReadOnly(const QString& path)
{
    QString p = uFCom_Bas::trimSpaces(path);
    p.replace(QLatin1Char('\\'), QLatin1Char('/'));
    const QFileInfo info(p);
    if (!info.exists() || !info.isFile()) return false;
    const QFile::Permissions write = QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther;
    // Without any write bit the file is read-only even for the superuser,
    // as the read-only attribute is for every user.
    return !info.isWritable() || (info.permissions() & write) == 0;
}

QString WatchValue(const WatchSettings& w)
{
    return QString::number(w.WatchAutoStart) + kComma + QString::number(w.WatchSeconds) + kComma +
           QString::number(w.WatchAutoGuide) + kComma + QString::number(w.WatchPanelShow) + kComma;
}

QString EntryValue(const QString& item)
{
    if (item.isEmpty()) return QString();
    const QString f = uFCom_Bas::CsvFieldGet(0, item, kComma);
    if (f.isEmpty() || f == uFCom_Bas::kFieldMissing) return QString();
    const QString trimmed = uFCom_Bas::trimSpaces(f);
    if (trimmed.isEmpty()) return QString();
    return trimmed + kComma;
}

QString CycleValue(const QString& item)
{
    const QString text = uFCom_Bas::trimSpaces(item);
    if (text.isEmpty()) return QString();
    const QString due = uFCom_Bas::CsvFieldGet(0, text, kComma);
    if (due.isEmpty() || due == uFCom_Bas::kFieldMissing || uFCom_Bas::trimSpaces(due).isEmpty()) return QString();
    auto part = [&](int n) {
        const QString f = uFCom_Bas::CsvFieldGet(n, text, kComma);
        return f == uFCom_Bas::kFieldMissing ? QString() : f;
    };
    return due + kComma + part(1) + kComma + part(2) + kComma;
}

ConfContent ConfRead(const QString& pathIn, const QString& now)
{
    ConfContent c;
    const std::string path = unixPath(pathIn);
    const QFileInfo info(QString::fromStdString(path));
    if (!info.exists() || info.isDir()) return c;
    platform::ini::Document doc;
    doc.load(path);  // unreadable: no keys, the defaults stay

    const QString watch = valueOf(doc, kSectionWatch, kKeyWatch);
    if (!watch.isEmpty()) {
        // Only the automatic confirmation is taken back; the other fields are
        // checked and then held at their fixed values.
        if (auto v = numberField(2, watch)) c.watch.WatchAutoGuide = clampTo(*v, 0, 1);
    }

    if (auto n = numberField(0, valueOf(doc, kSectionEntry, kKeyEntryCount))) c.EntryCount = clampTo(*n, 0, kCountMax);
    for (int i = 0; i < kItemKeysRead; ++i) {
        const QString value = valueOf(doc, kSectionEntry, itemKey(kKeyEntryStem, i));
        if (value.isEmpty()) break;
        const QString fixed = usableField(0, value);
        if (fixed.isEmpty()) continue;
        if (c.entries.size() < kItemKeysRead) c.entries.append(fixed);
    }
    if (!c.entries.isEmpty()) c.EntryCount = static_cast<int>(c.entries.size());

    if (auto n = numberField(0, valueOf(doc, kSectionCycle, kKeyCycleCount))) c.CycleCount = clampTo(*n, 0, kCountMax);
    for (int i = 0; i < kItemKeysRead; ++i) {
        const QString value = valueOf(doc, kSectionCycle, itemKey(kKeyCycleStem, i));
        if (value.isEmpty()) break;
        const QString due = usableField(0, value);
        if (due.isEmpty()) continue;
        if (now < due && c.cycles.size() < kItemKeysRead) c.cycles.append(value);
    }
    if (!c.cycles.isEmpty()) c.CycleCount = static_cast<int>(c.cycles.size());
    return c;
}

int ConfWriteWatch(const QString& pathIn, const WatchSettings& watch)
{
    const std::string path = unixPath(pathIn);
    platform::ini::Document doc;
    if (!loadForWrite(path, doc)) return -1;
    doc.put(ansi(kSectionWatch), ansi(kKeyWatch), ansi(WatchValue(watch)));
    return doc.save(path) == 0 ? 0 : -1;
}

int ConfWriteEntry(const QString& path, const QStringList& items, int* written)
{
    return writeList(path, kSectionEntry, kKeyEntryCount, kKeyEntryStem, items, &EntryValue, written);
}

int ConfWriteCycle(const QString& path, const QStringList& items, int* written)
{
    return writeList(path, kSectionCycle, kKeyCycleCount, kKeyCycleStem, items, &CycleValue, written);
}

// ---- the main window's side ----

QStringList MyConf::items(const QListWidget* list) const
{
    QStringList out;
    if (!list) return out;
    out.reserve(list->count());
    for (int row = 0; row < list->count(); ++row) out.append(list->item(row)->text());
    return out;
}

WatchSettings MyConf::watch() const
{
    WatchSettings w;
    if (b_.WatchAutoStart) w.WatchAutoStart = *b_.WatchAutoStart;
    if (b_.WatchSeconds) w.WatchSeconds = *b_.WatchSeconds;
    if (b_.WatchAutoGuide) w.WatchAutoGuide = *b_.WatchAutoGuide;
    if (b_.WatchPanelShow) w.WatchPanelShow = *b_.WatchPanelShow;
    return w;
}

void MyConf::setWatch(const WatchSettings& w)
{
    if (b_.WatchAutoStart) *b_.WatchAutoStart = w.WatchAutoStart;
    if (b_.WatchSeconds) *b_.WatchSeconds = w.WatchSeconds;
    if (b_.WatchAutoGuide) *b_.WatchAutoGuide = w.WatchAutoGuide;
    if (b_.WatchPanelShow) *b_.WatchPanelShow = w.WatchPanelShow;
}

void MyConf::MyConfRead()
{
    // Lists are filled through the sorted insertion, so they end up in
    // ordinal order whatever order the file holds them in.
    auto fill = [](QListWidget* list, const QStringList& texts) {
        if (!list) return;
        for (const QString& t : texts) uFMsg::ListInsertSorted(list, t);
        if (list->count() > 0) uFMsg::ListClearSelection(list);
    };
    setWatch(WatchSettings{});
    if (b_.EntryCount) *b_.EntryCount = 0;
    if (b_.CycleCount) *b_.CycleCount = 0;
    if (b_.List1) b_.List1->clear();
    if (b_.List2) b_.List2->clear();
    if (!b_.confPath) return;

    const ConfContent c = ConfRead(b_.confPath(), uFMsg::CurrentMinute());
    setWatch(c.watch);
    if (b_.EntryCount) *b_.EntryCount = c.EntryCount;
    if (b_.CycleCount) *b_.CycleCount = c.CycleCount;
    fill(b_.List1, c.entries);
    fill(b_.List2, c.cycles);
}

int MyConf::MyConfWriteWatch()
{
    if (!b_.confPath) return -1;
    const int r = ConfWriteWatch(b_.confPath(), watch());
    if (r != 0 && b_.writeFailed) b_.writeFailed();
    return r;
}

int MyConf::MyConfWriteEntry()
{
    if (!b_.confPath) return -1;
    int written = 0;
    const int r = ConfWriteEntry(b_.confPath(), items(b_.List1), &written);
    if (r == 0 && b_.EntryCount) *b_.EntryCount = written;
    if (r != 0 && b_.writeFailed) b_.writeFailed();
    return r;
}

int MyConf::MyConfWriteCycle()
{
    if (!b_.confPath) return -1;
    int written = 0;
    const int r = ConfWriteCycle(b_.confPath(), items(b_.List2), &written);
    if (r == 0 && b_.CycleCount) *b_.CycleCount = written;
    if (r != 0 && b_.writeFailed) b_.writeFailed();
    return r;
}

}  // namespace uFConf
