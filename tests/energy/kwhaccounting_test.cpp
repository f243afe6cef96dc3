#include "energy/initdata.h"
#include "energy/kwhaccounting.h"
#include "model/datafiles.h"
#include "model/windowstate.h"
#include "support/fakes.h"

#include <gtest/gtest.h>

using namespace kelvora;

namespace {

QDateTime at(int y, int mo, int d, int h, int mi, int s, int ms = 0) { return {QDate(y, mo, d), QTime(h, mi, s, ms)}; }

struct Pair {
    QString stamp, value;
    bool operator==(const Pair&) const = default;
};
void PrintTo(const Pair& p, std::ostream* os) { *os << p.stamp.toStdString() << " | " << p.value.toStdString(); }

// A running accounting over a freshly initialised data directory.
struct Rig {
    explicit Rig(const QDateTime& start, Qt::DayOfWeek firstDay = Qt::Monday) : clock(start) {
        EXPECT_TRUE(InitAllData(tmp.dir(), clock, shared, fields));
        shared.Cost_per_KWH = 0.1;
        QObject::connect(&windows, &WindowState::fileRewritten, [this](const QString& f) { rewritten << f; });
        restart(firstDay);
    }
    // A new run of the program on the same files.
    void restart(Qt::DayOfWeek firstDay = Qt::Monday) {
        periods = KwhPeriods{};
        acc = std::make_unique<KwhAccounting>(shared, fields, tmp.dir(), clock, periods, windows);
        acc->setFirstDayOfWeek(firstDay);
        acc->LoadKwhPeriodTotals();
    }
    void minute(const QString& kwhText) {
        tmp.dir().writeRecords(files::KWH_1m, {{Field::Text(kwhText)}});
        shared.KWH_1m_Ready = 1;
        acc->KwhMinuteStep();
    }
    void tick(const QDateTime& when) {
        clock.set(when);
        acc->CheckKwhBoundaries();
    }
    // Ticks every `stepMs` from one time to another, as Timer2 does.
    void walk(const QDateTime& from, const QDateTime& to, int stepMs = 100) {
        for (QDateTime t = from; t <= to; t = t.addMSecs(stepMs)) tick(t);
    }
    QList<Pair> records(const QString& name) const {
        const QStringList f = readFields(tmp.contents(name));
        QList<Pair> pairs;
        for (qsizetype i = 0; i + 1 < f.size(); i += 2) pairs << Pair{f[i], f[i + 1]};
        return pairs;
    }
    Pair last(const QString& name, int fromEnd = 0) const {
        const auto r = records(name);
        return r.value(r.size() - 1 - fromEnd);
    }
    // A rolling file of 60 records: `older` everywhere but the newest values.
    void writeRolling(const QString& name, const QString& older, QStringList newest) {
        QList<Record> lines(60 - newest.size(), Record{Field::Text("s"), Field::Text(older)});
        for (const QString& v : newest) lines << Record{Field::Text("s"), Field::Text(v)};
        tmp.dir().writeRecords(name, lines);
    }

    kelvora::testing::TempDataDir tmp;
    ManualClock clock;
    SharedState shared;
    FieldModel fields;
    KwhPeriods periods;
    WindowState windows;
    std::unique_ptr<KwhAccounting> acc;
    QStringList rewritten;  // the files announced as rewritten, in order
};

}  // namespace

// A minute is added in full and the hour saved with it; "." is a zero minute, "" nothing to count. A minute that
// arrives in the boundary second after the rollover counts for the new hour.
TEST(HourRollover, OrdinaryHourRollsOnceAndAMinuteInTheBoundarySecondCountsForTheNewHour) {
    Rig rig(at(2026, 12, 7, 13, 59, 0));
    for (const char* m : {".5", ".2500001", ".", ""}) rig.minute(m);
    EXPECT_EQ(rig.tmp.contents(files::KWH_Hr), QByteArray("\"0\",0.7500001\r\n"));
    rig.tmp.dir().writeRecords(files::KWH_1m, {{Field::Text("9")}});
    rig.acc->KwhMinuteStep();  // no new minute flagged: not counted
    rig.walk(at(2026, 12, 7, 13, 59, 59), at(2026, 12, 7, 14, 0, 2));
    EXPECT_EQ(rig.last(files::KWHhr), (Pair{"12/7/2026  2:00:00 PM", "0.75"}));
    EXPECT_EQ(rig.last(files::KWHHours), (Pair{"12/07/26 2:00:00 PM", "0.75"}));
    EXPECT_EQ(rig.fields.text("Text100(13)") + " " + rig.fields.text("Text100(14)"), "0.8 $0.1");
    EXPECT_EQ(rig.tmp.contents(files::KWH_Hr), QByteArray("0,0\r\n"));  // saved with the rollover
    EXPECT_EQ(rig.windows.Roll_Value.last().display(), "0.75");          // what the graph draws from
    EXPECT_EQ(rig.rewritten, QStringList{files::KWHhr});

    rig.minute(".5");
    rig.tick(at(2026, 12, 7, 15, 0, 0, 10));  // rolls
    rig.clock.set(at(2026, 12, 7, 15, 0, 0, 600));
    rig.minute(".3");
    rig.walk(at(2026, 12, 7, 15, 0, 0, 700), at(2026, 12, 7, 16, 0, 0, 700), 1000);
    EXPECT_EQ(rig.last(files::KWHhr, 1).value, "0.50");
    EXPECT_EQ(rig.last(files::KWHhr), (Pair{"12/7/2026  4:00:00 PM", "0.30"}));
}

