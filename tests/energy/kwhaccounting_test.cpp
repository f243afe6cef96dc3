#include "common/format.h"
#include "support/accountingrig.h"
#include "support/zone.h"

#include <gtest/gtest.h>

using namespace kelvora;
using kelvora::testing::at;
using kelvora::testing::Logged;

namespace {

// The accounting fed minute records directly, and what it did with them.
struct Rig : kelvora::testing::AccountingRig {
    explicit Rig(const QDateTime& start, Qt::DayOfWeek firstDay = Qt::Monday) : AccountingRig(start, firstDay) {
        dir.setSavedListener([this](const QString& f) {
            if (f.startsWith("KWH") && !f.startsWith("KWH_") && !f.endsWith("s.dat")) rewritten << f;
        });
    }
    // A minute of `kwh` at the price of 0.1, stamped now.
    void minute(double kwh) {
        MinuteRecord m;
        m.stamp = clock.now();
        m.kwh = kwh;
        m.cost = kwh * 0.1;
        minutes += kwh;
        acc->KwhMinuteStep(m);
    }
    QStringList rewritten;  // the rolling files announced as saved, in order
    double minutes = 0;     // the energy of every minute counted
};

}  // namespace

// Each minute goes into the hour in full with its cost; the state file keeps
// both and the hour (after the old two fields).
TEST(HourRollover, OrdinaryHourRecordsWhatItCountedOnce) {
    kelvora::testing::ZoneScope zone("America/New_York");
    Rig rig(at(2026, 12, 7, 13, 59, 0));
    rig.tick(rig.clock.now());
    for (double m : {.5, .2500001, 0.}) rig.minute(m);
    EXPECT_EQ(rig.tmp.contents(files::KWH_Hr), QByteArray("\"0\",0.7500001,0.07500001,\"2026-12-07T13:00:00-05:00\"\r\n"));
    rig.walk(at(2026, 12, 7, 13, 59, 59), at(2026, 12, 7, 14, 0, 2));
    EXPECT_EQ(rig.last(files::KWHhr), (Logged{"12/7/2026  2:00:00 PM", "0.75"}));
    EXPECT_EQ(rig.last(files::KWHHours), (Logged{"12/07/26 2:00:00 PM", "0.75"}));
    EXPECT_EQ(rig.fields.text("Text100(13)") + " " + rig.fields.text("Text100(14)"), "0.8 $0.1");
    EXPECT_EQ(rig.tmp.contents(files::KWH_Hr), QByteArray("0,0,0,\"2026-12-07T14:00:00-05:00\"\r\n"));
    EXPECT_EQ(rig.windows.Roll_Value.last().display(), "0.75");  // what the graph draws from
    EXPECT_EQ(rig.rewritten, QStringList{files::KWHhr});
}

// New York's clock changes: every real hour gets its own record, and the day
// and its week (from that Sunday) record exactly their minutes.
TEST(KwhBoundaries, DaylightSavingDaysCountEveryRealHourOnce) {
    kelvora::testing::ZoneScope zone("America/New_York");
    const struct { QDate day; int hours; } cases[] = {{QDate(2026, 11, 1), 25}, {QDate(2026, 3, 8), 23}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.day.toString(Qt::ISODate).toStdString());
        Rig rig(c.day.startOfDay().addSecs(-25 * 60), Qt::Sunday);
        rig.tick(rig.clock.now());
        double day = 0, week = 0;
        const QDateTime dayEnd = c.day.addDays(1).startOfDay(), weekEnd = c.day.addDays(7).startOfDay();
        for (int i = 1; rig.clock.now() < weekEnd.addSecs(30 * 60); ++i) {
            rig.clock.advanceMs(20 * 60'000);
            rig.tick(rig.clock.now());
            const double kwh = 0.1 + (i % 7) * 0.013;
            const QDateTime now = rig.clock.now();
            if (now >= c.day.startOfDay() && now < dayEnd) day += kwh;
            if (now >= c.day.startOfDay() && now < weekEnd) week += kwh;
            rig.minute(kwh);
        }
        const QString shortDay = c.day.toString("MM/dd/yy "), nextMidnight = dayEnd.date().toString("MM/dd/yy ") + "12:00:00 AM";
        int hourly = 0;
        for (const Logged& p : rig.records(files::KWHHours))
            hourly += (p.stamp.startsWith(shortDay) && !p.stamp.endsWith(" 12:00:00 AM")) || p.stamp == nextMidnight;
        EXPECT_EQ(hourly, c.hours);
        const auto days = rig.records(files::KWHDays);
        EXPECT_EQ(days[days.size() - 7], (Logged{midnightStamp(dayEnd.date()), formatNumber(day, u"0.00")}));
        EXPECT_EQ(rig.last(files::KWHWeeks), (Logged{midnightStamp(weekEnd.date()), formatNumber(week, u"####.##")}));
    }
}

