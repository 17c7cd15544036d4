#pragma once
// The schedule: the guide list (ｶﾞｲﾄﾞ部) and the rules whose occurrences
// stand in it, with the operations that every way in calls (the guide list's
// buttons, the monitor, an import, another program): register, remove,
// clear, the due check at a minute, and where a rule's next occurrences lie.
// Each operation saves through the store at once and returns what it did;
// the caller turns that into the status line.
//
// A rule lists one occurrence, its next, marked in the list as put in by a
// rule.  Each rule remembers the minute of the occurrence it listed, so that
// two rules meeting on one minute share one entry and each places its own
// next one after the announcement, and so that an entry the operator
// registered by hand is never taken for a rule's.
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

#include "model/calendar/calendar.h"
#include "model/messages/entries.h"
#include "model/messages/repeat.h"

namespace uFMsg {

// Where the schedule is kept: the configuration file implements it.
class ScheduleStore {
public:
    virtual ~ScheduleStore() = default;
    // Saves the guide list and the rules in one save; false when the file
    // was left as it was (the store has said so on the head line).
    virtual bool saveSchedule() = 0;
};

enum class AddResult {
    Added,     // listed (with its rule, when one was given)
    Updated,   // the same announcement was listed with another text: replaced
    Same,      // already listed, or the same rule is there: nothing to do
    Full,      // the list (or the rules) at ListItemMax: nothing changed
    NotLater,  // its minute is not later than now: refused
    Invalid,   // no well-formed minute or no fixed part: refused
};

struct AddOutcome {
    AddResult result = AddResult::Invalid;
    // False when the change could not be saved.
    bool saved = true;
};

struct RemoveOutcome {
    // The entry or one of the rules was there and went.
    bool removed = false;
    bool saved = true;
};

// What an operation on the calendar or a rule did.
struct ChangeOutcome {
    // The rule was there (and the change made).
    bool changed = false;
    bool saved = true;
};

// A rule as the rules dialog shows it.
struct RuleView {
    enum class State {
        Listed,   // its next occurrence is listed (or shared)
        Paused,   // 停止
        Waiting,  // waits for room in a full list
        None,     // no occurrence within a year
        Ended,    // no occurrence after its end (終了)
    };
    RepeatRule rule;
    State state = State::None;
    // The next announcing occurrence (null when paused or none).
    DueMinute next;
    // The occurrence before it that a 休日 passes over, and the 休日's name
    // (null when the next one is the rule's first on its days).
    DueMinute passed;
    QString passedReason;
};

struct DueOutcome {
    // The entries taken, in list order.
    QList<DueEntry> announced;
    // The entries whose advance notice (予告) is due, in list order; they
    // stay listed.
    QList<DueEntry> notices;
    // Next occurrences put in, and rules that started to wait for room.
    int placed = 0;
    int startedWaiting = 0;
    bool saved = true;
};

// The schedule as the file holds it.
struct StoredSchedule {
    QStringList entries;  // guide entries, those not later than now left out
    QStringList rules;
    uFCal::Calendar calendar;
    // The file has the calendar's section (else it is written only once
    // the operator changes the calendar).
    bool calendarStored = false;
};

// A rule's occurrence in a preview: announced, or passed over and why; a
// moved one with the day it was moved from.
struct RuleOccurrence {
    DueMinute at;
    bool passed = false;
    QString reason;
    QDate movedFrom;
};

// What the operator chose for a rule in the date/time dialog.
struct RuleChoice {
    QString word;      // the repetition's rule word
    DueMinute chosen;  // the day and time chosen
    bool skipHolidays = false;
    QDate end;       // 終了日; invalid: none
    int notice = 0;  // 予告; 0: none
};

struct LoadOutcome {
    // Next occurrences put in, and rules waiting for room.
    int placed = 0;
    int waiting = 0;
    // Occurrences put in by a rule that no longer fall on its next one (a
    // clock that was far ahead), removed, as stored.
    QStringList pruned;
    // Stored rules left out: not understood, repeated, or beyond the limit.
    QStringList refusedRules;
    // The load changed the schedule: it should be saved.
    bool changed() const { return placed > 0 || !pruned.isEmpty(); }
};

class Schedule {
public:
    explicit Schedule(ScheduleStore* store = nullptr) : store_(store) {}
    Schedule(const Schedule&) = delete;
    Schedule& operator=(const Schedule&) = delete;
    void setStore(ScheduleStore* store) { store_ = store; }

    // The guide list, which views follow, the rules and the calendar they
    // keep to.
    const GuideSchedule& entries() const { return list_; }
    const RepeatRules& rules() const { return rules_; }
    const uFCal::Calendar& calendar() const { return calendar_; }
    // Whether the calendar's section is to be written.
    bool calendarStored() const { return calendarStored_; }

