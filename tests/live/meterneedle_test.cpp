#include "live/meterneedle.h"
#include "model/datafiles.h"
#include "support/fakes.h"

#include <QLineF>
#include <gtest/gtest.h>

using namespace kelvora;

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
        EXPECT_LT(QLineF(n.tip, c.tip).length(), 0.5) << c.value << " gave " << n.tip.x() << ", " << n.tip.y();
    }
}

TEST(MeterNeedle, MeterFileFieldsBecomeNeedlesAndLabels) {
    kelvora::testing::TempDataDir tmp;
    // The average costs come with the dollar sign the Current tab shows them with.
    tmp.dir().writeWhole(files::MeterKWS, "1,12,121,1.49445,12.5,121.46,\"1.23\",\"$0.15\",\"29.6\",\"$3.56\"\r\n");
    const auto m = readMeterKws(tmp.dir());
    ASSERT_TRUE(m.has_value());
    EXPECT_EQ(m->kwNeedle, 1);
    EXPECT_EQ((QStringList{m->Label1, m->Label3, m->Label5_2, m->Label7_1, m->Label7_2}),
              (QStringList{"1.5", "121.5", "$0.2", "29.6", "$3.6"}));
    EXPECT_EQ((QList<int>{roundHalfEven(120.5), roundHalfEven(121.5), roundHalfEven(-0.5)}), (QList<int>{120, 122, 0}));
}
