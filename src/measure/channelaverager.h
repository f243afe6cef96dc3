#pragma once
#include <array>

namespace kelvora {

// What one reading did to a channel's averaging state, so that the caller can
// show it.
struct AveragerStep {
    int position = 0;       // the reading's place in its group, 1..5
    int groupsBefore = 0;   // group means already collected in this cycle, 0..5
    bool groupCompleted = false;
    double groupMean = 0;   // valid when groupCompleted
    bool cycleCompleted = false;
    double cycleAverage = 0;  // valid when cycleCompleted
};

// Two-stage averaging of one channel: five readings make a group whose mean
// is shown at once; six group means (30 readings) make the cycle average that
// the minute step uses. The voltage, phase A and phase B channels each own one.
class ChannelAverager {
public:
    static constexpr int kGroupSize = 5;
    static constexpr int kGroupsPerCycle = 6;

    // Takes one reading. A reading that is not a finite number counts as 0, as
    // the numeric value of a text that is not a number is 0.
    AveragerStep add(double reading);

    // Start-up clears the counters; the collected values are then never read
    // before they are overwritten.
    void resetCounters();

    int count() const { return count_; }        // readings in the current group, 0..4 between calls
    int avgCount() const { return avgCount_; }  // group means in the current cycle, 0..5 between calls
    // Mean of the six group means of the last completed cycle; 0 before the first.
    double cycleAverage() const { return cycleAverage_; }

private:
    std::array<double, kGroupSize> readings_{};
    std::array<double, kGroupsPerCycle> averages_{};
    int count_ = 0;
    int avgCount_ = 0;
    double cycleAverage_ = 0;
};

}  // namespace kelvora
