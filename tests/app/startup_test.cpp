#include "support/fakes.h"
#include "support/server.h"
#include "support/scratchmount.h"
#include "support/started.h"
#include "support/wait.h"

#include <QDir>
#include <QProcess>
#include <QSysInfo>
#include <QTimer>
#include <cstring>
#include <gtest/gtest.h>

#include <optional>

using namespace kelvora;
using namespace kelvora::testing;
using Result = KelvoraCore::LoadResult;

namespace {

// A data directory in which one start has run and ended.
struct StartedOnce {
    StartedOnce() { StartedCore first(tmp.path(), clock); }
    TempDataDir tmp;
    ManualClock clock;
    int restartLines() const { return tmp.contents(files::AlarmsLog).count("Restart Program"); }
};
QStringList fileNames(const QString& path) { return QDir(path).entryList(QDir::Files, QDir::Name); }

}  // namespace

// A next start keeps the data, shows the saved averages and logs one more
// line, unless init.dat holds another text than (a bare) init done.
TEST(Startup, NextStartKeepsTheDataUnlessTheMarkerSaysOtherwise) {
    for (const char* marker : {"", "init done", "\"Init Done\""}) {
        SCOPED_TRACE(marker);
        StartedOnce s;
        EXPECT_EQ(s.tmp.contents(files::AlarmsLog), QByteArray("12/5/2026  2:03:00 PM  Restart Program\r\n"));
        for (const auto& [name, text] : {std::pair{"KWHhr.dat", "\"kept\",\"1.00\""}, {"init.dat", marker},
                                         {"KWH_last_data.dat", "\"12.5\",\"0.73\",\"0.1\""},
                                         {"Avg_KWHhr.dat", "\"51.4\",\"$8.5\",\"0.9\",\"$0.1\""}})
            if (*text) s.tmp.dir().writeWhole(name, QByteArray(text) + "\r\n");
        StartedCore again(s.tmp.path(), s.clock);
        const bool kept = QByteArray(marker) != "\"Init Done\"";
        EXPECT_EQ(s.tmp.contents("KWHhr.dat") == QByteArray("\"kept\",\"1.00\"\r\n"), kept);
        EXPECT_EQ(s.tmp.contents("init.dat"), (*marker && kept ? QByteArray(marker) : "\"init done\"") + "\r\n");
        if (!kept) continue;
        EXPECT_EQ(s.restartLines(), 2);
        EXPECT_DOUBLE_EQ(again.core.shared().Total_KWH_Saved, 12.5);
        // Not $0.0 until the next rollover.
        for (const auto& [field, text] : {std::pair{"Text100(7)", "0.1000"}, {"Text100(8)", "51.4"},
                                          {"Text100(12)", "$8.5"}, {"Text100(14)", "$0.1"}})
            EXPECT_EQ(again.fields().text(field), text) << field;
    }
}

// Neither a second start nor --initialize beside a running instance touches
// its files; a stale lock and a finished initialisation do not block.
TEST(Startup, InitializeOrASecondStartBesideARunningInstanceTouchesNothing) {
    TempDataDir tmp, crashed, idle;
    ManualClock clock;
    StartedCore running(tmp.path(), clock);
    tmp.dir().writeWhole(files::KWHHours, "\"kept\"\r\n");
    const QStringList before = fileNames(tmp.path());
    const QByteArray log = tmp.contents(files::AlarmsLog);
    EXPECT_EQ(StartedCore(tmp.path(), clock).result, Result::AlreadyRunning);
    EXPECT_EQ(KelvoraCore::InitializeOnly(tmp.path(), clock), KelvoraCore::InitializeResult::AlreadyRunning);
    // The command a user types says so and fails.
    QProcess initialize;
    initialize.start(QStringLiteral(KELVORA_APP_BINARY), {"--data-dir", tmp.path(), "--initialize"});
    ASSERT_TRUE(initialize.waitForFinished(60000));
    EXPECT_EQ(initialize.exitStatus(), QProcess::NormalExit);
    EXPECT_NE(initialize.exitCode(), 0);
    EXPECT_TRUE(initialize.readAllStandardError().contains("nothing was changed"));
    EXPECT_EQ(tmp.contents(files::KWHHours), QByteArray("\"kept\"\r\n"));
    EXPECT_EQ(tmp.contents(files::AlarmsLog), log);
    EXPECT_EQ(fileNames(tmp.path()), before);

    // The lock of a run that crashed: its process no longer exists.
    crashed.dir().writeWhole(files::InstanceLock, "2147483000\nx\n" + QSysInfo::machineHostName().toUtf8() + "\n");
    EXPECT_EQ(StartedCore(crashed.path(), clock).result, Result::Started);
    // Nobody runs here: it is initialised, and its lock let go.
    EXPECT_EQ(KelvoraCore::InitializeOnly(idle.path(), clock), KelvoraCore::InitializeResult::Done);
    EXPECT_EQ(idle.contents(files::InitMarker), QByteArray("\"init done\"\r\n"));
    EXPECT_EQ(StartedCore(idle.path(), clock).result, Result::Started);
}

