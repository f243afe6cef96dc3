#include "publish/mqttclient.h"

#include <mosquitto.h>
#include <mutex>

namespace kelvora {

MqttClient::MqttClient(QObject* parent)
    : QObject(parent), mailbox_(std::make_shared<MqttMailbox>()) {
    static std::once_flag libraryReady;
    std::call_once(libraryReady, [] {
        mosquitto_lib_init();
        qRegisterMetaType<kelvora::MqttState>();
    });
    thread_.setObjectName(QStringLiteral("mqtt"));
    session_ = new MqttSession(MqttSession::Mode::Publish, mailbox_);
    probe_ = new MqttSession(MqttSession::Mode::Probe, std::make_shared<MqttMailbox>());
    session_->moveToThread(&thread_);
    probe_->moveToThread(&thread_);
    connect(&thread_, &QThread::finished, session_, &QObject::deleteLater);
    connect(&thread_, &QThread::finished, probe_, &QObject::deleteLater);
    connect(session_, &MqttSession::stateChanged, this, [this](MqttState state, const QString& text) {
        if (state_ == MqttState::Idle) return;  // reported on its way before the stop
        state_ = state;
        stateText_ = text;
        Q_EMIT stateChanged(state, text);
    });
    connect(probe_, &MqttSession::probeFinished, this, &MqttClient::probeFinished);
    thread_.start();
}

MqttClient::~MqttClient() {
    // The main window is gone by now. A library host lookup that is slow
    // cannot be cut short: the process waits for it rather than leave a
    // thread running while the program tears itself down.
    thread_.quit();
    thread_.wait();
}

void MqttClient::start(const MqttSettings& settings, const QList<MqttMessage>& birth, const MqttMessage& will) {
    mailbox_->takeAll();  // what waited was meant for the old broker and topics
    state_ = MqttState::Connecting;
    QMetaObject::invokeMethod(session_, [s = session_, settings, birth, will] { s->start(settings, birth, will); },
                              Qt::QueuedConnection);
}

void MqttClient::stop() {
    mailbox_->takeAll();
    state_ = MqttState::Idle;
    QMetaObject::invokeMethod(session_, &MqttSession::stop, Qt::QueuedConnection);
}

void MqttClient::post(const MqttMessage& message) {
    mailbox_->put(message);
    // One wake-up on its way is enough: it takes every waiting message.
    if (!mailbox_->wakePending.exchange(true))
        QMetaObject::invokeMethod(session_, &MqttSession::flush, Qt::QueuedConnection);
}

void MqttClient::probe(const MqttSettings& settings) {
    QMetaObject::invokeMethod(probe_, [p = probe_, settings] { p->start(settings, {}, {}); }, Qt::QueuedConnection);
}

}  // namespace kelvora
