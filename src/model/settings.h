#pragma once
#include "common/datadir.h"
#include "common/variant.h"
#include "model/datafiles.h"
#include "model/fieldmodel.h"

#include <QString>

namespace kelvora {

// A setting as the program holds it: the text read from the file or taken
// from a field, or a number once the program has set one.
using SettingValue = Variant;

struct Settings {
    SettingValue Remote_Host;
    SettingValue Remote_Port;
    SettingValue VAC_Cal_Value;
    SettingValue VAC_Option;
    SettingValue VAC_Cal;
    SettingValue AAMPS_Cal;
    SettingValue BAMPS_Cal;
    SettingValue AAMPS_Cal_Value;
    SettingValue BAMPS_Cal_Value;

    static Settings defaults();
    bool operator==(const Settings& o) const = default;
};

// A private LAN address; the user types the serial server's own on the Set-Up tab.
inline const QString kDefaultRemoteHost = QStringLiteral("192.168.1.100");

// The nineteen lines of the settings file.
QByteArray settingsFileContent(const Settings& s);
bool saveSettings(const DataDir& dir, const Settings& s);

// What a settings file yields: the values in file order, as many as it holds
// (a short file yields fewer). valuesRead counts the value lines read.
struct LoadedSettings {
    Settings values;       // values not in the file keep the passed-in ones
    int valuesRead = 0;    // 0..9
};
LoadedSettings readSettings(const QByteArray& content, const Settings& before);

// Checks the mains option button of "120" or "240" on the Set-Up tab.
void selectMainsOption(FieldModel& fields, const QString& option);

}  // namespace kelvora
