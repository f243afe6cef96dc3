#include "alarm/alarmengine.h"

#include "support/fakes.h"

#include <gtest/gtest.h>
#include <functional>

using namespace kelvora;

namespace {

const QDateTime kStart(QDate(2026, 12, 8), QTime(17, 30, 0));

// An engine with every alarm on and the events it reported.
struct Rig {
    Rig() {
        AlarmSettings s = AlarmSettings::defaults();
        s.powerOn = s.dayKwhOn = s.dayCostOn = true;
        engine.setSettings(s, kStart);
        QObject::connect(&engine, &AlarmEngine::changed, [this](const AlarmEvent& e) { events << e; });
    }
    AlarmEngine engine;
    QList<AlarmEvent> events;
};

// A measured alarm: what a reading of `value` feeds, its delay, and values
// past the limit, in the band between the limit and its hysteresis, and back.
struct Measured {
    AlarmKind kind;
    std::function<void(AlarmEngine&, double, const QDateTime&)> feed;
    int delayS;
    double past, band, back;
    const char* raiseText;
    const char* clearText;
};

void phaseA(AlarmEngine& e, double v, const QDateTime& t) { e.onReadings(240, v, 10, 2.4, t); }
void phaseB(AlarmEngine& e, double v, const QDateTime& t) { e.onReadings(240, 10, v, 2.4, t); }
void volts(AlarmEngine& e, double v, const QDateTime& t) { e.onReadings(v, 10, 10, 4.8, t); }
void power(AlarmEngine& e, double v, const QDateTime& t) { e.onReadings(240, 10, 10, v, t); }

const Measured kMeasured[] = {
    // 80 % of 200 A is 160 A; the hysteresis is 5 % of it, 8 A
    {AlarmKind::PhaseA, phaseA, 10, 168.2, 152.5, 142.0, "168.2 A over 160 A (80 % of 200 A)", "142.0 A"},
    {AlarmKind::PhaseB, phaseB, 10, 160.1, 153.0, 151.9, "160.1 A over 160 A (80 % of 200 A)", "151.9 A"},
    // 240 V +- 5 % is 228 to 252 V; it clears inside 240 V +- 7.2 V
    {AlarmKind::Voltage, volts, 10, 214.3, 231.0, 239.8, "214.3 V outside 228 to 252 V (240 V \u00b1 5 %)", "239.8 V"},
    {AlarmKind::Voltage, volts, 10, 252.1, 247.5, 247.1, "252.1 V outside 228 to 252 V (240 V \u00b1 5 %)", "247.1 V"},
    // 10 KW for 5 minutes; it clears at 9.5 KW
    {AlarmKind::Power, power, 300, 11.2, 9.6, 4.1, "11.2 KW over 10 KW for 5 minutes", "4.1 KW"},
};

// Readings every 2 s from `from` up to and including `to` seconds after the start.
void feedEvery2s(const Measured& m, AlarmEngine& e, double value, int from, int to) {
    for (int s = from; s <= to; s += 2) m.feed(e, value, kStart.addSecs(s));
}

}  // namespace

TEST(AlarmEngine, MeasuredAlarmsRaiseAfterTheirDelayAndClearWithTheirHysteresis) {
    for (const Measured& m : kMeasured) {
        SCOPED_TRACE(m.raiseText);
        Rig r;
        const int d = m.delayS;
        feedEvery2s(m, r.engine, m.past, 0, d - 2);
        EXPECT_TRUE(r.events.isEmpty()) << "not before the delay";
        m.feed(r.engine, m.past, kStart.addSecs(d));
        ASSERT_EQ(r.events.size(), 1);
        EXPECT_EQ(r.events[0], (AlarmEvent{m.kind, true, QString::fromUtf8(m.raiseText), kStart.addSecs(d)}));
        feedEvery2s(m, r.engine, m.past, d + 2, 3 * d);
        EXPECT_EQ(r.events.size(), 1) << "raised once";

        // Inside the limit but not past its hysteresis: it stays raised.
        feedEvery2s(m, r.engine, m.band, 3 * d + 2, 6 * d);
        EXPECT_EQ(r.events.size(), 1);
        EXPECT_TRUE(r.engine.isRaised(m.kind));
        feedEvery2s(m, r.engine, m.back, 6 * d + 2, 7 * d);
        EXPECT_EQ(r.events.size(), 1) << "not before the delay";
        m.feed(r.engine, m.back, kStart.addSecs(7 * d + 2));
        ASSERT_EQ(r.events.size(), 2);
        EXPECT_EQ(r.events[1], (AlarmEvent{m.kind, false, QString::fromUtf8(m.clearText), kStart.addSecs(7 * d + 2)}));
        EXPECT_FALSE(r.engine.isRaised(m.kind));
    }
}

