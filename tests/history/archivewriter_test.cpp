#include "history/archiveformat.h"
#include "history/archivemonth.h"
#include "history/minutearchive.h"
#include "model/datafiles.h"
#include "support/fakes.h"
#include "history/archive_support.h"

#include <gtest/gtest.h>

using namespace kelvora;
using kelvora::testing::NewYorkTime;

namespace {

class ArchiveWriter : public NewYorkTime {
protected:
    QByteArray file(const QString& name) const { return tmp.contents(name); }
    QList<QByteArray> lines(const QString& name) const {
        QList<QByteArray> l = file(name).split('\n');
        if (!l.isEmpty() && l.back().isEmpty()) l.removeLast();
        return l;
    }
    kelvora::testing::TempDataDir tmp;
    DataDir dir{tmp.dir()};
};

TEST_F(ArchiveWriter, StampsKeepTheLocalOffsetAndReadBackToTheSameMoment) {
    const struct { QDateTime when; const char* text; } cases[] = {
        {at(2026, 12, 8, 17, 31, 2), "2026-12-08T17:31:02-05:00"},
        {at(2026, 7, 4, 9, 0, 0), "2026-07-04T09:00:00-04:00"},
        // The two 1:30 AMs of the night the clocks go back.
        {fromUtc(2026, 11, 1, 5, 30), "2026-11-01T01:30:00-04:00"},
        {fromUtc(2026, 11, 1, 6, 30), "2026-11-01T01:30:00-05:00"},
        {QDateTime(QDate(2024, 2, 29), QTime(23, 59, 59), QTimeZone(5 * 3600 + 1800)), "2024-02-29T23:59:59+05:30"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(isoStamp(archiveStamp(c.when)), QByteArray(c.text));
        const auto back = parseIsoStamp(c.text);
        ASSERT_TRUE(back) << c.text;
        EXPECT_EQ(back->ms, c.when.toMSecsSinceEpoch()) << c.text;
    }
    EXPECT_EQ(parseIsoStamp("2026-12-08T22:31:02Z")->ms, at(2026, 12, 8, 17, 31, 2).toMSecsSinceEpoch());
}

TEST_F(ArchiveWriter, AppendsAHeaderThenOneLineAMinute) {
    MinuteArchive archive(dir);
    archive.start(at(2026, 12, 8, 17, 30));
    archive.append(MinuteRecord{at(2026, 12, 8, 17, 31, 2), 240.04, 12.35, 9.95, 5.25, 0.087456, 0.01443});
    archive.append(MinuteRecord{at(2026, 12, 8, 17, 32, 2), 119.96, 0, 0.04, 0, 0, 0});
    EXPECT_EQ(file(files::archiveMinutes(2026, 12)),
              "time,volts,amps_a,amps_b,kw,kwh,cost\r\n"
              "2026-12-08T17:31:02-05:00,240.0,12.4,10.0,5.3,0.0875,0.0144\r\n"
              "2026-12-08T17:32:02-05:00,120.0,0.0,0.0,0.0,0.0000,0.0000\r\n");
    EXPECT_FALSE(tmp.dir().exists(files::archiveHours(2026, 12)));
}

TEST_F(ArchiveWriter, ANewHourClosesTheLastOneIntoTheHoursFileOfTheMonthItStarted) {
    MinuteArchive archive(dir);
    archive.start(at(2026, 11, 30, 23, 0));
    archive.append(minute(at(2026, 11, 30, 23, 58, 1), 1.2, 238.1, 5, 7));
    archive.append(minute(at(2026, 11, 30, 23, 59, 1), 3.6, 241.9, 15, 3));
    archive.append(minute(at(2026, 12, 1, 0, 0, 1), 2.0));
    EXPECT_EQ(lines(files::archiveHours(2026, 11)),
              (QList<QByteArray>{"time,kwh,cost,kw_min,kw_mean,kw_max,volts_min,volts_max,amps_a_max,amps_b_max\r",
                                 "2026-11-30T23:00:00-05:00,0.0800,0.0160,1.200,2.400,3.600,238.1,241.9,15.0,7.0\r"}));
    EXPECT_EQ(lines(files::archiveMinutes(2026, 11)).size(), 3);
    EXPECT_EQ(lines(files::archiveMinutes(2026, 12)).size(), 2);
    EXPECT_FALSE(dir.exists(files::archiveHours(2026, 12)));
    EXPECT_EQ(archive.openHour().minutes(), 1);
}

TEST_F(ArchiveWriter, TheHourlyRolloverClosesAnHourNoMinuteClosedOnceItIsAMinuteOver) {
    MinuteArchive archive(dir);
    archive.start(at(2026, 12, 8, 17, 0));
    archive.append(minute(at(2026, 12, 8, 17, 58, 59), 1));
    // A minute stamped just before the hour, handed over just after it.
    archive.closeHour(at(2026, 12, 8, 18, 0, 0));
    archive.append(minute(at(2026, 12, 8, 17, 59, 59), 3));
    archive.closeHour(at(2026, 12, 8, 18, 0, 59));
    EXPECT_FALSE(dir.exists(files::archiveHours(2026, 12)));
    archive.closeHour(at(2026, 12, 8, 18, 1, 0));
    const MonthHours hours = parseMonthHours(file(files::archiveHours(2026, 12)));
    ASSERT_EQ(hours.hours.size(), 1u);
    EXPECT_DOUBLE_EQ(hours.hours[0].kwMean, 2);
    EXPECT_TRUE(archive.openHour().empty());
}

TEST_F(ArchiveWriter, TheClocksGoingBackGiveTwoOneOClockHours) {
    MinuteArchive archive(dir);
    archive.start(fromUtc(2026, 11, 1, 5, 0));
    for (int utcHour : {5, 6, 7})  // 1 AM EDT, 1 AM EST, 2 AM EST
        for (int m = 0; m < 60; m += 30) archive.append(minute(fromUtc(2026, 11, 1, utcHour, m, 30), 1));
    archive.closeHour(fromUtc(2026, 11, 1, 9, 0));
    const QList<QByteArray> l = lines(files::archiveHours(2026, 11));
    ASSERT_EQ(l.size(), 4);
    EXPECT_TRUE(l[1].startsWith("2026-11-01T01:00:00-04:00,0.0333,")) << l[1].constData();
    EXPECT_TRUE(l[2].startsWith("2026-11-01T01:00:00-05:00,0.0333,")) << l[2].constData();
    EXPECT_TRUE(l[3].startsWith("2026-11-01T02:00:00-05:00,")) << l[3].constData();
}

// A start inside the hour goes on counting its minutes; starts after the
// hour ended write its summary, once.
TEST_F(ArchiveWriter, AnHourSummaryCountsItsMinutesAcrossRestarts) {
    {
        MinuteArchive before(dir);
        before.start(at(2026, 12, 8, 17, 0));
        before.append(minute(at(2026, 12, 8, 17, 10), 6));
        before.append(minute(at(2026, 12, 8, 17, 20), 0.5));
    }
    {
        MinuteArchive after(dir);
        after.start(at(2026, 12, 8, 17, 30));
        EXPECT_EQ(after.openHour().minutes(), 2);
        after.append(minute(at(2026, 12, 8, 17, 40), 1));
        after.append(minute(at(2026, 12, 8, 18, 0, 5), 2));
    }
    const MonthHours hours = parseMonthHours(file(files::archiveHours(2026, 12)));
    ASSERT_EQ(hours.hours.size(), 1u);
    EXPECT_NEAR(hours.hours[0].kwh, 7.5 / 60, 1e-4);
    EXPECT_DOUBLE_EQ(hours.hours[0].kwMin, 0.5);
    EXPECT_DOUBLE_EQ(hours.hours[0].kwMax, 6);
    // One header only: the file had its own.
    EXPECT_EQ(file(files::archiveMinutes(2026, 12)).count("time,"), 1);
    for (int start = 0; start < 2; ++start) {
        MinuteArchive later(dir);
        later.start(at(2026, 12, 8, 19, 5));
        EXPECT_TRUE(later.openHour().empty());
    }
    const QList<QByteArray> l = lines(files::archiveHours(2026, 12));
    ASSERT_EQ(l.size(), 3);
    EXPECT_TRUE(l[2].startsWith("2026-12-08T18:00:00-05:00,0.0333,")) << l[2].constData();
}

TEST_F(ArchiveWriter, AStartCutsALineTornByACrashAndAppendsAfterIt) {
    const QString name = files::archiveMinutes(2026, 12);
    QDir().mkpath(dir.filePath(files::ArchiveFolder));
    const QByteArray whole = "time,volts,amps_a,amps_b,kw,kwh,cost\r\n2026-12-08T17:10:00-05:00,240.0,1.0,1.0,1.0,0.0167,0.0033\r\n";
    const struct { QByteArray content, kept; size_t minutesAfter; } cases[] = {
        {whole + "2026-12-08T17:11:00-05:00,240.0,1.", whole, 2},
        {whole + "2026-12-08T17:11:00-05:00,240.0,1.0,1.0,1.0,0.0167,0.0033\r", whole, 2},
        {"time,volts,am", "", 1},
        {whole, whole, 2},
    };
    for (const auto& c : cases) {
        dir.writeWhole(name, c.content);
        // Reading skips the torn line without calling it damaged.
        const MonthMinutes read = parseMonthMinutes(c.content);
        EXPECT_EQ(read.damaged, 0);
        MinuteArchive archive(dir);
        archive.start(at(2026, 12, 8, 17, 30));
        EXPECT_EQ(file(name), c.kept);
        archive.append(minute(at(2026, 12, 8, 17, 31), 1));
        const MonthMinutes after = parseMonthMinutes(file(name));
        EXPECT_EQ(after.damaged, 0);
        EXPECT_EQ(after.points.size(), c.minutesAfter);
        EXPECT_EQ(file(name).count("time,"), 1);
        dir.writeWhole(name, QByteArray());
    }
}

TEST_F(ArchiveWriter, EraseRemovesTheArchiveAndForgetsTheOpenHour) {
    MinuteArchive archive(dir);
    archive.start(at(2026, 12, 8, 17, 0));
    archive.append(minute(at(2026, 12, 8, 17, 10), 2));
    EXPECT_TRUE(archive.erase());
    EXPECT_FALSE(QDir(dir.filePath(files::ArchiveFolder)).exists());
    EXPECT_TRUE(archive.openHour().empty());
    archive.append(minute(at(2026, 12, 8, 17, 11), 2));
    EXPECT_TRUE(file(files::archiveMinutes(2026, 12)).startsWith("time,volts"));
}

}  // namespace
