#include "app/kelvoracore.h"
#include "model/datafiles.h"
#include "support/broker.h"
#include "support/fakes.h"
#include "support/started.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>

using namespace kelvora;
using namespace kelvora::testing;

namespace {

const QString kNode = QStringLiteral("kelvora_00000000a1a2");
QString alarmTopic(const char* object) { return QStringLiteral("kelvora/%1/alarm/%2").arg(kNode, QLatin1String(object)); }
QJsonObject json(const QByteArray& payload) { return QJsonDocument::fromJson(payload).object(); }

// One decoded reading set through the processing chain, two seconds after the last.
void reading(KelvoraCore& core, ManualClock& clock, double volts, double ampsA, double ampsB) {
    clock.advanceMs(2000);
    SharedState& s = core.shared();
    s.VAC_Reading = volts, s.A_AMPS_Reading = ampsA, s.B_AMPS_Reading = ampsB, s.New_Message = 1;
    core.scheduler().Timer2_Timer();
}

}  // namespace

// From the readings to alarms.log and, through a real broker, the hub
// (discovery, retained state and attributes).
TEST(Alarms, APhaseOverloadReachesTheLogAndTheHub) {
    SKIP_WITHOUT_MOSQUITTO();
    TestBroker broker;
    ASSERT_TRUE(broker.start());
    TempDataDir tmp;
    MqttSettings mqtt;
    mqtt.host = QStringLiteral("127.0.0.1"), mqtt.port = broker.port(), mqtt.nodeId = kNode;
    ASSERT_TRUE(saveMqttSettings(tmp.dir(), mqtt));
    ManualClock clock(QDateTime(QDate(2026, 12, 8), QTime(17, 30, 52)));
    // Not a first start: the start-up's own files are not at stake here.
    ASSERT_EQ(KelvoraCore::InitializeOnly(tmp.path(), clock), KelvoraCore::InitializeResult::Done);
    StartedCore app(tmp.path(), clock);
    TestSubscriber hub(broker.port(), "#");
    ASSERT_TRUE(hub.ok());

    const auto config = hub.waitFor(QStringLiteral("homeassistant/binary_sensor/%1/alarm_phase_a/config").arg(kNode), 15000);
    ASSERT_TRUE(config);
    const QJsonObject c = json(config->payload);
    EXPECT_EQ(c["device_class"].toString(), "problem");
    EXPECT_EQ(c["state_topic"].toString(), alarmTopic("alarm_phase_a"));
    EXPECT_EQ(c["json_attributes_topic"].toString(), alarmTopic("alarm_phase_a") + "/attributes");
    for (const char* object : {"alarm_phase_b", "alarm_voltage", "alarm_power", "alarm_energy_today",
                               "alarm_cost_today", "alarm_link", "alarm_disk"}) {
        const auto off = hub.waitFor(alarmTopic(object));
        EXPECT_TRUE(off && off->payload == "OFF") << object;
    }

    for (int i = 0; i < 6; ++i) reading(app.core, clock, 240, i == 5 ? 168.2 : 170, 12);  // 10 s over 160 A
    EXPECT_TRUE(waitUntil([&] { return hub.waitFor(alarmTopic("alarm_phase_a"))->payload == "ON"; }));
    // Retained: a hub that comes later learns it too.
    TestSubscriber later(broker.port(), "#");
    const auto laterConfig = later.waitFor(QStringLiteral("homeassistant/binary_sensor/%1/alarm_phase_a/config").arg(kNode));
    const auto state = later.waitFor(alarmTopic("alarm_phase_a"));
    EXPECT_TRUE(state && state->retained && state->payload == "ON");
    EXPECT_TRUE(laterConfig && laterConfig->retained);
    const auto attributes = later.waitFor(alarmTopic("alarm_phase_a") + "/attributes");
    ASSERT_TRUE(attributes && attributes->retained);
    EXPECT_EQ(json(attributes->payload)["text"].toString(), "168.2 A over 160 A (80 % of 200 A)");
    EXPECT_TRUE(json(attributes->payload)["since"].toString().startsWith("2026-12-08T17:31:04"));

    for (int i = 0; i < 6; ++i) reading(app.core, clock, 240, 142, 12);
    EXPECT_TRUE(waitUntil([&] { return hub.waitFor(alarmTopic("alarm_phase_a"))->payload == "OFF"; }));
    ASSERT_TRUE(app.core.dir().flush(5000));  // the log goes through the disk writer
    EXPECT_EQ(tmp.contents(files::AlarmsLog),
              "12/8/2026  5:30:52 PM  Restart Program\r\n"
              "12/8/2026  5:31:04 PM  ALARM phase A: 168.2 A over 160 A (80 % of 200 A)\r\n"
              "12/8/2026  5:31:16 PM  CLEAR phase A: 142.0 A\r\n");
}

// The link alarm counts the meter's silence on the app's one-second tick.
TEST(Alarms, ASilentMeterRaisesTheLinkAlarmOnTheSecondTick) {
    StartedApp app;
    AlarmEngine& engine = app.core.alarms().engine();
    app.clock.advanceMs(119'000);
    app.core.scheduler().Timer1_Timer();
    EXPECT_FALSE(engine.isRaised(AlarmKind::Link));
    app.clock.advanceMs(2'000);
    app.core.scheduler().Timer1_Timer();
    EXPECT_TRUE(engine.isRaised(AlarmKind::Link));
}
