#include "measure/measurement.h"
#include "model/savedtotals.h"

#include "model/fieldmodel.h"
#include "model/sharedstate.h"
#include "common/clock.h"
#include "common/records.h"
#include "support/fakes.h"

#include <QDir>
#include <gtest/gtest.h>


namespace {

using namespace kelvora;

QString t100(int i) { return arrayName("Text100", i); }
QString t4(int i) { return arrayName("Text4", i); }
QString l40(int i) { return arrayName("Label40", i); }
QByteArray quoted(const char* text) { return QByteArray("\"") + text + "\"\r\n"; }

// One Measurement with everything it works on.
struct Rig {
    kelvora::testing::TempDataDir tmp;
    DataDir dir = tmp.dir();
    SharedState state;
    FieldModel fields;
    ManualClock clock;
    Measurement m{state, fields, dir, clock};

    // The texts the decoder shows for a first reading, or the group means.
    void show(const QString& vac, const QString& a, const QString& b) {
        fields.setText(t100(2), vac), fields.setText(t100(3), a), fields.setText(t100(4), b);
    }
    void averages(double v, double a, double b) { state.VAC_Avg = v, state.A_AMPS_Avg = a, state.B_AMPS_Avg = b; }
    void powerSample(double v, double a, double b) {
        state.VAC_Reading = v, state.A_AMPS_Reading = a, state.B_AMPS_Reading = b;
        m.Calc_Real_Power();
    }
    void minute() { m.KW_Update(), m.KW_Minute_Update(); }
    QByteArray file(const QString& name) const { return tmp.contents(name); }
    void expectTexts(std::initializer_list<std::pair<QString, const char*>> texts) const {
        for (const auto& [name, text] : texts) EXPECT_EQ(fields.text(name), QString::fromLatin1(text)) << qPrintable(name);
    }
};

class MeasurementTest : public ::testing::Test, protected Rig {};

TEST_F(MeasurementTest, AveragingShowsGroupMeansCountsReadingsAndRaisesTheMinuteFlag) {
    QStringList label6Changes;
    QObject::connect(&fields, &FieldModel::textChanged, [&](const QString& name, const QString& text) {
        if (name == QStringLiteral("Label6")) label6Changes << text;
    });
    const char* groupMeans[] = {"120.0", "11.0", "6.0"};
    QList<int> flagged;
    for (int i = 0; i < 65; ++i) {
        SCOPED_TRACE(i + 1);
        m.Process_VAC_Reading(120), m.Process_A_AMPS_Reading(i % 5 == 4 ? 15 : 10), m.Process_B_AMPS_Reading(6);
        for (int ch = 0; ch < 3; ++ch)
            EXPECT_EQ(fields.text(t100(ch + 2)), i < 4 ? FieldModel::designText(t100(ch + 2)) : groupMeans[ch]);
        EXPECT_EQ(fields.text(QStringLiteral("Label4")), QString::number(i % 5 + 1));  // shown five readings each
        EXPECT_EQ(fields.text(QStringLiteral("Label5")), QString::number(i / 5 % 6));
        if (state.Minute_Flag == 1) flagged.push_back(i + 1);
        state.Minute_Flag = 0, clock.advanceMs(2000);
    }
    EXPECT_EQ(flagged, (QList<int>{30, 60}));
    EXPECT_EQ(label6Changes, (QStringList{"2:03:00 PM", "2:04:00 PM", "2:05:00 PM"}));
}

TEST_F(MeasurementTest, PowerWindowAndPowerFactorReset) {
    for (int i = 0; i < 5; ++i) powerSample(120, 4, 6);
    // Real power, RMS voltage, RMS current, apparent power, power factor, samples.
    expectTexts({{t4(4), "1,200.0"}, {t4(12), "10.0"}, {t4(14), "1.00"}, {l40(2), "5"}});
    powerSample(120, 10, 0);
    EXPECT_EQ(fields.text(l40(2)), QStringLiteral("1"));
    powerSample(120, 0, 0);  // the window's values come from its samples so far
    expectTexts({{t4(13), "848.5"}, {l40(0), "1.00"}, {l40(1), "0.71"}});
    m.resetPowerFactor(), powerSample(120, 0, 0);
    expectTexts({{l40(2), "3"}, {l40(1), "0.58"}});
    // A power factor at or below zero is never the lowest (from a fresh window).
    powerSample(120, 4, 6), powerSample(120, 4, 6);
    const struct { double a; const char *apparent, *pf; } cases[] = {{0, "1.0", "0.00"}, {-5, "600.0", "-1.00"}};
    for (const auto& c : cases) {
        m.resetPowerFactor();
        for (int i = 0; i < 10; ++i) {
            powerSample(120, c.a, 0);
            expectTexts({{t4(13), c.apparent}, {t4(14), c.pf}, {l40(0), "0.00"}, {l40(1), "2.00"}});
        }
        for (int i = 0; i < 5; ++i) powerSample(120, 4, 6);
        EXPECT_EQ(fields.text(t4(14)), QStringLiteral("1.00"));
    }
}

TEST_F(MeasurementTest, KwUpdateFromTheShownTexts) {
    const struct { const char *vac, *a, *b, *amps, *kw, *meterStart; double curKw; } cases[] = {
        {nullptr, nullptr, nullptr, "0.0", "0.0", "0,0,0,0,0,0,", 0},  // design texts count as 0
        {"120", "-2.5", "0", "-2.5", "-0.3", "-1,-3,120,-0.3,-2.5,120,", -0.3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.meterStart);
        if (c.vac) show(QString::fromLatin1(c.vac), QString::fromLatin1(c.a), QString::fromLatin1(c.b));
        // Readings arrive, but no group completes in this test: the shown first readings count.
        m.Process_VAC_Reading(999), m.Process_A_AMPS_Reading(999), m.Process_B_AMPS_Reading(999);
        m.KW_Update();
        expectTexts({{t100(0), c.amps}, {t100(1), c.kw}});
        EXPECT_NEAR(state.Cur_KW, c.curKw, 1e-12);
        EXPECT_EQ(file(files::MeterKWS), c.meterStart + QByteArray("\"HAVG\",\"$HAVG\",\"DAVG\",\"$DAVG\"\r\n"));
    }
    // A quote or line end in a shown text cannot split the record.
    fields.setText(t100(13), QStringLiteral("1\"2\r\n")), m.KW_Update();
    EXPECT_EQ(readFields(file(files::MeterKWS)).value(6), QStringLiteral("12"));
}

TEST_F(MeasurementTest, MinuteEnergyCostAndTotals) {
    // A null price leaves the design price 0.0585.
    const struct { double vac, a, b; const char *price, *kwh; double perKwh; } cases[] = {
        {120, 2, 0, nullptr, ".004", 0.0585}, {240, 200, 200, "0.25", "1.6", 0.25}, {120, 5, 5, "abc", ".02", 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.kwh);
        if (c.price) fields.setText(t100(7), QString::fromLatin1(c.price));
        state.Total_KWH_Saved = 10, state.Total_Cost_Saved = 1, state.Lifetime_KWH = 10;
        averages(c.vac, c.a, c.b), minute();
        const double kwh = c.vac * (c.a + c.b) / 60000;
        EXPECT_EQ(file(files::KWH_1m), quoted(c.kwh));
        EXPECT_NEAR(state.Total_KWH_Saved, 10 + kwh, 1e-12);
        EXPECT_NEAR(state.Total_Cost_Saved, 1 + kwh * c.perKwh, 1e-12);
        EXPECT_NEAR(state.Lifetime_KWH, 10 + kwh, 1e-12);
    }
    averages(-120, 5, 5), minute();  // the lifetime total never goes down
    EXPECT_EQ(state.Lifetime_KWH, 10 + 0.02);
}

TEST_F(MeasurementTest, MinuteMeansOfTheCurrentValues) {
    m.KW_Minute_Update();  // no reading set yet
    EXPECT_EQ(file(files::KW_1m), quoted("0.0"));
    show("100", "10", "0"), m.KW_Update();  // 1.0 KW
    show("100", "15", "5"), m.KW_Update();  // 2.0 KW
    const MinuteRecord minute1 = m.KW_Minute_Update();
    EXPECT_EQ(file(files::KW_1m), quoted("1.5"));
    EXPECT_EQ(file(files::AAMP_1m), quoted("12.5"));
    // The record carries the means in full and the time of the step.
    EXPECT_EQ(std::tuple(minute1.kw, minute1.ampsA, minute1.ampsB, minute1.volts), std::tuple(1.5, 12.5, 2.5, 100.0));
    EXPECT_EQ(minute1.stamp, clock.now());
    show("121.43", "0", "0"), minute();  // the next minute starts from empty sums
    EXPECT_EQ(file(files::VAC_1m), quoted("121.4"));
    EXPECT_EQ(file(files::KW_1m), quoted("0.0"));
}

TEST_F(MeasurementTest, AFileThatCannotBeWrittenLeavesTheOthersAndTheTotals) {
    ASSERT_TRUE(QDir(tmp.path()).mkdir(files::KWH_1m));  // a directory where the file should be
    averages(120, 5, 5), show("120", "10", "0"), minute();
    EXPECT_NEAR(state.Total_KWH_Saved, 0.02, 1e-12);
    const struct { QString file; QByteArray content; } outputs[] = {
        {files::KW_1m, quoted("1.2")}, {files::VAC_1m, quoted("120.0")},
        {files::KWH_last_data, "\"0.0\",\"0.00\",\"0.0585\"\r\n"}};
    for (const auto& o : outputs) EXPECT_EQ(file(o.file), o.content) << o.file.toStdString();
}

}  // namespace

// The lifetime total reads back to the last bit (the record writer's 15
// digits would lose some); a damaged file reads 0 and is kept aside, not lost
// under the next minute's total, and a second damage keeps the first copy.
TEST(LifetimeKwh, FileHoldsTheTotalExactlyAndKeepsDamageAside) {
    kelvora::testing::TempDataDir tmp;
    for (double total : {0.1 + 0.2, 123456.78901234567}) {
        ASSERT_TRUE(writeLifetimeKwh(tmp.dir(), total));
        EXPECT_EQ(readLifetimeKwh(tmp.dir()), total) << tmp.contents(files::KWH_lifetime).constData();
    }
    const std::tuple<const char*, double, const char*> cases[] = {
        {"\"7\"\r\n", 7, nullptr}, {"-3\r\n", 0, ".damaged"}, {"1e999", 0, ".damaged.1"}};
    for (const auto& [content, value, aside] : cases) {
        tmp.dir().writeWhole(files::KWH_lifetime, content);
        EXPECT_EQ(readLifetimeKwh(tmp.dir()), value) << content;
        if (aside) {
            EXPECT_EQ(tmp.contents(files::KWH_lifetime + aside), content);
        }
    }
}
