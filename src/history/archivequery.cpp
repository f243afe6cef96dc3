#include "history/archivequery.h"

#include "history/archivehour.h"

#include <QCoreApplication>
#include <algorithm>
#include <cmath>
#include <limits>

namespace kelvora {
namespace {

constexpr qint64 kMinuteMs = 60'000;
constexpr qint64 kHourMs = 60 * kMinuteMs;
// Bars narrower than this many pixels are drawn as a band instead.
constexpr int kMinBarPixels = 3;

float minuteValue(const MinutePoint& p, ArchiveQuantity q) {
    switch (q) {
    case ArchiveQuantity::AmpsA: return p.ampsA;
    case ArchiveQuantity::AmpsB: return p.ampsB;
    case ArchiveQuantity::Volts: return p.volts;
    default: return p.kw;
    }
}

// Calls f(point) for every archived minute in the range, in time order.
template <typename F>
void forEachMinute(ArchiveStore& store, TimeRange range, F f, const std::function<bool()>& stop = {}) {
    for (const YearMonth m : monthsOf(range)) {
        if (stop && stop()) return;
        const auto month = store.minutes(m);
        if (!month) continue;
        const auto& pts = month->points;
        auto it = std::lower_bound(pts.begin(), pts.end(), range.from,
                                   [](const MinutePoint& p, qint64 ms) { return p.ms < ms; });
        for (; it != pts.end() && it->ms < range.to; ++it) f(*it);
    }
}

// Every hour summary that starts in the range; the hours after the last one
// written (the running hour) summed up from their minutes.
std::vector<HourSummary> hourSummaries(ArchiveStore& store, TimeRange range) {
    std::vector<HourSummary> hours;
    for (const YearMonth m : monthsOf(range)) {
        const auto month = store.hours(m);
        if (!month) continue;
        for (const HourSummary& h : month->hours)
            if (range.contains(h.start.ms)) hours.push_back(h);
    }
    const qint64 tailFrom = hours.empty() ? range.from : hours.back().start.ms + kHourMs;
    if (tailFrom >= range.to) return hours;
    HourAccumulator open;
    const auto close = [&] {
        if (!open.empty()) hours.push_back(open.summary());
    };
    forEachMinute(store, TimeRange{tailFrom, range.to}, [&](const MinutePoint& p) {
        const qint64 hour = localHourStart(p.stamp());
        if (hour < tailFrom) return;  // its hour is written
        if (open.empty() || open.hourStart().ms != hour) {
            close();
            open.start({hour, p.offsetMinutes * 60});
        }
        open.add(p);
    });
    close();
    return hours;
}

std::vector<Bar> bars(ArchiveStore& store, ArchiveQuantity q, TimeRange range) {
    const bool cost = q == ArchiveQuantity::CostPerDay || q == ArchiveQuantity::CostPerMonth;
    std::vector<Bar> out;
    for (const HourSummary& h : hourSummaries(store, range)) {
        const double value = cost ? h.cost : h.kwh;
        if (q == ArchiveQuantity::KwhPerHour) {
            out.push_back({h.start.ms, h.start.ms + kHourMs, value});
            continue;
        }
        if (!out.empty() && h.start.ms < out.back().end) {
            out.back().value += value;
            continue;
        }
        QDate day = QDateTime::fromMSecsSinceEpoch(h.start.ms).date();
        QDate next = day.addDays(1);
        if (q == ArchiveQuantity::KwhPerMonth || q == ArchiveQuantity::CostPerMonth) {
            day = QDate(day.year(), day.month(), 1);
            next = day.addMonths(1);
        }
        out.push_back({day.startOfDay().toMSecsSinceEpoch(), next.startOfDay().toMSecsSinceEpoch(), value});
    }
    return out;
}

PlotSeries barSeries(ArchiveStore& store, ArchiveQuantity q, TimeRange range, int columns) {
    std::vector<Bar> b = bars(store, q, range);
    if (qint64(b.size()) * kMinBarPixels <= columns) {
        PlotSeries s;
        s.bars = std::move(b);
        s.fromHours = true;
        return s;
    }
    // Too many to tell apart: drawn as a band of their extremes.
    std::vector<Sample> samples;
    samples.reserve(b.size());
    for (const Bar& bar : b) samples.push_back({bar.start, float(bar.value), float(bar.value), float(bar.value)});
    PlotSeries s = decimate(samples, range, columns, b.front().end - b.front().start);
    s.fromHours = true;
    return s;
}

}  // namespace

bool isBarQuantity(ArchiveQuantity q) { return int(q) >= int(ArchiveQuantity::KwhPerHour); }

QString quantityName(ArchiveQuantity q) {
    static const char* names[kArchiveQuantities] = {
        QT_TRANSLATE_NOOP("Archive", "KW"),           QT_TRANSLATE_NOOP("Archive", "Phase A"),
        QT_TRANSLATE_NOOP("Archive", "Phase B"),      QT_TRANSLATE_NOOP("Archive", "Voltage"),
        QT_TRANSLATE_NOOP("Archive", "KWH per hour"), QT_TRANSLATE_NOOP("Archive", "KWH per day"),
        QT_TRANSLATE_NOOP("Archive", "KWH per month"), QT_TRANSLATE_NOOP("Archive", "Cost per day"),
        QT_TRANSLATE_NOOP("Archive", "Cost per month")};
    return QCoreApplication::translate("Archive", names[int(q)]);
}

QString quantityUnit(ArchiveQuantity q) {
    switch (q) {
    case ArchiveQuantity::Kw: return QStringLiteral("KW");
    case ArchiveQuantity::AmpsA:
    case ArchiveQuantity::AmpsB: return QStringLiteral("A");
    case ArchiveQuantity::Volts: return QStringLiteral("V");
    case ArchiveQuantity::CostPerDay:
    case ArchiveQuantity::CostPerMonth: return QStringLiteral("$");
    default: return QStringLiteral("KWH");
    }
}

TimeRange timeRange(const QDateTime& from, const QDateTime& to) {
    return {from.toMSecsSinceEpoch(), to.toMSecsSinceEpoch()};
}

PlotSeries decimate(const std::vector<Sample>& sorted, TimeRange range, int columns, qint64 nominalMs) {
    PlotSeries s;
    columns = std::max(1, columns);
    const auto first = std::lower_bound(sorted.begin(), sorted.end(), range.from,
                                        [](const Sample& x, qint64 ms) { return x.ms < ms; });
    const auto last = std::lower_bound(first, sorted.end(), range.to,
                                       [](const Sample& x, qint64 ms) { return x.ms < ms; });
    const auto banded = [](const Sample& x) { return x.min < x.max; };
    if (last - first <= columns) {
        s.points.reserve(size_t(last - first));
        for (auto it = first; it != last; ++it) s.points.push_back({it->ms, it->min, it->mean, it->max});
        s.joinMs = nominalMs * 3 / 2;
        s.banded = std::any_of(first, last, banded);
        return s;
    }
    const double width = double(range.span()) / columns;
    struct Column {
        float min = std::numeric_limits<float>::infinity(), max = -std::numeric_limits<float>::infinity();
        double sum = 0;
        int count = 0;
    };
    std::vector<Column> col{size_t(columns), Column()};
    for (auto it = first; it != last; ++it) {
        const int c = std::min(columns - 1, int(double(it->ms - range.from) / width));
        Column& k = col[size_t(c)];
        k.min = std::min(k.min, it->min);
        k.max = std::max(k.max, it->max);
        k.sum += it->mean;
        ++k.count;
    }
    for (int c = 0; c < columns; ++c) {
        const Column& k = col[size_t(c)];
        if (k.count == 0) continue;
        s.points.push_back({range.from + qint64((c + 0.5) * width), k.min, float(k.sum / k.count), k.max});
        s.banded = s.banded || k.min < k.max;
    }
    s.joinMs = qint64(width) + nominalMs * 3 / 2;
    return s;
}

PlotSeries archiveSeries(ArchiveStore& store, ArchiveQuantity q, TimeRange range, int columns) {
    if (range.span() <= 0) return {};
    if (isBarQuantity(q)) return barSeries(store, q, range, columns);
    std::vector<Sample> samples;
    const bool hours =
        q == ArchiveQuantity::Kw && range.span() / std::max(1, columns) >= kHourSourceMinutesPerColumn * kMinuteMs;
    if (hours) {
        const auto summaries = hourSummaries(store, range);
        samples.reserve(summaries.size());
        for (const HourSummary& h : summaries)
            samples.push_back({h.start.ms, float(h.kwMin), float(h.kwMean), float(h.kwMax)});
    } else {
        forEachMinute(store, range, [&](const MinutePoint& p) {
            const float v = minuteValue(p, q);
            samples.push_back({p.ms, v, v, v});
        });
    }
    PlotSeries s = decimate(samples, range, columns, hours ? kHourMs : kMinuteMs);
    s.fromHours = hours;
    return s;
}

ArchiveStats archiveStats(ArchiveStore& store, TimeRange range, const std::function<bool()>& stop) {
    ArchiveStats st;
    double voltsSum = 0;
    st.voltsMin = std::numeric_limits<double>::infinity();
    st.voltsMax = -st.voltsMin;
    st.peakKw = -st.voltsMin;
    forEachMinute(store, range, [&](const MinutePoint& p) {
        ++st.minutes;
        st.kwh += p.kwh;
        st.cost += p.cost;
        if (p.kw > st.peakKw) {
            st.peakKw = p.kw;
            st.peakMs = p.ms;
        }
        voltsSum += p.volts;
        st.voltsMin = std::min(st.voltsMin, double(p.volts));
        st.voltsMax = std::max(st.voltsMax, double(p.volts));
    }, stop);
    if (st.minutes == 0) return ArchiveStats();
    st.voltsMean = voltsSum / double(st.minutes);
    return st;
}

ArchiveDamage archiveDamage(const ArchiveStore& store, TimeRange range) {
    ArchiveDamage d;
    for (const YearMonth m : monthsOf(range)) {
        d.damagedLines += store.damagedLines(m);
        if (store.refused(m))
            d.refusedMonths << QStringLiteral("%1-%2").arg(m.year, 4, 10, QLatin1Char('0')).arg(m.month, 2, 10, QLatin1Char('0'));
    }
    return d;
}

QList<YearMonth> monthsOf(TimeRange range) {
    QList<YearMonth> months;
    if (range.span() <= 0) return months;
    // The local month of each end, whatever the offset: a minute's file is
    // the month of its local stamp.
    const QDate a = QDateTime::fromMSecsSinceEpoch(range.from).date();
    const QDate b = QDateTime::fromMSecsSinceEpoch(range.to - 1).date();
    for (YearMonth m{a.year(), a.month()}; m <= YearMonth{b.year(), b.month()}; m = m.next()) months << m;
    return months;
}

TimeRange previousPeriod(TimeRange range, ComparePeriod period) {
    const auto back = [period](qint64 ms) {
        const QDateTime t = QDateTime::fromMSecsSinceEpoch(ms);
        switch (period) {
        case ComparePeriod::Week: return t.addDays(-7).toMSecsSinceEpoch();
        case ComparePeriod::Month: return t.addMonths(-1).toMSecsSinceEpoch();
        case ComparePeriod::Year: return t.addYears(-1).toMSecsSinceEpoch();
        case ComparePeriod::None: break;
        }
        return ms;
    };
    return {back(range.from), back(range.to)};
}

void alignSeries(PlotSeries& series, TimeRange from, TimeRange onto) {
    if (from.span() <= 0) return;
    const double scale = double(onto.span()) / double(from.span());
    const auto map = [&](qint64 ms) { return onto.from + qint64(std::llround(double(ms - from.from) * scale)); };
    for (PlotPoint& p : series.points) p.ms = map(p.ms);
    for (Bar& b : series.bars) {
        b.start = map(b.start);
        b.end = map(b.end);
    }
    series.joinMs = qint64(double(series.joinMs) * scale);
}

}  // namespace kelvora
