#include "model/calendar/holidays.h"

#include <array>
#include <cstdint>
#include <mutex>

namespace uFCal {

namespace {

// The names as published.
const QString kNewYear = QStringLiteral("元日");
const QString kComingOfAge = QStringLiteral("成人の日");
const QString kFoundation = QStringLiteral("建国記念の日");
const QString kEmperor = QStringLiteral("天皇誕生日");
const QString kVernalEquinox = QStringLiteral("春分の日");
const QString kShowa = QStringLiteral("昭和の日");
const QString kGreenery = QStringLiteral("みどりの日");
const QString kConstitution = QStringLiteral("憲法記念日");
const QString kChildren = QStringLiteral("こどもの日");
const QString kMarine = QStringLiteral("海の日");
const QString kMountain = QStringLiteral("山の日");
const QString kAged = QStringLiteral("敬老の日");
const QString kAutumnalEquinox = QStringLiteral("秋分の日");
const QString kHealthSports = QStringLiteral("体育の日");
const QString kSports = QStringLiteral("スポーツの日");
const QString kCulture = QStringLiteral("文化の日");
const QString kLabour = QStringLiteral("勤労感謝の日");
// A day off by its own law that the substitute and citizens' rules count as
// a national holiday.
const QString kCountsAsHoliday = QStringLiteral("休日（祝日扱い）");

// Days set once, each by its own law.  The rules count every one as a
// national holiday; no ceremony fell on a Sunday or two days from another
// holiday, so only the two days of 2019 bring a 休日 beside them.
struct OneOff {
    int year, month, day;
    QString name;
};
const OneOff kOneOffs[] = {
    {1959, 4, 10, QStringLiteral("皇太子明仁親王の結婚の儀")},
    {1989, 2, 24, QStringLiteral("昭和天皇の大喪の礼")},
    {1990, 11, 12, QStringLiteral("即位礼正殿の儀")},
    {1993, 6, 9, QStringLiteral("皇太子徳仁親王の結婚の儀")},
    {2019, 5, 1, kCountsAsHoliday},
    {2019, 10, 22, kCountsAsHoliday},
};

constexpr int kMonday = 1;
constexpr int kSunday = 7;

// The day of the month of the nth given weekday (1 Monday ... 7 Sunday).
int nthWeekday(int year, int month, int weekday, int n)
{
    const int first = QDate(year, month, 1).dayOfWeek();
    return 1 + (weekday - first + 7) % 7 + 7 * (n - 1);
}

// The equinox's day of the month from its estimate in millionths of a day:
// the day at 1980 (1979 and before: the older constants), the year's drift
// of 0.242194 days and a day back every leap year.  INT of the negative
// quarter before 1983 truncates toward zero: read as a floor it puts the
// equinox a day late in most years before 1980 (1960's 春分の日 was 3/20,
// 1956's 秋分の日 9/23).  The estimate itself is never negative here.
int equinoxDay(int year, int base1980, int baseBefore)
{
    const int y = year - 1980;
    if (year >= 1980) return (base1980 + 242194 * y) / 1000000 - y / 4;
    return (baseBefore + 242194 * y) / 1000000 - (year - 1983) / 4;
}

int vernalEquinoxDay(int year)
{
    return equinoxDay(year, 20843100, 20835700);
}

int autumnalEquinoxDay(int year)
{
    return equinoxDay(year, 23248800, 23258800);
}

// One year's days, indexed by the day of the year (1-based), while the rules
// run over them.
class YearDays {
public:
    enum class Kind : std::uint8_t { None, National, Rest };

    explicit YearDays(int year)
        : year_(year), jan1_(year, 1, 1), jan1Weekday_(jan1_.dayOfWeek()), size_(jan1_.daysInYear())
    {}

    int year() const { return year_; }
    int size() const { return size_; }
    int weekday(int i) const { return (jan1Weekday_ - 1 + i - 1) % 7 + 1; }
    Kind kind(int i) const { return i >= 1 && i <= size_ ? kind_[i] : Kind::None; }
    // Whether day i is on or after month/day of the year.
    bool from(int i, int month, int day) const { return i >= QDate(year_, month, day).dayOfYear(); }

    void national(int month, int day, const QString& name)
    {
        set(QDate(year_, month, day).dayOfYear(), Kind::National, name);
    }
    void rest(int i) { set(i, Kind::Rest, kRestDayName); }

    QList<Holiday> list() const
    {
        QList<Holiday> out;
        for (int i = 1; i <= size_; ++i)
            if (kind_[i] != Kind::None) out.append({jan1_.addDays(i - 1), name_[i]});
        return out;
    }

private:
    void set(int i, Kind kind, const QString& name)
    {
        kind_[i] = kind;
        name_[i] = name;
    }

