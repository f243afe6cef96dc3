#include "measure/measurement.h"

#include "model/fieldmodel.h"
#include "model/savedtotals.h"
#include "model/sharedstate.h"
#include "common/clock.h"
#include "common/format.h"
#include "common/numeric.h"
#include "common/records.h"
#include "common/timestamp.h"

#include <QtGlobal>
#include <algorithm>
#include <cmath>
#include <iterator>

namespace kelvora {
namespace {

// The numeric value of a reading's text form: a reading that is not a finite
// number has no numeric text and counts as 0.
double readingValue(double v) { return std::isfinite(v) ? v : 0.0; }

// A computed value that ran out of the range of doubles (only absurd inputs get
// there) counts as 0, so that it cannot stay in a running total or a file.
double finiteOrZero(double v, const char* what) {
    if (std::isfinite(v)) return v;
    qWarning("%s is out of range; taken as 0", what);
    return 0.0;
}

QString text100(int i) { return arrayName("Text100", i); }

// Energy of one minute in KWH: the one-minute file keeps enough decimals that
// a small steady load (240 W gives .004 KWH a minute) does not read as zero.
constexpr auto kKwhMinutePattern = u"##.######";
constexpr auto kMeanPattern = u"##0.0";

}  // namespace

Measurement::Measurement(SharedState& state, FieldModel& fields, const DataDir& dir, const Clock& clock)
    : state_(state), fields_(fields), dir_(dir), clock_(clock) {}

void Measurement::showGroupMean(const AveragerStep& step, int textIndex) {
    if (step.groupCompleted) fields_.setText(text100(textIndex), formatNumber(step.groupMean, kMeanPattern));
}

void Measurement::Process_VAC_Reading(double reading) {
    const AveragerStep step = vac_.add(reading);
    showGroupMean(step, 2);
    if (step.cycleCompleted) state_.VAC_Avg = step.cycleAverage;
}

void Measurement::Process_A_AMPS_Reading(double reading) {
    const AveragerStep step = a_.add(reading);
    showGroupMean(step, 3);
    if (step.cycleCompleted) state_.A_AMPS_Avg = step.cycleAverage;
}

void Measurement::Process_B_AMPS_Reading(double reading) {
    // Phase B is the clock of the measurement cycle. The labels show the
    // count after this reading and the group means collected before its group
    // completes.
    const AveragerStep step = b_.add(reading);
    fields_.setText(QStringLiteral("Label4"), QString::number(step.position));
    fields_.setText(QStringLiteral("Label5"), QString::number(step.groupsBefore));
    if (step.position == 1 && step.groupsBefore == 0)
        fields_.setText(QStringLiteral("Label6"), stampTime(clock_.now().time()));
    Calc_Real_Power();
    showGroupMean(step, 4);
    if (step.cycleCompleted) {
        state_.B_AMPS_Avg = step.cycleAverage;
        state_.Minute_Flag = 1;
    }
}

void Measurement::Calc_Real_Power() {
    PowerWindow& p = power_;
    p.Inst_Voltage = readingValue(state_.VAC_Reading);
    p.Inst_Current = readingValue(state_.A_AMPS_Reading) + readingValue(state_.B_AMPS_Reading);

    p.Inst_Power = p.Inst_Voltage * p.Inst_Current;
    p.Sum_Inst_Power += p.Inst_Power;
    p.Samples += 1;
    p.Real_Power = p.Sum_Inst_Power / p.Samples;

    p.Squared_Voltage = p.Inst_Voltage * p.Inst_Voltage;
    p.Sum_Squared_Voltage += p.Squared_Voltage;
    p.Mean_Square_Voltage = p.Sum_Squared_Voltage / p.Samples;
    p.RMS_Voltage = std::sqrt(p.Mean_Square_Voltage);

    p.Squared_Current = p.Inst_Current * p.Inst_Current;
    p.Sum_Squared_Current += p.Squared_Current;
    p.Mean_Square_Current = p.Sum_Squared_Current / p.Samples;
    p.RMS_Current = std::sqrt(p.Mean_Square_Current);

    p.Apparent_Power = p.RMS_Current * p.RMS_Voltage;
    if (p.Apparent_Power == 0) p.Apparent_Power = 1;
    p.Power_Factor = p.Real_Power / p.Apparent_Power;

    // Comparisons with a value that is not a number are false, so absurd
    // readings never reach the extremes.
    if (p.Power_Factor > p.PF_Hi) p.PF_Hi = p.Power_Factor;
    if (p.Power_Factor > 0 && p.Power_Factor < p.PF_Lo) p.PF_Lo = p.Power_Factor;

    const struct {
        double value;
        const char16_t* pattern;
    } shown[] = {
        {p.Inst_Voltage, u"###.0"},
        {p.Inst_Current, u"###.0"},
        {p.Inst_Power, u"##,###.0"},
        {p.Sum_Inst_Power, u"##,###.0"},
        {p.Real_Power, u"##,###.0"},
        {p.Squared_Voltage, u"#,###.0"},
        {p.Sum_Squared_Voltage, u"#,###.0"},
        {p.Mean_Square_Voltage, u"#,###.0"},
        {p.RMS_Voltage, u"#,###.0"},
        {p.Squared_Current, u"#,###.0"},
        {p.Sum_Squared_Current, u"#,###.0"},
        {p.Mean_Square_Current, u"#,###.0"},
        {p.RMS_Current, u"#,###.0"},
        {p.Apparent_Power, u"##,###.0"},
        {p.Power_Factor, u"0.00"},
    };
    for (int i = 0; i < int(std::size(shown)); ++i)
        fields_.setText(arrayName("Text4", i), formatNumber(shown[i].value, shown[i].pattern));
    fields_.setText(arrayName("Label40", 0), formatNumber(p.PF_Hi, u"0.00"));
    fields_.setText(arrayName("Label40", 1), formatNumber(p.PF_Lo, u"0.00"));
    fields_.setText(arrayName("Label40", 2), QString::number(p.Samples));

    if (p.Samples >= 5) {
        p.Samples = 0;
        p.Sum_Inst_Power = 0;
        p.Sum_Squared_Voltage = 0;
        p.Sum_Squared_Current = 0;
    }
}

void Measurement::resetPowerFactor() {
    power_.PF_Hi = 0;
    power_.PF_Lo = 2;
}

void Measurement::KW_Update() {
    // The values as shown: the latest group means, or the decoder's first
    // reading before the first group completes.
    state_.Cur_VAC = numericValue(fields_.text(text100(2)));
    state_.Cur_A_AMPS = numericValue(fields_.text(text100(3)));
    state_.Cur_B_AMPS = numericValue(fields_.text(text100(4)));

    state_.Cur_AMPS = finiteOrZero(state_.Cur_A_AMPS + state_.Cur_B_AMPS, "Cur_AMPS");
    fields_.setText(text100(0), formatNumber(state_.Cur_AMPS, u"##0.0#"));
    state_.Cur_KW = finiteOrZero(state_.Cur_VAC * (state_.Cur_A_AMPS + state_.Cur_B_AMPS) / 1000, "Cur_KW");
    fields_.setText(text100(1), formatNumber(state_.Cur_KW, u"###0.0"));

    dir_.writeRecords(files::MeterKWS,
                      {{Field::Number(std::floor(state_.Cur_KW)),
                        Field::Number(std::floor(state_.Cur_AMPS)),
                        Field::Number(state_.Cur_VAC),
                        Field::Number(state_.Cur_KW),
                        Field::Number(state_.Cur_AMPS),
                        Field::Number(state_.Cur_VAC),
                        Field::Text(fields_.text(text100(13))),
                        Field::Text(fields_.text(text100(14))),
                        Field::Text(fields_.text(text100(8))),
                        Field::Text(fields_.text(text100(12)))}});

    sums_.Minute_Count += 1;
    sums_.Minute_VAC_Sum = finiteOrZero(sums_.Minute_VAC_Sum + state_.Cur_VAC, "Minute_VAC_Sum");
    sums_.Minute_A_Sum = finiteOrZero(sums_.Minute_A_Sum + state_.Cur_A_AMPS, "Minute_A_Sum");
    sums_.Minute_B_Sum = finiteOrZero(sums_.Minute_B_Sum + state_.Cur_B_AMPS, "Minute_B_Sum");
    sums_.Minute_KW_Sum = finiteOrZero(sums_.Minute_KW_Sum + state_.Cur_KW, "Minute_KW_Sum");
}

MinuteRecord Measurement::KW_Minute_Update() {
    MinuteRecord minute;
    minute.stamp = clock_.now();
    // Energy of the minute from the 30-reading cycle averages (volt-amps to
    // KW is /1000, one minute of an hour /60).
    minute.kwh = finiteOrZero(state_.VAC_Avg * (state_.A_AMPS_Avg + state_.B_AMPS_Avg) / 60000, "KWH_Minute");
    // The minute is booked at the price of its own stamp, so a band that
    // starts while the step waits changes nothing already measured.
    const std::optional<double> tariffPrice = priceAt_ ? priceAt_(minute.stamp) : std::nullopt;
    state_.Cost_per_KWH = tariffPrice ? *tariffPrice : numericValue(fields_.text(text100(7)));
    minute.cost = finiteOrZero(minute.kwh * state_.Cost_per_KWH, "the minute's cost");
    addToTotals(minute);

    // Minute_Count is at least 1 here, as KW_Update runs earlier in the same
    // tick; should the step run without one, the means are 0, not a division by 0.
    const int n = sums_.Minute_Count;
    minute.kw = n > 0 ? sums_.Minute_KW_Sum / n : 0.0;
    minute.ampsA = n > 0 ? sums_.Minute_A_Sum / n : 0.0;
    minute.ampsB = n > 0 ? sums_.Minute_B_Sum / n : 0.0;
    minute.volts = n > 0 ? sums_.Minute_VAC_Sum / n : 0.0;
    writeMinuteFiles(minute);
    resetMinuteSums();
    return minute;
}

void Measurement::addToTotals(const MinuteRecord& minute) {
    // The totals move in memory whether or not the files can be written; the
    // writer keeps what it could not save and saves it when the disk allows.
    const double kwh = state_.Total_KWH_Saved + minute.kwh;
    if (std::isfinite(kwh)) state_.Total_KWH_Saved = kwh;
    else qWarning("Total_KWH_Saved is out of range; left as it was");
    const double dollars = state_.Total_Cost_Saved + minute.cost;
    if (std::isfinite(dollars)) state_.Total_Cost_Saved = dollars;
    else qWarning("Total_Cost_Saved is out of range; left as it was");
    // The lifetime total only grows: a minute that reads as negative energy
    // (a miswired channel) adds nothing.
    const double lifetime = state_.Lifetime_KWH + std::max(minute.kwh, 0.0);
    if (std::isfinite(lifetime)) state_.Lifetime_KWH = lifetime;
    fields_.setText(text100(5), formatMoney(state_.Total_Cost_Saved, u"$##0.00", currencySymbol(state_.settings)));
    fields_.setText(text100(6), formatNumber(state_.Total_KWH_Saved, u"###0.0"));
}

// The one-minute files are written for whoever reads them; no step of this
// program reads them back. They and the totals go to the disk as one batch.
void Measurement::writeMinuteFiles(const MinuteRecord& minute) {
    const auto quoted = [](double value, const char16_t* pattern) {
        return recordLines({{Field::Text(formatNumber(value, pattern))}});
    };
    QList<WholeFile> batch = {
        {files::KWH_1m, quoted(minute.kwh, kKwhMinutePattern)},
        {files::KW_1m, quoted(minute.kw, kMeanPattern)},
        {files::AAMP_1m, quoted(minute.ampsA, kMeanPattern)},
        {files::BAMP_1m, quoted(minute.ampsB, kMeanPattern)},
        {files::VAC_1m, quoted(minute.volts, kMeanPattern)},
        {files::KWH_last_data,
         kwhLastDataContent(state_.Total_KWH_Saved, state_.Total_Cost_Saved, state_.Cost_per_KWH)},
    };
    if (auto lifetime = lifetimeKwhContent(state_.Lifetime_KWH)) batch << WholeFile{files::KWH_lifetime, *lifetime};
    dir_.writeBatch(batch);
}

void Measurement::resetMinuteSums() { sums_ = MinuteSums{}; }

}  // namespace kelvora
