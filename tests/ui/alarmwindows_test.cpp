#include "ui/alarmswindow.h"
#include "ui/appwindows.h"
#include "ui/mainwindow.h"

#include "alarm/alarmlog.h"
#include "model/datafiles.h"
#include "support/started.h"
#include "support/widgets.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStackedWidget>
#include <QTableWidget>

using namespace kelvora;
using namespace kelvora::testing;

namespace {

// The main window as main() builds it.
struct App : StartedApp {
    App() {
        addAppWindows(window, core);
        window.show();
    }
    template <typename W>
    W* find(const char* name) { return child<W>(window, QLatin1String(name)); }
    AlarmEngine& engine() { return core.alarms().engine(); }
    MainWindow window{mainWindowParts(core)};
};

AlarmsWindow* openAlarmsWindow() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* a = qobject_cast<AlarmsWindow*>(w); a && a->isVisible()) return a;
    return nullptr;
}

}  // namespace

// The red strip names each raised alarm until it clears; its button opens the Alarms window.
TEST(AlarmStrip, ShowsTheRaisedAlarmsUntilTheyClear) {
    App app;
    auto* strip = app.find<QWidget>("alarmStrip");
    auto* text = app.find<QLabel>("alarmStripText");
    EXPECT_FALSE(strip->isVisible());
    const QDateTime t = app.clock.now();
    app.engine().onSavingState(true, "No space left on device", t);
    app.engine().tick(t.addSecs(200));
    EXPECT_TRUE(strip->isVisible());
    EXPECT_EQ(text->text(), "ALARM meter link: no message for 120 s\nALARM saving data: No space left on device");
    app.engine().onSavingState(false, {}, t.addSecs(201));
    EXPECT_EQ(text->text(), "ALARM meter link: no message for 120 s");
    app.find<QPushButton>("CMD_AlarmStrip_Open")->click();
    AlarmsWindow* alarms = openAlarmsWindow();
    ASSERT_NE(alarms, nullptr);
    EXPECT_EQ(alarms->shown().first().text, "saved again") << "newest first, read again at each event";
    app.engine().onMessageDecoded(t.addSecs(202));
    EXPECT_FALSE(strip->isVisible());
    alarms->close();
}

// Newest first, filtered by kind, exported as the filter shows them.
TEST(AlarmsWindow, ListsTheLogNewestFirstFiltersByKindAndExportsCsv) {
    App app;
    const QDateTime t(QDate(2026, 12, 8), QTime(17, 31, 2));
    for (const AlarmEvent& e : {AlarmEvent{AlarmKind::PhaseA, true, "168.2 A over 160 A (80 % of 200 A)", t},
                                AlarmEvent{AlarmKind::Voltage, true, "214.3 V outside 228 to 252 V", t.addSecs(60)},
                                AlarmEvent{AlarmKind::PhaseA, false, "142.0 A", t.addSecs(120)}})
        ASSERT_TRUE(appendAlarmLog(app.core.dir(), e));
    app.find<QPushButton>("CMD_Alarms")->click();  // from the History tab
    AlarmsWindow* w = openAlarmsWindow();
    ASSERT_NE(w, nullptr);
    auto* table = child<QTableWidget>(*w, "alarmList");
    ASSERT_EQ(table->rowCount(), 4) << "three alarm lines and the start's line";
    EXPECT_EQ(table->item(0, 0)->text(), "12/8/2026  5:33:02 PM");
    EXPECT_EQ(table->item(0, 1)->text() + table->item(0, 2)->text() + table->item(0, 3)->text(), "CLEARphase A142.0 A");
    EXPECT_EQ(table->item(3, 1)->text(), "Restart");

    auto* filter = child<QComboBox>(*w, "alarmKindFilter");
    filter->setCurrentIndex(filter->findText("phase A"));
    ASSERT_EQ(table->rowCount(), 2);
    EXPECT_EQ(table->item(1, 1)->text(), "ALARM");

    const QString csv = app.tmp.path() + "/export.csv";
    w->setFileChooser([&](QWidget*, const QString& suggestion) {
        EXPECT_TRUE(suggestion.endsWith(".csv"));
        return csv;
    });
    child<QPushButton>(*w, "CMD_Alarms_Export")->click();
    EXPECT_EQ(app.tmp.contents("export.csv"),
              "stamp,event,alarm,text\r\n"
              "2026-12-08T17:33:02,\"CLEAR\",\"phase A\",\"142.0 A\"\r\n"
              "2026-12-08T17:31:02,\"ALARM\",\"phase A\",\"168.2 A over 160 A (80 % of 200 A)\"\r\n");
    EXPECT_TRUE(child<QLabel>(*w, "alarmsWindowStatus")->text().startsWith("Exported 2 lines"));
    w->close();
}

