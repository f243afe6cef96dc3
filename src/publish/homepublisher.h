#pragma once
#include "common/datadir.h"
#include "publish/mqttclient.h"
#include "publish/mqttsettings.h"

#include <QDateTime>
#include <QMap>
#include <QObject>
#include <functional>
#include <optional>

namespace kelvora {

class Measurement;
struct SharedState;

// Publishes what Kelvora measures to a home-automation hub over MQTT, with
// the hub's discovery convention: the state of every reading set, the
// availability, and one discovery config per sensor. Without a broker it
// does nothing; with one that is away, slow or refusing, it never holds up
// the processing chain (the connection lives in a thread of its own).
class HomePublisher : public QObject {
    Q_OBJECT
public:
    HomePublisher(const DataDir& dir, const SharedState& shared, const Measurement& measurement,
                  QObject* parent = nullptr);

    // --mqtt: this broker for this run, instead of the saved one; the
    // prefixes, discovery and node id stay as saved.
    void setBrokerOverride(const QString& url);

    // Start-up: reads MqttSetup.ini and connects when a broker is set.
    void start();
    // The message step: one state message with the values of this reading set.
    void publishState();
    // The price in force now, per kWh, for the state message (without one,
    // the price of the last minute).
    void setPriceNow(std::function<double()> priceNow) { priceNow_ = std::move(priceNow); }
    // The currency changed: connects again, so that the hub gets the
    // discovery configs with their new units.
    void announceAgain();

    // An alarm's state for the hub: kept, published (retained) now when
    // connected and again on every connection, so the hub always holds it.
    void publishAlarm(const QString& objectId, bool on, const QString& text, const QDateTime& since);

    // The settings as saved (what the Set-Up frame edits).
    const MqttSettings& savedSettings() const { return saved_; }
    // The settings in use (the saved ones or the --mqtt broker).
    const MqttSettings& activeSettings() const { return active_; }
    // Saves the settings and connects with them (ends a --mqtt override).
    bool apply(MqttSettings settings);
    // Tries these settings once; testFinished reports the outcome.
    void testConnection(MqttSettings settings);

    const QString& statusText() const { return status_; }
    MqttClient& client() { return client_; }

Q_SIGNALS:
    void statusChanged(const QString& text);
    void testFinished(bool ok, const QString& text);

private:
    void connectActive();
    void onClientState(MqttState state, const QString& text);
    void setStatus(const QString& text);
    void ensureNodeId();
    void postAlarms();

    DataDir dir_;
    const SharedState& shared_;
    const Measurement& measurement_;
    MqttClient client_;
    MqttSettings saved_;
    MqttSettings active_;
    std::optional<QString> overrideUrl_;
    bool overrideFailed_ = false;
    QString status_ = QStringLiteral("Not configured");
    QString lastWarning_;
    struct AlarmState {
        bool on = false;
        QString text;
        QDateTime since;
    };
    QMap<QString, AlarmState> alarms_;
    std::function<double()> priceNow_;
};

}  // namespace kelvora
