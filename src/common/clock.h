#pragma once
#include <QDateTime>
#include <QElapsedTimer>

namespace kelvora {

// The one source of the date and time. The app uses SystemClock; tests set
// the time with ManualClock.
class Clock {
public:
    virtual ~Clock() = default;
    // Local wall-clock time.
    virtual QDateTime now() const = 0;
    // Milliseconds on a clock that never wraps or jumps (for waits and timeouts).
    virtual qint64 elapsedMs() const = 0;
};

class SystemClock final : public Clock {
public:
    SystemClock() { timer_.start(); }
    QDateTime now() const override { return QDateTime::currentDateTime(); }
    qint64 elapsedMs() const override { return timer_.elapsed(); }

private:
    QElapsedTimer timer_;
};

// A clock that moves only when told to.
class ManualClock final : public Clock {
public:
    explicit ManualClock(QDateTime start = QDateTime(QDate(2026, 12, 5), QTime(14, 3, 0)))
        : now_(std::move(start)) {}
    QDateTime now() const override { return now_; }
    qint64 elapsedMs() const override { return elapsed_; }
    void set(const QDateTime& when) { now_ = when; }
    void advanceMs(qint64 ms) { now_ = now_.addMSecs(ms); elapsed_ += ms; }

private:
    QDateTime now_;
    qint64 elapsed_ = 0;
};

}  // namespace kelvora
