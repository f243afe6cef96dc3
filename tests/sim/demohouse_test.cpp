#include "demohouse.h"

#include "common/numeric.h"
#include "common/records.h"
#include "common/timestamp.h"
#include "model/datafiles.h"
#include "support/fakes.h"

#include <QDir>
#include <gtest/gtest.h>

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
        {"1KWhr.dat", 60, 0.05, 60},  {"4KWhr.dat", 150, 0, 60},  {"336Vhr.dat", 150, 0, 260},
        {"1Vhr.dat", 60, 220, 260},   {"1Ahr.dat", 60, 0.2, 210}, {"1Bhr.dat", 60, 0.2, 210},
    };
    for (const auto& e : expected) {
        SCOPED_TRACE(e.file);
        const QStringList fields = readFields(tmp.contents(e.file));
        ASSERT_EQ(fields.size(), 2 * e.records);
        EXPECT_EQ(fields[fields.size() - 2], stamp(end));
        EXPECT_EQ(fields[fields.size() - 4], stamp(end.addSecs(-60)));
        for (qsizetype i = 1; i < fields.size(); i += 2) {
            EXPECT_GE(numericValue(fields[i]), e.lo) << fields[i - 1].toStdString();
            EXPECT_LE(numericValue(fields[i]), e.hi) << fields[i - 1].toStdString();
        }
    }
    EXPECT_TRUE(tmp.dir().exists(files::InitMarker));
    EXPECT_FALSE(tmp.dir().exists(files::InstanceLock));
}
