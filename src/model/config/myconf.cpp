#include "model/config/myconf.h"

#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/messages/entries.h"
#include "core/ini.h"
#include "model/platform/text.h"

namespace uFConf {

namespace {

const QString kComma = QStringLiteral(",");
// A read value is cut like the profile functions cut it.
constexpr int kCountMax = 99;
// Room a save needs beyond the file's size (it may grow a little).
constexpr long long kSaveSlack = 64 * 1024;

QString g_lastError;

// Records why a write failed, in a few words, and returns -1.
int failed(const QString& why)
{
    g_lastError = why;
    return -1;
}

int failedErrno()
{
    return failed(QString::fromLocal8Bit(std::strerror(errno)));
}

std::string unixPath(const QString& path)
{
    return uFCom_Bas::forwardSlashes(uFCom_Bas::trimSpaces(path)).toUtf8().toStdString();
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

QString valueOf(const platform::ini::Document& doc, const QString& section, const QString& key)
{
    const std::string bytes = doc.profileValue(ansi(section), ansi(key));
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

// Loads the file for a rewrite.  False when it must not be replaced: marked
// read-only, or there but unreadable or no regular file (it would lose
// everything else).
bool loadForWrite(const std::string& path, platform::ini::Document& doc)
{
    if (FileReadOnly(QString::fromStdString(path))) {
        failed(QStringLiteral("the file is read-only"));
        return false;
    }
    if (doc.load(path)) return true;
    if (errno == EINVAL) {
        failed(QStringLiteral("not a regular file"));
    } else {
        failedErrno();
    }
    return !exists(path);
}

std::vector<std::string> storedValues(const QStringList& items, QString (*valueFn)(const QString&), int* written)
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
    return values;
}

int saveDoc(const platform::ini::Document& doc, const std::string& path)
{
    return doc.save(path) == 0 ? 0 : failedErrno();
}

// What each writer changes, on the file's document in memory.
int putWatch(platform::ini::Document& doc, const WatchSettings& watch)
{
    return doc.put(ansi(kSectionWatch), ansi(kKeyWatch), ansi(WatchValue(watch))) ? 0
                                                                                  : failed(QStringLiteral("bad name"));
}

int putFormStyle(platform::ini::Document& doc, const QString& value)
{
    return doc.put(ansi(kSectionFormStyle), ansi(kKeyFormStyle), ansi(value)) ? 0 : failed(QStringLiteral("bad name"));
}

int putEntries(platform::ini::Document& doc, const QStringList& items, int* written)
{
    doc.replaceNumberedKeys(ansi(kSectionEntry), ansi(kKeyEntryCount), ansi(kKeyEntryStem),
                            storedValues(items, &EntryValue, written));
    return 0;
}

int putCycles(platform::ini::Document& doc, const QStringList& items, int* written)
{
    doc.replaceNumberedKeys(ansi(kSectionCycle), ansi(kKeyCycleCount), ansi(kKeyCycleStem),
                            storedValues(items, &CycleValue, written));
    return 0;
}

// The rules' section is written once there are rules, and kept up to date
// once it exists; a file that never had a rule stays as it was.
int putRepeats(platform::ini::Document& doc, const QStringList& rules)
{
    if (rules.isEmpty() && !doc.get(ansi(kSectionRepeat), ansi(kKeyRepeatCount))) return 0;
    doc.replaceNumberedKeys(ansi(kSectionRepeat), ansi(kKeyRepeatCount), ansi(kKeyRepeatStem),
                            storedValues(rules, &RepeatValue, nullptr));
    return 0;
}

// The file read again, changed by put, and saved.
template <typename Put>
int rewrite(const QString& pathIn, Put put)
{
    const std::string path = unixPath(pathIn);
    platform::ini::Document doc;
    if (!loadForWrite(path, doc)) return -1;
    if (put(doc) != 0) return -1;
    return saveDoc(doc, path);
}

}  // namespace

bool FileReadOnly(const QString& path)
{
    const QFileInfo info(uFCom_Bas::forwardSlashes(uFCom_Bas::trimSpaces(path)));
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

namespace {

const QChar kStoredLineBreak(0x1F);

QString storedLineBreaks(QString value)
{
    value.replace(QStringLiteral("\r\n"), kStoredLineBreak);
    value.replace(QLatin1Char('\r'), kStoredLineBreak);
    value.replace(QLatin1Char('\n'), kStoredLineBreak);
    return value;
}

}  // namespace

QString LoadedValue(const QString& stored)
{
    if (!stored.contains(kStoredLineBreak)) return stored;
    QString value = stored;
    value.replace(kStoredLineBreak, QStringLiteral("\r\n"));
    return value;
}

QString EntryValue(const QString& item)
{
    return storedLineBreaks(uFMsg::FixedEntry(item).storedForm());
}

QString CycleValue(const QString& item)
{
    return storedLineBreaks(uFMsg::GuideEntry(item).storedForm());
}

QString RepeatValue(const QString& rule)
{
    const std::optional<uFMsg::RepeatRule> r = uFMsg::RepeatRule::parse(rule);
    return r ? storedLineBreaks(r->storedForm()) : QString();
}

ConfContent ConfRead(const QString& pathIn, const QString& now)
{
    ConfContent c;
    const std::string path = unixPath(pathIn);
    const QFileInfo info(QString::fromStdString(path));
    if (!info.exists() || info.isDir()) return c;
    // Unreadable: no keys, the defaults stay.
    const platform::ini::FileStamp stamp = platform::ini::fileStamp(path);
    if (platform::ini::readRegularFile(path, c.image)) {
        c.read = true;
        c.stamp = stamp;
        if (const int mode = platform::ini::fileMode(path); mode >= 0) c.mode = static_cast<unsigned>(mode);
        c.doc.parse(c.image);
    }
    const platform::ini::Document& doc = c.doc;
    const uFMsg::DueMinute nowMinute = uFMsg::DueMinute::fromText(now);

    const QString watch = valueOf(doc, kSectionWatch, kKeyWatch);
    if (!watch.isEmpty()) {
        // Only the automatic confirmation is taken back; the other fields are
        // checked and then held at their fixed values.
        if (auto v = numberField(2, watch)) c.watch.WatchAutoGuide = clampTo(*v, 0, 1);
    }

    if (auto n = numberField(0, valueOf(doc, kSectionEntry, kKeyEntryCount))) c.EntryCount = clampTo(*n, 0, kCountMax);
    for (int i = 0; i < kItemKeysRead; ++i) {
        const QString value = LoadedValue(valueOf(doc, kSectionEntry, itemKey(kKeyEntryStem, i)));
        if (value.isEmpty()) break;
        const QString fixed = uFMsg::FixedEntry(value).message();
        if (fixed.isEmpty()) continue;
        if (c.entries.size() < kItemKeysRead) c.entries.append(fixed);
    }
    if (!c.entries.isEmpty()) c.EntryCount = static_cast<int>(c.entries.size());

    if (auto n = numberField(0, valueOf(doc, kSectionCycle, kKeyCycleCount))) c.CycleCount = clampTo(*n, 0, kCountMax);
    for (int i = 0; i < kItemKeysRead; ++i) {
        const QString value = LoadedValue(valueOf(doc, kSectionCycle, itemKey(kKeyCycleStem, i)));
        if (value.isEmpty()) break;
        const uFMsg::GuideEntry entry(value);
        if (entry.due().isNull()) continue;
        if (!entry.due().laterThan(nowMinute)) {
            c.dropped.append(value);
        } else if (c.cycles.size() < kItemKeysRead) {
            c.cycles.append(value);
        }
    }
    if (!c.cycles.isEmpty()) c.CycleCount = static_cast<int>(c.cycles.size());

    for (int i = 0; i < kItemKeysRead; ++i) {
        const QString value = LoadedValue(valueOf(doc, kSectionRepeat, itemKey(kKeyRepeatStem, i)));
        if (value.isEmpty()) break;
        c.repeats.append(value);
    }
    return c;
}

int ConfWriteWatch(const QString& path, const WatchSettings& watch)
{
    return rewrite(path, [&](platform::ini::Document& doc) { return putWatch(doc, watch); });
}

int ConfWriteAll(const QString& pathIn, const QString& formStyle, const WatchSettings& watch,
                 const QStringList& entries, const QStringList& cycles, const QStringList& repeats, int* entriesWritten,
                 int* cyclesWritten)
{
    platform::ini::Document doc;
    putFormStyle(doc, formStyle);
    putWatch(doc, watch);
    putEntries(doc, entries, entriesWritten);
    putCycles(doc, cycles, cyclesWritten);
    putRepeats(doc, repeats);
    return saveDoc(doc, unixPath(pathIn));
}

QString lastWriteError()
{
    return g_lastError;
}

QString BackupName(const QString& path, int n)
{
    return path + kBackupSuffix + (n > 0 ? QStringLiteral(".%1").arg(n) : QString());
}

int ConfWriteBackup(const QString& pathIn, const std::string& image, unsigned mode, bool* kept)
{
    namespace ini = platform::ini;
    if (kept) *kept = false;
    std::vector<std::string> names;
    for (int n = 0; n < kBackupGenerations; ++n) names.push_back(unixPath(BackupName(pathIn, n)));
    // The same as the newest: nothing to keep.
    std::string newest;
    if (ini::isPlainFile(names[0]) && ini::readRegularFile(names[0], newest) && newest == image) return 0;
    // Only files and links move on; a folder at a backup's name stops the
    // backup, never the save.
    for (const std::string& name : names) {
        const QFileInfo info(QString::fromStdString(name));
        if (info.isDir() && !info.isSymLink()) {
            errno = EISDIR;
            return failed(QString::fromStdString(name) + QStringLiteral(" is a folder"));
        }
    }
    // The new generation is written whole first; only then do the older
    // ones move on.  A backup that cannot be written (a full disk) costs
    // none of them.
    std::string fresh;
    if (ini::writeNewBeside(names[0], image, static_cast<int>(mode), fresh) != 0) return failedErrno();
    for (int n = kBackupGenerations - 2; n >= 0; --n) {
        const std::string& name = names[size_t(n)];
        if (!ini::nameExists(name)) continue;
        // A link is no backup of ours: it goes, and its target is untouched.
        if (QFileInfo(QString::fromStdString(name)).isSymLink()) {
            ini::removeName(name);
            continue;
        }
        if (ini::renameOver(name, names[size_t(n) + 1]) != 0) {
            const int err = errno;
            ini::removeName(fresh);
            errno = err;
            return failedErrno();
        }
    }
    if (ini::renameOver(fresh, names[0]) != 0) {
        const int err = errno;
        ini::removeName(fresh);
        errno = err;
        return failedErrno();
    }
    if (kept) *kept = true;
    return 0;
}

int ConfWriteEntry(const QString& path, const QStringList& items, int* written)
{
    return rewrite(path, [&](platform::ini::Document& doc) { return putEntries(doc, items, written); });
}

int ConfWriteCycle(const QString& path, const QStringList& items, int* written)
{
    return rewrite(path, [&](platform::ini::Document& doc) { return putCycles(doc, items, written); });
}

// ---- the main window's side ----

void MyConf::MyConfRead()
{
    // The lists take the ordinal order, whatever order the file holds them in.
    watch_ = WatchSettings{};
    entryCount_ = cycleCount_ = 0;
    entries_.clear();
    schedule_.clear();
    repeats_.clear();
    dropped_.clear();
    placedAtLoad_ = {};
    if (!b_.confPath) return;

    const uFMsg::DueMinute now = uFMsg::DueMinute::current();
    ConfContent c = ConfRead(b_.confPath(), now.text());
    known_ = c.read ? c.stamp : platform::ini::FileStamp{};
    doc_ = std::move(c.doc);
    docCurrent_ = c.read;
    backupDone_ = false;
    unsaved_ = 0;
    watch_ = c.watch;
    entryCount_ = c.EntryCount;
    cycleCount_ = c.CycleCount;
    entries_.assign(c.entries);
    schedule_.assign(c.cycles);
    repeats_.assign(c.repeats);
    dropped_ = c.dropped;
    // Each rule's next occurrence: the file may have been written before
    // the last one was announced, or by hand.
    placedAtLoad_ = repeats_.placeAll(schedule_, now);
    start_ = std::move(c);
}

std::vector<MyConf::Pending> MyConf::pendingBackups(const QString& path, const platform::ini::FileStamp& stamp)
{
    std::vector<Pending> out;
    // The file as the run found it, before the run's first save changes it:
    // a start with the clock far ahead drops the whole schedule as past.
    if (!backupDone_) {
        backupDone_ = true;
        if (start_.read) out.push_back({std::move(start_.image), start_.mode, false});
        start_.image.clear();
        start_.image.shrink_to_fit();
    }
    // Changed on disk since this run last read or wrote it: another program
    // (or a hand) edited it, and the save would overwrite the edit.
    if (known_.exists && stamp.exists && stamp != known_) {
        Pending changed;
        if (platform::ini::readRegularFile(unixPath(path), changed.image)) {
            const int mode = platform::ini::fileMode(unixPath(path));
            changed.mode = mode >= 0 ? static_cast<unsigned>(mode) : 0644u;
            changed.changedOnDisk = true;
            out.push_back(std::move(changed));
        }
    }
    return out;
}

void MyConf::keepBackups(const QString& path, const std::vector<Pending>& backups)
{
    const QString shown = QFileInfo(QString::fromStdString(unixPath(BackupName(path, 0)))).absoluteFilePath();
    for (const Pending& b : backups) {
        bool kept = false;
        if (ConfWriteBackup(path, b.image, b.mode, &kept) != 0) {
            std::fprintf(stderr, "uPVelmora: cannot keep the backup %s: %s\n", shown.toLocal8Bit().constData(),
                         lastWriteError().toLocal8Bit().constData());
        } else if (kept && b.changedOnDisk) {
            std::fprintf(stderr,
                         "uPVelmora: %s was changed by another program while this one ran; that version is "
                         "kept as %s\n",
                         QFileInfo(QString::fromStdString(unixPath(path))).absoluteFilePath().toLocal8Bit().constData(),
                         shown.toLocal8Bit().constData());
        }
    }
}

unsigned MyConf::partsInMemory() const
{
    unsigned parts = bit(Part::Watch) | bit(Part::Entry) | bit(Part::Cycle);
    // The window style is the operator's only once applied in this run.
    if (!formStyle_.isEmpty()) parts |= bit(Part::FormStyle);
    return parts;
}

int MyConf::putPart(platform::ini::Document& doc, Part part, int* entries, int* cycles) const
{
    switch (part) {
    case Part::Watch:
        return putWatch(doc, watch_);
    case Part::FormStyle:
        return putFormStyle(doc, formStyle_);
    case Part::Entry:
        return putEntries(doc, entries_.texts(), entries);
    case Part::Cycle:
        if (putCycles(doc, schedule_.texts(), cycles) != 0) return -1;
        return putRepeats(doc, repeats_.storedForms());
    }
    return -1;
}

unsigned MyConf::partsNotIn(const platform::ini::Document& doc) const
{
    unsigned differ = 0;
    const std::string image = doc.serialize();
    for (Part part : kParts) {
        if (!(partsInMemory() & bit(part))) continue;
        platform::ini::Document mine = doc;
        int entries = 0, cycles = 0;
        if (putPart(mine, part, &entries, &cycles) != 0 || mine.serialize() != image) differ |= bit(part);
    }
    return differ;
}

int MyConf::save(Part part)
{
    if (!b_.confPath) return -1;
    const QString path = b_.confPath();
    // The backups go first where the disk has room for them and the save;
    // where it has not, the save goes first and the backups take what is left.
    const platform::ini::FileStamp stamp = platform::ini::fileStamp(unixPath(path));
    const std::vector<Pending> backups = pendingBackups(path, stamp);
    bool saveFirst = false;
    if (!backups.empty()) {
        long long needed = static_cast<long long>(stamp.size) + kSaveSlack;
        for (const Pending& b : backups) needed += static_cast<long long>(b.image.size());
        const long long free =
            platform::ini::freeBytes(QFileInfo(QString::fromStdString(unixPath(path))).absolutePath().toStdString());
        saveFirst = free >= 0 && free < needed;
    }
    if (!saveFirst) keepBackups(path, backups);
    // This part, and every part an earlier save failed to bring to disk.
    unsaved_ |= bit(part);
    int r = -1;
    int entries = 0, cycles = 0;
    if (!exists(unixPath(path))) {
        // The file has gone while the program ran: all of it from memory, so
        // that the next start finds what the operator had.
        const QString style = !formStyle_.isEmpty() ? formStyle_ : b_.formStyle ? b_.formStyle() : QString();
        r = ConfWriteAll(path, style, watch_, entries_.texts(), schedule_.texts(), repeats_.storedForms(), &entries,
                         &cycles);
        if (r == 0) {
            entryCount_ = entries;
            cycleCount_ = cycles;
            unsaved_ = 0;
        }
        docCurrent_ = false;
    } else {
        r = saveFromMemory(path, stamp, &entries, &cycles);
    }
    lastError_ = r == 0 ? QString() : lastWriteError();
    if (saveFirst) keepBackups(path, backups);
    if (r == 0) known_ = platform::ini::fileStamp(unixPath(path));
    if (r != 0 && b_.writeFailed) b_.writeFailed();
    return r;
}

int MyConf::saveFromMemory(const QString& pathIn, const platform::ini::FileStamp& stamp, int* entries, int* cycles)
{
    namespace ini = platform::ini;
    const std::string path = unixPath(pathIn);
    // The run's own document stands for the file as long as nobody else
    // has changed it: a save then costs no second read of the whole file.
    // A file changed on disk is read again, so that the edit made there
    // stays in every section and key that is not the program's own.
    ini::Document reread;
    ini::Document* doc = &doc_;
    if (!docCurrent_ || stamp != known_) {
        docCurrent_ = false;
        if (!loadForWrite(path, reread)) return -1;
        doc = &reread;
        // Another hand wrote the file (an editor saving its old copy): every
        // part of the operator's that it no longer holds is written again.
        if (known_.exists && stamp != known_) unsaved_ |= partsNotIn(reread);
    } else if (FileReadOnly(QString::fromStdString(path))) {
        return failed(QStringLiteral("the file is read-only"));
    }
    int r = 0;
    const unsigned parts = unsaved_ & partsInMemory();
    for (Part part : kParts)
        if (r == 0 && (parts & bit(part))) r = putPart(*doc, part, entries, cycles);
    if (r == 0) r = saveDoc(*doc, path);
    if (r != 0) {
        // The document may now hold what the file does not: read it again
        // next time.
        docCurrent_ = false;
        return r;
    }
    if (parts & bit(Part::Entry)) entryCount_ = *entries;
    if (parts & bit(Part::Cycle)) cycleCount_ = *cycles;
    unsaved_ = 0;
    if (doc != &doc_) doc_ = std::move(reread);
    docCurrent_ = true;
    return 0;
}

int MyConf::MyConfWriteWatch()
{
    return save(Part::Watch);
}

int MyConf::MyConfWriteEntry()
{
    return save(Part::Entry);
}

int MyConf::MyConfWriteCycle()
{
    return save(Part::Cycle);
}

int MyConf::MyConfWriteFormStyle(const QString& value)
{
    // Kept when the save fails: it is the operator's, and the next save
    // that succeeds (at the latest the one at shutdown) writes it.
    formStyle_ = value;
    return save(Part::FormStyle);
}

QStringList MyConf::unsavedParts() const
{
    static const char* const names[] = {"the monitor settings", "the fixed-form list", "the guide list",
                                        "the window style"};
    QStringList out;
    for (Part part : kParts)
        if (unsaved_ & partsInMemory() & bit(part)) out << QLatin1String(names[static_cast<int>(part)]);
    return out;
}

}  // namespace uFConf
