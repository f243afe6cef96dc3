// A history window loading its 14-day file at full capacity (20,160 records):
// the file read, its records parsed and the chart's series replaced. The
// _Drawn twin also paints the chart once, offscreen.
#include "historyfixture.h"

#include "ui/chartservice.h"
#include "ui/historytrendwindow.h"

#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

using namespace kelvora;

struct OpenWindow {
    OpenWindow() {
        const HistoryQuantity& kw = historyQuantities()[0];
        for (const HistorySpan& span : {kHistorySpans[0], kHistorySpans[7]})
            dir.writeWhole(kw.file(span), bench::fullHistoryFile(kw, span.capacity, clock.now()));
        window.show();
    }
    QTemporaryDir tmp;
    DataDir dir{tmp.path()};
    ManualClock clock;
    WindowState windows;
    HistoryTrendWindow window{historyWindowConfigs()[0], windows, dir, clock};
};

void loadFourteenDays(benchmark::State& s, bool draw) {
    OpenWindow w;
    for (auto _ : s) {
        w.window.periodClicked(7);
        if (draw) benchmark::DoNotOptimize(w.window.chart().picture());
        s.PauseTiming();
        w.window.periodClicked(0);
        s.ResumeTiming();
    }
    if (w.window.chart().rowCount() != 60) s.SkipWithError("the chart did not load");
}

void BM_LoadHistoryChart_14Day(benchmark::State& s) { loadFourteenDays(s, false); }
void BM_LoadHistoryChart_14Day_Drawn(benchmark::State& s) { loadFourteenDays(s, true); }
BENCHMARK(BM_LoadHistoryChart_14Day)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_LoadHistoryChart_14Day_Drawn)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
