#include "alarm/alarmcenter.h"
#include "alarm/alarmlog.h"

#include "model/datafiles.h"
#include "support/fakes.h"

#include <gtest/gtest.h>

using namespace kelvora;
using namespace kelvora::testing;

namespace {

QDateTime at(int day, int h, int m, int s) { return QDateTime(QDate(2026, 12, day), QTime(h, m, s)); }

struct RecordingNotifier : AlarmNotifier {
    void notify(const AlarmEvent& e) override { events << e; }
    QList<AlarmEvent> events;
};

}  // namespace

// Date, time and text two blanks apart, as the restart line is (the kinds
// not here are in the read-back, centre and app tests).
TEST(AlarmLog, LinesOfEveryKind) {
    const struct { AlarmEvent event; const char* line; } rows[] = {
        {{AlarmKind::PhaseB, false, "142.0 A", at(8, 17, 33, 40)}, "12/8/2026  5:33:40 PM  CLEAR phase B: 142.0 A"},
        {{AlarmKind::Power, true, "11.2 KW over 10 KW for 5 minutes", at(8, 18, 2, 0)},
         "12/8/2026  6:02:00 PM  ALARM power: 11.2 KW over 10 KW for 5 minutes"},
        {{AlarmKind::CostToday, false, "new day", at(9, 0, 0, 0)}, "12/9/2026  12:00:00 AM  CLEAR cost today: new day"},
        // A reason from the system never breaks the line.
        {{AlarmKind::Disk, true, "No space left\non device", at(8, 19, 5, 0)},
         "12/8/2026  7:05:00 PM  ALARM saving data: No space left on device"},
    };
    for (const auto& r : rows) EXPECT_EQ(alarmLogLine(r.event), QByteArray(r.line) + "\r\n");
}

// Read back for the Alarms window and its CSV: restart lines and alarm lines,
// anything else skipped.
TEST(AlarmLog, ReadsBackIntoEntriesAndCsv) {
    const QByteArray log = "12/8/2026  5:00:00 PM  Restart Program\r\n"
                           "garbage without a stamp\r\n" +
                           alarmLogLine({AlarmKind::Voltage, true, "214.3 V outside 228 to 252 V", at(8, 17, 40, 12)}) +
                           alarmLogLine({AlarmKind::Disk, false, "saved \"again\", at last", at(8, 19, 9, 30)});
    const QList<AlarmLogEntry> entries = parseAlarmLog(log);
    ASSERT_EQ(entries.size(), 3);
    EXPECT_EQ(entries[0].type, AlarmLogEntry::Type::Restart);
    EXPECT_EQ(entries[0].when, at(8, 17, 0, 0));
    EXPECT_EQ(entries[1].type, AlarmLogEntry::Type::Alarm);
    EXPECT_EQ(entries[1].kind, AlarmKind::Voltage);
    EXPECT_EQ(entries[1].text, "214.3 V outside 228 to 252 V");
    EXPECT_EQ(entries[2].type, AlarmLogEntry::Type::Clear);
    EXPECT_EQ(entries[2].kind, AlarmKind::Disk);

    EXPECT_EQ(alarmLogCsv(entries),
              "stamp,event,alarm,text\r\n"
              "2026-12-08T17:00:00,\"Restart\",\"\",\"Restart Program\"\r\n"
              "2026-12-08T17:40:12,\"ALARM\",\"voltage\",\"214.3 V outside 228 to 252 V\"\r\n"
              "2026-12-08T19:09:30,\"CLEAR\",\"saving data\",\"saved \"\"again\"\", at last\"\r\n");
}

// The centre hands every raise and clear to the log and the notifier, after
// the start's own line, and reads its limits from the file.
TEST(AlarmCenter, EveryEventReachesTheLogAndTheDesktop) {
    TempDataDir tmp;
    ASSERT_TRUE(tmp.dir().writeWhole(files::AlarmSetup, "[alarms]\nlink_seconds=30\nphase_seconds=4\nbreaker_amps=x\n"));
    ManualClock clock(at(8, 19, 0, 0));
    auto notifier = std::make_unique<RecordingNotifier>();
    RecordingNotifier& seen = *notifier;
    AlarmCenter center(tmp.dir(), clock, std::move(notifier));
    center.start("240");
    EXPECT_EQ(center.settings().linkSeconds, 30);
    EXPECT_EQ(center.settings().breakerAmps, 200) << "refused: the default stays";
    ASSERT_EQ(center.refusedAtStart().size(), 1);

    for (int i = 0; i < 3; ++i) clock.advanceMs(2000), center.onReadings(240, 170, 1);
    clock.advanceMs(30000);
    center.tick(clock.now());
    clock.advanceMs(2000);
    center.onReadings(240, 1, 1);
    EXPECT_EQ(tmp.contents(files::AlarmsLog),
              "12/8/2026  7:00:06 PM  ALARM phase A: 170.0 A over 160 A (80 % of 200 A)\r\n"
              "12/8/2026  7:00:36 PM  ALARM meter link: no message for 30 s\r\n"
              "12/8/2026  7:00:38 PM  CLEAR meter link: messages again\r\n");
    ASSERT_EQ(seen.events.size(), 3);
    EXPECT_EQ(seen.events[1].kind, AlarmKind::Link);

    // Midnight clears the daily alarms without a minute's totals.
    AlarmSettings s = center.settings();
    s.dayKwhOn = true, s.linkOn = false;
    ASSERT_TRUE(center.apply(s));
    center.engine().onDayTotals(70, 1, clock.now());
    clock.set(QDateTime(QDate(2026, 12, 9), QTime(0, 0, 1)));
    center.tick(clock.now());
    EXPECT_TRUE(tmp.contents(files::AlarmsLog).endsWith("12/9/2026  12:00:01 AM  CLEAR energy today: new day\r\n"));
    ASSERT_EQ(seen.events.size(), 5);

    s.phaseSeconds = 60;
    ASSERT_TRUE(center.apply(s));
    EXPECT_EQ(readAlarmSettings(tmp.dir(), "240").values.phaseSeconds, 60);
}
