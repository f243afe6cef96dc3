#pragma once
#include "model/fieldmodel.h"
#include "model/sharedstate.h"
#include "common/clock.h"

#include <QList>
#include <QObject>
#include <QTimer>
#include <functional>

namespace kelvora {

class Measurement;
class MeterLink;

// The three timers of the main window that drive all periodic work:
//   Timer1 (1 s)   just after each whole second: date and time, hourly count, the minute consumers, connection supervision
//   Timer2 (1 ms)  the processing chain of each decoded message, after the
//                  period boundary check
//   Timer3 (10 ms) hands the receive slots to the decoder
// Timer2 and Timer3 tick only when a tick has something to do, with the same
// delays: Timer3 10 ms after data has been stored in a slot, Timer2 1 ms after
// a scan has decoded a complete message and just after each whole second for
// the boundary check (whose comparisons are to the whole second). Free-running,
// they would wake the process 1100 times a second for nothing.
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

    void Timer1_Timer();
    void Timer2_Timer();
    void Timer3_Timer();

    // First step of every Timer2 tick (the KWH period boundaries).
    void addBoundaryCheck(std::function<void()> step) { boundaryChecks_ << std::move(step); }
    // Steps after the power step of each message (trend, waveforms), in order.
    void addMessageStep(std::function<void()> step) { messageSteps_ << std::move(step); }
    // A Timer1 step that runs while its one-minute ready flag is 1, in the
    // order added; the step clears the flag.
    void addMinuteConsumer(int SharedState::*readyFlag, std::function<void()> step) {
        minuteConsumers_ << MinuteConsumer{readyFlag, std::move(step)};
    }

    // The minute consumers whose ready flag is 1, in the order added: the
    // part of every Timer1 tick that records the minute.
    void runMinuteConsumers();
    // The boundary checks that open every Timer2 tick.
    void runBoundaryChecks();
    // The ready flags of the minute consumers, in the order they run.
    QList<int SharedState::*> minuteConsumerFlags() const {
        QList<int SharedState::*> flags;
        for (const MinuteConsumer& c : minuteConsumers_) flags << c.readyFlag;
        return flags;
    }

    int hourSeconds() const { return Hour_Seconds; }
    static constexpr int kHourTicks = 3600;
    // Timer1 fires this long after each whole second of the clock, so the
    // time shown never lags and no second is skipped or shown twice.
    static constexpr int kSecondTickLagMs = 5;
    static int msUntilNextSecondTick(const QTime& now);
    int timer1IntervalMs() const { return timer1_.interval(); }

private:
    struct MinuteConsumer {
        int SharedState::*readyFlag;
        std::function<void()> step;
    };
    void runSecondTick();
    void secondTickFailed(const char* why);
    void armTimer1();
    void showDateAndTime();
    void countHour();
    void processMessage();
    void armTimer2();

    SharedState& shared_;
    FieldModel& fields_;
    const Clock& clock_;
    MeterLink& link_;
    Measurement& measurement_;
    QTimer timer1_;
    QTimer timer2_;
    QTimer timer3_;
    int Hour_Seconds = 0;
    QList<std::function<void()>> boundaryChecks_;
    QList<std::function<void()>> messageSteps_;
    QList<MinuteConsumer> minuteConsumers_;
};

}  // namespace kelvora
