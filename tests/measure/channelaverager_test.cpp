#include "measure/channelaverager.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <limits>
#include <vector>

namespace {

using kelvora::AveragerStep;
using kelvora::ChannelAverager;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

struct GroupCase {
    const char* name;
    std::vector<double> readings;  // five readings
    double mean;
};

TEST(ChannelAverager, GroupMeanOfFiveReadings) {
    const GroupCase cases[] = {
        {"steady", {120, 120, 120, 120, 120}, 120},
        {"one high", {10, 10, 10, 10, 15}, 11},
        {"all zero", {0, 0, 0, 0, 0}, 0},
        {"mixed sign", {-5, 5, -5, 5, 0}, 0},
        {"not a number counts 0", {kNaN, 10, 10, 10, 10}, 8},
        {"infinite counts 0", {kInf, -kInf, 10, 10, 5}, 5},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ChannelAverager avg;
        AveragerStep step;
        for (size_t i = 0; i < c.readings.size(); ++i) {
            step = avg.add(c.readings[i]);
            EXPECT_EQ(step.position, int(i) + 1);
            EXPECT_EQ(step.groupCompleted, i == 4);
        }
        EXPECT_NEAR(step.groupMean, c.mean, 1e-12);
        EXPECT_EQ(avg.count(), 0);
        EXPECT_EQ(avg.avgCount(), 1);
    }
}

TEST(ChannelAverager, CycleAverageIsTheMeanOfThirtyReadings) {
    ChannelAverager avg;
    double sum = 0;
    for (int i = 1; i <= 29; ++i) {
        avg.add(i * 1.5);
        sum += i * 1.5;
    }
    EXPECT_EQ(avg.cycleAverage(), 0) << "29 readings leave the value before the first cycle";
    const AveragerStep step = avg.add(30 * 1.5);
    sum += 30 * 1.5;
    ASSERT_TRUE(step.cycleCompleted);
    EXPECT_NEAR(step.cycleAverage, sum / 30, 1e-9);
    EXPECT_NEAR(avg.cycleAverage(), sum / 30, 1e-9);

    // The next cycle's first 29 readings keep the previous cycle's average.
    for (int i = 0; i < 29; ++i) EXPECT_FALSE(avg.add(1000).cycleCompleted);
    EXPECT_NEAR(avg.cycleAverage(), sum / 30, 1e-9);
    EXPECT_TRUE(avg.add(1000).cycleCompleted);
    EXPECT_NEAR(avg.cycleAverage(), 1000, 1e-9);
}

TEST(ChannelAverager, AbsurdReadingsNeverLeaveAnAverageThatIsNotFinite) {
    const double cases[] = {DBL_MAX, -DBL_MAX, kInf, -kInf, kNaN, 1e300};
    for (double reading : cases) {
        SCOPED_TRACE(reading);
        ChannelAverager avg;
        for (int i = 0; i < 30; ++i) {
            const AveragerStep step = avg.add(reading);
            if (step.groupCompleted) {
                EXPECT_TRUE(std::isfinite(step.groupMean));
            }
        }
        EXPECT_TRUE(std::isfinite(avg.cycleAverage()));
        // A sane cycle afterwards gives a sane average again.
        for (int i = 0; i < 30; ++i) avg.add(120);
        EXPECT_NEAR(avg.cycleAverage(), 120, 1e-9);
    }
    ChannelAverager big;
    for (int i = 0; i < 30; ++i) big.add(DBL_MAX);
    EXPECT_GT(big.cycleAverage(), DBL_MAX / 2) << "a huge cycle stays huge, not 0";
}

TEST(ChannelAverager, ResetCountersStartsANewGroupAndCycle) {
    ChannelAverager avg;
    for (int i = 0; i < 12; ++i) avg.add(50);
    EXPECT_EQ(avg.count(), 2);
    EXPECT_EQ(avg.avgCount(), 2);
    avg.resetCounters();
    EXPECT_EQ(avg.count(), 0);
    EXPECT_EQ(avg.avgCount(), 0);
    for (int i = 0; i < 29; ++i) EXPECT_FALSE(avg.add(7).cycleCompleted);
    EXPECT_TRUE(avg.add(7).cycleCompleted);
    EXPECT_NEAR(avg.cycleAverage(), 7, 1e-12);
}

}  // namespace
