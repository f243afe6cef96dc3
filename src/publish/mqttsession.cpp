#include "publish/mqttsession.h"

#include <QSocketNotifier>
#include <cerrno>
#include <cstring>
#include <mosquitto.h>

namespace kelvora {

void MqttMailbox::put(const MqttMessage& m) {
    QMutexLocker lock(&mutex);
    latest.insert(m.topic, m);
}

QList<MqttMessage> MqttMailbox::takeAll() {
    QMutexLocker lock(&mutex);
    QList<MqttMessage> all = latest.values();
    latest.clear();
    return all;
}

qsizetype MqttMailbox::size() {
    QMutexLocker lock(&mutex);
    return latest.size();
}

namespace {

QString libraryError(int rc) {
    if (rc == MOSQ_ERR_ERRNO) return QString::fromLocal8Bit(std::strerror(errno));
    if (rc == MOSQ_ERR_EAI) return QStringLiteral("unknown host");
    if (rc == MOSQ_ERR_TLS) return QStringLiteral("the TLS handshake failed");
    return QString::fromUtf8(mosquitto_strerror(rc));
}

}  // namespace

MqttSession::MqttSession(Mode mode, std::shared_ptr<MqttMailbox> mailbox, QObject* parent)
    : QObject(parent), mode_(mode), mailbox_(std::move(mailbox)), misc_(this), retry_(this), connectTimeout_(this) {
    misc_.setInterval(1000);
    connect(&misc_, &QTimer::timeout, this, &MqttSession::onMisc);
    retry_.setSingleShot(true);
    connect(&retry_, &QTimer::timeout, this, &MqttSession::connectNow);
    connectTimeout_.setSingleShot(true);
    connect(&connectTimeout_, &QTimer::timeout, this, [this] {
        fail(QStringLiteral("no answer from %1 within %2 s").arg(settings_.brokerText()).arg(kConnectTimeoutS));
    });
}

MqttSession::~MqttSession() {
    // Closing the socket without a goodbye lets the broker publish the will.
    closeConnection();
}

void MqttSession::start(const MqttSettings& settings, const QList<MqttMessage>& birth, const MqttMessage& will) {
    closeConnection();
    settings_ = settings;
    birth_ = birth;
    will_ = will;
    running_ = true;
    backoffS_ = 1;
    retry_.stop();
    connectNow();
}

void MqttSession::stop() {
    running_ = false;
    retry_.stop();
    closeConnection();
}

void MqttSession::report(MqttState state, const QString& text) { Q_EMIT stateChanged(state, text); }

void MqttSession::connectNow() {
    if (!running_) return;
    closeConnection();
    report(MqttState::Connecting, QStringLiteral("connecting to %1").arg(settings_.brokerText()));
    const QByteArray clientId =
        (settings_.nodeId + (mode_ == Mode::Probe ? QStringLiteral("-test") : QString())).toUtf8();
    mosq_ = mosquitto_new(clientId.constData(), true, this);
    if (!mosq_) return fail(QStringLiteral("the MQTT client could not be created"));
    mosquitto_int_option(mosq_, MOSQ_OPT_PROTOCOL_VERSION, MQTT_PROTOCOL_V311);
    mosquitto_connect_callback_set(mosq_, &MqttSession::connectCallback);
    mosquitto_disconnect_callback_set(mosq_, &MqttSession::disconnectCallback);
    const QByteArray user = settings_.user.toUtf8();
    const QByteArray password = settings_.password.toUtf8();
    if (!settings_.user.isEmpty())
        mosquitto_username_pw_set(mosq_, user.constData(), settings_.password.isEmpty() ? nullptr : password.constData());
    if (settings_.tls) {
        int rc = MOSQ_ERR_SUCCESS;
        if (settings_.caFile.isEmpty()) {
            rc = mosquitto_int_option(mosq_, MOSQ_OPT_TLS_USE_OS_CERTS, 1);
        } else {
            const QByteArray ca = settings_.caFile.toLocal8Bit();
            rc = mosquitto_tls_set(mosq_, ca.constData(), nullptr, nullptr, nullptr, nullptr);
        }
        if (rc != MOSQ_ERR_SUCCESS)
            return fail(QStringLiteral("the CA file %1 cannot be used: %2").arg(settings_.caFile, libraryError(rc)));
    }
    if (mode_ == Mode::Publish && !will_.topic.isEmpty()) {
        const QByteArray topic = will_.topic.toUtf8();
        mosquitto_will_set(mosq_, topic.constData(), int(will_.payload.size()), will_.payload.constData(), will_.qos,
                           will_.retain);
    }
    const QByteArray host = settings_.host.toUtf8();
    connackRc_ = -1;
    lostInCallback_ = false;
    const int rc = mosquitto_connect_async(mosq_, host.constData(), settings_.port, kKeepAliveS);
    if (rc != MOSQ_ERR_SUCCESS)
        return fail(QStringLiteral("cannot reach %1: %2").arg(settings_.brokerText(), libraryError(rc)));
    const int fd = mosquitto_socket(mosq_);
    if (fd < 0) return fail(QStringLiteral("cannot reach %1").arg(settings_.brokerText()));
    reader_ = new QSocketNotifier(fd, QSocketNotifier::Read, this);
    connect(reader_, &QSocketNotifier::activated, this, &MqttSession::onReadable);
    writer_ = new QSocketNotifier(fd, QSocketNotifier::Write, this);
    connect(writer_, &QSocketNotifier::activated, this, &MqttSession::onWritable);
    updateWriteNotifier();
    misc_.start();
    connectTimeout_.start(kConnectTimeoutS * 1000);
}

void MqttSession::connectCallback(struct mosquitto*, void* self, int rc) {
    static_cast<MqttSession*>(self)->connackRc_ = rc;
}

void MqttSession::disconnectCallback(struct mosquitto*, void* self, int) {
    static_cast<MqttSession*>(self)->lostInCallback_ = true;
}

void MqttSession::onReadable() { afterLoop(mosquitto_loop_read(mosq_, 1)); }
void MqttSession::onWritable() { afterLoop(mosquitto_loop_write(mosq_, 1)); }
void MqttSession::onMisc() {
    if (mosq_) afterLoop(mosquitto_loop_misc(mosq_));
}

// The library reports through callbacks inside its loop calls; they only
// note what happened, and the session acts once the call has returned.
void MqttSession::afterLoop(int rc) {
    if (!mosq_) return;
    if (connackRc_ >= 0) {
        const int connack = connackRc_;
        connackRc_ = -1;
        onConnack(connack);
        if (!mosq_) return;
    }
    if (rc != MOSQ_ERR_SUCCESS || lostInCallback_ || mosquitto_socket(mosq_) < 0) {
        // A broker that closes the connection before its answer has refused
        // the TLS or MQTT handshake.
        const QString why = rc == MOSQ_ERR_SUCCESS || rc == MOSQ_ERR_CONN_LOST
                                ? (connected_ ? QStringLiteral("the connection was closed")
                                              : QStringLiteral("the broker closed the connection during the %1 handshake")
                                                    .arg(QLatin1String(settings_.tls ? "TLS" : "MQTT")))
                                : libraryError(rc);
        return fail(connected_ ? QStringLiteral("lost %1: %2").arg(settings_.brokerText(), why)
                               : QStringLiteral("cannot reach %1: %2").arg(settings_.brokerText(), why));
    }
    if (connected_ && !mosquitto_want_write(mosq_)) flush();
    updateWriteNotifier();
}

void MqttSession::onConnack(int rc) {
    connectTimeout_.stop();
    if (rc != 0)
        return fail(QStringLiteral("%1 refused the connection: %2")
                        .arg(settings_.brokerText(), QString::fromUtf8(mosquitto_connack_string(rc))));
    connected_ = true;
    backoffS_ = 1;
    if (mode_ == Mode::Probe) {
        Q_EMIT probeFinished(true, QStringLiteral("connected to %1").arg(settings_.brokerText()));
        running_ = false;
        closeConnection();
        return;
    }
    report(MqttState::Connected, QStringLiteral("connected to %1").arg(settings_.brokerText()));
    for (const MqttMessage& m : birth_) publish(m);
    flush();
}

void MqttSession::flush() {
    mailbox_->wakePending = false;
    if (!connected_ || !mosq_ || mosquitto_want_write(mosq_)) return;
    for (const MqttMessage& m : mailbox_->takeAll()) publish(m);
    updateWriteNotifier();
}

bool MqttSession::publish(const MqttMessage& m) {
    const QByteArray topic = m.topic.toUtf8();
    const int rc = mosquitto_publish(mosq_, nullptr, topic.constData(), int(m.payload.size()),
                                     m.payload.isEmpty() ? nullptr : m.payload.constData(), m.qos, m.retain);
    if (rc != MOSQ_ERR_SUCCESS) qWarning("MQTT: %s not published: %s", topic.constData(), mosquitto_strerror(rc));
    return rc == MOSQ_ERR_SUCCESS;
}

void MqttSession::fail(const QString& reason) {
    closeConnection();
    if (mode_ == Mode::Probe) {
        running_ = false;
        Q_EMIT probeFinished(false, reason);
        return;
    }
    if (!running_) return;
    report(MqttState::Failed, QStringLiteral("%1; next try in %2 s").arg(reason).arg(backoffS_));
    retry_.start(backoffS_ * 1000);
    backoffS_ = std::min(backoffS_ * 2, kMaxBackoffS);
}

void MqttSession::closeConnection() {
    misc_.stop();
    connectTimeout_.stop();
    // The notifiers stop watching before the socket closes; they are deleted
    // later, since this may run inside one of their own signals.
    for (QSocketNotifier** notifier : {&reader_, &writer_}) {
        if (!*notifier) continue;
        (*notifier)->setEnabled(false);
        (*notifier)->deleteLater();
        *notifier = nullptr;
    }
    connected_ = false;
    if (mosq_) {
        mosquitto_destroy(mosq_);
        mosq_ = nullptr;
    }
}

void MqttSession::updateWriteNotifier() {
    if (writer_ && mosq_) writer_->setEnabled(mosquitto_want_write(mosq_));
}

}  // namespace kelvora
