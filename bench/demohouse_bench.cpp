// The demo house of the first make run: a simulated day of the household
// recorded through the app's own minute steps (histories, KWH periods),
// in memory-backed storage as the generator does it. make run records 14.
#include "demohouse.h"

#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

void BM_DemoHouseDay(benchmark::State& state) {
    const QDateTime end(QDate(2026, 12, 5), QTime(18, 0, 0));
    for (auto _ : state) {
        QTemporaryDir dir;
        const bool ok = kelvora::demo::generateDemoHouse({dir.path(), end, 24 * 60, 7, {}});
        if (!ok) state.SkipWithError("the demo house could not be recorded");
    }
    state.counters["minutes/s"] = benchmark::Counter(24.0 * 60 * double(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_DemoHouseDay)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
