#pragma once
#include "publish/homeassistant.h"
#include "publish/mqttsettings.h"

#include <QMap>
#include <QMutex>
#include <QObject>
#include <QTimer>
#include <atomic>
#include <memory>

struct mosquitto;
class QSocketNotifier;

namespace kelvora {

// The messages waiting for the broker, handed from the user-interface thread
// to the session's thread: the newest message of each topic replaces the one
// before it, so the mailbox never holds more than one message per topic.
struct MqttMailbox {
    QMutex mutex;
    QMap<QString, MqttMessage> latest;
    std::atomic<bool> wakePending{false};

    void put(const MqttMessage& m);
    QList<MqttMessage> takeAll();
    qsizetype size();
};

enum class MqttState { Idle, Connecting, Connected, Failed };

// One connection to an MQTT broker through libmosquitto, living in a thread
// of its own so that no call into the library (the host lookup included) ever
// waits on the user-interface thread. Driven from that thread's event loop:
// socket notifiers for reads and writes, a one-second timer for keep-alive.
// A publishing session reconnects with growing pauses (1 s doubling to 30 s)
// and, on every connection, publishes its birth messages before the mailbox;
// a probe session reports the outcome of one attempt and stops.
class MqttSession : public QObject {
    Q_OBJECT
public:
    enum class Mode { Publish, Probe };
    MqttSession(Mode mode, std::shared_ptr<MqttMailbox> mailbox, QObject* parent = nullptr);
    ~MqttSession() override;

    static constexpr int kKeepAliveS = 30;
    static constexpr int kConnectTimeoutS = 10;
    static constexpr int kMaxBackoffS = 30;

public Q_SLOTS:
    // Connects with these settings (after dropping any connection); `will` is
    // what the broker publishes when the connection dies without a goodbye.
    void start(const kelvora::MqttSettings& settings, const QList<kelvora::MqttMessage>& birth,
               const kelvora::MqttMessage& will);
    // Ends the connection (the broker then publishes the will) and the retries.
    void stop();
    // Publishes what waits in the mailbox, once connected and the socket is
    // not backed up.
    void flush();

Q_SIGNALS:
    void stateChanged(kelvora::MqttState state, const QString& text);
    void probeFinished(bool ok, const QString& text);

private:
    void connectNow();
    void onConnack(int rc);
    void onReadable();
    void onWritable();
    void onMisc();
    void afterLoop(int rc);
    void fail(const QString& reason);
    void closeConnection();
    void updateWriteNotifier();
    void report(MqttState state, const QString& text);
    bool publish(const MqttMessage& m);

    static void connectCallback(struct mosquitto*, void* self, int rc);
    static void disconnectCallback(struct mosquitto*, void* self, int rc);

    Mode mode_;
    std::shared_ptr<MqttMailbox> mailbox_;
    MqttSettings settings_;
    QList<MqttMessage> birth_;
    MqttMessage will_;
    struct mosquitto* mosq_ = nullptr;
    QSocketNotifier* reader_ = nullptr;
    QSocketNotifier* writer_ = nullptr;
    QTimer misc_;
    QTimer retry_;
    QTimer connectTimeout_;
    int backoffS_ = 1;
    bool running_ = false;
    bool connected_ = false;
    int connackRc_ = -1;       // set by the callback inside a loop call
    bool lostInCallback_ = false;
};

}  // namespace kelvora

Q_DECLARE_METATYPE(kelvora::MqttState)
