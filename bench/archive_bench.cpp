// The explorer on a two-year archive on disk (the page cache warm after the
// first read): a year and a month of KW read, worked out for the plot's
// width and drawn offscreen, with nothing parsed before (a window just
// opened); then zoom and pan steps with the months already parsed; and what
// the window with both years open adds to the program's memory.
#include "archivefixture.h"

#include "history/archivereader.h"
#include "ui/explorerplot.h"
#include "ui/explorerwindow.h"

#include <QApplication>
#include <QComboBox>
#include <QImage>
#include <QPixmap>
#include <benchmark/benchmark.h>
#include <unistd.h>

namespace {

using namespace kelvora;

TimeRange days(QDate from, QDate to) { return timeRange(from.startOfDay(), to.startOfDay()); }

struct Plot {
    Plot() { plot.resize(1100, 560); }
    void draw(ArchiveStore& store, TimeRange view) {
        const ExploreResult r = explore(store, ExploreRequest{1, ArchiveQuantity::Kw, view, plot.columns()});
        plot.setResult(r, QStringLiteral("KW"), QString());
        // As on a screen's backing store.
        QImage image(plot.size(), QImage::Format_RGB32);
        plot.render(&image);
        benchmark::DoNotOptimize(image);
    }
    DataDir dir{bench::twoYearArchive()};
    ExplorerPlot plot;
};

void openAndDraw(benchmark::State& s, TimeRange range) {
    Plot p;
    for (auto _ : s) {
        ArchiveStore store(p.dir);  // nothing parsed yet
        p.plot.setWhole(range);
        p.draw(store, range);
    }
}

void BM_Explore_YearOfKw_OpenedAndDrawn(benchmark::State& s) {
    openAndDraw(s, days(QDate(2026, 1, 1), QDate(2027, 1, 1)));
}
void BM_Explore_MonthOfKw_OpenedAndDrawn(benchmark::State& s) {
    openAndDraw(s, days(QDate(2026, 11, 1), QDate(2026, 12, 1)));
}
void BM_Explore_WeekOfKw_OpenedAndDrawn(benchmark::State& s) {
    openAndDraw(s, days(QDate(2026, 11, 9), QDate(2026, 11, 16)));
}
BENCHMARK(BM_Explore_YearOfKw_OpenedAndDrawn)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Explore_MonthOfKw_OpenedAndDrawn)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Explore_WeekOfKw_OpenedAndDrawn)->Unit(benchmark::kMillisecond)->UseRealTime();

// The same through the window as a user opens it: made, shown, "This year"
// chosen, the answer from the reader's thread drawn.
void BM_Explore_WindowOpenedOnAYearOfKw(benchmark::State& s) {
    const DataDir dir(bench::twoYearArchive());
    const ManualClock clock(QDateTime(QDate(2026, 12, 31), QTime(12, 0)));
    for (auto _ : s) {
        ExplorerWindow w(dir, clock);
        w.resize(1100, 640);
        w.show();
        w.findChild<QComboBox*>(QStringLiteral("CMB_Range"))->setCurrentIndex(int(ExploreRange::ThisYear));
        while (w.shownResult().request.range.span() < 300LL * 86'400'000)
            QApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 5);
        QImage image(w.plot().size(), QImage::Format_RGB32);
        w.plot().render(&image);
        benchmark::DoNotOptimize(image);
    }
}
BENCHMARK(BM_Explore_WindowOpenedOnAYearOfKw)->Unit(benchmark::kMillisecond)->UseRealTime();

// From a year down to a few hours and back, a wheel notch a step, with the
// months the steps need already parsed; each iteration is one step, worked
// out and drawn.
void BM_Explore_ZoomStep(benchmark::State& s) {
    Plot p;
    ArchiveStore store(p.dir);
    p.plot.setWhole(days(QDate(2026, 1, 1), QDate(2027, 1, 1)));
    const double x = p.plot.plotArea().left() + p.plot.plotArea().width() * 0.47;
    constexpr int kNotches = 36;  // 0.8^36: a year to about 10 hours
    int notch = 0;
    const auto step = [&] {
        p.plot.zoomAt(x, notch < kNotches ? 0.8 : 1.25);
        notch = (notch + 1) % (2 * kNotches);
        p.draw(store, p.plot.view());
    };
    for (int i = 0; i < 2 * kNotches; ++i) step();  // parses what the steps read
    for (auto _ : s) step();
}

// A week dragged a hundred pixels at a time across a month.
void BM_Explore_PanStep(benchmark::State& s) {
    Plot p;
    ArchiveStore store(p.dir);
    p.plot.setWhole(days(QDate(2026, 10, 1), QDate(2026, 12, 1)));
    p.plot.setView(days(QDate(2026, 10, 1), QDate(2026, 10, 8)));
    int direction = -1;
    const auto step = [&] {
        const TimeRange before = p.plot.view();
        p.plot.panByPixels(100 * direction);
        if (p.plot.view() == before) {
            direction = -direction;
            p.plot.panByPixels(100 * direction);
        }
        p.draw(store, p.plot.view());
    };
    for (int i = 0; i < 100; ++i) step();  // parses both months
    for (auto _ : s) step();
}
BENCHMARK(BM_Explore_ZoomStep)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Explore_PanStep)->Unit(benchmark::kMillisecond)->UseRealTime();

double residentMb() {
    long pages = 0, resident = 0;
    if (FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
        std::fclose(f);
    }
    return double(resident) * double(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

// The window on "All" (both years), with its figures, which read every minute.
void BM_Explore_TwoYearsOpen_Memory(benchmark::State& s) {
    const DataDir dir(bench::twoYearArchive());
    const ManualClock clock(QDateTime(QDate(2026, 12, 31), QTime(12, 0)));
    double added = 0;
    for (auto _ : s) {
        const double before = residentMb();
        ExplorerWindow w(dir, clock);
        w.resize(1100, 640);
        w.show();
        w.findChild<QComboBox*>(QStringLiteral("CMB_Range"))->setCurrentIndex(int(ExploreRange::All));
        while (!(w.idle() && w.plot().whole().span() > 700LL * 86'400'000)) QApplication::processEvents(QEventLoop::AllEvents, 50);
        added = residentMb() - before;
    }
    s.counters["added_MB"] = added;
}
BENCHMARK(BM_Explore_TwoYearsOpen_Memory)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

}  // namespace
