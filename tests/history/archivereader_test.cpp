#include "history/archivecsv.h"
#include "history/archivemonth.h"
#include "history/archivequery.h"
#include "history/archiverange.h"
#include "history/archivestore.h"
#include "history/minutearchive.h"
#include "model/datafiles.h"
#include "support/fakes.h"
#include "history/archive_support.h"

#include <QFile>
#include <QRandomGenerator>
#include <gtest/gtest.h>

using namespace kelvora;
using kelvora::testing::NewYorkTime;

namespace {

constexpr qint64 kMinute = 60'000;

class ArchiveReader : public NewYorkTime {
protected:
    void record(const QDateTime& from, const QDateTime& to, const std::function<double(const QDateTime&)>& kw) {
        NewYorkTime::record(dir, from, to, kw);
    }
    static double flat(const QDateTime&) { return 1.2; }

    kelvora::testing::TempDataDir tmp;
    DataDir dir{tmp.path(), archiveFiles()};
};

TEST_F(ArchiveReader, SkipsAndCountsDamagedLinesAndSortsLinesWrittenOutOfOrder) {
    const QByteArray month =
        "time,volts,amps_a,amps_b,kw,kwh,cost\r\n"
        "2026-12-08T17:31:00-05:00,240.0,1.0,1.0,3.0,0.0500,0.0100\r\n"
        "2026-12-08T17:32:00-05:00,240.0,1.0,1.0,4.0,0.0500,0.0100\r\n"
        // The clock was set back five minutes.
        "2026-12-08T17:28:00-05:00,240.0,1.0,1.0,1.0,0.0500,0.0100\r\n"
        "\r\n"
        "2026-12-08T17:29:00-05:00,240.0,1.0,1.0,2.0,0.0500,0.0100\n"  // a line end without CR
        "2026-12-08T17:33:00-05:00,240.0,1.0,1.0,x,0.0500,0.0100\r\n"
        "2026-12-08T17:34:00-05:00,240.0,1.0,1.0,5.0,0.0500\r\n"
        "2026-12-08T17:35:00-05:00,240.0,1.0,1.0,5.0,0.0500,0.0100,7\r\n"
        "2026-12-08 17:36:00,240.0,1.0,1.0,5.0,0.0500,0.0100\r\n"
        "2026-12-08T17:38:00-05:00,1e300,1.0,1.0,5.0,0.0500,0.0100\r\n"
        "2026-12-08T17:39:00-05:00,nan,1.0,1.0,5.0,0.0500,0.0100\r\n"
        "\x01\x02\xff garbage\r\n" +
        QByteArray(300, 'x') + "\r\n"
        "2026-12-08T17:40:00-05:00,240.0,1.0,1.0,6.0,0.0500,0.0";  // torn
    const MonthMinutes m = parseMonthMinutes(month);
    EXPECT_EQ(m.damaged, 8);
    std::vector<float> kw;
    for (const MinutePoint& p : m.points) kw.push_back(p.kw);
    EXPECT_EQ(kw, (std::vector<float>{1, 2, 3, 4}));
}

TEST_F(ArchiveReader, MergesAnHourWrittenTwiceAfterTheClockWasSetBack) {
    const MonthHours h = parseMonthHours(
        "time,kwh,cost,kw_min,kw_mean,kw_max,volts_min,volts_max,amps_a_max,amps_b_max\r\n"
        "2026-12-08T18:00:00-05:00,1.0000,0.2000,0.500,1.000,2.000,230.0,245.0,10.0,9.0\r\n"
        "2026-12-08T17:00:00-05:00,1.0000,0.2000,0.500,1.000,2.000,230.0,245.0,10.0,9.0\r\n"
        "2026-12-08T18:00:00-05:00,0.5000,0.1000,0.100,3.000,5.000,220.0,240.0,12.0,8.0\r\n"
        "2026-12-08T19:00:00-05:00,0.5000,0.1000,3.000,1.000,5.000,220.0,240.0,12.0,8.0\r\n");  // min > mean
    EXPECT_EQ(h.damaged, 1);
    ASSERT_EQ(h.hours.size(), 2u);
    EXPECT_DOUBLE_EQ(h.hours[1].kwh, 1.5);
    EXPECT_DOUBLE_EQ(h.hours[1].kwMin, 0.1);
    EXPECT_DOUBLE_EQ(h.hours[1].kwMax, 5);
    EXPECT_DOUBLE_EQ(h.hours[1].voltsMin, 220);
    EXPECT_DOUBLE_EQ(h.hours[1].ampsAMax, 12);
}

TEST_F(ArchiveReader, DecimationKeepsEveryColumnsMinimumAndMaximum) {
    QRandomGenerator random(22);
    std::vector<Sample> samples;
    const TimeRange range{0, 20'000 * kMinute};
    for (qint64 ms = 0; ms < range.to; ms += kMinute) {
        const float v = float(random.bounded(100.0));
        samples.push_back({ms, v, v, v});
    }
    samples[14'321].min = samples[14'321].max = samples[14'321].mean = 1000;  // one minute's peak
    for (int columns : {1, 7, 640, 1920}) {
        const PlotSeries s = decimate(samples, range, columns, kMinute);
        ASSERT_EQ(s.points.size(), size_t(columns));
        EXPECT_TRUE(s.banded);
        const double width = double(range.span()) / columns;
        float peak = 0;
        for (int c = 0; c < columns; ++c) {
            float lo = 1e9f, hi = -1e9f;
            double sum = 0;
            int n = 0;
            for (const Sample& x : samples)
                if (int(double(x.ms) / width) == c) lo = std::min(lo, x.min), hi = std::max(hi, x.max), sum += x.mean, ++n;
            EXPECT_EQ(s.points[c].min, lo) << columns << " column " << c;
            EXPECT_EQ(s.points[c].max, hi) << columns << " column " << c;
            EXPECT_NEAR(s.points[c].mean, sum / n, 1e-3);
            peak = std::max(peak, s.points[c].max);
        }
        EXPECT_EQ(peak, 1000);
    }
    // Fewer samples than columns are kept as they are.
    const PlotSeries few = decimate(samples, TimeRange{0, 10 * kMinute}, 640, kMinute);
    EXPECT_EQ(few.points.size(), 10u);
    EXPECT_FALSE(few.banded);
}

// Statistics find the peak and its minute.
TEST_F(ArchiveReader, ARangeAcrossAMonthEndReadsBothMonthFiles) {
    const QDateTime peakAt = at(2026, 12, 1, 0, 31);
    record(at(2026, 11, 30, 22, 0), at(2026, 12, 1, 2, 0), [&](const QDateTime& t) { return t == peakAt ? 7.5 : 1.2; });
    ArchiveStore store(dir);
    const TimeRange range = timeRange(at(2026, 11, 30, 23, 0), at(2026, 12, 1, 1, 0));
    const PlotSeries s = archiveSeries(store, ArchiveQuantity::Kw, range, 1000);
    ASSERT_EQ(s.points.size(), 120u);
    EXPECT_EQ(s.points.front().ms, range.from);
    EXPECT_EQ(s.points.back().ms, range.to - kMinute);
    EXPECT_EQ(monthsOf(range), (QList<YearMonth>{{2026, 11}, {2026, 12}}));
    const ArchiveStats st = archiveStats(store, range);
    EXPECT_EQ(st.minutes, 120);
    EXPECT_NEAR(st.kwh, (119 * 1.2 + 7.5) / 60, 1e-3);
    EXPECT_NEAR(st.cost, st.kwh * 0.2, 1e-3);
    EXPECT_DOUBLE_EQ(st.peakKw, 7.5);
    EXPECT_EQ(st.peakMs, peakAt.toMSecsSinceEpoch());
    EXPECT_DOUBLE_EQ(st.voltsMean, 240);
    EXPECT_EQ(archiveStats(store, timeRange(at(2026, 12, 9, 0, 0), at(2026, 12, 10, 0, 0))).minutes, 0);
}

TEST_F(ArchiveReader, DaysOfTheClockChangesHaveTheirTrueNumberOfHours) {
    record(at(2026, 3, 7, 0, 0), at(2026, 3, 10, 0, 0), flat);
    record(at(2026, 10, 31, 0, 0), at(2026, 11, 3, 0, 0), flat);
    ArchiveStore store(dir);
    const struct { QDate day; int hours; } cases[] = {
        {QDate(2026, 3, 7), 24}, {QDate(2026, 3, 8), 23}, {QDate(2026, 11, 1), 25}, {QDate(2026, 11, 2), 24}};
    for (const auto& c : cases) {
        const TimeRange day = timeRange(c.day.startOfDay(), c.day.addDays(1).startOfDay());
        const PlotSeries perHour = archiveSeries(store, ArchiveQuantity::KwhPerHour, day, 1000);
        EXPECT_EQ(perHour.bars.size(), size_t(c.hours)) << c.day.toString().toStdString();
        const PlotSeries perDay = archiveSeries(store, ArchiveQuantity::KwhPerDay, day, 1000);
        ASSERT_EQ(perDay.bars.size(), 1u);
        EXPECT_EQ(perDay.bars[0].start, day.from);
        EXPECT_EQ(perDay.bars[0].end, day.to);
        EXPECT_NEAR(perDay.bars[0].value, c.hours * 1.2, 2e-3) << c.day.toString().toStdString();
        EXPECT_EQ(archiveStats(store, day).minutes, c.hours * 60);
        // Drawn from the hour summaries as well, wide enough.
        const PlotSeries kw = archiveSeries(store, ArchiveQuantity::Kw, day, 20);
        EXPECT_TRUE(kw.fromHours);
        EXPECT_EQ(kw.points.size(), size_t(std::min(c.hours, 20)));
    }
}

TEST_F(ArchiveReader, AMissingMonthIsAGapNotALineAcrossIt) {
    record(at(2026, 1, 30, 0, 0), at(2026, 2, 1, 0, 0), flat);
    record(at(2026, 3, 1, 0, 0), at(2026, 3, 2, 0, 0), flat);
    QFile::remove(dir.filePath(files::archiveHours(2026, 2)));
    QFile::remove(dir.filePath(files::archiveMinutes(2026, 2)));
    ArchiveStore store(dir);
    const TimeRange range = timeRange(at(2026, 1, 30, 0, 0), at(2026, 3, 2, 0, 0));
    for (int columns : {30, 100, 1000, 100'000}) {
        const PlotSeries s = archiveSeries(store, ArchiveQuantity::Kw, range, columns);
        int gaps = 0;
        for (size_t i = 1; i < s.points.size(); ++i) gaps += s.points[i].ms - s.points[i - 1].ms > s.joinMs;
        EXPECT_EQ(gaps, 1) << columns;
    }
}

TEST_F(ArchiveReader, TheCompareSeriesLinesUpWithTheWeekShown) {
    // The same week twice: Monday 8 AM a 5 KW peak, otherwise by the hour of the day.
    const auto kw = [](const QDateTime& t) {
        return t.date().dayOfWeek() == 1 && t.time().hour() == 8 ? 5.0 : 0.5 + t.time().hour() / 10.0;
    };
    record(at(2026, 11, 23, 0, 0), at(2026, 12, 7, 0, 0), kw);
    ArchiveStore store(dir);
    const TimeRange week = timeRange(at(2026, 11, 30, 0, 0), at(2026, 12, 7, 0, 0));
    const TimeRange before = previousPeriod(week, ComparePeriod::Week);
    EXPECT_EQ(before, timeRange(at(2026, 11, 23, 0, 0), at(2026, 11, 30, 0, 0)));
    for (int columns : {500, 20'000}) {
        const PlotSeries shown = archiveSeries(store, ArchiveQuantity::Kw, week, columns);
        PlotSeries compare = archiveSeries(store, ArchiveQuantity::Kw, before, columns);
        alignSeries(compare, before, week);
        ASSERT_EQ(compare.points.size(), shown.points.size());
        for (size_t i = 0; i < shown.points.size(); ++i) {
            EXPECT_EQ(compare.points[i].ms, shown.points[i].ms);
            EXPECT_EQ(compare.points[i].max, shown.points[i].max);
        }
    }
    // A month back by the calendar, stretched onto the month shown.
    const TimeRange march = timeRange(at(2027, 3, 1, 0, 0), at(2027, 4, 1, 0, 0));
    EXPECT_EQ(previousPeriod(march, ComparePeriod::Month), timeRange(at(2027, 2, 1, 0, 0), at(2027, 3, 1, 0, 0)));
    EXPECT_EQ(previousPeriod(march, ComparePeriod::Year), timeRange(at(2026, 3, 1, 0, 0), at(2026, 4, 1, 0, 0)));
    PlotSeries bars;
    bars.bars = {{at(2027, 2, 14, 0, 0).toMSecsSinceEpoch(), at(2027, 2, 15, 0, 0).toMSecsSinceEpoch(), 1}};
    alignSeries(bars, previousPeriod(march, ComparePeriod::Month), march);
    EXPECT_NEAR(double(bars.bars[0].start), double(march.from + march.span() * 13 / 28), 1);
}

TEST_F(ArchiveReader, BadFilesAreRefusedOrCountedAndTheRestIsShown) {
    record(at(2026, 12, 8, 17, 0), at(2026, 12, 8, 19, 0), flat);
    QDir().mkpath(dir.filePath(files::ArchiveFolder));
    {
        // 100 MB of garbage where November should be (sparse: made at once).
        QFile huge(dir.filePath(files::archiveMinutes(2026, 11)));
        ASSERT_TRUE(huge.open(QIODevice::WriteOnly));
        huge.write("garbage");
        ASSERT_TRUE(huge.resize(100LL * 1024 * 1024));
    }
    QByteArray noise;
    QRandomGenerator random(7);
    for (int i = 0; i < 200'000; ++i) noise += char(random.bounded(256));
    dir.writeWhole(files::archiveMinutes(2026, 10), noise);
    dir.writeWhole(files::archiveHours(2026, 10), "\r\n\r\n,,,,,,,,,\r\n");
    ArchiveStore store(dir);
    EXPECT_EQ(store.months(), (QList<YearMonth>{{2026, 10}, {2026, 11}, {2026, 12}}));
    EXPECT_FALSE(store.minutes({2026, 11}));
    EXPECT_TRUE(store.refused({2026, 11}));
    const auto october = store.minutes({2026, 10});
    ASSERT_TRUE(october);
    EXPECT_TRUE(october->points.empty());
    EXPECT_GT(october->damaged, 0);
    const TimeRange range = timeRange(at(2026, 10, 1, 0, 0), at(2027, 1, 1, 0, 0));
    const PlotSeries s = archiveSeries(store, ArchiveQuantity::Volts, range, 1000);
    store.hours({2026, 10});
    EXPECT_FALSE(s.points.empty());
    const ArchiveDamage damage = archiveDamage(store, range);
    EXPECT_EQ(damage.refusedMonths, QStringList{"2026-11"});
    EXPECT_EQ(damage.damagedLines, october->damaged + 1);
}

TEST_F(ArchiveReader, RangesAreWholeLocalCalendarPeriods) {
    RangeInput in{at(2026, 11, 4, 15, 20), Qt::Sunday, QDate(2025, 2, 11), QDate(2026, 11, 2), QDate(2026, 10, 30)};
    const auto day = [](int y, int m, int d) { return QDate(y, m, d).startOfDay().toMSecsSinceEpoch(); };
    const struct { ExploreRange r; qint64 from, to; } cases[] = {
        {ExploreRange::Today, day(2026, 11, 4), day(2026, 11, 5)},
        {ExploreRange::Yesterday, day(2026, 11, 3), day(2026, 11, 4)},
        // The week that starts on Sunday 1 November has the extra hour.
        {ExploreRange::ThisWeek, day(2026, 11, 1), day(2026, 11, 8)},
        {ExploreRange::LastWeek, day(2026, 10, 25), day(2026, 11, 1)},
        {ExploreRange::ThisMonth, day(2026, 11, 1), day(2026, 12, 1)},
        {ExploreRange::LastMonth, day(2026, 10, 1), day(2026, 11, 1)},
        {ExploreRange::ThisYear, day(2026, 1, 1), day(2027, 1, 1)},
        {ExploreRange::LastYear, day(2025, 1, 1), day(2026, 1, 1)},
        {ExploreRange::All, day(2025, 2, 11), day(2026, 11, 5)},
        {ExploreRange::Dates, day(2026, 10, 30), day(2026, 11, 3)},  // given in reverse
    };
    for (const auto& c : cases) {
        const TimeRange r = exploreRange(c.r, in);
        EXPECT_EQ(r.from, c.from) << rangeName(c.r).toStdString();
        EXPECT_EQ(r.to, c.to) << rangeName(c.r).toStdString();
    }
    EXPECT_EQ(exploreRange(ExploreRange::ThisWeek, in).span(), (7 * 24 + 1) * 3600'000LL);
    in.firstDayOfWeek = Qt::Monday;
    EXPECT_EQ(exploreRange(ExploreRange::ThisWeek, in).from, day(2026, 11, 2));
}

TEST_F(ArchiveReader, TheCsvHoldsWhatIsShownWithIsoStampsAndThePreviousPeriodOnItsOwnDates) {
    record(at(2026, 12, 1, 17, 0), at(2026, 12, 1, 17, 2), flat);
    record(at(2026, 12, 8, 17, 0), at(2026, 12, 8, 17, 2), [](const QDateTime&) { return 2.25; });
    ArchiveStore store(dir);
    ExploreRequest line{1, ArchiveQuantity::Kw, timeRange(at(2026, 12, 8, 0, 0), at(2026, 12, 9, 0, 0)), 1000,
                        ComparePeriod::Week};
    EXPECT_EQ(exploreCsv(explore(store, line)),
              "series,time,min,mean,max\r\n"
              "shown,2026-12-08T17:00:00-05:00,2.3,2.3,2.3\r\n"
              "shown,2026-12-08T17:01:00-05:00,2.3,2.3,2.3\r\n"
              "previous,2026-12-01T17:00:00-05:00,1.2,1.2,1.2\r\n"
              "previous,2026-12-01T17:01:00-05:00,1.2,1.2,1.2\r\n");
    ExploreRequest bars{2, ArchiveQuantity::KwhPerDay, line.range, 1000, ComparePeriod::None};
    EXPECT_EQ(exploreCsv(explore(store, bars)),
              "series,start,end,value\r\n"
              "shown,2026-12-08T00:00:00-05:00,2026-12-09T00:00:00-05:00,0.075\r\n");
}

}  // namespace
