// The calendar's two costs: computing a year's national holidays, and the
// per-day question the rule search asks for many days in a row.
//
// A year's holidays are computed once per run, on the year's first query, so
// the first query of each year from 1955 to 2099 is timed: each is the
// computation itself, none is served from the kept table.  The per-day
// question is then asked for every day of 2026 (the kept table answering),
// on the default calendar and on one with the most items the file holds:
// 100 closing periods, 100 open days, 100 corrections of each kind, none of
// them on the days asked, so every list is searched to its end.
//
// Last, 100 rules of the schedule are placed again after a calendar change,
// as the calendar dialog's change does: the calendar alternates between one
// that closes the week the rules' next occurrences fall in and one that
// does not, so that every change moves every rule's listed occurrence.
//
//   build/bench/calendar_bench [rounds]   (bench/run calendar)
#include <QDate>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "model/calendar/calendar.h"
#include "model/messages/schedule.h"
#include "stats.h"

namespace {

using bench::Clock;
using bench::median;
using bench::ms;

// The most items of each kind the file keeps.
constexpr int kItems = 100;

uFCal::Calendar fullCalendar()
{
    uFCal::Calendar c;
    const QDate base(2040, 1, 1);
    for (int i = 0; i < kItems; ++i) {
        const QDate day = base.addDays(3 * i);
        c.closed.append({day, day.addDays(1), QStringLiteral("休業")});
        c.open.append({day.addYears(1), QStringLiteral("出勤日")});
        c.holidayAdd.append({day.addYears(2), QStringLiteral("祝日")});
        c.holidayDel.append(day.addYears(3));
    }
    return c;
}

// The median time of asking isHoliday for every day of year, in ms per
// year; count keeps the answers from being thrown away.
double yearOfDays(const uFCal::Calendar& c, int year, int rounds, long* count)
{
    std::vector<double> t;
    for (int r = 0; r < rounds; ++r) {
        const auto t0 = Clock::now();
        for (QDate d(year, 1, 1); d.year() == year; d = d.addDays(1)) *count += c.isHoliday(d) ? 1 : 0;
        t.push_back(ms(t0, Clock::now()));
    }
    return median(t);
}

// The median time of one calendar change on a schedule of 100 rules, in ms.
double placeAfterChange(const uFCal::Calendar& base, int rounds, long* count)
{
    QStringList rules;
    const QString words[] = {QStringLiteral("平日"), QStringLiteral("毎日"), QStringLiteral("毎週月"),
                             QStringLiteral("毎週金")};
    for (int i = 0; i < kItems; ++i) {
        const QString time =
            QStringLiteral("%1:%2").arg(8 + i / 60, 2, 10, QLatin1Char('0')).arg(i % 60, 2, 10, QLatin1Char('0'));
        rules << words[i % 4] + QStringLiteral(",") + time + QStringLiteral(",r%1,,休日=除く,").arg(i);
    }
    const uFMsg::DueMinute now = uFMsg::DueMinute::fromText(QStringLiteral("2026/12/24-12:00"));
    uFMsg::Schedule schedule;
    schedule.load(uFMsg::StoredSchedule{{}, rules, base, true}, now);
    uFCal::Calendar closed = base;
    closed.closed.append({QDate(2026, 12, 25), QDate(2027, 1, 3), QStringLiteral("年末年始")});
    std::vector<double> t;
    for (int r = 0; r < rounds; ++r) {
        const auto t0 = Clock::now();
        schedule.setCalendar(r % 2 ? base : closed, now);
        t.push_back(ms(t0, Clock::now()));
        *count += schedule.entries().size();
    }
    return median(t);
}

}  // namespace

int main(int argc, char** argv)
{
    const int rounds = argc > 1 ? std::max(5, std::atoi(argv[1])) : 101;
    long count = 0;

    std::vector<double> first;
    for (int year = uFCal::kHolidayYearFirst; year <= uFCal::kHolidayYearLast; ++year) {
        const auto t0 = Clock::now();
        count += uFCal::NationalHolidays(year).size();
        first.push_back(ms(t0, Clock::now()));
    }
    std::printf(
        "holidays of one year, computed (first query of each of %zu years): median %.4f ms, max %.4f ms "
        "(bound 1 ms)\n",
        first.size(), median(first), *std::max_element(first.begin(), first.end()));

    const int days = QDate(2026, 1, 1).daysInYear();
    const double plain = yearOfDays(uFCal::Calendar(), 2026, rounds, &count);
    const double full = yearOfDays(fullCalendar(), 2026, rounds, &count);
    std::printf(
        "isHoliday for each day of a year, %d rounds: default calendar median %.4f ms (%.0f ns a day), "
        "%d items of each kind median %.4f ms (%.0f ns a day)\n",
        rounds, plain, plain * 1e6 / days, kItems, full, full * 1e6 / days);

    const double place = placeAfterChange(uFCal::Calendar(), rounds, &count);
    const double placeFull = placeAfterChange(fullCalendar(), rounds, &count);
    std::printf(
        "%d rules placed again after a calendar change, %d rounds: default calendar median %.3f ms, "
        "%d items of each kind median %.3f ms (bound 50 ms)\n",
        kItems, rounds, place, kItems, placeFull);
    return count > 0 ? 0 : 1;
}
