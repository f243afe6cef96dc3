// Feeds arbitrary bytes to the history-file scanner and to the minute's
// rewrite of a history file, both the full one and the one built on what the
// step wrote.
//
// Input layout:
//   byte 0  the file's capacity less one (1 to 256 records)
//   byte 1  length of the new record's stamp (taken modulo 40)
//   byte 2  length of the new record's value (taken modulo 16)
//   then the stamp, the value, and the rest: the file's content
#include "fuzzsupport.h"

#include "history/historyfile.h"

#include <algorithm>

using namespace kelvora;
using kelvora::fuzz::check;

namespace {

QByteArray withoutRecordBreaks(QByteArrayView text) {
    QByteArray out = text.toByteArray();
    out.removeIf([](char c) { return c == '"' || c == '\r' || c == '\n'; });
    return out;
}

// The rewritten file holds the records kept and the new one, each a line as
// the writer writes it, its value in the stored form.
void checkRewrite(const std::vector<HistoryRecord>& before, const QByteArray& after, int capacity,
                  QByteArrayView stamp, QByteArrayView value) {
    const qsizetype kept = std::count_if(before.begin(), before.end(),
                                         [](const HistoryRecord& r) { return !withoutRecordBreaks(r.stamp).isEmpty(); });
    const qsizetype expected = std::min<qsizetype>(kept, capacity) - (kept >= capacity ? 1 : 0) + 1;
    const auto records = scanHistory(after);
    check(records && qsizetype(records->size()) == expected);
    for (const HistoryRecord& r : *records) {
        check(!r.line.isEmpty());
        QByteArray stored;
        appendHistoryValue(stored, r.value);
        check(stored == r.value);
    }
    check(records->back().stamp == withoutRecordBreaks(stamp));
    QByteArray newValue;
    appendHistoryValue(newValue, value);
    check(records->back().value == newValue);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 3) return 0;
    const int capacity = data[0] + 1;
    const size_t stampLength = std::min<size_t>(data[1] % 40, size - 3);
    const size_t valueLength = std::min<size_t>(data[2] % 16, size - 3 - stampLength);
    const QByteArray input = fuzz::bytesOf(data, size);
    const QByteArrayView stamp = QByteArrayView(input).sliced(3, qsizetype(stampLength));
    const QByteArrayView value = QByteArrayView(input).sliced(qsizetype(3 + stampLength), qsizetype(valueLength));
    const QByteArrayView content = QByteArrayView(input).sliced(qsizetype(3 + stampLength + valueLength));

    const auto records = scanHistory(content);
    const auto after = withMinuteRecord(content, capacity, stamp, value);
    check(records.has_value() == after.has_value());
    if (records) checkRewrite(*records, *after, capacity, stamp, value);

    // The minute step builds on a file in its own form without reading it
    // again; it must come to what the full rewrite gives.
    const QByteArray whole = content.toByteArray();
    if (const auto written = asWrittenHistory(whole); written && written->records <= capacity)
        check(nextWrittenHistory(*written, capacity, stamp, value).content == *after);
    // What the step wrote, built on once more, is what reading it back and
    // rewriting it gives. (A record without a stamp is dropped by a full
    // rewrite; the step's records always have one.)
    if (after && !withoutRecordBreaks(stamp).isEmpty()) {
        const auto rewritten = writtenWithMinuteRecord(content, capacity, stamp, value);
        check(rewritten && rewritten->content == *after);
        const auto again = withMinuteRecord(rewritten->content, capacity, stamp, value);
        check(again && nextWrittenHistory(*rewritten, capacity, stamp, value).content == *again);
    }

    const HistoryChart chart = historyChart(content);
    check(chart.stamps.size() == chart.values.size());
    check(chart.stamps.size() == (records ? qsizetype(records->size()) : 0));
    return 0;
}
