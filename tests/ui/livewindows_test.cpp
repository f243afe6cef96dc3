#include "ui/chartprint.h"
#include "ui/currenttrendwindow.h"
#include "ui/mainwindow.h"
#include "ui/meterwindow.h"
#include "ui/waveformpanel.h"
#include "live/waveforms.h"
#include "model/datafiles.h"
#include "support/started.h"
#include "support/trendrig.h"
#include "support/widgets.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <gtest/gtest.h>

using namespace kelvora;
using kelvora::testing::child;
using kelvora::testing::TempDataDir;

namespace {

// The rig of the trend tests, with the window that shows them.
struct TrendWindowRig : kelvora::testing::TrendRig {
    auto open() { return std::make_unique<CurrentTrendWindow>(dir, shared, trends, clock); }
};

QString text1(QWidget& w) { return child<QLineEdit>(w, "Text1")->text(); }

}  // namespace

TEST(CurrentTrend, EachQuantityButtonChartsItsFileWithItsAxisRuleThenPrintAndExit) {
    TrendWindowRig r;
    r.fill(files::VAC_10sec, 118, 125);
    r.fill(files::A_AMPS_10sec, 2, 5);
    r.fill(files::B_AMPS_10sec, 0.5, 7.5);
    r.fill(files::KW_10sec, 1.2, 3.4);
    r.update(121, 3, 1, 2);
    auto w = r.open();
    const struct { const char* button; double min, max, newest; QString shown; } cases[] = {
        {"CMDCur_KW", -0.8, 5.4, 2, "2.00"}, {"CMDCur_A", 0, 7, 3, "3.00"},
        {"CMDCur_B", -1.5, 9.5, 1, "1.00"}, {"CMDCur_VAC", 108, 135, 121, "121.00"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.button);
        child<QPushButton>(*w, c.button)->click();
        EXPECT_NEAR(w->chart().valueAxisMinimum(), c.min, 1e-9);
        EXPECT_NEAR(w->chart().valueAxisMaximum(), c.max, 1e-9);
        ASSERT_EQ(w->chart().points().size(), 60);
        EXPECT_EQ(w->chart().points().last().value, c.newest);
        EXPECT_EQ(text1(*w), c.shown);
    }
    w->show();
    w->actions().setPrinterEnabled(false);
    child<QPushButton>(*w, "CNDPrint_KWHistory")->click();
    EXPECT_TRUE(QFileInfo::exists(w->actions().lastPrint().pdfPath));
    w->actions().setFileChooser([&](QWidget*, const QString&) { return r.dir.filePath("vac.csv"); });
    child<QPushButton>(*w, "CMD_Export_CSV")->click();
    EXPECT_TRUE(r.tmp.contents("vac.csv").endsWith("\"14:05:09\",121\r\n"));  // the quantity shown last
    child<QPushButton>(*w, "CMDCur_Exit")->click();
    EXPECT_FALSE(w->isVisible());
}

TEST(CurrentTrend, WithoutVoltageTheVoltageButtonSaysSoAndTheShownQuantityKeepsRefreshing) {
    TrendWindowRig r;
    r.fill(files::VAC_10sec, 118, 125);  // VAC max 125
    r.fill(files::KW_10sec, 1.2, 3.4);
    r.update(121, 0, 0, 2);
    r.shared.Cur_VAC = 0;
    auto w = r.open();
    // Opening without voltage: the scale sits around the highest voltage.
    EXPECT_EQ(w->currentFile(), files::VAC_10sec);
    EXPECT_EQ(w->chart().valueAxisMinimum(), 115);
    EXPECT_EQ(w->chart().valueAxisMaximum(), 135);

    child<QPushButton>(*w, "CMDCur_KW")->click();
    child<QPushButton>(*w, "CMDCur_VAC")->click();
    EXPECT_EQ(text1(*w), "VAC=0");
    EXPECT_EQ(w->currentFile(), files::KW_10sec);

    r.shared.Cur_KW = 0.5;
    r.trends.Update_KW_10sec();
    w->Timer1_Timer();
    EXPECT_EQ(text1(*w), ".50");
}

