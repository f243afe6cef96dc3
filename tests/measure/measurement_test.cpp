#include "measure/measurement.h"

#include "app/fieldmodel.h"
#include "app/sharedstate.h"
#include "common/clock.h"
#include "common/numeric.h"
#include "common/records.h"
#include "common/timestamp.h"
#include "support/fakes.h"

#include <QDir>
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <limits>
#include <vector>

namespace {

using namespace kelvora;
namespace files = kelvora::measure_files;

QString t100(int i) { return arrayName("Text100", i); }
QString t4(int i) { return arrayName("Text4", i); }
QString l40(int i) { return arrayName("Label40", i); }

// One quoted field on one line, as the one-minute files hold it.
QByteArray quotedLine(const char* text) { return QByteArray("\"") + text + "\"\r\n"; }

class MeasurementTest : public ::testing::Test {
protected:
    kelvora::testing::TempDataDir tmp;
    DataDir dir = tmp.dir();
    SharedState state;
    FieldModel fields;
    ManualClock clock;
    Measurement m{state, fields, dir, clock};

    // Shows what the Part that decodes a message shows for its first reading.
    void showAsDecoder(const QString& vac, const QString& a, const QString& b) {
        fields.setText(t100(2), vac);
        fields.setText(t100(3), a);
        fields.setText(t100(4), b);
    }

    // What the Timer2 tick does with one decoded reading set.
    void readingSet(double vac, double a, double b) {
        state.VAC_Reading = vac;
        state.A_AMPS_Reading = a;
        state.B_AMPS_Reading = b;
        m.Process_VAC_Reading(vac);
        m.Process_A_AMPS_Reading(a);
        m.Process_B_AMPS_Reading(b);
        m.KW_Update();
        if (state.Minute_Flag == 1) {
            m.KW_Minute_Update();
            state.Minute_Flag = 0;
        }
    }

    // The power window on one sample of the shared readings.
    void powerSample(double vac, double a, double b) {
        state.VAC_Reading = vac;
        state.A_AMPS_Reading = a;
        state.B_AMPS_Reading = b;
        m.Calc_Real_Power();
    }

