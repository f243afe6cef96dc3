#include "link/meterdecoder.h"

#include "model/fieldmodel.h"
#include "model/settings.h"
#include "model/sharedstate.h"
#include "support/fakes.h"
#include "support/messages.h"

#include <QRegularExpression>
#include <gtest/gtest.h>

#include <cmath>

namespace kelvora {
namespace {

using testing::meterMessage;

const QString kValid = meterMessage(911, 767, 767);
const QString kHead = kValid.section(u'V', 0, 0);  // both waveforms, the values to come

// The file the 25 samples of a waveform give.
QString waveFile(const QString& samples) {
    QString out;
    for (int i = 0; i < samples.size(); i += 4) out += samples.mid(i, 4) + QStringLiteral("\r\n");
    return out;
}

SettingValue text(const char* s) { return SettingValue::Text(QString::fromLatin1(s)); }

struct Rig {
    testing::TempDataDir tmp;
    SharedState shared;
    FieldModel fields;
    MeterDecoder dec{shared, fields, tmp.dir()};

    Rig() { fields.setChecked(QStringLiteral("Option_240vac"), true); }
    void feed(const QString& slot) { dec.DecodeMeterMessage(slot); }
    QString text(const char* name) const { return fields.text(QString::fromLatin1(name)); }
    // Everything the decoder leaves behind for others.
    QStringList snapshot() const {
        QStringList s;
        for (double v : {shared.VAC_Reading, shared.A_AMPS_Reading, shared.B_AMPS_Reading, 1.0 * shared.New_Message})
            s << QString::number(v);
        for (const QString& f : {files::VAC_WAVE, files::A_AMP_WAVE}) s << QString::fromLatin1(tmp.contents(f));
        for (const char* f : {"Text100(2)", "Text100(3)", "Text100(4)", "Text100(15)", "Text100_A_CAL", "Text100_B_CAL"})
            s << text(f);
        return s;
    }
};

TEST(MeterDecoder, WholeMessageAndEverySplitOfItGiveTheSameResult) {
    const QStringList expected{"240", "100", "100", "1", waveFile(kValid.mid(1, 100)), waveFile(kValid.mid(102, 100)),
                               "240.0", "100.00", "100.00", "240.0", "100.00", "100.00"};
    for (qsizetype pos = 0; pos <= kValid.size(); ++pos) {
        Rig r;
        r.feed(kValid.left(pos));
        r.feed(kValid.mid(pos));
        ASSERT_EQ(r.snapshot(), expected) << "split at " << pos;
    }
    Rig single;
    for (const QChar c : kValid) single.feed(QString(c));
    EXPECT_EQ(single.snapshot(), expected);
    // A message after the end in the same slot waits for a later slot.
    const QString second = meterMessage(861, 639, 639);
    Rig r;
    r.feed(meterMessage(700, 100, 100));  // all rejected: nothing shown yet
    EXPECT_EQ(r.snapshot().mid(6, 3), (QStringList{"AC Volt", "A Amps", "B Amps"}));
    r.feed(QStringLiteral("12!V999!xx") + kValid + second);
    EXPECT_NEAR(r.shared.VAC_Reading, 240.0, 1e-9);
    r.feed(QStringLiteral("A700!B700!e") + second);  // starts inside a message: waits for its "v"
    EXPECT_NEAR(r.shared.VAC_Reading, 210.0, 1e-9);
    // The first accepted reading stays shown; the others follow each reading.
    EXPECT_EQ(r.snapshot().mid(6), (QStringList{"240.0", "100.00", "100.00", "210.0", "50.00", "50.00"}));
}

// After a first reading of 240 V / 100 A the calibration values change, so a
// replaced raw value reads otherwise than one that goes through.
TEST(MeterDecoder, GlitchFilterAndPlausibilityWindow) {
    const struct { const char *section, *vCal, *aCal; double SharedState::*reading; double expected; } cases[] = {
        {"V799!", "230", "50", &SharedState::VAC_Reading, 230.0},  // replaced by 911
        {"V800!", "230", "50", &SharedState::VAC_Reading, 289 * 230.0 / 400},
        {"A511!", "240", "210", &SharedState::A_AMPS_Reading, 100.0},  // 0 A: outside
        {"A767!", "240", "210", &SharedState::A_AMPS_Reading, 100.0},  // 210 A: outside
        {"A766!", "240", "210", &SharedState::A_AMPS_Reading, 255 * 210.0 / 256},
        // A value of 32 characters is the cap; a longer one is dropped, and the next section counts.
        {"A00000000000000000000000000000767!", "240", "50", &SharedState::A_AMPS_Reading, 50.0},
        {"A000000000000000000000000000000767!B639!", "240", "50", &SharedState::B_AMPS_Reading, 50.0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.section);
        Rig r;
        r.feed(kValid);
        r.shared.settings.VAC_Cal_Value = text(c.vCal), r.shared.settings.AAMPS_Cal_Value = text(c.aCal);
        r.feed(kHead + QString::fromLatin1(c.section) + u'e');
        EXPECT_NEAR(r.shared.*c.reading, c.expected, 1e-9);
    }
}

TEST(MeterDecoder, WaveformSampleLimit) {
    for (const char* sample : {"1000", "1001"}) {  // "1001" drops the voltage waveform; the current one still counts
        const QString msg = meterMessage(911, 767, 767).replace(1 + 12 * 4, 4, QString::fromLatin1(sample));
        Rig r;
        r.feed(msg);
        EXPECT_EQ(r.snapshot()[4], sample[3] == '0' ? waveFile(msg.mid(1, 100)) : QString()) << sample;
        EXPECT_EQ(r.snapshot()[5], waveFile(kValid.mid(102, 100))) << sample;
    }
}

TEST(MeterDecoder, CalibrationRequestSetsConstantSavesItAndWaitsForAPhaseSignal) {
    Rig r;
    r.shared.settings.VAC_Cal_Value = text("230"), r.shared.VAC_Cal_Request = 1;
    r.feed(kValid);
    EXPECT_EQ(r.shared.settings.VAC_Cal, SettingValue::Number(400));
    EXPECT_NEAR(r.shared.VAC_Reading, 230.0, 1e-9);
    EXPECT_EQ(r.tmp.contents(files::Settings).split('\n').value(10), "400\r");  // the bare number
    r.feed(meterMessage(861, 767, 767));  // the request was used once
    EXPECT_NEAR(r.shared.VAC_Reading, 350 * 230.0 / 400, 1e-9);
    // Calibrating a phase that carries no current would set its constant to 0
    // and freeze its readings; the request waits until there is a signal.
    Rig p;  // fresh: no earlier reading for the glitch filter
    p.shared.settings.AAMPS_Cal_Value = text("50.0"), p.shared.AAMPS_Cal_Request = 1;
    for (int raw : {511, 300, 0}) {
        p.feed(meterMessage(911, raw, 600));
        EXPECT_TRUE(p.shared.AAMPS_Cal_Request == 1 && p.shared.settings.AAMPS_Cal.display() == "256") << raw;
    }
    p.feed(meterMessage(911, 767, 600));
    EXPECT_EQ(p.shared.settings.AAMPS_Cal.display(), "256");
    EXPECT_DOUBLE_EQ(p.shared.A_AMPS_Reading, 50.0);
}

// Untrusted input: no crash, bounded buffers, finite readings, short displays.
void expectSane(const Rig& r) {
    ASSERT_LE(r.dec.fieldLength(), MeterDecoder::kMaxValueChars);
    EXPECT_TRUE(std::isfinite(r.shared.VAC_Reading + r.shared.A_AMPS_Reading + r.shared.B_AMPS_Reading));
    for (const QString& t : r.snapshot().mid(6))
        EXPECT_TRUE(t.size() <= 40 && !t.contains(QRegularExpression("(?i)inf|nan"))) << t.toStdString();
}

TEST(MeterDecoder, CalibrationThatAllowsNoConversionKeepsTheReading) {
    for (const char* calValue : {"", "abc"}) {  // empty: no 240 V option
        SCOPED_TRACE(calValue);
        Rig r;
        r.shared.VAC_Reading = 123.0;
        if (*calValue) r.shared.settings.VAC_Cal_Value = text(calValue);
        else r.fields.setChecked(QStringLiteral("Option_240vac"), false);
        r.feed(kValid);
        EXPECT_EQ(r.shared.VAC_Reading, 123.0);
        EXPECT_NEAR(r.shared.A_AMPS_Reading, 100.0, 1e-9);  // the amps still convert
        expectSane(r);
    }
}

TEST(MeterDecoder, HostileStreams) {
    const QString digits(100000, u'7'), head = kHead;
    const QString streams[] = {head + u'V' + digits, u'v' + digits,
                               head + QStringLiteral("V99999999999999999999999!A99999999999999999999999!e"),
                               // after "e" an open section takes the next "e": "1e308" overflows
                               head + QStringLiteral("V1ee308!"), head + u'V' + u'A' + digits.left(20) + "B!A!!e",
                               head + QString::fromUtf8("V\u00e9\u4e2d\U0001F600\u0661!e")};
    for (const QString& stream : streams) {
        SCOPED_TRACE(stream.left(40).toStdString());
        Rig r;
        r.feed(kValid);
        for (qsizetype i = 0; i < stream.size(); i += 1000) r.feed(stream.mid(i, 1000));
        expectSane(r);
        EXPECT_NEAR(r.shared.VAC_Reading, 240.0, 1e-9);
        r.feed(QStringLiteral("!!e")), r.feed(meterMessage(861, 639, 639));
        EXPECT_NEAR(r.shared.VAC_Reading, 210.0, 1e-9) << "decoder recovers";
    }
}

}  // namespace
}  // namespace kelvora
