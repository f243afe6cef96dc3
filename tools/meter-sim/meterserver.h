#pragma once
#include "loadscript.h"
#include "meterstream.h"

#include <QHostAddress>
#include <QObject>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <optional>

namespace kelvora::sim {

// A serial server in front of the meter: a TCP server that forwards the
// meter's message stream to one client at a time. A new client replaces the
// old one (the app reconnects often), and the meter does not stop meanwhile:
// a message made while no client is connected is lost, and the sequence goes
// on. Now and then a message goes out in two writes, as a serial server
// forwards what its buffer holds.
class MeterServer : public QObject {
    Q_OBJECT
public:
    // Unsent bytes allowed to pile up for a client that does not read; beyond
    // this, messages are dropped, as a serial server's buffer overflows.
    static constexpr qint64 kMaxBacklogBytes = 256 * 1024;

    MeterServer(quint64 seed, double startSecondOfDay, int intervalMs, QObject* parent = nullptr);

    bool listen(const QHostAddress& address, quint16 port);
    QString errorString() const { return server_.errorString(); }
    quint16 serverPort() const { return server_.serverPort(); }

    // Starts sending one message every interval.
    void start() { timer_.start(); }
    void stop() { timer_.stop(); }

    // Makes the next message and sends it to the client, if there is one.
    void sendNext();
    // The load follows this script; its time is the stream's (one interval
    // per message slot, paused slots included).
    void setScript(const LoadScript& script) { script_ = script; }
    double streamSeconds() const { return slots_ * intervalMs_ / 1000.0; }

    const MeterStream& stream() const { return stream_; }
    int clientsAccepted() const { return accepted_; }
    bool hasClient() const { return client_ && client_->state() == QAbstractSocket::ConnectedState; }
    quint64 messagesSent() const { return sent_; }
    quint64 messagesSplit() const { return split_; }

Q_SIGNALS:
    void clientConnected(const QString& peer);

private:
    void onNewConnection();
    void flushTail();

    MeterStream stream_;
    Random splitter_;
    QTcpServer server_;
    QTimer timer_;
    int splitDelayMs_;
    int intervalMs_;
    quint64 slots_ = 0;
    std::optional<LoadScript> script_;
    QPointer<QTcpSocket> client_;
    QByteArray tail_;  // the second half of a split message, for client_
    int accepted_ = 0;
    quint64 sent_ = 0;
    quint64 split_ = 0;
};

}  // namespace kelvora::sim
