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

namespace {

// The part of the zone's offset that is not whole hours (India's half hour):
// local hours begin that far from a whole UTC hour.
qint64 subHourOffset(const QDateTime& when) { return ((when.offsetFromUtc() % 3600) + 3600) % 3600; }

qint64 floorDiv(qint64 a, qint64 b) { return a / b - (a % b != 0 && (a < 0) != (b < 0)); }

}  // namespace

qint64 kwhPeriodKey(KwhPeriod period, const QDateTime& when, Qt::DayOfWeek firstDay) {
    const QDate date = when.date();
    switch (period) {
    case KwhPeriod::Hour: return floorDiv(when.toSecsSinceEpoch() + subHourOffset(when), 3600);
    case KwhPeriod::Day: return date.toJulianDay();
    case KwhPeriod::Week: return FirstOfWeek(date, firstDay).toJulianDay();
    case KwhPeriod::Month: return qint64(date.year()) * 12 + date.month() - 1;
    case KwhPeriod::Year: return date.year();
    }
    return 0;
}

QDateTime kwhPeriodStart(KwhPeriod period, const QDateTime& when, Qt::DayOfWeek firstDay) {
    const QDate date = when.date();
    switch (period) {
    case KwhPeriod::Hour:
        // Back in real time to the hour's first second: within an hour the
        // offset does not change, and the fall-back 1 AM hours stay apart.
        return QDateTime::fromSecsSinceEpoch(kwhPeriodKey(period, when, firstDay) * 3600 - subHourOffset(when));
    case KwhPeriod::Day: return date.startOfDay();
    case KwhPeriod::Week: return FirstOfWeek(date, firstDay).startOfDay();
    case KwhPeriod::Month: return FirstOfMonth(date).startOfDay();
    case KwhPeriod::Year: return FirstOfYear(date).startOfDay();
    }
    return when;
}

QDateTime kwhNextPeriodStart(KwhPeriod period, const QDateTime& when, Qt::DayOfWeek firstDay) {
    const QDateTime start = kwhPeriodStart(period, when, firstDay);
    switch (period) {
    case KwhPeriod::Hour: return start.addSecs(3600);
    case KwhPeriod::Day: return start.date().addDays(1).startOfDay();
    case KwhPeriod::Week: return start.date().addDays(7).startOfDay();
    case KwhPeriod::Month: return start.date().addMonths(1).startOfDay();
    case KwhPeriod::Year: return start.date().addYears(1).startOfDay();
    }
    return start;
}

QString midnightStamp(QDate date) { return stampDate(date) + QStringLiteral("  12:00:00 AM"); }

}  // namespace kelvora
