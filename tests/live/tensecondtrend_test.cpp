#include "support/trendrig.h"

#include <QFile>
#include <functional>
#include <gtest/gtest.h>
#include <vector>

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

// Each update builds on the window it wrote last. Whatever happens to the
// files between updates, the files and ranges are those that reading every
// file afresh gives.
TEST(TenSecondTrends, BuildingOnTheLastWindowGivesWhatReadingTheFilesGives) {
    using Change = std::function<void(Rig&)>;
    const Change none = [](Rig&) {};
    const struct {
        const char* name;
        std::vector<Change> beforeEachUpdate;
    } cases[] = {
        {"full files", {[](Rig& r) { r.fill(files::A_AMPS_10sec, 1, 60); }, none, none}},
        {"missing files", {none, none}},
        {"replaced by another program", {none, [](Rig& r) { r.fill(files::KW_10sec, 2, 9); }, none}},
        {"removed", {none, [](Rig& r) { QFile::remove(r.dir.filePath(files::VAC_10sec)); }, none}},
        {"damaged", {[](Rig& r) { r.dir.writeWhole(files::B_AMPS_10sec, "\xff\"a,b\"\r\n,,,\r\nx"); }, none, none}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Rig kept, fresh;
        for (const Change& change : c.beforeEachUpdate) {
            change(kept);
            change(fresh);
            kept.update(120.5, 3.25, 0.5, 1.2);
            // Knows nothing but the files.
            TenSecondTrends again(fresh.shared, fresh.dir, fresh.clock);
            fresh.shared.Cur_VAC = 120.5, fresh.shared.Cur_A_AMPS = 3.25, fresh.shared.Cur_B_AMPS = 0.5,
            fresh.shared.Cur_KW = 1.2;
            again.Current_Trend_Update();
            for (const QString& file : {files::VAC_10sec, files::A_AMPS_10sec, files::B_AMPS_10sec, files::KW_10sec})
                EXPECT_EQ(kept.tmp.contents(file), fresh.tmp.contents(file)) << file.toStdString();
            const auto both = [](const TrendRange& a, const TrendRange& b) {
                return std::pair(a.max, a.min) == std::pair(b.max, b.min);
            };
            EXPECT_TRUE(both(kept.trends.VAC_10sec, again.VAC_10sec) && both(kept.trends.A_AMPS_10sec, again.A_AMPS_10sec) &&
                        both(kept.trends.B_AMPS_10sec, again.B_AMPS_10sec) && both(kept.trends.KW_10sec, again.KW_10sec));
            kept.clock.advanceMs(2000);
            fresh.clock.advanceMs(2000);
        }
    }
}
