// kelvora-bench: every benchmark of the project in one program. The chart
// benchmarks need an application object; without a display they draw offscreen.
#include "common/heap.h"

#include <QApplication>
#include <benchmark/benchmark.h>

int main(int argc, char** argv) {
    kelvora::keepFileBuffersInHeap();
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
