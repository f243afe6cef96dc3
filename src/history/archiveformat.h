#pragma once
#include "model/minuterecord.h"

#include <QByteArray>
#include <QtGlobal>
#include <optional>
#include <string_view>

namespace kelvora {

// The lines of the minute archive. A minute line holds the minute record's
// values; an hour line the summary of one hour's minutes. Stamps are ISO 8601
// local time with seconds and the offset from UTC
// ("2026-12-08T17:31:02-05:00"), so the two 1 AM hours of the night the
// clocks go back stay apart. Numbers use the point in every locale.

// A moment as the archive keeps it: milliseconds since the epoch and the
// local offset from UTC in force then.
struct ArchiveStamp {
    qint64 ms = 0;
    int offsetSeconds = 0;
};

struct YearMonth {
    int year = 0;
    int month = 0;
    friend bool operator==(const YearMonth&, const YearMonth&) = default;
    friend auto operator<=>(const YearMonth&, const YearMonth&) = default;
    YearMonth next() const { return month == 12 ? YearMonth{year + 1, 1} : YearMonth{year, month + 1}; }
    YearMonth previous() const { return month == 1 ? YearMonth{year - 1, 12} : YearMonth{year, month - 1}; }
};

ArchiveStamp archiveStamp(const QDateTime& when);
QByteArray isoStamp(ArchiveStamp stamp);
// Exactly the form isoStamp writes ("Z" is taken for +00:00); anything else
// is refused.
std::optional<ArchiveStamp> parseIsoStamp(std::string_view text);
// The start of the local hour that holds the moment.
qint64 localHourStart(ArchiveStamp stamp);
// The local calendar month of the moment.
YearMonth localMonth(ArchiveStamp stamp);

inline constexpr std::string_view kMinuteHeader = "time,volts,amps_a,amps_b,kw,kwh,cost";
inline constexpr std::string_view kHourHeader =
    "time,kwh,cost,kw_min,kw_mean,kw_max,volts_min,volts_max,amps_a_max,amps_b_max";

// One minute as read back: compact, since years of them may be in memory.
struct MinutePoint {
    qint64 ms = 0;
    float volts = 0, ampsA = 0, ampsB = 0, kw = 0, kwh = 0, cost = 0;
    qint16 offsetMinutes = 0;  // the local offset from UTC of the stamp
    ArchiveStamp stamp() const { return {ms, offsetMinutes * 60}; }
};

struct HourSummary {
    ArchiveStamp start;
    double kwh = 0, cost = 0;
    double kwMin = 0, kwMean = 0, kwMax = 0;
    double voltsMin = 0, voltsMax = 0;
    double ampsAMax = 0, ampsBMax = 0;
};

// Lines without their CR LF.
QByteArray minuteLine(const MinuteRecord& record);
QByteArray hourLine(const HourSummary& hour);
// Nothing for a damaged line (wrong field count, a field that is no number,
// a bad stamp, a value no meter gives).
std::optional<MinutePoint> parseMinuteLine(std::string_view line);
std::optional<HourSummary> parseHourLine(std::string_view line);

}  // namespace kelvora
