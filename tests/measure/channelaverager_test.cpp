#include "measure/channelaverager.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <limits>
#include <vector>

namespace {

using kelvora::AveragerStep;
using kelvora::ChannelAverager;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN(), kInf = std::numeric_limits<double>::infinity();

TEST(ChannelAverager, GroupMeanOfFiveReadings) {
    const struct { const char* name; std::vector<double> readings; double mean; } cases[] = {
        {"not a number counts 0", {kNaN, 10, 10, 10, 10}, 8},
        {"infinite counts 0", {kInf, -kInf, 10, 10, 5}, 5},
        {"huge stays finite", {DBL_MAX, DBL_MAX, DBL_MAX, DBL_MAX, DBL_MAX}, DBL_MAX},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ChannelAverager avg;
        AveragerStep step;  // a group completes at the fifth reading only
        for (size_t i = 0; i < c.readings.size(); ++i) {
            step = avg.add(c.readings[i]);
            EXPECT_EQ(step.position, int(i) + 1);
            EXPECT_EQ(step.groupCompleted, i == 4);
        }
        EXPECT_DOUBLE_EQ(step.groupMean, c.mean);
    }
}

TEST(ChannelAverager, CycleAverageOfThirtyReadingsKeptUntilTheNextCycle) {
    ChannelAverager avg;
    for (int i = 1; i <= 29; ++i) avg.add(i);
    ASSERT_TRUE(avg.add(30).cycleCompleted);
    for (int i = 0; i < 29; ++i) EXPECT_FALSE(avg.add(DBL_MAX).cycleCompleted);
    EXPECT_NEAR(avg.cycleAverage(), 15.5, 1e-9);  // 1 .. 30, kept while the next cycle runs
    EXPECT_TRUE(avg.add(DBL_MAX).cycleCompleted);
    EXPECT_DOUBLE_EQ(avg.cycleAverage(), DBL_MAX);
    for (int i = 0; i < 12; ++i) avg.add(7);
    avg.resetCounters();
    for (int i = 0; i < 29; ++i) EXPECT_FALSE(avg.add(7).cycleCompleted);
    EXPECT_TRUE(avg.add(7).cycleCompleted);
    EXPECT_DOUBLE_EQ(avg.cycleAverage(), 7);
}

}  // namespace