// Busy across a boundary second, then ticking again: the hour rolls once; and a clock put back five seconds by a
// time-sync correction across midnight rolls nothing twice.
TEST(KwhBoundaries, MissedBoundarySecondRollsOnceAndClockSteppedBackOverMidnightDoesNotRollTwice) {
    Rig rig(at(2026, 12, 8, 22, 59, 50));
    rig.minute("1");
    rig.tick(at(2026, 12, 8, 22, 59, 59, 500));
    rig.walk(at(2026, 12, 8, 23, 0, 1, 200), at(2026, 12, 8, 23, 0, 4, 200));
    EXPECT_EQ(rig.last(files::KWHhr), (Pair{"12/8/2026  11:00:00 PM", "1.00"}));
    EXPECT_NE(rig.last(files::KWHhr, 1).stamp, "12/8/2026  11:00:00 PM");
    rig.walk(at(2026, 12, 8, 23, 59, 59), at(2026, 12, 9, 0, 0, 3), 250);
    const auto counts = [&] { return std::pair(rig.records(files::KWHDays).size(),
                                               rig.records(files::KWHHours).size()); };
    const auto before = counts();
    rig.walk(at(2026, 12, 8, 23, 59, 58), at(2026, 12, 9, 0, 0, 3), 250);
    EXPECT_EQ(counts(), before);
    rig.walk(at(2026, 12, 9, 0, 59, 59), at(2026, 12, 9, 1, 0, 1), 250);  // the next boundary rolls as usual
    EXPECT_EQ(counts().second, before.second + 1);
}

TEST(KwhBoundaries, RestartKeepsTheHourButRecordsNoMissedBoundary) {
    Rig rig(at(2026, 12, 7, 13, 20, 0));
    rig.minute(".4");
    rig.clock.set(at(2026, 12, 7, 13, 30, 0));
    rig.restart();  // in the middle of the hour
    rig.minute(".1");
    rig.walk(at(2026, 12, 7, 13, 59, 59), at(2026, 12, 7, 14, 0, 1), 500);
    EXPECT_EQ(rig.last(files::KWHhr), (Pair{"12/7/2026  2:00:00 PM", "0.50"}));

    rig.minute(".2");
    rig.clock.set(at(2026, 12, 7, 16, 30, 0));
    rig.restart();  // not running at 3 PM and 4 PM
    rig.walk(at(2026, 12, 7, 16, 30, 0), at(2026, 12, 7, 17, 0, 1), 60000);
    EXPECT_EQ(rig.last(files::KWHhr, 1).stamp, "12/7/2026  2:00:00 PM");
    EXPECT_EQ(rig.last(files::KWHhr), (Pair{"12/7/2026  5:00:00 PM", "0.20"}));
}

