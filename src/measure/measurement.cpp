#include "measure/measurement.h"

#include "model/fieldmodel.h"
#include "model/sharedstate.h"
#include "common/clock.h"
#include "common/format.h"
#include "common/numeric.h"
#include "common/records.h"
#include "common/timestamp.h"

#include <QFile>
#include <QtGlobal>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <iterator>
#include <optional>
#include <utility>

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

QByteArray kwhLastDataLines(double totalKwh, double totalCost, double costPerKwh) {
    return recordLines({{Field::Text(formatNumber(totalKwh, u"###0.0")),
                         Field::Text(formatNumber(totalCost, u"##0.00")),
                         Field::Text(formatNumber(costPerKwh, u"0.###0"))}});
}

// The shortest fixed form that reads back as the same double; the record
// writer's 15 significant digits could round the total down.
std::optional<QByteArray> lifetimeKwhLine(double totalKwh) {
    char text[400];
    const auto result = std::to_chars(text, text + sizeof text, totalKwh, std::chars_format::fixed);
    if (result.ec != std::errc()) return std::nullopt;
    return QByteArray(text, result.ptr - text) + "\r\n";
}

// Digits with at most one point, as the total is written: no sign, no exponent.
bool isPlainDecimal(QStringView text) {
    int digits = 0, points = 0;
    for (QChar c : text) {
        if (c >= u'0' && c <= u'9') ++digits;
        else if (c == u'.') ++points;
        else return false;
    }
    return digits > 0 && points <= 1;
}

}  // namespace

bool writeKwhLastData(const DataDir& dir, double totalKwh, double totalCost, double costPerKwh) {
    return dir.writeWhole(files::KWH_last_data, kwhLastDataLines(totalKwh, totalCost, costPerKwh));
}

bool writeLifetimeKwh(const DataDir& dir, double totalKwh) {
    const auto line = lifetimeKwhLine(totalKwh);
    return line && dir.writeWhole(files::KWH_lifetime, *line);
}

double readLifetimeKwh(const DataDir& dir) {
    if (!dir.exists(files::KWH_lifetime)) return 0;
    const auto data = dir.read(files::KWH_lifetime);
    const QString text = data ? RecordReader(*data).next().trimmed() : QString();
    const double total = numericValue(text);
    if (isPlainDecimal(text) && std::isfinite(total)) return total;
    // The next minute would write over the damaged total: keep it aside, so
    // that a user can still put the right figure back. An earlier damaged
    // copy is kept too.
    const QString path = dir.filePath(files::KWH_lifetime);
    QString aside = path + QStringLiteral(".damaged");
    for (int n = 1; QFile::exists(aside); ++n) aside = path + QStringLiteral(".damaged.%1").arg(n);
    if (QFile::rename(path, aside))
        qWarning("%s holds no valid total; it is kept as %s and the lifetime energy starts from 0", qPrintable(path),
                 qPrintable(aside));
    else
        qWarning("%s holds no valid total and cannot be kept aside; the lifetime energy starts from 0",
                 qPrintable(path));
    return 0;
}

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

void Measurement::KW_Minute_Update() {
    // Energy of the minute from the 30-reading cycle averages (volt-amps to
    // KW is /1000, one minute of an hour /60).
    const double KWH_Minute =
        finiteOrZero(state_.VAC_Avg * (state_.A_AMPS_Avg + state_.B_AMPS_Avg) / 60000, "KWH_Minute");
    state_.Cost_per_KWH = numericValue(fields_.text(text100(7)));
    const double cost = finiteOrZero(KWH_Minute * state_.Cost_per_KWH, "the minute's cost");

    // The totals move in memory whether or not the files below can be
    // written; the next minute that can write them writes the advanced totals.
    const double kwh = state_.Total_KWH_Saved + KWH_Minute;
    if (std::isfinite(kwh)) state_.Total_KWH_Saved = kwh;
    else qWarning("Total_KWH_Saved is out of range; left as it was");
    const double dollars = state_.Total_Cost_Saved + cost;
    if (std::isfinite(dollars)) state_.Total_Cost_Saved = dollars;
    else qWarning("Total_Cost_Saved is out of range; left as it was");

    // The lifetime total only grows: a minute that reads as negative energy
    // (a miswired channel) adds nothing.
    const double lifetime = state_.Lifetime_KWH + std::max(KWH_Minute, 0.0);
    if (std::isfinite(lifetime)) state_.Lifetime_KWH = lifetime;

    fields_.setText(text100(5), formatNumber(state_.Total_Cost_Saved, u"$##0.00"));
    fields_.setText(text100(6), formatNumber(state_.Total_KWH_Saved, u"###0.0"));

    lastKwhMinute_ = KWH_Minute;
    // The minute's seven files go to the disk together: one wait instead of
    // seven on the thread that draws the window. A ready flag is raised only
    // for a file that was really rewritten: its reader would otherwise take
    // the previous minute's value a second time.
    QList<DataDir::WholeFile> batch;
    QList<int*> readyFlags;
    const auto add = [&](const QString& name, QByteArray content, int* ready) {
        batch << DataDir::WholeFile{name, std::move(content)};
        readyFlags << ready;
    };
    add(files::KWH_1m, recordLines({{Field::Text(formatNumber(KWH_Minute, kKwhMinutePattern))}}),
        &state_.KWH_1m_Ready);

    // Minute_Count is at least 1 here, as KW_Update runs earlier in the same
    // tick; should the step run without one, the means are 0, not a division by 0.
    const int n = sums_.Minute_Count;
    const double kwMean = n > 0 ? sums_.Minute_KW_Sum / n : 0.0;
    const double aMean = n > 0 ? sums_.Minute_A_Sum / n : 0.0;
    const double bMean = n > 0 ? sums_.Minute_B_Sum / n : 0.0;
    const double vacMean = n > 0 ? sums_.Minute_VAC_Sum / n : 0.0;
    sums_.Minute_Count = 0;

    const struct {
        const QString& file;
        double mean;
        int& ready;
    } minuteFiles[] = {
        {files::KW_1m, kwMean, state_.KW_1m_Ready},
        {files::AAMP_1m, aMean, state_.AAMP_1m_Ready},
        {files::BAMP_1m, bMean, state_.BAMP_1m_Ready},
        {files::VAC_1m, vacMean, state_.VAC_1m_Ready},
    };
    for (const auto& f : minuteFiles)
        add(f.file, recordLines({{Field::Text(formatNumber(f.mean, kMeanPattern))}}), &f.ready);
    add(files::KWH_last_data, kwhLastDataLines(state_.Total_KWH_Saved, state_.Total_Cost_Saved, state_.Cost_per_KWH),
        nullptr);
    if (auto line = lifetimeKwhLine(state_.Lifetime_KWH)) add(files::KWH_lifetime, std::move(*line), nullptr);

    const QList<bool> written = dir_.writeBatch(batch);
    for (qsizetype i = 0; i < written.size(); ++i)
        if (written[i] && readyFlags[i]) *readyFlags[i] = 1;

    resetMinuteSums();
}

void Measurement::resetMinuteSums() { sums_ = MinuteSums{}; }

}  // namespace kelvora
