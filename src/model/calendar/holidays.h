#pragma once
// Japan's national holidays, computed from the rules of the law for every
// year from 1955 to 2099: the named holidays, the two equinox days, the
// substitute holidays (振替休日), the citizens' holidays (国民の休日).  The
// only dates kept by hand are the days set once by their own law and the
// holidays moved for the Games of 2020 and 2021.
//
// Each year is computed once, on its first query, and kept; later queries of
// that year are a table look-up.  The first computation of a year is safe
// from any thread.
#include <QDate>
#include <QList>
#include <QString>

namespace uFCal {

// The years the rules are computed for; outside them there is no national
// holiday.
constexpr int kHolidayYearFirst = 1955;
constexpr int kHolidayYearLast = 2099;

// The name of a national day off without a name of its own: a substitute or
// citizens' holiday.
inline const QString kRestDayName = QStringLiteral("休日");

struct Holiday {
    QDate day;
    QString name;
    bool operator==(const Holiday&) const = default;
};

// The national holidays of a year, in date order, each with its name as
// published: the holiday's own name, 休日 for a substitute or citizens'
// holiday, 休日（祝日扱い） for the two days of 2019 that count as national
// holidays.  Empty outside kHolidayYearFirst..kHolidayYearLast.
//
// The equinox days are the astronomical estimate.  The government fixes them
// each February for the next year only; a day it fixes otherwise is entered
// as a correction of the site's calendar (calendar.h), not here.
QList<Holiday> NationalHolidays(int year);

// The name of the national holiday on day; empty when there is none (and for
// an invalid date).
QString NationalHolidayName(const QDate& day);

}  // namespace uFCal
