#include "ui/appwindows.h"
#include "ui/chartprint.h"
#include "ui/currenttrendwindow.h"
#include "ui/mainwindow.h"
#include "ui/meterwindow.h"
#include "ui/waveformpanel.h"
#include "support/started.h"
#include "support/trendrig.h"
#include "support/widgets.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>

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

// Before the first update the scale fits the points; without voltage the
// voltage button says so and the quantity shown keeps refreshing.
TEST(CurrentTrend, EachQuantityButtonChartsItsFileWithItsAxisRuleAndWithoutVoltageSaysSo) {
    TrendWindowRig r;
    r.fill(files::VAC_10sec, 118, 125);
    r.fill(files::A_AMPS_10sec, 2, 5);
    r.fill(files::B_AMPS_10sec, 0.5, 7.5);
    r.fill(files::KW_10sec, 1.2, 3.4);
    auto w = r.open();  // the window's range is still max 0, min 1000
    child<QPushButton>(*w, "CMDCur_A")->click();
    EXPECT_LE(w->chart().valueAxisMinimum(), 2);
    EXPECT_GE(w->chart().valueAxisMaximum(), 5);
    r.update(121, 3, 1, 2);
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
    r.shared.Cur_VAC = 0;
    child<QPushButton>(*w, "CMDCur_KW")->click();
    child<QPushButton>(*w, "CMDCur_VAC")->click();
    EXPECT_EQ(text1(*w), "VAC=0");
    EXPECT_EQ(w->currentFile(), files::KW_10sec);
    r.shared.Cur_KW = 0.5;
    r.trends.Update_KW_10sec();
    w->Timer1_Timer();
    EXPECT_EQ(text1(*w), ".50");
    const auto opened = r.open();  // opened without voltage: the scale sits around the highest voltage
    EXPECT_EQ(opened->currentFile(), files::VAC_10sec);
    EXPECT_EQ(opened->chart().valueAxisMinimum(), 115);
    EXPECT_EQ(opened->chart().valueAxisMaximum(), 135);

    w->show();
    w->actions().setPrinterEnabled(false);
    child<QPushButton>(*w, "CNDPrint_KWHistory")->click();
    EXPECT_TRUE(QFileInfo::exists(w->actions().lastPrint().pdfPath));
    child<QPushButton>(*w, "CMDCur_Exit")->click();
    EXPECT_FALSE(w->isVisible());
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

TEST(WaveformPanel, SitsOnTheCurrentTabAndPlotsBothWaveforms) {
    kelvora::testing::StartedApp app;
    MainWindow window(mainWindowParts(app.core));
    QWidget* tab = child<QTabWidget>(window, "SSTab1")->widget(0);
    auto* vac = child<ChartView>(window, "MSChart1");
    auto* amps = child<ChartView>(window, "MSChart2");
    EXPECT_TRUE(tab->isAncestorOf(vac) && tab->isAncestorOf(amps));
    for (const QString& file : {files::VAC_WAVE, files::A_AMP_WAVE})
        app.tmp.dir().writeWhole(file, QByteArray("-170\r\n0\r\n170\r\n").repeated(8) + "1\r\n");
    app.core.waveforms().Update_WaveForms();
    EXPECT_TRUE(vac->points().isEmpty());  // nobody sees them yet
    window.show();
    EXPECT_EQ(vac->points().size() + amps->points().size(), 50);  // caught up as they show
}

// The export joins date and time into one ISO 8601 stamp (no day-first
// misreading) under a header with the unit.
TEST(CurrentTrend, ExportWritesIsoStampsUnderAHeaderWithUnits) {
    TrendWindowRig r;
    r.fill(files::VAC_10sec, 118, 125);
    r.fill(files::KW_10sec, 1.2, 3.4);
    auto w = r.open();
    const QString out = r.tmp.dir().filePath("trend.csv");
    w->actions().setFileChooser([&](QWidget*, const QString&) { return out; });
    const struct { const char* button; QByteArray header, first; } cases[] = {
        {"CMDCur_VAC", "\"Time (local)\",\"Line voltage (V)\"\r", "2026-07-03 14:00:00,118\r"},
        {"CMDCur_KW", "\"Time (local)\",\"Power (KW)\"\r", "2026-07-03 14:00:00,1.2\r"},
    };
    r.shared.Cur_VAC = 120;  // a voltage, so the voltage button charts
    for (const auto& c : cases) {
        child<QPushButton>(*w, c.button)->click();
        child<QPushButton>(*w, "CMD_Export_CSV")->click();
        const QList<QByteArray> lines = r.tmp.contents("trend.csv").split('\n');
        ASSERT_EQ(lines.size(), 62) << c.button;
        EXPECT_EQ(lines[0], c.header);
        EXPECT_EQ(lines[1], c.first);
        EXPECT_TRUE(lines[60].startsWith("2026-07-03 14:59:00,")) << lines[60].toStdString();
    }
}
