#include "model/messages/repeat.h"

#include "model/platform/text.h"

namespace uFMsg {

namespace {

const QString kComma = QStringLiteral(",");
const QString kDaily = QStringLiteral("毎日");
const QString kWeekdays = QStringLiteral("平日");
const QString kWeekly = QStringLiteral("毎週");
// Monday first, as QDate::dayOfWeek counts.
const QString kWeekdayNames = QStringLiteral("月火水木金土日");
// Further than a week on, no rule can still be looking.
constexpr int kDaysSearched = 8;

QString field(int n, const QString& text)
{
    return uFCom_Bas::CsvFieldTrimmed(n, text, kComma);
}

bool twoDigits(const QString& text, int max, int* value)
{
    auto digit = [](QChar c) { return c.unicode() >= '0' && c.unicode() <= '9'; };
    if (text.size() != 2 || !digit(text.at(0)) || !digit(text.at(1))) return false;
    *value = (text.at(0).unicode() - '0') * 10 + (text.at(1).unicode() - '0');
    return *value <= max;
}

// "hh:mm" of a minute of the day.
bool parseMinuteOfDay(const QString& text, int* hour, int* minute)
{
    return text.size() == 5 && text.at(2) == QLatin1Char(':') && twoDigits(text.left(2), 23, hour) &&
           twoDigits(text.mid(3, 2), 59, minute);
}

}  // namespace

QString WeeklyRule(const QDate& day)
{
    return day.isValid() ? kWeekly + kWeekdayNames.at(day.dayOfWeek() - 1) : QString();
}

QDate DayOf(const DueMinute& minute)
{
    const QString& t = minute.text();
    if (t.size() != 16 || t.at(10) != QLatin1Char('-')) return QDate();
    return QDate::fromString(t.left(10), QStringLiteral("yyyy/MM/dd"));
}

std::optional<RepeatRule> RepeatRule::make(const QString& rule, int hour, int minute, const QString& fixed,
                                           const QString& variable)
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
    if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || fixed.isEmpty()) return std::nullopt;
    r.hour_ = hour;
    r.minute_ = minute;
    r.fixed_ = fixed;
    r.variable_ = variable;
    return r;
}

std::optional<RepeatRule> RepeatRule::parse(const QString& text)
{
    const QString t = uFCom_Bas::trimSpaces(text);
    int hour = 0, minute = 0;
    if (!parseMinuteOfDay(field(1, t), &hour, &minute)) return std::nullopt;
    return make(field(0, t), hour, minute, field(2, t), field(3, t));
}

std::optional<RepeatRule> RepeatRule::at(const QString& rule, const DueMinute& minute, const QString& fixed,
                                         const QString& variable)
{
    int hour = 0, min = 0;
    if (!DayOf(minute).isValid() || !parseMinuteOfDay(minute.text().mid(11), &hour, &min)) return std::nullopt;
    return make(rule, hour, min, fixed, variable);
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
    const QString time =
        QStringLiteral("%1:%2").arg(hour_, 2, 10, QLatin1Char('0')).arg(minute_, 2, 10, QLatin1Char('0'));
    return rule() + kComma + time + kComma + fixed_ + kComma + variable_ + kComma;
}

bool RepeatRule::onDay(const QDate& day) const
{
    if (!day.isValid()) return false;
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

DueMinute RepeatRule::earliest(const DueMinute& from, bool orAt) const
{
    const QDate day = DayOf(from);
    if (!day.isValid()) return DueMinute();
    for (int n = 0; n < kDaysSearched; ++n) {
        const DueMinute m = DueMinute::of(day.addDays(n), hour_, minute_);
        if (onDay(day.addDays(n)) && (m.laterThan(from) || (orAt && m == from))) return m;
    }
    return DueMinute();
}

DueMinute RepeatRule::firstFrom(const DueMinute& from) const
{
    return earliest(from, true);
}

DueMinute RepeatRule::nextAfter(const DueMinute& from) const
{
    return earliest(from, false);
}

GuideEntry RepeatRule::occurrence(const DueMinute& due) const
{
    return GuideEntry::compose(due, fixed_, variable_);
}

bool RepeatRule::owns(const GuideEntry& entry) const
{
    if (entry.fixed() != fixed_ || entry.variable() != variable_) return false;
    const QDate day = DayOf(entry.due());
    return onDay(day) && DueMinute::of(day, hour_, minute_) == entry.due();
}

int RepeatRules::find(const RepeatRule& rule) const
{
    for (int i = 0; i < size(); ++i)
        if (rules_.at(i).rule == rule) return i;
    return -1;
}

int RepeatRules::ruleOf(const GuideEntry& entry) const
{
    for (int i = 0; i < size(); ++i)
        if (rules_.at(i).rule.owns(entry)) return i;
    return -1;
}

bool RepeatRules::add(const RepeatRule& rule)
{
    if (isFull() || find(rule) >= 0) return false;
    rules_.append(Held{rule, false});
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

void RepeatRules::assign(const QStringList& stored)
{
    rules_.clear();
    for (const QString& text : stored)
        if (const std::optional<RepeatRule> r = RepeatRule::parse(text)) add(*r);
}

bool RepeatRules::listed(const RepeatRule& rule, const DueMinute& due, const GuideSchedule& schedule)
{
    for (int i = 0; i < schedule.size(); ++i) {
        const GuideEntry& e = schedule.at(i);
        if (e.due() == due && rule.owns(e)) return true;
    }
    return false;
}

RepeatRules::Placed RepeatRules::placeNext(int row, GuideSchedule& schedule, const DueMinute& now)
{
    if (row < 0 || row >= size()) return Placed::Present;
    Held& held = rules_[row];
    const DueMinute next = held.rule.nextAfter(now);
    if (next.isNull()) return Placed::Present;
    if (listed(held.rule, next, schedule)) {
        held.waiting = false;
        return Placed::Present;
    }
    if (schedule.isFull()) {
        held.waiting = true;
        return Placed::Full;
    }
    schedule.insertSorted(held.rule.occurrence(next));
    held.waiting = false;
    return Placed::Added;
}

RepeatRules::Outcome RepeatRules::placeAll(GuideSchedule& schedule, const DueMinute& now)
{
    Outcome out;
    for (int i = 0; i < size(); ++i) {
        const Placed p = placeNext(i, schedule, now);
        if (p == Placed::Added) ++out.added;
        if (p == Placed::Full) ++out.full;
    }
    return out;
}

RepeatRules::Outcome RepeatRules::placeAfter(const QList<DueEntry>& taken, GuideSchedule& schedule,
                                             const DueMinute& now)
{
    QList<bool> due(size(), false);
    for (const DueEntry& d : taken) {
        const int i = ruleOf(d.entry);
        if (i >= 0) due[i] = true;
    }
    Outcome out;
    for (int i = 0; i < size(); ++i) {
        if (!due.at(i) && !rules_.at(i).waiting) continue;
        const bool waited = rules_.at(i).waiting;
        const Placed p = placeNext(i, schedule, now);
        if (p == Placed::Added) ++out.added;
        if (p == Placed::Full && !waited) ++out.full;
    }
    return out;
}

}  // namespace uFMsg
