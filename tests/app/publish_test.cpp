#include "model/savedtotals.h"
#include "app/kelvoracore.h"
#include "common/records.h"
#include "energy/initdata.h"
#include "measure/measurement.h"
#include "support/fakes.h"
#include "support/started.h"

#include <gtest/gtest.h>

using namespace kelvora;
using namespace kelvora::testing;

// The energy dashboard's total: every minute in full precision, through a
// restart, a monthly rollover and "Reset KW Data"; only the initialisation
// clears it.
TEST(LifetimeEnergy, GrowsAcrossARestartAMonthlyRolloverAndAResetUntilTheDataIsInitialised) {
    TempDataDir tmp;
    ManualClock clock(QDateTime(QDate(2026, 12, 31), QTime(23, 59, 58)));
    const double minute = 240.0 * 1.0 / 60000;
    double expected = 0;
    // One minute step of 240 V and 1 A: 0.004 KWH, which the month-to-date file keeps only to a tenth.
    const auto minuteOf240Watts = [](KelvoraCore& core) {
        core.shared().VAC_Avg = 240, core.shared().A_AMPS_Avg = core.shared().B_AMPS_Avg = 0.5;
        core.measurement().KW_Update(), core.measurement().KW_Minute_Update();
    };
    {
        StartedCore app(tmp.path(), clock);
        for (int i = 0; i < 3; ++i) minuteOf240Watts(app.core), expected += minute;
    }
    StartedCore again(tmp.path(), clock);
    EXPECT_EQ(again.core.shared().Lifetime_KWH, expected) << "read back to the last bit";
    EXPECT_EQ(again.core.shared().Total_KWH_Saved, 0) << "the month's file keeps a tenth: 0.012 reads as 0";

    // Across midnight of 31 December:
    for (int ms = 0; ms <= 3000; ms += 100) clock.advanceMs(100), again.core.kwhAccounting().CheckKwhBoundaries();
    again.settle();
    ASSERT_EQ(readFields(tmp.contents(files::KWHMonths)).size(), 61 * 2) << "the month rolled over";
    minuteOf240Watts(again.core), expected += minute;
    again.core.kwhAccounting().ResetKwData();
    minuteOf240Watts(again.core), expected += minute;
    EXPECT_EQ(again.core.shared().Total_KWH_Saved, minute);
    EXPECT_EQ(readLifetimeKwh(again.core.dir()), expected);

    ASSERT_TRUE(InitAllData(again.core.dir(), clock, again.core.shared(), again.core.fields()));
    EXPECT_EQ(again.core.shared().Lifetime_KWH, 0);
    minuteOf240Watts(again.core);
    EXPECT_EQ(again.core.shared().Lifetime_KWH, minute) << "counted from zero, not the old total";
}
