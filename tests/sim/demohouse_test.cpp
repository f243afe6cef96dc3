#include "demohouse.h"

#include "common/numeric.h"
#include "common/records.h"
#include "common/timestamp.h"
#include "energy/kwhrolling.h"
#include "model/datafiles.h"
#include "support/fakes.h"

#include <gtest/gtest.h>

#include <numeric>

using namespace kelvora;
using kelvora::testing::TempDataDir;

// Ninety minutes of the household, recorded by the app's own chain: each
// history file holds the initial records it keeps and one record a minute up
// to the end, with values a household has.
TEST(DemoHouse, RecordsOneHistoryPointAMinuteUpToTheEnd) {
    TempDataDir tmp;
    const QDateTime end(QDate(2026, 12, 5), QTime(18, 30, 0));
    ASSERT_TRUE(demo::generateDemoHouse({tmp.path(), end, 90, 7}));
    const struct { const char* file; int records; double lo, hi; } expected[] = {
        {"1KWhr.dat", 60, 0.05, 60}, {"4KWhr.dat", 150, 0, 60}, {"336Vhr.dat", 150, 0, 260},
        {"1Vhr.dat", 60, 220, 260}, {"1Ahr.dat", 60, 0.2, 210}, {"1Bhr.dat", 60, 0.2, 210}};
    for (const auto& e : expected) {
        SCOPED_TRACE(e.file);
        const QStringList fields = readFields(tmp.contents(e.file));
        ASSERT_EQ(fields.size(), 2 * e.records);
        EXPECT_EQ(fields[fields.size() - 2], stamp(end));
        EXPECT_EQ(fields[fields.size() - 4], stamp(end.addSecs(-60)));
        for (qsizetype i = 1; i < fields.size(); i += 2) {
            const double v = numericValue(fields[i]);
            EXPECT_TRUE(v >= e.lo && v <= e.hi) << fields[i - 1].toStdString() << ": " << v;
        }
    }
    EXPECT_TRUE(tmp.dir().exists(files::InitMarker));
    EXPECT_FALSE(tmp.dir().exists(files::InstanceLock));
}

// A day and two hours of the household also go through the energy
// accounting: every hour that ended has its record, the day that ended has
// its total, and the hours, the day and the month-to-date total agree, at the
// demo household's price.
TEST(DemoHouse, DrivesTheEnergyAccountingHourByHourAndDayByDay) {
    TempDataDir tmp;
    const QDateTime end(QDate(2026, 12, 5), QTime(2, 0, 0));
    // From half past midnight: no boundary at the start itself.
    ASSERT_TRUE(demo::generateDemoHouse({tmp.path(), end, 25 * 60 + 30, 7}));
    // The logs start with the zero records of a fresh directory.
    const auto recordedIn = [&](const char* file) {
        QList<double> values;
        const QStringList fields = readFields(tmp.contents(file));
        for (qsizetype i = 2 * kRollingRecords + 1; i < fields.size(); i += 2) values << numericValue(fields[i]);
        return values;
    };
    const QList<double> hours = recordedIn("KWHHours.dat"), days = recordedIn("KWHDays.dat");
    ASSERT_EQ(hours.size(), 26);  // 1 AM of the first day to 2 AM of the second
    ASSERT_EQ(days.size(), 1);
    EXPECT_TRUE(days[0] > 3.0 && days[0] < 120.0) << days[0];  // a household's day, not a minute's

    const QStringList totals = readFields(tmp.contents("KWH_last_data.dat"));
    ASSERT_EQ(totals.size(), 3);
    const double monthToDate = numericValue(totals[0]);
    EXPECT_NEAR(std::accumulate(hours.begin(), hours.end(), 0.0), monthToDate, 0.01 * hours.size() + 0.05);
    EXPECT_NEAR(days[0] + hours[hours.size() - 1] + hours[hours.size() - 2], monthToDate, 0.1);
    EXPECT_EQ(totals[2], "0.1650");
    EXPECT_NEAR(numericValue(totals[1]), monthToDate * 0.165, 0.01);
}
