#pragma once
#include "common/clock.h"
#include "common/datadir.h"
#include "energy/kwhdates.h"
#include "energy/kwhperiods.h"

#include <QString>
#include <array>
#include <optional>

namespace kelvora {

class FieldModel;
class WindowState;
struct SharedState;

// Turns the energy of each minute into KWH totals per hour, day, week, month
// and year. The minute step adds KWH_1m.dat to the running hour; the boundary
// check, first in every Timer2 tick, rolls each period over once when the
// clock has entered a new one: a record in its rolling file (the last 60
// periods) and one in its log, the hourly and daily averages on the "Current"
// tab, and at a new month the month-to-date totals start from zero.
//
// Boundaries are found by period, not by second: a boundary that passes while
// the program is busy for longer than a second still rolls over, once, at the
// first tick after it; a clock stepped back across a boundary that has rolled
// does not roll it again; a boundary that passed while the program was not
// running gets no record (the hour's energy goes into the next hourly record).
class KwhAccounting {
public:
    KwhAccounting(SharedState& shared, FieldModel& fields, const DataDir& dir, const Clock& clock,
                  KwhPeriods& periods, WindowState& windows);

    // Start-up: the saved period state is read back. Nothing is counted or
    // rolled before, so that no step saves over the state it has not read.
    void LoadKwhPeriodTotals();

    // Timer1, when KWH_1m_Ready is 1: the minute's energy, as read in full, goes
    // into Hour_KWH (also in the boundary second after the hour has rolled:
    // it then counts for the new hour); the period state is saved.
    void KwhMinuteStep();
    // Timer2: hour, day, week, month, year, in that order, so that each sum
    // reads a file that already holds the period just ended.
    void CheckKwhBoundaries();

    // The rollovers themselves (the boundary check starts them).
    void HourRollover();
    void PeriodRollover(KwhPeriod period);
    bool SaveKwhPeriodTotals();
    // Month-to-date energy and cost to zero, shown and saved.
    void ResetKwData();
    // After the data files were created afresh: the running hour and the
    // month-to-date totals start from the new files, so that the next minute
    // does not write the erased totals back.
    void startAfresh();

    // The first day of the week; QLocale::system() gives it by default.
    void setFirstDayOfWeek(Qt::DayOfWeek day) { firstDay_ = day; }
    Qt::DayOfWeek firstDayOfWeek() const { return firstDay_; }
    // The stamp of the last rollover.
    const QString& KWH_Stamp() const { return KWH_Stamp_; }

private:
    void rollOver(KwhPeriod period);
    void rollDay();
    void rollWeek();
    void rollMonth();
    void rollYear();
    void writeAverages();
    void showAverage(int kwhField, const char16_t* kwhPattern, int costField, const char16_t* costPattern, double kwh);
    std::optional<double> periodSum(const QString& source, int records, const char* period);

    SharedState& shared_;
    FieldModel& fields_;
    DataDir dir_;
    const Clock& clock_;
    KwhPeriods& periods_;
    WindowState& windows_;
    Qt::DayOfWeek firstDay_;
    bool loaded_ = false;
    QDateTime now_;  // the time of the tick being handled
    QString KWH_Stamp_;
    // The period each boundary was last handled for, by KwhPeriod.
    std::array<std::optional<qint64>, 5> handled_;
};

}  // namespace kelvora
