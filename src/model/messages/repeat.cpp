#include "model/messages/repeat.h"

#include <algorithm>

#include "model/platform/text.h"

namespace uFMsg {

namespace {

const QString kComma = QStringLiteral(",");
const QString kDaily = QStringLiteral("毎日");
const QString kWeekdays = QStringLiteral("平日");
const QString kWeekly = QStringLiteral("毎週");
// Monday first, as QDate::dayOfWeek counts.
const QString kWeekdayNames = QStringLiteral("月火水木金土日");
const QString kItemSeparator = QStringLiteral(";");
const QString kSkipHolidaysItem = QStringLiteral("休日=除く");
const QString kPausedItem = QStringLiteral("停止");
const QString kSkippedItem = QStringLiteral("休止=");
const QString kStartItem = QStringLiteral("起点=");
const QString kLastItem = QStringLiteral("前回=");

QString field(int n, const QString& text)
{
    return uFCom_Bas::CsvFieldTrimmed(n, text, kComma);
}

}  // namespace

QString RuleOptions::text() const
{
    QStringList items;
    if (skipHolidays) items << kSkipHolidaysItem;
    if (paused) items << kPausedItem;
    for (const DueMinute& m : skipped) items << kSkippedItem + m.text();
    if (start.isValid()) items << kStartItem + DayText(start);
    if (!last.isNull()) items << kLastItem + last.text();
    return items.join(kItemSeparator);
}

std::optional<RuleOptions> RuleOptions::parse(const QString& field)
{
    RuleOptions o;
    const QString f = uFCom_Bas::trimSpaces(field);
    if (f.isEmpty()) return o;
    for (const QString& item : f.split(kItemSeparator)) {
        const QString i = uFCom_Bas::trimSpaces(item);
        auto minuteAfter = [&](const QString& word) { return DueMinute::fromText(i.mid(word.size())); };
        if (i == kSkipHolidaysItem) {
            o.skipHolidays = true;
        } else if (i == kPausedItem) {
            o.paused = true;
        } else if (i.startsWith(kSkippedItem) && minuteAfter(kSkippedItem).isValid()) {
            if (!o.skipped.contains(minuteAfter(kSkippedItem))) o.skipped << minuteAfter(kSkippedItem);
        } else if (i.startsWith(kStartItem) && DayFromText(i.mid(kStartItem.size())).isValid()) {
            o.start = DayFromText(i.mid(kStartItem.size()));
        } else if (i.startsWith(kLastItem) && minuteAfter(kLastItem).isValid()) {
            o.last = minuteAfter(kLastItem);
        } else {
            return std::nullopt;
        }
    }
    std::sort(o.skipped.begin(), o.skipped.end());
    return o;
}

QString WeeklyRule(const QDate& day)
{
    return day.isValid() ? kWeekly + kWeekdayNames.at(day.dayOfWeek() - 1) : QString();
}

std::optional<RepeatRule> RepeatRule::make(const QString& rule, int minuteOfDay, const QString& fixed,
                                           const QString& variable, const RuleOptions& options)
{
    RepeatRule r;
    if (rule == kDaily) {
        r.kind_ = Kind::Daily;
    } else if (rule == kWeekdays) {
        r.kind_ = Kind::Weekdays;
    } else if (rule.size() == kWeekly.size() + 1 && rule.startsWith(kWeekly) && kWeekdayNames.contains(rule.back())) {
        r.kind_ = Kind::Weekly;
        r.weekday_ = static_cast<int>(kWeekdayNames.indexOf(rule.back())) + 1;
    } else {
        return std::nullopt;
    }
    if (minuteOfDay < 0 || minuteOfDay >= 24 * 60 || fixed.isEmpty()) return std::nullopt;
    r.minuteOfDay_ = minuteOfDay;
    r.fixed_ = fixed;
    r.variable_ = variable;
    r.options_ = options;
    return r;
}

std::optional<RepeatRule> RepeatRule::parse(const QString& text)
{
    const QString t = uFCom_Bas::trimSpaces(text);
    const int minute = MinuteOfDayFromText(field(1, t));
    if (minute < 0) return std::nullopt;
    const std::optional<RuleOptions> options = RuleOptions::parse(field(4, t));
    if (!options) return std::nullopt;
    return make(field(0, t), minute, field(2, t), field(3, t), *options);
}

std::optional<RepeatRule> RepeatRule::at(const QString& rule, const DueMinute& minute, const QString& fixed,
                                         const QString& variable)
{
    if (!minute.isValid()) return std::nullopt;
    return make(rule, minute.minuteOfDay(), fixed, variable);
}

QString RepeatRule::rule() const
{
    switch (kind_) {
    case Kind::Daily:
        return kDaily;
    case Kind::Weekdays:
        return kWeekdays;
    case Kind::Weekly:
        return kWeekly + kWeekdayNames.at(weekday_ - 1);
    }
    return QString();
}

QString RepeatRule::storedForm() const
{
    const QString stored =
        rule() + kComma + MinuteOfDayText(minuteOfDay_) + kComma + fixed_ + kComma + variable_ + kComma;
    return options_.isEmpty() ? stored : stored + options_.text() + kComma;
}

bool RepeatRule::sameRule(const RepeatRule& o) const
{
    return kind_ == o.kind_ && weekday_ == o.weekday_ && minuteOfDay_ == o.minuteOfDay_ && fixed_ == o.fixed_ &&
           variable_ == o.variable_;
}

bool RepeatRule::skipsHolidays() const
{
    return kind_ == Kind::Weekdays || options_.skipHolidays;
}

bool RepeatRule::onDay(const QDate& day) const
{
    if (!day.isValid()) return false;
    if (options_.start.isValid() && day < options_.start) return false;
    switch (kind_) {
    case Kind::Daily:
        return true;
    case Kind::Weekdays:
        return day.dayOfWeek() <= 5;
    case Kind::Weekly:
        return day.dayOfWeek() == weekday_;
    }
    return false;
}

DueMinute RepeatRule::earliest(const DueMinute& from, bool orAt, const uFCal::Calendar& calendar,
                               QList<PassedOver>* passed) const
{
    if (!from.isValid() || options_.paused) return DueMinute();
    const QDate first = from.day();
    for (int n = 0; n < kRuleSearchDays; ++n) {
        const QDate day = first.addDays(n);
        if (!onDay(day)) continue;
        const DueMinute m = DueMinute::of(day, minuteOfDay_);
        if (!(m.laterThan(from) || (orAt && m == from))) continue;
        if (skipsHolidays() && calendar.isHoliday(day)) {
            if (passed) passed->append(PassedOver{m, calendar.holidayReason(day)});
            continue;
        }
        if (options_.skipped.contains(m)) {
            if (passed) passed->append(PassedOver{m, kSkippedReason});
            continue;
        }
        // Announced already (a clock set back, a restart): never again.
        if (m == options_.last) continue;
        return m;
    }
    return DueMinute();
}

DueMinute RepeatRule::firstFrom(const DueMinute& from, const uFCal::Calendar& calendar) const
{
    return earliest(from, true, calendar, nullptr);
}

DueMinute RepeatRule::nextAfter(const DueMinute& from, const uFCal::Calendar& calendar, QList<PassedOver>* passed) const
{
    return earliest(from, false, calendar, passed);
}

GuideEntry RepeatRule::occurrence(const DueMinute& due) const
{
    EntryOptions placed;
    placed.placed = true;
    return GuideEntry::compose(due, fixed_, variable_, placed);
}

int RepeatRules::find(const RepeatRule& rule) const
{
    for (int i = 0; i < size(); ++i)
        if (rules_.at(i).rule.sameRule(rule)) return i;
    return -1;
}

bool RepeatRules::add(const RepeatRule& rule)
{
    if (isFull() || find(rule) >= 0) return false;
    rules_.append(Held{rule, DueMinute(), false});
    return true;
}

void RepeatRules::removeAt(int i)
{
    if (i >= 0 && i < size()) rules_.removeAt(i);
}

QStringList RepeatRules::storedForms() const
{
    QStringList out;
    for (const Held& h : rules_) out << h.rule.storedForm();
    return out;
}

QStringList RepeatRules::assign(const QStringList& stored)
{
    rules_.clear();
    QStringList refused;
    for (const QString& text : stored) {
        const std::optional<RepeatRule> r = RepeatRule::parse(text);
        if (!r || !add(*r)) refused << text;
    }
    return refused;
}

}  // namespace uFMsg
