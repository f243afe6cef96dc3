#include "app/kelvoracore.h"
#include "energy/initdata.h"
#include "support/fakes.h"

#include <QDir>
#include <QSysInfo>
#include <QTcpServer>
#include <gtest/gtest.h>

using namespace kelvora;
using kelvora::testing::TempDataDir;

namespace {

// A loopback port with nothing listening: the start-up connect is refused at once.
quint16 closedPort() {
    QTcpServer server;
    server.listen(QHostAddress::LocalHost, 0);
    return server.serverPort();
}

struct Started {
    explicit Started(const QString& path, const Clock& clock) : core(path, clock, [] {}) {
        core.setServerOverride(QStringLiteral("127.0.0.1"), closedPort());
        result = core.Form_Load();
    }
    KelvoraCore core;
    KelvoraCore::LoadResult result;
};

int restartLines(const TempDataDir& tmp) {
    return tmp.contents(KelvoraCore::kAlarmsLog).count("Restart Program");
}

QStringList dataFiles(const TempDataDir& tmp) {
    return QDir(tmp.path()).entryList(QDir::Files, QDir::Name);
}

}  // namespace

TEST(Startup, FirstStartInEmptyDirectoryCreatesEveryFile) {
    TempDataDir tmp;
    ManualClock clock;
    Started app(tmp.path(), clock);
    ASSERT_EQ(app.result, KelvoraCore::LoadResult::Started);

    EXPECT_EQ(tmp.contents("init.dat"), QByteArray("\"init done\"\r\n"));
    QStringList expected = historyFileNames();
    expected << "VAC_10sec.dat" << "A_AMPS_10sec.dat" << "B_AMPS_10sec.dat" << "KW_10sec.dat"
             << "KWH_Hr.dat" << "KWH_Day.dat" << "KWH_Week.dat" << "KWH_Month.dat" << "KWH_Year.dat"
             << "MeterKWS.dat" << "KW_1m.dat" << "AAMP_1m.dat" << "BAMP_1m.dat" << "VAC_1m.dat"
             << "KWH_last_data.dat" << "alarms.log" << "KWH_1m.dat" << "Avg_KWHhr.dat" << "KWHhr.dat"
             << "KWHday.dat" << "KWHweek.dat" << "KWHMonth.dat" << "KWHyear.dat" << "KWHHours.dat"
             << "KWHDays.dat" << "KWHMonths.dat" << "KWHyears.dat" << "SetupData.ini" << "init.dat";
    for (const QString& name : expected) EXPECT_TRUE(tmp.dir().exists(name)) << name.toStdString();
    EXPECT_EQ(restartLines(tmp), 1);
    EXPECT_EQ(tmp.contents("alarms.log"), QByteArray("12/5/2026  2:03:00 PM  Restart Program\r\n"));
    // The default settings reach the set-up tab.
    EXPECT_EQ(app.core.fields().text("Text5(0)"), kDefaultRemoteHost);
    EXPECT_EQ(app.core.fields().text("Text5(1)"), "5000");
    EXPECT_TRUE(app.core.fields().isChecked("Option_240vac"));
    EXPECT_EQ(app.core.fields().text("Text100(7)"), "0.0585");
    EXPECT_EQ(app.core.fields().text("Text100(8)"), "0.0");
    EXPECT_EQ(app.core.fields().text("Text100(12)"), "$0.0");
    EXPECT_EQ(app.core.fields().text("Text100(9)"), "0");
    EXPECT_EQ(app.core.fields().text("Text100(10)"), "0");
    EXPECT_EQ(app.core.fields().text("Text100(11)"), "0");
}

TEST(Startup, SecondStartResetsNothingAndLogsOneMoreLine) {
    TempDataDir tmp;
    ManualClock clock;
    { Started first(tmp.path(), clock); }
    tmp.dir().writeWhole("KWHhr.dat", "\"kept\",\"1.00\"\r\n");
    tmp.dir().writeWhole("KWH_last_data.dat", "\"12.5\",\"0.73\",\"0.1\"\r\n");
    const QByteArray marker = tmp.contents("init.dat");
    Started second(tmp.path(), clock);
    EXPECT_EQ(tmp.contents("KWHhr.dat"), QByteArray("\"kept\",\"1.00\"\r\n"));
    EXPECT_EQ(tmp.contents("init.dat"), marker);
    EXPECT_EQ(restartLines(tmp), 2);
    EXPECT_DOUBLE_EQ(second.core.shared().Total_KWH_Saved, 12.5);
    EXPECT_EQ(second.core.fields().text("Text100(6)"), "12.5");
    EXPECT_EQ(second.core.fields().text("Text100(5)"), "$0.73");
    EXPECT_EQ(second.core.fields().text("Text100(7)"), "0.1000");
}

TEST(Startup, MarkerWithOtherTextReinitialises) {
    for (const QByteArray& marker : {QByteArray("\r\n"), QByteArray("\"init\"\r\n"), QByteArray("init done\r\n"),
                                    QByteArray("\"Init Done\"\r\n")}) {
        SCOPED_TRACE(marker.toStdString());
        TempDataDir tmp;
        ManualClock clock;
        { Started first(tmp.path(), clock); }
        tmp.dir().writeWhole("KWHhr.dat", "\"kept\"\r\n");
        tmp.dir().writeWhole("init.dat", marker);
        Started again(tmp.path(), clock);
        // A bare init done is the same text without quotes: it counts as done.
        const bool reinitialised = tmp.contents("KWHhr.dat") != QByteArray("\"kept\"\r\n");
        EXPECT_EQ(reinitialised, marker != QByteArray("init done\r\n"));
        EXPECT_EQ(tmp.contents("init.dat"), reinitialised ? QByteArray("\"init done\"\r\n") : marker);
    }
}

