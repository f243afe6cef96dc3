#pragma once
#include "model/fieldmodel.h"
#include "model/sharedstate.h"
#include "common/clock.h"
#include "model/minuterecord.h"

#include <QList>
#include <QObject>
#include <QTimer>
#include <deque>
#include <functional>

namespace kelvora {

class Measurement;
class MeterLink;

// The three timers of the main window that drive all periodic work:
//   Timer1 (1 s)   just after each whole second: the period boundary check
//                  (whose comparisons are to the whole second), the second
//                  steps, date and time, the minute consumers, connection
//                  supervision
//   Timer2 (1 ms)  the processing chain of each decoded message, after the
//                  period boundary check
//   Timer3 (10 ms) hands the receive slots to the decoder
// Timer2 and Timer3 tick only when a tick has something to do, with the same
// delays: Timer3 10 ms after data has been stored in a slot, Timer2 1 ms after
// a scan has decoded a complete message. Free-running, they would wake the
// process 1100 times a second for nothing; every periodic step of the second
// runs in Timer1's one wake-up.
// Steps that other subsystems provide plug in through the add* calls, so the
// chain runs with whatever steps exist.
class Scheduler : public QObject {
    Q_OBJECT
public:
    Scheduler(SharedState& shared, FieldModel& fields, const Clock& clock, MeterLink& link,
              Measurement& measurement, QObject* parent = nullptr);

    // Starts the timers; every state the ticks read must be loaded by then.
    void start();
    bool isRunning() const;
    // Timer2 waits to process a decoded message.
    bool messageTickArmed() const { return timer2_.isActive(); }

    void Timer1_Timer();
    void Timer2_Timer();
    void Timer3_Timer();

    // A step of every Timer1 tick, after the boundary checks (what would
    // otherwise need a one-second timer, and a wake-up, of its own).
    void addSecondStep(std::function<void()> step) { secondSteps_ << std::move(step); }
    // First step of every Timer1 and Timer2 tick (the KWH period boundaries).
    void addBoundaryCheck(std::function<void()> step) { boundaryChecks_ << std::move(step); }
    // Steps after the power step of each message (trend, waveforms), in order.
    void addMessageStep(std::function<void()> step) { messageSteps_ << std::move(step); }
    // A Timer1 step that takes each minute record of the minute step, in the
    // order added.
    using MinuteConsumer = std::function<void(const MinuteRecord&)>;
    void addMinuteConsumer(QString name, MinuteConsumer step) {
        minuteConsumers_ << NamedConsumer{std::move(name), std::move(step)};
    }

    // The part of every Timer1 tick that records the minute: each minute
    // made since the last tick goes to every consumer, in the order added.
    // A consumer that fails does not keep the minute from the others.
    void runMinuteConsumers();
    // The minute step's record, held for the next Timer1 tick.
    void queueMinute(const MinuteRecord& minute) { pendingMinutes_.push_back(minute); }
    qsizetype minutesPending() const { return qsizetype(pendingMinutes_.size()); }
    // The boundary checks that open every Timer1 and Timer2 tick.
    void runBoundaryChecks();
    // The minute consumers, by name, in the order they run.
    QStringList minuteConsumerNames() const {
        QStringList names;
        for (const NamedConsumer& c : minuteConsumers_) names << c.name;
        return names;
    }
    // Timer1 fires this long after each whole second of the clock, so the
    // time shown never lags and no second is skipped or shown twice.
    static constexpr int kSecondTickLagMs = 5;
    static int msUntilNextSecondTick(const QTime& now);
    int timer1IntervalMs() const { return timer1_.interval(); }

Q_SIGNALS:
    // Each Timer1 tick, after the second steps: windows that would otherwise
    // wake the program with a one-second timer of their own tick with it.
    void secondTicked();

private:
    struct NamedConsumer {
        QString name;
        MinuteConsumer step;
    };
    void runSecondTick();
    void secondTickFailed(const char* why);
    void armTimer1();
    void showDateAndTime();
    void processMessage();
    void armTimer2();
    void countFirstMinute();
    static bool sameHour(const QDateTime& a, const QDateTime& b);

    SharedState& shared_;
    FieldModel& fields_;
    const Clock& clock_;
    MeterLink& link_;
    Measurement& measurement_;
    QTimer timer1_;
    QTimer timer2_;
    QTimer timer3_;
    QList<std::function<void()>> secondSteps_;
    QList<std::function<void()>> boundaryChecks_;
    QList<std::function<void()>> messageSteps_;
    QList<NamedConsumer> minuteConsumers_;
    std::deque<MinuteRecord> pendingMinutes_;
};

}  // namespace kelvora
