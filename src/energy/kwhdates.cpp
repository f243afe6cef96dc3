#include "energy/kwhdates.h"

#include "common/timestamp.h"

namespace kelvora {

QDate FirstOfWeek(QDate today, Qt::DayOfWeek firstDay) {
    // The weekday number of today, counted from 1 on the first day of the week.
    const int weekday = (today.dayOfWeek() - int(firstDay) + 7) % 7 + 1;
    return today.addDays(1 - weekday);
}

QDate FirstOfMonth(QDate today) { return QDate(today.year(), today.month(), 1); }

QDate LastOfMonth(QDate today) { return QDate(today.year(), today.month(), today.daysInMonth()); }

QDate FirstOfYear(QDate today) { return QDate(today.year(), 1, 1); }

qint64 kwhPeriodKey(KwhPeriod period, const QDateTime& when, Qt::DayOfWeek firstDay) {
    const QDate date = when.date();
    switch (period) {
    case KwhPeriod::Hour: return date.toJulianDay() * 24 + when.time().hour();
    case KwhPeriod::Day: return date.toJulianDay();
    case KwhPeriod::Week: return FirstOfWeek(date, firstDay).toJulianDay();
    case KwhPeriod::Month: return qint64(date.year()) * 12 + date.month() - 1;
    case KwhPeriod::Year: return date.year();
    }
    return 0;
}

bool inBoundarySecond(KwhPeriod period, const QDateTime& when, Qt::DayOfWeek firstDay) {
    // One second earlier on the wall clock (not through the time zone, so a
    // change of summer time does not move it).
    const QTime t = when.time();
    const QDateTime before = t.hour() == 0 && t.minute() == 0 && t.second() == 0
                                 ? QDateTime(when.date().addDays(-1), QTime(23, 59, 59))
                                 : QDateTime(when.date(), QTime(t.hour(), t.minute(), t.second()).addSecs(-1));
    return kwhPeriodKey(period, when, firstDay) != kwhPeriodKey(period, before, firstDay);
}

QString midnightStamp(QDate date) { return stampDate(date) + QStringLiteral("  12:00:00 AM"); }

}  // namespace kelvora
