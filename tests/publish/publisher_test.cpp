#include "publish/homepublisher.h"

#include "common/clock.h"
#include "measure/measurement.h"
#include "model/datafiles.h"
#include "model/fieldmodel.h"
#include "model/sharedstate.h"
#include "support/broker.h"
#include "support/fakes.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>
#include <memory>

using namespace kelvora;
using namespace kelvora::testing;

namespace {

const QString kNode = QStringLiteral("kelvora_0123456789ab");
const QString kState = QStringLiteral("kelvora/kelvora_0123456789ab/state");
const QString kAvailability = QStringLiteral("kelvora/kelvora_0123456789ab/availability");
MqttSettings loopbackBroker(quint16 port) {
    MqttSettings settings;
    settings.host = QStringLiteral("127.0.0.1"), settings.port = port, settings.nodeId = kNode;
    return settings;
}
QString configTopic(const char* object) {
    return QStringLiteral("homeassistant/sensor/%1/%2/config").arg(kNode, QLatin1String(object));
}

// A publisher with what it reads, set to publish to a broker on loopback.
struct Rig {
    explicit Rig(quint16 port) {
        EXPECT_TRUE(saveMqttSettings(dir, loopbackBroker(port)));
        publisher = std::make_unique<HomePublisher>(dir, shared, measurement);
    }
    bool connected() {
        return waitUntil([this] { return publisher->client().state() == MqttState::Connected; }, 15000);
    }
    TempDataDir tmp;
    DataDir dir = tmp.dir();
    SharedState shared;
    FieldModel fields;
    ManualClock clock;
    Measurement measurement{shared, fields, dir, clock};
    std::unique_ptr<HomePublisher> publisher;
};

QJsonObject json(const QByteArray& payload) { return QJsonDocument::fromJson(payload).object(); }

}  // namespace

// A broker and a publisher connected to it.
class Publisher : public ::testing::Test {
protected:
    void SetUp() override {
        SKIP_WITHOUT_MOSQUITTO();
        ASSERT_TRUE(broker.start());
        rig = std::make_unique<Rig>(broker.port());
        rig->publisher->start();
        ASSERT_TRUE(rig->connected()) << qPrintable(rig->publisher->statusText());
    }
    TestBroker broker;
    std::unique_ptr<Rig> rig;
};

// What a hub sees: the retained configs and availability (also when it comes
// later), the state of a known reading set, the configs removed, and
// "offline" from the broker when the connection dies without a goodbye, as
// when killed.
TEST_F(Publisher, DiscoveryConfigsStateAndOfflineWill) {
    ASSERT_TRUE(TestSubscriber(broker.port(), "#").waitFor(configTopic("energy_total")));
    TestSubscriber hub(broker.port(), "#");
    const struct { const char *object, *unit, *deviceClass, *stateClass; } sensors[] = {
        {"energy_total", "kWh", "energy", "total_increasing"}, {"power", "W", "power", "measurement"},
        {"power_factor", nullptr, "power_factor", "measurement"}, {"cost_month", "USD", "monetary", nullptr},
        // falls to zero each month: a new cycle for the hub, not negative use
        {"energy_month", "kWh", "energy", "total_increasing"}};
    for (const auto& s : sensors) {
        const auto config = hub.waitFor(configTopic(s.object));
        ASSERT_TRUE(config && config->retained) << s.object;
        const QJsonObject c = json(config->payload);
        SCOPED_TRACE(s.object);
        EXPECT_EQ(c["unique_id"].toString(), kNode + "_" + s.object);
        EXPECT_EQ(c["state_topic"].toString() + c["availability_topic"].toString(), kState + kAvailability);
        EXPECT_EQ(c["unit_of_measurement"].toString(), QLatin1String(s.unit));
        EXPECT_EQ(c["device_class"].toString(), s.deviceClass);
        EXPECT_EQ(c.contains("state_class"), s.stateClass != nullptr);  // the hub refuses an empty one
        EXPECT_EQ(c["state_class"].toString(), QLatin1String(s.stateClass));
        // The template picks this sensor's key out of the state message.
        EXPECT_EQ(c["value_template"].toString(), QStringLiteral("{{ value_json.%1 }}").arg(s.object));
        EXPECT_EQ(c["device"].toObject()["identifiers"].toArray().first().toString(), kNode);
    }
    const auto online = hub.waitFor(kAvailability);
    ASSERT_TRUE(online && online->retained && online->payload == "online");

    SharedState& s = rig->shared;
    s.Cur_VAC = 241.3, s.Cur_A_AMPS = 6.2, s.Cur_B_AMPS = 4.1, s.Cur_AMPS = 10.3, s.Cur_KW = 241.3 * 10.3 / 1000;
    s.Total_KWH_Saved = 123.456789, s.Total_Cost_Saved = 7.2222, s.Lifetime_KWH = 98765.43216;
    s.Cost_per_KWH = 0.30125;  // the price of the last minute, as no price now is set
    s.Saving_Problem = "No space left on device \"here\"";
    rig->publisher->publishState();
    const auto state = hub.waitFor(kState);
    ASSERT_TRUE(state && !state->retained);
    const QJsonObject v = json(state->payload);
    const std::pair<const char*, double> expected[] = {
        {"voltage", 241.3}, {"current_a", 6.2}, {"current_b", 4.1}, {"current", 10.3}, {"power", 2485.4},
        {"power_factor", 0}, {"energy_month", 123.4568}, {"cost_month", 7.2222}, {"price", 0.3013},
        {"energy_total", 98765.4322}};
    for (const auto& [key, value] : expected) EXPECT_DOUBLE_EQ(v[key].toDouble(-1), value) << key;
    EXPECT_EQ(v["data_saving"].toString(), "No space left on device \"here\"");  // the hub hears of it

    // Discovery turned off: the removals are empty retained messages, so
    // nothing is left for a hub.
    MqttSettings off = rig->publisher->savedSettings();
    off.discovery = false;
    ASSERT_TRUE(rig->publisher->apply(off));
    for (const auto& sensor : sensors) {
        ASSERT_TRUE(waitUntil([&] { return hub.count(configTopic(sensor.object)) == 2; }, 10000)) << sensor.object;
        EXPECT_TRUE(hub.waitFor(configTopic(sensor.object))->payload.isEmpty()) << sensor.object;
    }

    rig->publisher.reset();
    ASSERT_TRUE(waitUntil([&] { return hub.waitFor(kAvailability)->payload == "offline"; }, 10000));
    const auto retained = TestSubscriber(broker.port(), "kelvora/+/availability").waitFor(kAvailability);
    EXPECT_TRUE(retained && retained->payload == "offline");
}

