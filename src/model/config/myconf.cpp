#include "model/config/myconf.h"

#include <QDir>
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

// A write that left the file as it was, and why.
WriteResult failed(const QString& why)
{
    return WriteResult{-1, why};
}

WriteResult failedErrno()
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

// A usable numeric field, rounded; none otherwise.
std::optional<int> numberField(int n, const QString& value)
{
    const QString f = uFCom_Bas::CsvFieldTrimmed(n, value, kComma);
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

// Loads the file for a rewrite.  A failure when it must not be replaced:
// marked read-only, or there but unreadable or no regular file (it would
// lose everything else).  A missing file loads as an empty document.
WriteResult loadForWrite(const std::string& path, platform::ini::Document& doc)
{
    if (FileReadOnly(QString::fromStdString(path))) return failed(QStringLiteral("the file is read-only"));
    if (doc.load(path)) return {};
    const WriteResult why = errno == EINVAL ? failed(QStringLiteral("not a regular file")) : failedErrno();
    return exists(path) ? why : WriteResult{};
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

WriteResult saveDoc(const platform::ini::Document& doc, const std::string& path)
{
    return doc.save(path) == 0 ? WriteResult{} : failedErrno();
}

// What each writer changes, on the file's document in memory.
WriteResult putWatch(platform::ini::Document& doc, const WatchSettings& watch)
{
    return doc.put(ansi(kSectionWatch), ansi(kKeyWatch), ansi(WatchValue(watch))) ? WriteResult{}
                                                                                  : failed(QStringLiteral("bad name"));
}

WriteResult putFormStyle(platform::ini::Document& doc, const QString& value)
{
    return doc.put(ansi(kSectionFormStyle), ansi(kKeyFormStyle), ansi(value)) ? WriteResult{}
                                                                              : failed(QStringLiteral("bad name"));
}

WriteResult putEntries(platform::ini::Document& doc, const QStringList& items, int* written)
{
    doc.replaceNumberedKeys(ansi(kSectionEntry), ansi(kKeyEntryCount), ansi(kKeyEntryStem),
                            storedValues(items, &EntryValue, written));
    return {};
}

WriteResult putCycles(platform::ini::Document& doc, const QStringList& items, int* written)
{
    doc.replaceNumberedKeys(ansi(kSectionCycle), ansi(kKeyCycleCount), ansi(kKeyCycleStem),
                            storedValues(items, &CycleValue, written));
    return {};
}

// The rules' section is written once there are rules, and kept up to date
// once it exists; a file that never had a rule stays as it was.
WriteResult putRepeats(platform::ini::Document& doc, const QStringList& rules)
{
    if (rules.isEmpty() && !doc.get(ansi(kSectionRepeat), ansi(kKeyRepeatCount))) return {};
    doc.replaceNumberedKeys(ansi(kSectionRepeat), ansi(kKeyRepeatCount), ansi(kKeyRepeatStem),
                            storedValues(rules, &RepeatValue, nullptr));
    return {};
}

// The calendar's items as stored: days "yyyy/mm/dd", each field followed
// by a comma.
QString closedValue(const uFCal::ClosedPeriod& p)
{
    return uFMsg::DayText(p.first) + kComma + uFMsg::DayText(p.last) + kComma + p.name + kComma;
}

QString namedDayValue(const uFCal::NamedDay& d)
{
    return uFMsg::DayText(d.day) + kComma + d.name + kComma;
}

std::vector<std::string> calendarValues(const QStringList& values)
{
    std::vector<std::string> out;
    for (const QString& v : values) {
        if (static_cast<int>(out.size()) >= kItemKeysRead) break;
        out.push_back(ansi(v));
    }
    return out;
}

// The calendar's section is written once the operator set a calendar, and
// kept up to date once it exists; a file without it stays as it was.
WriteResult putCalendar(platform::ini::Document& doc, const uFCal::Calendar& c, bool stored)
{
    if (!stored) return {};
    const std::string section = ansi(kSectionCalendar);
    if (!doc.put(section, ansi(kKeyNationalHoliday), c.nationalHolidays ? "1" : "0"))
        return failed(QStringLiteral("bad name"));
    QStringList closed, open, added, removed;
    for (const uFCal::ClosedPeriod& p : c.closed) closed << closedValue(p);
    for (const uFCal::NamedDay& d : c.open) open << namedDayValue(d);
    for (const uFCal::NamedDay& d : c.holidayAdd) added << namedDayValue(d);
    for (const QDate& d : c.holidayDel) removed << uFMsg::DayText(d) + kComma;
    doc.replaceNumberedKeys(section, ansi(kKeyClosedCount), ansi(kKeyClosedStem), calendarValues(closed));
    doc.replaceNumberedKeys(section, ansi(kKeyOpenCount), ansi(kKeyOpenStem), calendarValues(open));
    doc.replaceNumberedKeys(section, ansi(kKeyHolidayAddCount), ansi(kKeyHolidayAddStem), calendarValues(added));
    doc.replaceNumberedKeys(section, ansi(kKeyHolidayDelCount), ansi(kKeyHolidayDelStem), calendarValues(removed));
    return {};
}

// The calendar's section; a malformed item is skipped.
void readCalendar(const platform::ini::Document& doc, ConfContent& c)
{
    const std::string section = ansi(kSectionCalendar);
    for (const QString& key :
         {kKeyNationalHoliday, kKeyClosedCount, kKeyOpenCount, kKeyHolidayAddCount, kKeyHolidayDelCount})
        if (doc.get(section, ansi(key))) c.calendarStored = true;
    if (!c.calendarStored) return;
    // Only a stored 0 turns the national holidays off.
    if (auto v = numberField(0, valueOf(doc, kSectionCalendar, kKeyNationalHoliday)))
        c.calendar.nationalHolidays = *v != 0;
    auto items = [&](const QString& stem, const std::function<void(const QString&)>& take) {
        for (int i = 0; i < kItemKeysRead; ++i) {
            const QString value = valueOf(doc, kSectionCalendar, itemKey(stem, i));
            if (value.isEmpty()) break;
            take(value);
        }
    };
    auto day = [](int n, const QString& value) {
        return uFMsg::DayFromText(uFCom_Bas::CsvFieldTrimmed(n, value, kComma));
    };
    auto name = [](int n, const QString& value) { return uFCom_Bas::CsvFieldTrimmed(n, value, kComma); };
    items(kKeyClosedStem, [&](const QString& v) {
        const QDate first = day(0, v), last = day(1, v);
        if (first.isValid() && last.isValid() && first <= last)
            c.calendar.closed << uFCal::ClosedPeriod{first, last, name(2, v)};
    });
    items(kKeyOpenStem, [&](const QString& v) {
        if (day(0, v).isValid()) c.calendar.open << uFCal::NamedDay{day(0, v), name(1, v)};
    });
    items(kKeyHolidayAddStem, [&](const QString& v) {
        if (day(0, v).isValid()) c.calendar.holidayAdd << uFCal::NamedDay{day(0, v), name(1, v)};
    });
    items(kKeyHolidayDelStem, [&](const QString& v) {
        if (day(0, v).isValid()) c.calendar.holidayDel << day(0, v);
    });
}

// The file read again, changed by put, and saved.
template <typename Put>
WriteResult rewrite(const QString& pathIn, Put put)
{
    const std::string path = unixPath(pathIn);
    platform::ini::Document doc;
    if (WriteResult r = loadForWrite(path, doc); r != 0) return r;
    if (WriteResult r = put(doc); r != 0) return r;
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

WriteResult ConfWriteCheck(const QString& pathIn)
{
    const QString path = QString::fromStdString(unixPath(pathIn));
    const QFileInfo info(path);
    if (!info.exists()) return {};
    const QString named = QDir::toNativeSeparators(info.absoluteFilePath()) + QStringLiteral(": ");
    // Opening anything else for writing could wait for a reader (a FIFO).
    if (!info.isFile()) return failed(named + QStringLiteral("not a regular file"));
    if (FileReadOnly(path)) return failed(named + QStringLiteral("the file is read-only"));
    // The permissions Qt reports on Windows leave out the access lists, so
    // the file is opened as a save would write it: for appending, never
    // created, and closed without a byte written.
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::ExistingOnly))
        return failed(named + file.errorString());
    return {};
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
    readCalendar(doc, c);
    return c;
}

WriteResult ConfWriteWatch(const QString& path, const WatchSettings& watch)
{
    return rewrite(path, [&](platform::ini::Document& doc) { return putWatch(doc, watch); });
}

WriteResult ConfWriteAll(const QString& pathIn, const QString& formStyle, const WatchSettings& watch,
                         const QStringList& entries, const uFMsg::Schedule& schedule, int* entriesWritten,
                         int* cyclesWritten)
{
    platform::ini::Document doc;
    putFormStyle(doc, formStyle);
    putWatch(doc, watch);
    putEntries(doc, entries, entriesWritten);
    putCycles(doc, schedule.storedEntries(), cyclesWritten);
    putRepeats(doc, schedule.storedRules());
    putCalendar(doc, schedule.calendar(), schedule.calendarStored());
    return saveDoc(doc, unixPath(pathIn));
}

QString BackupName(const QString& path, int n)
{
    return path + kBackupSuffix + (n > 0 ? QStringLiteral(".%1").arg(n) : QString());
}

WriteResult ConfWriteBackup(const QString& pathIn, const std::string& image, unsigned mode, bool* kept)
{
    namespace ini = platform::ini;
    if (kept) *kept = false;
    std::vector<std::string> names;
    for (int n = 0; n < kBackupGenerations; ++n) names.push_back(unixPath(BackupName(pathIn, n)));
    // The same as the newest: nothing to keep.
    std::string newest;
    if (ini::isPlainFile(names[0]) && ini::readRegularFile(names[0], newest) && newest == image) return {};
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
    return {};
}

WriteResult ConfWriteEntry(const QString& path, const QStringList& items, int* written)
{
    return rewrite(path, [&](platform::ini::Document& doc) { return putEntries(doc, items, written); });
}

WriteResult ConfWriteCycle(const QString& path, const QStringList& items, int* written)
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
    schedule_.load(uFMsg::StoredSchedule{}, uFMsg::DueMinute());
    dropped_.clear();
    loadOutcome_ = {};
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
    dropped_ = c.dropped;
    // Each rule's next occurrence: the file may have been written before
    // the last one was announced, or by hand.
    loadOutcome_ = schedule_.load(uFMsg::StoredSchedule{c.cycles, c.repeats, c.calendar, c.calendarStored}, now);
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
        if (const WriteResult r = ConfWriteBackup(path, b.image, b.mode, &kept); r != 0) {
            std::fprintf(stderr, "uPVelmora: cannot keep the backup %s: %s\n", shown.toLocal8Bit().constData(),
                         r.why.toLocal8Bit().constData());
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

WriteResult MyConf::putPart(platform::ini::Document& doc, Part part, int* entries, int* cycles) const
{
    switch (part) {
    case Part::Watch:
        return putWatch(doc, watch_);
    case Part::FormStyle:
        return putFormStyle(doc, formStyle_);
    case Part::Entry:
        return putEntries(doc, entries_.texts(), entries);
    case Part::Cycle:
        if (WriteResult r = putCycles(doc, schedule_.storedEntries(), cycles); r != 0) return r;
        if (WriteResult r = putRepeats(doc, schedule_.storedRules()); r != 0) return r;
        return putCalendar(doc, schedule_.calendar(), schedule_.calendarStored());
    }
    return failed(QStringLiteral("no such part"));
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

WriteResult MyConf::save(Part part)
{
    if (!b_.confPath) return failed(QStringLiteral("no file"));
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
    WriteResult r;
    int entries = 0, cycles = 0;
    if (!exists(unixPath(path))) {
        // The file has gone while the program ran: all of it from memory, so
        // that the next start finds what the operator had.
        const QString style = !formStyle_.isEmpty() ? formStyle_ : b_.formStyle ? b_.formStyle() : QString();
        r = ConfWriteAll(path, style, watch_, entries_.texts(), schedule_, &entries, &cycles);
        if (r == 0) {
            entryCount_ = entries;
            cycleCount_ = cycles;
            unsaved_ = 0;
        }
        docCurrent_ = false;
    } else {
        r = saveFromMemory(path, stamp, &entries, &cycles);
    }
    if (saveFirst) keepBackups(path, backups);
    if (r == 0) known_ = platform::ini::fileStamp(unixPath(path));
    if (r != 0 && b_.writeFailed) b_.writeFailed();
    return r;
}

WriteResult MyConf::saveFromMemory(const QString& pathIn, const platform::ini::FileStamp& stamp, int* entries,
                                   int* cycles)
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
        if (WriteResult r = loadForWrite(path, reread); r != 0) return r;
        doc = &reread;
        // Another hand wrote the file (an editor saving its old copy): every
        // part of the operator's that it no longer holds is written again.
        if (known_.exists && stamp != known_) unsaved_ |= partsNotIn(reread);
    } else if (FileReadOnly(QString::fromStdString(path))) {
        return failed(QStringLiteral("the file is read-only"));
    }
    WriteResult r;
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
    return {};
}

WriteResult MyConf::MyConfWriteWatch()
{
    return save(Part::Watch);
}

WriteResult MyConf::MyConfWriteEntry()
{
    return save(Part::Entry);
}

WriteResult MyConf::MyConfWriteCycle()
{
    return save(Part::Cycle);
}

WriteResult MyConf::MyConfWriteFormStyle(const QString& value)
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
