#pragma once
#include "common/datadir.h"
#include "common/variant.h"

#include <array>

namespace kelvora {

// The running state of the hourly, daily, weekly, monthly and yearly KWH
// totals, as the period state files keep it between runs: two values per
// period (its lead value and its running total).
struct KwhPeriods {
    // All 0 until the files are read.
    Variant Hour_Lead = Variant::Number(0), Hour_KWH = Variant::Number(0);
    Variant Day_Lead = Variant::Number(0), Day_KWH = Variant::Number(0);
    Variant Week_Lead = Variant::Number(0), Week_KWH = Variant::Number(0);
    Variant Month_Lead = Variant::Number(0), Month_KWH = Variant::Number(0);
    Variant Year_Lead = Variant::Number(0), Year_KWH = Variant::Number(0);

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
    // Rewrites the five files, one record of two fields each: a number bare,
    // a value that was read as quoted text quoted again. False when any of
    // them could not be written.
    bool SaveKwhPeriodTotals(const DataDir& dir) const;
};

}  // namespace kelvora
