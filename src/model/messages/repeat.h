#pragma once
// Announcements that come back: a rule (every day, Monday to Friday, one
// weekday every week or every other week, a day of every month, the last
// day of the month, the nth or last weekday of the month) with its minute
// and message.  A rule is never
// announced itself: its next occurrence stands in the guide list as an
// ordinary guide entry, so that a reader of the file that knows nothing of
// rules still finds and announces that one.
#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

#include "model/calendar/calendar.h"
#include "model/messages/entries.h"

namespace uFMsg {

// What a rule carries beyond its four fields, stored as a fifth field of
// items separated by ';' (a reader that knows nothing of it ignores it, and
// drops it when it saves).
struct RuleOptions {
    // 休日=除く: no occurrence on a 休日 (a 平日 rule never has one).
    bool skipHolidays = false;
    // 休日=前営業日 / 休日=翌営業日: an occurrence on a day that is no working
    // day (Saturday, Sunday, a 休日) moves to the working day before or
    // after it, never as far as the rule's occurrence before or after it.
    enum class Move { None, Before, After } move = Move::None;
    // 終了=yyyy/mm/dd: no occurrence after that day.
    QDate end;
    // 予告=N (1 to 60): a notice N minutes before each occurrence.
    int notice = 0;
    // 停止: paused, no occurrence at all.
    bool paused = false;
    // 休止=yyyy/mm/dd-hh:mm: occurrences passed over, once each.
    QList<DueMinute> skipped;
    // 起点=yyyy/mm/dd: the rule announces from that day on (written when
    // the chosen start is later than the rule's next occurrence).
    QDate start;
    // 前回=yyyy/mm/dd-hh:mm: the occurrence announced last, never placed
    // again.
    DueMinute last;

    bool isEmpty() const { return text().isEmpty(); }
    // The stored field, "" when there is nothing to store.
    QString text() const;
    // From a stored field (empty: no options); none when an item is not
    // understood.
    static std::optional<RuleOptions> parse(const QString& field);
    bool operator==(const RuleOptions& o) const { return text() == o.text(); }
};

// A day a rule's occurrence is passed over on, and why: the 休日's name
// (the national holiday's, the closing period's) or 休止.
struct PassedOver {
    DueMinute at;
    QString reason;
};

// The most minutes of an advance notice.
constexpr int kNoticeMax = 60;

// The reason of an occurrence skipped once (休止).
inline const QString kSkippedReason = QStringLiteral("休止");

class RepeatRule {
public:
    enum class Kind { Daily, Weekdays, Weekly, Biweekly, MonthDay, MonthEnd, MonthNth, MonthLast };
    RepeatRule() = default;
    // From its stored text "<rule>,<hh:mm>,<fixed>,<variable>,[<options>,]"
    // (fields trimmed, a missing variable part is empty); none when the
    // rule word, the minute or an option is not understood or the fixed
    // part is empty.
    static std::optional<RepeatRule> parse(const QString& text);
    // From the rule word (毎日, 平日, 毎週 + weekday, 隔週 + weekday, 毎月N日
    // with N 1 to 31, 毎月末日, 毎月第N + weekday with N 1 to 4, 毎月最終 +
    // weekday), a minute of the day (0 to 1439) and the two parts, which are
    // taken as they are; none when the word or the minute is not understood
    // or the fixed part is empty.  A 隔週 rule counts its weeks from its
    // start (起点), which it must have.
    static std::optional<RepeatRule> make(const QString& rule, int minuteOfDay, const QString& fixed,
                                          const QString& variable, const RuleOptions& options = {});
    // From the rule word and the time of day of a minute.
    static std::optional<RepeatRule> at(const QString& rule, const DueMinute& minute, const QString& fixed,
                                        const QString& variable);
    // The rule word as stored: 毎日, 平日, 毎週月, 隔週水, 毎月25日, 毎月末日,
    // 毎月第2火, 毎月最終金.
    QString rule() const;
    Kind kind() const { return kind_; }
    QString storedForm() const;
    int minuteOfDay() const { return minuteOfDay_; }
    const QString& fixed() const { return fixed_; }
    const QString& variable() const { return variable_; }
    const RuleOptions& options() const { return options_; }
    void setOptions(const RuleOptions& options) { options_ = options; }

