// Time of the live-display work: the ten-second trend step, the waveform
// files' replacement and read of one Timer2 tick, and loading and drawing a
// 20,160-point chart (a 14-day history at one point a minute).
#include "common/clock.h"
#include "common/datadir.h"
#include "live/tensecondtrend.h"
#include "live/waveforms.h"
#include "model/datafiles.h"
#include "model/sharedstate.h"
#include "ui/chartservice.h"
#include "ui/waveformpanel.h"

#include <QCoreApplication>
#include <QPixmap>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cmath>

namespace {

using namespace kelvora;

void BM_TrendStep(benchmark::State& s) {
    QTemporaryDir tmp;
    const DataDir dir(tmp.path(), files::displayOnly());
    SharedState shared;
    ManualClock clock;
    TenSecondTrends trends(shared, dir, clock);
    double v = 120;
    for (auto _ : s) {
        v = v > 125 ? 118 : v + 0.37;
        shared.Cur_VAC = v;
        shared.Cur_A_AMPS = v / 20;
        shared.Cur_B_AMPS = v / 30;
        shared.Cur_KW = v / 50;
        clock.advanceMs(2000);
        trends.Current_Trend_Update();
    }
}
BENCHMARK(BM_TrendStep)->Unit(benchmark::kMicrosecond);

// The two waveform files as the meter's last reading set leaves them.
void writeWaveFiles(const DataDir& dir) {
    QByteArray wave;
    for (int i = 0; i < 25; ++i) wave += QByteArray::number(511 + int(300 * std::sin(i * 0.25))) + "\r\n";
    dir.writeWhole(files::VAC_WAVE, wave);
    dir.writeWhole(files::A_AMP_WAVE, wave);
}

// The two waveform files replaced, as every reading set does.
void BM_WaveFilesReplaced(benchmark::State& s) {
    QTemporaryDir tmp;
    const DataDir dir(tmp.path(), files::displayOnly());
    for (auto _ : s) writeWaveFiles(dir);
}
BENCHMARK(BM_WaveFilesReplaced)->Unit(benchmark::kMicrosecond);

void BM_WaveformRead(benchmark::State& s) {
    QTemporaryDir tmp;
    const DataDir dir(tmp.path(), files::displayOnly());
    writeWaveFiles(dir);
    Waveforms w(dir);
    for (auto _ : s) w.Update_WaveForms();
}
BENCHMARK(BM_WaveformRead)->Unit(benchmark::kMicrosecond);

// The same with the two charts of the Current tab replotting.
void BM_WaveformReadAndPlot(benchmark::State& s) {
    QTemporaryDir tmp;
    const DataDir dir(tmp.path(), files::displayOnly());
    writeWaveFiles(dir);
    Waveforms w(dir);
    WaveformPanel panel(w);
    panel.resize(900, 260);
    panel.show();  // hidden charts are not replotted
    w.Update_WaveForms();
    QCoreApplication::processEvents();  // the first paint loads the fonts
    for (auto _ : s) {
        w.Update_WaveForms();
        QCoreApplication::processEvents();
    }
}
BENCHMARK(BM_WaveformReadAndPlot)->Unit(benchmark::kMicrosecond);

QList<ChartPoint> history(int n) {
    QList<ChartPoint> points;
    points.reserve(n);
    for (int i = 0; i < n; ++i)
        points.append({QStringLiteral("12/%1/2026  %2:%3:00 PM").arg(1 + i / 1440).arg(1 + i / 60 % 12).arg(i % 60),
                       2 + std::sin(i * 0.01) + (i % 7) * 0.1});
    return points;
}

void BM_HistoryChartLoad(benchmark::State& s) {
    ChartView chart;
    chart.resize(1000, 500);
    const QList<ChartPoint> points = history(20160);
    for (auto _ : s) chart.setPoints(points);
}
BENCHMARK(BM_HistoryChartLoad)->Unit(benchmark::kMillisecond);

void BM_HistoryChartLoadAndDraw(benchmark::State& s) {
    ChartView chart;
    chart.resize(1000, 500);
    const QList<ChartPoint> points = history(20160);
    for (auto _ : s) {
        chart.setPoints(points);
        benchmark::DoNotOptimize(chart.picture());
    }
}
BENCHMARK(BM_HistoryChartLoadAndDraw)->Unit(benchmark::kMillisecond);

}  // namespace
