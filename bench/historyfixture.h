#pragma once
// History files at full capacity for the benchmarks: one record a minute up
// to the given time, values wandering as a household's do.
#include "common/datadir.h"
#include "common/format.h"
#include "common/timestamp.h"
#include "history/historyquantity.h"

#include <QDateTime>
#include <cmath>

namespace kelvora::bench {

inline double typicalValue(const HistoryQuantity& q, int minute) {
    const double wave = std::sin(minute / 97.0) + 0.5 * std::sin(minute / 13.0);
    if (q.name == u"VAC") return 240 + 3 * wave;
    if (q.name == u"KW") return 1.2 + 0.9 * wave;
    return 5 + 4 * wave;
}

// The stamps are made in UTC: local time would ask the time zone database
// for every record, which is slow and tells a benchmark nothing.
inline QByteArray fullHistoryFile(const HistoryQuantity& q, int records, const QDateTime& lastLocal) {
    const QDateTime last(lastLocal.date(), lastLocal.time(), Qt::UTC);
    QByteArray content;
    content.reserve(records * 32);
    for (int i = records - 1; i >= 0; --i) {
        const int minute = -i;
        content += '"' + stamp(last.addSecs(60LL * minute)).toUtf8() + "\",\"" +
                   formatNumber(typicalValue(q, minute), u"##.0#").toLatin1() + "\"\r\n";
    }
    return content;
}

// All eight files of every quantity, full.
inline void fillFullHistories(const DataDir& dir, const QDateTime& last) {
    for (const HistoryQuantity& q : historyQuantities()) {
        for (const HistorySpan& span : kHistorySpans) dir.writeWhole(q.file(span), fullHistoryFile(q, span.capacity, last));
    }
}

}  // namespace kelvora::bench
