#include "history/archivecsv.h"

#include "common/records.h"

#include <cmath>

namespace kelvora {
namespace {

QByteArray stampOf(qint64 ms) {
    const QDateTime t = QDateTime::fromMSecsSinceEpoch(ms);
    return isoStamp({ms, t.offsetFromUtc()});
}

// Four decimals are more than any archived figure has.
QByteArray value(double v) { return numberText(std::round(v * 1e4) / 1e4).toLatin1(); }

void rows(QByteArray& csv, const char* name, const PlotSeries& s, const std::function<qint64(qint64)>& when) {
    for (const PlotPoint& p : s.points)
        csv += QByteArray(name) + ',' + stampOf(when(p.ms)) + ',' + value(p.min) + ',' + value(p.mean) + ',' +
               value(p.max) + "\r\n";
    for (const Bar& b : s.bars)
        csv += QByteArray(name) + ',' + stampOf(when(b.start)) + ',' + stampOf(when(b.end)) + ',' + value(b.value) +
               "\r\n";
}

}  // namespace

QByteArray exploreCsv(const ExploreResult& r) {
    const bool bars = isBarQuantity(r.request.quantity);
    QByteArray csv = bars ? "series,start,end,value\r\n" : "series,time,min,mean,max\r\n";
    rows(csv, "shown", r.shown, [](qint64 ms) { return ms; });
    const TimeRange& shown = r.request.range;
    const TimeRange& previous = r.compareRange;
    if (previous.span() > 0 && shown.span() > 0) {
        // Back from the time line shown to the previous period's own dates.
        const double scale = double(previous.span()) / double(shown.span());
        rows(csv, "previous", r.compare,
             [&](qint64 ms) { return previous.from + qint64(std::llround(double(ms - shown.from) * scale)); });
    }
    return csv;
}

}  // namespace kelvora
