#pragma once
#include "publish/mqttsettings.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>

namespace kelvora {

// One message to publish.
struct MqttMessage {
    QString topic;
    QByteArray payload;
    int qos = 0;
    bool retain = false;
    bool operator==(const MqttMessage&) const = default;
};

// The values of one reading set as the state message carries them.
struct PublishedValues {
    double voltage = 0;        // V
    double currentA = 0;       // A
    double currentB = 0;       // A
    double current = 0;        // A, both phases
    double power = 0;          // W
    double powerFactor = 0;
    double energyMonth = 0;    // kWh, month to date
    double costMonth = 0;      // in the currency, month to date (as booked)
    double price = 0;          // in the currency per kWh, in force now
    double energyTotal = 0;    // kWh, lifetime; only grows
    QString savingProblem;     // why saving data fails, while it does
};

// <prefix>/<node>/state and <prefix>/<node>/availability.
QString stateTopic(const MqttSettings& s);
QString availabilityTopic(const MqttSettings& s);
inline const QByteArray kOnline = QByteArrayLiteral("online");
inline const QByteArray kOffline = QByteArrayLiteral("offline");

// {"voltage":240.1,"current_a":6.2,...,"data_saving":"ok"}: numbers with the
// point in every locale, rounded to what the meter resolves; "data_saving" is
// "ok" or why the data cannot be saved.
QByteArray stateJson(const PublishedValues& v);
MqttMessage stateMessage(const MqttSettings& s, const PublishedValues& v);

// The retained discovery configs, one per sensor, under
// <discovery prefix>/sensor/<node>/<object>/config; with `remove` the same
// topics with empty payloads, which take the sensors away again. Amounts are
// announced in `currency` (ISO 4217, "USD"), the price in "<currency>/kWh".
QList<MqttMessage> discoveryMessages(const MqttSettings& s, const QString& currency, bool remove = false);

// The alarms as binary sensors (device class "problem"): the retained state
// "ON" or "OFF" on <prefix>/<node>/alarm/<object id>, and beside it the
// retained attributes {"text": ..., "since": <ISO 8601 stamp>}.
QString alarmTopic(const MqttSettings& s, const QString& objectId);
QList<MqttMessage> alarmMessages(const MqttSettings& s, const QString& objectId, bool on, const QString& text,
                                 const QDateTime& since);
QList<MqttMessage> alarmDiscoveryMessages(const MqttSettings& s, bool remove = false);

// What a connection publishes first, every time it is made: "online" on the
// availability topic, then the discovery configs (or their removal when
// discovery is off).
QList<MqttMessage> birthMessages(const MqttSettings& s, const QString& currency);

}  // namespace kelvora