// A clock put back and forward inside an hour counts every minute once; one
// put back across midnight after the day rolled does not roll it again.
TEST(KwhBoundaries, ClockSteppedBackAndForwardCountsEveryMinuteOnce) {
    Rig rig(at(2026, 12, 8, 14, 0, 30));
    rig.tick(rig.clock.now());
    const QDateTime steps[] = {at(2026, 12, 8, 14, 20, 0), at(2026, 12, 8, 14, 10, 0), at(2026, 12, 8, 14, 15, 0),
                               at(2026, 12, 8, 17, 15, 0), at(2026, 12, 8, 17, 40, 0), at(2026, 12, 8, 18, 0, 1)};
    for (const QDateTime& t : steps) {
        rig.tick(t);
        rig.minute(0.25);
    }
    const auto hourly = rig.records(files::KWHhr);
    EXPECT_EQ(hourly.mid(58), (QList<Logged>{{"12/8/2026  3:00:00 PM", "0.75"}, {"12/8/2026  6:00:00 PM", "0.50"}}));
    EXPECT_DOUBLE_EQ(rig.periods[KwhPeriod::Hour].kwh + 1.25, rig.minutes);
    EXPECT_DOUBLE_EQ(rig.periods[KwhPeriod::Day].kwh, rig.minutes);

    const qsizetype days = rig.records(files::KWHDays).size();
    rig.walk(at(2026, 12, 8, 23, 59, 59), at(2026, 12, 9, 0, 0, 2), 500);
    rig.walk(at(2026, 12, 8, 23, 59, 57), at(2026, 12, 9, 0, 0, 3), 500);  // a time-sync correction
    EXPECT_EQ(rig.records(files::KWHDays).size(), days + 1);
}

// A period that ended while stopped is recorded at the next start under its own end.
TEST(KwhBoundaries, RestartRecordsThePeriodsThatEndedWhileStopped) {
    Rig rig(at(2026, 12, 7, 14, 10, 0));
    rig.tick(rig.clock.now());
    rig.minute(.2);
    rig.clock.set(at(2026, 12, 8, 16, 30, 0));
    rig.restart();  // not running at 3 PM, 4 PM and midnight
    rig.tick(rig.clock.now());
    EXPECT_EQ(rig.last(files::KWHhr), (Logged{"12/7/2026  3:00:00 PM", "0.20"}));
    EXPECT_EQ(rig.last(files::KWHday), (Logged{"12/8/2026  12:00:00 AM", "0.20"}));
    rig.minute(.3);
    rig.walk(at(2026, 12, 8, 16, 59, 59), at(2026, 12, 8, 17, 0, 1), 500);
    EXPECT_EQ(rig.last(files::KWHhr), (Logged{"12/8/2026  5:00:00 PM", "0.30"}));
}

TEST(MonthRollover, ThreeMonthsLeaveThreePairs) {
    Rig rig(at(2027, 1, 31, 23, 0, 0));
    rig.tick(rig.clock.now());
    const QDateTime firsts[] = {at(2027, 2, 1, 0, 0, 0), at(2027, 3, 1, 0, 0, 0), at(2027, 4, 1, 0, 0, 0)};
    rig.shared.Total_KWH_Saved = 321;
    for (const QDateTime& first : firsts) {
        rig.minute(3);
        rig.walk(first.addSecs(-1), first.addSecs(1), 250);
    }
    EXPECT_EQ(rig.shared.Total_KWH_Saved, 0);  // a new month starts its totals afresh
    const auto month = rig.records(files::KWHMonth);
    for (int i = 0; i < 3; ++i) {
        const QString stamp = midnightStamp(firsts[i].date());
        EXPECT_EQ(month[54 + 2 * i], (Logged{stamp, "3.00"}));
        EXPECT_EQ(month[55 + 2 * i], (Logged{stamp, "0.00"}));
        EXPECT_EQ(rig.records(files::KWHMonths)[60 + i], (Logged{stamp, "3."}));
    }
}

