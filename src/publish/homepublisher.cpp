#include "publish/homepublisher.h"

#include "measure/measurement.h"
#include "model/datafiles.h"
#include "model/sharedstate.h"
#include "publish/homeassistant.h"

namespace kelvora {

HomePublisher::HomePublisher(const DataDir& dir, const SharedState& shared, const Measurement& measurement,
                             QObject* parent)
    : QObject(parent), dir_(dir), shared_(shared), measurement_(measurement), client_(this) {
    connect(&client_, &MqttClient::stateChanged, this, &HomePublisher::onClientState);
    connect(&client_, &MqttClient::probeFinished, this, [this](bool ok, const QString& text) {
        const QString shown = ok ? QStringLiteral("Test: %1").arg(text) : QStringLiteral("Test failed: %1").arg(text);
        if (!ok) qWarning("MQTT: %s", qPrintable(shown));
        Q_EMIT testFinished(ok, shown);
    });
}

void HomePublisher::setBrokerOverride(const QString& url) { overrideUrl_ = url; }

void HomePublisher::start() {
    saved_ = readMqttSettings(dir_);
    active_ = saved_;
    if (overrideUrl_) {
        const BrokerUrl parsed = parseBrokerUrl(*overrideUrl_, saved_);
        if (!parsed.settings) {
            // The user asked for another broker: publishing to the saved one
            // instead would surprise them, so nothing is published this run.
            overrideFailed_ = true;
            qWarning("kelvora: %s; nothing is published over MQTT in this run", qPrintable(parsed.error));
            setStatus(parsed.error + QStringLiteral("; nothing is published in this run"));
            return;
        }
        active_ = *parsed.settings;
    }
    connectActive();
}

void HomePublisher::ensureNodeId() {
    if (!saved_.nodeId.isEmpty()) return;
    // Made once and kept, so the hub knows this installation after a restart.
    saved_.nodeId = newNodeId();
    if (!saveMqttSettings(dir_, saved_)) qWarning("MQTT: the node id could not be saved; it changes at the next start");
}

void HomePublisher::connectActive() {
    if (!active_.configured()) {
        client_.stop();
        setStatus(QStringLiteral("Not configured"));
        return;
    }
    ensureNodeId();
    active_.nodeId = saved_.nodeId;
    const MqttMessage will{availabilityTopic(active_), kOffline, 1, true};
    client_.start(active_, birthMessages(active_, currencyCode(shared_.settings)), will);
}

void HomePublisher::publishState() {
    if (!active_.configured() || overrideFailed_) return;
    PublishedValues v;
    v.voltage = shared_.Cur_VAC;
    v.currentA = shared_.Cur_A_AMPS;
    v.currentB = shared_.Cur_B_AMPS;
    v.current = shared_.Cur_AMPS;
    v.power = shared_.Cur_KW * 1000;
    v.powerFactor = measurement_.power().Power_Factor;
    v.energyMonth = shared_.Total_KWH_Saved;
    v.costMonth = shared_.Total_Cost_Saved;
    v.price = priceNow_ ? priceNow_() : shared_.Cost_per_KWH;
    v.energyTotal = shared_.Lifetime_KWH;
    v.savingProblem = shared_.Saving_Problem;
    client_.post(stateMessage(active_, v));
}

void HomePublisher::announceAgain() {
    if (!overrideFailed_) connectActive();
}

void HomePublisher::publishAlarm(const QString& objectId, bool on, const QString& text, const QDateTime& since) {
    alarms_.insert(objectId, AlarmState{on, text, since});
    if (!active_.configured() || overrideFailed_) return;
    for (const MqttMessage& m : alarmMessages(active_, objectId, on, text, since)) client_.post(m);
}

void HomePublisher::postAlarms() {
    for (auto it = alarms_.cbegin(); it != alarms_.cend(); ++it)
        for (const MqttMessage& m : alarmMessages(active_, it.key(), it->on, it->text, it->since)) client_.post(m);
}

bool HomePublisher::apply(MqttSettings settings) {
    settings.nodeId = saved_.nodeId.isEmpty() ? newNodeId() : saved_.nodeId;
    if (!saveMqttSettings(dir_, settings)) {
        setStatus(QStringLiteral("The settings could not be saved in %1").arg(dir_.path()));
        return false;
    }
    saved_ = settings;
    active_ = settings;
    overrideFailed_ = false;
    connectActive();
    return true;
}

void HomePublisher::testConnection(MqttSettings settings) {
    if (!settings.configured()) {
        Q_EMIT testFinished(false, QStringLiteral("Test failed: no broker host"));
        return;
    }
    settings.nodeId = saved_.nodeId.isEmpty() ? QStringLiteral("kelvora") : saved_.nodeId;
    client_.probe(settings);
}

void HomePublisher::onClientState(MqttState state, const QString& text) {
    QString shown = text;
    shown[0] = shown[0].toUpper();
    setStatus(shown);
    // Once per outage on the standard error stream, not at every retry.
    if (state == MqttState::Connected) {
        // A broker that restarted without its retained messages, or new
        // topics after a settings change: the alarms are told again.
        postAlarms();
        if (!lastWarning_.isEmpty()) qWarning("MQTT: %s", qPrintable(text));
        lastWarning_.clear();
    } else if (state == MqttState::Failed) {
        const QString reason = text.section(QStringLiteral("; next try"), 0, 0);
        if (reason != lastWarning_) qWarning("MQTT: %s", qPrintable(text));
        lastWarning_ = reason;
    }
}

void HomePublisher::setStatus(const QString& text) {
    if (text == status_) return;
    status_ = text;
    Q_EMIT statusChanged(text);
}

}  // namespace kelvora