// The start-up connect wait serves events; no tick may run there, before the
// KWH period state is loaded.
TEST(Startup, NoTickRunsBeforeThePeriodStateIsLoaded) {
    StartedOnce s;
    LoopbackServer server;
    KelvoraCore core(s.tmp.path(), s.clock, [] {});
    core.setServerOverride(QStringLiteral("127.0.0.1"), server.port());
    std::optional<bool> runningDuringConnect;
    QTimer::singleShot(0, [&] { runningDuringConnect = core.scheduler().isRunning(); });
    ASSERT_EQ(core.Form_Load(), Result::Started);
    ASSERT_TRUE(waitUntil([&] { return runningDuringConnect.has_value(); }));
    EXPECT_FALSE(*runningDuringConnect);
    EXPECT_TRUE(core.scheduler().isRunning());
}

TEST(Startup, InitialisationThatStopsHalfWayIsRetried) {
    TempDataDir tmp;
    ASSERT_TRUE(QDir(tmp.path()).mkdir("KWH_1m.dat"));  // cannot become a file
    ManualClock clock;
    { StartedCore first(tmp.path(), clock); }
    EXPECT_FALSE(tmp.dir().exists("init.dat"));
    ASSERT_TRUE(QDir(tmp.path()).rmdir("KWH_1m.dat"));
    StartedCore second(tmp.path(), clock);
    EXPECT_EQ(tmp.contents("init.dat"), QByteArray("\"init done\"\r\n"));
}

TEST(Shutdown, OnlySaveAndExitKeepsTheEditedNetworkSettings) {
    StartedOnce s;
    for (bool saveAndExit : {false, true}) {
        {
            StartedCore app(s.tmp.path(), s.clock);
            app.fields().setText("Text5(0)", "10.0.0.7"), app.fields().setText("Text5(1)", "5001");
            if (saveAndExit) { EXPECT_TRUE(app.core.CMD_SaveExit_Click()); }
        }
        EXPECT_EQ(s.tmp.contents(files::Settings).contains("\"10.0.0.7\"\r\n\"remote port\"\r\n\"5001\"\r\n"),
                  saveAndExit);
    }
}

// A read-only data directory: the app names it and the reason, exits 2 and
// touches nothing; the lock it cannot make is not "already running".
TEST(Startup, ReadOnlyDataDirectoryIsReportedAndNothingIsTouched) {
    ScratchMount disk(64, /*readOnly=*/true);
    if (!disk.mounted()) GTEST_SKIP() << "no rights to mount a scratch file system";
    for (const QStringList& extra : {QStringList{}, QStringList{"--initialize"}}) {
        SCOPED_TRACE(extra.join(" ").toStdString());
        QProcess app;
        app.start(QStringLiteral(KELVORA_APP_BINARY), QStringList{"--data-dir", disk.path()} + extra);
        ASSERT_TRUE(app.waitForFinished(60000));
        EXPECT_EQ(app.exitCode(), 2);
        EXPECT_TRUE(app.readAllStandardError().contains(
            QStringLiteral("Cannot write to the data directory %1: %2")
                .arg(disk.path(), QString::fromLocal8Bit(std::strerror(EROFS)))
                .toUtf8()));
        EXPECT_TRUE(QDir(disk.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).isEmpty());
    }
    const KelvoraCore::InstanceLock lock = KelvoraCore::lockDataDir(DataDir(disk.path()));
    EXPECT_FALSE(lock.lock);
    EXPECT_FALSE(lock.heldByAnother);
    ManualClock clock;
    EXPECT_EQ(StartedCore(disk.path(), clock).result, Result::NoLock);
}
