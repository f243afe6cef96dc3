#include "meterserver.h"

#include <algorithm>

namespace kelvora::sim {

namespace {
// One message in this many goes out in two writes.
constexpr double kSplitChance = 0.2;
}  // namespace

MeterServer::MeterServer(quint64 seed, double startSecondOfDay, int intervalMs, QObject* parent)
    : QObject(parent),
      stream_(seed, startSecondOfDay),
      splitter_(seed ^ 0x5EED5EED5EED5EEDULL),
      // The second half follows well before the next message.
      splitDelayMs_(std::clamp(std::max(intervalMs, 1) / 4, 1, 50)),
      intervalMs_(std::max(intervalMs, 1)) {
    timer_.setInterval(std::max(intervalMs, 1));
    connect(&timer_, &QTimer::timeout, this, &MeterServer::sendNext);
    connect(&server_, &QTcpServer::newConnection, this, &MeterServer::onNewConnection);
}

bool MeterServer::listen(const QHostAddress& address, quint16 port) { return server_.listen(address, port); }

void MeterServer::onNewConnection() {
    while (QTcpSocket* next = server_.nextPendingConnection()) {
        if (client_) {
            client_->abort();
            client_->deleteLater();
        }
        tail_.clear();  // the old client's half message does not go to the new one
        client_ = next;
        connect(next, &QTcpSocket::disconnected, next, &QObject::deleteLater);
        // The meter never listens to the app; whatever it sends is dropped.
        connect(next, &QTcpSocket::readyRead, next, [next] { next->readAll(); });
        ++accepted_;
        Q_EMIT clientConnected(next->peerAddress().toString());
    }
}

void MeterServer::flushTail() {
    if (tail_.isEmpty()) return;
    if (hasClient()) client_->write(tail_);
    tail_.clear();
}

void MeterServer::sendNext() {
    flushTail();
    const double second = streamSeconds();
    ++slots_;
    if (script_ && script_->paused(second)) return;  // the meter is silent
    const QByteArray message =
        script_ ? stream_.next([&](LoadSample& s) { script_->apply(second, s); }) : stream_.next();
    // Decide the split for every message, client or not, so that the splits
    // follow the seed alone.
    const bool split = splitter_.chance(kSplitChance);
    const qsizetype cut = 1 + qsizetype(splitter_.uniform() * double(message.size() - 1));
    if (!hasClient() || client_->bytesToWrite() > kMaxBacklogBytes) return;

    ++sent_;
    if (!split) {
        client_->write(message);
        return;
    }
    ++split_;
    client_->write(message.left(cut));
    client_->flush();
    tail_ = message.mid(cut);
    QTimer::singleShot(splitDelayMs_, this, &MeterServer::flushTail);
}

}  // namespace kelvora::sim
