#include "app/scheduler.h"
#include "link/meterdecoder.h"
#include "link/meterlink.h"
#include "measure/measurement.h"
#include "support/fakes.h"
#include "support/messages.h"
#include "support/wait.h"
#include "support/warnings.h"

#include <gtest/gtest.h>
#include <stdexcept>
#include <utility>

using namespace kelvora;
using kelvora::testing::meterMessage;
using kelvora::testing::TempDataDir;

namespace {

// The processing chain without a socket: data goes straight into the slots.
struct SchedulerTest : ::testing::Test {
    SchedulerTest() {
        selectMainsOption(fields, "240");
        scheduler.addMessageStep([this] { ++runs; });
    }
    TempDataDir tmp;
    ManualClock clock;
    SharedState shared;
    FieldModel fields;
    MeterDecoder decoder{shared, fields, tmp.dir()};
    MeterLink link{fields, clock, [this](const QString& s) { decoder.DecodeMeterMessage(s); }};
    Measurement measurement{shared, fields, tmp.dir(), clock};
    Scheduler scheduler{shared, fields, clock, link, measurement};
    int runs = 0;

    void receive(const QString& data) {
        link.Winsock1_DataArrival(data), scheduler.Timer3_Timer(), scheduler.Timer2_Timer();
    }
};

}  // namespace

// A tick without a new message runs only the boundary check. Timer2 is
// armed only for a decoded message: the whole seconds are Timer1's.
TEST_F(SchedulerTest, TwoMessagesInOneScanGiveOneRunWithTheLaterReadings) {
    int checks = 0;
    scheduler.addBoundaryCheck([&] { ++checks; });
    scheduler.start();
    EXPECT_FALSE(scheduler.messageTickArmed());
    link.Winsock1_DataArrival(meterMessage(911, 767, 639));  // 240 V, 100 A, 50 A
    link.Winsock1_DataArrival(meterMessage(861, 639, 575));  // 210 V, 50 A, 25 A
    scheduler.Timer3_Timer();
    EXPECT_TRUE(scheduler.messageTickArmed());
    for (int i = 0; i < 3; ++i) scheduler.Timer2_Timer();
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(checks, 3);
    // The tick armed for the message fires once more and arms nothing after it.
    EXPECT_TRUE(kelvora::testing::waitUntil([&] { return !scheduler.messageTickArmed(); }, 300));
    EXPECT_EQ(checks, 4);
    EXPECT_DOUBLE_EQ(measurement.power().Inst_Voltage, 210.0);
    EXPECT_EQ(link.messageProcessed(), 1);
}

// The one-second tick hands each queued minute to every consumer in order,
// each minute once, and fires just after each whole second of the clock.
TEST_F(SchedulerTest, OneSecondTickHandsEachMinuteToEveryConsumerInOrderJustAfterEachWholeSecond) {
    QStringList order;
    bool armedDuringTick = false;  // a tick that waits must not hold back the next second
    for (const char* name : {"KW", "VAC", "KWH"})
        scheduler.addMinuteConsumer(name, [&, name](const MinuteRecord& m) {
            order << QStringLiteral("%1 %2").arg(name).arg(m.kwh);
            armedDuringTick = scheduler.isRunning();
        });
    for (double kwh : {1.0, 2.0}) {
        MinuteRecord m;
        m.kwh = kwh;
        scheduler.queueMinute(m);
    }
    scheduler.Timer1_Timer();
    EXPECT_EQ(order, QStringList({"KW 1", "VAC 1", "KWH 1", "KW 2", "VAC 2", "KWH 2"}));
    EXPECT_TRUE(armedDuringTick);
    scheduler.Timer1_Timer();
    EXPECT_EQ(order.size(), 6);  // nothing runs twice
    EXPECT_EQ(fields.text("Label15"), "2:03:00 PM");
    EXPECT_EQ(Scheduler::msUntilNextSecondTick(QTime(14, 3, 0, 999)), 6);  // not the second that is ending
    clock.advanceMs(300);
    scheduler.start();
    EXPECT_EQ(scheduler.timer1IntervalMs(), 705);
    clock.advanceMs(707);  // the tick comes 2 ms late
    scheduler.Timer1_Timer();
    EXPECT_EQ(scheduler.timer1IntervalMs(), 998);  // and the next one is back on time
}

