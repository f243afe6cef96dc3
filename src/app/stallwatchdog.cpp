#include "app/stallwatchdog.h"

#include <QCoreApplication>
#include <QStringList>
#include <algorithm>
#include <cstdio>
#include <ctime>

namespace kelvora {
namespace {

constexpr qint64 kNsPerMs = 1000000;

qint64 threadCpuNs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return qint64(t.tv_sec) * 1'000'000'000 + t.tv_nsec;
}

QString ms(qint64 ns) { return QString::number(double(ns) / kNsPerMs, 'f', 1); }

QString bucketName(std::size_t i) {
    const auto& limits = StallWatchdog::kBucketLimitsMs;
    if (i == 0) return QStringLiteral("< %1 ms").arg(limits[0]);
    if (i == limits.size()) return QStringLiteral(">= %1 ms").arg(limits.back());
    return QStringLiteral("%1-%2 ms").arg(limits[i - 1]).arg(limits[i]);
}

}  // namespace

StallWatchdog::StallWatchdog(QObject* parent) : QObject(parent) {
    timer_.setTimerType(Qt::PreciseTimer);
    timer_.setInterval(kIntervalMs);
    connect(&timer_, &QTimer::timeout, this, &StallWatchdog::tick);
}

void StallWatchdog::start() {
    clock_.start();
    last_ = 0;
    lastCpu_ = threadCpuNs();
    timer_.start();
}

void StallWatchdog::tick() {
    const qint64 now = clock_.nsecsElapsed();
    const qint64 late = now - last_ - kIntervalMs * kNsPerMs;
    if (late > max_) maxAt_ = now;
    record(late);
    last_ = now;
    const qint64 cpu = threadCpuNs();
    recordBusy(cpu - lastCpu_, now);
    lastCpu_ = cpu;
}

void StallWatchdog::recordBusy(qint64 busyNs, qint64 atNs) {
    if (busyNs > maxBusy_) {
        maxBusy_ = busyNs;
        maxBusyAt_ = atNs;
    }
    if (atNs < kStartUpNs || busyNs <= 16 * kNsPerMs) return;
    ++busyFrames_;
    if (busyFrameTimes_.size() < kBusyFramesNamed) busyFrameTimes_ << atNs;
}

void StallWatchdog::record(qint64 lateNs) {
    lateNs = std::max<qint64>(lateNs, 0);  // a tick a little early is on time
    ++ticks_;
    max_ = std::max(max_, lateNs);
    std::size_t bucket = 0;
    while (bucket < kBucketLimitsMs.size() && lateNs >= kBucketLimitsMs[bucket] * kNsPerMs) ++bucket;
    ++histogram_[bucket];
}

QString StallWatchdog::report() const {
    QString text = QStringLiteral("Stall watchdog: %1 ticks of a %2 ms timer over %3 s\n")
                       .arg(ticks_)
                       .arg(kIntervalMs)
                       .arg(QString::number(clock_.isValid() ? clock_.elapsed() / 1000.0 : 0, 'f', 1));
    text += QStringLiteral("  max stall: %1 ms").arg(ms(max_));
    if (clock_.isValid() && max_ > 0)
        text += QStringLiteral(" (%1 s after the start)").arg(QString::number(double(maxAt_) / 1e9, 'f', 1));
    text += QStringLiteral("\n  longest busy stretch of the UI thread: %1 ms of its own processor time").arg(ms(maxBusy_));
    if (maxBusy_ > 0)
        text += QStringLiteral(" (%1 s after the start)").arg(QString::number(double(maxBusyAt_) / 1e9, 'f', 1));
    text += QStringLiteral("\n  busy stretches over 16 ms after the first %1 s: %2")
                .arg(kStartUpNs / 1'000'000'000)
                .arg(busyFrames_);
    if (!busyFrameTimes_.isEmpty()) {
        QStringList at;
        for (const qint64 t : busyFrameTimes_) at << QString::number(double(t) / 1e9, 'f', 1);
        text += QStringLiteral(" (ending %1 s after the start%2)")
                    .arg(at.join(QStringLiteral(", ")), busyFrames_ > quint64(at.size()) ? QStringLiteral(", ...") : QString());
    }
    text += QStringLiteral("\n  late by      ticks\n");
    for (std::size_t i = 0; i < histogram_.size(); ++i)
        text += QStringLiteral("  %1 %2\n").arg(bucketName(i), -12).arg(histogram_[i], 8);
    return text;
}

StallWatchdog* StallWatchdog::startIfAsked(bool commandLineFlag, QObject* application) {
    const QByteArray env = qgetenv("KELVORA_STALL_REPORT");
    if (!commandLineFlag && (env.isEmpty() || env == "0")) return nullptr;
    auto* watchdog = new StallWatchdog(application);
    connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, watchdog, [watchdog] {
        std::fputs(qPrintable(watchdog->report()), stderr);
        std::fflush(stderr);
    });
    watchdog->start();
    return watchdog;
}

}  // namespace kelvora