    // Whether the rule's word, start and end take that local calendar day
    // (the calendar aside).
    bool onDay(const QDate& day) const;
    // Whether the rule has ended by that day: its end lies before it.
    bool endedBy(const QDate& day) const { return options_.end.isValid() && options_.end < day; }
    // Whether the rule keeps off 休日: a 平日 rule, or one with 休日=除く.
    bool skipsHolidays() const;
    // The earliest occurrence at or after from, and the earliest one later
    // than from, on the calendar given, looked for over a year of days;
    // null when from is not a well-formed minute, the rule is paused or the
    // year holds none.  The occurrences passed over on the way (a 休日, a
    // 休止) are added to passed.
    DueMinute firstFrom(const DueMinute& from, const uFCal::Calendar& calendar = {}) const;
    DueMinute nextAfter(const DueMinute& from, const uFCal::Calendar& calendar = {},
                        QList<PassedOver>* passed = nullptr, QDate* movedFrom = nullptr) const;
    // The guide entry that announces the rule at due, marked as put in by a
    // rule.
    GuideEntry occurrence(const DueMinute& due) const;
    // Whether entry announces the rule's message (the same parts).
    bool sameParts(const GuideEntry& entry) const { return entry.fixed() == fixed_ && entry.variable() == variable_; }
    // The same rule: the same word, minute and message, whatever options.
    bool sameRule(const RepeatRule& o) const;

    bool operator==(const RepeatRule& o) const { return storedForm() == o.storedForm(); }

private:
    DueMinute earliest(const DueMinute& from, bool orAt, const uFCal::Calendar& calendar, QList<PassedOver>* passed,
                       QDate* movedFrom) const;
    // Whether the word takes the day (no start, end or calendar).
    bool wordTakes(const QDate& day) const;
    // The word's day before and after day (invalid when none within a year).
    QDate wordDayBefore(const QDate& day) const;
    QDate wordDayAfter(const QDate& day) const;
    Kind kind_ = Kind::Daily;
    int weekday_ = 0;  // 1 Monday ... 7 Sunday
    int nth_ = 0;      // the day of the month (MonthDay), the week (MonthNth)
    int minuteOfDay_ = 0;
    QString fixed_, variable_;
    RuleOptions options_;
};

// The rule words that follow a day: every week on its weekday (毎週水),
// every other week (隔週水), every month on its day (毎月25日), on its
// weekday's place in the month (毎月第2火; empty for a fifth weekday), on
// the month's last such weekday (毎月最終金).
QString WeeklyRule(const QDate& day);
QString BiweeklyRule(const QDate& day);
QString MonthDayRule(const QDate& day);
QString MonthNthRule(const QDate& day);
QString MonthLastRule(const QDate& day);
// The word of the month's last day.
inline const QString kMonthEndRule = QStringLiteral("毎月末日");

// Days a rule's next occurrence is looked for: a year, and a day more.
constexpr int kRuleSearchDays = 367;

// The rules, in the order they were registered; at most ListItemMax.  Each
// remembers the minute of the occurrence it has listed, if any, and whether
// it waits for room in a full list (or for a year that holds an occurrence).
class RepeatRules {
public:
    struct Held {
        RepeatRule rule;
        DueMinute placed;
        bool waiting = false;
    };
    int size() const { return static_cast<int>(rules_.size()); }
    bool isEmpty() const { return rules_.isEmpty(); }
    bool isFull() const { return size() >= ListItemMax; }
    const RepeatRule& at(int i) const { return rules_.at(i).rule; }
    const Held& held(int i) const { return rules_.at(i); }
    Held& held(int i) { return rules_[i]; }
    // The row of the same rule (sameRule), or -1.
    int find(const RepeatRule& rule) const;
    // Adds the rule unless the same rule is there or the list is full;
    // whether added.
    bool add(const RepeatRule& rule);
    void removeAt(int i);
    void clear() { rules_.clear(); }
    QStringList storedForms() const;
    // The rules from their stored texts.  Returns the texts left out: not
    // understood, the same rule as an earlier one, or beyond ListItemMax.
    QStringList assign(const QStringList& stored);

private:
    QList<Held> rules_;
};

}  // namespace uFMsg
