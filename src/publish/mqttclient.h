#pragma once
#include "publish/mqttsession.h"

#include <QObject>
#include <QThread>
#include <memory>

namespace kelvora {

// The user-interface side of the MQTT connection: every call returns at once
// and hands its work to the session thread. post() keeps only the newest
// message of each topic while the broker is away or slow, so nothing grows
// without bound and no caller ever waits for the network.
class MqttClient : public QObject {
    Q_OBJECT
public:
    explicit MqttClient(QObject* parent = nullptr);
    // Ends the session thread; the socket closes without a goodbye, so the
    // broker publishes the will.
    ~MqttClient() override;

    void start(const MqttSettings& settings, const QList<MqttMessage>& birth, const MqttMessage& will);
    void stop();
    void post(const MqttMessage& message);
    // One connection attempt with these settings, apart from the running one;
    // probeFinished tells the outcome.
    void probe(const MqttSettings& settings);

    MqttState state() const { return state_; }
    const QString& stateText() const { return stateText_; }
    // Messages waiting for the broker (at most one per topic).
    qsizetype waiting() const { return mailbox_->size(); }

Q_SIGNALS:
    void stateChanged(kelvora::MqttState state, const QString& text);
    void probeFinished(bool ok, const QString& text);

private:
    QThread thread_;
    std::shared_ptr<MqttMailbox> mailbox_;
    MqttSession* session_ = nullptr;
    MqttSession* probe_ = nullptr;
    MqttState state_ = MqttState::Idle;
    QString stateText_ = QStringLiteral("not configured");
};

}  // namespace kelvora
