#include "support/trendrig.h"

#include <gtest/gtest.h>

using namespace kelvora;
using Rig = kelvora::testing::TrendRig;

// Without a voltage the voltage file and range stay; the currents are still recorded.
TEST(TenSecondTrends, AFullFileDropsItsOldestAndNoVoltageLeavesTheVoltageFileAndRange) {
    Rig r;
    r.fill(files::A_AMPS_10sec, 1, 60);
    r.fill(files::VAC_10sec, 101, 160);
    const QByteArray before = r.tmp.contents(files::VAC_10sec);
    r.trends.VAC_10sec = {125, 118};
    r.update(0, 61, 0, 0);
    const auto records = r.records(files::A_AMPS_10sec);
    ASSERT_EQ(records.size(), 60);
    for (int i = 0; i < 60; ++i) EXPECT_EQ(records[i].value, i + 2) << i;
    EXPECT_EQ(std::pair(r.trends.A_AMPS_10sec.max, r.trends.A_AMPS_10sec.min), std::pair(60.0, 1.0));
    EXPECT_EQ(records.last().date + " " + records.last().time, "07/03/2026 14:05:09");
    EXPECT_EQ(r.tmp.contents(files::VAC_10sec), before);
    EXPECT_EQ(std::pair(r.trends.VAC_10sec.max, r.trends.VAC_10sec.min), std::pair(125.0, 118.0));
}

// A missing file gives 59 blank records, which count as zeros, and the new one. The others are taken as well as
// they read.
TEST(TenSecondTrends, MissingFirstRunAndDamagedFilesAreTakenAsWellAsTheyRead) {
    const struct { const char* content; double max, min; } cases[] = {
        {nullptr, 1.5, 0},
        // The first-run KW file: one record of two quoted zeros and no value.
        // Read field by field, the value would be the next line's date
        // "07/03/2026", a KW maximum of 7.
        {"\"0\",\"0\"\r\n", 1.5, 0},
        // Quoted values as the first-run files write them.
        {"\"7/1/2026\",\"1:00:00 PM\",\"5\"\r\n", 5, 0},
        // Garbage is read, never trusted; the record appended to a last line
        // without its end joins that line, so the window does not see it.
        {"\xff\xfe,,\"x\r\n,,,", 0, 0},
    };
    for (const auto& c : cases) {
        Rig r;
        if (c.content) r.dir.writeWhole(files::KW_10sec, c.content);
        r.shared.Cur_KW = 1.5;
        r.trends.Update_KW_10sec();
        SCOPED_TRACE(c.content ? c.content : "missing");
        const QByteArray file = r.tmp.contents(files::KW_10sec);
        EXPECT_TRUE(file.endsWith("\"07/03/2026\",\"14:05:09\",1.5\r\n")) << file.right(60).toStdString();
        EXPECT_EQ(file.count('\n'), 60);
        EXPECT_TRUE(c.content || file.startsWith(",,0\r\n,,0\r\n"));  // blank records before the new one
        EXPECT_EQ(r.records(files::KW_10sec).last().value, 1.5);
        EXPECT_EQ(std::pair(r.trends.KW_10sec.max, r.trends.KW_10sec.min), std::pair(c.max, c.min));
    }
}
