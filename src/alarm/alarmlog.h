#pragma once
#include "alarm/alarmengine.h"
#include "common/datadir.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <optional>

namespace kelvora {

// alarms.log: one line per start ("Restart Program") and one per raise and
// clear of an alarm, each as date, time and text joined by two blanks:
//   12/8/2026  5:31:02 PM  ALARM phase A: 168.2 A over 160 A (80 % of 200 A)
QByteArray alarmLogLine(const AlarmEvent& event);
bool appendAlarmLog(const DataDir& dir, const AlarmEvent& event);

// One line of alarms.log read back.
struct AlarmLogEntry {
    enum class Type { Alarm, Clear, Restart, Other };
    QDateTime when;
    Type type = Type::Other;
    std::optional<AlarmKind> kind;  // for Alarm and Clear
    QString text;                   // the text after ALARM or CLEAR, or the whole text
};
// The lines that carry a stamp, in file order; others are skipped.
QList<AlarmLogEntry> parseAlarmLog(const QByteArray& content);
QString alarmLogTypeText(AlarmLogEntry::Type type);

// A spreadsheet's view of entries: a header line, then ISO 8601 stamp, event,
// alarm and text per line.
QByteArray alarmLogCsv(const QList<AlarmLogEntry>& entries);

}  // namespace kelvora
