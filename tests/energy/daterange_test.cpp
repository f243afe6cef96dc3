#include "energy/daterange.h"
#include "energy/priceentry.h"
#include "energy/kwhdates.h"
#include "model/datafiles.h"
#include "model/fieldmodel.h"
#include "model/sharedstate.h"
#include "support/fakes.h"

#include <gtest/gtest.h>

using namespace kelvora;

namespace {

struct Calc {
    // Daily records stamped at the midnights from 10/1/2026 on, leaving out
    // every `gap`-th day when gap > 0.
    explicit Calc(int days = 0, const QString& value = "1", int gap = 0) {
        shared.Cost_per_KWH = 0.1;
        QList<Record> lines;
        for (int i = 0; i < days; ++i)
            if (gap == 0 || i % gap != gap - 1)
                lines << Record{Field::Text(midnightStamp(QDate(2026, 10, 1).addDays(i))), Field::Text(value)};
        if (days > 0) tmp.dir().writeRecords(files::KWHDays, lines);
    }
    QString t(int i) const { return fields.text(arrayName("Text1", i)); }

    kelvora::testing::TempDataDir tmp;
    ManualClock clock{QDateTime(QDate(2026, 12, 5), QTime(14, 3, 0))};
    SharedState shared;
    FieldModel fields;
    DateRangeCalculator calc{shared, fields, tmp.dir(), clock};
};

}  // namespace

// Averages go by the number of records found, not the days of the range. A new data directory's log starts with 60
// records of the day it was set up; they count as one day.
TEST(DateRange, SumsTheDailyRecordsAndAveragesByTheirCount) {
    const struct { int gap; bool setUp; QStringList shown; } cases[] = {
        {0, false, {"10/1/2026", "11/9/2026", "96.0", "2.4", ".1", "$9.6", "$.2", "$0.0", "$0.1000", "40", "40"}},
        {4, false, {"10/1/2026", "11/9/2026", "72.0", "2.4", ".1", "$7.2", "$.2", "$0.0", "$0.1000", "40", "30"}},
        {0, true, {"9/30/2026", "11/8/2026", "93.6", "2.3", ".1", "$9.4", "$.2", "$0.0", "$0.1000", "40", "40"}},
    };
    for (const auto& c : cases) {
        Calc k(50, "2.4", c.gap);
        const QByteArray setUpDay = QByteArray("\"9/30/2026  2:03:00 PM\",\"0\"\r\n").repeated(c.setUp ? 60 : 0);
        k.tmp.dir().writeWhole(files::KWHDays, setUpDay + k.tmp.contents(files::KWHDays));
        k.calc.CMD_Chk_Click(QDate(2026, 10, 1).addDays(-c.setUp), QDate(2026, 11, 9).addDays(-c.setUp));  // 40 days
        QStringList shown;
        for (int i = 0; i <= 10; ++i) shown << k.t(i);
        EXPECT_EQ(shown, c.shown) << c.gap << c.setUp;
    }
}

TEST(DateRange, NoResultWithoutARecordAfterTheEndAndNoDataOnlyBeforeAnyResult) {
    Calc k(40);  // the last record is dated 11/9/2026
    k.calc.CMD_Chk_Click(QDate(2026, 10, 1), QDate(2026, 11, 9));
    EXPECT_EQ((QStringList{k.t(2), k.t(4)}), QStringList(2, "no data"));
    k.calc.CMD_Chk_Click(QDate(2026, 10, 1), QDate(2026, 11, 1));
    EXPECT_EQ(k.t(2), "32.0");
    k.calc.CMD_Chk_Click(QDate(2026, 9, 1), QDate(2026, 11, 1));  // no record for the start
    EXPECT_EQ(k.t(2), "32.0");
}

TEST(DateRange, CalendarRulesForFutureShortAndSameDates) {
    Calc k;
    const QDate today(2026, 12, 5), start(2026, 11, 1);
    k.calc.Calendar_Start_Click(today.addDays(1));
    EXPECT_EQ((QStringList{k.t(0), k.t(9), k.t(10)}), (QStringList{"No Data-Future", "???", ""}));

    const struct { QDate end; QString shown, days; bool getData; } ends[] = {
        {today.addDays(1), "No Data-Future", "???", true},
        {start, "Same as Start", "1", true},
        {start.addDays(28), "<30 days", "29", false},
    };
    for (const auto& e : ends) {
        k.fields.setEnabled("CMD_GetKWHData", true);
        k.calc.Calendar_End_Click(start, e.end);
        EXPECT_EQ((QStringList{k.t(1), k.t(9)}), (QStringList{e.shown, e.days}));
        EXPECT_EQ(k.fields.isEnabled("CMD_GetKWHData"), e.getData) << e.shown.toStdString();
    }
    // "Get Data" with an end that has not passed yet only counts the days.
    k.fields.setText("Text1(1)", "kept");
    k.calc.CMD_Chk_Click(start, today.addDays(3));
    EXPECT_EQ((QStringList{k.t(1), k.t(2), k.t(9)}), (QStringList{"kept", "Monthly", "38"}));
}

TEST(PriceEntry, OnlyAPositiveNumberChangesAndSavesThePrice) {
    for (const char* answer : {"0", "-0.07", "abc", "0.07x", " 0.07 "}) {
        SCOPED_TRACE(answer);
        const bool taken = QByteArray(answer) == " 0.07 ";
        Calc k;
        k.shared.Cost_per_KWH = 0.0585, k.shared.Total_KWH_Saved = 123.45, k.shared.Total_Cost_Saved = 7.226;
        beginPriceEntry(k.fields);
        EXPECT_EQ(endPriceEntry(QString::fromLatin1(answer), k.shared, k.fields, k.tmp.dir()), taken);
        EXPECT_EQ(k.shared.Cost_per_KWH, taken ? 0.07 : 0.0585);
        EXPECT_EQ(k.fields.text("Text100(7)"), taken ? "0.0700" : "0.0585");
        EXPECT_EQ(k.tmp.contents(files::KWH_last_data), taken ? QByteArray("\"123.5\",\"7.23\",\"0.0700\"\r\n") : "");
    }
}

// Prices that change within the range: the costs are those booked each day,
// the price their average; without a tariff file the flat price as before.
TEST(DateRange, WithATariffTheBookedDailyCostsAndTheirAveragePrice) {
    const struct { bool tariff; QStringList shown; } cases[] = {
        {true, {"40.0", "1.0", ".0", "$8.0", "$.2", "$0.0", "$0.2000"}},
        {false, {"40.0", "1.0", ".0", "$4.0", "$.1", "$0.0", "$0.1000"}},
    };
    for (const auto& c : cases) {
        Calc k(50, "1");
        QList<Record> costs;
        for (int i = 0; i < 50; ++i)  // 0.10 a day, 0.30 from 10/21 on
            costs << Record{Field::Text(midnightStamp(QDate(2026, 10, 1).addDays(i))),
                            Field::Text(i < 20 ? "0.10" : "0.30")};
        k.tmp.dir().writeRecords(files::CostDays, costs);
        if (c.tariff) k.tmp.dir().writeWhole(files::Tariffs, "\"2026-10-21\",\"Mon-Sun\",\"00:00\",\"24:00\",\"0.3\"\r\n");
        k.calc.CMD_Chk_Click(QDate(2026, 10, 1), QDate(2026, 11, 9));  // 40 days: 20 at 0.10, 20 at 0.30
        QStringList shown;
        for (int i = 2; i <= 8; ++i) shown << k.t(i);
        EXPECT_EQ(shown, c.shown) << c.tariff;
    }
}
