#include "app/stallwatchdog.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <QTimer>
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
}

// A handler that holds the event loop for 60 ms is seen as one stall of
// about that length; the ticks before and after it are on time.
TEST(StallWatchdog, SeesAnEventLoopHeldUp) {
    StallWatchdog w;
    w.start();
    QTimer::singleShot(50, [] { QThread::msleep(60); });
    QElapsedTimer run;
    run.start();
    // A busy machine serves fewer ticks; the held-up one is what counts.
    while ((run.elapsed() < 200 || w.ticks() < 12) && run.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    EXPECT_GE(w.maxStallNs(), 50'000'000);
    EXPECT_LT(w.maxStallNs(), 1'000'000'000);
    EXPECT_GE(w.ticks(), 12u);
    const auto& h = w.histogram();
    EXPECT_GE(std::accumulate(h.begin() + 6, h.end(), quint64(0)), 1u);  // 32 ms or more
}
