#pragma once
// The message configuration file: the monitor settings (Section_Watch), the
// fixed-form list (Section_Entry), the guide list (Section_Cycle) and the
// rules of the announcements that repeat (Section_Repeat, after the guide
// list; a reader that does not know it still finds every rule's next
// occurrence in the guide list).
//
// Reading takes the whole file once.  Each writer rewrites its whole
// section in memory and replaces the file once, atomically: either the new
// section is on disk or the old file is, never a mix.  Item keys the writer
// does not rewrite are deleted, so no stale entry can load again.  The
// running program keeps the file as it last read or wrote it and saves from
// that; it reads the file again only when another hand has changed it.
#include <QString>

#include "core/ini.h"
#include <QStringList>
#include <functional>
#include <string>
#include <vector>

#include "model/messages/entries.h"
#include "model/messages/schedule.h"

namespace uFConf {

inline const QString kSectionWatch = QStringLiteral("Section_Watch");
inline const QString kKeyWatch = QStringLiteral("Watch_Timer");
inline const QString kSectionEntry = QStringLiteral("Section_Entry");
inline const QString kKeyEntryCount = QStringLiteral("EntryItems");
inline const QString kKeyEntryStem = QStringLiteral("EntryItem_");
inline const QString kSectionCycle = QStringLiteral("Section_Cycle");
inline const QString kKeyCycleCount = QStringLiteral("CycleItems");
inline const QString kKeyCycleStem = QStringLiteral("CycleItem_");
inline const QString kSectionRepeat = QStringLiteral("Section_Repeat");
inline const QString kKeyRepeatCount = QStringLiteral("RepeatItems");
inline const QString kKeyRepeatStem = QStringLiteral("RepeatItem_");
inline const QString kSectionCalendar = QStringLiteral("Section_Calendar");
inline const QString kKeyNationalHoliday = QStringLiteral("NationalHoliday");
inline const QString kKeyClosedCount = QStringLiteral("ClosedItems");
inline const QString kKeyClosedStem = QStringLiteral("ClosedItem_");
inline const QString kKeyOpenCount = QStringLiteral("OpenItems");
inline const QString kKeyOpenStem = QStringLiteral("OpenItem_");
inline const QString kKeyHolidayAddCount = QStringLiteral("HolidayAddItems");
inline const QString kKeyHolidayAddStem = QStringLiteral("HolidayAddItem_");
inline const QString kKeyHolidayDelCount = QStringLiteral("HolidayDelItems");
inline const QString kKeyHolidayDelStem = QStringLiteral("HolidayDelItem_");
inline const QString kSectionFormStyle = QStringLiteral("Section_FormStyle");
inline const QString kKeyFormStyle = QStringLiteral("FormStyle");
inline const QString kBackupSuffix = QStringLiteral(".bak");

// Item keys per section that are read; writers delete every item key of
// their stem from 000 to 999 that they do not rewrite.
constexpr int kItemKeysRead = 100;

struct WatchSettings {
    int WatchAutoStart = 1;
    int WatchSeconds = 60;
    int WatchAutoGuide = 1;
    int WatchPanelShow = 0;
};

// Everything the main window takes from the file when it loads.
struct ConfContent {
    WatchSettings watch;
    int EntryCount = 0;
    int CycleCount = 0;
    QStringList entries;  // fixed parts, in file order
    QStringList cycles;   // guide entries as stored, in file order
    // Guide entries left out because their minute had passed, as stored.
    QStringList dropped;
    QStringList repeats;  // repeat rules as stored, in file order
    // The calendar; calendarStored when the file has its section.
    uFCal::Calendar calendar;
    bool calendarStored = false;
    // The file as it was read, and its permissions (for the backup).
    bool read = false;
    std::string image;
    unsigned mode = 0644;
    // The file's stamp before it was read, and the file as a document.
    platform::ini::FileStamp stamp;
    platform::ini::Document doc;
};

// Reads the file at path (profile path rules: '\' is '/').  Guide entries
// not later than now ("yyyy/mm/dd-hh:mm") are left out (and listed in
// dropped).  A missing file
// gives the defaults.
ConfContent ConfRead(const QString& path, const QString& now);

// What a write did: 0 when the file was replaced, -1 when it was left as
// it was, and then why, in a few words.  It reads as its number, so callers
// test it as before.
struct WriteResult {
    int code = 0;
    QString why;
    operator int() const { return code; }  // NOLINT(google-explicit-constructor)
};

// The writers.  items are the list texts in list order; written counts the
// item keys.
WriteResult ConfWriteWatch(const QString& path, const WatchSettings& watch);
WriteResult ConfWriteEntry(const QString& path, const QStringList& items, int* written = nullptr);
WriteResult ConfWriteCycle(const QString& path, const QStringList& items, int* written = nullptr);
// The whole file from memory, for a file that has gone: all four sections,
// the repeat rules when there are any and the calendar when the operator
// set one.
WriteResult ConfWriteAll(const QString& path, const QString& formStyle, const WatchSettings& watch,
                         const QStringList& entries, const uFMsg::Schedule& schedule, int* entriesWritten = nullptr,
                         int* cyclesWritten = nullptr);
// Backup generations beside path, newest first: path.bak, path.bak.1, ...,
// path.bak.4.
constexpr int kBackupGenerations = 5;
// Keeps image as the newest generation, with mode: the older ones move one
// place on and the oldest goes.  Nothing changes when image equals the
// newest one.  Each is a new file moved into place: a link at a backup's
// name is replaced, never followed.  kept is set when a new generation was
// written.
WriteResult ConfWriteBackup(const QString& path, const std::string& image, unsigned mode, bool* kept = nullptr);
// The name of generation n (0 is the newest).
QString BackupName(const QString& path, int n);

// The value stored for one list text, or empty when the text is skipped.
// A line break inside it (CR LF; a lone CR or LF counts as one) is stored
// as the control character U+001F (unit separator), so that the value stays
// on its line: an INI line cannot hold a line break, and this one byte can
// never be part of a double-byte CP932 character, whose trail bytes start at
// 0x40.  A value without a line break is stored exactly as before.
QString EntryValue(const QString& item);
QString CycleValue(const QString& item);
// A repeat rule's stored value, or empty for a rule that is not understood.
QString RepeatValue(const QString& rule);
// A stored value as the lists hold it again: U+001F back to CR LF.
QString LoadedValue(const QString& stored);

// A file that exists and is marked read-only (no write permission bit, or
// not writable by us) must not be replaced.
bool FileReadOnly(const QString& path);

// Whether a save could write the file at path: -1 and why (naming the
// file) when it exists and is no regular file, is marked read-only, or
// cannot be opened for writing (access lists, a read-only mount); 0
// otherwise, a missing file included (a save makes it anew).  The file is
// never created, changed or written, and only a regular file is opened.
WriteResult ConfWriteCheck(const QString& path);

// "Watch_Timer" value: four numbers, each followed by a comma.
QString WatchValue(const WatchSettings& watch);

// What the program keeps of the file while it runs, and the file behind it:
// the monitor settings, the two lists and their counts as last loaded or
// saved.  Reads fill them; each writer saves its part.  A failed write calls
// writeFailed (the "File Access NG" line).
class MyConf : public uFMsg::ScheduleStore {
public:
    struct Binding {
        std::function<QString()> confPath;
        std::function<void()> writeFailed;
        // The window style as the program runs with it (FormStyle value),
        // for a file that has to be written whole.
        std::function<QString()> formStyle;
    };
    explicit MyConf(Binding b) : b_(std::move(b)) {}
    MyConf(const MyConf&) = delete;
    MyConf& operator=(const MyConf&) = delete;

