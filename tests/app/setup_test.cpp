#include "model/settings.h"
#include "app/setupcontroller.h"
#include "support/fakes.h"

#include <gtest/gtest.h>

using namespace kelvora;
using kelvora::testing::TempDataDir;

namespace {

// A set-up tab as start-up leaves it: flags armed, fields filled from the settings.
struct SetupTab {
    SetupTab() : setup(shared, fields, tmp.dir(), [] {}) {
        setup.disableSaveButtons();
        setup.armIgnoreChange();
    }
    TempDataDir tmp;
    SharedState shared;
    FieldModel fields;
    SetupController setup;

    QString option() const {
        return fields.isChecked("Option_120vac") ? "120" : fields.isChecked("Option_240vac") ? "240" : "none";
    }
};

}  // namespace

TEST(SetupTab, MainsOptionFollowsTypedVoltageAndCorrectsClicks) {
    const struct { QStringList typed; const char* click; const char* option; } cases[] = {
        {{"150"}, "", "120"}, {{"150.1"}, "", "240"}, {{"120", "abc"}, "", "120"},  // "abc" leaves the option
        {{"100"}, "240", "120"}, {{"150"}, "120", "120"}, {{"150"}, "240", "240"}};
    for (const auto& c : cases) {
        SCOPED_TRACE((c.typed.join(" then ") + " click " + c.click).toStdString());
        SetupTab tab;
        for (const QString& t : c.typed) tab.fields.setText("Text6(0)", t);
        if (QLatin1String(c.click) == "120") tab.setup.Option_120vac_Click();
        if (QLatin1String(c.click) == "240") tab.setup.Option_240vac_Click();
        EXPECT_EQ(tab.option(), c.option);
        if (!*c.click) { EXPECT_EQ(tab.shared.settings.VAC_Option.display(), c.option); }
    }
}

TEST(SetupTab, OnlyEditsAfterStartUpsFillEnableTheButton) {
    const struct { QList<std::pair<const char*, const char*>> edits; const char* button; bool enabled; } cases[] = {
        {{{"Text5(0)", "h"}}, "CMD_SaveExit", false},  // start-up's fill
        {{{"Text5(0)", "h"}, {"Text5(1)", "5001"}}, "CMD_SaveExit", true},  // one flag for both fields
        // A fill with the text the field already shows raises no change: the first edit counts as the fill.
        {{{"Text_A_Cal", "100.0"}, {"Text_A_Cal", "99"}}, "CMD_CAL_A", false},
        {{{"Text_A_Cal", "100.0"}, {"Text_A_Cal", "99"}, {"Text_A_Cal", "98"}}, "CMD_CAL_A", true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.button) + " after " + std::to_string(c.edits.size()) + " edits");
        SetupTab tab;
        for (const auto& [field, text] : c.edits) tab.fields.setText(field, text);
        EXPECT_EQ(tab.fields.isEnabled(c.button), c.enabled);
    }
}

TEST(SettingsFile, ReadsBackTheSameValuesQuotedOrBareAndKeepsDefaultsOfWhatIsMissing) {
    Settings s = Settings::defaults();
    s.VAC_Cal = SettingValue::Number(400), s.AAMPS_Cal = SettingValue::Number(255.5);
    s.Remote_Host = SettingValue::Text("a, host");
    s.Currency_Symbol = SettingValue::Text("€"), s.Currency_Code = SettingValue::Text("EUR");
    const LoadedSettings back = readSettings(settingsFileContent(s), Settings());
    EXPECT_EQ(back.valuesRead, 11);
    EXPECT_EQ(back.values, s);
    // The nineteen lines of an older version: the currency keeps its defaults.
    const QByteArray old = settingsFileContent(s).split('\n').mid(0, 19).join('\n') + '\n';
    const LoadedSettings older = readSettings(old, Settings::defaults());
    EXPECT_EQ(older.valuesRead, 9);
    EXPECT_EQ(currencySymbol(older.values) + currencyCode(older.values), "$USD");
    // A short or damaged file keeps the defaults of what it lacks.
    const auto hostOnly = readSettings("\"header\"\r\n\"remote host\"\r\n\"10.1.2.3\"\r\n", Settings::defaults());
    EXPECT_EQ(hostOnly.valuesRead, 1);
    EXPECT_EQ(hostOnly.values.Remote_Host.display() + ":" + hostOnly.values.Remote_Port.display(), "10.1.2.3:5000");
    EXPECT_EQ(readSettings("\x01\x02\x03", Settings::defaults()).values, Settings::defaults());
}
