#include "link/meterdecoder.h"

#include "model/settings.h"
#include "common/format.h"
#include "model/datafiles.h"
#include "common/numeric.h"

#include <cmath>

namespace kelvora {
namespace {

// A raw value counts from this zero level.
constexpr double kZeroLevel = 511;
// A partial waveform sample that spells more than this drops the waveform.
constexpr double kMaxSample = 1000;
constexpr int kSampleChars = 4;

// The fixed facts of one value channel.
struct ChannelInfo {
    char16_t letter;
    double minRaw;      // glitch limit: lower raw values are replaced
    double maxReading;  // plausibility window is 0 < reading < maxReading
    SettingValue Settings::*constant;
    SettingValue Settings::*calValue;
    int SharedState::*request;
    double SharedState::*reading;
    const char* calField;      // shows every reading (phases only)
    const char* firstField;    // shows the first accepted reading
    const char* firstPattern;
};

const std::array<ChannelInfo, 3> kChannels = {{
    {u'V', 800, 300, &Settings::VAC_Cal, &Settings::VAC_Cal_Value, &SharedState::VAC_Cal_Request,
     &SharedState::VAC_Reading, nullptr, "Text100(2)", "##0.0"},
    {u'A', 511, 210, &Settings::AAMPS_Cal, &Settings::AAMPS_Cal_Value, &SharedState::AAMPS_Cal_Request,
     &SharedState::A_AMPS_Reading, "Text100_A_CAL", "Text100(3)", "##0.00"},
    {u'B', 511, 210, &Settings::BAMPS_Cal, &Settings::BAMPS_Cal_Value, &SharedState::BAMPS_Cal_Request,
     &SharedState::B_AMPS_Reading, "Text100_B_CAL", "Text100(4)", "##0.00"},
}};

// The number a setting holds, or nothing when it holds no number (an empty
// field, "abc") or one that is not finite.
std::optional<double> numberOf(const SettingValue& v) {
    if (!v.isNumber && !startsWithNumber(v.text)) return std::nullopt;
    const double n = v.value();
    if (!std::isfinite(n)) return std::nullopt;
    return n;
}

}  // namespace

MeterDecoder::MeterDecoder(SharedState& shared, FieldModel& fields, const DataDir& dir)
    : shared_(shared), fields_(fields), dir_(dir) {
    vacWave_.fileName = files::VAC_WAVE;
    aWave_.fileName = files::A_AMP_WAVE;
}

void MeterDecoder::setVacGood(std::optional<double> volts) { channels_[Vac].good = volts; }

void MeterDecoder::DecodeMeterMessage(const QString& slot) {
    if (slot.isEmpty()) return;
    // Only the start of a slot ends the pause after "e": a "v" later in the
    // same slot does not start a message.
    if (Msg_State == 0) Msg_State = 1;
    for (const QChar c : slot) decodeChar(c);
}

// The character rules, in their order; the first that applies takes c.
void MeterDecoder::decodeChar(QChar c) {
    if (Msg_State == 1) {
        if (c != u'v') return;  // resynchronise on the next "v"
        Msg_State = 2;
    }
    if (messageLetter(c)) return;
    if (waveRule(vacWave_, u'v', c)) return;
    if (waveRule(aWave_, u'a', c)) return;
    for (const Channel ch : {Vac, PhaseA, PhaseB}) {
        if (valueRule(ch, kChannels[ch].letter, c)) return;
    }
}

// "e" ends the message; sections still open stay open.
bool MeterDecoder::messageLetter(QChar c) {
    if (c != u'e' || Msg_State != 2) return false;
    shared_.New_Message = 1;
    Msg_State = 0;
    return true;
}

bool MeterDecoder::waveRule(Wave& wave, QChar letter, QChar c) {
    if (c == letter && Msg_State == 2) {
        startWave(wave);
        return true;
    }
    if (!wave.active) return false;
    waveStep(wave, c);
    return true;
}

bool MeterDecoder::valueRule(Channel ch, QChar letter, QChar c) {
    if (c == letter && Msg_State == 2) {
        openValue(ch);
        return true;
    }
    if (!channels_[ch].inValue) return false;
    valueStep(ch, c);
    return true;
}

void MeterDecoder::clearField() {
    Field_Text.clear();
    Digit_Count = 0;
    Sample_Index = 0;
}

void MeterDecoder::startWave(Wave& wave) {
    wave.active = true;
    clearField();
}

void MeterDecoder::waveStep(Wave& wave, QChar c) {
    if (c != u'!') {
        Field_Text.append(c);
        if (numericValue(Field_Text) > kMaxSample) {  // not a sample: drop the waveform
            wave.active = false;
            clearField();
            return;
        }
        ++Digit_Count;
    }
    if (Digit_Count == kSampleChars) {
        wave.buf[Sample_Index] = Field_Text;
        ++Sample_Index;
        Field_Text.clear();
        Digit_Count = 0;
    }
    if (Sample_Index >= kSamples) {
        writeWave(wave);
        wave.active = false;
        clearField();
    }
}

// 25 lines, each sample exactly as received.
void MeterDecoder::writeWave(const Wave& wave) {
    QByteArray content;
    for (const QString& sample : wave.buf) content += sample.toUtf8() + "\r\n";
    dir_.writeWhole(wave.fileName, content);
}

void MeterDecoder::openValue(Channel ch) {
    channels_[ch].inValue = true;
    clearField();
}

void MeterDecoder::valueStep(Channel ch, QChar c) {
    if (c == u'!') {
        endValue(ch);
        return;
    }
    if (Field_Text.size() >= kMaxValueChars) {  // no raw value is this long: drop the section
        channels_[ch].inValue = false;
        clearField();
        return;
    }
    Field_Text.append(c);
    ++Digit_Count;
}

void MeterDecoder::endValue(Channel ch) {
    // An empty value counts as "0"; numericValue gives 0 for it as for any
    // text that does not start with a number.
    channels_[ch].raw = numericValue(Field_Text);
    glitchFilter(ch);
    if (ch == Vac) updateVacMult();
    applyCalibration(ch);
    const std::optional<double> converted = convert(ch);
    if (converted) reading(ch) = *converted;
    showCalReading(ch);
    if (converted) checkPlausible(ch);
    channels_[ch].inValue = false;
    clearField();
}

void MeterDecoder::glitchFilter(Channel ch) {
    ChannelState& s = channels_[ch];
    if (s.raw < kChannels[ch].minRaw) s.raw = s.rawGood;
}

// Without either option selected the multiplier keeps what it was (unset at first).
void MeterDecoder::updateVacMult() {
    if (fields_.isChecked(QStringLiteral("Option_120vac"))) VAC_Mult = 1;
    if (fields_.isChecked(QStringLiteral("Option_240vac"))) VAC_Mult = 2;
}

// A pending calibration makes the present raw value read the calibration value.
// The new constant is saved at once, so the settings file holds it.
void MeterDecoder::applyCalibration(Channel ch) {
    const ChannelInfo& info = kChannels[ch];
    int& request = shared_.*info.request;
    if (request != 1) return;
    const double amplitude = channels_[ch].raw - kZeroLevel;
    // Without a signal (no load on the phase, or nothing but glitches so far)
    // there is nothing to calibrate against, and a constant of 0 or below
    // would freeze the channel: the request waits for the next value.
    if (amplitude <= 0) return;
    shared_.settings.*info.constant = SettingValue::Number(amplitude);
    request = 0;
    saveSettings(dir_, shared_.settings);
}

// The reading of the present raw value, or nothing when the calibration data
// allow no conversion (no mains option, a calibration value of 0 or not a
// number, a constant that is not positive): the reading then keeps its value.
std::optional<double> MeterDecoder::convert(Channel ch) const {
    const ChannelInfo& info = kChannels[ch];
    const std::optional<double> constant = numberOf(shared_.settings.*info.constant);
    const std::optional<double> calValue = numberOf(shared_.settings.*info.calValue);
    if (!constant || !calValue) return std::nullopt;
    const double amplitude = channels_[ch].raw - kZeroLevel;
    double result = 0;
    if (ch == Vac) {
        if (!VAC_Mult || *calValue == 0) return std::nullopt;
        const double VAC_Factor = *constant / (*calValue / *VAC_Mult);  // counts per volt
        if (!(VAC_Factor > 0) || !std::isfinite(VAC_Factor)) return std::nullopt;
        result = amplitude * *VAC_Mult / VAC_Factor;
    } else {
        if (!(*constant > 0)) return std::nullopt;
        result = amplitude * *calValue / *constant;
    }
    if (!std::isfinite(result)) return std::nullopt;
    return result;
}

void MeterDecoder::showCalReading(Channel ch) {
    const ChannelInfo& info = kChannels[ch];
    if (!info.calField) return;
    fields_.setText(QLatin1String(info.calField), formatNumber(reading(ch), u"##0.00"));
}

// Inside the window the reading is accepted; outside it the last accepted
// reading and raw value stand again.
void MeterDecoder::checkPlausible(Channel ch) {
    const ChannelInfo& info = kChannels[ch];
    ChannelState& s = channels_[ch];
    double& r = reading(ch);
    if (!(r > 0 && r < info.maxReading)) {
        r = s.good.value_or(0);
        s.raw = s.rawGood;
        return;
    }
    s.good = r;
    s.rawGood = s.raw;
    if (ch == Vac) fields_.setText(QStringLiteral("Text100(15)"), formatNumber(r, u"##0.0"));
    if (!s.shown) {
        fields_.setText(QLatin1String(info.firstField),
                        formatNumber(r, QString::fromLatin1(info.firstPattern)));
        s.shown = true;
    }
}

double& MeterDecoder::reading(Channel ch) { return shared_.*kChannels[ch].reading; }

}  // namespace kelvora