// A minute waits for the whole second to be counted; one booked before the
// hour turned is counted before the hour closes, whichever tick comes first.
TEST_F(SchedulerTest, AMinuteBookedBeforeTheHourTurnsIsCountedInThatHour) {
    const struct {
        const char* what;
        QTime booked;
        bool secondTick;
        QStringList order;
    } cases[] = {
        {"before the turn, the second's tick", QTime(22, 59, 59, 500), true, {"minute", "check"}},
        {"before the turn, a message's tick", QTime(22, 59, 59, 500), false, {"minute", "check"}},
        {"after the turn, the second's tick", QTime(23, 0, 0, 100), true, {"check", "minute"}},
        {"after the turn, a message's tick", QTime(23, 0, 0, 100), false, {"check"}},
    };
    const auto queue = [&](QTime booked) {
        MinuteRecord m;
        m.stamp = QDateTime(QDate(2026, 12, 8), booked);
        scheduler.queueMinute(m);
    };
    QStringList order;
    scheduler.addBoundaryCheck([&] { order << "check"; });
    scheduler.addMinuteConsumer("KWH", [&](const MinuteRecord&) { order << "minute"; });
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        order.clear();
        queue(c.booked);
        clock.set(QDateTime(QDate(2026, 12, 8), QTime(23, 0, 0, 200)));
        c.secondTick ? scheduler.Timer1_Timer() : scheduler.Timer2_Timer();
        EXPECT_EQ(order, c.order);
        scheduler.Timer1_Timer();  // nothing left for the next case
    }
    // Of two minutes either side of the turn, only the first is the old hour's.
    order.clear();
    queue(QTime(22, 59, 59, 900));
    queue(QTime(23, 0, 0, 100));
    scheduler.Timer2_Timer();
    EXPECT_EQ(order, QStringList({"minute", "check"}));
    EXPECT_EQ(scheduler.minutesPending(), 1);
}

TEST_F(SchedulerTest, AThrowingStepDoesNotStopTheChain) {
    int tick = 0, seconds = 0;
    // The first (a message's) and the third (the second's) check throw; not even an exception class.
    scheduler.addBoundaryCheck([&] { if (++tick % 2 == 1) throw 42; });
    scheduler.addSecondStep([] { throw std::runtime_error("tariff file gone"); });
    scheduler.addSecondStep([&] { ++seconds; });
    scheduler.start();
    kelvora::testing::CapturedWarnings warnings;
    receive(meterMessage(911, 767, 639));  // the throwing tick
    EXPECT_TRUE(warnings.contains("Processing tick failed: unknown exception"));  // logged, not swallowed
    receive(meterMessage(911, 767, 639));
    EXPECT_EQ(runs, 1);  // the second message ran the chain
    int counted = 0;
    scheduler.addMinuteConsumer("history", [](const MinuteRecord&) { throw std::runtime_error("disk gone"); });
    scheduler.addMinuteConsumer("energy", [&](const MinuteRecord&) { ++counted; });
    scheduler.queueMinute(MinuteRecord{});
    scheduler.Timer1_Timer();  // one failing step keeps the minute and the other steps from no other
    EXPECT_TRUE(warnings.contains("The minute step of history failed: disk gone"));
    EXPECT_TRUE(warnings.contains("Boundary check failed: unknown exception"));
    EXPECT_TRUE(warnings.contains("One-second step failed: tariff file gone"));
    EXPECT_EQ(counted, 1);
    EXPECT_EQ(seconds, 1);
    EXPECT_EQ(tick, 3);
    scheduler.Timer2_Timer();
    EXPECT_TRUE(scheduler.isRunning());
}
