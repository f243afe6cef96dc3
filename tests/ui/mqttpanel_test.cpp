#include "ui/appwindows.h"
#include "ui/mainwindow.h"
#include "ui/mqttpanel.h"

#include "publish/mqttsettings.h"
#include "support/broker.h"
#include "support/started.h"
#include "support/widgets.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using namespace kelvora;
using namespace kelvora::testing;

namespace {

struct Panel : StartedApp {
    // As main.cpp adds it.
    Panel() { window.addToSetupTab(new MqttPanel(core.publisher()), MainWindow::kHomeAutomation); }
    template <typename W>
    W* find(const char* name) { return child<W>(window, QLatin1String(name)); }
    void type(const char* name, const QString& text) { find<QLineEdit>(name)->setText(text); }
    QString said(const char* label) { return find<QLabel>(label)->text(); }
    MainWindow window{mainWindowParts(core)};
};

}  // namespace

TEST(MqttPanel, SitsOnTheSetUpTabAndRefusesABadPort) {
    Panel p;
    p.type("mqttHost", QStringLiteral("hub.lan"));
    for (const char* port : {"0", "70000", "x"}) {
        p.type("mqttPort", QString::fromLatin1(port));
        for (const char* button : {"CMD_MQTT_Save", "CMD_MQTT_Test"}) {
            p.find<QPushButton>(button)->click();
            EXPECT_TRUE(p.said("mqttTestResult").contains("1 to 65535")) << port << button;
        }
    }
    EXPECT_FALSE(p.tmp.dir().exists(files::MqttSetup));
}

TEST(MqttPanel, SaveKeepsTheTypedSettingsForTheOwnerAndTestConnectionReports) {
    SKIP_WITHOUT_MOSQUITTO();
    TestBroker broker;
    ASSERT_TRUE(broker.start());
    Panel p;
    for (const auto& [field, text] : {std::pair<const char*, QString>{"mqttHost", "127.0.0.1"},
                                      {"mqttPort", QString::number(broker.port())}, {"mqttUser", "ha"},
                                      {"mqttPassword", "hunter2"}, {"mqttTopicPrefix", "house"}})
        p.type(field, text);
    p.find<QCheckBox>("mqttDiscovery")->setChecked(false);

    p.find<QPushButton>("CMD_MQTT_Test")->click();
    ASSERT_TRUE(waitUntil([&] { return p.said("mqttTestResult").startsWith("Test:"); }, 15000));
    EXPECT_EQ(p.said("mqttTestResult"), QStringLiteral("Test: connected to 127.0.0.1:%1").arg(broker.port()));
    EXPECT_FALSE(p.tmp.dir().exists(files::MqttSetup)) << "a test saves nothing";

    p.find<QPushButton>("CMD_MQTT_Save")->click();
    const MqttSettings saved = readMqttSettings(p.tmp.dir());
    EXPECT_EQ(saved.password, "hunter2");
    EXPECT_FALSE(saved.discovery);
    ASSERT_TRUE(waitUntil([&] { return p.said("mqttStatus").startsWith("Connected"); }, 15000))
        << qPrintable(p.said("mqttStatus"));
}
