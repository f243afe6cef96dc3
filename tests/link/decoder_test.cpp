#include "link/meterdecoder.h"

#include "app/fieldmodel.h"
#include "app/settings.h"
#include "app/sharedstate.h"
#include "support/fakes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>
#include <random>

namespace kelvora {
namespace {

using testing::TempDataDir;

const QString kVacWave = QStringLiteral("VAC_WAVE.dat");
const QString kAWave = QStringLiteral("A_AMP_WAVE.dat");

// 25 four-digit samples start, start+step, ...
QString samples(int start, int step = 7) {
    QString s;
    for (int i = 0; i < MeterDecoder::kSamples; ++i)
        s += QStringLiteral("%1").arg(start + i * step, 4, 10, QLatin1Char('0'));
    return s;
}

// The file a waveform of those samples gives.
QByteArray waveFile(const QString& sampleText) {
    QByteArray out;
    for (int i = 0; i < sampleText.size(); i += 4) out += sampleText.mid(i, 4).toLatin1() + "\r\n";
    return out;
}

QString message(const QString& values, const QString& vacWave = samples(300),
                const QString& aWave = samples(400)) {
    return u'v' + vacWave + u'a' + aWave + values + u'e';
}

QString values(const QString& v, const QString& a, const QString& b) {
    return QStringLiteral("V%1!A%2!B%3!").arg(v, a, b);
}

const QString kValid = message(values(QStringLiteral("911"), QStringLiteral("767"), QStringLiteral("767")));

// A decoder with its own data directory, the 240 VAC option selected and the
// default settings.
struct Rig {
    TempDataDir tmp;
    SharedState shared;
    FieldModel fields;
    MeterDecoder dec{shared, fields, tmp.dir()};

