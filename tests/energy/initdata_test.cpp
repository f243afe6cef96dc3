#include "energy/initdata.h"
#include "support/fakes.h"

#include <QDir>
#include <gtest/gtest.h>

using namespace kelvora;

namespace {

struct DataRig {
    kelvora::testing::TempDataDir tmp;
    ManualClock clock;  // 12/5/2026 2:03:00 PM
    SharedState shared;
    FieldModel fields;
    bool init() { return InitAllData(tmp.dir(), clock, shared, fields); }
};

QByteArray repeated(const QByteArray& line, int times) {
    QByteArray all;
    for (int i = 0; i < times; ++i) all += line;
    return all;
}

}  // namespace

TEST(InitAllData, WritesEveryFileWithItsStartingContent) {
    DataRig r;
    ASSERT_TRUE(r.init());
    const QByteArray rolling = repeated("\"12/5/2026  2:03:00 PM\",\"0\"\r\n", 60);
    const QByteArray trend = repeated("\"12/05/2026\",\"14:03:00\",\"0\"\r\n", 60);
    QList<std::pair<QString, QByteArray>> expected;
    for (const QString& h : files::historyFiles()) expected.emplaceBack(h, rolling);
    for (const char* f : {"KWHhr.dat", "KWHday.dat", "KWHweek.dat", "KWHMonth.dat", "KWHyear.dat",
                          "KWHHours.dat", "KWHDays.dat", "KWHMonths.dat", "KWHyears.dat"})
        expected.emplaceBack(f, rolling);
    for (const char* f : {"VAC_10sec.dat", "A_AMPS_10sec.dat", "B_AMPS_10sec.dat"}) expected.emplaceBack(f, trend);
    for (const char* f : {"KW_10sec.dat", "KWH_Hr.dat", "KWH_Day.dat", "KWH_Week.dat", "KWH_Month.dat",
                          "KWH_Year.dat"})
        expected.emplaceBack(f, "\"0\",\"0\"\r\n");
    expected.emplaceBack("MeterKWS.dat", "\"0\",\"0\",\"0\",\"0\",\"0\",\"0\",\"0\",\"0\",\"0\",\"0\"\r\n");
    for (const char* f : {"KW_1m.dat", "AAMP_1m.dat", "BAMP_1m.dat", "VAC_1m.dat", "KWH_1m.dat"})
        expected.emplaceBack(f, "\"0\"\r\n");
    expected.emplaceBack("KWH_last_data.dat", "\"0\",\"0\",\"0.0585\"\r\n");
    expected.emplaceBack("Avg_KWHhr.dat", "\"0\",\"0\",\"0\",\"0\"\r\n");
    expected.emplaceBack("init.dat", "\"init done\"\r\n");
    for (const auto& [file, content] : expected) {
        SCOPED_TRACE(file.toStdString());
        EXPECT_TRUE(r.tmp.dir().exists(file));
        EXPECT_EQ(r.tmp.contents(file), content);
    }
}

// The weekly log survives; the alarms are emptied; calibration and the mains
// option go back to their defaults, in the settings file and on the Set-Up tab.
TEST(InitAllData, KeepsTheWeeklyLogAndResetsAlarmsAndCalibration) {
    DataRig r;
    const QByteArray weekly = "\"11/29/2026  12:00:00 AM\",\"  42.5\"\r\n";
    r.tmp.dir().writeWhole("KWHWeeks.dat", weekly);
    r.tmp.dir().writeWhole("alarms.log", "old line\r\n");
    r.shared.settings.VAC_Cal = SettingValue::Number(380);
    r.shared.settings.AAMPS_Cal = SettingValue::Number(250);
    r.shared.settings.VAC_Option = SettingValue::Text("120");
    r.fields.setChecked("Option_120vac", true);
    r.fields.setText("Text_A_Cal", "55");
    ASSERT_TRUE(r.init());
    EXPECT_EQ(r.tmp.contents("KWHWeeks.dat"), weekly);
    EXPECT_TRUE(r.tmp.dir().exists("alarms.log"));
    EXPECT_EQ(r.tmp.contents("alarms.log"), QByteArray());
    EXPECT_EQ(r.tmp.contents("SetupData.ini"), settingsFileContent(Settings::defaults()));
    EXPECT_EQ(r.shared.settings.VAC_Cal.display(), "400");
    EXPECT_EQ(r.shared.settings.AAMPS_Cal.display(), "256");
    EXPECT_EQ(r.shared.settings.VAC_Option.display(), "240");
    EXPECT_EQ(r.fields.text("Text_A_Cal"), "100.0");
    EXPECT_TRUE(r.fields.isChecked("Option_240vac"));
    EXPECT_FALSE(r.fields.isChecked("Option_120vac"));
}

TEST(InitAllData, StopsAtAFileThatCannotBeWrittenWithoutTheMarker) {
    DataRig r;
    // A directory where a data file belongs cannot be replaced by a file.
    ASSERT_TRUE(QDir(r.tmp.path()).mkdir("KWH_1m.dat"));
    EXPECT_FALSE(r.init());
    EXPECT_FALSE(r.tmp.dir().exists("init.dat"));  // the next start tries again
    EXPECT_TRUE(r.tmp.dir().exists("alarms.log"));
    EXPECT_FALSE(r.tmp.dir().exists("Avg_KWHhr.dat"));
}
