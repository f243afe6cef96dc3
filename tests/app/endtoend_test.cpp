#include "app/kelvoracore.h"
#include "support/fakes.h"
#include "support/messages.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>
#include <gtest/gtest.h>

using namespace kelvora;
using kelvora::testing::meterMessage;
using kelvora::testing::TempDataDir;

namespace {

// A serial server on loopback that always talks to its newest client, as the
// app reconnects after every processed message.
class LoopbackServer {
public:
    LoopbackServer() {
        EXPECT_TRUE(server_.listen(QHostAddress::LocalHost, 0));
        QObject::connect(&server_, &QTcpServer::newConnection, [this] {
            while (QTcpSocket* s = server_.nextPendingConnection()) client_ = s;
        });
    }
    quint16 port() const { return server_.serverPort(); }
    bool send(const QString& text) {
        if (!client_ || client_->state() != QAbstractSocket::ConnectedState) return false;
        client_->write(text.toLatin1());
        return client_->flush();
    }

private:
    QTcpServer server_;
    QPointer<QTcpSocket> client_;
};

// Serves events until done() or the deadline; true when done.
template <typename Done>
bool serveUntil(Done done, int deadlineMs) {
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < deadlineMs) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(1);
    }
    return done();
}

}  // namespace

// Thirty messages of 240 V, 100 A and 50 A over a real socket with the real
// timers: one minute step, whose files hold what the arithmetic gives by hand.
TEST(EndToEnd, ThirtyMessagesMakeOneMinuteOfFiles) {
    TempDataDir tmp;
    SystemClock clock;
    LoopbackServer server;
    KelvoraCore core(tmp.path(), clock, [] {});
    core.setServerOverride(QStringLiteral("127.0.0.1"), server.port());
    int processed = 0;
    core.scheduler().addMessageStep([&] { ++processed; });
    ASSERT_EQ(core.Form_Load(), KelvoraCore::LoadResult::Started);
    ASSERT_TRUE(core.fields().text("Text101").endsWith("7"));

    const QString message = meterMessage(911, 767, 639);
    // The first data after start-up is dropped, and a reconnect may swallow a
    // message: each one is sent again until it has been processed.
    for (int sent = 0; processed < 30 && sent < 200; ++sent) {
        const int before = processed;
        serveUntil([&] { return server.send(message); }, 3000);
        serveUntil([&] { return processed > before; }, 600);
    }
    ASSERT_EQ(processed, 30);
    ASSERT_TRUE(serveUntil([&] { return tmp.dir().exists("KW_1m.dat") && core.shared().KWH_1m_Ready == 1; }, 2000));

    // 240 V x 150 A = 36 KW; one minute of it is 0.6 KWH at 0.0585 a KWH.
    EXPECT_EQ(tmp.contents("KWH_1m.dat"), QByteArray("\".6\"\r\n"));
    EXPECT_EQ(tmp.contents("KW_1m.dat"), QByteArray("\"36.0\"\r\n"));
    EXPECT_EQ(tmp.contents("AAMP_1m.dat"), QByteArray("\"100.0\"\r\n"));
    EXPECT_EQ(tmp.contents("BAMP_1m.dat"), QByteArray("\"50.0\"\r\n"));
    EXPECT_EQ(tmp.contents("VAC_1m.dat"), QByteArray("\"240.0\"\r\n"));
    EXPECT_EQ(tmp.contents("KWH_last_data.dat"), QByteArray("\"0.6\",\"0.04\",\"0.0585\"\r\n"));
    EXPECT_EQ(tmp.contents("MeterKWS.dat"),
              QByteArray("36,150,240,36,150,240,\"0.0\",\"$0.0\",\"0.0\",\"$0.0\"\r\n"));
    FieldModel& f = core.fields();
    EXPECT_EQ(f.text("Text100(0)"), "150.0");
    EXPECT_EQ(f.text("Text100(1)"), "36.0");
    EXPECT_EQ(f.text("Text100(6)"), "0.6");
    EXPECT_EQ(f.text("Text100(5)"), "$0.04");
    EXPECT_EQ(f.text("Text4(0)"), "240.0");
    EXPECT_EQ(f.text("Text4(1)"), "150.0");
    EXPECT_EQ(f.text("Text4(4)"), "36,000.0");
    EXPECT_EQ(f.text("Text4(14)"), "1.00");
    EXPECT_EQ(f.text("Label40(2)"), "5");
    EXPECT_EQ(f.text("Label40(0)"), "1.00");
    EXPECT_EQ(f.text("Label4"), "5");
    EXPECT_EQ(f.text("Label5"), "5");
    EXPECT_NE(f.text("Label7"), "TimeStamp");
}
