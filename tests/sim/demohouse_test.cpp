#include "demohouse.h"

#include "common/numeric.h"
#include "common/records.h"
#include "common/timestamp.h"
#include "energy/kwhrolling.h"
#include "model/datafiles.h"
#include "support/fakes.h"

#include <gtest/gtest.h>

using namespace kelvora;
using kelvora::testing::TempDataDir;

// A day and two hours across a month's end recorded by the app's own chain:
// a history record a minute, each ended hour and day logged, at the demo
// household's price, and every minute and ended hour in the archive files of
// its month.
TEST(DemoHouse, RecordsHistoryAndDrivesTheEnergyAccountingUpToTheEnd) {
    TempDataDir tmp;
    const QDateTime end(QDate(2026, 12, 1), QTime(2, 0, 0));
    // From half past midnight: no boundary at the start itself.
    ASSERT_TRUE(demo::generateDemoHouse({tmp.path(), end, 25 * 60 + 30, 7, {}}));
    const QStringList history = readFields(tmp.contents("1KWhr.dat"));
    ASSERT_EQ(history.size(), 2 * 60);
    // Stamped at each minute step: the last reading set of the minute, two seconds before its end.
    EXPECT_EQ(history[118], stamp(end.addSecs(-2)));
    EXPECT_EQ(history[116], stamp(end.addSecs(-62)));
    for (qsizetype i = 1; i < history.size(); i += 2)
        EXPECT_TRUE(numericValue(history[i]) >= 0.05 && numericValue(history[i]) <= 60) << history[i].toStdString();
    EXPECT_TRUE(tmp.dir().exists(files::InitMarker));
    EXPECT_FALSE(tmp.dir().exists(files::InstanceLock));

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

    EXPECT_EQ(readFields(tmp.contents("KWH_last_data.dat")).value(2), "0.1650");

    const auto lines = [&](const QString& name) { return tmp.contents(name).count("\r\n"); };
    // Each month's file with its header.
    EXPECT_EQ(lines(files::archiveMinutes(2026, 11)) + lines(files::archiveMinutes(2026, 12)), 2 + 25 * 60 + 30);
    EXPECT_EQ(lines(files::archiveHours(2026, 11)), 1 + 24);  // 12 AM (from half past) to 11 PM
    EXPECT_TRUE(tmp.contents(files::archiveMinutes(2026, 12)).startsWith("time,volts,amps_a,amps_b,kw,kwh,cost\r\n"));
}
