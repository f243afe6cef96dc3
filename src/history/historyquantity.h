#pragma once
#include "model/datafiles.h"
#include "model/minuterecord.h"
#include "model/windowstate.h"

#include <QString>
#include <array>

namespace kelvora {

// The eight history files of a quantity keep the last 1, 4, 8, 12, 24 and 48
// hours, 7 and 14 days, one point per minute; they are updated in this order.
struct HistorySpan {
    int hours;
    int capacity;  // records: one per minute
};
inline constexpr std::array<HistorySpan, WindowState::kHistorySpans> kHistorySpans = {{
    {1, 60}, {4, 240}, {8, 480}, {12, 720}, {24, 1440}, {48, 2880}, {168, 10080}, {336, 20160}}};

// What sets one quantity's history apart from the others'.
struct HistoryQuantity {
    QString name;            // "KW", "A_AMPS", ...: the prefix of its variables
    QString fileQuantity;    // "KW" in "4KWhr.dat"
    double MinuteRecord::*value;  // the minute mean it records
    QString window;          // the window that shows it
    std::optional<int> WindowState::*period;
    WindowState::HistoryBusy WindowState::*busy;

    QString file(const HistorySpan& span) const { return files::history(span.hours, fileQuantity); }
};

// KW, phase A, phase B and voltage, in the order the minute reaches them.
inline const std::array<HistoryQuantity, 4>& historyQuantities() {
    static const std::array<HistoryQuantity, 4> all = {{
        {QStringLiteral("KW"), QStringLiteral("KW"), &MinuteRecord::kw,
         QStringLiteral("KW_HistoryTrend"), &WindowState::KW_Hist_Period, &WindowState::KW_Hist_Busy},
        {QStringLiteral("A_AMPS"), QStringLiteral("A"), &MinuteRecord::ampsA,
         QStringLiteral("A_AMPS_HistoryTrend"), &WindowState::A_AMPS_Hist_Period, &WindowState::A_AMPS_Hist_Busy},
        {QStringLiteral("B_AMPS"), QStringLiteral("B"), &MinuteRecord::ampsB,
         QStringLiteral("B_AMPS_HistoryTrend"), &WindowState::B_AMPS_Hist_Period, &WindowState::B_AMPS_Hist_Busy},
        {QStringLiteral("VAC"), QStringLiteral("V"), &MinuteRecord::volts,
         QStringLiteral("VAC_HistoryTrend"), &WindowState::VAC_Hist_Period, &WindowState::VAC_Hist_Busy},
    }};
    return all;
}

}  // namespace kelvora
