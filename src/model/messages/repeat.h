#pragma once
// Announcements that come back: a rule (every day, Monday to Friday, or one
// weekday every week) with its minute and message.  A rule is never
// announced itself: its next occurrence stands in the guide list as an
// ordinary guide entry, so that a reader of the file that knows nothing of
// rules still finds and announces that one.
#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

#include "model/messages/entries.h"

namespace uFMsg {

class RepeatRule {
public:
    enum class Kind { Daily, Weekdays, Weekly };
    RepeatRule() = default;
    // From its stored text "<rule>,<hh:mm>,<fixed>,<variable>," (fields
    // trimmed, a missing variable part is empty); none when the rule word
    // or the minute is not understood or the fixed part is empty.
    static std::optional<RepeatRule> parse(const QString& text);
    // From the rule word (毎日, 平日, 毎週 + weekday), a minute of the day
    // and the two parts, which are taken as they are; none when the word or
    // the minute is not understood or the fixed part is empty.
    static std::optional<RepeatRule> make(const QString& rule, int hour, int minute, const QString& fixed,
                                          const QString& variable);
    // From the rule word and the time of day of a minute
    // ("yyyy/mm/dd-hh:mm").
    static std::optional<RepeatRule> at(const QString& rule, const DueMinute& minute, const QString& fixed,
                                        const QString& variable);
    // The rule word as stored: 毎日, 平日, 毎週月 ... 毎週日.
    QString rule() const;
    QString storedForm() const;
    const QString& fixed() const { return fixed_; }
    const QString& variable() const { return variable_; }

    // Whether the rule announces on that local calendar day.
    bool onDay(const QDate& day) const;
    // The earliest matching minute at or after from, and the earliest one
    // later than from; null when from is not a well-formed minute.
    DueMinute firstFrom(const DueMinute& from) const;
    DueMinute nextAfter(const DueMinute& from) const;
    // The guide entry that announces the rule at due.
    GuideEntry occurrence(const DueMinute& due) const;
    // Whether entry is one of the rule's occurrences: the same parts, the
    // rule's minute of the day on a day the rule announces.
    bool owns(const GuideEntry& entry) const;

    bool operator==(const RepeatRule& o) const { return storedForm() == o.storedForm(); }

private:
    DueMinute earliest(const DueMinute& from, bool orAt) const;
    Kind kind_ = Kind::Daily;
    int weekday_ = 0;  // 1 Monday ... 7 Sunday, for a weekly rule
    int hour_ = 0;
    int minute_ = 0;
    QString fixed_, variable_;
};

// The rule word of every week on the day's weekday (毎週水).
QString WeeklyRule(const QDate& day);

// A minute's day, or an invalid date when the minute is not well formed.
QDate DayOf(const DueMinute& minute);

// The rules, in the order they were registered; at most ListItemMax.  A
// rule whose occurrence found the guide list full waits until the list has
// room.
class RepeatRules {
public:
    int size() const { return static_cast<int>(rules_.size()); }
    bool isEmpty() const { return rules_.isEmpty(); }
    bool isFull() const { return size() >= ListItemMax; }
    const RepeatRule& at(int i) const { return rules_.at(i).rule; }
    // The row of an identical rule, or -1.
    int find(const RepeatRule& rule) const;
    // The row of the rule entry is an occurrence of, or -1.
    int ruleOf(const GuideEntry& entry) const;
    // Adds the rule unless it is there or the list is full; whether added.
    bool add(const RepeatRule& rule);
    void removeAt(int i);
    void clear() { rules_.clear(); }
    QStringList storedForms() const;
    // The rules from their stored texts; malformed ones and repeats of an
    // earlier one are left out, and so is every one beyond ListItemMax.
    void assign(const QStringList& stored);

    // Whether the schedule lists the rule's occurrence at due (the same
    // minute and parts, however the entry's text is spaced or ended).
    static bool listed(const RepeatRule& rule, const DueMinute& due, const GuideSchedule& schedule);
    // Puts the next occurrence after now of the rule at row into the
    // schedule, unless that exact entry is there.  With the schedule full
    // the rule waits instead.
    enum class Placed { Added, Present, Full };
    Placed placeNext(int row, GuideSchedule& schedule, const DueMinute& now);
    // The next occurrence of every rule (at the load).  How many were
    // added, and how many wait for room.
    struct Outcome {
        int added = 0;
        int full = 0;
    };
    Outcome placeAll(GuideSchedule& schedule, const DueMinute& now);
    // After a due check: the next occurrence of each rule one of whose
    // occurrences was taken, and of each rule that waits for room.  full
    // counts the rules that start to wait now, not those still waiting.
    Outcome placeAfter(const QList<DueEntry>& taken, GuideSchedule& schedule, const DueMinute& now);

private:
    struct Held {
        RepeatRule rule;
        bool waiting = false;
    };
    QList<Held> rules_;
};

}  // namespace uFMsg
