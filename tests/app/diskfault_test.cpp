#include "app/kelvoracore.h"
#include "common/diskwriter.h"
#include "model/datafiles.h"
#include "support/fakes.h"
#include "support/faultysink.h"
#include "support/server.h"
#include "support/wait.h"
#include "support/warnings.h"

#include <cstring>
#include <gtest/gtest.h>

using namespace kelvora;
using namespace kelvora::testing;

namespace {

// The app on a disk with faults, driven tick by tick on the test clock.
struct FaultyApp {
    FaultyApp() : core(tmp.path(), clock, [] {}) {
        auto owned = std::make_unique<FaultySink>(tmp.path());
        sink = owned.get();
        core.writeThrough(std::move(owned));
        core.dir().writer()->setRetryIntervalMs(10);
        core.setServerOverride(QStringLiteral("127.0.0.1"), freeLoopbackPort());
        EXPECT_EQ(core.Form_Load(), KelvoraCore::LoadResult::Started);
        EXPECT_TRUE(core.dir().flush(5000));
    }
    // One minute of 240 V, 10 A a phase: thirty Timer2 ticks and the Timer1
    // tick that hands it on. Returns the ticks that ran.
    int minute() {
        int ticks = 0;
        SharedState& s = core.shared();
        for (int i = 0; i < 30; ++i, ++ticks) {
            clock.advanceMs(2000);
            s.VAC_Reading = 240, s.A_AMPS_Reading = 10, s.B_AMPS_Reading = 10, s.New_Message = 1;
            core.scheduler().Timer2_Timer();
        }
        core.scheduler().Timer1_Timer();
        return ticks + 1;
    }
    QByteArray shown(const QString& name) const { return core.dir().read(name).value_or(QByteArray()); }

    TempDataDir tmp;
    ManualClock clock;
    KelvoraCore core;
    FaultySink* sink = nullptr;
};

const QStringList kKeptFiles = {"1KWhr.dat", "336Vhr.dat", "24Ahr.dat", "KWH_Hr.dat", "KWH_Day.dat",
                                "KWH_lifetime.dat", "KWH_last_data.dat", "KWH_1m.dat"};

}  // namespace

// With the disk full the minutes still reach the totals and histories; the
// user is told once and the disk alarm raised, and with room again every file
// holds what it would have and the alarm clears.
TEST(FullDisk, MinutesWhileEveryWriteFailsAreCountedAndSavedLater) {
    FaultyApp app;
    CapturedWarnings warnings;
    app.sink->failWith = ENOSPC;
    app.minute();
    app.minute();
    const double kwh = 2 * 240.0 * 20 / 60000;
    EXPECT_NEAR(app.core.kwhPeriods()[KwhPeriod::Hour].kwh, kwh, 1e-12);
    EXPECT_NEAR(app.core.kwhPeriods()[KwhPeriod::Day].kwh, kwh, 1e-12);
    EXPECT_NEAR(app.core.shared().Lifetime_KWH, kwh, 1e-12);
    EXPECT_TRUE(app.shown("1KWhr.dat").endsWith("\",\"4.8\"\r\n"));
    ASSERT_TRUE(waitUntil([&] { return !app.core.fields().text("savingStatus").isEmpty(); }));
    const QString reason = QString::fromLocal8Bit(std::strerror(ENOSPC));
    EXPECT_EQ(app.core.fields().text("savingStatus"), QStringLiteral("Cannot save data: %1; retrying").arg(reason));
    EXPECT_EQ(app.core.alarms().engine().raisedText(AlarmKind::Disk), reason);
    EXPECT_TRUE(warnings.contains("Cannot save data in"));
    QMap<QString, QByteArray> expected;
    for (const QString& name : kKeptFiles) {
        expected[name] = app.shown(name);
        EXPECT_NE(app.tmp.contents(name), expected[name]) << name.toStdString();
    }

    app.sink->failWith = 0;
    ASSERT_TRUE(app.core.dir().flush(5000));
    ASSERT_TRUE(waitUntil([&] { return app.core.fields().text("savingStatus").isEmpty(); }));
    EXPECT_TRUE(warnings.contains("held writes saved"));
    EXPECT_FALSE(app.core.alarms().engine().isRaised(AlarmKind::Disk));
    for (const QString& name : kKeptFiles) EXPECT_EQ(app.tmp.contents(name), expected[name]) << name.toStdString();
    ASSERT_TRUE(app.core.dir().flush(5000));  // the disk alarm's clear, logged after the recovery
    const QByteArray log = app.tmp.contents(files::AlarmsLog);
    EXPECT_TRUE(log.contains(" PM  ALARM saving data: " + reason.toUtf8() + "\r\n")) << log.toStdString();
    EXPECT_TRUE(log.endsWith("12/5/2026  2:05:00 PM  CLEAR saving data: saved again\r\n")) << log.toStdString();
}

// A disk that takes its time over every write holds up nothing: every tick of
// five minutes runs while the writer still waits on its first write.
TEST(SlowDisk, TheProcessingChainNeverWaitsForTheWriter) {
    FaultyApp app;
    app.sink->closeGate();
    const int callsBefore = app.sink->calls;
    int ticks = 0;
    for (int m = 0; m < 5; ++m) ticks += app.minute();
    EXPECT_EQ(ticks, 5 * 31);
    EXPECT_LE(app.sink->calls - callsBefore, 1);  // the first write, waiting at the gate
    EXPECT_EQ(app.shown("4KWhr.dat").count("\r\n"), 60 + 5);  // one record for each minute
    app.sink->openGate();
    ASSERT_TRUE(app.core.dir().flush(5000));
    EXPECT_EQ(app.tmp.contents("4KWhr.dat"), app.shown("4KWhr.dat"));
}