// Save takes good values, refuses the rest with a message; Defaults follow the mains option.
TEST(AlarmsPanel, SavesGoodLimitsRefusesBadOnesAndFillsInDefaults) {
    App app;
    ASSERT_TRUE(app.window.showSetupSection(MainWindow::kAlarms));
    const auto type = [&](const char* key, const char* text) { app.find<QLineEdit>(key)->setText(text); };
    type("breaker_amps", "100");
    type("phase_seconds", "2.5");
    type("voltage_percent", "abc");
    app.find<QCheckBox>("power_on")->setChecked(true);
    app.find<QPushButton>("CMD_Alarms_Save")->click();
    const QString said = app.find<QLabel>("alarmsMessage")->text();
    EXPECT_TRUE(said.contains("phase_seconds must be a whole number") && said.contains("voltage_percent must be"))
        << said.toStdString();
    EXPECT_EQ(app.find<QLineEdit>("phase_seconds")->text(), "10");
    EXPECT_EQ(app.find<QLineEdit>("voltage_percent")->text(), "5");
    const AlarmSettings inForce = app.core.alarms().settings();
    EXPECT_EQ(inForce.breakerAmps, 100);
    EXPECT_TRUE(inForce.powerOn);
    EXPECT_EQ(readAlarmSettings(app.core.dir(), "240").values, inForce);

    app.core.shared().settings.VAC_Option = SettingValue::Text("120");
    app.find<QPushButton>("CMD_Alarms_Default")->click();
    EXPECT_EQ(app.find<QLineEdit>("voltage_nominal")->text(), "120");
    EXPECT_EQ(app.find<QLineEdit>("breaker_amps")->text(), "200");
    EXPECT_FALSE(app.find<QCheckBox>("power_on")->isChecked());
    EXPECT_EQ(app.core.alarms().settings().breakerAmps, 100) << "not in force before Save";
}

// A list of sections, each with its page; every control keeps its name.
TEST(SetUpTab, SectionsListTheirPagesAndKeepEveryControl) {
    App app;
    auto* list = app.find<QListWidget>("setupSections");
    QStringList sections;
    for (int i = 0; i < list->count(); ++i) sections << list->item(i)->text();
    EXPECT_EQ(sections, (QStringList{"Connection", "Calibration", "Alarms", "Home automation", "Data", "Tariff"}));
    const struct { const char* section; const char* control; } where[] = {
        {"Connection", "CMD_SaveExit"}, {"Connection", "Label9"},        {"Calibration", "CMD_Save_VAC"},
        {"Calibration", "CMD_CAL_B"},   {"Alarms", "CMD_Alarms_Save"},   {"Home automation", "CMD_MQTT_Test"},
        {"Data", "CMD_Init_All_Data"},  {"Tariff", "CMD_Edit_Tariff"}};
    for (const auto& w : where) {
        SCOPED_TRACE(w.control);
        ASSERT_TRUE(app.window.showSetupSection(MainWindow::kConnection));  // the tab, then a click on the list
        list->setCurrentRow(int(sections.indexOf(w.section)));
        auto* control = app.find<QWidget>(w.control);
        ASSERT_NE(control, nullptr);
        EXPECT_TRUE(control->isVisible());
    }
    EXPECT_TRUE(app.find<QPushButton>("CMD_USER_MAN")->isVisible()) << "beside every section";
    // A new section is one call.
    app.window.addToSetupTab(new QGroupBox("Tariff"), "Tariff");
    EXPECT_EQ(list->item(list->count() - 1)->text(), "Tariff");
    EXPECT_TRUE(app.window.showSetupSection("Tariff"));
    EXPECT_EQ(app.find<QStackedWidget>("setupPages")->currentIndex(), list->count() - 1);
}
