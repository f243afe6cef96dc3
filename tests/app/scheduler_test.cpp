#include "app/scheduler.h"
#include "app/setupcontroller.h"
#include "link/meterdecoder.h"
#include "link/meterlink.h"
#include "measure/measurement.h"
#include "support/fakes.h"
#include "support/messages.h"

#include <gtest/gtest.h>
#include <stdexcept>
#include <utility>

using namespace kelvora;
using kelvora::testing::meterMessage;
using kelvora::testing::TempDataDir;

namespace {

// The processing chain without a socket: data goes straight into the slots.
struct Chain {
    Chain() {
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
        link.Winsock1_DataArrival(data);
        scheduler.Timer3_Timer();
        scheduler.Timer2_Timer();
    }
};

}  // namespace

TEST(Scheduler, TwoMessagesInOneScanGiveOneRunWithTheLaterReadings) {
    Chain chain;
    chain.link.Winsock1_DataArrival(meterMessage(911, 767, 639));  // 240 V, 100 A, 50 A
    chain.link.Winsock1_DataArrival(meterMessage(861, 639, 575));  // 210 V, 50 A, 25 A
    chain.scheduler.Timer3_Timer();
    chain.scheduler.Timer2_Timer();
    chain.scheduler.Timer2_Timer();
    EXPECT_EQ(chain.runs, 1);
    EXPECT_EQ(chain.fields.text("Label4"), "1");
    EXPECT_DOUBLE_EQ(chain.measurement.power().Inst_Voltage, 210.0);
    EXPECT_DOUBLE_EQ(chain.measurement.power().Inst_Current, 75.0);
    EXPECT_EQ(chain.link.messageProcessed(), 1);
    EXPECT_EQ(chain.shared.New_Message, 0);
}

TEST(Scheduler, ThirtiethMessageRunsTheMinuteStepInTheSameTick) {
    Chain chain;
    for (int i = 1; i <= 30; ++i) {
        chain.clock.advanceMs(2000);
        chain.receive(meterMessage(911, 767, 639));
        EXPECT_EQ(chain.runs, i);
        EXPECT_EQ(chain.tmp.dir().exists("KW_1m.dat"), i == 30) << i;
    }
    EXPECT_EQ(chain.shared.Minute_Flag, 0);
    EXPECT_EQ(chain.fields.text("Label7"), "2:04:00 PM");  // the time of the minute step
    EXPECT_EQ(chain.shared.KW_1m_Ready, 1);
}

TEST(Scheduler, OneSecondTickShowsDateTimeAndRunsReadyConsumersInOrder) {
    Chain chain;
    QStringList order;
    chain.scheduler.addMinuteConsumer(&SharedState::KW_1m_Ready, [&] {
        order << "KW";
        chain.shared.KW_1m_Ready = 0;
    });
    chain.scheduler.addMinuteConsumer(&SharedState::VAC_1m_Ready, [&] {
        order << "VAC";
        chain.shared.VAC_1m_Ready = 0;
    });
    chain.scheduler.addMinuteConsumer(&SharedState::KWH_1m_Ready, [&] {
        order << "KWH";
        chain.shared.KWH_1m_Ready = 0;
    });
    chain.shared.KWH_1m_Ready = 1;
    chain.shared.KW_1m_Ready = 1;
    chain.scheduler.Timer1_Timer();
    EXPECT_EQ(order, QStringList({"KW", "KWH"}));
    chain.scheduler.Timer1_Timer();
    EXPECT_EQ(order.size(), 2);  // flags cleared: nothing runs twice
    EXPECT_EQ(chain.fields.text("Label16"), "Saturday,  Dec 05, 2026");
    EXPECT_EQ(chain.fields.text("Label15"), "2:03:00 PM");
    EXPECT_EQ(chain.fields.text("Label8"), "2");
}

TEST(Scheduler, TickWithoutMessageRunsOnlyTheBoundaryCheck) {
    Chain chain;
    int checks = 0;
    chain.scheduler.addBoundaryCheck([&] { ++checks; });
    for (int i = 0; i < 1000; ++i) chain.scheduler.Timer2_Timer();
    EXPECT_EQ(checks, 1000);
    EXPECT_EQ(chain.runs, 0);
    EXPECT_EQ(chain.fields.text("Label4"), "0");
}

TEST(Scheduler, AThrowingStepDoesNotStopTheChain) {
    Chain chain;
    bool throwOnce = true;
    chain.scheduler.addBoundaryCheck([&] {
        if (std::exchange(throwOnce, false)) throw std::runtime_error("disk gone");
    });
    chain.scheduler.start();
    chain.receive(meterMessage(911, 767, 639));  // the throwing tick
    chain.receive(meterMessage(911, 767, 639));
    EXPECT_EQ(chain.runs, 1);  // the second message ran the chain
    chain.scheduler.Timer2_Timer();
    EXPECT_TRUE(chain.scheduler.isRunning());
}

TEST(Scheduler, SecondTickFiresJustAfterEachWholeSecond) {
    const struct { int msec; int delay; } cases[] = {{0, 1005}, {300, 705}, {995, 10}, {999, 6}};
    for (const auto& c : cases)
        EXPECT_EQ(Scheduler::msUntilNextSecondTick(QTime(14, 3, 0, c.msec)), c.delay) << c.msec;
    Chain chain;
    chain.clock.advanceMs(300);
    chain.scheduler.start();
    EXPECT_EQ(chain.scheduler.timer1IntervalMs(), 705);
    chain.clock.advanceMs(707);  // the tick comes 2 ms late
    chain.scheduler.Timer1_Timer();
    EXPECT_EQ(chain.scheduler.timer1IntervalMs(), 998);  // and the next one is back on time
}
