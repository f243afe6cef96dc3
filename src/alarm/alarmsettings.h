#pragma once
#include "common/datadir.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace kelvora {

// The limits of the alarms, as AlarmSetup.ini keeps them.
struct AlarmSettings {
    bool phaseOn = true;
    double breakerAmps = 200;
    double phasePercent = 80;
    double phaseSeconds = 10;
    bool voltageOn = true;
    double voltageNominal = 240;
    double voltagePercent = 5;
    double voltageSeconds = 10;
    bool powerOn = false;
    double powerKw = 10;
    double powerMinutes = 5;
    bool dayKwhOn = false;
    double dayKwh = 60;
    bool dayCostOn = false;
    double dayCost = 10;
    bool linkOn = true;
    double linkSeconds = 120;
    bool diskOn = true;

    // The defaults; the nominal voltage follows the mains option ("120" or "240").
    static AlarmSettings defaults(const QString& mainsOption = QStringLiteral("240"));
    double phaseLimit() const { return breakerAmps * phasePercent / 100; }
    bool operator==(const AlarmSettings&) const = default;
};

// One key of the file: its name, whether it is an on/off switch, and for a
// number the range it must fall in (and whether it must be whole).
struct AlarmKey {
    const char* name;
    bool AlarmSettings::*flag;     // set for the *_on keys
    double AlarmSettings::*number; // set for the limits
    double min;
    double max;
    bool whole;
};
const QList<AlarmKey>& alarmKeys();

// Sets one key from its text. Returns why the text is refused (the value is
// then left as it was), or an empty text when it was taken.
QString setAlarmValue(AlarmSettings& s, const QString& key, const QString& text);
// The text of one key as the file writes it ("true", "200", "0.5").
QString alarmValueText(const AlarmSettings& s, const QString& key);

// AlarmSetup.ini: "key=value" lines under "[alarms]". A missing file gives
// the defaults; a bad or unknown line is named in `refused` and the value
// before it stays.
struct LoadedAlarmSettings {
    AlarmSettings values;
    QStringList refused;
};
LoadedAlarmSettings readAlarmSettings(const DataDir& dir, const QString& mainsOption);
LoadedAlarmSettings parseAlarmSettings(const QByteArray& content, AlarmSettings start);
QByteArray alarmSettingsText(const AlarmSettings& s);
// Written synced and readable by its owner only.
bool saveAlarmSettings(const DataDir& dir, const AlarmSettings& s);

}  // namespace kelvora
