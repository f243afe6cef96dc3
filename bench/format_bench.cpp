// Cost of one call of the picture formatters the main window runs every reading.
#include "common/format.h"

#include <benchmark/benchmark.h>

namespace {

void BM_FormatNumberKw(benchmark::State& state) {
    double value = 121.46;
    for (auto _ : state) {
        benchmark::DoNotOptimize(kelvora::formatNumber(value, u"##0.0"));
        value += 0.01;
    }
}
BENCHMARK(BM_FormatNumberKw);

void BM_FormatDateShort(benchmark::State& state) {
    const QDateTime when(QDate(2026, 12, 5), QTime(14, 3, 9));
    for (auto _ : state) benchmark::DoNotOptimize(kelvora::formatDate(when, u"mm/dd/yyyy"));
}
BENCHMARK(BM_FormatDateShort);

}  // namespace