// At midnight the records of the period that ended are summed into its log.
// Older records of 5 or 100 show a sum over too many records; one over too
// few falls short. The minute of 2 KWH ends the period.
TEST(PeriodRollover, SumsTheRecordsOfThePeriodThatEnded) {
    const struct { const char* what; QDateTime midnight; Qt::DayOfWeek first; QString file, older; QStringList newest;
                   QString log, logged; } cases[] = {
        {"day", at(2026, 12, 9, 0, 0, 0), Qt::Monday, files::KWHhr, "5", QStringList(23, "1"), files::KWHDays, "25.00"},
        {"Sunday week", at(2026, 12, 13, 0, 0, 0), Qt::Sunday, files::KWHday, "100", {"1", "2", "3", "4", "5", "6"},
         files::KWHWeeks, "23."},
        {"January", at(2027, 2, 1, 0, 0, 0), Qt::Monday, files::KWHday, "100", QStringList(30, "1"), files::KWHMonths,
         "32."},
        {"leap February", at(2028, 3, 1, 0, 0, 0), Qt::Monday, files::KWHday, "100", QStringList(28, "1"),
         files::KWHMonths, "30."},
        {"common February", at(2027, 3, 1, 0, 0, 0), Qt::Monday, files::KWHday, "100", QStringList(27, "1"),
         files::KWHMonths, "29."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Rig rig(c.midnight.addSecs(-10), c.first);
        rig.writeRolling(c.file, c.older, c.newest);
        rig.minute("2");
        rig.shared.Total_KWH_Saved = 321;
        rig.walk(c.midnight.addMSecs(-500), c.midnight.addSecs(1));
        EXPECT_EQ(rig.last(c.log), (Pair{midnightStamp(c.midnight.date()), c.logged}));
        // A new month starts its totals afresh (its pair of total and "0.00": ThreeMonthsLeaveThreePairs).
        const bool month = c.log == files::KWHMonths;
        EXPECT_EQ(rig.shared.Total_KWH_Saved, month ? 0 : 321);
        if (!month) {
            EXPECT_EQ(rig.last(files::KWHweek).value, c.first == Qt::Sunday ? "23.00" : "0");  // no week
        }
    }
}

TEST(MonthRollover, ThreeMonthsLeaveThreePairs) {
    Rig rig(at(2027, 1, 31, 23, 0, 0));
    const QDateTime firsts[] = {at(2027, 2, 1, 0, 0, 0), at(2027, 3, 1, 0, 0, 0), at(2027, 4, 1, 0, 0, 0)};
    for (const QDateTime& first : firsts) {
        rig.minute("3");
        rig.walk(first.addSecs(-1), first.addSecs(1), 250);
    }
    const auto month = rig.records(files::KWHMonth);
    const auto logged = rig.records(files::KWHMonths);
    for (int i = 0; i < 3; ++i) {
        const QString stamp = midnightStamp(firsts[i].date());
        EXPECT_EQ(month[54 + 2 * i], (Pair{stamp, logged[logged.size() - 3 + i].value + "00"}));
        EXPECT_EQ(month[55 + 2 * i], (Pair{stamp, "0.00"}));
    }
}

// 1 January 2029 is a Monday, the first day of the week: all five periods roll in one tick, each once.
TEST(YearRollover, AllFiveRollOnceAtMidnightOf31December) {
    QStringList months;  // eleven earlier months of 10 KWH, each with its zero record
    for (int i = 0; i < 11; ++i) months << "10" << "0";
    const QStringList logs = {files::KWHHours, files::KWHDays, files::KWHWeeks, files::KWHMonths, files::KWHyears};
    const QString stamp = "1/1/2029  12:00:00 AM";
    const struct { QString dayOlder, dayNewest, monthOlder; QStringList monthNewest; const char* minute;
                   QStringList logged; } cases[] = {
        // Weeks: six days of 1 and the last day's 2; months: 30 days of 1 and 2; years: 11 months of 10 and December.
        {"1", "1", "1000", months, "2", {"2.00", "2.00", "8.", "32.", "142"}},
        {"0", "1234.567", "0", {}, "0", {"0.00", "0.00", "1234.57", "1234.57", "1235"}},
        {"0", "0", "0", {}, "0", {"0.00", "0.00", ".", ".", ""}},  // zero totals
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.dayNewest.toStdString());
        Rig rig(at(2028, 12, 31, 23, 59, 0));
        rig.writeRolling(files::KWHday, c.dayOlder, {c.dayNewest});
        rig.writeRolling(files::KWHMonth, c.monthOlder, c.monthNewest);
        rig.minute(c.minute);
        QList<qsizetype> counts;
        for (const QString& log : logs) counts << rig.records(log).size() + 1;
        rig.walk(at(2028, 12, 31, 23, 59, 59), at(2029, 1, 1, 0, 0, 2), 50);
        for (const QString& log : logs) EXPECT_EQ(rig.records(log).size(), counts.takeFirst()) << log.toStdString();
        EXPECT_EQ(rig.rewritten, (QStringList{files::KWHhr, files::KWHday, files::KWHweek, files::KWHMonth,
                                          files::KWHMonth, files::KWHyear, files::KWHyear}));
        for (int i = 0; i < logs.size(); ++i)
            EXPECT_EQ(rig.last(logs[i]), (Pair{i ? stamp : QString("01/01/29 12:00:00 AM"), c.logged[i]}));
        EXPECT_EQ(rig.last(files::KWHyear), (Pair{stamp, "0.00"}));
    }
}

// A short rolling file is filled to 60 with zeros in front; one that cannot be
// read skips its rollover, and the program goes on.
TEST(RollKwhFile, ShortFileIsRewrittenWith60AndAnUnreadableOneIsSkipped) {
    Rig rig(at(2026, 12, 8, 23, 59, 0));
    rig.tmp.dir().writeWhole(files::KWHhr, "\"12/8/2026  9:00:00 PM\",\"4.00\"\r\n");
    QFile::remove(rig.tmp.dir().filePath(files::KWHday));
    ASSERT_TRUE(QDir(rig.tmp.path()).mkdir(files::KWHday));  // exists, cannot be read
    rig.minute("1");
    rig.walk(at(2026, 12, 8, 23, 59, 59), at(2026, 12, 9, 0, 0, 1));
    const auto hourly = rig.records(files::KWHhr);
    ASSERT_EQ(hourly.size(), 60);
    EXPECT_EQ(hourly.first(), (Pair{"12/8/2026  9:00:00 PM", "0"}));
    EXPECT_EQ(rig.last(files::KWHDays).value, "5.00");  // the day (4 + 1) is still logged
    rig.walk(at(2026, 12, 9, 0, 59, 59), at(2026, 12, 9, 1, 0, 1));
    EXPECT_EQ(rig.last(files::KWHhr).stamp, "12/9/2026  1:00:00 AM");
}
