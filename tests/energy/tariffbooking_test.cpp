#include "support/accountingrig.h"
#include "support/warnings.h"

#include <QFile>
#include <QThread>
#include <functional>
#include <optional>
#include <gtest/gtest.h>

using namespace kelvora;
using kelvora::testing::at;

namespace {

const QByteArray kHousePlan = "\"valid from\",\"days\",\"from\",\"to\",\"price\"\r\n"
                              "\"2026-12-01\",\"Mon-Fri\",\"07:00\",\"23:00\",\"0.30\"\r\n"
                              "\"2026-12-01\",\"Mon-Sun\",\"23:00\",\"07:00\",\"0.12\"\r\n"
                              "\"2026-12-01\",\"Sat,Sun\",\"07:00\",\"23:00\",\"0.12\"\r\n"
                              "\"2026-12-01\",\"daily charge\",\"\",\"\",\"0.45\"\r\n";
const QByteArray kFlatPlan = "\"2026-12-01\",\"Mon-Sun\",\"00:00\",\"24:00\",\"0.50\"\r\n";
const QByteArray kRefused = "\"2026-12-01\",\"Mon-Sat\",\"00:00\",\"24:00\",\"0.99\"\r\n";

// The minute step feeding the accounting. Each step books `kwhPerStep` (the
// bands here change on the hour, so a step of an hour stands for its 60 minutes).
struct House : kelvora::testing::AccountingRig {
    explicit House(const QDateTime& start, double kwhPerStep = 1) : AccountingRig(start) {
        shared.VAC_Avg = 240, shared.A_AMPS_Avg = 250 * kwhPerStep, shared.B_AMPS_Avg = 0;
        acc->CheckKwhBoundaries();
    }
    void writeTariff(const QByteArray& content) { ASSERT_TRUE(dir.writeWhole(files::Tariffs, content)); }
    // `count` minute steps, `minutesApart`.
    void steps(int count, int minutesApart) {
        for (int i = 0; i < count; ++i) {
            acc->CheckKwhBoundaries();
            acc->KwhMinuteStep(measurement.KW_Minute_Update());
            clock.advanceMs(minutesApart * 60'000);
        }
        acc->CheckKwhBoundaries();
    }
    QString lastRecord(const QString& log) const { return last(log).stamp + " " + last(log).value; }
};

}  // namespace

// A whole week, Monday to Sunday, at 1 KWH a minute: nights 7 x 480 minutes
// at 0.12, weekdays 5 x 960 at 0.30, the weekend days 2 x 960 at 0.12, and
// seven daily charges of 0.45: 403.20 + 1440.00 + 230.40 + 3.15 = 2076.75.
TEST(TariffBooking, AWeekOfMinutesCostsWhatTheBandsSay) {
    House house(at(2026, 12, 7, 0, 30), 60);
    house.writeTariff(kHousePlan);
    house.book.load();
    house.steps(7 * 24, 60);
    EXPECT_EQ(house.lastRecord(files::CostWeeks), "12/14/2026  12:00:00 AM 2076.75");
    // Monday: 420 + 60 night minutes, 960 day minutes; Sunday all at 0.12.
    EXPECT_EQ(house.values(files::CostDays),
              QStringList({"346.05", "346.05", "346.05", "346.05", "346.05", "173.25", "173.25"}));
    EXPECT_EQ(house.values(files::CostHours).mid(6, 2), QStringList({"7.20", "18.00"}));  // 06:00 and 07:00 hours
    EXPECT_NEAR(house.shared.Total_Cost_Saved, 2076.75, 1e-9);
    EXPECT_EQ(readFields(house.tmp.contents(files::KWH_last_data)).value(2), "0.1200");
}

// Without a tariff file the cost logs go at the flat price. A new tariff
// prices the minutes after it; the costs booked before stay, and a refused
// file changes nothing.
TEST(TariffBooking, ReplacingTheTariffLeavesBookedCosts) {
    House house(at(2026, 12, 7, 22, 30), 60);
    house.book.load();
    house.steps(3, 60);
    EXPECT_EQ(house.values(files::CostHours), QStringList({"6.00", "6.00", "6.00"}));
    EXPECT_EQ(house.lastRecord(files::CostDays), "12/8/2026  12:00:00 AM 12.00");
    house.writeTariff(kHousePlan);
    EXPECT_TRUE(house.book.reload());
    house.steps(1, 60);  // Tuesday 1:30 AM, in the night band
    house.writeTariff(kFlatPlan);
    EXPECT_TRUE(house.book.reload());
    house.steps(1, 60);
    {
        kelvora::testing::CapturedWarnings warnings;
        house.writeTariff(kRefused);
        EXPECT_FALSE(house.book.reload());
        EXPECT_TRUE(warnings.contains("Tariffs.dat line 1: the plan from 2026-12-01 leaves Sun 00:00"));
    }
    house.steps(1, 60);
    EXPECT_EQ(house.values(files::CostHours).mid(3), QStringList({"7.20", "30.00", "30.00"}));
    EXPECT_NEAR(house.shared.Total_Cost_Saved, 85.2, 1e-9);
    EXPECT_NEAR(house.periods[KwhPeriod::Day].cost, 73.2, 1e-9);
}

// The day's charge goes into the day ending, its week, month and year and the
// month-to-date cost, at the rollover that ends the day, once.
TEST(TariffBooking, DailyChargeIsBookedOnceWhenTheDayEnds) {
    House house(at(2026, 11, 30, 23, 59, 30));  // the last day of the month
    house.writeTariff("\"2026-11-01\",\"Mon-Sun\",\"00:00\",\"24:00\",\"0\"\r\n"
                      "\"2026-11-01\",\"daily charge\",\"\",\"\",\"0.45\"\r\n"
                      "\"2026-12-01\",\"Mon-Sun\",\"00:00\",\"24:00\",\"0\"\r\n"
                      "\"2026-12-01\",\"daily charge\",\"\",\"\",\"0.60\"\r\n");
    house.book.load();
    house.steps(2, 1);
    EXPECT_EQ(house.lastRecord(files::CostDays), "12/1/2026  12:00:00 AM 0.45");
    EXPECT_EQ(house.lastRecord(files::CostMonths), "12/1/2026  12:00:00 AM 0.45");
    EXPECT_EQ(house.periods[KwhPeriod::Week].cost, 0.45);  // the week of Monday 30 November goes on
    EXPECT_EQ(house.periods[KwhPeriod::Year].cost, 0.45);
    EXPECT_EQ(house.periods[KwhPeriod::Day].cost, 0);
    EXPECT_EQ(house.shared.Total_Cost_Saved, 0);  // the new month starts from nothing
    house.clock.set(at(2026, 12, 2, 0, 0, 10));
    house.steps(1, 1);
    EXPECT_EQ(house.lastRecord(files::CostDays), "12/2/2026  12:00:00 AM 0.60");
    EXPECT_EQ(house.shared.Total_Cost_Saved, 0.60);
    EXPECT_DOUBLE_EQ(house.periods[KwhPeriod::Week].cost, 1.05);
}

// A refused file at start keeps the tariff last accepted; no file at all
// means the flat price.
TEST(TariffBook, RefusedFileAtStartKeepsTheAcceptedCopy) {
    kelvora::testing::TempDataDir tmp;
    ASSERT_TRUE(tmp.dir().writeWhole(files::Tariffs, kHousePlan));
    {
        TariffBook first(tmp.dir());
        first.load();
        ASSERT_TRUE(first.tariff());
    }
    EXPECT_EQ(tmp.contents(files::TariffsAccepted), kHousePlan);
    ASSERT_TRUE(tmp.dir().writeWhole(files::Tariffs, kRefused));
    TariffBook book(tmp.dir());
    book.load();
    EXPECT_EQ(book.priceAt(at(2026, 12, 8, 12, 0)), 0.30);
    EXPECT_EQ(book.faults().size(), 1);
    EXPECT_EQ(tmp.contents(files::TariffsAccepted), kHousePlan);
    ASSERT_TRUE(QFile::remove(tmp.dir().filePath(files::Tariffs)));
    EXPECT_TRUE(book.reload());
    EXPECT_FALSE(book.priceAt(at(2026, 12, 8, 12, 0)));
    EXPECT_EQ(book.dailyCharge(QDate(2026, 12, 8)), 0);
}

// Once a second the book looks at the file: whatever an editor or a person
// does to it is read at the next look, and a look at an unchanged file
// reads nothing.
TEST(TariffBook, FollowsWhatIsDoneToTheFileOnTheDisk) {
    kelvora::testing::TempDataDir tmp;
    const QString path = tmp.dir().filePath(files::Tariffs);
    const auto writeInPlace = [&](const QByteArray& content) {
        QThread::msleep(20);  // past the file system's clock tick, as any two saves by hand are
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(content);
    };
    QByteArray dearer = kHousePlan;
    dearer.replace("0.30", "0.31");  // the same size
    const struct {
        const char* what;
        std::function<void()> act;
        std::optional<double> weekdayPrice;  // at noon on a Tuesday
        int changes;                         // tariffChanged signals
    } steps[] = {
        {"nothing there", [] {}, std::nullopt, 0},
        {"created", [&] { writeInPlace(kHousePlan); }, 0.30, 1},
        {"looked at again", [] {}, 0.30, 0},
        {"rewritten at the same size", [&] { writeInPlace(dearer); }, 0.31, 1},
        {"saved again unchanged", [&] { writeInPlace(dearer); }, 0.31, 0},
        {"replaced by rename", [&] { ASSERT_TRUE(tmp.dir().writeWhole(files::Tariffs, kFlatPlan)); }, 0.50, 1},
        {"refused", [&] { writeInPlace(kRefused); }, 0.50, 0},
        {"removed", [&] { ASSERT_TRUE(QFile::remove(path)); }, std::nullopt, 1},
    };
    TariffBook book(tmp.dir());
    book.load();
    int changes = 0;
    QObject::connect(&book, &TariffBook::tariffChanged, [&] { ++changes; });
    kelvora::testing::CapturedWarnings warnings;
    for (const auto& step : steps) {
        SCOPED_TRACE(step.what);
        changes = 0;
        step.act();
        book.followFile();
        EXPECT_EQ(book.priceAt(at(2026, 12, 8, 12, 0)), step.weekdayPrice);
        EXPECT_EQ(changes, step.changes);
    }
    EXPECT_TRUE(warnings.contains("Tariffs.dat refused: the tariff in force stays"));
}
