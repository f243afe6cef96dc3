// One minute of history recording with every history file full: the four
// quantities' steps as the one-second tick runs them (32 files read, rewritten
// and synced), against the floor of the same file work without any parsing.
// The _NoSync twins leave the disk out and show the work of the processor.
// Each iteration replaces 32 files right after the last did, so the file
// system finds many just-deleted inodes to step over when it creates the next
// files; the app replaces them once a minute and does not pay that.
#include "historyfixture.h"

#include "common/diskwriter.h"
#include "history/historyupdate.h"
#include "common/clock.h"
#include "model/windowstate.h"

#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <memory>
#include <vector>

namespace {

using namespace kelvora;

QSet<QString> unsynced(bool sync) {
    if (sync) return {};
    QSet<QString> all;
    for (const HistoryQuantity& q : historyQuantities())
        for (const HistorySpan& span : kHistorySpans) all << q.file(span);
    return all;
}

struct FullHistories {
    explicit FullHistories(bool sync = true) : dir(tmp.path(), unsynced(sync)) {
        bench::fillFullHistories(dir, clock.now());
    }
    QTemporaryDir tmp;
    DataDir dir;  // every history file synced, as in the app, unless told otherwise
    ManualClock clock;
};

// The time the thread that draws the windows spends on one minute of the four
// histories: with the disk writer, it reads (the newest content, on the disk
// or queued) and queues; without it, it also waits for every sync.
void minuteSteps(benchmark::State& s, bool sync, bool writer = false) {
    FullHistories h(sync);
    if (writer) h.dir.attachWriter(std::make_shared<DiskWriter>(std::make_unique<DirectorySink>(h.tmp.path())));
    WindowState windows;
    std::vector<std::unique_ptr<HistoryUpdate>> updates;
    for (const HistoryQuantity& q : historyQuantities())
        updates.push_back(std::make_unique<HistoryUpdate>(q, windows, h.dir));
    for (auto _ : s) {
        h.clock.advanceMs(60'000);
        MinuteRecord minute{h.clock.now(), 240.1, 6.2, 5.1, 2.7, 0.045, 0.003};
        for (auto& u : updates) u->History_Update(minute);
    }
}
void BM_HistoryMinuteStep_Full(benchmark::State& s) { minuteSteps(s, true); }
void BM_HistoryMinuteStep_Writer(benchmark::State& s) { minuteSteps(s, true, true); }
BENCHMARK(BM_HistoryMinuteStep_Writer)->Unit(benchmark::kMillisecond)->UseRealTime();
void BM_HistoryMinuteStep_NoSync(benchmark::State& s) { minuteSteps(s, false); }
BENCHMARK(BM_HistoryMinuteStep_NoSync)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_HistoryMinuteStep_Full)->Unit(benchmark::kMillisecond)->UseRealTime();

// Each quantity's eight files read and written back unchanged, one synced
// batch per quantity as the minute step writes them.
void copySameBytes(benchmark::State& s, bool sync) {
    FullHistories h(sync);
    for (auto _ : s) {
        for (const HistoryQuantity& q : historyQuantities()) {
            QList<DataDir::WholeFile> batch;
            for (const HistorySpan& span : kHistorySpans)
                batch << DataDir::WholeFile{q.file(span), h.dir.read(q.file(span)).value_or(QByteArray())};
            benchmark::DoNotOptimize(h.dir.writeBatch(batch));
        }
    }
}
void BM_CopySameBytes(benchmark::State& s) { copySameBytes(s, true); }
void BM_CopySameBytes_NoSync(benchmark::State& s) { copySameBytes(s, false); }
BENCHMARK(BM_CopySameBytes_NoSync)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_CopySameBytes)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
