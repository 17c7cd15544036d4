// National holidays: whole years as the government published them, the days
// where one rule meets the next, the equinoxes and the years at the ends.
#include <gtest/gtest.h>

#include <QStringList>

#include "model/calendar/holidays.h"
#include "test_support.h"

using uFCal::NationalHolidayName;
using uFCal::NationalHolidays;

namespace {

// A year's holidays as "mm/dd name" lines.
QString listed(int year)
{
    QStringList lines;
    for (const uFCal::Holiday& h : NationalHolidays(year))
        lines << h.day.toString(QStringLiteral("MM/dd ")) + h.name;
    return lines.join(QLatin1Char('\n'));
}

QDate date(const char* text)
{
    return QDate::fromString(QString::fromUtf8(text), QStringLiteral("yyyy/MM/dd"));
}

}  // namespace

TEST(NationalHolidayTest, WholeYearsAreTheListsAsPublished)
{
    struct Case {
        int year;
        const char* holidays;
    } cases[] = {
        // The first substitute holidays (04/30, 09/24); 02/11 on a Sunday came before the rule.
        {1973, "01/01 元日\n01/15 成人の日\n02/11 建国記念の日\n03/21 春分の日\n04/29 天皇誕生日\n04/30 休日\n"
               "05/03 憲法記念日\n05/05 こどもの日\n09/15 敬老の日\n09/23 秋分の日\n09/24 休日\n10/10 体育の日\n"
               "11/03 文化の日\n11/23 勤労感謝の日"},
        // 05/04 a Sunday: no citizens' holiday on a Sunday yet.
        {1986, "01/01 元日\n01/15 成人の日\n02/11 建国記念の日\n03/21 春分の日\n04/29 天皇誕生日\n05/03 憲法記念日\n"
               "05/05 こどもの日\n09/15 敬老の日\n09/23 秋分の日\n10/10 体育の日\n11/03 文化の日\n"
               "11/23 勤労感謝の日\n11/24 休日"},
        // Ten days off from 04/27 to 05/06; no 天皇誕生日.
        {2019, "01/01 元日\n01/14 成人の日\n02/11 建国記念の日\n03/21 春分の日\n04/29 昭和の日\n04/30 休日\n"
               "05/01 休日（祝日扱い）\n05/02 休日\n05/03 憲法記念日\n05/04 みどりの日\n05/05 こどもの日\n05/06 休日\n"
               "07/15 海の日\n08/11 山の日\n08/12 休日\n09/16 敬老の日\n09/23 秋分の日\n10/14 体育の日\n"
               "10/22 休日（祝日扱い）\n11/03 文化の日\n11/04 休日\n11/23 勤労感謝の日"},
        {2020, "01/01 元日\n01/13 成人の日\n02/11 建国記念の日\n02/23 天皇誕生日\n02/24 休日\n03/20 春分の日\n"
               "04/29 昭和の日\n05/03 憲法記念日\n05/04 みどりの日\n05/05 こどもの日\n05/06 休日\n07/23 海の日\n"
               "07/24 スポーツの日\n08/10 山の日\n09/21 敬老の日\n09/22 秋分の日\n11/03 文化の日\n11/23 勤労感謝の日"},
        {2021, "01/01 元日\n01/11 成人の日\n02/11 建国記念の日\n02/23 天皇誕生日\n03/20 春分の日\n04/29 昭和の日\n"
               "05/03 憲法記念日\n05/04 みどりの日\n05/05 こどもの日\n07/22 海の日\n07/23 スポーツの日\n08/08 山の日\n"
               "08/09 休日\n09/20 敬老の日\n09/23 秋分の日\n11/03 文化の日\n11/23 勤労感謝の日"},
        {2025, "01/01 元日\n01/13 成人の日\n02/11 建国記念の日\n02/23 天皇誕生日\n02/24 休日\n03/20 春分の日\n"
               "04/29 昭和の日\n05/03 憲法記念日\n05/04 みどりの日\n05/05 こどもの日\n05/06 休日\n07/21 海の日\n"
               "08/11 山の日\n09/15 敬老の日\n09/23 秋分の日\n10/13 スポーツの日\n11/03 文化の日\n"
               "11/23 勤労感謝の日\n11/24 休日"},
        {2026, "01/01 元日\n01/12 成人の日\n02/11 建国記念の日\n02/23 天皇誕生日\n03/20 春分の日\n04/29 昭和の日\n"
               "05/03 憲法記念日\n05/04 みどりの日\n05/05 こどもの日\n05/06 休日\n07/20 海の日\n08/11 山の日\n"
               "09/21 敬老の日\n09/22 休日\n09/23 秋分の日\n10/12 スポーツの日\n11/03 文化の日\n11/23 勤労感謝の日"},
    };
    for (const Case& c : cases) EXPECT_EQ(listed(c.year), QString::fromUtf8(c.holidays)) << c.year;
}