    int year_;
    QDate jan1_;
    int jan1Weekday_;
    int size_;
    std::array<Kind, 367> kind_{};
    std::array<QString, 367> name_;
};

// The national holidays with their own names (and the one-off days).
void namedHolidays(YearDays& d)
{
    const int y = d.year();
    d.national(1, 1, kNewYear);
    if (y <= 1999) {
        d.national(1, 15, kComingOfAge);
    } else {
        d.national(1, nthWeekday(y, 1, kMonday, 2), kComingOfAge);
    }
    if (y >= 1967) d.national(2, 11, kFoundation);
    if (y >= 2020) d.national(2, 23, kEmperor);
    d.national(3, vernalEquinoxDay(y), kVernalEquinox);
    d.national(4, 29, y <= 1988 ? kEmperor : y <= 2006 ? kGreenery : kShowa);
    d.national(5, 3, kConstitution);
    if (y >= 2007) d.national(5, 4, kGreenery);
    d.national(5, 5, kChildren);

    // The Olympic years moved three holidays to the Games.
    if (y == 2020) {
        d.national(7, 23, kMarine);
        d.national(7, 24, kSports);
        d.national(8, 10, kMountain);
    } else if (y == 2021) {
        d.national(7, 22, kMarine);
        d.national(7, 23, kSports);
        d.national(8, 8, kMountain);
    } else {
        if (y >= 2003) {
            d.national(7, nthWeekday(y, 7, kMonday, 3), kMarine);
        } else if (y >= 1996) {
            d.national(7, 20, kMarine);
        }
        if (y >= 2016) d.national(8, 11, kMountain);
        if (y >= 2020) {
            d.national(10, nthWeekday(y, 10, kMonday, 2), kSports);
        } else if (y >= 2000) {
            d.national(10, nthWeekday(y, 10, kMonday, 2), kHealthSports);
        } else if (y >= 1966) {
            d.national(10, 10, kHealthSports);
        }
    }

    if (y >= 2003) {
        d.national(9, nthWeekday(y, 9, kMonday, 3), kAged);
    } else if (y >= 1966) {
        d.national(9, 15, kAged);
    }
    d.national(9, autumnalEquinoxDay(y), kAutumnalEquinox);
    d.national(11, 3, kCulture);
    d.national(11, 23, kLabour);
    if (y >= 1989 && y <= 2018) d.national(12, 23, kEmperor);

    for (const OneOff& o : kOneOffs)
        if (o.year == y) d.national(o.month, o.day, o.name);
}

// 振替休日 for a national holiday on a Sunday: from 1973-04-12 the Monday
// after; from 2007 the first day after it that is no national holiday.  No
// national holiday falls on 12/31, so none reaches into the next year.
void substituteHolidays(YearDays& d)
{
    const int y = d.year();
    if (y < 1973) return;
    for (int i = 1; i <= d.size(); ++i) {
        if (d.kind(i) != YearDays::Kind::National || d.weekday(i) != kSunday) continue;
        if (y == 1973 && !d.from(i, 4, 12)) continue;
        if (y <= 2006) {
            if (d.kind(i + 1) == YearDays::Kind::None) d.rest(i + 1);
            continue;
        }
        int j = i + 1;
        while (d.kind(j) == YearDays::Kind::National) ++j;
        if (j <= d.size() && d.kind(j) == YearDays::Kind::None) d.rest(j);
    }
}

// 国民の休日 from 1985-12-27: a day between two national holidays.  Until
// 2006 a Sunday or a substitute holiday was no such day.  1/1 and 12/31 never
// have a national holiday on both sides.
void citizensHolidays(YearDays& d)
{
    const int y = d.year();
    if (y < 1985) return;
    for (int i = 2; i < d.size(); ++i) {
        if (d.kind(i) != YearDays::Kind::None) continue;
        if (d.kind(i - 1) != YearDays::Kind::National || d.kind(i + 1) != YearDays::Kind::National) continue;
        if (y == 1985 && !d.from(i, 12, 27)) continue;
        if (y <= 2006 && d.weekday(i) == kSunday) continue;
        d.rest(i);
    }
}

QList<Holiday> computeYear(int year)
{
    YearDays d(year);
    namedHolidays(d);
    substituteHolidays(d);
    citizensHolidays(d);
    return d.list();
}

// A year computed once: its list and, for each day of the year, the day's
// place in the list (-1: none).
struct YearTable {
    std::once_flag once;
    QList<Holiday> holidays;
    std::array<std::int8_t, 367> index{};
};

const YearTable& yearTable(int year)
{
    static std::array<YearTable, kHolidayYearLast - kHolidayYearFirst + 1> tables;
    YearTable& t = tables[static_cast<size_t>(year - kHolidayYearFirst)];
    std::call_once(t.once, [&t, year]() {
        t.holidays = computeYear(year);
        t.index.fill(-1);
        for (int k = 0; k < t.holidays.size(); ++k)
            t.index[static_cast<size_t>(t.holidays[k].day.dayOfYear())] = static_cast<std::int8_t>(k);
    });
    return t;
}

bool inRange(int year)
{
    return year >= kHolidayYearFirst && year <= kHolidayYearLast;
}

}  // namespace

QList<Holiday> NationalHolidays(int year)
{
    if (!inRange(year)) return {};
    return yearTable(year).holidays;
}

QString NationalHolidayName(const QDate& day)
{
    if (!day.isValid() || !inRange(day.year())) return {};
    const YearTable& t = yearTable(day.year());
    const int k = t.index[static_cast<size_t>(day.dayOfYear())];
    return k < 0 ? QString() : t.holidays[k].name;
}

}  // namespace uFCal
