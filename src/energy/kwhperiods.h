#pragma once
#include "common/datadir.h"
#include "common/variant.h"

#include <array>

namespace kelvora {

// The running state of the hourly, daily, weekly, monthly and yearly KWH
// totals, as the period state files keep it between runs: two values per
// period (its lead value and its running total).
struct KwhPeriods {
    Variant Hour_Lead, Hour_KWH;
    Variant Day_Lead, Day_KWH;
    Variant Week_Lead, Week_KWH;
    Variant Month_Lead, Month_KWH;
    Variant Year_Lead, Year_KWH;

    struct File {
        QString name;
        Variant KwhPeriods::*lead;
        Variant KwhPeriods::*total;
    };
    static const std::array<File, 5>& stateFiles();

    // Reads KWH_Hr.dat, KWH_Day.dat, KWH_Week.dat, KWH_Month.dat and
    // KWH_Year.dat in that order; a file that is missing or short leaves its
    // values as they were.
    void LoadKwhPeriodTotals(const DataDir& dir);
};

}  // namespace kelvora
