#pragma once
#include "history/archivestore.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

namespace kelvora {

// What the explorer charts from the archive, and how a range of any length
// becomes a picture of a given width.

enum class ArchiveQuantity { Kw, AmpsA, AmpsB, Volts, KwhPerHour, KwhPerDay, KwhPerMonth, CostPerDay, CostPerMonth };
inline constexpr int kArchiveQuantities = 9;
bool isBarQuantity(ArchiveQuantity q);
QString quantityName(ArchiveQuantity q);  // "KW", "Phase A", ... "Cost per month"
QString quantityUnit(ArchiveQuantity q);  // "KW", "A", "V", "KWH", "$"

// Milliseconds since the epoch, from inclusive, to exclusive.
struct TimeRange {
    qint64 from = 0, to = 0;
    qint64 span() const { return to - from; }
    bool contains(qint64 ms) const { return ms >= from && ms < to; }
    friend bool operator==(const TimeRange&, const TimeRange&) = default;
};
TimeRange timeRange(const QDateTime& from, const QDateTime& to);

// One value to draw: a minute, an hour, or one column of many; min and max
// are its extremes, mean its mean.
struct PlotPoint {
    qint64 ms = 0;
    float min = 0, mean = 0, max = 0;
};
struct Bar {
    qint64 start = 0, end = 0;
    double value = 0;
};
struct PlotSeries {
    std::vector<PlotPoint> points;  // a line (with its band when banded)
    std::vector<Bar> bars;          // or bars, one per hour, day or month
    qint64 joinMs = 0;  // points further apart than this have a gap between them
    bool banded = false;
    bool fromHours = false;  // drawn from the hour summaries
};

// A sample of a quantity before it meets the screen.
struct Sample {
    qint64 ms = 0;
    float min = 0, mean = 0, max = 0;
};

// The samples of a range on `columns` pixel columns. With no more samples
// than columns they are kept as they are; with more, each column becomes one
// point holding the minimum and maximum of its samples and their mean, so a
// one-minute peak still shows in a year. A column without samples is a gap.
// `nominalMs` is the samples' usual spacing (a minute, an hour).
PlotSeries decimate(const std::vector<Sample>& sorted, TimeRange range, int columns, qint64 nominalMs);

// Over this many minutes a column, KW is drawn from the hour summaries;
// below it (and always for voltage and the phases) from the minutes.
inline constexpr qint64 kHourSourceMinutesPerColumn = 30;

// The quantity over the range, for a plot `columns` pixels wide.
PlotSeries archiveSeries(ArchiveStore& store, ArchiveQuantity q, TimeRange range, int columns);

// Figures of the minutes in a range.
struct ArchiveStats {
    qint64 minutes = 0;
    double kwh = 0, cost = 0;
    double peakKw = 0;
    qint64 peakMs = 0;
    double voltsMean = 0, voltsMin = 0, voltsMax = 0;
};
// `stop`, asked before each month is read, ends the work early (the answer
// is then of no use).
ArchiveStats archiveStats(ArchiveStore& store, TimeRange range, const std::function<bool()>& stop = {});

// The damaged lines in the months of a range and the months refused.
struct ArchiveDamage {
    int damagedLines = 0;
    QStringList refusedMonths;  // "2026-03"
};
ArchiveDamage archiveDamage(const ArchiveStore& store, TimeRange range);

// The local calendar months a range touches.
QList<YearMonth> monthsOf(TimeRange range);

// "Compare": the same stretch a week, a month or a year earlier (by the
// calendar, so a month back from March 1 to April 1 is February).
enum class ComparePeriod { None, Week, Month, Year };
TimeRange previousPeriod(TimeRange range, ComparePeriod period);
// Moves a series of `from` onto the time line of `onto`, stretched to fit,
// so that the previous period lies under the one shown.
void alignSeries(PlotSeries& series, TimeRange from, TimeRange onto);

}  // namespace kelvora
