// The site's calendar: which days are 休日 and why, with closing periods,
// open days, national holidays switched off and published corrections.
#include <gtest/gtest.h>

#include "model/calendar/calendar.h"
#include "test_support.h"

using uFCal::Calendar;
using uFCal::ClosedPeriod;
using uFCal::NamedDay;

namespace {

QDate date(const char* text)
{
    return QDate::fromString(QString::fromUtf8(text), QStringLiteral("yyyy/MM/dd"));
}

ClosedPeriod period(const char* first, const char* last, const char* name)
{
    return {date(first), date(last), QString::fromUtf8(name)};
}

NamedDay named(const char* day, const char* name)
{
    return {date(day), QString::fromUtf8(name)};
}

// The site of the file's example: 年末年始, a summer closure, one open day.
Calendar site()
{
    Calendar c;
    c.closed = {period("2026/12/29", "2027/01/03", "年末年始"), period("2027/08/13", "2027/08/16", "夏季休業")};
    c.open = {named("2027/07/19", "出勤日")};
    return c;
}

struct DayCase {
    const char* day;
    const char* reason;  // "": no 休日
    bool working;
};

void expectDays(const Calendar& c, std::initializer_list<DayCase> cases)
{
    for (const DayCase& d : cases) {
        const QDate day = date(d.day);
        EXPECT_EQ(c.isHoliday(day), *d.reason != 0) << d.day;
        EXPECT_EQ(c.holidayReason(day), QString::fromUtf8(d.reason)) << d.day;
        EXPECT_EQ(c.isWorkingDay(day), d.working) << d.day;
    }
}

}  // namespace

TEST(CalendarTest, ClosingPeriodsAndOpenDaysDecideTheSitesDays)
{
    expectDays(site(), {
        {"2026/12/28", "", true},              // Monday before the closure
        {"2026/12/29", "年末年始", false},     // first day, inclusive
        {"2027/01/01", "元日", false},         // the national holiday's name comes first
        {"2027/01/03", "年末年始", false},     // last day, a Sunday
        {"2027/01/04", "", true},
        {"2027/01/11", "成人の日", false},     // a Happy Monday
        {"2027/07/19", "", true},              // 海の日, worked
        {"2027/08/13", "夏季休業", false},
        {"2027/08/16", "夏季休業", false},     // last day, a Monday
        {"2027/08/17", "", true},
        {"2027/08/21", "", false},             // a Saturday: no 休日, no working day
    });
}

TEST(CalendarTest, WithoutNationalHolidaysOnlyTheSitesOwnDaysCount)
{
    Calendar c = site();
    c.nationalHolidays = false;
    expectDays(c, {
        {"2027/01/01", "年末年始", false},     // inside the closure all the same
        {"2027/01/11", "", true},
        {"2027/03/22", "", true},              // a substitute holiday
        {"2027/08/13", "夏季休業", false},
    });
    // The national holiday is still known, for what the operator is shown.
    EXPECT_EQ(c.nationalName(date("2027/01/11")), "成人の日");
}

TEST(CalendarTest, AnOpenDayIsWorkedEvenInsideAClosure)
{
    Calendar c = site();
    c.open << named("2026/12/30", "棚卸") << named("2027/01/02", "初売り");
    expectDays(c, {
        {"2026/12/30", "", true},
        {"2026/12/31", "年末年始", false},
        {"2027/01/02", "", false},             // a Saturday stays no working day
    });
}

// Corrections apply to the finished list: they neither make nor move a
// substitute or citizens' holiday.
TEST(CalendarTest, PublishedCorrectionsBeatTheRules)
{
    Calendar c;
    c.holidayDel = {date("2030/03/20"), date("2026/09/22"), date("2026/06/01"), date("2030/01/01")};
    c.holidayAdd = {named("2030/03/21", "春分の日"), named("2026/11/03", "文化の日（改）"),
                    named("2026/06/02", ""), named("2030/01/01", "元日"), named("2030/01/01", "二番目")};
    struct Case {
        const char* day;
        const char* name;
    } cases[] = {
        {"2030/03/20", ""},                    // the rules' equinox, removed
        {"2030/03/21", "春分の日"},            // the published one
        {"2026/09/22", ""},                    // a citizens' holiday removed; its neighbours stay
        {"2026/09/21", "敬老の日"},
        {"2026/09/23", "秋分の日"},
        {"2026/11/03", "文化の日（改）"},      // an added day that is a holiday already: renamed
        {"2026/06/01", ""},                    // removing a working day changes nothing
        {"2026/06/02", "休日"},                // added without a name
        {"2030/01/01", "元日"},                // added and removed: added, the first name
        {"2030/03/22", ""},
    };
    for (const Case& k : cases) {
        EXPECT_EQ(c.nationalName(date(k.day)), QString::fromUtf8(k.name)) << k.day;
        EXPECT_EQ(c.isHoliday(date(k.day)), *k.name != 0) << k.day;
    }
    // A holiday added on a Sunday brings no substitute.
    c.holidayAdd = {named("2026/06/07", "臨時の祝日")};
    EXPECT_TRUE(c.isHoliday(date("2026/06/07")));
    EXPECT_TRUE(c.isWorkingDay(date("2026/06/08")));
}

TEST(CalendarTest, OddPeriodsAndDaysAreNoHolidays)
{
    Calendar c;
    c.closed = {period("2026/08/20", "2026/08/10", "逆順"), {QDate(), date("2026/08/31"), QStringLiteral("始まりなし")},
                period("2026/08/03", "2026/08/07", "第一"), period("2026/08/05", "2026/08/14", "第二")};
    expectDays(c, {
        {"2026/08/12", "第二", false},         // the reversed period holds nothing; the second does
        {"2026/08/05", "第一", false},         // overlapping: the first period's name
        {"2026/08/17", "", true},
        {"2026/07/31", "", true},              // the period without a first day holds nothing
    });
    EXPECT_FALSE(c.isHoliday(QDate()));
    EXPECT_FALSE(c.isWorkingDay(QDate()));
    EXPECT_EQ(c.holidayReason(QDate()), QString());
}

// 2026: 261 weekdays, 17 of them national holidays.
TEST(CalendarTest, AYearHasItsWeekdaysLessItsWeekdayHolidaysToWork)
{
    auto working = [](const Calendar& c, int year) {
        int n = 0;
        for (QDate d(year, 1, 1); d.year() == year; d = d.addDays(1)) n += c.isWorkingDay(d) ? 1 : 0;
        return n;
    };
    EXPECT_EQ(working(Calendar(), 2026), 244);
    EXPECT_EQ(working(Calendar(), 2027), 261 - 16);
    Calendar off;
    off.nationalHolidays = false;
    EXPECT_EQ(working(off, 2026), 261);
    // Outside the computed years there are no national holidays at all.
    EXPECT_EQ(working(Calendar(), 2100), 261);
}