// One reading the other way starts the run afresh, raising or clearing.
TEST(AlarmEngine, ASingleGlitchNeitherRaisesNorClears) {
    for (const Measured& m : kMeasured) {
        SCOPED_TRACE(m.raiseText);
        Rig r;
        const int d = m.delayS;
        m.feed(r.engine, m.past, kStart);                   // a glitch alone
        feedEvery2s(m, r.engine, m.back, 2, 3 * d);
        EXPECT_TRUE(r.events.isEmpty());
        feedEvery2s(m, r.engine, m.past, 3 * d + 2, 4 * d);
        m.feed(r.engine, m.back, kStart.addSecs(4 * d + 1));  // one good reading in the run
        feedEvery2s(m, r.engine, m.past, 4 * d + 2, 5 * d);
        EXPECT_TRUE(r.events.isEmpty()) << "the run started again at the glitch";
        m.feed(r.engine, m.past, kStart.addSecs(5 * d + 2));
        ASSERT_EQ(r.events.size(), 1);

        feedEvery2s(m, r.engine, m.back, 5 * d + 4, 6 * d + 2);
        m.feed(r.engine, m.past, kStart.addSecs(6 * d + 3));  // one bad reading while clearing
        feedEvery2s(m, r.engine, m.back, 6 * d + 4, 7 * d + 2);
        EXPECT_EQ(r.events.size(), 1) << "still raised";
        m.feed(r.engine, m.back, kStart.addSecs(7 * d + 4));
        EXPECT_EQ(r.events.size(), 2);
    }
}

// Phase A and phase B share their limits but not their state. A clock set
// back must not hold a run for ever, nor raise at once.
TEST(AlarmEngine, PhasesRaiseApartAndOffAlarmsStaySilent) {
    Rig r;
    r.engine.onReadings(240, 170, 10, 99, kStart.addSecs(3600));
    for (int s = 0; s <= 8; s += 2) r.engine.onReadings(240, 170, 170, 99, kStart.addSecs(s));
    EXPECT_TRUE(r.events.isEmpty());
    r.engine.onReadings(240, 170, 170, 99, kStart.addSecs(10));
    ASSERT_EQ(r.events.size(), 2);
    EXPECT_EQ(r.events[0].kind, AlarmKind::PhaseA);
    EXPECT_EQ(r.events[1].kind, AlarmKind::PhaseB);
    for (int s = 12; s <= 24; s += 2) r.engine.onReadings(240, 170, 10, 99, kStart.addSecs(s));
    ASSERT_EQ(r.events.size(), 3);
    EXPECT_EQ(r.events[2].kind, AlarmKind::PhaseB);
    EXPECT_TRUE(r.engine.isRaised(AlarmKind::PhaseA));

    // Switched off while raised: cleared at once; off, nothing raises.
    AlarmSettings off = r.engine.settings();
    off.phaseOn = off.voltageOn = off.powerOn = false;
    r.engine.setSettings(off, kStart.addSecs(30));
    ASSERT_EQ(r.events.size(), 4);
    EXPECT_EQ(r.events[3], (AlarmEvent{AlarmKind::PhaseA, false, "switched off", kStart.addSecs(30)}));
    for (int s = 30; s <= 1000; s += 2) r.engine.onReadings(100, 200, 200, 99, kStart.addSecs(s));
    EXPECT_EQ(r.events.size(), 4);
}

