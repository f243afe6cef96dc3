#include "energy/daterange.h"
#include "energy/priceentry.h"
#include "energy/kwhdates.h"
#include "energy/kwhgraph.h"
#include "model/datafiles.h"
#include "model/fieldmodel.h"
#include "model/sharedstate.h"
#include "support/fakes.h"

#include <gtest/gtest.h>

using namespace kelvora;
using kelvora::testing::TempDataDir;

namespace {

struct Calc {
    Calc() { shared.Cost_per_KWH = 0.1; }
    // Daily records stamped at the midnights from `first` on, one a day,
    // leaving out every `gap`-th day when gap > 0.
    void writeDays(QDate first, int days, const QString& value, int gap = 0) {
        QList<Record> lines;
        for (int i = 0; i < days; ++i)
            if (gap == 0 || i % gap != gap - 1)
                lines << Record{Field::Text(midnightStamp(first.addDays(i))), Field::Text(value)};
        tmp.dir().writeRecords(files::KWHDays, lines);
    }
    QString t(int i) const { return fields.text(arrayName("Text1", i)); }

    TempDataDir tmp;
    ManualClock clock{QDateTime(QDate(2026, 12, 5), QTime(14, 3, 0))};
    SharedState shared;
    FieldModel fields;
    DateRangeCalculator calc{shared, fields, tmp.dir(), clock};
};

}  // namespace

TEST(DateRange, SumsTheDailyRecordsAndAveragesByTheirCount) {
    const struct { int gap; QString records, total, perDay, perHour, cost, costPerDay, costPerHour; } cases[] = {
        {0, "40", "96.0", "2.4", ".1", "$9.6", "$.2", "$0.0"},
        {4, "30", "72.0", "2.4", ".1", "$7.2", "$.2", "$0.0"},  // every fourth day missing
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.gap);
        Calc k;
        k.writeDays(QDate(2026, 10, 1), 50, "2.4", c.gap);
        k.calc.CMD_Chk_Click(QDate(2026, 10, 1), QDate(2026, 11, 9));  // 40 days
        EXPECT_EQ(k.t(0), "10/1/2026");
        EXPECT_EQ(k.t(1), "11/9/2026");
        EXPECT_EQ(k.t(9), "40");
        EXPECT_EQ(k.t(10), c.records);
        const QString shown[] = {k.t(2), k.t(3), k.t(4), k.t(5), k.t(6), k.t(7), k.t(8)};
        const QString expected[] = {c.total, c.perDay, c.perHour, c.cost, c.costPerDay, c.costPerHour, "$0.1000"};
        for (int i = 0; i < 7; ++i) EXPECT_EQ(shown[i], expected[i]) << "Text1(" << i + 2 << ")";
    }
}

TEST(DateRange, NoResultWithoutARecordAfterTheEndAndNoDataOnlyBeforeAnyResult) {
    Calc k;
    k.writeDays(QDate(2026, 10, 1), 40, "1");  // the last record is dated 11/9/2026
    k.calc.CMD_Chk_Click(QDate(2026, 10, 1), QDate(2026, 11, 9));
    EXPECT_EQ(k.t(2), "no data");
    EXPECT_EQ(k.t(4), "no data");

    Calc shownBefore;
    shownBefore.writeDays(QDate(2026, 10, 1), 40, "1");
    shownBefore.calc.CMD_Chk_Click(QDate(2026, 10, 1), QDate(2026, 11, 1));
    EXPECT_EQ(shownBefore.t(2), "32.0");
    shownBefore.calc.CMD_Chk_Click(QDate(2026, 9, 1), QDate(2026, 11, 1));  // no record for the start
    EXPECT_EQ(shownBefore.t(2), "32.0");
}

TEST(DateRange, CalendarRulesForFutureShortAndSameDates) {
    Calc k;
    const QDate today(2026, 12, 5), start(2026, 11, 1);
    k.calc.Calendar_Start_Click(today.addDays(1));
    EXPECT_EQ(k.t(0), "No Data-Future");
    EXPECT_EQ(k.t(9), "???");
    EXPECT_EQ(k.t(10), "");
    k.calc.Calendar_Start_Click(today);
    EXPECT_EQ(k.t(0), "12/5/2026");

    const struct { QDate end; QString shown, days; bool getData; } ends[] = {
        {today.addDays(1), "No Data-Future", "???", true},
        {start, "Same as Start", "1", true},
        {start.addDays(28), "<30 days", "29", false},
        {start.addDays(29), "11/30/2026", "30", true},
    };
    for (const auto& e : ends) {
        k.fields.setEnabled("CMD_GetKWHData", true);
        k.calc.Calendar_End_Click(start, e.end);
        EXPECT_EQ(k.t(1), e.shown);
        EXPECT_EQ(k.t(9), e.days);
        EXPECT_EQ(k.fields.isEnabled("CMD_GetKWHData"), e.getData) << e.shown.toStdString();
    }
    // "Get Data" with an end that has not passed yet only counts the days.
    k.fields.setText("Text1(1)", "kept");
    k.calc.CMD_Chk_Click(start, today.addDays(3));
    EXPECT_EQ(k.t(9), "38");
    EXPECT_EQ(k.t(1), "kept");
    EXPECT_EQ(k.t(2), "Monthly");
}

TEST(PriceEntry, OnlyAPositiveNumberChangesAndSavesThePrice) {
    const struct { const char* answer; double price; QString shown; } cases[] = {
        {"0", 0.0585, "0.0585"}, {"-0.07", 0.0585, "0.0585"}, {"abc", 0.0585, "0.0585"},
        {"0.07x", 0.0585, "0.0585"}, {"", 0.0585, "0.0585"}, {" 0.07 ", 0.07, "0.0700"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.answer);
        TempDataDir tmp;
        SharedState shared;
        FieldModel fields;
        shared.Cost_per_KWH = 0.0585;
        shared.Total_KWH_Saved = 123.45;
        shared.Total_Cost_Saved = 7.226;
        beginPriceEntry(fields);
        EXPECT_EQ(fields.color("Text100(7)"), QColor(255, 255, 0));
        EXPECT_EQ(endPriceEntry(QString::fromLatin1(c.answer), shared, fields, tmp.dir()), c.price != 0.0585);
        EXPECT_EQ(shared.Cost_per_KWH, c.price);
        EXPECT_EQ(fields.text("Text100(7)"), c.shown);
        EXPECT_EQ(fields.color("Text100(7)"), QColor(224, 224, 224));
        EXPECT_EQ(tmp.contents(files::KWH_last_data),
                  c.price == 0.0585 ? QByteArray() : QByteArray("\"123.5\",\"7.23\",\"0.0700\"\r\n"));
    }
}

TEST(KwhGraph, BarLabelsFollowTheStampOfTheirRecord) {
    const struct { int period; const char* stamp; QString label; } cases[] = {
        {1, "12/7/2026  2:00:00 PM", "Mon 7 2:00 PM"}, {2, "12/7/2026  12:00:00 AM", "Mon Dec 7"},
        {3, "12/7/2026  12:00:00 AM", "Dec 7"},        {4, "9/1/2026  12:00:00 AM", "SEPT"},
        {5, "1/1/2029  12:00:00 AM", "2029"},          {2, "not a stamp", "not a stamp"},
    };
    for (const auto& c : cases) EXPECT_EQ(kwhBarLabel(c.period, QString::fromLatin1(c.stamp)), c.label) << c.stamp;
}
