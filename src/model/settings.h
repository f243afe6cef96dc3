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
    // Written after the design's nine, so that a file of an older version
    // reads as before and these keep their defaults.
    SettingValue Currency_Symbol;  // put where money is shown: "$"
    SettingValue Currency_Code;    // ISO 4217, for the home-automation hub: "USD"

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
    int valuesRead = 0;    // 0..11
};

// The currency of the settings, or the defaults where they hold none.
QString currencySymbol(const Settings& s);
QString currencyCode(const Settings& s);
inline const QString kDefaultCurrencySymbol = QStringLiteral("$");
inline const QString kDefaultCurrencyCode = QStringLiteral("USD");
// A symbol that the money fields can be read back with: 1 to 4 characters,
// none of them a digit, sign, point, comma, quote or blank.
bool isCurrencySymbol(const QString& symbol);
// Three capital letters.
bool isCurrencyCode(const QString& code);
LoadedSettings readSettings(const QByteArray& content, const Settings& before);

// Checks the mains option button of "120" or "240" on the Set-Up tab.
void selectMainsOption(FieldModel& fields, const QString& option);

}  // namespace kelvora
