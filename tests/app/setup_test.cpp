#include "model/settings.h"
#include "app/setupcontroller.h"
#include "support/fakes.h"

#include <gtest/gtest.h>

using namespace kelvora;
using kelvora::testing::TempDataDir;

namespace {

// A set-up tab as start-up leaves it: flags armed, fields filled from the settings.
struct SetupTab {
    SetupTab() : setup(shared, fields, tmp.dir(), [this] { ++beeps; }) {
        setup.disableSaveButtons();
        setup.armIgnoreChange();
    }
    TempDataDir tmp;
    SharedState shared;
    FieldModel fields;
    int beeps = 0;
    SetupController setup;

    QString option() const {
        return fields.isChecked("Option_120vac") ? "120" : fields.isChecked("Option_240vac") ? "240" : "none";
    }
    QStringList savedLines() const {
        return QString::fromLatin1(tmp.contents(files::Settings)).split("\r\n", Qt::SkipEmptyParts);
    }
};

}  // namespace

TEST(SetupTab, MainsOptionFollowsTypedVoltageAndCorrectsClicks) {
    const struct { QStringList typed; const char* click; const char* option; } cases[] = {
        {{"120"}, "", "120"}, {{"230"}, "", "240"}, {{"150"}, "", "120"}, {{"150.1"}, "", "240"},
        {{"120", "abc"}, "", "120"},  // text that is not a number leaves the option
        {{"200"}, "120", "240"}, {{"100"}, "240", "120"}, {{"150"}, "120", "120"}, {{"150"}, "240", "240"}
    };
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
        {{{"Text_A_Cal", "101"}}, "CMD_CAL_A", false},  // start-up's fill
        {{{"Text_A_Cal", "101"}, {"Text_A_Cal", "102"}}, "CMD_CAL_A", true},
        {{{"Text6(0)", "101"}}, "CMD_Save_VAC", false},
        {{{"Text5(0)", "h"}}, "CMD_SaveExit", false},
        {{{"Text5(0)", "h"}, {"Text5(1)", "5001"}}, "CMD_SaveExit", true},  // one flag for both fields
        // A fill with the text the field already shows raises no change: the first edit counts as the fill.
        {{{"Text_A_Cal", "100.0"}, {"Text_A_Cal", "99"}}, "CMD_CAL_A", false},
        {{{"Text_A_Cal", "100.0"}, {"Text_A_Cal", "99"}, {"Text_A_Cal", "98"}}, "CMD_CAL_A", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.button) + " after " + std::to_string(c.edits.size()) + " edits");
        SetupTab tab;
        for (const auto& [field, text] : c.edits) tab.fields.setText(field, text);
        EXPECT_EQ(tab.fields.isEnabled(c.button), c.enabled);
    }
}

// Calibrate and default buttons request the step and save the file (the VAC
// values bare, the option quoted); a phase saves the previous value.
TEST(SetupTab, CalibrateAndDefaultButtonsRequestRestoreAndSave) {
    SetupTab tab;
    tab.fields.setText("Text6(0)", "230");
    tab.setup.CMD_Save_VAC_Click();
    EXPECT_EQ(tab.shared.VAC_Cal_Request, 1);
    EXPECT_EQ(tab.savedLines().value(6), "\"230\"");
    tab.fields.setText("Text6(0)", "231");  // from now on the value follows the field
    EXPECT_EQ(tab.shared.settings.VAC_Cal_Value.display(), "231");
    tab.fields.setText("Text_A_Cal", "50.0");
    tab.setup.CMD_CAL_A_Click();
    EXPECT_EQ(tab.shared.AAMPS_Cal_Request, 1);
    EXPECT_EQ(tab.shared.settings.AAMPS_Cal_Value.display(), "50.0");
    EXPECT_EQ(tab.savedLines().value(16), "\"100.0\"");
    tab.setup.CMD_CAL_B_Click();
    EXPECT_EQ(tab.savedLines().value(16), "\"50.0\"");
    tab.setup.CMD_VAC_Default_Click();
    ASSERT_EQ(tab.savedLines().size(), 19);
    EXPECT_EQ(tab.savedLines()[6], "240");
    tab.shared.settings.BAMPS_Cal = SettingValue::Number(300);
    tab.fields.setText("Text_B_Cal", "42");
    tab.setup.CMD_B_Default_Click();
    EXPECT_EQ(tab.savedLines().value(14), "\"256\"");
    EXPECT_EQ(tab.savedLines().value(18), "\"100.0\"");
    EXPECT_EQ(tab.beeps, 2);
}

TEST(SettingsFile, ReadsBackTheSameValuesQuotedOrBare) {
    Settings s = Settings::defaults();
    s.VAC_Cal = SettingValue::Number(400), s.AAMPS_Cal = SettingValue::Number(255.5);
    s.Remote_Host = SettingValue::Text("a, host");
    const LoadedSettings back = readSettings(settingsFileContent(s), Settings());
    EXPECT_EQ(back.valuesRead, 9);
    EXPECT_EQ(back.values, s);
}
