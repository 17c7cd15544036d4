#include "model/messages/dueminute.h"

#include "core/datetime.h"

namespace uFMsg {

namespace {

const QString kDayFormat = QStringLiteral("yyyy/MM/dd");
constexpr int kMinutesPerDay = 24 * 60;

bool digit(QChar c)
{
    return c.unicode() >= '0' && c.unicode() <= '9';
}

// Two ASCII digits at position at, or -1.
int twoDigits(const QString& text, qsizetype at)
{
    if (text.size() < at + 2 || !digit(text.at(at)) || !digit(text.at(at + 1))) return -1;
    return (text.at(at).unicode() - '0') * 10 + (text.at(at + 1).unicode() - '0');
}

}  // namespace

QString MinuteOfDayText(int minuteOfDay)
{
    return QStringLiteral("%1:%2")
        .arg(minuteOfDay / 60, 2, 10, QLatin1Char('0'))
        .arg(minuteOfDay % 60, 2, 10, QLatin1Char('0'));
}

int MinuteOfDayFromText(const QString& text)
{
    if (text.size() != 5 || text.at(2) != QLatin1Char(':')) return -1;
    const int hour = twoDigits(text, 0), minute = twoDigits(text, 3);
    if (hour < 0 || hour > 23 || minute < 0 || minute > 59) return -1;
    return hour * 60 + minute;
}

QString DayText(const QDate& day)
{
    return day.toString(kDayFormat);
}

QString WeekdayName(const QDate& day)
{
    static const QString names = QStringLiteral("月火水木金土日");
    return day.isValid() ? QString(names.at(day.dayOfWeek() - 1)) : QString();
}

QString DayWithWeekday(const QDate& day)
{
    return DayText(day) + QStringLiteral("(") + WeekdayName(day) + QStringLiteral(")");
}

QString MinuteWithWeekday(const DueMinute& minute)
{
    if (!minute.isValid()) return minute.text();
    return DayWithWeekday(minute.day()) + QStringLiteral(" ") + MinuteOfDayText(minute.minuteOfDay());
}

QDate DayFromText(const QString& text)
{
    // Exactly ten characters, digits where digits belong.
    if (text.size() != 10 || text.at(4) != QLatin1Char('/') || text.at(7) != QLatin1Char('/')) return QDate();
    for (qsizetype i : {0, 1, 2, 3, 5, 6, 8, 9})
        if (!digit(text.at(i))) return QDate();
    return QDate::fromString(text, kDayFormat);
}

DueMinute DueMinute::fromText(const QString& text)
{
    DueMinute m;
    m.text_ = text;
    if (text.size() == 16 && text.at(10) == QLatin1Char('-')) {
        const QDate day = DayFromText(text.left(10));
        const int minute = MinuteOfDayFromText(text.mid(11));
        if (day.isValid() && minute >= 0) {
            m.day_ = day;
            m.minuteOfDay_ = minute;
        }
    }
    return m;
}

DueMinute DueMinute::of(const QDate& date, int minuteOfDay)
{
    if (!date.isValid() || date.year() < 1 || date.year() > 9999 || minuteOfDay < 0 || minuteOfDay >= kMinutesPerDay)
        return DueMinute();
    DueMinute m;
    m.text_ = DayText(date) + QStringLiteral("-") + MinuteOfDayText(minuteOfDay);
    m.day_ = date;
    m.minuteOfDay_ = minuteOfDay;
    return m;
}

DueMinute DueMinute::of(const QDate& date, int hour, int minute)
{
    if (hour < 0 || hour > 23 || minute < 0 || minute > 59) return DueMinute();
    return of(date, hour * 60 + minute);
}

DueMinute DueMinute::fromDisplay(const QString& display)
{
    return fromText(display.left(10) + QStringLiteral("-") + display.mid(11, 5));
}

DueMinute DueMinute::fromReading(const platform::LocalTime& t)
{
    return of(QDate(t.year, t.month, t.day), t.hour, t.minute);
}

DueMinute DueMinute::current()
{
    return fromReading(platform::localNow());
}

DueMinute DueMinute::addMinutes(int n) const
{
    if (!isValid()) return DueMinute();
    const long long total = static_cast<long long>(minuteOfDay_) + n;
    long long days = total / kMinutesPerDay;
    long long rest = total % kMinutesPerDay;
    if (rest < 0) {
        rest += kMinutesPerDay;
        --days;
    }
    return of(day_.addDays(days), static_cast<int>(rest));
}

long long DueMinute::minutesTo(const DueMinute& other) const
{
    if (!isValid() || !other.isValid()) return 0;
    return day_.daysTo(other.day_) * kMinutesPerDay + (other.minuteOfDay_ - minuteOfDay_);
}

}  // namespace uFMsg
