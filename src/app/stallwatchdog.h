#pragma once
#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QList>
#include <QTimer>
#include <array>

namespace kelvora {

// Measures how long the UI thread keeps a person waiting: a 5 ms timer asks
// to be served every 5 ms, and each tick that comes later than that counts
// its lateness, the time a tick, a repaint or a file step held the event loop.
// It keeps the largest lateness and a histogram of all of them. On a busy
// machine a tick is also late while other programs have the processor, so it
// keeps apart the UI thread's own processor time between two ticks: the
// longest such busy stretch is what the program itself held the loop for.
class StallWatchdog : public QObject {
    Q_OBJECT
public:
    static constexpr int kIntervalMs = 5;
    // Upper bounds of the histogram's buckets in ms; the last bucket holds
    // everything from 1 s up.
    static constexpr std::array<int, 11> kBucketLimitsMs = {1, 2, 4, 8, 16, 32, 64, 128, 256, 512, 1000};
    using Histogram = std::array<quint64, kBucketLimitsMs.size() + 1>;

    explicit StallWatchdog(QObject* parent = nullptr);

    void start();
    // Counts one tick that came `lateNs` nanoseconds after it was due.
    void record(qint64 lateNs);
    // Counts the UI thread's processor time between two ticks, `atNs` after the start.
    void recordBusy(qint64 busyNs, qint64 atNs);

    qint64 maxStallNs() const { return max_; }
    const Histogram& histogram() const { return histogram_; }
    quint64 ticks() const { return ticks_; }
    qint64 maxBusyNs() const { return maxBusy_; }
    // Busy stretches over one frame (16 ms) after the start-up (the first 10 s).
    static constexpr qint64 kStartUpNs = 10'000'000'000;
    quint64 busyFramesAfterStartUp() const { return busyFrames_; }
    // When the first of them ended, in nanoseconds after the start (the
    // report names them, to be laid beside what the program did then).
    static constexpr int kBusyFramesNamed = 8;
    const QList<qint64>& busyFrameTimes() const { return busyFrameTimes_; }

    // The figures as a few lines of text, for the standard error stream.
    QString report() const;

    // With --stall-report or KELVORA_STALL_REPORT=1 (and not 0): a watchdog
    // that runs for the life of the application and prints its report to
    // the standard error stream when the application quits (main() makes
    // SIGINT and SIGTERM quit it in order, so the report comes out then too).
    static StallWatchdog* startIfAsked(bool commandLineFlag, QObject* application);

private:
    void tick();

    QTimer timer_;
    QElapsedTimer clock_;
    qint64 last_ = 0;
    qint64 max_ = 0;
    qint64 maxAt_ = 0;
    quint64 ticks_ = 0;
    QList<qint64> busyFrameTimes_;
    Histogram histogram_{};
    qint64 lastCpu_ = 0;
    qint64 maxBusy_ = 0;
    qint64 maxBusyAt_ = 0;
    quint64 busyFrames_ = 0;
};

}  // namespace kelvora
