#pragma once
#include "model/datafiles.h"
#include "model/sharedstate.h"
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
    QString minuteFile;      // the one-minute file it records
    int SharedState::*ready; // the ready flag of that file
    QString window;          // the window that shows it
    std::optional<int> WindowState::*period;
    WindowState::HistoryBusy WindowState::*busy;

    QString file(const HistorySpan& span) const { return files::history(span.hours, fileQuantity); }
};

// KW, phase A, phase B and voltage, in the order the one-second tick runs them.
inline const std::array<HistoryQuantity, 4>& historyQuantities() {
    static const std::array<HistoryQuantity, 4> all = {{
        {QStringLiteral("KW"), QStringLiteral("KW"), files::KW_1m, &SharedState::KW_1m_Ready,
         QStringLiteral("KW_HistoryTrend"), &WindowState::KW_Hist_Period, &WindowState::KW_Hist_Busy},
        {QStringLiteral("A_AMPS"), QStringLiteral("A"), files::AAMP_1m, &SharedState::AAMP_1m_Ready,
         QStringLiteral("A_AMPS_HistoryTrend"), &WindowState::A_AMPS_Hist_Period, &WindowState::A_AMPS_Hist_Busy},
        {QStringLiteral("B_AMPS"), QStringLiteral("B"), files::BAMP_1m, &SharedState::BAMP_1m_Ready,
         QStringLiteral("B_AMPS_HistoryTrend"), &WindowState::B_AMPS_Hist_Period, &WindowState::B_AMPS_Hist_Busy},
        {QStringLiteral("VAC"), QStringLiteral("V"), files::VAC_1m, &SharedState::VAC_1m_Ready,
         QStringLiteral("VAC_HistoryTrend"), &WindowState::VAC_Hist_Period, &WindowState::VAC_Hist_Busy},
    }};
    return all;
}

}  // namespace kelvora