    Rig() { fields.setChecked(QStringLiteral("Option_240vac"), true); }
    void feed(const QString& slot) { dec.DecodeMeterMessage(slot); }
    QString text(const char* name) const { return fields.text(QString::fromLatin1(name)); }
};

// Everything the decoder leaves behind that others see.
struct Outcome {
    double vac, a, b;
    int newMessage;
    QByteArray vacWave, aWave;
    QStringList texts;
    bool operator==(const Outcome&) const = default;
};

Outcome outcome(const Rig& r) {
    QStringList texts;
    for (const char* f : {"Text100(2)", "Text100(3)", "Text100(4)", "Text100(15)", "Text100_A_CAL",
                          "Text100_B_CAL"})
        texts << r.text(f);
    return {r.shared.VAC_Reading, r.shared.A_AMPS_Reading, r.shared.B_AMPS_Reading,
            r.shared.New_Message, r.tmp.contents(kVacWave), r.tmp.contents(kAWave), texts};
}

void PrintTo(const Outcome& o, std::ostream* os) {
    *os << o.vac << "V " << o.a << "A " << o.b << "A msg=" << o.newMessage << " "
        << o.texts.join(QLatin1Char('|')).toStdString();
}

TEST(MeterDecoder, WholeMessageGivesReadingsFilesAndDisplays) {
    Rig r;
    r.feed(kValid);
    EXPECT_NEAR(r.shared.VAC_Reading, 240.0, 1e-9);
    EXPECT_NEAR(r.shared.A_AMPS_Reading, 100.0, 1e-9);
    EXPECT_NEAR(r.shared.B_AMPS_Reading, 100.0, 1e-9);
    EXPECT_EQ(r.shared.New_Message, 1);
    EXPECT_EQ(r.dec.msgState(), 0);
    EXPECT_EQ(r.tmp.contents(kVacWave), waveFile(samples(300)));
    EXPECT_EQ(r.tmp.contents(kAWave), waveFile(samples(400)));
    EXPECT_EQ(r.text("Text100(15)"), "240.0");
    EXPECT_EQ(r.text("Text100(2)"), "240.0");
    EXPECT_EQ(r.text("Text100(3)"), "100.00");
    EXPECT_EQ(r.text("Text100(4)"), "100.00");
    EXPECT_EQ(r.text("Text100_A_CAL"), "100.00");
    EXPECT_EQ(r.text("Text100_B_CAL"), "100.00");
}

TEST(MeterDecoder, MessageSplitAtEveryPositionDecodesAsWhole) {
    Rig whole;
    whole.feed(kValid);
    const Outcome expected = outcome(whole);
    for (qsizetype pos = 0; pos <= kValid.size(); ++pos) {
        Rig r;
        r.feed(kValid.left(pos));
        r.feed(kValid.mid(pos));
        ASSERT_EQ(outcome(r), expected) << "split at " << pos;
    }
}

TEST(MeterDecoder, MessageInOneCharacterSlotsDecodesAsWhole) {
    Rig whole;
    whole.feed(kValid);
    Rig r;
    for (const QChar c : kValid) r.feed(QString(c));
    EXPECT_EQ(outcome(r), outcome(whole));
}

TEST(MeterDecoder, MessageAfterEndInSameSlotIsSkippedUntilLaterSlot) {
    const QString second = message(values(QStringLiteral("861"), QStringLiteral("639"), QStringLiteral("639")),
                                   samples(100), samples(200));
    Rig r;
    r.feed(QStringLiteral("12!V999!A800!xx") + kValid + second);  // garbage before the first "v" too
    EXPECT_NEAR(r.shared.VAC_Reading, 240.0, 1e-9);
    EXPECT_EQ(r.tmp.contents(kVacWave), waveFile(samples(300)));
    EXPECT_EQ(r.dec.msgState(), 0);

    // A later slot that starts inside a message waits for its "v".
    r.feed(QStringLiteral("A700!B700!e") + second);
    EXPECT_NEAR(r.shared.VAC_Reading, 210.0, 1e-9);  // (861-511) * 240/400
    EXPECT_NEAR(r.shared.A_AMPS_Reading, 50.0, 1e-9);
    EXPECT_EQ(r.tmp.contents(kVacWave), waveFile(samples(100)));
    EXPECT_EQ(r.tmp.contents(kAWave), waveFile(samples(200)));
}

// A first message is accepted at the defaults (240 V from raw 911, 100 A from
// 767); then the calibration values change to 230 V and 50 A, so that a raw
// value that goes through reads otherwise than the one it is replaced by.
struct GlitchCase {
    const char* name;
    QString section;
    double SharedState::*reading;
    double expected;
};

void PrintTo(const GlitchCase& c, std::ostream* os) { *os << c.name; }

class GlitchFilter : public ::testing::TestWithParam<GlitchCase> {};

TEST_P(GlitchFilter, LowRawValuesAreReplacedByLastAcceptedRaw) {
    Rig r;
    r.feed(kValid);
    r.shared.settings.VAC_Cal_Value = SettingValue::Text(QStringLiteral("230"));
    r.shared.settings.AAMPS_Cal_Value = SettingValue::Text(QStringLiteral("50"));
    r.feed(message(GetParam().section));
    EXPECT_NEAR(r.shared.*GetParam().reading, GetParam().expected, 1e-9);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, GlitchFilter,
    ::testing::Values(
        GlitchCase{"EmptyValueIsZeroAndReplaced", QStringLiteral("V!"), &SharedState::VAC_Reading, 230.0},
        GlitchCase{"Raw799Replaced", QStringLiteral("V799!"), &SharedState::VAC_Reading, 230.0},
        GlitchCase{"Raw800Used", QStringLiteral("V800!"), &SharedState::VAC_Reading, 289 * 230.0 / 400},
        GlitchCase{"NotANumberIsZeroAndReplaced", QStringLiteral("Vxyz!"), &SharedState::VAC_Reading, 230.0},
        GlitchCase{"NegativeReplaced", QStringLiteral("V-911!"), &SharedState::VAC_Reading, 230.0},
        GlitchCase{"PhaseRaw510Replaced", QStringLiteral("A510!"), &SharedState::A_AMPS_Reading, 50.0},
        GlitchCase{"PhaseRaw512Used", QStringLiteral("A512!"), &SharedState::A_AMPS_Reading, 50.0 / 256}),
    [](const auto& info) { return std::string(info.param.name); });

struct WindowCase {
    const char* name;
    QString section;
    double expectedReading;  // after a first accepted reading of 240 V / 100 A
    const char* calText;     // what Text100_A_CAL shows, or nullptr
};

void PrintTo(const WindowCase& c, std::ostream* os) { *os << c.name; }

class PlausibilityWindow : public ::testing::TestWithParam<WindowCase> {};

TEST_P(PlausibilityWindow, OutsideRepeatsLastAcceptedReading) {
    Rig r;
    r.feed(kValid);
    r.shared.settings.AAMPS_Cal_Value = SettingValue::Text(QStringLiteral("210"));
    r.shared.settings.VAC_Cal_Value = SettingValue::Text(QStringLiteral("300"));
    r.feed(message(GetParam().section));
    const WindowCase& c = GetParam();
    const double reading = c.section.startsWith(u'V') ? r.shared.VAC_Reading : r.shared.A_AMPS_Reading;
    EXPECT_NEAR(reading, c.expectedReading, 1e-9);
    if (c.calText) {
        EXPECT_EQ(r.text("Text100_A_CAL"), c.calText);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PlausibilityWindow,
    ::testing::Values(
        // 210 A exactly is rejected, but Text100_A_CAL shows every reading.
        WindowCase{"Phase210Amps", QStringLiteral("A767!"), 100.0, "210.00"},
        WindowCase{"Phase0Amps", QStringLiteral("A511!"), 100.0, "0.00"},
        WindowCase{"PhaseJustInside", QStringLiteral("A766!"), 255 * 210.0 / 256, "209.18"},
        WindowCase{"Voltage300", QStringLiteral("V911!"), 240.0, nullptr},
        WindowCase{"VoltageJustInside", QStringLiteral("V910!"), 399 * 300.0 / 400, nullptr}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(MeterDecoder, RejectedFirstVoltageFallsBackToNominal) {
    Rig r;
    r.dec.setVacGood(120.0);
    r.feed(message(QStringLiteral("V700!")));  // raw replaced by 0 -> negative volts
    EXPECT_EQ(r.shared.VAC_Reading, 120.0);
    EXPECT_EQ(r.text("Text100(2)"), "AC Volt");  // nothing accepted, nothing shown

    Rig none;
    none.dec.setVacGood(std::nullopt);
    none.feed(message(QStringLiteral("V700!")));
    EXPECT_EQ(none.shared.VAC_Reading, 0.0);
}

TEST(MeterDecoder, FirstAcceptedReadingIsShownOnce) {
    Rig r;
    r.feed(message(QStringLiteral("V700!A100!B100!")));  // all rejected
    EXPECT_EQ(r.text("Text100(2)"), "AC Volt");
    EXPECT_EQ(r.text("Text100(3)"), "A Amps");
    EXPECT_EQ(r.text("Text100(4)"), "B Amps");
    r.feed(kValid);
    r.feed(message(values(QStringLiteral("861"), QStringLiteral("639"), QStringLiteral("703"))));
    EXPECT_EQ(r.text("Text100(2)"), "240.0");
    EXPECT_EQ(r.text("Text100(3)"), "100.00");
    EXPECT_EQ(r.text("Text100(4)"), "100.00");
    EXPECT_EQ(r.text("Text100(15)"), "210.0");
    EXPECT_EQ(r.text("Text100_A_CAL"), "50.00");
    EXPECT_EQ(r.text("Text100_B_CAL"), "75.00");
}

TEST(MeterDecoder, WaveformSampleLimit) {
    QString withThousand = samples(300);
    withThousand.replace(12 * 4, 4, QStringLiteral("1000"));
    Rig r;
    r.feed(message(values(QStringLiteral("911"), QStringLiteral("767"), QStringLiteral("767")), withThousand));
    ASSERT_EQ(r.tmp.contents(kVacWave), waveFile(withThousand));

    // "1001" drops the voltage waveform; the current waveform that follows still counts.
    QString withOver = samples(100);
    withOver.replace(12 * 4, 4, QStringLiteral("1001"));
    r.feed(message(values(QStringLiteral("861"), QStringLiteral("767"), QStringLiteral("767")), withOver,
                   samples(20)));
    EXPECT_EQ(r.tmp.contents(kVacWave), waveFile(withThousand));
    EXPECT_EQ(r.tmp.contents(kAWave), waveFile(samples(20)));
    EXPECT_NEAR(r.shared.VAC_Reading, 210.0, 1e-9);
}

TEST(MeterDecoder, WaveFileWrittenOnlyWhenComplete) {
    Rig r;
    r.feed(u'v' + samples(300).left(24 * 4 + 3));
    EXPECT_FALSE(r.tmp.dir().exists(kVacWave));
    r.feed(QStringLiteral("!9"));  // "!" inside a waveform is skipped
    EXPECT_EQ(r.tmp.contents(kVacWave), waveFile(samples(300).left(24 * 4 + 3) + u'9'));
}

struct CalibrationCase {
    const char* name;
    const char* option;
    QString calValue;    // VAC_Cal_Value
    QString section;
    double expected;
    const char* shown;   // Text100(15)
};

void PrintTo(const CalibrationCase& c, std::ostream* os) { *os << c.name; }

class Calibration : public ::testing::TestWithParam<CalibrationCase> {};

TEST_P(Calibration, DefaultsConvertRawToVolts) {
    const CalibrationCase& c = GetParam();
    Rig r;
    r.fields.setChecked(QStringLiteral("Option_240vac"), false);
    r.fields.setChecked(QString::fromLatin1(c.option), true);
    r.shared.settings.VAC_Cal_Value = SettingValue::Text(c.calValue);
    r.feed(message(c.section));
    EXPECT_NEAR(r.shared.VAC_Reading, c.expected, 1e-9);
    EXPECT_EQ(r.text("Text100(15)"), c.shown);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Calibration,
    ::testing::Values(
        CalibrationCase{"Option240", "Option_240vac", QStringLiteral("240"), QStringLiteral("V911!"), 240, "240.0"},
        CalibrationCase{"Option120", "Option_120vac", QStringLiteral("120"), QStringLiteral("V911!"), 120, "120.0"},
        CalibrationCase{"Option120At115", "Option_120vac", QStringLiteral("115"), QStringLiteral("V911!"), 115, "115.0"},
        // 301.2 V is outside the window; with no accepted reading yet it falls back to 0.
        CalibrationCase{"Option240OutsideWindow", "Option_240vac", QStringLiteral("240.0"),
                        QStringLiteral("V1013!"), 0, "AC Volt"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(MeterDecoder, VoltageCalibrationSetsConstantAndSavesIt) {
    for (const char* option : {"Option_240vac", "Option_120vac"}) {
        Rig r;
        r.fields.setChecked(QStringLiteral("Option_240vac"), false);
        r.fields.setChecked(QString::fromLatin1(option), true);
        r.shared.settings.VAC_Cal_Value = SettingValue::Text(QStringLiteral("230"));
        r.shared.VAC_Cal_Request = 1;
        r.feed(kValid);
        EXPECT_EQ(r.shared.settings.VAC_Cal, SettingValue::Number(400)) << option;
        EXPECT_EQ(r.shared.VAC_Cal_Request, 0);
        EXPECT_NEAR(r.shared.VAC_Reading, 230.0, 1e-9) << option;
        EXPECT_EQ(r.text("Text100(15)"), "230.0");
        const QList<QByteArray> lines = r.tmp.contents(kSettingsFile).split('\n');
        ASSERT_GE(lines.size(), 11);
        EXPECT_EQ(lines[10], "400\r");
        EXPECT_EQ(readSettings(r.tmp.contents(kSettingsFile), Settings()).values, r.shared.settings);
    }
}

TEST(MeterDecoder, CalibrationAtOtherRawChangesLaterReadings) {
    Rig r;
    r.shared.settings.VAC_Cal_Value = SettingValue::Text(QStringLiteral("230"));
    r.shared.VAC_Cal_Request = 1;
    r.shared.AAMPS_Cal_Request = 1;
    r.shared.settings.AAMPS_Cal_Value = SettingValue::Text(QStringLiteral("40"));
    r.feed(message(values(QStringLiteral("861"), QStringLiteral("711"), QStringLiteral("767"))));
    EXPECT_EQ(r.shared.settings.VAC_Cal, SettingValue::Number(350));
    EXPECT_EQ(r.shared.settings.AAMPS_Cal, SettingValue::Number(200));
    EXPECT_EQ(r.shared.settings.BAMPS_Cal, SettingValue::Text(QStringLiteral("256")));  // no request
    EXPECT_NEAR(r.shared.A_AMPS_Reading, 40.0, 1e-9);
    r.feed(kValid);
    EXPECT_NEAR(r.shared.VAC_Reading, 400 * 230.0 / 350, 1e-9);
    EXPECT_NEAR(r.shared.A_AMPS_Reading, 256 * 40.0 / 200, 1e-9);
    EXPECT_EQ(r.shared.settings.VAC_Cal, SettingValue::Number(350));  // the request was used once
    const LoadedSettings onDisk = readSettings(r.tmp.contents(kSettingsFile), Settings());
    EXPECT_EQ(onDisk.values.AAMPS_Cal, SettingValue::Number(200));
}

// Calibration data that allow no conversion leave the reading as it was.
struct NoConversionCase {
    const char* name;
    std::function<void(Rig&)> spoil;
    double SharedState::*reading;
};

void PrintTo(const NoConversionCase& c, std::ostream* os) { *os << c.name; }

class NoConversion : public ::testing::TestWithParam<NoConversionCase> {};

TEST_P(NoConversion, ReadingKeepsItsValue) {
    const NoConversionCase& c = GetParam();
    Rig r;
    r.shared.*c.reading = 123.0;
    c.spoil(r);
    r.feed(kValid);
    EXPECT_EQ(r.shared.*c.reading, 123.0);
    for (const char* f : {"Text100(15)", "Text100_A_CAL", "Text100_B_CAL", "Text100(2)", "Text100(3)"}) {
        EXPECT_FALSE(r.text(f).contains(QStringLiteral("inf")) || r.text(f).contains(QStringLiteral("nan")))
            << f << " " << r.text(f).toStdString();
    }
    // The channels that can convert still do.
    if (c.reading != &SharedState::VAC_Reading) {
        EXPECT_NEAR(r.shared.VAC_Reading, 240.0, 1e-9);
    }
    if (c.reading != &SharedState::A_AMPS_Reading) {
        EXPECT_NEAR(r.shared.A_AMPS_Reading, 100.0, 1e-9);
    }
}

void setVac(Rig& r, const char* calValue, const char* cal) {
    r.shared.settings.VAC_Cal_Value = SettingValue::Text(QString::fromLatin1(calValue));
    r.shared.settings.VAC_Cal = SettingValue::Text(QString::fromLatin1(cal));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, NoConversion,
    ::testing::Values(
        NoConversionCase{"NoOptionSelected",
                         [](Rig& r) { r.fields.setChecked(QStringLiteral("Option_240vac"), false); },
                         &SharedState::VAC_Reading},
        NoConversionCase{"VacCalValueZero", [](Rig& r) { setVac(r, "0", "400"); }, &SharedState::VAC_Reading},
        NoConversionCase{"VacCalValueText", [](Rig& r) { setVac(r, "abc", "400"); }, &SharedState::VAC_Reading},
        NoConversionCase{"VacCalValueEmpty", [](Rig& r) { setVac(r, "", "400"); }, &SharedState::VAC_Reading},
        NoConversionCase{"VacCalZero", [](Rig& r) { setVac(r, "240", "0"); }, &SharedState::VAC_Reading},
        NoConversionCase{"VacCalNegative", [](Rig& r) { setVac(r, "240", "-400"); }, &SharedState::VAC_Reading},
        NoConversionCase{"VacCalTiny", [](Rig& r) { setVac(r, "1e300", "1e-300"); },
                         &SharedState::VAC_Reading},
        NoConversionCase{"PhaseCalZero",
                         [](Rig& r) { r.shared.settings.AAMPS_Cal = SettingValue::Number(0); },
                         &SharedState::A_AMPS_Reading},
        NoConversionCase{"PhaseCalValueText",
                         [](Rig& r) { r.shared.settings.AAMPS_Cal_Value = SettingValue::Text("abc"); },
                         &SharedState::A_AMPS_Reading},
        // Calibrating while the meter sends nothing usable gives a constant of -511.
        NoConversionCase{"CalibratedOnGlitch",
                         [](Rig& r) {
                             r.shared.VAC_Cal_Request = 1;
                             r.feed(message(QStringLiteral("V!")));
                         },
                         &SharedState::VAC_Reading}),
    [](const auto& info) { return std::string(info.param.name); });

// After "e" an open section takes the next "e" too, so the stream can spell
// "1e308": the conversion overflows, and the reading (shown every time in
// Text100_A_CAL) keeps its value instead of taking an infinite one.
TEST(MeterDecoder, OverflowingConversionKeepsReading) {
    Rig r;
    r.feed(kValid);
    r.feed(message(QStringLiteral("A1")).chopped(1) + QStringLiteral("ee308!"));
    EXPECT_EQ(r.shared.A_AMPS_Reading, 100.0);
    EXPECT_EQ(r.text("Text100_A_CAL"), "100.00");
}

TEST(MeterDecoder, OptionSelectedLaterStartsConversion) {
    Rig r;
    r.fields.setChecked(QStringLiteral("Option_240vac"), false);
    r.feed(kValid);
    EXPECT_EQ(r.shared.VAC_Reading, 0.0);
    r.fields.setChecked(QStringLiteral("Option_120vac"), true);
    r.shared.settings.VAC_Cal_Value = SettingValue::Text(QStringLiteral("120"));
    r.feed(kValid);
    EXPECT_NEAR(r.shared.VAC_Reading, 120.0, 1e-9);
}

struct CapCase {
    const char* name;
    int digits;
    bool accepted;
};

void PrintTo(const CapCase& c, std::ostream* os) { *os << c.name; }

class ValueCap : public ::testing::TestWithParam<CapCase> {};

TEST_P(ValueCap, LongValueSectionIsDropped) {
    Rig r;
    r.shared.settings.AAMPS_Cal_Value = SettingValue::Text(QStringLiteral("50"));
    const QString digits = QString(GetParam().digits - 3, u'0') + QStringLiteral("767");
    // After a dropped section its "!" is ignored, and the next section counts.
    r.feed(message(QStringLiteral("A") + digits + QStringLiteral("!B639!")));
    EXPECT_LE(r.dec.fieldLength(), MeterDecoder::kMaxValueChars);
    EXPECT_EQ(r.shared.A_AMPS_Reading, GetParam().accepted ? 50.0 : 0.0);
    EXPECT_NEAR(r.shared.B_AMPS_Reading, 50.0, 1e-9);
}

INSTANTIATE_TEST_SUITE_P(Cases, ValueCap,
                         ::testing::Values(CapCase{"AtCap", 32, true}, CapCase{"PastCap", 33, false}),
                         [](const auto& info) { return std::string(info.param.name); });

// Hostile input: no crash, no unbounded buffer, never a reading that is not finite.
void expectSane(const Rig& r) {
    EXPECT_LE(r.dec.fieldLength(), MeterDecoder::kMaxValueChars);
    EXPECT_TRUE(std::isfinite(r.shared.VAC_Reading));
    EXPECT_TRUE(std::isfinite(r.shared.A_AMPS_Reading));
    EXPECT_TRUE(std::isfinite(r.shared.B_AMPS_Reading));
    for (const char* f : {"Text100(15)", "Text100_A_CAL", "Text100_B_CAL", "Text100(2)", "Text100(3)", "Text100(4)"})
    {
        const QString t = r.text(f);
        EXPECT_LE(t.size(), 40) << f;
        EXPECT_FALSE(t.contains(QLatin1String("inf"), Qt::CaseInsensitive) ||
                     t.contains(QLatin1String("nan"), Qt::CaseInsensitive))
            << f << " " << t.toStdString();
    }
}

TEST(MeterDecoder, HostileStreams) {
    const QString digits100k(100000, u'7');
    const QString head = message(QString()).chopped(1);  // both waveforms, values to come
    const std::vector<std::pair<const char*, QString>> streams = {
        {"value without !", head + u'V' + digits100k},
        {"waveform of endless digits", u'v' + QString(100000, u'0')},
        {"waveform of large digits", u'v' + digits100k},
        {"huge value", head + QStringLiteral("V99999999999999999999999!A99999999999999999999999!e")},
        // After "e" the open section takes the next "e": "1e308" overflows the conversion.
        {"voltage exponent after end", head + QStringLiteral("V1ee308!")},
        {"phase exponent after end", head + QStringLiteral("A1ee308!")},
        {"nested sections", head + u'V' + u'A' + digits100k.left(20) + QStringLiteral("B!A!!e")},
        {"letters only", QString(100000, u'v')},
        {"non-latin", head + QString::fromUtf8("V\u00e9\u4e2d\U0001F600\u0661\u0662!e")},
    };
    for (const auto& [name, stream] : streams) {
        SCOPED_TRACE(name);
        Rig r;
        r.feed(kValid);
        // In one slot and in slots of 1000 characters.
        r.feed(stream);
        expectSane(r);
        for (qsizetype i = 0; i < stream.size(); i += 1000) {
            r.feed(stream.mid(i, 1000));
            ASSERT_LE(r.dec.fieldLength(), MeterDecoder::kMaxValueChars);
        }
        expectSane(r);
        EXPECT_NEAR(r.shared.VAC_Reading, 240.0, 1e-9);  // nothing here is a plausible reading
        r.feed(QStringLiteral("!!e"));
        r.feed(message(values(QStringLiteral("861"), QStringLiteral("639"), QStringLiteral("639"))));
        EXPECT_NEAR(r.shared.VAC_Reading, 210.0, 1e-9) << "decoder recovers";
    }
}

TEST(MeterDecoder, RandomStreams) {
    std::mt19937 rng(20240611);
    const QString alphabet = QStringLiteral("vaVABe!0123456789 .-x");
    for (int round = 0; round < 16; ++round) {
        Rig r;
        r.dec.setVacGood(240.0);
        QString stream;
        const bool bytes = round % 2 == 0;
        for (int i = 0; i < 8000; ++i) {
            stream += bytes ? QChar(char16_t(rng() % 256)) : alphabet[rng() % alphabet.size()];
        }
        qsizetype pos = 0;
        while (pos < stream.size()) {
            const qsizetype len = 1 + rng() % 300;
            r.feed(stream.mid(pos, len));
            pos += len;
            ASSERT_LE(r.dec.fieldLength(), MeterDecoder::kMaxValueChars);
        }
        expectSane(r);
        // Untouched (0), the nominal fallback, or an accepted reading.
        EXPECT_TRUE(r.shared.VAC_Reading == 0.0 || r.shared.VAC_Reading == 240.0 || (r.shared.VAC_Reading > 0 && r.shared.VAC_Reading < 300))
            << r.shared.VAC_Reading << " round " << round;
        EXPECT_TRUE(r.shared.A_AMPS_Reading == 0.0 ||
                    (r.shared.A_AMPS_Reading > 0 && r.shared.A_AMPS_Reading < 210));
    }
}

}  // namespace
}  // namespace kelvora
