#pragma once
#include "common/datadir.h"
#include "common/variant.h"
#include "energy/kwhdates.h"
#include "model/minuterecord.h"

#include <QDateTime>
#include <array>
#include <optional>

namespace kelvora {

// The "Current" tab fields that a period's rollover fills: its energy and cost.
struct KwhAverageFields {
    int kwhField;
    const char16_t* kwhPattern;
    int costField;
    const char16_t* costPattern;
};

// How the windows name a period: its graph in the KWH graphs window and its
// two file buttons (rolling file, log) in the Data Files frame.
struct KwhPeriodCaptions {
    const char* graphButton;
    const char* graphCaption;    // the graph's button
    const char* graphTitle;      // the chart's title
    const char* categoryTitle;   // each record is stamped when its period ends
    const char* rollingButton;
    const char* rollingCaption;
    const char* logButton;
    const char* logCaption;
};

// What sets one KWH period apart from the others: its files and how its
// records are written. The hour, day, week, month and year are the rows.
struct KwhPeriodRow {
    KwhPeriod period;
    const char* name;               // "hourly", ...: for messages
    QString stateFile;              // the running total between runs
    QString rollingFile;            // the last 60 periods
    QString logFile;                // every period, appended
    QString costLogFile;            // every period's cost, appended beside the log
    const char16_t* logPattern;     // the value in the log
    const char16_t* logStampPattern;  // the stamp re-formatted for the log; null: as it is
    bool midnightStamp;             // records carry the date and "12:00:00 AM"
    bool zeroRecordAfter;           // the rolling file gets a zero record after each total
    bool leadResets;                // the rollover sets the lead value to 0
    std::optional<KwhAverageFields> averages;
    KwhPeriodCaptions captions;
};
const std::array<KwhPeriodRow, 5>& kwhPeriodTable();
inline const KwhPeriodRow& kwhPeriodRow(KwhPeriod period) { return kwhPeriodTable()[size_t(period)]; }

// The running state of one period, as its state file keeps it between runs:
// the lead value (kept as read), the energy and the cost of the minutes
// counted in it, and the start of the period they were counted in.
struct KwhPeriodState {
    Variant lead = Variant::Number(0);
    double kwh = 0;
    double cost = 0;
    QDateTime start;  // invalid until known (a file of the old, two-field form)
};

// The five periods' states. Every minute's energy and cost go into each of
// them, so a rollover records exactly what its period counted, however long
// the day was or whatever the clock did.
class KwhPeriods {
public:
    KwhPeriodState& operator[](KwhPeriod period) { return states_[size_t(period)]; }
    const KwhPeriodState& operator[](KwhPeriod period) const { return states_[size_t(period)]; }

    void add(const MinuteRecord& minute);

    // Reads the five state files: lead, energy and, where the file has them,
    // cost and period start. A file that is missing or short leaves its
    // values as they were. True when a file of the old form was read (only a
    // lead and a total: the periods above the hour never counted minutes).
    bool LoadKwhPeriodTotals(const DataDir& dir);
    // Rewrites the five files: the lead as read (a quoted text quoted again),
    // the energy and cost bare, the period start as an ISO 8601 text.
    bool SaveKwhPeriodTotals(const DataDir& dir) const;

private:
    std::array<KwhPeriodState, 5> states_;
};

}  // namespace kelvora
