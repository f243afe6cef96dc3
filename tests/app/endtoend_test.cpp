#include "publish/mqttsettings.h"
#include "support/fakes.h"
#include "support/messages.h"
#include "support/server.h"
#include "support/started.h"
#include "support/wait.h"

#include <QTcpServer>
#include <gtest/gtest.h>

using namespace kelvora;
using namespace kelvora::testing;

// Thirty messages over a real socket with the real timers make one minute
// step as computed by hand; a broker that never answers holds up nothing.
TEST(EndToEnd, ThirtyMessagesMakeOneMinuteOfFilesWhileTheBrokerNeverAnswers) {
    QTcpServer silentBroker;
    ASSERT_TRUE(silentBroker.listen(QHostAddress::LocalHost, 0));
    TempDataDir tmp;
    MqttSettings broker;
    broker.host = QStringLiteral("127.0.0.1"), broker.port = silentBroker.serverPort();
    ASSERT_TRUE(saveMqttSettings(tmp.dir(), broker));
    SystemClock clock;
    LoopbackServer server;
    StartedCore app(tmp.path(), clock, server.port());
    ASSERT_EQ(app.result, KelvoraCore::LoadResult::Started);
    ASSERT_TRUE(waitUntil([&] { return silentBroker.hasPendingConnections(); }, 5000));
    int processed = 0;
    app.core.scheduler().addMessageStep([&] { ++processed; });

    sendUntilProcessed(server, meterMessage(911, 767, 639), processed);
    ASSERT_EQ(processed, 30);
    EXPECT_EQ(app.core.publisher().client().waiting(), 1);
    // The disk writer saves on its own thread: wait until it holds nothing.
    ASSERT_TRUE(app.core.dir().flush(5000));
    // 240 V x 150 A = 36 KW; one minute of it is 0.6 KWH at 0.0585 a KWH.
    const QList<std::pair<const char*, QByteArray>> files = {
        {"KWH_1m.dat", "\".6\""}, {"KWH_last_data.dat", "\"0.6\",\"0.04\",\"0.0585\""},
        {"MeterKWS.dat", "36,150,240,36,150,240,\"0.0\",\"$0.0\",\"0.0\",\"$0.0\""}};
    for (const auto& [name, line] : files) EXPECT_EQ(tmp.contents(name), line + "\r\n") << name;
    EXPECT_EQ(app.fields().text("Text100(5)"), "$0.04");
    // After the power step of each message: the trend step, then the waveforms.
    EXPECT_EQ(readTrendRecords(tmp.contents("KW_10sec.dat")).value(59).value, 36);
    EXPECT_EQ(app.core.waveforms().VAC_Wave().size(), 25);
}
