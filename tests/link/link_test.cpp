#include "link/meterlink.h"

#include "support/server.h"
#include "support/wait.h"

#include <QTimer>
#include <gtest/gtest.h>

#include <limits>

using namespace kelvora;
using kelvora::testing::waitUntil;

namespace {

const QString kConnected = QStringLiteral("Connected to Serial Server...  7");

// A serial server on 127.0.0.1 and a link pointed at it.
struct LinkTest : ::testing::Test {
    kelvora::testing::LoopbackServer meter;
    FieldModel fields;
    ManualClock clock;  // the connect wait also ends on the steady clock
    QStringList decoded;
    MeterLink link{fields, clock, [this](const QString& s) { decoded << s; }};

    void SetUp() override { link.setRemote(QStringLiteral("127.0.0.1"), meter.port()); }
    QString text(const char* name) const { return fields.text(QString::fromLatin1(name)); }
    QColor lamp() const { return fields.color(QStringLiteral("Shape1")); }
    void connectOnce() {
        link.ConnectToServer();
        ASSERT_TRUE(waitUntil([&] { return meter.accepted == 1 && meter.client; }));
    }
};

TEST_F(LinkTest, FirstDataAfterStartUpIsDroppedAndTheSecondGoesToSlotOne) {
    connectOnce();
    link.setDiscardNextData(1);
    meter.client->write("v0511");  // dropped
    ASSERT_TRUE(waitUntil([&] { return link.discardNextData() == 0; }));
    EXPECT_EQ(link.rxIndex(), 0);
    meter.client->write("V911!\xB0");  // bytes above 127 arrive as Latin-1
    ASSERT_TRUE(waitUntil([&] { return link.rxIndex() == 1; }));
    link.scanSlots();
    EXPECT_EQ(decoded, QStringList{QStringLiteral("V911!") + QChar(0xB0)});
}

TEST_F(LinkTest, SlotThousandIsFollowedBySlotOneAndTheScanGoesInSlotOrder) {
    for (int i = 1; i <= 1000; ++i) link.Winsock1_DataArrival(QStringLiteral("d%1").arg(i));
    EXPECT_EQ(text("Label9"), "1000");
    link.Winsock1_DataArrival(QStringLiteral("d1001"));
    EXPECT_EQ(text("Label9"), "1");
    link.scanSlots(), link.scanSlots();  // the second scan finds nothing new
    ASSERT_EQ(decoded.size(), 1000);
    for (int i = 1; i <= 1000; ++i) ASSERT_EQ(decoded[i - 1], QStringLiteral("d%1").arg(i == 1 ? 1001 : i));
}

// Each connect shows state 7 and the lamp alternates green and yellow; a
// refused one shows red and the state number, and is retried each second
// until the server comes back.
TEST_F(LinkTest, ReconnectsAfterThirtySecondsAfterAProcessedMessageAndWhenTheServerComesBack) {
    connectOnce();
    EXPECT_TRUE(text("Text101") == kConnected && lamp() == MeterLink::green());
    for (int second = 1; second <= 29; ++second) link.superviseConnection();
    EXPECT_EQ(text("Label8"), "29");
    QCoreApplication::processEvents();
    EXPECT_EQ(meter.accepted, 1);
    link.superviseConnection();
    EXPECT_TRUE(waitUntil([&] { return meter.accepted == 2; }));
    EXPECT_EQ(lamp(), MeterLink::yellow());
    link.superviseConnection();
    EXPECT_EQ(text("Label8"), "1");
    link.markMessageProcessed(), link.superviseConnection();
    EXPECT_EQ(text("Label8"), "2");
    EXPECT_EQ(link.reconnectSeconds(), 0);
    ASSERT_TRUE(waitUntil([&] { return meter.accepted == 3 && link.socketState() == 7; }));
    EXPECT_TRUE(text("Text101") == kConnected && lamp() == MeterLink::green());

    const quint16 port = meter.port();
    meter.server.close(), meter.client->abort();
    ASSERT_TRUE(waitUntil([&] { return link.socketState() == 0 || link.socketState() == 9; }));
    link.ConnectToServer();
    EXPECT_EQ(text("Text101"), "NO Connection to Serial Server...  9");  // the state number at the end
    EXPECT_EQ(lamp(), MeterLink::red());
    for (int i = 0; i < 3; ++i) {  // refused while the server is away
        link.superviseConnection();
        EXPECT_TRUE(waitUntil([&] { return link.socketState() == 9; })) << i;
    }
    EXPECT_EQ(meter.accepted, 3);
    ASSERT_TRUE(meter.server.listen(QHostAddress::LocalHost, port));
    link.superviseConnection();
    EXPECT_TRUE(waitUntil([&] { return link.socketState() == 7 && meter.accepted == 4; }));
    link.ConnectToServer();  // Re-Connect
    EXPECT_EQ(text("Text101"), kConnected);
    EXPECT_EQ(lamp(), MeterLink::green());  // green, not yellow, after red
}

TEST(MeterLinkPort, SettingToPort) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const std::pair<double, quint16> cases[] = {{1, 1}, {65535, 65535}, {65536, 0}, {0, 0}, {4999.6, 5000}, {nan, 0}};
    for (const auto& [value, port] : cases) EXPECT_EQ(MeterLink::portFromSetting(value), port) << value;
}

// Ticks served inside a pending connect's wait run, but a connect they ask
// for does not nest.
TEST_F(LinkTest, PendingConnectEndsAtTheDeadlineWithoutNesting) {
    QTcpServer silent;  // never accepts; with its queue full a further connect stays pending
    silent.setListenBacklogSize(0);
    ASSERT_TRUE(silent.listen(QHostAddress::LocalHost, 0));
    silent.pauseAccepting();
    QTcpSocket sockets[3];
    for (QTcpSocket& s : sockets) {
        s.connectToHost(QHostAddress::LocalHost, silent.serverPort());
        waitUntil([&] { return s.state() != QAbstractSocket::ConnectingState; }, 500);
    }
    if (sockets[2].state() != QAbstractSocket::ConnectingState)
        GTEST_SKIP() << "this system answers connects beyond a full accept queue";
    link.setRemote(QStringLiteral("127.0.0.1"), silent.serverPort());
    fields.setText(QStringLiteral("Text101"), QStringLiteral("before"));
    QString inside;  // the status and the connect state seen from inside the wait
    QTimer::singleShot(10, [&] {
        link.Winsock1_DataArrival(QStringLiteral("v0511")), link.scanSlots();
        link.ConnectToServer(), link.markMessageProcessed(), link.superviseConnection();
        inside = fields.text(QStringLiteral("Text101")) + QString::number(link.isConnecting() * link.socketState());
        clock.advanceMs(MeterLink::kConnectWaitMs);
    });
    link.ConnectToServer();

    EXPECT_EQ(decoded, QStringList{"v0511"});
    EXPECT_EQ(inside, "before6");  // no nested connect showed an outcome
    EXPECT_EQ(link.messageProcessed(), 0);
    EXPECT_EQ(fields.text(QStringLiteral("Text101")), "NO Connection to Serial Server...  6");
    link.superviseConnection();  // still pending, neither closed nor in error: left alone
    EXPECT_EQ(link.socketState(), 6);
}

}  // namespace
