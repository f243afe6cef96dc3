#include "history/archivemonth.h"

#include <algorithm>
#include <cstring>

namespace kelvora {
namespace {

// Calls take(line) for every complete line (line end stripped) that is not
// blank and not a header; counts the ones take() refuses.
template <typename Take>
int forEachLine(QByteArrayView content, std::string_view header, Take take) {
    int damaged = 0;
    const char* p = content.data();
    const char* const end = p + content.size();
    while (p < end) {
        const char* nl = static_cast<const char*>(std::memchr(p, '\n', size_t(end - p)));
        if (!nl) break;  // torn by a crash: not a line yet
        std::string_view line(p, size_t(nl - p));
        p = nl + 1;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.empty() || line == header) continue;
        if (qsizetype(line.size()) > kMaxArchiveLine || !take(line)) ++damaged;
    }
    return damaged;
}

template <typename T, typename Ms>
void sortByTime(std::vector<T>& v, Ms ms) {
    const auto earlier = [ms](const T& a, const T& b) { return ms(a) < ms(b); };
    if (!std::is_sorted(v.begin(), v.end(), earlier)) std::stable_sort(v.begin(), v.end(), earlier);
}

void merge(HourSummary& into, const HourSummary& h) {
    into.kwMean = (into.kwMean + h.kwMean) / 2;
    into.kwh += h.kwh;
    into.cost += h.cost;
    into.kwMin = std::min(into.kwMin, h.kwMin);
    into.kwMax = std::max(into.kwMax, h.kwMax);
    into.voltsMin = std::min(into.voltsMin, h.voltsMin);
    into.voltsMax = std::max(into.voltsMax, h.voltsMax);
    into.ampsAMax = std::max(into.ampsAMax, h.ampsAMax);
    into.ampsBMax = std::max(into.ampsBMax, h.ampsBMax);
}

}  // namespace

MonthMinutes parseMonthMinutes(QByteArrayView content) {
    MonthMinutes m;
    m.points.reserve(size_t(content.size() / 60 + 1));
    m.damaged = forEachLine(content, kMinuteHeader, [&m](std::string_view line) {
        const auto p = parseMinuteLine(line);
        if (p) m.points.push_back(*p);
        return p.has_value();
    });
    sortByTime(m.points, [](const MinutePoint& p) { return p.ms; });
    m.points.shrink_to_fit();
    return m;
}

MonthHours parseMonthHours(QByteArrayView content) {
    MonthHours m;
    std::vector<HourSummary> read;
    m.damaged = forEachLine(content, kHourHeader, [&read](std::string_view line) {
        const auto h = parseHourLine(line);
        if (h) read.push_back(*h);
        return h.has_value();
    });
    sortByTime(read, [](const HourSummary& h) { return h.start.ms; });
    for (const HourSummary& h : read) {
        if (!m.hours.empty() && m.hours.back().start.ms == h.start.ms)
            merge(m.hours.back(), h);
        else
            m.hours.push_back(h);
    }
    return m;
}

}  // namespace kelvora
