#include "publish/homeassistant.h"

#include "common/records.h"
#include "model/alarmkinds.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cmath>

namespace kelvora {
namespace {

struct Sensor {
    const char* object;  // the JSON key in the state and the topic level
    const char* name;
    const char* unit;    // empty: none; "{code}" stands for the currency code
    const char* deviceClass;  // empty: none
    const char* stateClass;  // empty: none
};

// The hub reads a fall of a total_increasing sensor as a new meter cycle, so
// the month-to-date energy, which falls to zero each month, is one too; the
// lifetime energy is the one for the energy dashboard. A monetary sensor may
// only be a plain total, which would count the monthly fall as negative cost:
// the month's cost goes without a state class.
constexpr Sensor kSensors[] = {
    {"voltage", "Line voltage", "V", "voltage", "measurement"},
    {"current_a", "Phase A current", "A", "current", "measurement"},
    {"current_b", "Phase B current", "A", "current", "measurement"},
    {"current", "Total current", "A", "current", "measurement"},
    {"power", "Power", "W", "power", "measurement"},
    {"power_factor", "Power factor", "", "power_factor", "measurement"},
    {"energy_month", "Energy this month", "kWh", "energy", "total_increasing"},
    {"cost_month", "Cost this month", "{code}", "monetary", ""},
    {"energy_total", "Energy", "kWh", "energy", "total_increasing"},
    // The price in force, for the energy dashboard's "current price" entity;
    // the hub's monetary class takes a plain currency only, so none here.
    {"price", "Price", "{code}/kWh", "", "measurement"},
};

// Rounding is monotonic, so a total that only grows is published as one
// that only grows.
QString rounded(double v, int decimals) {
    if (!std::isfinite(v)) v = 0;
    const double scale = std::pow(10.0, decimals);
    return numberText(std::round(v * scale) / scale);
}

QJsonObject device(const MqttSettings& s) {
    return QJsonObject{{QStringLiteral("identifiers"), QJsonArray{s.nodeId}},
                       {QStringLiteral("name"), QStringLiteral("Kelvora")},
                       {QStringLiteral("manufacturer"), QStringLiteral("Kelvora")},
                       {QStringLiteral("model"), QStringLiteral("Split-phase household energy monitor")},
                       {QStringLiteral("sw_version"), QStringLiteral(KELVORA_VERSION)}};
}

QByteArray config(const MqttSettings& s, const QString& currency, const Sensor& sensor) {
    const QString object = QLatin1String(sensor.object);
    QJsonObject c{{QStringLiteral("unique_id"), s.nodeId + u'_' + object},
                  {QStringLiteral("object_id"), s.nodeId + u'_' + object},
                  {QStringLiteral("name"), QLatin1String(sensor.name)},
                  {QStringLiteral("state_topic"), stateTopic(s)},
                  {QStringLiteral("value_template"), QStringLiteral("{{ value_json.%1 }}").arg(object)},
                  {QStringLiteral("availability_topic"), availabilityTopic(s)},
                  {QStringLiteral("device"), device(s)}};
    if (*sensor.deviceClass) c.insert(QStringLiteral("device_class"), QLatin1String(sensor.deviceClass));
    if (*sensor.stateClass) c.insert(QStringLiteral("state_class"), QLatin1String(sensor.stateClass));
    if (*sensor.unit)
        c.insert(QStringLiteral("unit_of_measurement"),
                 QString::fromLatin1(sensor.unit).replace(QStringLiteral("{code}"), currency));
    return QJsonDocument(c).toJson(QJsonDocument::Compact);
}

}  // namespace

QString stateTopic(const MqttSettings& s) { return s.topicPrefix + u'/' + s.nodeId + QStringLiteral("/state"); }

QString availabilityTopic(const MqttSettings& s) {
    return s.topicPrefix + u'/' + s.nodeId + QStringLiteral("/availability");
}

// A text as a JSON string: quotes, backslashes and control characters escaped.
static QByteArray jsonString(const QString& text) {
    QByteArray out = "\"";
    for (const char c : text.toUtf8()) {
        if (c == '"' || c == '\\') out += '\\' + QByteArray(1, c);
        else if (static_cast<unsigned char>(c) < 0x20) out += QByteArray("\\u00") + QByteArray::number(c, 16).rightJustified(2, '0');
        else out += c;
    }
    return out + '"';
}

QByteArray stateJson(const PublishedValues& v) {
    const std::pair<const char*, QString> values[] = {
        {"voltage", rounded(v.voltage, 1)},         {"current_a", rounded(v.currentA, 2)},
        {"current_b", rounded(v.currentB, 2)},      {"current", rounded(v.current, 2)},
        {"power", rounded(v.power, 1)},             {"power_factor", rounded(v.powerFactor, 3)},
        {"energy_month", rounded(v.energyMonth, 4)}, {"cost_month", rounded(v.costMonth, 4)},
        {"price", rounded(v.price, 4)},              {"energy_total", rounded(v.energyTotal, 4)}};
    QByteArray json = "{";
    for (const auto& [key, text] : values) {
        if (json.size() > 1) json += ',';
        json += '"' + QByteArray(key) + "\":" + text.toLatin1();
    }
    const QString saving = v.savingProblem.isEmpty() ? QStringLiteral("ok") : v.savingProblem;
    return json + ",\"data_saving\":" + jsonString(saving) + '}';
}

MqttMessage stateMessage(const MqttSettings& s, const PublishedValues& v) {
    return MqttMessage{stateTopic(s), stateJson(v), 0, false};
}

QList<MqttMessage> discoveryMessages(const MqttSettings& s, const QString& currency, bool remove) {
    QList<MqttMessage> messages;
    for (const Sensor& sensor : kSensors) {
        const QString topic = QStringLiteral("%1/sensor/%2/%3/config")
                                  .arg(s.discoveryPrefix, s.nodeId, QLatin1String(sensor.object));
        messages << MqttMessage{topic, remove ? QByteArray() : config(s, currency, sensor), 1, true};
    }
    return messages;
}

QString alarmTopic(const MqttSettings& s, const QString& objectId) {
    return s.topicPrefix + u'/' + s.nodeId + QStringLiteral("/alarm/") + objectId;
}

QList<MqttMessage> alarmMessages(const MqttSettings& s, const QString& objectId, bool on, const QString& text,
                                 const QDateTime& since) {
    // The stamp carries its offset from UTC, so the hub places it right.
    const QString stamp = since.toOffsetFromUtc(since.offsetFromUtc()).toString(Qt::ISODate);
    const QJsonObject attributes{{QStringLiteral("text"), text}, {QStringLiteral("since"), stamp}};
    const QString topic = alarmTopic(s, objectId);
    return {MqttMessage{topic, on ? QByteArrayLiteral("ON") : QByteArrayLiteral("OFF"), 1, true},
            MqttMessage{topic + QStringLiteral("/attributes"), QJsonDocument(attributes).toJson(QJsonDocument::Compact),
                        1, true}};
}

QList<MqttMessage> alarmDiscoveryMessages(const MqttSettings& s, bool remove) {
    QList<MqttMessage> messages;
    for (const AlarmKindInfo& k : kAlarmKinds) {
        const QString object = QLatin1String(k.objectId);
        const QString topic =
            QStringLiteral("%1/binary_sensor/%2/%3/config").arg(s.discoveryPrefix, s.nodeId, object);
        const QJsonObject c{{QStringLiteral("unique_id"), s.nodeId + u'_' + object},
                            {QStringLiteral("object_id"), s.nodeId + u'_' + object},
                            {QStringLiteral("name"), QLatin1String(k.title)},
                            {QStringLiteral("state_topic"), alarmTopic(s, object)},
                            {QStringLiteral("json_attributes_topic"), alarmTopic(s, object) + QStringLiteral("/attributes")},
                            {QStringLiteral("payload_on"), QStringLiteral("ON")},
                            {QStringLiteral("payload_off"), QStringLiteral("OFF")},
                            {QStringLiteral("availability_topic"), availabilityTopic(s)},
                            {QStringLiteral("device_class"), QStringLiteral("problem")},
                            {QStringLiteral("device"), device(s)}};
        messages << MqttMessage{topic, remove ? QByteArray() : QJsonDocument(c).toJson(QJsonDocument::Compact), 1, true};
    }
    return messages;
}

QList<MqttMessage> birthMessages(const MqttSettings& s, const QString& currency) {
    return QList<MqttMessage>{{availabilityTopic(s), kOnline, 1, true}} + discoveryMessages(s, currency, !s.discovery) +
           alarmDiscoveryMessages(s, !s.discovery);
}

}  // namespace kelvora
