#pragma once
// A serial server on 127.0.0.1 for the tests: it counts the connections it
// accepts and talks to the newest one, as the app reconnects often.
#include "support/wait.h"

#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <gtest/gtest.h>

namespace kelvora::testing {

// A loopback port on which nothing listens (a connect to it is refused at once).
inline quint16 freeLoopbackPort() {
    QTcpServer s;
    s.listen(QHostAddress::LocalHost, 0);
    return s.serverPort();
}

struct LoopbackServer {
    LoopbackServer() {
        QObject::connect(&server, &QTcpServer::newConnection, [this] {
            while (QTcpSocket* s = server.nextPendingConnection()) ++accepted, client = s;
        });
        EXPECT_TRUE(server.listen(QHostAddress::LocalHost, 0));
    }
    quint16 port() const { return server.serverPort(); }
    bool send(const QString& text) {
        if (!client || client->state() != QAbstractSocket::ConnectedState) return false;
        client->write(text.toLatin1());
        return client->flush();
    }

    QTcpServer server;
    int accepted = 0;
    QPointer<QTcpSocket> client;
};

// Sends a message until the app has processed `n` of them: the first data
// after start-up is dropped, and a reconnect may swallow a message.
inline void sendUntilProcessed(LoopbackServer& server, const QString& message, const int& processed, int n = 30) {
    for (int sent = 0; processed < n && sent < 200; ++sent) {
        const int before = processed;
        waitUntil([&] { return server.send(message); }, 3000);
        waitUntil([&] { return processed > before; }, 600);
    }
}

}  // namespace kelvora::testing
