#pragma once
// The site's calendar: which days are 休日 here.  A day is a 休日 when it is
// a national holiday (while the site keeps them) or inside one of its
// closing periods, and it is not one of its open days.  平日 are Monday to
// Friday that are not 休日.
#include <QDate>
#include <QList>
#include <QString>

#include "model/calendar/holidays.h"

namespace uFCal {

// A closing period, first to last inclusive; one whose last day is before
// its first, or that has an invalid day, holds no day.
struct ClosedPeriod {
    QDate first, last;
    QString name;
    bool contains(const QDate& day) const { return day.isValid() && first.isValid() && first <= day && day <= last; }
    bool operator==(const ClosedPeriod&) const = default;
};

struct NamedDay {
    QDate day;
    QString name;
    bool operator==(const NamedDay&) const = default;
};

// A value: what the operator set, in the order set.  Every question is
// answered from the lists as they stand, so a changed calendar answers at
// once; the national holidays themselves are computed once a year
// (holidays.h).
struct Calendar {
    // Whether national holidays are 休日 here.
    bool nationalHolidays = true;
    QList<ClosedPeriod> closed;
    // Worked although they would be 休日.
    QList<NamedDay> open;
    // Published corrections to the national holidays: a day added with its
    // name, a day removed.  They apply to the finished list of the year,
    // after the substitute and citizens' rules ran: a correction never moves
    // or makes a 振替休日 or 国民の休日 by itself, so a published change that
    // brings one is entered day by day, as it is published.  An added day
    // that is a national holiday already takes the added name, and one added
    // without a name is named 休日, as a published day off without a name of
    // its own is; a day both added and removed is added (the first
    // addition's name); a removal of a day that is no national holiday
    // changes nothing.
    QList<NamedDay> holidayAdd;
    QList<QDate> holidayDel;

    // The national holiday's name on day after the corrections, whether or
    // not the site keeps national holidays; empty: none.
    QString nationalName(const QDate& day) const;
    // Whether day is a 休日: a national holiday (while nationalHolidays) or
    // inside a closing period, and not an open day.  An invalid day is none.
    bool isHoliday(const QDate& day) const;
    // Why day is a 休日: the national holiday's name (while
    // nationalHolidays), else the name of the first closing period that
    // holds it; empty when day is no 休日 (and for a period without a name).
    QString holidayReason(const QDate& day) const;
    // Whether day is a working day: Monday to Friday and no 休日.  An open
    // day on a Saturday or Sunday is not one.
    bool isWorkingDay(const QDate& day) const;

    bool operator==(const Calendar&) const = default;
};

}  // namespace uFCal
