#include "app/scheduler.h"

#include "common/format.h"
#include "common/timestamp.h"
#include "link/meterlink.h"
#include "measure/measurement.h"

#include <exception>

namespace kelvora {
namespace {

// Runs a step of a tick; one that fails is logged and keeps no other step from running.
template <typename Step>
void guarded(const char* what, const Step& step) {
    try {
        step();
    } catch (const std::exception& e) {
        qWarning("%s failed: %s", what, e.what());
    } catch (...) {
        qWarning("%s failed: unknown exception", what);
    }
}

}  // namespace

Scheduler::Scheduler(SharedState& shared, FieldModel& fields, const Clock& clock, MeterLink& link,
                     Measurement& measurement, QObject* parent)
    : QObject(parent), shared_(shared), fields_(fields), clock_(clock), link_(link), measurement_(measurement) {
    timer1_.setSingleShot(true);
    timer1_.setTimerType(Qt::PreciseTimer);
    timer2_.setSingleShot(true);
    timer2_.setTimerType(Qt::PreciseTimer);
    timer3_.setInterval(10);
    timer3_.setSingleShot(true);
    connect(&timer1_, &QTimer::timeout, this, &Scheduler::Timer1_Timer);
    connect(&timer2_, &QTimer::timeout, this, &Scheduler::Timer2_Timer);
    connect(&timer3_, &QTimer::timeout, this, &Scheduler::Timer3_Timer);
    connect(&link_, &MeterLink::dataStored, this, [this] {
        if (!timer3_.isActive()) timer3_.start();
    });
}

void Scheduler::start() {
    showDateAndTime();  // not a blank second before the first tick
    armTimer1();
}

bool Scheduler::isRunning() const { return timer1_.isActive(); }

int Scheduler::msUntilNextSecondTick(const QTime& now) {
    return 1000 - now.msec() + kSecondTickLagMs;
}

void Scheduler::armTimer1() { timer1_.start(msUntilNextSecondTick(clock_.now().time())); }

void Scheduler::Timer1_Timer() {
    // Armed before the tick runs: a tick that waits for the serial server
    // lets the next seconds tick inside its wait, so the clock never stalls.
    armTimer1();
    runSecondTick();
}

void Scheduler::runSecondTick() {
    // The period boundaries are checked at the whole second here, in the
    // same wake-up as the rest of the second's work, and again before each
    // message.
    guarded("Boundary check", [this] { runBoundaryChecks(); });
    for (const auto& step : secondSteps_) guarded("One-second step", step);
    guarded("One-second step", [this] { Q_EMIT secondTicked(); });
    try {
        showDateAndTime();
        runMinuteConsumers();
        link_.superviseConnection();
    } catch (const std::exception& e) {
        secondTickFailed(e.what());
    } catch (...) {
        secondTickFailed("unknown exception");
    }
}

void Scheduler::secondTickFailed(const char* why) {
    // The rest of the tick is skipped; the status shows the socket's state.
    qWarning("One-second tick failed: %s", why);
    fields_.setText(QStringLiteral("Text101"), MeterLink::noConnectionText(link_.socketState()));
}

void Scheduler::runBoundaryChecks() {
    // A minute booked before the hour turned (it waits for the next whole
    // second) is counted in the hour, day, month and year it was used in,
    // not in the ones that start.
    if (!pendingMinutes_.empty()) {
        const QDateTime now = clock_.now();
        while (!pendingMinutes_.empty() && !sameHour(pendingMinutes_.front().stamp, now)) countFirstMinute();
    }
    for (const auto& check : boundaryChecks_) check();
}

bool Scheduler::sameHour(const QDateTime& a, const QDateTime& b) {
    return a.date() == b.date() && a.time().hour() == b.time().hour();
}

void Scheduler::runMinuteConsumers() {
    while (!pendingMinutes_.empty()) countFirstMinute();
}

void Scheduler::countFirstMinute() {
    const MinuteRecord minute = pendingMinutes_.front();
    pendingMinutes_.pop_front();
    for (const NamedConsumer& c : minuteConsumers_)
        guarded(qPrintable(QStringLiteral("The minute step of %1").arg(c.name)), [&] { c.step(minute); });
}

void Scheduler::showDateAndTime() {
    const QDateTime now = clock_.now();
    fields_.setText(QStringLiteral("Label16"),
                    QLocale(QLocale::English).dayName(now.date().dayOfWeek()) + QStringLiteral(",  ") +
                        formatDate(now, u"mmm dd, yyyy"));
    fields_.setText(QStringLiteral("Label15"), stampTime(now.time()));
}

void Scheduler::Timer2_Timer() {
    // One failing step must not stop the chain for good: the rest of this
    // tick is skipped and the next tick runs as usual.
    guarded("Processing tick", [this] {
        runBoundaryChecks();
        if (shared_.New_Message == 1) processMessage();
    });
    // A message decoded while this one was processed gets its own tick.
    if (shared_.New_Message == 1) armTimer2();
}

void Scheduler::armTimer2() {
    constexpr int kMessageDelayMs = 1;
    timer2_.start(kMessageDelayMs);
}

void Scheduler::processMessage() {
    shared_.New_Message = 0;
    link_.markMessageProcessed();
    measurement_.Process_VAC_Reading(shared_.VAC_Reading);
    measurement_.Process_A_AMPS_Reading(shared_.A_AMPS_Reading);
    measurement_.Process_B_AMPS_Reading(shared_.B_AMPS_Reading);
    measurement_.KW_Update();
    if (shared_.Minute_Flag == 1) {
        queueMinute(measurement_.KW_Minute_Update());
        fields_.setText(QStringLiteral("Label7"), stampTime(clock_.now().time()));
        shared_.Minute_Flag = 0;
    }
    for (const auto& step : messageSteps_) step();
}

void Scheduler::Timer3_Timer() {
    link_.scanSlots();
    if (shared_.New_Message == 1 && !timer2_.isActive()) armTimer2();
}

}  // namespace kelvora