    QByteArray file(const QString& name) const { return tmp.contents(name); }
};

// ---- channel averaging -------------------------------------------------

struct ChannelCase {
    const char* name;
    void (Measurement::*process)(double);
    int textIndex;
    double SharedState::*average;
};

const ChannelCase kChannels[] = {
    {"voltage", &Measurement::Process_VAC_Reading, 2, &SharedState::VAC_Avg},
    {"phase A", &Measurement::Process_A_AMPS_Reading, 3, &SharedState::A_AMPS_Avg},
    {"phase B", &Measurement::Process_B_AMPS_Reading, 4, &SharedState::B_AMPS_Avg},
};

TEST_F(MeasurementTest, GroupMeanIsShownOnlyOnTheFifthReading) {
    for (const auto& c : kChannels) {
        SCOPED_TRACE(c.name);
        const QString design = FieldModel::designText(t100(c.textIndex));
        const double readings[] = {10, 10, 10, 10, 15};
        for (int i = 0; i < 4; ++i) {
            (m.*c.process)(readings[i]);
            EXPECT_EQ(fields.text(t100(c.textIndex)), design) << "reading " << i + 1;
        }
        (m.*c.process)(readings[4]);
        EXPECT_EQ(fields.text(t100(c.textIndex)), QStringLiteral("11.0"));
    }
}

TEST_F(MeasurementTest, CycleAverageAfterThirtyReadingsOnly) {
    for (const auto& c : kChannels) {
        SCOPED_TRACE(c.name);
        double sum = 0;
        for (int i = 1; i <= 29; ++i) {
            (m.*c.process)(100 + i);
            sum += 100 + i;
        }
        EXPECT_EQ(state.*c.average, 0);
        (m.*c.process)(130);
        sum += 130;
        EXPECT_NEAR(state.*c.average, sum / 30, 1e-9);
        for (int i = 0; i < 29; ++i) (m.*c.process)(1);
        EXPECT_NEAR(state.*c.average, sum / 30, 1e-9) << "kept until the next cycle completes";
    }
}

TEST_F(MeasurementTest, PhaseBLabelsCountReadingsAndGroups) {
    for (int i = 0; i < 35; ++i) {
        m.Process_B_AMPS_Reading(5);
        EXPECT_EQ(fields.text(QStringLiteral("Label4")), QString::number(i % 5 + 1)) << "reading " << i + 1;
        EXPECT_EQ(fields.text(QStringLiteral("Label5")), QString::number((i / 5) % 6)) << "reading " << i + 1;
    }
}

TEST_F(MeasurementTest, Label6ShowsTheStartOfEachCycle) {
    QStringList label6Changes;
    QObject::connect(&fields, &FieldModel::textChanged, [&](const QString& name, const QString& text) {
        if (name == QStringLiteral("Label6")) label6Changes << text;
    });
    QString firstOfCycle;
    for (int i = 0; i < 65; ++i) {
        if (i % 30 == 0) firstOfCycle = stampTime(clock.now().time());
        m.Process_B_AMPS_Reading(5);
        EXPECT_EQ(fields.text(QStringLiteral("Label6")), firstOfCycle) << "reading " << i + 1;
        clock.advanceMs(2000);
    }
    // Readings 1, 31 and 61 start cycles; two seconds apart, each start has its own time.
    EXPECT_EQ(label6Changes.size(), 3);
    EXPECT_EQ(label6Changes.value(0), QStringLiteral("2:03:00 PM"));
    EXPECT_EQ(label6Changes.value(1), QStringLiteral("2:04:00 PM"));
    EXPECT_EQ(label6Changes.value(2), QStringLiteral("2:05:00 PM"));
}

TEST_F(MeasurementTest, MinuteFlagOnEveryThirtiethPhaseBReadingOnly) {
    std::vector<int> raisedOn;
    for (int i = 1; i <= 75; ++i) {
        m.Process_VAC_Reading(120);
        m.Process_A_AMPS_Reading(5);
        m.Process_B_AMPS_Reading(5);
        if (state.Minute_Flag == 1) {
            raisedOn.push_back(i);
            state.Minute_Flag = 0;  // as the Timer2 tick does
        }
    }
    EXPECT_EQ(raisedOn, (std::vector<int>{30, 60}));
    EXPECT_NEAR(state.VAC_Avg, 120, 1e-9);
    EXPECT_NEAR(state.A_AMPS_Avg, 5, 1e-9);
    EXPECT_NEAR(state.B_AMPS_Avg, 5, 1e-9);
}

// ---- power window ------------------------------------------------------

TEST_F(MeasurementTest, FiveSamplesOfSteadyPower) {
    for (int i = 0; i < 5; ++i) powerSample(120, 4, 6);
    const struct {
        QString field;
        const char* shown;
    } expected[] = {
        {t4(0), "120.0"},      {t4(1), "10.0"},      {t4(2), "1,200.0"},  {t4(3), "6,000.0"},
        {t4(4), "1,200.0"},    {t4(5), "14,400.0"},  {t4(6), "72,000.0"}, {t4(7), "14,400.0"},
        {t4(8), "120.0"},      {t4(9), "100.0"},     {t4(10), "500.0"},   {t4(11), "100.0"},
        {t4(12), "10.0"},      {t4(13), "1,200.0"},  {t4(14), "1.00"},    {l40(0), "1.00"},
        {l40(1), "1.00"},      {l40(2), "5"},
    };
    for (const auto& e : expected) EXPECT_EQ(fields.text(e.field), QString::fromLatin1(e.shown)) << qPrintable(e.field);

    // The window closed: the next sample starts a new one.
    powerSample(120, 4, 6);
    EXPECT_EQ(fields.text(l40(2)), QStringLiteral("1"));
    EXPECT_EQ(fields.text(t4(3)), QStringLiteral("1,200.0"));
    EXPECT_EQ(fields.text(t4(4)), QStringLiteral("1,200.0")) << "after one sample the real power is that sample's power";
}

TEST_F(MeasurementTest, WindowValuesAreRecomputedFromTheSamplesSoFar) {
    powerSample(120, 10, 0);
    powerSample(120, 0, 0);
    // Real power 600 W, RMS current sqrt(50) A, apparent power 848.5 VA.
    EXPECT_NEAR(m.power().Real_Power, 600, 1e-9);
    EXPECT_NEAR(m.power().RMS_Current, std::sqrt(50.0), 1e-9);
    EXPECT_EQ(fields.text(t4(13)), QStringLiteral("848.5"));
    EXPECT_EQ(fields.text(t4(14)), QStringLiteral("0.71"));
    EXPECT_EQ(fields.text(l40(0)), QStringLiteral("1.00")) << "the first sample alone had PF 1";
    EXPECT_EQ(fields.text(l40(1)), QStringLiteral("0.71"));
}

TEST_F(MeasurementTest, ZeroOrNegativePowerFactorNeverBecomesTheLowest) {
    const struct {
        const char* name;
        double vac, a, b;
        const char* apparent;
        const char* pf;
    } cases[] = {
        {"no current", 120, 0, 0, "1.0", "0.00"},
        {"no voltage", 0, 5, 5, "1.0", "0.00"},
        {"nothing at all", 0, 0, 0, "1.0", "0.00"},
        {"current flowing back", 120, -5, 0, "600.0", "-1.00"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        for (int i = 0; i < 10; ++i) {  // two whole windows
            powerSample(c.vac, c.a, c.b);
            EXPECT_EQ(fields.text(t4(13)), QString::fromLatin1(c.apparent));
            EXPECT_EQ(fields.text(t4(14)), QString::fromLatin1(c.pf));
            EXPECT_EQ(fields.text(l40(1)), QStringLiteral("2.00"));
            EXPECT_EQ(fields.text(l40(0)), QStringLiteral("0.00"));
            EXPECT_GT(m.power().PF_Lo, 0);
        }
    }
}

TEST_F(MeasurementTest, PowerFactorResetRestoresTheExtremes) {
    powerSample(120, 10, 0);
    powerSample(120, 0, 0);
    ASSERT_NEAR(m.power().PF_Lo, std::sqrt(0.5), 1e-9);
    ASSERT_NEAR(m.power().PF_Hi, 1, 1e-9);
    m.resetPowerFactor();
    EXPECT_EQ(m.power().PF_Hi, 0);
    EXPECT_EQ(m.power().PF_Lo, 2);
    // The window itself goes on: the third sample still counts in it.
    powerSample(120, 0, 0);
    EXPECT_EQ(fields.text(l40(2)), QStringLiteral("3"));
    EXPECT_NEAR(m.power().Power_Factor, 1.0 / std::sqrt(3.0), 1e-9);
    EXPECT_EQ(fields.text(l40(1)), QStringLiteral("0.58"));
}

TEST_F(MeasurementTest, AbsurdReadingsDoNotOutliveTheirWindow) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const double cases[][3] = {{nan, 5, 5}, {120, inf, 0}, {1e200, 1e200, 0}, {1e300, 1e-300, 0}, {DBL_MAX, -DBL_MAX, nan}};
    for (const auto& c : cases) {
        m.resetPowerFactor();
        for (int i = 0; i < 5; ++i) powerSample(c[0], c[1], c[2]);
        EXPECT_FALSE(std::isinf(m.power().PF_Hi));
        EXPECT_GT(m.power().PF_Lo, 0);
        for (int i = 0; i < 5; ++i) powerSample(120, 4, 6);
        EXPECT_EQ(fields.text(t4(4)), QStringLiteral("1,200.0"));
        EXPECT_EQ(fields.text(t4(14)), QStringLiteral("1.00"));
    }
}

// ---- current KW and MeterKWS.dat ----------------------------------------

TEST_F(MeasurementTest, KwUpdateFromTheShownValues) {
    showAsDecoder(QStringLiteral("121.5"), QStringLiteral("6.2"), QStringLiteral("6.1"));
    m.KW_Update();
    EXPECT_EQ(fields.text(t100(0)), QStringLiteral("12.3"));
    EXPECT_NEAR(state.Cur_KW, 1.49445, 1e-12);
    EXPECT_NEAR(state.Cur_AMPS, 12.3, 1e-12);
    EXPECT_EQ(state.Cur_VAC, 121.5);
    EXPECT_EQ(fields.text(t100(1)), QStringLiteral("1.5"));
    EXPECT_EQ(file(files::MeterKWS), QByteArray("1,12,121.5,1.49445,12.3,121.5,\"HAVG\",\"$HAVG\",\"DAVG\",\"$DAVG\"\r\n"));
}

TEST_F(MeasurementTest, MeterFileCopiesTheAverageTextsAsTheyStand) {
    fields.setText(t100(13), QStringLiteral("1.2"));
    fields.setText(t100(14), QStringLiteral("$0.1"));
    fields.setText(t100(8), QStringLiteral("28.8"));
    fields.setText(t100(12), QStringLiteral("$1.7"));
    showAsDecoder(QStringLiteral("240"), QStringLiteral("20.5"), QStringLiteral("0.25"));
    m.KW_Update();
    EXPECT_EQ(fields.text(t100(0)), QStringLiteral("20.75"));
    EXPECT_EQ(fields.text(t100(1)), QStringLiteral("5.0"));
    EXPECT_EQ(file(files::MeterKWS), QByteArray("4,20,240,4.98,20.75,240,\"1.2\",\"$0.1\",\"28.8\",\"$1.7\"\r\n"));

    // A quote or line end in a shown text cannot split the record.
    fields.setText(t100(13), QStringLiteral("1\"2\r\n"));
    m.KW_Update();
    const QStringList fieldsRead = readFields(file(files::MeterKWS));
    ASSERT_EQ(fieldsRead.size(), 10);
    EXPECT_EQ(fieldsRead[6], QStringLiteral("12"));
    EXPECT_EQ(fieldsRead[9], QStringLiteral("$1.7"));
}

TEST_F(MeasurementTest, BeforeAnyReadingTheDesignTextsCountAsZero) {
    m.KW_Update();
    EXPECT_EQ(state.Cur_VAC, 0);
    EXPECT_EQ(state.Cur_KW, 0);
    EXPECT_EQ(file(files::MeterKWS), QByteArray("0,0,0,0,0,0,\"HAVG\",\"$HAVG\",\"DAVG\",\"$DAVG\"\r\n"));
}

TEST_F(MeasurementTest, FirstReadingShownByTheDecoderCountsBeforeTheFirstGroup) {
    // The decoder puts the first accepted reading of each channel into the
    // fields; the averaging has not completed a group yet.
    state.VAC_Reading = 119.8;
    m.Process_VAC_Reading(119.8);
    fields.setText(t100(2), QStringLiteral("119.8"));
    fields.setText(t100(3), QStringLiteral("3.5"));
    m.KW_Update();
    EXPECT_EQ(state.Cur_VAC, 119.8);
    EXPECT_EQ(state.Cur_A_AMPS, 3.5);
    EXPECT_EQ(state.Cur_B_AMPS, 0) << "phase B still shows its design text";
    EXPECT_NEAR(state.Cur_KW, 0.4193, 1e-12);
    EXPECT_EQ(m.minuteSums().Minute_Count, 1);
    EXPECT_NEAR(m.minuteSums().Minute_VAC_Sum, 119.8, 1e-12);
}

TEST_F(MeasurementTest, NegativeKwIsRoundedDownInTheMeterFile) {
    showAsDecoder(QStringLiteral("120"), QStringLiteral("-2.5"), QStringLiteral("0"));
    m.KW_Update();
    EXPECT_TRUE(file(files::MeterKWS).startsWith("-1,-3,120,-0.3,-2.5,120,")) << file(files::MeterKWS).toStdString();
}

// ---- the minute step -----------------------------------------------------

TEST_F(MeasurementTest, MinuteEnergyAndTotals) {
    state.VAC_Avg = 120;
    state.A_AMPS_Avg = 5;
    state.B_AMPS_Avg = 5;
    state.Total_KWH_Saved = 10;
    state.Total_Cost_Saved = 1;
    m.KW_Update();
    m.KW_Minute_Update();
    EXPECT_NEAR(m.lastKwhMinute(), 0.02, 1e-15);
    EXPECT_EQ(file(files::KWH_1m), quotedLine(".02"));
    EXPECT_NEAR(state.Total_KWH_Saved, 10.02, 1e-12);
    EXPECT_NEAR(state.Cost_per_KWH, 0.0585, 1e-15);
    EXPECT_NEAR(state.Total_Cost_Saved, 1 + 0.02 * 0.0585, 1e-12);
    EXPECT_EQ(fields.text(t100(5)), QStringLiteral("$1.00"));
    EXPECT_EQ(fields.text(t100(6)), QStringLiteral("10.0"));
    EXPECT_EQ(file(files::KWH_last_data), QByteArray("\"10.0\",\"1.00\",\"0.0585\"\r\n"));

    // Another minute at a dearer price.
    fields.setText(t100(7), QStringLiteral("0.25"));
    m.KW_Update();
    m.KW_Minute_Update();
    EXPECT_NEAR(state.Total_KWH_Saved, 10.04, 1e-12);
    EXPECT_NEAR(state.Total_Cost_Saved, 1 + 0.02 * 0.0585 + 0.02 * 0.25, 1e-12);
    EXPECT_EQ(fields.text(t100(5)), QStringLiteral("$1.01"));
}

TEST_F(MeasurementTest, OneMinuteFileKeepsSmallEnergies) {
    const struct {
        double vac, a, b;
        const char* text;
    } cases[] = {
        {120, 5, 5, ".02"},    // 1200 W
        {120, 2, 0, ".004"},   // a steady 240 W load
        {240, 150, 0, ".6"},   // 36 kW
        {120, 0.05, 0, ".0001"},
        {240, 200, 200, "1.6"},
    };
    for (const auto& c : cases) {
        state.VAC_Avg = c.vac;
        state.A_AMPS_Avg = c.a;
        state.B_AMPS_Avg = c.b;
        m.KW_Update();
        m.KW_Minute_Update();
        EXPECT_EQ(file(files::KWH_1m), quotedLine(c.text)) << c.text;
        EXPECT_NEAR(numericValue(QString::fromLatin1(c.text)), c.vac * (c.a + c.b) / 60000, 1e-9);
    }
}

TEST_F(MeasurementTest, MinuteMeansOfTheCurrentValues) {
    showAsDecoder(QStringLiteral("100"), QStringLiteral("10"), QStringLiteral("0"));
    m.KW_Update();  // 1.0 KW
    showAsDecoder(QStringLiteral("100"), QStringLiteral("15"), QStringLiteral("5"));
    m.KW_Update();  // 2.0 KW
    m.KW_Minute_Update();
    EXPECT_EQ(file(files::KW_1m), quotedLine("1.5"));
    EXPECT_EQ(file(files::AAMP_1m), quotedLine("12.5"));
    EXPECT_EQ(file(files::BAMP_1m), quotedLine("2.5"));
    EXPECT_EQ(file(files::VAC_1m), quotedLine("100.0"));
    EXPECT_EQ(m.minuteSums().Minute_Count, 0);
    EXPECT_EQ(m.minuteSums().Minute_KW_Sum, 0);

    // The next minute starts from empty sums.
    showAsDecoder(QStringLiteral("121.43"), QStringLiteral("0"), QStringLiteral("0"));
    m.KW_Update();
    m.KW_Minute_Update();
    EXPECT_EQ(file(files::VAC_1m), quotedLine("121.4"));
    EXPECT_EQ(file(files::KW_1m), quotedLine("0.0"));
}

TEST_F(MeasurementTest, ReadyFlagsAreRaisedByTheMinuteStep) {
    m.KW_Update();
    EXPECT_EQ(state.KWH_1m_Ready + state.KW_1m_Ready + state.AAMP_1m_Ready + state.BAMP_1m_Ready + state.VAC_1m_Ready, 0);
    m.KW_Minute_Update();
    EXPECT_EQ(state.KWH_1m_Ready, 1);
    EXPECT_EQ(state.KW_1m_Ready, 1);
    EXPECT_EQ(state.AAMP_1m_Ready, 1);
    EXPECT_EQ(state.BAMP_1m_Ready, 1);
    EXPECT_EQ(state.VAC_1m_Ready, 1);
}

TEST_F(MeasurementTest, PriceTextThatIsNotANumberCostsNothing) {
    const char* prices[] = {"", "abc", " ", "$0.10"};
    for (const char* price : prices) {
        SCOPED_TRACE(price);
        state.Total_KWH_Saved = 0;
        state.Total_Cost_Saved = 3;
        state.VAC_Avg = 120;
        state.A_AMPS_Avg = 5;
        state.B_AMPS_Avg = 5;
        fields.setText(t100(7), QString::fromLatin1(price));
        m.KW_Update();
        m.KW_Minute_Update();
        EXPECT_NEAR(state.Total_KWH_Saved, 0.02, 1e-12);
        EXPECT_EQ(state.Total_Cost_Saved, 3);
        EXPECT_EQ(state.Cost_per_KWH, 0);
    }
}

TEST_F(MeasurementTest, TotalsFileForms) {
    // No energy this minute: the totals are stored as they stand.
    state.Total_KWH_Saved = 1234.46;
    state.Total_Cost_Saved = 72.224;
    fields.setText(t100(7), QStringLiteral("0.0585"));
    m.KW_Update();
    m.KW_Minute_Update();
    EXPECT_EQ(file(files::KWH_last_data), QByteArray("\"1234.5\",\"72.22\",\"0.0585\"\r\n"));
    EXPECT_EQ(file(files::KWH_1m), quotedLine("."));

    const struct {
        double kwh, cost, price;
        const char* line;
    } cases[] = {
        {0, 0, 0.1, "\"0.0\",\"0.00\",\"0.1000\"\r\n"},
        {12.34, 0.005, 0.12345, "\"12.3\",\"0.01\",\"0.1235\"\r\n"},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(writeKwhLastData(dir, c.kwh, c.cost, c.price));
        EXPECT_EQ(file(files::KWH_last_data), QByteArray(c.line));
    }
}

TEST_F(MeasurementTest, MinuteStepWithoutAReadingSetWritesZeroMeans) {
    m.KW_Minute_Update();
    for (const QString& name : {files::KW_1m, files::AAMP_1m, files::BAMP_1m, files::VAC_1m})
        EXPECT_EQ(file(name), quotedLine("0.0")) << qPrintable(name);
}

// ---- whole minutes through the Timer2 chain --------------------------------

TEST_F(MeasurementTest, SteadyLoadForTwoMinutes) {
    for (int i = 0; i < 60; ++i) {
        if (i == 0) showAsDecoder(QStringLiteral("120.0"), QStringLiteral("5.0"), QStringLiteral("5.0"));
        readingSet(120, 5, 5);
        EXPECT_EQ(state.Minute_Flag, 0);
        if (i == 29) {
            EXPECT_EQ(file(files::KWH_1m), quotedLine(".02"));
            EXPECT_EQ(file(files::KW_1m), quotedLine("1.2"));
            EXPECT_EQ(file(files::AAMP_1m), quotedLine("5.0"));
            EXPECT_EQ(file(files::VAC_1m), quotedLine("120.0"));
        }
    }
    EXPECT_NEAR(state.Total_KWH_Saved, 0.04, 1e-12);
    EXPECT_NEAR(state.Total_Cost_Saved, 0.04 * 0.0585, 1e-12);
    EXPECT_EQ(file(files::MeterKWS), QByteArray("1,10,120,1.2,10,120,\"HAVG\",\"$HAVG\",\"DAVG\",\"$DAVG\"\r\n"));
}

TEST_F(MeasurementTest, AbsurdValuesNeverReachTheTotals) {
    state.Total_KWH_Saved = 5;
    state.Total_Cost_Saved = 2;
    for (int i = 0; i < 30; ++i) {
        showAsDecoder(QStringLiteral("1e308"), QStringLiteral("1e308"), QStringLiteral("1e308"));
        readingSet(DBL_MAX, DBL_MAX, DBL_MAX);
    }
    EXPECT_TRUE(std::isfinite(state.Total_KWH_Saved));
    EXPECT_TRUE(std::isfinite(state.Total_Cost_Saved));
    EXPECT_TRUE(std::isfinite(state.Cur_KW));
    // Sane readings afterwards add sane energy.
    const double before = state.Total_KWH_Saved;
    for (int i = 0; i < 30; ++i) {
        showAsDecoder(QStringLiteral("120"), QStringLiteral("5"), QStringLiteral("5"));
        readingSet(120, 5, 5);
    }
    EXPECT_NEAR(state.Total_KWH_Saved - before, 0.02, 1e-9);
    EXPECT_EQ(file(files::KW_1m), quotedLine("1.2"));
}

// ---- files that cannot be written ----------------------------------------

TEST_F(MeasurementTest, AFileThatCannotBeWrittenLeavesTheOthersAndTheTotals) {
    const QString blocked[] = {files::KWH_1m, files::KW_1m, files::AAMP_1m, files::BAMP_1m, files::VAC_1m,
                               files::KWH_last_data};
    for (const QString& name : blocked) {
        SCOPED_TRACE(name.toStdString());
        kelvora::testing::TempDataDir t;
        DataDir d = t.dir();
        SharedState s;
        FieldModel f;
        Measurement meas(s, f, d, clock);
        ASSERT_TRUE(QDir(t.path()).mkdir(name));  // a directory where the file should be

        s.VAC_Avg = 120;
        s.A_AMPS_Avg = 5;
        s.B_AMPS_Avg = 5;
        f.setText(t100(2), QStringLiteral("120"));
        f.setText(t100(3), QStringLiteral("10"));
        meas.KW_Update();
        meas.KW_Minute_Update();

        EXPECT_NEAR(s.Total_KWH_Saved, 0.02, 1e-12);
        const struct {
            const QString& file;
            int flag;
            const char* text;
        } outputs[] = {
            {files::KWH_1m, s.KWH_1m_Ready, ".02"},   {files::KW_1m, s.KW_1m_Ready, "1.2"},
            {files::AAMP_1m, s.AAMP_1m_Ready, "10.0"}, {files::BAMP_1m, s.BAMP_1m_Ready, "0.0"},
            {files::VAC_1m, s.VAC_1m_Ready, "120.0"},
        };
        for (const auto& o : outputs) {
            if (o.file == name) {
                EXPECT_EQ(o.flag, 0) << "no ready flag for a file that was not written";
            } else {
                EXPECT_EQ(o.flag, 1) << qPrintable(o.file);
                EXPECT_EQ(t.contents(o.file), quotedLine(o.text)) << qPrintable(o.file);
            }
        }
        if (name != files::KWH_last_data) {
            EXPECT_EQ(t.contents(files::KWH_last_data), QByteArray("\"0.0\",\"0.00\",\"0.0585\"\r\n"));
        }
    }
}

TEST_F(MeasurementTest, UnwritableDirectoryKeepsCountingAndCatchesUpLater) {
    // A data directory that is not there (yet): every write fails.
    const QString path = tmp.path() + QStringLiteral("/later");
    DataDir later(path);
    SharedState s;
    FieldModel f;
    Measurement meas(s, f, later, clock);
    s.VAC_Avg = 120;
    s.A_AMPS_Avg = 5;
    s.B_AMPS_Avg = 5;
    f.setText(t100(2), QStringLiteral("120"));
    for (int minute = 0; minute < 2; ++minute) {
        meas.KW_Update();
        meas.KW_Minute_Update();
    }
    EXPECT_NEAR(s.Total_KWH_Saved, 0.04, 1e-12);
    EXPECT_EQ(s.KWH_1m_Ready + s.KW_1m_Ready + s.AAMP_1m_Ready + s.BAMP_1m_Ready + s.VAC_1m_Ready, 0);
    EXPECT_EQ(f.text(t100(6)), QStringLiteral("0.0"));
    EXPECT_EQ(f.text(t100(5)), QStringLiteral("$0.00"));

    ASSERT_TRUE(QDir().mkpath(path));
    s.Total_KWH_Saved += 10;  // make the rounded total show the catch-up
    meas.KW_Update();
    meas.KW_Minute_Update();
    const auto content = later.read(files::KWH_last_data);
    ASSERT_TRUE(content.has_value());
    EXPECT_EQ(*content, QByteArray("\"10.1\",\"0.00\",\"0.0585\"\r\n"));
    EXPECT_EQ(later.read(files::KWH_1m).value_or(QByteArray()), quotedLine(".02"));
    EXPECT_EQ(s.KWH_1m_Ready, 1);
    EXPECT_TRUE(later.read(files::MeterKWS).has_value());
}

TEST_F(MeasurementTest, ResetMinuteSumsStartsTheMinuteOver) {
    showAsDecoder(QStringLiteral("120"), QStringLiteral("50"), QStringLiteral("50"));
    m.KW_Update();
    m.KW_Update();
    m.resetMinuteSums();
    EXPECT_EQ(m.minuteSums().Minute_Count, 0);
    showAsDecoder(QStringLiteral("120"), QStringLiteral("5"), QStringLiteral("5"));
    m.KW_Update();
    m.KW_Minute_Update();
    EXPECT_EQ(file(files::KW_1m), quotedLine("1.2"));
    EXPECT_EQ(file(files::AAMP_1m), quotedLine("5.0"));
}

}  // namespace
