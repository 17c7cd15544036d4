#include "model/calendar/calendar.h"

namespace uFCal {

QString Calendar::nationalName(const QDate& day) const
{
    if (!day.isValid()) return {};
    for (const NamedDay& added : holidayAdd)
        if (added.day == day) return added.name.isEmpty() ? kRestDayName : added.name;
    if (holidayDel.contains(day)) return {};
    return NationalHolidayName(day);
}

bool Calendar::isHoliday(const QDate& day) const
{
    if (!day.isValid()) return false;
    for (const NamedDay& o : open)
        if (o.day == day) return false;
    for (const ClosedPeriod& p : closed)
        if (p.contains(day)) return true;
    return nationalHolidays && !nationalName(day).isEmpty();
}

QString Calendar::holidayReason(const QDate& day) const
{
    if (!isHoliday(day)) return {};
    if (nationalHolidays) {
        QString name = nationalName(day);
        if (!name.isEmpty()) return name;
    }
    for (const ClosedPeriod& p : closed)
        if (p.contains(day)) return p.name;
    return {};
}

bool Calendar::isWorkingDay(const QDate& day) const
{
    return day.isValid() && day.dayOfWeek() <= 5 && !isHoliday(day);
}

}  // namespace uFCal
