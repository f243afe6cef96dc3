#include "measure/channelaverager.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <limits>
#include <vector>

namespace {

using kelvora::AveragerStep;
using kelvora::ChannelAverager;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN(), kInf = std::numeric_limits<double>::infinity();

// Readings that are not finite count as 0 and huge ones leave finite means; the
// cycle average of 30 readings stays until the next cycle completes.
TEST(ChannelAverager, GroupMeansAndCycleAverageStayFinite) {
    const struct { const char* name; std::vector<double> readings; double mean; } cases[] = {
        {"not a number counts 0", {kNaN, 10, 10, 10, 10}, 8},
        {"infinite counts 0", {kInf, -kInf, 10, 10, 5}, 5},
        {"huge stays finite", {DBL_MAX, DBL_MAX, DBL_MAX, DBL_MAX, DBL_MAX}, DBL_MAX},
    };
    for (const auto& c : cases) {
        ChannelAverager avg;
        AveragerStep step;  // a group completes at the fifth reading only
        for (size_t i = 0; i < 5; ++i) EXPECT_EQ((step = avg.add(c.readings[i])).groupCompleted, i == 4) << c.name;
        EXPECT_DOUBLE_EQ(step.groupMean, c.mean) << c.name;
    }
    ChannelAverager avg;
    for (int i = 1; i <= 29; ++i) avg.add(i);
    ASSERT_TRUE(avg.add(30).cycleCompleted);
    for (int i = 0; i < 29; ++i) EXPECT_FALSE(avg.add(DBL_MAX).cycleCompleted);
    EXPECT_NEAR(avg.cycleAverage(), 15.5, 1e-9);  // 1 .. 30, kept while the next cycle runs
    EXPECT_TRUE(avg.add(DBL_MAX).cycleCompleted);
    EXPECT_DOUBLE_EQ(avg.cycleAverage(), DBL_MAX);
}

}  // namespace
