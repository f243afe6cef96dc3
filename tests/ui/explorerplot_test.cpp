#include "ui/explorerplot.h"

#include <QImage>
#include <gtest/gtest.h>

using namespace kelvora;

namespace {

constexpr qint64 kMinute = 60'000;

// A year of minutes at 1 KW with one minute at 9 KW, and April missing.
struct YearRig {
    YearRig() {
        plot.resize(1000, 400);
        plot.setWhole(year);
        std::vector<Sample> samples;
        for (qint64 ms = year.from; ms < year.to; ms += kMinute)
            if (ms < april.from || ms >= april.to) samples.push_back({ms, 1, 1, 1});
        samples[peak].min = samples[peak].mean = samples[peak].max = 9;
        all = std::move(samples);
    }
    QImage draw() {
        ExploreResult r;
        r.request.range = plot.view();
        r.shown = decimate(all, plot.view(), plot.columns(), kMinute);
        plot.setResult(r, "KW", QString());
        QImage image(plot.size(), QImage::Format_RGB32);
        plot.render(&image);
        return image;
    }
    // Pixels of the series' blue in a column, between two rows.
    static int blue(const QImage& image, int x, int top, int bottom) {
        int n = 0;
        for (int y = top; y <= bottom; ++y) {
            const QColor c = image.pixelColor(x, y);
            n += c.blue() > c.red() + 40;
        }
        return n;
    }
    const TimeRange year{0, 365LL * 1440 * kMinute};
    const TimeRange april{90LL * 1440 * kMinute, 120LL * 1440 * kMinute};
    const size_t peak = 200'000;
    std::vector<Sample> all;
    ExplorerPlot plot;
};

TEST(ExplorerPlot, AOneMinutePeakShowsInAYearAMissingMonthStaysEmptyAndZoomingInStaysFilled) {
    YearRig rig;
    const QImage image = rig.draw();
    const QRect a = rig.plot.plotArea();
    const auto xOf = [&](qint64 ms) { return a.left() + int(double(ms) * a.width() / double(rig.year.span())); };
    // The peak's column reaches the top quarter of the plot.
    const int peakX = xOf(rig.all[rig.peak].ms);
    int reach = 0;
    for (int x = peakX - 1; x <= peakX + 1; ++x) reach += YearRig::blue(image, x, a.top(), a.top() + a.height() / 4);
    EXPECT_GT(reach, 0);
    // Nothing drawn inside April, not even a line across it.
    for (int x = xOf(rig.april.from) + 3; x < xOf(rig.april.to) - 3; ++x)
        ASSERT_EQ(YearRig::blue(image, x, a.top() + 1, a.bottom() - 1), 0) << "column " << x;
    EXPECT_GT(YearRig::blue(image, xOf(rig.april.from) - 20, a.top() + 1, a.bottom() - 1), 0);

    // Zoomed to ten minutes while the data shown is still that of the year:
    // the points lie millions of pixels apart and only the plot's columns are
    // drawn, which the old coarse data still fill.
    rig.plot.setView({rig.all[rig.peak].ms - 5 * kMinute, rig.all[rig.peak].ms + 5 * kMinute});
    QImage zoomed(rig.plot.size(), QImage::Format_RGB32);
    rig.plot.render(&zoomed);
    EXPECT_GT(YearRig::blue(zoomed, a.center().x(), a.top(), a.bottom()), 0);
}

}  // namespace
