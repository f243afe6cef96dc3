#include "meterserver.h"

#include "link/meterdecoder.h"
#include "support/fakes.h"
#include "support/wait.h"

#include <QRegularExpression>
#include <QTcpSocket>
#include <gtest/gtest.h>

#include <algorithm>

using namespace kelvora;
using namespace kelvora::sim;
using kelvora::testing::waitUntil;

// The app's own decoder reads each message as the meter meant it.
TEST(MeterStream, MessagesMatchTheGrammarAndDecodeToTheLoad) {
    kelvora::testing::TempDataDir tmp;
    SharedState shared;
    FieldModel fields;
    MeterDecoder decoder(shared, fields, tmp.dir());
    MeterStream stream(5, 17.5 * 3600);
    fields.setChecked(QStringLiteral("Option_240vac"), true);
    // Waveform samples of four digits, at most 1000.
    const QRegularExpression grammar(QStringLiteral("^v(0\\d{3}|1000){25}a(0\\d{3}|1000){25}V\\d+!A\\d+!B\\d+!e$"));
    for (int i = 0; i < 500; ++i) {
        const QByteArray msg = stream.next();
        ASSERT_TRUE(grammar.match(QString::fromLatin1(msg)).hasMatch()) << msg.toStdString();
        shared.New_Message = 0, decoder.DecodeMeterMessage(QString::fromLatin1(msg));
        ASSERT_EQ(shared.New_Message, 1) << i;
        const LoadSample& s = stream.last();
        ASSERT_NEAR(shared.VAC_Reading, s.volts, 0.3 + 1e-9) << i;  // half a raw count
        ASSERT_NEAR(shared.A_AMPS_Reading, s.ampsA, 0.2 + 0.15) << i;
        ASSERT_NEAR(shared.B_AMPS_Reading, s.ampsB, 0.2 + 0.15) << i;
    }
}

TEST(HouseholdLoad, AWeekStaysInBoundsAndUsesItsRange) {
    HouseholdLoad load(11, 0);
    double minA = 1e9, maxA = 0, minV = 1e9, maxV = 0;
    for (int i = 0; i < 7 * 43200; ++i) {  // readings every 2 seconds
        const LoadSample s = load.step(2.0);
        minA = std::min({minA, s.ampsA, s.ampsB}), maxA = std::max({maxA, s.ampsA, s.ampsB});
        minV = std::min(minV, s.volts), maxV = std::max(maxV, s.volts);
    }
    EXPECT_TRUE(minA >= HouseholdLoad::kMinAmps && maxA <= HouseholdLoad::kMaxAmps) << minA << " " << maxA;
    EXPECT_TRUE(minV >= HouseholdLoad::kMinVolts && maxV <= HouseholdLoad::kMaxVolts) << minV << " " << maxV;
    EXPECT_TRUE(minA < 5 && maxA > 20) << "a quiet base load, and big loads now and then";
}

TEST(MeterServer, NextClientGetsTheContinuingStream) {
    MeterServer server(9, 7 * 3600, 5);
    ASSERT_TRUE(server.listen(QHostAddress::LocalHost, 0));
    server.start();
    MeterStream reference(9, 7 * 3600);  // each client sees consecutive messages of the same seed's stream
    QList<QByteArray> expected;
    for (int i = 0; i < 2000; ++i) expected << reference.next();
    QByteArray received[2];
    for (QByteArray& got : received) {
        QTcpSocket client;
        QObject::connect(&client, &QTcpSocket::readyRead, [&] { got += client.readAll(); });
        client.connectToHost(QHostAddress::LocalHost, server.serverPort());
        ASSERT_TRUE(waitUntil([&] { return got.count('e') >= 5 && server.messagesSplit() > 0; }));
        client.disconnectFromHost();
        ASSERT_TRUE(waitUntil([&] { return !server.hasClient(); }));
    }
    server.stop();
    qsizetype previousEnd = -1;  // the second client later in the sequence
    for (const QByteArray& got : received) {
        const QList<QByteArray> messages = got.split('e');  // the last piece is unfinished or empty
        const qsizetype start = expected.indexOf(messages.first() + 'e');
        ASSERT_GT(start, previousEnd);
        for (qsizetype k = 0; k + 1 < messages.size(); ++k)
            ASSERT_EQ(messages[k] + 'e', expected.value(start + k)) << k;
        previousEnd = start + messages.size() - 2;
    }
    EXPECT_EQ(server.clientsAccepted(), 2);
}