    void MyConfRead();
    // Each save says why it failed with its result.
    WriteResult MyConfWriteWatch();
    WriteResult MyConfWriteEntry();
    // The guide list and the repeat rules, in one save.
    WriteResult MyConfWriteCycle();
    // The window style for the next start (FormStyle value).
    WriteResult MyConfWriteFormStyle(const QString& value);
    // The schedule's saves.
    bool saveSchedule() override { return MyConfWriteCycle() == 0; }
    // The fixed-form list changed and is not saved yet: the next save of
    // any part writes it too, in the same replacement of the file.
    void fixedFormChanged() { unsaved_ |= bit(Part::Entry); }

    WatchSettings& watch() { return watch_; }
    const WatchSettings& watch() const { return watch_; }
    uFMsg::FixedFormEntries& entries() { return entries_; }
    uFMsg::Schedule& schedule() { return schedule_; }
    // What the last read did to the guide list: the entries it left out
    // as past (as stored), and what the schedule's load did (the rules'
    // next occurrences put in or waiting for room, occurrences removed,
    // rules left out).
    const QStringList& droppedAtLoad() const { return dropped_; }
    const uFMsg::LoadOutcome& loadOutcome() const { return loadOutcome_; }
    // Entries in the file as last loaded or saved.
    int EntryCount() const { return entryCount_; }
    int CycleCount() const { return cycleCount_; }

    // The parts whose state in memory is not on disk (a save failed), in
    // a few words each; empty when everything is saved.
    QStringList unsavedParts() const;

private:
    // The program's parts of the file.  A save writes its own part and
    // every part that is not on disk as the operator sees it: one an
    // earlier save failed to write, or one another program's write of the
    // file has taken back.
    enum class Part { Watch, Entry, Cycle, FormStyle };
    static constexpr Part kParts[] = {Part::Watch, Part::Entry, Part::Cycle, Part::FormStyle};
    static constexpr unsigned bit(Part p) { return 1u << static_cast<unsigned>(p); }
    unsigned partsInMemory() const;
    WriteResult putPart(platform::ini::Document& doc, Part part, int* entries, int* cycles) const;
    // The parts of the operator's that doc does not hold as they are.
    unsigned partsNotIn(const platform::ini::Document& doc) const;
    WriteResult save(Part part);
    // The backups this save keeps first: the file as the run found it (the
    // first save), the file as another program changed it.
    struct Pending {
        std::string image;
        unsigned mode = 0644;
        bool changedOnDisk = false;
    };
    // stamp: the file's as the save begins.
    std::vector<Pending> pendingBackups(const QString& path, const platform::ini::FileStamp& stamp);
    // The part saved through the document this run holds of the file.
    WriteResult saveFromMemory(const QString& path, const platform::ini::FileStamp& stamp, int* entries, int* cycles);
    void keepBackups(const QString& path, const std::vector<Pending>& backups);
    Binding b_;
    WatchSettings watch_;
    uFMsg::FixedFormEntries entries_;
    uFMsg::Schedule schedule_{this};
    QStringList dropped_;
    uFMsg::LoadOutcome loadOutcome_;
    int entryCount_ = 0;
    int cycleCount_ = 0;
    // The file as this run found it, kept as the backup at the first save.
    ConfContent start_;
    bool backupDone_ = false;
    // The file as this run last read or wrote it: a save that finds another
    // keeps that one aside first (an edit made while the program runs).
    platform::ini::FileStamp known_;
    // The file as that document; current while it matches the file on disk.
    platform::ini::Document doc_;
    bool docCurrent_ = false;
    // The window style applied in this run, for a file written whole.
    QString formStyle_;
    // Parts (bit(Part)) not yet on disk as they are in memory.
    unsigned unsaved_ = 0;
};

}  // namespace uFConf
