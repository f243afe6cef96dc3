#pragma once
#include "common/datadir.h"
#include "model/datafiles.h"
#include "model/minuterecord.h"
#include "measure/channelaverager.h"

#include <QString>
#include <functional>
#include <optional>

namespace kelvora {

class Clock;
class FieldModel;
struct SharedState;

// The power window terms that the "Calcs" tab shows.
struct PowerWindow {
    double Inst_Voltage = 0;
    double Inst_Current = 0;
    double Inst_Power = 0;
    int Samples = 0;
    double Sum_Inst_Power = 0;
    double Sum_Squared_Voltage = 0;
    double Sum_Squared_Current = 0;
    double Real_Power = 0;
    double Squared_Voltage = 0;
    double Mean_Square_Voltage = 0;
    double RMS_Voltage = 0;
    double Squared_Current = 0;
    double Mean_Square_Current = 0;
    double RMS_Current = 0;
    double Apparent_Power = 0;
    double Power_Factor = 0;
    double PF_Hi = 0;
    double PF_Lo = 2;
};

// Sums of the current values over one minute (one 30-reading cycle).
struct MinuteSums {
    int Minute_Count = 0;
    double Minute_VAC_Sum = 0;
    double Minute_A_Sum = 0;
    double Minute_B_Sum = 0;
    double Minute_KW_Sum = 0;
};

// Channel averaging, power calculation, current KW and the per-minute values.
// Runs on every decoded reading set (the Timer2 chain):
//   Process_VAC_Reading, Process_A_AMPS_Reading, Process_B_AMPS_Reading,
//   KW_Update, and KW_Minute_Update when Minute_Flag is 1.
// Writes the display texts into the field model and the shared values into
// SharedState; never touches a widget.
class Measurement {
public:
    Measurement(SharedState& state, FieldModel& fields, const DataDir& dir, const Clock& clock);

    // Group means go to Text100(2), Text100(3), Text100(4) ("##0.0"); cycle
    // averages to VAC_Avg, A_AMPS_Avg, B_AMPS_Avg. The phase B step also shows
    // Label4, Label5 and Label6, runs Calc_Real_Power and raises Minute_Flag at
    // the end of each 30-reading cycle.
    void Process_VAC_Reading(double reading);
    void Process_A_AMPS_Reading(double reading);
    void Process_B_AMPS_Reading(double reading);

    // Five-sample power window over the shared readings; Text4(0..14), Label40(0..2).
    void Calc_Real_Power();
    // The power-factor reset button: PF_Hi 0, PF_Lo 2.
    void resetPowerFactor();

    // Current amps and KW from Text100(2..4), MeterKWS.dat, minute sums.
    void KW_Update();
    // Energy and cost of the minute, totals, the one-minute files,
    // KWH_last_data.dat and the lifetime total; then the minute sums start
    // over. The minute goes on, in memory, as the record returned.
    MinuteRecord KW_Minute_Update();
    // The price per KWH in force at a moment, where a tariff sets one; where
    // it does not (or none is given), the price shown in Text100(7) holds.
    using PriceAt = std::function<std::optional<double>(const QDateTime&)>;
    void setPriceAt(PriceAt priceAt) { priceAt_ = std::move(priceAt); }

    // Start-up: the minute sums and their count start over.
    void resetMinuteSums();

    const PowerWindow& power() const { return power_; }
    const MinuteSums& minuteSums() const { return sums_; }
    const ChannelAverager& vacAverager() const { return vac_; }
    const ChannelAverager& aAverager() const { return a_; }
    const ChannelAverager& bAverager() const { return b_; }

private:
    void showGroupMean(const AveragerStep& step, int textIndex);
    void addToTotals(const MinuteRecord& minute);
    void writeMinuteFiles(const MinuteRecord& minute);

    SharedState& state_;
    FieldModel& fields_;
    DataDir dir_;
    const Clock& clock_;

    ChannelAverager vac_;
    ChannelAverager a_;
    ChannelAverager b_;
    PowerWindow power_;
    MinuteSums sums_;
    PriceAt priceAt_;
};

}  // namespace kelvora