// Each rule where it starts, ends or changes, and the days set once.
TEST(NationalHolidayTest, EachRuleHoldsFromItsFirstYearToItsLast)
{
    struct Case {
        const char* day;
        const char* name;  // "": no holiday
    } cases[] = {
        {"1955/01/01", "元日"},           {"1959/04/10", "皇太子明仁親王の結婚の儀"},
        {"1965/09/15", ""},               {"1966/09/15", "敬老の日"},
        {"1965/10/10", ""},               {"1966/10/10", "体育の日"},
        {"1966/02/11", ""},               {"1967/02/11", "建国記念の日"},
        {"1973/02/12", ""},               {"1985/05/04", ""},
        {"1987/05/04", "休日"},           {"1988/05/04", "休日"},
        {"1988/04/29", "天皇誕生日"},     {"1989/04/29", "みどりの日"},
        {"1989/02/24", "昭和天皇の大喪の礼"}, {"1989/12/23", "天皇誕生日"},
        {"1990/11/12", "即位礼正殿の儀"}, {"1993/06/09", "皇太子徳仁親王の結婚の儀"},
        {"1995/07/20", ""},               {"1996/07/20", "海の日"},
        {"1998/05/04", "休日"},
        {"1999/01/15", "成人の日"},       {"2000/01/15", ""},          {"2000/01/10", "成人の日"},
        {"1999/10/10", "体育の日"},       {"2000/10/09", "体育の日"},
        {"2002/07/20", "海の日"},         {"2003/07/21", "海の日"},
        {"2002/09/15", "敬老の日"},       {"2003/09/15", "敬老の日"},  {"2004/09/20", "敬老の日"},
        {"2003/05/04", ""},               {"2003/05/06", ""},
        // 2006 the Monday after, 2007 on the first day that is no holiday.
        {"2006/01/02", "休日"},           {"2006/05/04", "休日"},
        {"2006/04/29", "みどりの日"},     {"2007/04/29", "昭和の日"},  {"2007/04/30", "休日"},
        {"2007/05/04", "みどりの日"},     {"2008/05/06", "休日"},      {"2009/05/06", "休日"},
        {"2009/09/22", "休日"},           {"2015/09/22", "休日"},
        {"2015/08/11", ""},               {"2016/08/11", "山の日"},
        {"2018/12/23", "天皇誕生日"},     {"2018/12/24", "休日"},
        {"2019/12/23", ""},               {"2019/02/23", ""},          {"2020/02/23", "天皇誕生日"},
        {"2020/07/20", ""},               {"2020/08/11", ""},          {"2020/10/12", ""},
        {"2021/07/19", ""},               {"2021/08/11", ""},          {"2021/10/11", ""},
        {"2022/10/10", "スポーツの日"},   {"2022/07/18", "海の日"},    {"2022/08/11", "山の日"},
        {"2027/03/22", "休日"},           {"2032/09/21", "休日"},
        {"2099/01/01", "元日"},           {"2099/12/23", ""},
        {"1954/01/01", ""},               {"2100/01/01", ""},
    };
    for (const Case& c : cases) EXPECT_EQ(NationalHolidayName(date(c.day)), QString::fromUtf8(c.name)) << c.day;
    EXPECT_EQ(NationalHolidayName(QDate()), QString());
}

// The estimate's quarter-day correction before 1983 truncates toward zero;
// read as a floor it would put these a day late.
TEST(NationalHolidayTest, EquinoxesFallOnTheirPublishedDays)
{
    struct Case {
        int year;
        int march, september;
    } cases[] = {
        {1955, 21, 24}, {1956, 21, 23}, {1960, 20, 23}, {1973, 21, 23}, {1978, 21, 23}, {1979, 21, 24},
        {1980, 20, 23}, {1984, 20, 23}, {2012, 20, 22}, {2016, 20, 22}, {2025, 20, 23}, {2027, 21, 23},
        {2092, 19, 22}, {2099, 20, 23},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(NationalHolidayName(QDate(c.year, 3, c.march)), "春分の日") << c.year;
        EXPECT_EQ(NationalHolidayName(QDate(c.year, 9, c.september)), "秋分の日") << c.year;
    }
}

TEST(NationalHolidayTest, WeekdayHolidaysAndSubstitutesCountAsPublished)
{
    auto count = [](int year, auto keep) {
        int n = 0;
        for (const uFCal::Holiday& h : NationalHolidays(year)) n += keep(h) ? 1 : 0;
        return n;
    };
    auto weekday = [](const uFCal::Holiday& h) { return h.day.dayOfWeek() <= 5; };
    EXPECT_EQ(count(2026, weekday), 17);
    EXPECT_EQ(count(2027, weekday), 16);

    QStringList rest;
    for (const uFCal::Holiday& h : NationalHolidays(2024))
        if (h.name == "休日") rest << h.day.toString(QStringLiteral("MM/dd"));
    EXPECT_EQ(rest, QStringList({"02/12", "05/06", "08/12", "09/23", "11/04"}));
}

// Over every year: the list is in date order inside its year, and the answer
// for a single day agrees with it on every day of the year.
TEST(NationalHolidayTest, TheDayAnswersAgreeWithTheYearsList)
{
    EXPECT_TRUE(NationalHolidays(1954).isEmpty());
    EXPECT_TRUE(NationalHolidays(2100).isEmpty());
    for (int year = uFCal::kHolidayYearFirst; year <= uFCal::kHolidayYearLast; ++year) {
        const QList<uFCal::Holiday> list = NationalHolidays(year);
        ASSERT_GE(list.size(), 9) << year;
        qsizetype k = 0;
        for (QDate d(year, 1, 1); d.year() == year; d = d.addDays(1)) {
            const bool listedHere = k < list.size() && list[k].day == d;
            EXPECT_EQ(NationalHolidayName(d), listedHere ? list[k].name : QString()) << d.toString(Qt::ISODate).toStdString();
            if (listedHere) ++k;
        }
        EXPECT_EQ(k, list.size()) << year << ": a day out of order or outside its year";
    }
}
