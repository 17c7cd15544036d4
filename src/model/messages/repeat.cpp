#include "model/messages/repeat.h"

#include <algorithm>

#include "model/platform/text.h"

namespace uFMsg {

namespace {

const QString kComma = QStringLiteral(",");
const QString kDaily = QStringLiteral("毎日");
const QString kWeekdays = QStringLiteral("平日");
const QString kWeekly = QStringLiteral("毎週");
const QString kBiweekly = QStringLiteral("隔週");
const QString kMonthly = QStringLiteral("毎月");
const QString kDaySuffix = QStringLiteral("日");
const QString kNth = QStringLiteral("第");
const QString kLast = QStringLiteral("最終");
const QString kMoveBeforeItem = QStringLiteral("休日=前営業日");
const QString kMoveAfterItem = QStringLiteral("休日=翌営業日");
const QString kEndItem = QStringLiteral("終了=");
const QString kNoticeItem = QStringLiteral("予告=");
// A moved or passed-over day without a 休日's name: a Saturday or Sunday.
const QString kNoWorkingDay = QStringLiteral("休日");
constexpr int kMonthDaysMax = 31;
constexpr int kNthMax = 4;
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

// 1 Monday ... 7 Sunday for the one-character name, or 0.
int weekdayOf(const QString& name)
{
    return name.size() == 1 && kWeekdayNames.contains(name) ? static_cast<int>(kWeekdayNames.indexOf(name)) + 1 : 0;
}

QDate monday(const QDate& day)
{
    return day.addDays(1 - day.dayOfWeek());
}

}  // namespace

QString RuleOptions::text() const
{
    QStringList items;
    if (skipHolidays) items << kSkipHolidaysItem;
    if (move == Move::Before) items << kMoveBeforeItem;
    if (move == Move::After) items << kMoveAfterItem;
    if (paused) items << kPausedItem;
    for (const DueMinute& m : skipped) items << kSkippedItem + m.text();
    if (start.isValid()) items << kStartItem + DayText(start);
    if (!last.isNull()) items << kLastItem + last.text();
    if (end.isValid()) items << kEndItem + DayText(end);
    if (notice > 0) items << kNoticeItem + QString::number(notice);
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
            o.move = Move::None;
        } else if (i == kMoveBeforeItem || i == kMoveAfterItem) {
            o.move = i == kMoveBeforeItem ? Move::Before : Move::After;
            o.skipHolidays = false;
        } else if (i.startsWith(kEndItem) && DayFromText(i.mid(kEndItem.size())).isValid()) {
            o.end = DayFromText(i.mid(kEndItem.size()));
        } else if (i.startsWith(kNoticeItem) && SmallNumber(i.mid(kNoticeItem.size()), kNoticeMax) > 0) {
            o.notice = SmallNumber(i.mid(kNoticeItem.size()), kNoticeMax);
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

QString BiweeklyRule(const QDate& day)
{
    return day.isValid() ? kBiweekly + kWeekdayNames.at(day.dayOfWeek() - 1) : QString();
}

QString MonthDayRule(const QDate& day)
{
    return day.isValid() ? kMonthly + QString::number(day.day()) + kDaySuffix : QString();
}

QString MonthNthRule(const QDate& day)
{
    const int nth = (day.day() - 1) / 7 + 1;
    if (!day.isValid() || nth > kNthMax) return QString();
    return kMonthly + kNth + QString::number(nth) + kWeekdayNames.at(day.dayOfWeek() - 1);
}

QString MonthLastRule(const QDate& day)
{
    return day.isValid() ? kMonthly + kLast + kWeekdayNames.at(day.dayOfWeek() - 1) : QString();
}

std::optional<RepeatRule> RepeatRule::make(const QString& rule, int minuteOfDay, const QString& fixed,
                                           const QString& variable, const RuleOptions& options)
{
    RepeatRule r;
    const QString tail = rule.mid(2);
    if (rule == kDaily) {
        r.kind_ = Kind::Daily;
    } else if (rule == kWeekdays) {
        r.kind_ = Kind::Weekdays;
    } else if ((rule.startsWith(kWeekly) || rule.startsWith(kBiweekly)) && weekdayOf(tail) > 0) {
        r.kind_ = rule.startsWith(kWeekly) ? Kind::Weekly : Kind::Biweekly;
        r.weekday_ = weekdayOf(tail);
    } else if (rule == kMonthEndRule) {
        r.kind_ = Kind::MonthEnd;
    } else if (rule.startsWith(kMonthly) && tail.endsWith(kDaySuffix) &&
               SmallNumber(tail.chopped(kDaySuffix.size()), kMonthDaysMax) > 0) {
        r.kind_ = Kind::MonthDay;
        r.nth_ = SmallNumber(tail.chopped(kDaySuffix.size()), kMonthDaysMax);
    } else if (rule.startsWith(kMonthly) && tail.startsWith(kNth) && tail.size() == kNth.size() + 2 &&
               SmallNumber(tail.mid(kNth.size(), 1), kNthMax) > 0 && weekdayOf(tail.right(1)) > 0) {
        r.kind_ = Kind::MonthNth;
        r.nth_ = SmallNumber(tail.mid(kNth.size(), 1), kNthMax);
        r.weekday_ = weekdayOf(tail.right(1));
    } else if (rule.startsWith(kMonthly) && tail.startsWith(kLast) && tail.size() == kLast.size() + 1 &&
               weekdayOf(tail.right(1)) > 0) {
        r.kind_ = Kind::MonthLast;
        r.weekday_ = weekdayOf(tail.right(1));
    } else {
        return std::nullopt;
    }
    if (minuteOfDay < 0 || minuteOfDay >= 24 * 60 || fixed.isEmpty()) return std::nullopt;
    // Every other week counts from the week it started in.
    if (r.kind_ == Kind::Biweekly && !options.start.isValid()) return std::nullopt;
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
    case Kind::Biweekly:
        return kBiweekly + kWeekdayNames.at(weekday_ - 1);
    case Kind::MonthDay:
        return kMonthly + QString::number(nth_) + kDaySuffix;
    case Kind::MonthEnd:
        return kMonthEndRule;
    case Kind::MonthNth:
        return kMonthly + kNth + QString::number(nth_) + kWeekdayNames.at(weekday_ - 1);
    case Kind::MonthLast:
        return kMonthly + kLast + kWeekdayNames.at(weekday_ - 1);
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
    return kind_ == o.kind_ && weekday_ == o.weekday_ && nth_ == o.nth_ && minuteOfDay_ == o.minuteOfDay_ &&
           fixed_ == o.fixed_ && variable_ == o.variable_;
}

bool RepeatRule::skipsHolidays() const
{
    return kind_ == Kind::Weekdays || options_.skipHolidays;
}

bool RepeatRule::wordTakes(const QDate& day) const
{
    if (!day.isValid()) return false;
    const int weekday = day.dayOfWeek();
    switch (kind_) {
    case Kind::Daily:
        return true;
    case Kind::Weekdays:
        return weekday <= 5;
    case Kind::Weekly:
        return weekday == weekday_;
    case Kind::Biweekly:
        return weekday == weekday_ && options_.start.isValid() &&
               (monday(options_.start).daysTo(monday(day)) / 7) % 2 == 0;
    case Kind::MonthDay:
        return day.day() == nth_;
    case Kind::MonthEnd:
        return day.day() == day.daysInMonth();
    case Kind::MonthNth:
        return weekday == weekday_ && (day.day() - 1) / 7 + 1 == nth_;
    case Kind::MonthLast:
        return weekday == weekday_ && day.day() + 7 > day.daysInMonth();
    }
    return false;
}

bool RepeatRule::onDay(const QDate& day) const
{
    if (!day.isValid()) return false;
    if (options_.start.isValid() && day < options_.start) return false;
    if (endedBy(day)) return false;
    return wordTakes(day);
}

QDate RepeatRule::wordDayBefore(const QDate& day) const
{
    for (int n = 1; n <= kRuleSearchDays; ++n)
        if (wordTakes(day.addDays(-n))) return day.addDays(-n);
    return QDate();
}

QDate RepeatRule::wordDayAfter(const QDate& day) const
{
    for (int n = 1; n <= kRuleSearchDays; ++n)
        if (wordTakes(day.addDays(n))) return day.addDays(n);
    return QDate();
}

DueMinute RepeatRule::earliest(const DueMinute& from, bool orAt, const uFCal::Calendar& calendar,
                               QList<PassedOver>* passed, QDate* movedFrom) const
{
    if (!from.isValid() || options_.paused) return DueMinute();
    const bool moves = options_.move != RuleOptions::Move::None && kind_ != Kind::Weekdays;
    // A day of the word shortly before from may move after it.
    const int back = moves && options_.move == RuleOptions::Move::After ? kMonthDaysMax + 7 : 0;
    const QDate first = from.day();
    for (int n = -back; n < kRuleSearchDays; ++n) {
        const QDate day = first.addDays(n);
        if (!onDay(day)) continue;
        QDate at = day;
        QString passedFor;
        if (moves && !calendar.isWorkingDay(day)) {
            // To the nearest working day on its side, short of the word's
            // day before and after it (never past a neighbour).
            const bool before = options_.move == RuleOptions::Move::Before;
            const QDate limit = before ? wordDayBefore(day) : wordDayAfter(day);
            at = QDate();
            for (QDate d = day.addDays(before ? -1 : 1);
                 d.isValid() && (!limit.isValid() || (before ? d > limit : d < limit));
                 d = d.addDays(before ? -1 : 1)) {
                if (calendar.isWorkingDay(d)) {
                    at = d;
                    break;
                }
                if (qAbs(d.daysTo(day)) > kRuleSearchDays) break;
            }
            if (!at.isValid()) {
                const QString reason = calendar.holidayReason(day);
                passedFor = reason.isEmpty() ? kNoWorkingDay : reason;
            }
        } else if (skipsHolidays() && calendar.isHoliday(day)) {
            passedFor = calendar.holidayReason(day);
        }
        const DueMinute m = DueMinute::of(at.isValid() ? at : day, minuteOfDay_);
        if (!(m.laterThan(from) || (orAt && m == from))) continue;
        if (!passedFor.isNull()) {
            if (passed) passed->append(PassedOver{m, passedFor});
            continue;
        }
        if (options_.skipped.contains(m)) {
            if (passed) passed->append(PassedOver{m, kSkippedReason});
            continue;
        }
        // Announced already (a clock set back, a restart): never again.
        if (m == options_.last) continue;
        if (movedFrom) *movedFrom = at == day ? QDate() : day;
        return m;
    }
    return DueMinute();
}

DueMinute RepeatRule::firstFrom(const DueMinute& from, const uFCal::Calendar& calendar) const
{
    return earliest(from, true, calendar, nullptr, nullptr);
}

DueMinute RepeatRule::nextAfter(const DueMinute& from, const uFCal::Calendar& calendar, QList<PassedOver>* passed,
                                QDate* movedFrom) const
{
    return earliest(from, false, calendar, passed, movedFrom);
}

GuideEntry RepeatRule::occurrence(const DueMinute& due) const
{
    EntryOptions placed;
    placed.placed = true;
    placed.notice = options_.notice;
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