TEST(AlarmEngine, DailyAlarmsRaiseAtMostOnceADayAndClearAtTheRollover) {
    Rig r;
    const QDateTime evening(QDate(2026, 12, 8), QTime(21, 14, 0));
    r.engine.onDayTotals(59.9, 9.99, evening);
    EXPECT_TRUE(r.events.isEmpty()) << "not over the limits yet";
    r.engine.onDayTotals(61.3, 10.2, evening);
    ASSERT_EQ(r.events.size(), 2);
    EXPECT_EQ(r.events[0], (AlarmEvent{AlarmKind::EnergyToday, true, "61.3 KWH over 60 KWH", evening}));
    EXPECT_EQ(r.events[1], (AlarmEvent{AlarmKind::CostToday, true, "$10.20 over $10.00", evening}));
    // Below and over again the same day: no second raise.
    r.engine.onDayTotals(50, 5, evening.addSecs(60));
    r.engine.onDayTotals(70, 12, evening.addSecs(120));
    EXPECT_EQ(r.events.size(), 2);

    const QDateTime midnight(QDate(2026, 12, 9), QTime(0, 0, 0));
    r.engine.onDayRollover(midnight);
    ASSERT_EQ(r.events.size(), 4);
    r.engine.onDayTotals(80, 20, evening.addSecs(9900));  // yesterday's last minute, counted late
    EXPECT_EQ(r.events.size(), 4);
    EXPECT_EQ(r.events[2], (AlarmEvent{AlarmKind::EnergyToday, false, "new day", midnight}));
    EXPECT_EQ(r.events[3].kind, AlarmKind::CostToday);
    r.engine.onDayTotals(61, 0.5, midnight.addSecs(3600));
    ASSERT_EQ(r.events.size(), 5) << "the next day it may raise again";
    EXPECT_EQ(r.events[4].kind, AlarmKind::EnergyToday);
    r.engine.onDayRollover(midnight.addSecs(3601));  // told twice: the raise of today stays
    EXPECT_EQ(r.events.size(), 5);

    // The totals of a new day whose rollover did not come: the day turns all the same.
    const QDateTime nextDay(QDate(2026, 12, 10), QTime(0, 1, 0));
    r.engine.onDayTotals(80, 0.5, nextDay);
    ASSERT_EQ(r.events.size(), 7);
    EXPECT_EQ(r.events[5], (AlarmEvent{AlarmKind::EnergyToday, false, "new day", nextDay}));
    EXPECT_EQ(r.events[6], (AlarmEvent{AlarmKind::EnergyToday, true, "80.0 KWH over 60 KWH", nextDay}));
}

TEST(AlarmEngine, LinkAlarmCountsTheSilenceAndClearsAtTheFirstMessage) {
    Rig r;
    r.engine.tick(kStart);  // no message yet: the silence counts from here
    for (int s = 1; s < 120; ++s) r.engine.tick(kStart.addSecs(s));
    EXPECT_TRUE(r.events.isEmpty());
    r.engine.tick(kStart.addSecs(120));
    ASSERT_EQ(r.events.size(), 1);
    EXPECT_EQ(r.events[0], (AlarmEvent{AlarmKind::Link, true, "no message for 120 s", kStart.addSecs(120)}));
    r.engine.tick(kStart.addSecs(500));
    EXPECT_EQ(r.events.size(), 1);
    r.engine.onMessageDecoded(kStart.addSecs(501));
    ASSERT_EQ(r.events.size(), 2);
    EXPECT_EQ(r.events[1], (AlarmEvent{AlarmKind::Link, false, "messages again", kStart.addSecs(501)}));
    // A message now and then keeps it quiet.
    for (int s = 502; s < 1000; ++s) {
        if (s % 100 == 0) r.engine.onMessageDecoded(kStart.addSecs(s));
        r.engine.tick(kStart.addSecs(s));
    }
    EXPECT_EQ(r.events.size(), 2);
}

TEST(AlarmEngine, DiskAlarmFollowsTheWritersRetryState) {
    Rig r;
    r.engine.onSavingState(false, QString(), kStart);
    EXPECT_TRUE(r.events.isEmpty());
    r.engine.onSavingState(true, "No space left on device", kStart.addSecs(1));
    r.engine.onSavingState(true, "Input/output error", kStart.addSecs(2));
    ASSERT_EQ(r.events.size(), 1) << "raised once while it fails";
    EXPECT_EQ(r.events[0], (AlarmEvent{AlarmKind::Disk, true, "No space left on device", kStart.addSecs(1)}));
    r.engine.onSavingState(false, QString(), kStart.addSecs(3));
    ASSERT_EQ(r.events.size(), 2);
    EXPECT_EQ(r.events[1], (AlarmEvent{AlarmKind::Disk, false, "saved again", kStart.addSecs(3)}));

    AlarmSettings off = r.engine.settings();
    off.diskOn = off.linkOn = false;
    r.engine.setSettings(off, kStart);
    r.engine.onSavingState(true, "No space left on device", kStart.addSecs(4));
    r.engine.tick(kStart.addSecs(100000));
    EXPECT_EQ(r.events.size(), 2);
}
