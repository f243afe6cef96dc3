#pragma once
#include "common/clock.h"
#include "common/datadir.h"

#include <QDate>
#include <optional>

namespace kelvora {

class FieldModel;
struct SharedState;

// The usage calculator between two calendar dates: it sums the daily totals
// of KWHDays.dat over the range and shows the total, the averages per day
// (by the number of daily records found) and per hour, and their costs at the
// current price. Its fields are Text1(0)..Text1(10) of the main window.
//   Text1(0) start date   Text1(1) end date   Text1(9) days   Text1(10) records
//   Text1(2..4) KWH total, per day, per hour   Text1(5..7) their costs
//   Text1(8) the price used
// With a tariff file the costs are those booked per day (CostDays.dat) and
// the price is their average over the range's energy.
// A daily record is stamped at the midnight that ends its day, so the record
// found for the start date holds the day before it.
class DateRangeCalculator {
public:
    DateRangeCalculator(SharedState& shared, FieldModel& fields, const DataDir& dir, const Clock& clock);

    // A date picked in Calendar_Start / Calendar_End; dates in the future are refused.
    void Calendar_Start_Click(QDate start);
    void Calendar_End_Click(QDate start, QDate end);
    // "Get Data": shows the range and calculates when its end lies in the past.
    void CMD_Chk_Click(QDate start, QDate end);
    // The calculation over the dates shown in Text1(0) and Text1(1). A start
    // date without a record, or no record after the end date, shows no result
    // ("no data" while no result has been shown since start). True when it
    // showed a result.
    bool CalcDateRange();

private:
    bool isFuture(QDate date) const;
    void refuseFuture(int field);
    void showResults(double total, int records, std::optional<double> booked);

    SharedState& shared_;
    FieldModel& fields_;
    DataDir dir_;
    const Clock& clock_;
};

}  // namespace kelvora