    // The schedule as stored (entries not later than now already left out),
    // with each rule's next occurrence after now put in.  Nothing is saved.
    LoadOutcome load(const StoredSchedule& stored, const DueMinute& now);
    LoadOutcome load(const QStringList& storedEntries, const QStringList& storedRules, const DueMinute& now)
    {
        return load(StoredSchedule{storedEntries, storedRules, {}, false}, now);
    }

    // Registers entry at its minute; with a rule, the rule and its first
    // occurrence at or after that minute.
    AddOutcome add(const GuideEntry& entry, const std::optional<RepeatRule>& rule, const DueMinute& now);
    // The rules whose listed occurrence entry is.
    QList<RepeatRule> rulesOf(const GuideEntry& entry) const;
    // Removes the listed entry whose trimmed text is entryText, and the
    // rules (with their occurrences), as far as they are still there.
    RemoveOutcome remove(const QString& entryText, const QList<RepeatRule>& rules);
    // Removes every entry and every rule; false when there was nothing.
    RemoveOutcome clear();
    // Takes every entry due at now and puts in the next occurrence of each
    // rule just announced, and of each rule waiting for room; the notices
    // due at now are said once each.  announce, when given, gets the entries
    // taken and the notices before anything is saved.
    DueOutcome dueCheck(const DueMinute& now, const std::function<void(const DueOutcome&)>& announce = {});
    // The next n occurrences of rule row after from.
    QList<DueMinute> nextOccurrences(int row, const DueMinute& from, int n) const;
    // The next n occurrences of rule row after from that announce, with the
    // ones passed over between them (a 休日 and its name, a 休止).
    QList<RuleOccurrence> preview(int row, const DueMinute& from, int n) const;
    // The operator's calendar from now on: every rule's listed occurrence
    // is placed again at once, and saved with it.
    ChangeOutcome setCalendar(const uFCal::Calendar& calendar, const DueMinute& now);

    // The rules as the rules dialog lists them.
    RuleView ruleView(int row, const DueMinute& now) const;
    // The operations of the rules dialog, on the rule that is the same rule
    // as which (sameRule): each places the rule's occurrence again at once
    // and saves.  Nothing happens when the rule is gone.
    //  - a new repetition (rule word), time of day, 休日=除く, end and
    //    notice, from the day chosen on; the message stays, and so does a
    //    move to a working day unless 休日=除く is chosen.  Refused (nothing
    //    changed) when another rule is that rule already.
    ChangeOutcome changeRule(const RepeatRule& which, const RuleChoice& choice, const DueMinute& now);
    //  - 停止 and 再開;
    ChangeOutcome setPaused(const RepeatRule& which, bool paused, const DueMinute& now);
    //  - 次回のみ休止: the next occurrence is passed over (休止=), the one
    //    after it listed instead;
    ChangeOutcome skipNext(const RepeatRule& which, const DueMinute& now);
    //  - 削除, with the occurrence it put in.
    RemoveOutcome removeRule(const RepeatRule& which);

    // Told after every operation that changed the schedule (views that show
    // which entries are a rule's).
    int observe(std::function<void()> observer);
    void unobserve(int token);

    // As the file stores them.
    QStringList storedEntries() const { return list_.storedForms(); }
    QStringList storedRules() const { return rules_.storedForms(); }

    // Operations made while a batch is open are saved once, when it ends.
    class Batch {
    public:
        explicit Batch(Schedule& s) : s_(s) { ++s_.batch_; }
        ~Batch();
        Batch(const Batch&) = delete;
        Batch& operator=(const Batch&) = delete;
        // Whether the batch's changes were saved (true when there were none).
        bool saved() const { return saved_; }
        // Ends the batch now; the result of its save.
        bool close();

    private:
        Schedule& s_;
        bool open_ = true;
        bool saved_ = true;
    };

private:
    enum class Placed { Added, Present, Full, None };
    // Puts in the next occurrence after now of rule i, unless it is listed.
    Placed place(int i, const DueMinute& now);
    // Takes rule i's listed occurrence away, unless the operator registered
    // it too or another rule shares it.
    void release(int i);
    // Whether another rule than i lists its occurrence at due.
    bool sharedAt(int i, const DueMinute& due) const;
    // The row of rule i's listed occurrence, or -1.
    int listedRow(int i) const;
    // Saves, or marks the batch as changed; observers are told.
    bool commit();
    void changed();
    std::vector<std::pair<int, std::function<void()>>> observers_;
    int lastToken_ = 0;

    GuideSchedule list_;
    RepeatRules rules_;
    uFCal::Calendar calendar_;
    bool calendarStored_ = false;
    // The latest minute the due checks have looked at (from the load on):
    // a notice is given once, for a minute later than it.
    DueMinute noticeHorizon_;
    ScheduleStore* store_;
    int batch_ = 0;
    bool batchChanged_ = false;
};

}  // namespace uFMsg