TEST(Startup, OptionOtherThan120Or240SelectsNeither) {
    TempDataDir tmp;
    ManualClock clock;
    { Started first(tmp.path(), clock); }
    Settings s = Settings::defaults();
    s.VAC_Option = SettingValue::Text("100");
    saveSettings(tmp.dir(), s);
    Started again(tmp.path(), clock);
    EXPECT_FALSE(again.core.fields().isChecked("Option_120vac"));
    EXPECT_FALSE(again.core.fields().isChecked("Option_240vac"));
}

TEST(Startup, MissingOrShortSettingsKeepDesignTexts) {
    struct Case {
        const char* name;
        QByteArray settings;  // empty: no file at all
        const char* host;
        const char* port;
    };
    const Case cases[] = {
        {"missing", QByteArray(), "", "5000"},
        {"host only", "\"header\"\r\n\"remote host\"\r\n\"10.1.2.3\"\r\n", "10.1.2.3", "5000"},
        {"garbage", "\x01\x02\x03", "", "5000"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDataDir tmp;
        ManualClock clock;
        { Started first(tmp.path(), clock); }
        QFile::remove(tmp.dir().filePath(kSettingsFile));
        if (!c.settings.isEmpty()) tmp.dir().writeWhole(kSettingsFile, c.settings);
        Started again(tmp.path(), clock);
        ASSERT_EQ(again.result, KelvoraCore::LoadResult::Started);
        EXPECT_EQ(again.core.fields().text("Text5(0)"), QString::fromLatin1(c.host));
        EXPECT_EQ(again.core.fields().text("Text5(1)"), QString::fromLatin1(c.port));
        EXPECT_EQ(again.core.fields().text("Text6(0)"), "240.0");
        EXPECT_EQ(again.core.fields().text("Text_A_Cal"), "100.0");
        EXPECT_EQ(restartLines(tmp), 2);  // start-up went on to its end
    }
}

TEST(Startup, SecondInstanceInSameDirectoryIsRefusedAndTouchesNothing) {
    TempDataDir tmp;
    ManualClock clock;
    Started first(tmp.path(), clock);
    const QStringList files = dataFiles(tmp);
    const QByteArray log = tmp.contents("alarms.log");
    Started second(tmp.path(), clock);
    EXPECT_EQ(second.result, KelvoraCore::LoadResult::AlreadyRunning);
    EXPECT_EQ(tmp.contents("alarms.log"), log);
    EXPECT_EQ(dataFiles(tmp), files);
    // Another directory is another meter: it starts.
    TempDataDir other;
    Started elsewhere(other.path(), clock);
    EXPECT_EQ(elsewhere.result, KelvoraCore::LoadResult::Started);
}

TEST(Startup, LockLeftByACrashedRunDoesNotBlock) {
    TempDataDir tmp;
    ManualClock clock;
    // The lock of a process that no longer exists.
    tmp.dir().writeWhole(KelvoraCore::kLockFile,
                         "2147483000\ntest_app\n" + QSysInfo::machineHostName().toUtf8() + "\n");
    Started app(tmp.path(), clock);
    EXPECT_EQ(app.result, KelvoraCore::LoadResult::Started);
}

TEST(Startup, InitialisationThatStopsHalfWayIsRetried) {
    TempDataDir tmp;
    ASSERT_TRUE(QDir(tmp.path()).mkdir("KWH_1m.dat"));  // cannot become a file
    ManualClock clock;
    { Started first(tmp.path(), clock); }
    EXPECT_FALSE(tmp.dir().exists("init.dat"));
    ASSERT_TRUE(QDir(tmp.path()).rmdir("KWH_1m.dat"));
    Started second(tmp.path(), clock);
    EXPECT_EQ(tmp.contents("init.dat"), QByteArray("\"init done\"\r\n"));
    EXPECT_EQ(tmp.contents("KWH_1m.dat"), QByteArray("\"0\"\r\n"));
}

TEST(Shutdown, SaveAndExitKeepsTheEditedNetworkSettings) {
    TempDataDir tmp;
    ManualClock clock;
    {
        Started app(tmp.path(), clock);
        app.core.fields().setText("Text5(0)", "10.0.0.7");
        app.core.fields().setText("Text5(1)", "5001");
        EXPECT_TRUE(app.core.fields().isEnabled("CMD_SaveExit"));
    }
    // Closing by the title bar saves nothing.
    EXPECT_TRUE(tmp.contents(kSettingsFile).contains(kDefaultRemoteHost.toLatin1()));
    Started app(tmp.path(), clock);
    app.core.fields().setText("Text5(0)", "10.0.0.7");
    app.core.fields().setText("Text5(1)", "5001");
    ASSERT_TRUE(app.core.CMD_SaveExit_Click());
    const QByteArray saved = tmp.contents(kSettingsFile);
    EXPECT_TRUE(saved.contains("\"10.0.0.7\"\r\n\"remote port\"\r\n\"5001\"\r\n")) << saved.toStdString();
}
