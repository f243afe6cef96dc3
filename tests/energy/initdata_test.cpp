#include "energy/initdata.h"
#include "support/fakes.h"

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

}  // namespace

// Every file gets its starting content, but the weekly log survives; the
// alarms are emptied; calibration and the mains option go back to their
// defaults in the settings file.
TEST(InitAllData, WritesEveryFileButTheWeeklyLogAndResetsAlarmsAndCalibration) {
    DataRig r;
    const QByteArray weekly = "\"11/29/2026  12:00:00 AM\",\"  42.5\"\r\n";
    r.tmp.dir().writeWhole("KWHWeeks.dat", weekly);
    r.tmp.dir().writeWhole("alarms.log", "old line\r\n");
    Settings& s = r.shared.settings;
    s.VAC_Cal = SettingValue::Number(380), s.AAMPS_Cal = SettingValue::Number(250);
    s.VAC_Option = SettingValue::Text("120");
    ASSERT_TRUE(r.init());
    EXPECT_EQ(r.tmp.contents("KWHWeeks.dat"), weekly);
    EXPECT_EQ(r.tmp.dir().read("alarms.log"), QByteArray());
    EXPECT_EQ(r.tmp.contents("SetupData.ini"), settingsFileContent(Settings::defaults()));
    EXPECT_EQ((QStringList{s.VAC_Cal.display(), s.AAMPS_Cal.display(), s.VAC_Option.display()}),
              (QStringList{"400", "256", "240"}));
    const QStringList rolling = files::historyFiles() + QStringList{"KWHhr.dat", "KWHday.dat", "KWHMonth.dat",
                                                                    "KWHHours.dat", "KWHyears.dat"};
    const struct { QStringList names; QByteArray content; } expected[] = {
        {rolling, QByteArray("\"12/5/2026  2:03:00 PM\",\"0\"\r\n").repeated(60)},
        {{"VAC_10sec.dat", "A_AMPS_10sec.dat", "B_AMPS_10sec.dat"},
         QByteArray("\"12/05/2026\",\"14:03:00\",\"0\"\r\n").repeated(60)},
        {{"KW_10sec.dat", "KWH_Hr.dat", "KWH_Day.dat", "KWH_Week.dat", "KWH_Month.dat", "KWH_Year.dat"},
         "\"0\",\"0\"\r\n"},
        {{"KW_1m.dat", "AAMP_1m.dat", "BAMP_1m.dat", "VAC_1m.dat", "KWH_1m.dat"}, "\"0\"\r\n"},
        {{"KWH_last_data.dat"}, "\"0\",\"0\",\"0.0585\"\r\n"},
    };
    for (const auto& [names, content] : expected)
        for (const QString& file : names) EXPECT_EQ(r.tmp.dir().read(file), content) << file.toStdString();
}
