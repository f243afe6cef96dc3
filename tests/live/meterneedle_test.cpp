#include "live/meterneedle.h"
#include "live/waveforms.h"
#include "model/datafiles.h"
#include "support/fakes.h"

#include <gtest/gtest.h>

using namespace kelvora;
using kelvora::testing::TempDataDir;

TEST(MeterNeedle, TipsInTwipsOnTheGaugePicture) {
    const struct { double fullScale, value; QPointF tip; } cases[] = {
        {75, 0, QPointF(118, 1183)},      // left, level with the pivot
        {250, 125, QPointF(1132, 169)},   // half scale: straight up
        {480, 480, QPointF(2146, 1183)},  // full scale: right
        {75, 100, QPointF(1639, 2061.2)}, // beyond full scale: down to the right, below the pivot
        {75, -10, QPointF(205.7, 1595.4)},  // negative: past the left horizontal
    };
    for (const auto& c : cases) {
        const Needle n = needleFor(kGaugeWidth, kGaugeHeight, NeedleScale{0, c.fullScale, 0, 30, 0.1}, c.value);
        SCOPED_TRACE(c.value);
        EXPECT_EQ(n.Needle_CX, 1132);
        EXPECT_EQ(n.Needle_CY, 1183);
        EXPECT_EQ(n.Needle_Radius, 1127);
        EXPECT_EQ(n.Needle_Margin, 113);
        EXPECT_NEAR(n.tip.x(), c.tip.x(), 0.5);
        EXPECT_NEAR(n.tip.y(), c.tip.y(), 0.5);
    }
}

TEST(MeterNeedle, MeterFileFieldsBecomeNeedlesAndLabels) {
    TempDataDir tmp;
    const DataDir dir(tmp.path());
    EXPECT_FALSE(readMeterKws(dir).has_value());
    dir.writeWhole(files::MeterKWS, "1,12,121,1.49445,12.5,121.46,\"1.23\",\"0.15\",\"29.6\",\"3.55\"\r\n");
    const auto m = readMeterKws(dir);
    ASSERT_TRUE(m.has_value());
    EXPECT_EQ(m->kwNeedle, 1);
    EXPECT_EQ(m->voltsNeedle, 121);
    EXPECT_EQ(m->Label1, "1.5");
    EXPECT_EQ(m->Label3, "121.5");
    EXPECT_EQ(m->Label5_2, "$0.2");
    EXPECT_EQ(m->Label7_1, "29.6");
    dir.writeWhole(files::MeterKWS, "1,12,121,1.5,12.5,121.46,1,2,3\r\n");  // nine fields
    EXPECT_FALSE(readMeterKws(dir).has_value());
    const struct { double in; int out; } halves[] = {{120.5, 120}, {121.5, 122}, {-0.5, 0}, {2.4, 2}, {2.6, 3}};
    for (const auto& h : halves) EXPECT_EQ(roundHalfEven(h.in), h.out) << h.in;
}

TEST(Waveforms, AMissingOrShortFileKeepsThePointsNotRead) {
    TempDataDir tmp;
    const DataDir dir(tmp.path());
    Waveforms w(dir);
    int updated = 0;
    QObject::connect(&w, &Waveforms::updated, [&] { ++updated; });
    w.Update_WaveForms();
    EXPECT_EQ(updated, 1);
    EXPECT_TRUE(w.VAC_Wave().isEmpty());  // nothing to show before the first waveform

    QByteArray full, ten;
    for (int i = 1; i <= 25; ++i) full += QByteArray::number(i * 10) + "\r\n";
    for (int i = 1; i <= 10; ++i) ten += QByteArray::number(-i) + "\r\n";
    dir.writeWhole(files::VAC_WAVE, full);
    dir.writeWhole(files::A_AMP_WAVE, full);
    w.Update_WaveForms();
    ASSERT_EQ(w.VAC_Wave().size(), 25);
    EXPECT_EQ(w.A_AMP_Wave().last(), 250);

    dir.writeWhole(files::VAC_WAVE, ten);
    w.Update_WaveForms();
    const QList<double> vac = w.VAC_Wave();
    ASSERT_EQ(vac.size(), 25);
    EXPECT_EQ(vac[9], -10);
    EXPECT_EQ(vac[10], 110);
    EXPECT_EQ(w.A_AMP_Wave()[0], 10);  // the current file was not read after the short one

    QFile::remove(dir.filePath(files::VAC_WAVE));
    QFile::remove(dir.filePath(files::A_AMP_WAVE));
    w.Update_WaveForms();
    EXPECT_EQ(w.VAC_Wave(), vac);
}
