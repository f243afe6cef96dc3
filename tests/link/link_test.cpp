#include "link/meterlink.h"

#include "support/fakes.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cmath>
#include <functional>
#include <limits>
#include <memory>

using namespace kelvora;

namespace {

// Serves events until the condition holds or the deadline passes.
bool waitUntil(const std::function<bool()>& cond, int ms = 5000) {
    QElapsedTimer t;
    t.start();
    while (!cond()) {
        if (t.elapsed() > ms) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

// A serial server on 127.0.0.1 that counts the connections it accepted and
// keeps the latest one.
class FakeSerialServer {
public:
    FakeSerialServer() {
        QObject::connect(&server, &QTcpServer::newConnection, [this] {
            while (QTcpSocket* s = server.nextPendingConnection()) {
                ++accepted;
                latest = s;
            }
        });
    }
    bool listen(quint16 port = 0) { return server.listen(QHostAddress::LocalHost, port); }
    quint16 port() const { return server.serverPort(); }
    // Stops listening and drops the client.
    void goAway() {
        server.close();
        if (latest) latest->abort();
    }
    bool send(const QByteArray& data) {
        if (!latest) return false;
        latest->write(data);
        return latest->flush() || latest->bytesToWrite() == 0;
    }

    QTcpServer server;
    int accepted = 0;
    QPointer<QTcpSocket> latest;
};

// A port on 127.0.0.1 that nobody listens on: listened on, then closed.
quint16 closedPort() {
    QTcpServer s;
    EXPECT_TRUE(s.listen(QHostAddress::LocalHost, 0));
    const quint16 port = s.serverPort();
    s.close();
    return port;
}

struct LinkFixture : ::testing::Test {
    FieldModel fields;
    SystemClock clock;
    QStringList decoded;
    MeterLink link{fields, clock, [this](const QString& s) { decoded << s; }};

    QString status() const { return fields.text(QStringLiteral("Text101")); }
    QColor statusColor() const { return fields.color(QStringLiteral("Text101")); }
    QColor lamp() const { return fields.color(QStringLiteral("Shape1")); }
};

}  // namespace

TEST_F(LinkFixture, SuccessfulConnectsShowStateSevenAndBlinkTheLamp) {
    FakeSerialServer server;
    ASSERT_TRUE(server.listen());
    link.setRemote(QStringLiteral("127.0.0.1"), server.port());

    const QColor expected[] = {MeterLink::green(), MeterLink::yellow(), MeterLink::green(), MeterLink::yellow()};
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        link.ConnectToServer();
        EXPECT_EQ(link.socketState(), 7);
        EXPECT_EQ(status(), "Connected to Serial Server...  7");
        EXPECT_EQ(statusColor(), MeterLink::green());
        EXPECT_EQ(lamp(), expected[i]);
        EXPECT_TRUE(waitUntil([&] { return server.accepted == i + 1; }));
    }
}

TEST_F(LinkFixture, RefusedConnectShowsRedWithStateNumber) {
    FakeSerialServer server;
    ASSERT_TRUE(server.listen());
    link.setRemote(QStringLiteral("127.0.0.1"), server.port());
    link.ConnectToServer();
    ASSERT_EQ(lamp(), MeterLink::green());

    link.setRemote(QStringLiteral("127.0.0.1"), closedPort());
    link.ConnectToServer();
    EXPECT_EQ(link.socketState(), 9);
    EXPECT_EQ(status(), "NO Connection to Serial Server...  9");
    EXPECT_EQ(statusColor(), MeterLink::red());
    EXPECT_EQ(lamp(), MeterLink::red());

    // Back at the server: the lamp turns green (not yellow) after red.
    link.setRemote(QStringLiteral("127.0.0.1"), server.port());
    link.ConnectToServer();
    EXPECT_EQ(status(), "Connected to Serial Server...  7");
    EXPECT_EQ(lamp(), MeterLink::green());
}

TEST_F(LinkFixture, UnusableRemoteFailsWithoutCrashing) {
    struct Case {
        const char* host;
        quint16 port;
    };
    for (const Case& c : {Case{"127.0.0.1", 0}, Case{"", 5000}, Case{"   ", 5000}}) {
        SCOPED_TRACE(c.host);
        link.setRemote(QString::fromLatin1(c.host), c.port);
        link.ConnectToServer();
        EXPECT_EQ(link.socketState(), 9);
        EXPECT_EQ(status(), "NO Connection to Serial Server...  9");
        EXPECT_EQ(lamp(), MeterLink::red());
        // The one-second supervision cannot start a connect either, and says so.
        fields.setText(QStringLiteral("Text101"), QStringLiteral("x"));
        link.superviseConnection();
        EXPECT_EQ(status(), "NO Connection to Serial Server...  9");
    }
}

TEST(MeterLinkPort, SettingToPort) {
    struct Case {
        double value;
        quint16 port;
    };
    const Case cases[] = {{5000, 5000},  {1, 1},   {65535, 65535}, {65536, 0},
                          {0, 0},        {-1, 0},  {4999.6, 5000}, {1e12, 0},
                          {std::numeric_limits<double>::quiet_NaN(), 0},
                          {std::numeric_limits<double>::infinity(), 0}};
    for (const Case& c : cases) EXPECT_EQ(MeterLink::portFromSetting(c.value), c.port) << c.value;
}

TEST_F(LinkFixture, FirstDataAfterStartUpIsDroppedAndTheSecondGoesToSlotOne) {
    FakeSerialServer server;
    ASSERT_TRUE(server.listen());
    link.setRemote(QStringLiteral("127.0.0.1"), server.port());
    link.ConnectToServer();
    ASSERT_TRUE(waitUntil([&] { return server.latest != nullptr; }));
    link.setDiscardNextData(1);

    ASSERT_TRUE(server.send("v0511"));
    ASSERT_TRUE(waitUntil([&] { return link.discardNextData() == 0; }));
    EXPECT_EQ(link.rxIndex(), 0);

    // Bytes above 127 arrive as Latin-1 characters.
    ASSERT_TRUE(server.send("V911!\xB0"));
    ASSERT_TRUE(waitUntil([&] { return link.rxIndex() == 1; }));
    EXPECT_EQ(link.slotText(1), QStringLiteral("V911!") + QChar(0xB0));
    EXPECT_EQ(fields.text(QStringLiteral("Label9")), "1");

    link.scanSlots();
    EXPECT_EQ(decoded, QStringList{QStringLiteral("V911!") + QChar(0xB0)});
    EXPECT_TRUE(link.slotText(1).isEmpty());
}

TEST_F(LinkFixture, SlotThousandIsFollowedBySlotOneAndTheScanGoesInSlotOrder) {
    for (int i = 1; i <= 1000; ++i) link.Winsock1_DataArrival(QStringLiteral("d%1").arg(i));
    EXPECT_EQ(link.slotText(1000), "d1000");
    EXPECT_EQ(fields.text(QStringLiteral("Label9")), "1000");
    EXPECT_EQ(link.rxIndex(), 0);

    link.Winsock1_DataArrival(QStringLiteral("d1001"));
    EXPECT_EQ(link.rxIndex(), 1);
    EXPECT_EQ(fields.text(QStringLiteral("Label9")), "1");
    EXPECT_EQ(link.slotText(1), "d1001");  // the undecoded "d1" is gone
    for (int unused : {0, 1001, 1002, 1003, 1004, 1005}) EXPECT_TRUE(link.slotText(unused).isEmpty()) << unused;

    link.scanSlots();
    ASSERT_EQ(decoded.size(), 1000);
    // The newest data in slot 1 comes first, then the older data of slots 2..1000.
    EXPECT_EQ(decoded.first(), "d1001");
    for (int i = 2; i <= 1000; ++i) ASSERT_EQ(decoded[i - 1], QStringLiteral("d%1").arg(i));

    decoded.clear();
    link.scanSlots();
    EXPECT_TRUE(decoded.isEmpty());
}

TEST_F(LinkFixture, ScanHandsOnlyFilledSlotsAfterAWrap) {
    for (int i = 1; i <= 998; ++i) link.Winsock1_DataArrival(QStringLiteral("x"));
    link.scanSlots();
    decoded.clear();
    // Slots 999, 1000, then 1, 2 after the wrap.
    for (const char* s : {"a999", "a1000", "b1", "b2"}) link.Winsock1_DataArrival(QString::fromLatin1(s));
    link.scanSlots();
    EXPECT_EQ(decoded, (QStringList{"b1", "b2", "a999", "a1000"}));
}

TEST_F(LinkFixture, SupervisionCountsToThirtyAndReconnects) {
    FakeSerialServer server;
    ASSERT_TRUE(server.listen());
    link.setRemote(QStringLiteral("127.0.0.1"), server.port());
    link.ConnectToServer();
    ASSERT_TRUE(waitUntil([&] { return server.accepted == 1; }));

    for (int second = 1; second <= 29; ++second) {
        link.superviseConnection();
        ASSERT_EQ(fields.text(QStringLiteral("Label8")), QString::number(second));
    }
    QCoreApplication::processEvents();
    EXPECT_EQ(server.accepted, 1);
    EXPECT_EQ(link.socketState(), 7);

    link.superviseConnection();
    EXPECT_EQ(fields.text(QStringLiteral("Label8")), "30");
    EXPECT_EQ(link.reconnectSeconds(), 0);
    EXPECT_TRUE(waitUntil([&] { return server.accepted == 2; }));
    EXPECT_EQ(lamp(), MeterLink::yellow());

    link.superviseConnection();
    EXPECT_EQ(fields.text(QStringLiteral("Label8")), "1");
}

TEST_F(LinkFixture, ProcessedMessageReconnectsAtTheNextSecond) {
    FakeSerialServer server;
    ASSERT_TRUE(server.listen());
    link.setRemote(QStringLiteral("127.0.0.1"), server.port());
    link.ConnectToServer();
    ASSERT_TRUE(waitUntil([&] { return server.accepted == 1; }));
    link.superviseConnection();
    link.superviseConnection();
    ASSERT_EQ(link.reconnectSeconds(), 2);

    link.markMessageProcessed();
    EXPECT_EQ(link.messageProcessed(), 1);
    link.superviseConnection();
    EXPECT_EQ(link.messageProcessed(), 0);
    EXPECT_EQ(link.reconnectSeconds(), 0);
    EXPECT_EQ(fields.text(QStringLiteral("Label8")), "3");
    EXPECT_TRUE(waitUntil([&] { return server.accepted == 2; }));
    EXPECT_EQ(status(), "Connected to Serial Server...  7");
}

TEST_F(LinkFixture, ServerGoingAwayAndComingBack) {
    FakeSerialServer server;
    ASSERT_TRUE(server.listen());
    const quint16 port = server.port();
    link.setRemote(QStringLiteral("127.0.0.1"), port);
    link.ConnectToServer();
    ASSERT_TRUE(waitUntil([&] { return server.accepted == 1; }));

    server.goAway();
    ASSERT_TRUE(waitUntil([&] { return link.socketState() == 0 || link.socketState() == 9; }));

    // Each second retries without closing first; while the server is away the
    // attempts are refused.
    for (int i = 0; i < 3; ++i) {
        link.superviseConnection();
        EXPECT_TRUE(waitUntil([&] { return link.socketState() == 9; })) << i;
    }
    EXPECT_EQ(server.accepted, 1);

    ASSERT_TRUE(server.listen(port));
    link.superviseConnection();
    EXPECT_TRUE(waitUntil([&] { return link.socketState() == 7 && server.accepted == 2; }));

    // The status text follows at the next full reconnect.
    link.markMessageProcessed();
    link.superviseConnection();
    EXPECT_EQ(status(), "Connected to Serial Server...  7");
}

namespace {

// A listening socket whose accept queue is full: a further connect to it gets
// no answer and stays pending.
class SilentServer {
public:
    SilentServer() {
        fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t len = sizeof addr;
        if (fd_ < 0 || ::bind(fd_, reinterpret_cast<sockaddr*>(&addr), len) != 0 || ::listen(fd_, 0) != 0 ||
            ::getsockname(fd_, reinterpret_cast<sockaddr*>(&addr), &len) != 0)
            return;
        port_ = ntohs(addr.sin_port);
        // Fill the queue (it holds one connection beyond a backlog of 0).
        for (int i = 0; i < 2; ++i) {
            auto s = std::make_unique<QTcpSocket>();
            s->connectToHost(QHostAddress::LocalHost, port_);
            waitUntil([&] { return s->state() == QAbstractSocket::ConnectedState; }, 500);
            fillers_.push_back(std::move(s));
        }
    }
    ~SilentServer() {
        if (fd_ >= 0) ::close(fd_);
    }
    quint16 port() const { return port_; }
    // True when a new connect really stays pending.
    bool swallowsConnects() {
        QTcpSocket probe;
        probe.connectToHost(QHostAddress::LocalHost, port_);
        waitUntil([&] { return probe.state() != QAbstractSocket::ConnectingState; }, 300);
        const bool pending = probe.state() == QAbstractSocket::ConnectingState;
        probe.abort();
        return pending;
    }

private:
    int fd_ = -1;
    quint16 port_ = 0;
    std::vector<std::unique_ptr<QTcpSocket>> fillers_;
};

}  // namespace

TEST(MeterLinkWait, PendingConnectEndsAtTheDeadlineAndServesTicksWithoutNesting) {
    SilentServer silent;
    ASSERT_NE(silent.port(), 0);
    if (!silent.swallowsConnects()) GTEST_SKIP() << "this system answers connects beyond a full accept queue";

    FieldModel fields;
    ManualClock clock;
    QStringList decoded;
    MeterLink link(fields, clock, [&](const QString& s) { decoded << s; });
    link.setRemote(QStringLiteral("127.0.0.1"), silent.port());
    fields.setText(QStringLiteral("Text101"), QStringLiteral("before"));

    // Ticks that fall inside the wait: a data event, a scan, a Re-Connect click
    // and a supervision second that asks for a reconnect.
    int ticks = 0;
    QString statusInsideTick;
    bool connectingInsideTick = false;
    QTimer::singleShot(10, [&] {
        ++ticks;
        link.Winsock1_DataArrival(QStringLiteral("v0511"));
        link.scanSlots();
        link.ConnectToServer();
        link.markMessageProcessed();
        link.superviseConnection();
        statusInsideTick = fields.text(QStringLiteral("Text101"));
        connectingInsideTick = link.isConnecting() && link.socketState() == 6;
        clock.advanceMs(MeterLink::kConnectWaitMs);  // the two seconds pass
    });
    link.ConnectToServer();

    EXPECT_EQ(ticks, 1);
    EXPECT_EQ(decoded, QStringList{"v0511"});
    EXPECT_EQ(statusInsideTick, "before");  // no nested connect showed an outcome
    EXPECT_TRUE(connectingInsideTick);
    EXPECT_EQ(link.messageProcessed(), 0);
    EXPECT_EQ(link.socketState(), 6);
    EXPECT_EQ(fields.text(QStringLiteral("Text101")), "NO Connection to Serial Server...  6");
    EXPECT_EQ(fields.color(QStringLiteral("Shape1")), MeterLink::red());
    EXPECT_FALSE(link.isConnecting());

    // Still pending (neither closed nor in error): the supervision leaves it alone.
    link.superviseConnection();
    EXPECT_EQ(link.socketState(), 6);
}