// Before the first update the scale fits the points instead of turning upside
// down; a short file keeps the figures and the older points.
TEST(CurrentTrend, BeforeTheFirstUpdateTheScaleFitsThePointsAndAShortFileKeepsTheOlderOnes) {
    TrendWindowRig r;
    r.fill(files::A_AMPS_10sec, 10, 69);
    auto w = r.open();  // the window's range is still max 0, min 1000
    child<QPushButton>(*w, "CMDCur_A")->click();
    EXPECT_LT(w->chart().valueAxisMinimum(), 10);
    EXPECT_GT(w->chart().valueAxisMaximum(), 69);
    r.update(0, 121.5, 0, 0);
    w->Timer1_Timer();
    r.dir.writeWhole(files::A_AMPS_10sec, "\"07/03/2026\",\"14:06:00\",1\r\n\"07/03/2026\",\"14:06:02\",2\r\n");
    w->Timer1_Timer();
    EXPECT_EQ(text1(*w), "121.50");
    const QList<ChartPoint> points = w->chart().points();
    ASSERT_EQ(points.size(), 60);
    EXPECT_EQ((QList<double>{points[0].value, points[2].value, points[59].value}), (QList<double>{1, 13, 121.5}));
}

TEST(MeterWindow, TheTickShowsTheFileAndAMissingFileKeepsThePreviousValues) {
    TempDataDir tmp;
    const DataDir dir(tmp.path());
    dir.writeWhole(files::MeterKWS, "1,125,480,1.49445,125.04,121.46,\"1.23\",\"0.15\",\"29.6\",\"3.55\"\r\n");
    MeterWindow w(dir);
    EXPECT_EQ(child<QLabel>(w, "Label1")->text(), "1.5");

    QFile::remove(dir.filePath(files::MeterKWS));
    w.Timer1_Timer();
    dir.writeWhole(files::MeterKWS, "0,0,0\r\n");
    w.Timer1_Timer();
    EXPECT_EQ(child<QLabel>(w, "Label1")->text(), "1.5");
    EXPECT_EQ(child<Gauge>(w, "Picture1(2)")->value(), 125);
}

TEST(MeterWindow, GaugesKeepTheirProportionsAndDrawTheNeedleWhereTheArithmeticPutsIt) {
    Gauge gauge(250);
    gauge.setValue(125);  // straight up
    for (const QSize size : {QSize(227, 119), QSize(600, 200), QSize(300, 400)}) {
        SCOPED_TRACE(size.width());
        gauge.resize(size);
        const QRectF picture = gauge.pictureRect();
        EXPECT_NEAR(picture.width() / picture.height(), kGaugeWidth / kGaugeHeight, 0.01);
        EXPECT_TRUE(QRectF(QPointF(0, 0), QSizeF(size)).contains(picture.adjusted(0.5, 0.5, -0.5, -0.5)));
        const QImage image = gauge.grab().toImage();
        const double s = picture.width() / kGaugeWidth;
        // Half way up the needle: red.
        const QPoint mid = (picture.topLeft() + QPointF(1132, 676) * s).toPoint();
        const QColor c = image.pixelColor(mid * image.devicePixelRatio());
        EXPECT_GT(c.red(), 200);
        EXPECT_LT(c.green(), 80);
    }
}

TEST(WaveformPanel, SitsOnTheCurrentTabAndPlotsBothWaveforms) {
    kelvora::testing::StartedApp app;
    MainWindow window(app.core);
    auto* tabs = child<QTabWidget>(window, "SSTab1");
    QWidget* tab = tabs->widget(0);
    auto* vac = child<ChartView>(window, "MSChart1");
    auto* amps = child<ChartView>(window, "MSChart2");
    ASSERT_TRUE(vac && amps);
    EXPECT_TRUE(tab->isAncestorOf(vac) && tab->isAncestorOf(amps));
    for (const QString& file : {files::VAC_WAVE, files::A_AMP_WAVE})
        app.tmp.dir().writeWhole(file, QByteArray("-170\r\n0\r\n170\r\n").repeated(8) + "1\r\n");
    app.core.waveforms().Update_WaveForms();
    EXPECT_TRUE(vac->points().isEmpty());  // nobody sees them yet
    window.show();
    EXPECT_EQ(vac->points().size() + amps->points().size(), 50);  // caught up as they show

    // On another tab the charts wait, and catch up when their tab comes back.
    tabs->setCurrentIndex(1);
    app.tmp.dir().writeWhole(files::VAC_WAVE, QByteArray("5\r\n").repeated(25));
    app.core.waveforms().Update_WaveForms();
    EXPECT_EQ(vac->points().first().value, -170);
    tabs->setCurrentIndex(0);
    EXPECT_EQ(vac->points().first().value, 5);
}
