#pragma once
#include <QDate>
#include <QDateTime>
#include <QString>
#include <Qt>

namespace kelvora {

// The first day of the week that begins on `firstDay` and holds `today`.
QDate FirstOfWeek(QDate today, Qt::DayOfWeek firstDay);
QDate FirstOfMonth(QDate today);
QDate LastOfMonth(QDate today);
QDate FirstOfYear(QDate today);

// The five KWH periods, in the order their boundaries are checked and rolled.
enum class KwhPeriod { Hour, Day, Week, Month, Year };
inline constexpr KwhPeriod kKwhPeriods[] = {KwhPeriod::Hour, KwhPeriod::Day, KwhPeriod::Week, KwhPeriod::Month,
                                            KwhPeriod::Year};

// A number that names the period holding a time and grows by kwhPeriodStep
// from one period to the next, so that boundaries are found by comparing two
// numbers however far apart the two times lie. Hours count real hours (the
// two 1 AM hours of the day summer time ends are two hours); days, weeks,
// months and years go by the calendar date.
qint64 kwhPeriodKey(KwhPeriod period, const QDateTime& when, Qt::DayOfWeek firstDay);
inline qint64 kwhPeriodStep(KwhPeriod period) { return period == KwhPeriod::Week ? 7 : 1; }

// The start of the period that holds `when`, and of the period after it.
QDateTime kwhPeriodStart(KwhPeriod period, const QDateTime& when, Qt::DayOfWeek firstDay);
QDateTime kwhNextPeriodStart(KwhPeriod period, const QDateTime& when, Qt::DayOfWeek firstDay);

// The stamp of a day-level record: the date with the fixed time "12:00:00 AM".
QString midnightStamp(QDate date);

}  // namespace kelvora
