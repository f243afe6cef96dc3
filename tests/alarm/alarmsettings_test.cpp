#include "alarm/alarmsettings.h"

#include "model/datafiles.h"
#include "support/fakes.h"

#include <QFile>
#include <gtest/gtest.h>

using namespace kelvora;
using namespace kelvora::testing;

// A missing file gives the defaults with the nominal voltage of the mains option.
TEST(AlarmSettings, WrittenForTheOwnerOnlyAndReadBackTheSame) {
    TempDataDir tmp;
    const LoadedAlarmSettings at240 = readAlarmSettings(tmp.dir(), "240");
    EXPECT_TRUE(at240.refused.isEmpty());
    EXPECT_EQ(at240.values, AlarmSettings::defaults());
    EXPECT_EQ(readAlarmSettings(tmp.dir(), "120").values.voltageNominal, 120);
    AlarmSettings s = AlarmSettings::defaults("120");
    s.powerOn = true, s.powerKw = 7.5, s.dayCost = 0.25, s.linkSeconds = 30, s.diskOn = false;
    ASSERT_TRUE(saveAlarmSettings(tmp.dir(), s));
    EXPECT_EQ(QFile::permissions(tmp.dir().filePath(files::AlarmSetup)),
              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadUser | QFileDevice::WriteUser);
    const QByteArray text = tmp.contents(files::AlarmSetup);
    EXPECT_TRUE(text.startsWith("[alarms]\nphase_on=true\nbreaker_amps=200\n")) << text.toStdString();
    EXPECT_TRUE(text.contains("\npower_kw=7.5\n") && text.contains("\nday_cost=0.25\n") &&
                text.contains("\ndisk_on=false\n"));
    const LoadedAlarmSettings back = readAlarmSettings(tmp.dir(), "240");
    EXPECT_TRUE(back.refused.isEmpty()) << back.refused.join("; ").toStdString();
    EXPECT_EQ(back.values, s) << "the file's nominal voltage wins over the mains option";
}

// Each bad line is refused with a message naming the key, and the value before it stays.
TEST(AlarmSettings, BadValuesAreRefusedAndThePreviousValueKept) {
    const struct { const char* line; const char* says; } bad[] = {
        {"breaker_amps=abc", "breaker_amps must be a number from 1 to 400"},
        {"breaker_amps=200 A", "breaker_amps must be"},
        {"phase_percent=0", "phase_percent must be a number from 10 to 100"},
        {"phase_seconds=2.5", "phase_seconds must be a whole number"},
        {"voltage_nominal=1e3", "voltage_nominal must be"},
        {"voltage_nominal=nan", "voltage_nominal must be"},
        {"power_kw=", "power_kw must be"},
        {"link_seconds=0", "link_seconds must be a whole number from 5 to 86400"},
        {"voltage_on=yes", "voltage_on must be true or false"},
        {"phase_seconds", "is not a key=value line"},
        {"tariff=3", "tariff is not an alarm setting"},
    };
    const AlarmSettings start = AlarmSettings::defaults();
    for (const auto& b : bad) {
        SCOPED_TRACE(b.line);
        const QByteArray file = QByteArray("[alarms]\nbreaker_amps=100\n") + b.line + "\nday_kwh=12.5\n";
        const LoadedAlarmSettings loaded = parseAlarmSettings(file, start);
        ASSERT_EQ(loaded.refused.size(), 1);
        EXPECT_TRUE(loaded.refused[0].contains(QLatin1String(b.says))) << loaded.refused[0].toStdString();
        AlarmSettings expected = start;
        expected.breakerAmps = 100, expected.dayKwh = 12.5;  // the lines around it are taken
        EXPECT_EQ(loaded.values, expected);
    }
    // Other sections, comments and blanks are no business of the alarms.
    const auto other = parseAlarmSettings("# mine\n[tariff]\nday_kwh=1\n\n[alarms]\r\n day_kwh = 2 \r\n", start);
    EXPECT_TRUE(other.refused.isEmpty());
    EXPECT_EQ(other.values.dayKwh, 2);
}
