#pragma once
#include "common/clock.h"
#include "common/datadir.h"
#include "energy/kwhdates.h"
#include "energy/kwhperiods.h"

#include <QString>
#include <functional>

namespace kelvora {

class FieldModel;
class WindowState;
struct SharedState;

// Turns the energy of each minute into KWH totals per hour, day, week, month
// and year. The minute step adds each minute's energy and cost to all five
// periods; the boundary check, first in every Timer2 tick, rolls each period
// over once when the clock has entered a new one: its total in its rolling
// file (the last 60 periods) and its log, the hourly and daily averages on
// the "Current" tab, and at a new month the month-to-date totals start from
// zero.
//
// Every period counts its own minutes, so a day of 23 or 25 hours, or one
// whose clock was put back or forward, records exactly the energy measured
// in it. A boundary that passes while the program is busy, or not running,
// rolls over once at the first tick after it, with the stamp of the boundary
// itself; a clock stepped back does not roll a period again.
class KwhAccounting {
public:
    KwhAccounting(SharedState& shared, FieldModel& fields, const DataDir& dir, const Clock& clock,
                  KwhPeriods& periods, WindowState& windows);

    // Start-up: the saved period state is read back. Nothing is counted or
    // rolled before, so that no step saves over the state it has not read.
    void LoadKwhPeriodTotals();

    // Timer1, for each minute: its energy and cost go into every period; the
    // period state is saved.
    void KwhMinuteStep(const MinuteRecord& minute);
    // Timer2: hour, day, week, month, year, in that order.
    void CheckKwhBoundaries();

    // Month-to-date energy and cost to zero, shown and saved.
    void ResetKwData();
    // After the data files were created afresh: the periods and the
    // month-to-date totals start from the new files, so that the next minute
    // does not write the erased totals back.
    void startAfresh();

    // The fixed charge of a day, booked at the rollover that ends the day
    // into its day, week, month and year and the month-to-date cost.
    void setDailyCharge(std::function<double(QDate)> chargeOf) { dailyCharge_ = std::move(chargeOf); }

    // The first day of the week; QLocale::system() gives it by default.
    void setFirstDayOfWeek(Qt::DayOfWeek day) { firstDay_ = day; }
    Qt::DayOfWeek firstDayOfWeek() const { return firstDay_; }

private:
    bool SaveKwhPeriodTotals();
    // Records the period counted so far under the stamp of `boundary` (the
    // start of the period after it) and starts counting afresh.
    void rollOver(const KwhPeriodRow& row, const QDateTime& boundary);
    void bookDailyCharge(QDate day);
    void showAverages(const KwhAverageFields& fields, const KwhPeriodState& state);
    void writeAverages();
    void seedFromOldForm();

    SharedState& shared_;
    FieldModel& fields_;
    DataDir dir_;
    const Clock& clock_;
    KwhPeriods& periods_;
    WindowState& windows_;
    Qt::DayOfWeek firstDay_;
    bool loaded_ = false;
    std::function<double(QDate)> dailyCharge_;
};

}  // namespace kelvora
