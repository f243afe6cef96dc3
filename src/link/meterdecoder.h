#pragma once
#include "model/fieldmodel.h"
#include "model/sharedstate.h"
#include "common/datadir.h"

#include <QString>
#include <array>
#include <optional>

namespace kelvora {

// Reads the meter controller's text stream, one receive slot at a time, and
// keeps its parsing state from slot to slot. A message is
//   "v" + 25 four-character voltage samples + "a" + 25 current samples
//   + value sections "V<digits>!", "A<digits>!", "B<digits>!" in any order + "e".
// The decoder writes the two waveform files, converts the raw values into volts
// and amps with the calibration settings (applying a pending calibration),
// rejects implausible values, and raises New_Message at "e".
//
// The stream is untrusted: every buffer is bounded, and a reading never takes
// a value that is not a finite number.
class MeterDecoder {
public:
    static constexpr int kSamples = 25;
    // A value section holds a few digits on a sound stream; a longer one is dropped.
    static constexpr qsizetype kMaxValueChars = 32;

    MeterDecoder(SharedState& shared, FieldModel& fields, const DataDir& dir);

    // Decodes one receive slot.
    void DecodeMeterMessage(const QString& slot);
    // The nominal voltage from the mains option (120 or 240), or empty when
    // the option is neither: the fallback when the first voltage is rejected.
    void setVacGood(std::optional<double> volts);

    qsizetype fieldLength() const { return Field_Text.size(); }
    int msgState() const { return Msg_State; }

private:
    enum Channel { Vac = 0, PhaseA = 1, PhaseB = 2 };

    // What the decoder keeps of one value channel.
    struct ChannelState {
        bool inValue = false;        // In_VAC_Value / In_A_Value / In_B_Value
        double raw = 0;              // VAC_Raw / A_Raw / B_Raw
        double rawGood = 0;          // last accepted raw value (0 until one is)
        std::optional<double> good;  // last accepted reading (empty until one is)
        bool shown = false;          // VAC_Shown / A_Shown / B_Shown
    };

    // One waveform being collected.
    struct Wave {
        QString fileName;
        bool active = false;  // In_VAC_Wave / In_A_Wave
        std::array<QString, kSamples> buf;
    };

    void decodeChar(QChar c);
    bool messageLetter(QChar c);
    bool waveRule(Wave& wave, QChar letter, QChar c);
    bool valueRule(Channel ch, QChar letter, QChar c);

    void clearField();
    void startWave(Wave& wave);
    void waveStep(Wave& wave, QChar c);
    void writeWave(const Wave& wave);

    void openValue(Channel ch);
    void valueStep(Channel ch, QChar c);
    void endValue(Channel ch);
    void glitchFilter(Channel ch);
    void updateVacMult();
    void applyCalibration(Channel ch);
    std::optional<double> convert(Channel ch) const;
    void showCalReading(Channel ch);
    void checkPlausible(Channel ch);

    double& reading(Channel ch);

    SharedState& shared_;
    FieldModel& fields_;
    DataDir dir_;

    int Msg_State = 0;
    QString Field_Text;
    int Digit_Count = 0;
    int Sample_Index = 0;
    Wave vacWave_;
    Wave aWave_;
    std::array<ChannelState, 3> channels_;
    std::optional<int> VAC_Mult;  // 1 for 120 VAC, 2 for 240 VAC; unset until an option is seen
};

}  // namespace kelvora
