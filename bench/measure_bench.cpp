// Time of the measurement work in one Timer2 tick: one reading set (the three
// channel steps and KW_Update, which rewrites MeterKWS.dat) and one minute
// step (six small files), on a temporary data directory.
#include "model/fieldmodel.h"
#include "model/sharedstate.h"
#include "common/clock.h"
#include "common/datadir.h"
#include "measure/measurement.h"

#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

using namespace kelvora;

struct Bench {
    QTemporaryDir tmp;
    DataDir dir{tmp.path()};
    SharedState state;
    FieldModel fields;
    ManualClock clock;
    Measurement m{state, fields, dir, clock};
};

void BM_ReadingSet(benchmark::State& s) {
    Bench b;
    double v = 120;
    for (auto _ : s) {
        v = v > 125 ? 118 : v + 0.37;
        b.state.VAC_Reading = v;
        b.state.A_AMPS_Reading = 6.2;
        b.state.B_AMPS_Reading = 5.9;
        b.m.Process_VAC_Reading(v);
        b.m.Process_A_AMPS_Reading(6.2);
        b.m.Process_B_AMPS_Reading(5.9);
        b.m.KW_Update();
        b.state.Minute_Flag = 0;  // the minute step is timed on its own
    }
}
BENCHMARK(BM_ReadingSet)->Unit(benchmark::kMicrosecond);

void BM_MinuteStep(benchmark::State& s) {
    Bench b;
    b.state.VAC_Avg = 120.4;
    b.state.A_AMPS_Avg = 6.2;
    b.state.B_AMPS_Avg = 5.9;
    b.fields.setText(QStringLiteral("Text100(2)"), QStringLiteral("120.4"));
    for (auto _ : s) {
        s.PauseTiming();
        b.m.KW_Update();  // the minute step always follows one in the same tick
        s.ResumeTiming();
        b.m.KW_Minute_Update();
    }
}
BENCHMARK(BM_MinuteStep)->Unit(benchmark::kMicrosecond);

}  // namespace
