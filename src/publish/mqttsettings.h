#pragma once
#include "common/datadir.h"

#include <QString>
#include <optional>

namespace kelvora {

// Where and how the home-automation publisher reaches its MQTT broker. An
// empty host means no broker is configured: nothing is published.
struct MqttSettings {
    QString host;
    quint16 port = 1883;
    QString user;
    QString password;
    bool tls = false;
    QString caFile;  // empty: the system's certificate authorities
    QString topicPrefix = QStringLiteral("kelvora");
    QString discoveryPrefix = QStringLiteral("homeassistant");
    bool discovery = true;
    // A stable id of this installation, made once and kept in the file.
    QString nodeId;

    bool configured() const { return !host.isEmpty(); }
    // "host:port" for messages; never the user name or password.
    QString brokerText() const { return QStringLiteral("%1:%2").arg(host).arg(port); }
    bool operator==(const MqttSettings&) const = default;
};

inline constexpr quint16 kMqttPort = 1883;
inline constexpr quint16 kMqttTlsPort = 8883;

// MqttSetup.ini: one record per value, its label and its text ("host",
// "broker.lan"). Labels not known are skipped and missing ones keep their
// defaults, so the file may gain values later.
MqttSettings readMqttSettings(const DataDir& dir);
// Written synced and readable by the owner only (it holds the password).
// False, and nothing written, when a text holds what the file cannot keep.
bool saveMqttSettings(const DataDir& dir, const MqttSettings& settings);
// The first text of the settings that holds a double quote or a line break,
// which the file cannot keep ("password"); empty when there is none.
QString unsavableMqttText(const MqttSettings& settings);
// A new node id: "kelvora_" and twelve hex digits.
QString newNodeId();

// The broker of mqtt://[user[:password]@]host[:port] or mqtts://...: fills
// host, port, user, password and TLS of `base` and keeps the rest. The error
// text names what is wrong but never repeats the password.
struct BrokerUrl {
    std::optional<MqttSettings> settings;
    QString error;
};
BrokerUrl parseBrokerUrl(const QString& text, MqttSettings base = {});

}  // namespace kelvora