// At midnight of Monday 1 January 2029 all five periods roll in one tick, each once.
TEST(YearRollover, AllFiveRollOnceAtMidnightOf31December) {
    const QStringList logs = {files::KWHHours, files::KWHDays, files::KWHWeeks, files::KWHMonths, files::KWHyears};
    const QString stamp = "1/1/2029  12:00:00 AM";
    const struct { double minute; QStringList logged; } cases[] = {
        {1234.567, {"1234.57", "1234.57", "1234.57", "1234.57", "1235"}},
        {0, {"0.00", "0.00", ".", ".", ""}},  // zero totals
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.minute);
        Rig rig(at(2028, 12, 31, 23, 59, 0));
        rig.tick(rig.clock.now());
        rig.minute(c.minute);
        QList<qsizetype> counts;
        for (const QString& log : logs) counts << rig.records(log).size() + 1;
        rig.walk(at(2028, 12, 31, 23, 59, 59), at(2029, 1, 1, 0, 0, 2), 50);
        for (const QString& log : logs) EXPECT_EQ(rig.records(log).size(), counts.takeFirst()) << log.toStdString();
        EXPECT_EQ(rig.rewritten, (QStringList{files::KWHhr, files::KWHday, files::KWHweek, files::KWHMonth,
                                          files::KWHMonth, files::KWHyear, files::KWHyear}));
        for (int i = 0; i < logs.size(); ++i)
            EXPECT_EQ(rig.last(logs[i]), (Logged{i ? stamp : QString("01/01/29 12:00:00 AM"), c.logged[i]}));
        EXPECT_EQ(rig.last(files::KWHyear), (Logged{stamp, "0.00"}));
    }
}

// Old-form state held the hour only: the day, week and year are seeded from
// their rolling files, the month from the month-to-date total.
TEST(KwhPeriods, OldFormStateIsSeededFromTheRecordsOfThePeriod) {
    Rig rig(at(2026, 12, 9, 10, 30, 0));  // a Wednesday
    rig.tmp.dir().writeWhole(files::KWH_Hr, "\"0\",1.5\r\n");
    rig.tmp.dir().writeRecords(files::KWHhr, {{Field::Text("12/9/2026  12:00:00 AM"), Field::Text("100")},
                                              {Field::Text("12/9/2026  1:00:00 AM"), Field::Text("2")},
                                              {Field::Text("12/9/2026  10:00:00 AM"), Field::Text("3")}});
    rig.tmp.dir().writeRecords(files::KWHday, {{Field::Text("12/7/2026  12:00:00 AM"), Field::Text("100")},
                                               {Field::Text("12/8/2026  12:00:00 AM"), Field::Text("10")},
                                               {Field::Text("12/9/2026  12:00:00 AM"), Field::Text("20")}});
    rig.tmp.dir().writeRecords(files::KWHMonth, {{Field::Text("1/1/2026  12:00:00 AM"), Field::Text("999")},
                                                 {Field::Text("2/1/2026  12:00:00 AM"), Field::Text("300")},
                                                 {Field::Text("12/1/2026  12:00:00 AM"), Field::Text("400")}});
    rig.shared.Total_KWH_Saved = 50;
    rig.restart();
    const auto kwh = [&](KwhPeriod p) { return rig.periods[p].kwh; };
    EXPECT_EQ((std::array{kwh(KwhPeriod::Hour), kwh(KwhPeriod::Day), kwh(KwhPeriod::Week), kwh(KwhPeriod::Month),
                          kwh(KwhPeriod::Year)}),
              (std::array{1.5, 6.5, 36.5, 50.0, 750.0}));
    EXPECT_EQ(rig.periods[KwhPeriod::Day].start, at(2026, 12, 9, 0, 0, 0));
}

// A short rolling file is filled to 60; an unreadable one skips its rollover.
TEST(RollKwhFile, ShortFileIsRewrittenWith60AndAnUnreadableOneIsSkipped) {
    Rig rig(at(2026, 12, 8, 23, 59, 0));
    rig.tick(rig.clock.now());
    rig.tmp.dir().writeWhole(files::KWHhr, "\"12/8/2026  9:00:00 PM\",\"4.00\"\r\n");
    QFile::remove(rig.tmp.dir().filePath(files::KWHday));
    ASSERT_TRUE(QDir(rig.tmp.path()).mkdir(files::KWHday));  // exists, cannot be read
    rig.minute(1);
    rig.walk(at(2026, 12, 8, 23, 59, 59), at(2026, 12, 9, 0, 0, 1));
    const auto hourly = rig.records(files::KWHhr);
    ASSERT_EQ(hourly.size(), 60);
    EXPECT_EQ(hourly.first(), (Logged{"12/8/2026  9:00:00 PM", "0"}));
    EXPECT_EQ(rig.last(files::KWHDays).value, "1.00");  // the day is still logged
    rig.walk(at(2026, 12, 9, 0, 59, 59), at(2026, 12, 9, 1, 0, 1));
    EXPECT_EQ(rig.last(files::KWHhr).stamp, "12/9/2026  1:00:00 AM");
}