// The broker keeps nothing across its restart: what a new subscriber then
// gets was published again by the reconnected program.
TEST_F(Publisher, ReconnectsAndRepublishesAfterTheBrokerRestarts) {
    broker.stop();
    ASSERT_TRUE(waitUntil([&] { return rig->publisher->client().state() == MqttState::Failed; }, 10000));
    for (int i = 0; i < 100; ++i) rig->publisher->publishState();  // while away: kept, one per topic
    EXPECT_LE(rig->publisher->client().waiting(), 1);
    ASSERT_TRUE(broker.start(broker.port()));
    ASSERT_TRUE(rig->connected());

    TestSubscriber hub(broker.port(), "#");
    ASSERT_TRUE(hub.waitFor(configTopic("energy_total")));
    EXPECT_EQ(hub.waitFor(kAvailability)->payload, "online");
    // The state resumes (after the one kept while away, which may come first).
    rig->shared.Cur_VAC = 120.5;
    rig->publisher->publishState();
    EXPECT_TRUE(waitUntil([&] {
        const auto state = hub.waitFor(kState);
        return state && json(state->payload)["voltage"].toDouble() == 120.5;
    }));
}

// Each failure ends in a message that names it; the program is not held up.
// (The panel's test sees a test against a good broker succeed.)
TEST(PublisherFailures, TestConnectionNamesWhatWentWrong) {
    SKIP_WITHOUT_MOSQUITTO();
    TestBroker broker;  // lets the user "meter" in with the password "s3cret"
    ASSERT_TRUE(broker.start(0, QStringLiteral("meter"), QStringLiteral("s3cret")));
    Rig rig(broker.port());
    std::optional<std::pair<bool, QString>> outcome;
    QObject::connect(rig.publisher.get(), &HomePublisher::testFinished,
                     [&](bool ok, const QString& text) { outcome = {ok, text}; });
    const struct { const char* host; quint16 port; const char* password; bool tls; const char* says; } cases[] = {
        {"127.0.0.1", broker.port(), "wrong", false, "refused the connection"},
        {"127.0.0.1", freeLoopbackPort(), "s3cret", false, "cannot reach 127.0.0.1"},
        {"no-such-host.invalid", 1883, "s3cret", false, "unknown host"},
        {"127.0.0.1", broker.port(), "s3cret", true, "TLS"}};
    for (const auto& c : cases) {
        MqttSettings s = rig.publisher->savedSettings();
        s.host = c.host, s.port = c.port, s.user = "meter", s.password = c.password, s.tls = c.tls;
        outcome.reset();
        rig.publisher->testConnection(s);
        ASSERT_TRUE(waitUntil([&] { return outcome.has_value(); }, 15000)) << c.host << c.port;
        EXPECT_FALSE(outcome->first) << qPrintable(outcome->second);
        EXPECT_TRUE(outcome->second.contains(QLatin1String(c.says))) << qPrintable(outcome->second);
        EXPECT_FALSE(outcome->second.contains(QLatin1String("s3cret")));
    }
}

TEST(PublisherFailures, MalformedOverrideIsReportedAndNothingIsPublished) {
    Rig rig(1);
    rig.publisher->setBrokerOverride(QStringLiteral("mqtt://user:pw@host:99999"));
    rig.publisher->start();
    const QString status = rig.publisher->statusText();
    EXPECT_TRUE(status.contains(QLatin1String("--mqtt needs")) && !status.contains("pw@")) << qPrintable(status);
    rig.publisher->publishState();
    EXPECT_EQ(rig.publisher->client().waiting(), 0);
}
