#include "meterserver.h"

#include "link/meterdecoder.h"
#include "support/fakes.h"

#include <QRegularExpression>
#include <gtest/gtest.h>

using namespace kelvora;
using namespace kelvora::sim;

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
