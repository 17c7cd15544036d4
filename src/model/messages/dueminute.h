#pragma once
// A minute of the schedule and its text "yyyy/mm/dd-hh:mm" of the local
// calendar.  This file is the one place that knows that layout: everything
// else asks a minute for its day, its minute of the day or a minute later.
#include <QDate>
#include <QString>

namespace platform {
struct LocalTime;
}

namespace uFMsg {

// Minutes compare in the ordinal order of their text, which for well-formed
// minutes is the order of time; a stored minute that is not well formed
// keeps its text and its place in that order, and has no day.
class DueMinute {
public:
    DueMinute() = default;
    // From its text form as it stands (the clock's minute, a listed entry's
    // trimmed field); null for an empty text.
    static DueMinute fromText(const QString& text);
    // The minute of a date, an hour and a minute; null when they are no
    // minute of a day.
    static DueMinute of(const QDate& date, int hour, int minute);
    static DueMinute of(const QDate& date, int minuteOfDay);
    // The minute of a 23-character display text "yyyy/mm/dd hh:mm:ss:fff".
    static DueMinute fromDisplay(const QString& display);
    // The minute of a clock reading.
    static DueMinute fromReading(const platform::LocalTime& t);
    // The program clock's minute.
    static DueMinute current();

    bool isNull() const { return text_.isEmpty(); }
    // Well formed: the layout above, naming a real day and a minute of it.
    bool isValid() const { return minuteOfDay_ >= 0; }
    const QString& text() const { return text_; }
    // The day, invalid when the minute is not well formed.
    QDate day() const { return day_; }
    // 0 to 1439; -1 when the minute is not well formed.
    int minuteOfDay() const { return minuteOfDay_; }
    int hour() const { return minuteOfDay_ < 0 ? -1 : minuteOfDay_ / 60; }
    int minute() const { return minuteOfDay_ < 0 ? -1 : minuteOfDay_ % 60; }
    // n minutes on (or back, for a negative n); null when not well formed.
    DueMinute addMinutes(int n) const;
    // Whole minutes from this one to other; 0 unless both are well formed.
    long long minutesTo(const DueMinute& other) const;

    // Due at now: not later than now.
    bool dueAt(const DueMinute& now) const { return compare(now) <= 0; }
    bool laterThan(const DueMinute& now) const { return compare(now) > 0; }
    bool operator==(const DueMinute& o) const { return text_ == o.text_; }
    bool operator<(const DueMinute& o) const { return compare(o) < 0; }

private:
    int compare(const DueMinute& o) const { return QString::compare(text_, o.text_, Qt::CaseSensitive); }
    QString text_;
    QDate day_;
    int minuteOfDay_ = -1;
};

// "hh:mm" of a minute of the day, and back (-1 when not understood: two
// digits each, 00:00 to 23:59).
QString MinuteOfDayText(int minuteOfDay);
int MinuteOfDayFromText(const QString& text);
// A day as "yyyy/mm/dd", and back (invalid when not understood).
QString DayText(const QDate& day);
// The weekday's one-character name (月 ... 日), and a day with it:
// "yyyy/mm/dd(曜)"; a minute with it: "yyyy/mm/dd(曜) hh:mm".
QString WeekdayName(const QDate& day);
QString DayWithWeekday(const QDate& day);
QString MinuteWithWeekday(const DueMinute& minute);
QDate DayFromText(const QString& text);

}  // namespace uFMsg
