#pragma once
// A serial server on 127.0.0.1 for the tests: it counts the connections it
// accepts and talks to the newest one, as the app reconnects often.
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <gtest/gtest.h>

namespace kelvora::testing {

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

}  // namespace kelvora::testing
