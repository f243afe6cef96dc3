#include "measure/channelaverager.h"

#include <gtest/gtest.h>

#include <cfloat>

namespace {

using kelvora::ChannelAverager;

// A group completes at every fifth reading; the cycle average of 30 readings
// stays until the next cycle completes, and huge readings leave it finite.
TEST(ChannelAverager, CycleAverageOfThirtyReadingsKeptUntilTheNextCycle) {
    ChannelAverager avg;
    for (int i = 1; i <= 29; ++i) ASSERT_EQ(avg.add(i).groupCompleted, i % 5 == 0) << i;
    ASSERT_TRUE(avg.add(30).cycleCompleted);
    for (int i = 0; i < 29; ++i) EXPECT_FALSE(avg.add(DBL_MAX).cycleCompleted);
    EXPECT_NEAR(avg.cycleAverage(), 15.5, 1e-9);  // 1 .. 30, kept while the next cycle runs
    EXPECT_TRUE(avg.add(DBL_MAX).cycleCompleted);
    EXPECT_DOUBLE_EQ(avg.cycleAverage(), DBL_MAX);
}

}  // namespace
