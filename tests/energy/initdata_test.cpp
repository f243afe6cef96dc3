#include "energy/initdata.h"
#include "support/fakes.h"

#include <QDir>
#include <gtest/gtest.h>

using namespace kelvora;
using kelvora::testing::TempDataDir;

namespace {

struct Initialised {
    Initialised() { ok = InitAllData(tmp.dir(), clock, shared, fields); }
    TempDataDir tmp;
    ManualClock clock;  // 12/5/2026 2:03:00 PM
    SharedState shared;
    FieldModel fields;
    bool ok = false;
};

QByteArray repeated(const QByteArray& line, int times) {
    QByteArray all;
    for (int i = 0; i < times; ++i) all += line;
    return all;
}

}  // namespace

TEST(InitAllData, WritesEveryFileWithItsStartingContent) {
    Initialised init;
    ASSERT_TRUE(init.ok);
    const QByteArray rolling = repeated("\"12/5/2026  2:03:00 PM\",\"0\"\r\n", 60);
    const QByteArray trend = repeated("\"12/05/2026\",\"14:03:00\",\"0\"\r\n", 60);
    struct Expect { QString file; QByteArray content; };
    QList<Expect> expected;
    for (const QString& h : files::historyFiles()) expected.append(Expect{h, rolling});
    for (const char* f : {"KWHhr.dat", "KWHday.dat", "KWHweek.dat", "KWHMonth.dat", "KWHyear.dat",
                          "KWHHours.dat", "KWHDays.dat", "KWHMonths.dat", "KWHyears.dat"})
        expected.append(Expect{f, rolling});
    for (const char* f : {"VAC_10sec.dat", "A_AMPS_10sec.dat", "B_AMPS_10sec.dat"}) expected.append(Expect{f, trend});
    for (const char* f : {"KW_10sec.dat", "KWH_Hr.dat", "KWH_Day.dat", "KWH_Week.dat", "KWH_Month.dat",
                          "KWH_Year.dat"})
        expected.append(Expect{f, "\"0\",\"0\"\r\n"});
    expected.append(Expect{"MeterKWS.dat", "\"0\",\"0\",\"0\",\"0\",\"0\",\"0\",\"0\",\"0\",\"0\",\"0\"\r\n"});
    for (const char* f : {"KW_1m.dat", "AAMP_1m.dat", "BAMP_1m.dat", "VAC_1m.dat", "KWH_1m.dat"})
        expected.append(Expect{f, "\"0\"\r\n"});
    expected.append(Expect{"KWH_last_data.dat", "\"0\",\"0\",\"0.0585\"\r\n"});
    expected.append(Expect{"KWH_lifetime.dat", "0\r\n"});
    expected.append(Expect{"alarms.log", ""});
    expected.append(Expect{"Avg_KWHhr.dat", "\"0\",\"0\",\"0\",\"0\"\r\n"});
    expected.append(Expect{"SetupData.ini", settingsFileContent(Settings::defaults())});
    expected.append(Expect{"init.dat", "\"init done\"\r\n"});
    for (const Expect& e : expected) {
        SCOPED_TRACE(e.file.toStdString());
        EXPECT_TRUE(init.tmp.dir().exists(e.file));
        EXPECT_EQ(init.tmp.contents(e.file), e.content);
    }
    EXPECT_EQ(files::historyFiles().size(), 36);
    EXPECT_EQ(files::historyFiles().first(), "1Ahr.dat");
    EXPECT_EQ(files::historyFiles().last(), "720KWhr.dat");
}

TEST(InitAllData, LeavesWeeklyLogAndEmptiesAlarms) {
    TempDataDir tmp;
    tmp.dir().writeWhole("KWHWeeks.dat", "\"11/29/2026  12:00:00 AM\",\"  42.5\"\r\n");
    tmp.dir().writeWhole("alarms.log", "old line\r\n");
    ManualClock clock;
    SharedState shared;
    FieldModel fields;
    ASSERT_TRUE(InitAllData(tmp.dir(), clock, shared, fields));
    EXPECT_EQ(tmp.contents("KWHWeeks.dat"), QByteArray("\"11/29/2026  12:00:00 AM\",\"  42.5\"\r\n"));
    EXPECT_EQ(tmp.contents("alarms.log"), QByteArray());
}

TEST(InitAllData, ResetsCalibrationSettingsAndFields) {
    TempDataDir tmp;
    ManualClock clock;
    SharedState shared;
    FieldModel fields;
    shared.settings.VAC_Cal = SettingValue::Number(380);
    shared.settings.AAMPS_Cal = SettingValue::Number(250);
    shared.settings.VAC_Option = SettingValue::Text("120");
    fields.setChecked("Option_120vac", true);
    fields.setText("Text_A_Cal", "55");
    ASSERT_TRUE(InitAllData(tmp.dir(), clock, shared, fields));
    EXPECT_EQ(shared.settings.VAC_Cal.display(), "400");
    EXPECT_EQ(shared.settings.AAMPS_Cal.display(), "256");
    EXPECT_EQ(shared.settings.VAC_Option.display(), "240");
    EXPECT_EQ(fields.text("Text_A_Cal"), "100.0");
    EXPECT_TRUE(fields.isChecked("Option_240vac"));
    EXPECT_FALSE(fields.isChecked("Option_120vac"));
}

TEST(InitAllData, StopsAtAFileThatCannotBeWrittenWithoutTheMarker) {
    TempDataDir tmp;
    // A directory where a data file belongs cannot be replaced by a file.
    ASSERT_TRUE(QDir(tmp.path()).mkdir("KWH_1m.dat"));
    ManualClock clock;
    SharedState shared;
    FieldModel fields;
    EXPECT_FALSE(InitAllData(tmp.dir(), clock, shared, fields));
    EXPECT_FALSE(tmp.dir().exists("init.dat"));  // the next start tries again
    EXPECT_TRUE(tmp.dir().exists("alarms.log"));
    EXPECT_FALSE(tmp.dir().exists("Avg_KWHhr.dat"));
}
