#include "app/stallwatchdog.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <QTimer>
#include <ctime>
#include <numeric>
#include <gtest/gtest.h>

using namespace kelvora;

// Each lateness lands in the bucket whose range holds it: lower bound
// included, upper bound not; early ticks count as on time.
TEST(StallWatchdog, HistogramBucketsByLateness) {
    const struct { double lateMs; std::size_t bucket; } cases[] = {
        {-0.3, 0}, {0, 0}, {0.999, 0}, {1, 1}, {3.9, 2}, {16, 5}, {63.9, 6}, {999, 10}, {1000, 11}, {7200e3, 11},
    };
    StallWatchdog w;
    StallWatchdog::Histogram expected{};
    for (const auto& c : cases) {
        w.record(qint64(c.lateMs * 1e6));
        ++expected[c.bucket];
    }
    EXPECT_EQ(w.histogram(), expected);
    EXPECT_EQ(w.ticks(), std::size(cases));
    EXPECT_EQ(w.maxStallNs(), qint64(7200e9));
    const QString report = w.report();
    EXPECT_TRUE(report.contains("max stall: 7200000.0 ms")) << report.toStdString();
    EXPECT_TRUE(report.contains(">= 1000 ms")) << report.toStdString();
    w.recordBusy(20'000'000, 5'000'000'000);  // in the start-up
    w.recordBusy(17'000'000, 11'000'000'000);
    w.recordBusy(16'000'000, 12'000'000'000);
    EXPECT_EQ(w.busyFramesAfterStartUp(), 1u);
    EXPECT_TRUE(w.report().contains("longest busy stretch of the UI thread: 20.0 ms")) << w.report().toStdString();
    EXPECT_TRUE(w.report().contains("after the first 10 s: 1 (ending 11.0 s after the start)")) << w.report().toStdString();
    for (int i = 0; i < StallWatchdog::kBusyFramesNamed; ++i) w.recordBusy(17'000'000, (20 + qint64(i)) * 1'000'000'000);
    EXPECT_EQ(w.busyFrameTimes().size(), StallWatchdog::kBusyFramesNamed);
    EXPECT_TRUE(w.report().contains(", 26.0 s after the start, ...)")) << w.report().toStdString();
}

// A handler that holds the event loop for 60 ms is seen as one stall of
// about that length; the ticks before and after it are on time. Only a
// handler that works (here 30 ms of processor time) makes a busy stretch.
TEST(StallWatchdog, SeesAnEventLoopHeldUp) {
    StallWatchdog w;
    w.start();
    QTimer::singleShot(50, [] { QThread::msleep(60); });
    bool worked = false;
    QTimer::singleShot(120, [&worked] {
        timespec start{}, now{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &start);
        do clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
        while ((now.tv_sec - start.tv_sec) * 1'000'000'000 + (now.tv_nsec - start.tv_nsec) < 30'000'000);
        worked = true;
    });
    QElapsedTimer run;
    run.start();
    // A busy machine serves fewer ticks; the held-up one is what counts.
    while ((run.elapsed() < 200 || w.ticks() < 12 || !worked) && run.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    EXPECT_GE(w.maxStallNs(), 50'000'000);
    EXPECT_LT(w.maxStallNs(), 1'000'000'000);
    EXPECT_GE(w.ticks(), 12u);
    EXPECT_GE(w.maxBusyNs(), 25'000'000);
    EXPECT_LT(w.maxBusyNs(), 55'000'000);  // the sleep is no work
    EXPECT_EQ(w.busyFramesAfterStartUp(), 0u);
    const auto& h = w.histogram();
    EXPECT_GE(std::accumulate(h.begin() + 6, h.end(), quint64(0)), 1u);  // 32 ms or more
}
