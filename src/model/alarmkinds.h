#pragma once
#include <QString>
#include <array>
#include <optional>

namespace kelvora {

// The alarms the household is told about. Phase A and phase B share their
// limits but each has a state of its own.
enum class AlarmKind { PhaseA, PhaseB, Voltage, Power, EnergyToday, CostToday, Link, Disk };
inline constexpr int kAlarmKindCount = 8;

struct AlarmKindInfo {
    AlarmKind kind;
    const char* objectId;  // the hub's object id and the topic level
    const char* name;      // as alarms.log and the strip name it ("phase A")
    const char* title;     // the hub's name of the binary sensor
};

inline constexpr std::array<AlarmKindInfo, kAlarmKindCount> kAlarmKinds = {{
    {AlarmKind::PhaseA, "alarm_phase_a", "phase A", "Phase A overload"},
    {AlarmKind::PhaseB, "alarm_phase_b", "phase B", "Phase B overload"},
    {AlarmKind::Voltage, "alarm_voltage", "voltage", "Supply voltage out of range"},
    {AlarmKind::Power, "alarm_power", "power", "Power above limit"},
    {AlarmKind::EnergyToday, "alarm_energy_today", "energy today", "Energy today above limit"},
    {AlarmKind::CostToday, "alarm_cost_today", "cost today", "Cost today above limit"},
    {AlarmKind::Link, "alarm_link", "meter link", "Meter link lost"},
    {AlarmKind::Disk, "alarm_disk", "saving data", "Saving data fails"},
}};

inline const AlarmKindInfo& alarmInfo(AlarmKind kind) { return kAlarmKinds[static_cast<int>(kind)]; }
inline QString alarmName(AlarmKind kind) { return QString::fromLatin1(alarmInfo(kind).name); }

// The kind whose name starts a text of alarms.log ("phase A: 168.2 A ...").
inline std::optional<AlarmKind> alarmKindOfText(const QString& text) {
    for (const AlarmKindInfo& k : kAlarmKinds)
        if (text.startsWith(QLatin1String(k.name) + QLatin1Char(':'))) return k.kind;
    return std::nullopt;
}

}  // namespace kelvora
