#include "measure/channelaverager.h"

#include <cfloat>
#include <cmath>

namespace kelvora {
namespace {

// Sums that ran past the largest double are held at it rather than becoming
// infinite, so one absurd reading cannot leave an infinite average behind.
double bounded(double v) {
    if (std::isnan(v)) return 0;
    if (std::isinf(v)) return v > 0 ? DBL_MAX : -DBL_MAX;
    return v;
}

}  // namespace

AveragerStep ChannelAverager::add(double reading) {
    AveragerStep step;
    readings_[count_] = std::isfinite(reading) ? reading : 0.0;
    ++count_;
    step.position = count_;
    step.groupsBefore = avgCount_;

    if (count_ == kGroupSize) {
        // Each reading is divided by 5 before it is added, so the sum cannot
        // overflow where the readings themselves do not.
        double sum = 0;
        for (double r : readings_) sum = r / kGroupSize + sum;
        sum = bounded(sum);
        averages_[avgCount_] = sum;
        ++avgCount_;
        count_ = 0;
        step.groupCompleted = true;
        step.groupMean = sum;
    }

    if (avgCount_ == kGroupsPerCycle) {
        double sum = 0;
        for (double a : averages_) sum = a + sum;
        double average = sum / kGroupsPerCycle;
        if (!std::isfinite(sum)) {
            // Six means near the largest double: divide first.
            average = 0;
            for (double a : averages_) average += a / kGroupsPerCycle;
        }
        cycleAverage_ = bounded(average);
        avgCount_ = 0;
        step.cycleCompleted = true;
        step.cycleAverage = cycleAverage_;
    }
    return step;
}

void ChannelAverager::resetCounters() {
    count_ = 0;
    avgCount_ = 0;
}

}  // namespace kelvora
