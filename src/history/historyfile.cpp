#include "history/historyfile.h"

#include "common/format.h"
#include "common/numeric.h"
#include "common/records.h"

#include <algorithm>
#include <cstring>

namespace kelvora {
namespace {

constexpr char16_t kStoredPattern[] = u"##.0#";
constexpr char16_t kShownPattern[] = u"##0.00";

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Whether the text is what "##.0#" makes of some value: an optional minus, the
// integer digits without a leading zero (none for 0), the point, one digit and
// a second one only when it is not 0, within 15 significant digits (beyond
// them the pattern would write other digits), and no minus on a zero.
bool hasStoredForm(QByteArrayView v) {
    qsizetype i = 0;
    const bool negative = i < v.size() && v[i] == '-';
    if (negative) ++i;
    const qsizetype integerStart = i;
    while (i < v.size() && isDigit(v[i])) ++i;
    const qsizetype integerDigits = i - integerStart;
    if (integerDigits > 0 && v[integerStart] == '0') return false;
    if (i >= v.size() || v[i] != '.') return false;
    ++i;
    if (i >= v.size() || !isDigit(v[i])) return false;
    const char first = v[i++];
    const bool second = i < v.size();
    if (second && (!isDigit(v[i]) || v[i] == '0')) return false;
    if (second) ++i;
    if (i != v.size()) return false;
    if (integerDigits + 1 + (second ? 1 : 0) > 15) return false;
    return !(negative && integerDigits == 0 && first == '0' && !second);
}

QByteArray storedForm(QByteArrayView value);

bool isRecordBreak(char c) { return c == '"' || c == '\r' || c == '\n'; }

// The new content of a file, put together with plain copies: a minute writes
// some 4 MB of records, so appending byte by byte would cost more than the
// disk does.
class RecordBuffer {
public:
    explicit RecordBuffer(qsizetype expected) { bytes_.resize(expected); }

    void put(QByteArrayView v) {
        // An empty view may have no data at all, which memcpy must not be given.
        if (v.isEmpty()) return;
        if (used_ + v.size() > bytes_.size()) bytes_.resize(std::max(bytes_.size() * 2, used_ + v.size()));
        std::memcpy(bytes_.data() + used_, v.data(), size_t(v.size()));
        used_ += v.size();
    }
    // A stamp as the record writer writes a text: without quotes or line ends.
    void putStamp(QByteArrayView stamp) {
        if (std::none_of(stamp.begin(), stamp.end(), isRecordBreak)) return put(stamp);
        for (char c : stamp)
            if (!isRecordBreak(c)) put(QByteArrayView(&c, 1));
    }
    void putRecord(QByteArrayView stamp, QByteArrayView value) {
        put("\"");
        putStamp(stamp);
        put("\",\"");
        if (hasStoredForm(value))
            put(value);
        else
            put(storedForm(value));
        put("\"\r\n");
    }
    // A record that stands as the writer wrote it is copied back as its line;
    // lines that follow each other in the file are copied in one go.
    void putRecord(const HistoryRecord& r) {
        if (r.line.isEmpty() || !hasStoredForm(r.value)) {
            flushLines();
            return putRecord(r.stamp, r.value);
        }
        if (!lines_.isEmpty() && lines_.data() + lines_.size() == r.line.data()) {
            lines_ = QByteArrayView(lines_.data(), lines_.size() + r.line.size());
            return;
        }
        flushLines();
        lines_ = r.line;
    }
    void flushLines() {
        if (lines_.isEmpty()) return;
        put(lines_);
        lines_ = {};
    }
    QByteArray take() {
        bytes_.resize(used_);
        return std::move(bytes_);
    }

private:
    QByteArray bytes_;
    qsizetype used_ = 0;
    QByteArrayView lines_;  // lines waiting to be copied
};

QByteArray storedForm(QByteArrayView value) {
    // No value is a gap in the chart, and stays one: not a zero.
    if (value.trimmed().isEmpty()) return QByteArray();
    return formatNumber(numericValue(QString::fromLatin1(value)), kStoredPattern).toLatin1();
}

// A line exactly as the writer writes a record: "stamp","value" CR LF with no
// quote or line end inside a field. Nearly every line is one; it is found
// with a few memchr calls and can be copied back whole.
std::optional<HistoryRecord> writtenLine(QByteArrayView content, qsizetype pos) {
    const char* begin = content.data() + pos;
    const qsizetype left = content.size() - pos;
    if (left < 7 || *begin != '"') return std::nullopt;
    const auto* lf = static_cast<const char*>(std::memchr(begin, '\n', size_t(left)));
    if (!lf) return std::nullopt;
    const qsizetype length = lf - begin + 1;
    if (length < 7 || lf[-1] != '\r' || lf[-2] != '"') return std::nullopt;
    const auto* stampEnd = static_cast<const char*>(std::memchr(begin + 1, '"', size_t(length - 1)));
    if (stampEnd + 2 >= lf || stampEnd[1] != ',' || stampEnd[2] != '"') return std::nullopt;
    const char* valueBegin = stampEnd + 3;
    const auto* valueEnd = static_cast<const char*>(std::memchr(valueBegin, '"', size_t(lf - valueBegin)));
    if (valueEnd != lf - 2 || std::memchr(begin, '\r', size_t(length - 2))) return std::nullopt;
    return HistoryRecord{QByteArrayView(begin + 1, stampEnd - begin - 1), QByteArrayView(valueBegin, valueEnd - valueBegin),
                         QByteArrayView(begin, length)};
}

QString textOf(QByteArrayView bytes) { return QString::fromUtf8(bytes); }

}  // namespace

std::optional<std::vector<HistoryRecord>> scanHistory(QByteArrayView content) {
    std::vector<HistoryRecord> records;
    constexpr qsizetype kTypicalRecordBytes = 30;
    records.reserve(size_t(std::min<qsizetype>(content.size() / kTypicalRecordBytes + 1, kMaxHistoryRecords)));
    qsizetype pos = 0;
    while (pos < content.size()) {
        std::optional<HistoryRecord> record = writtenLine(content, pos);
        if (record) {
            pos += record->line.size();
        } else {
            // Anything else is read field by field, as every record file is.
            FieldScanner scanner(content.sliced(pos));
            if (scanner.atEnd()) break;
            const QByteArrayView stamp = scanner.next();
            if (scanner.atEnd()) break;  // a stamp without its value
            record = HistoryRecord{stamp, scanner.next(), {}};
            pos += scanner.position();
        }
        if (records.size() == kMaxHistoryRecords) return std::nullopt;
        records.push_back(*record);
    }
    return records;
}

void appendHistoryValue(QByteArray& out, QByteArrayView value) {
    out += hasStoredForm(value) ? value.toByteArray() : storedForm(value);
}

std::optional<WrittenHistory> writtenWithMinuteRecord(QByteArrayView content, int capacity, QByteArrayView stamp,
                                                      QByteArrayView value) {
    auto records = scanHistory(content);
    if (!records) return std::nullopt;
    // A stamp of nothing but quotes and line ends is written empty, and an
    // empty stamp is no record: dropped now, not at the next rewrite.
    std::erase_if(*records, [](const HistoryRecord& r) { return std::all_of(r.stamp.begin(), r.stamp.end(), isRecordBreak); });
    const qsizetype count = qsizetype(records->size());
    const qsizetype first = count >= capacity ? 1 : 0;
    const qsizetype end = std::min<qsizetype>(count, capacity);
    RecordBuffer out(content.size() + stamp.size() + value.size() + 8);
    for (qsizetype i = first; i < end; ++i) out.putRecord((*records)[i]);
    out.flushLines();
    out.putRecord(stamp, value);
    return WrittenHistory{out.take(), std::max<qsizetype>(end - first, 0) + 1};
}

std::optional<QByteArray> withMinuteRecord(QByteArrayView content, int capacity, QByteArrayView stamp,
                                           QByteArrayView value) {
    auto written = writtenWithMinuteRecord(content, capacity, stamp, value);
    if (!written) return std::nullopt;
    return std::move(written->content);
}

std::optional<WrittenHistory> asWrittenHistory(const QByteArray& content) {
    const auto records = scanHistory(content);
    if (!records) return std::nullopt;
    RecordBuffer out(content.size());
    for (const HistoryRecord& r : *records) {
        if (r.stamp.isEmpty()) return std::nullopt;
        out.putRecord(r);
    }
    out.flushLines();
    if (out.take() != content) return std::nullopt;
    return WrittenHistory{content, qsizetype(records->size())};
}

WrittenHistory nextWrittenHistory(const WrittenHistory& last, int capacity, QByteArrayView stamp,
                                  QByteArrayView value) {
    const bool full = last.records >= capacity;
    const qsizetype firstLineEnd = full ? last.content.indexOf('\n') + 1 : 0;
    RecordBuffer out(last.content.size() - firstLineEnd + stamp.size() + value.size() + 8);
    out.put(QByteArrayView(last.content).sliced(firstLineEnd));
    out.putRecord(stamp, value);
    return WrittenHistory{out.take(), full ? last.records : last.records + 1};
}

HistoryChart historyChart(QByteArrayView content) {
    HistoryChart chart;
    const auto records = scanHistory(content);
    if (!records) {
        qWarning("A history file of more than %d records is not shown", kMaxHistoryRecords);
        return chart;
    }
    chart.stamps.reserve(qsizetype(records->size()));
    chart.values.reserve(qsizetype(records->size()));
    for (const HistoryRecord& r : *records) {
        chart.stamps << textOf(r.stamp);
        chart.values << (r.value.isEmpty() ? std::nullopt
                                           : std::optional<double>(numericValue(QString::fromLatin1(r.value))));
    }
    if (records->empty()) return chart;
    chart.Text1 = chart.stamps.first();
    chart.Text2 = chart.stamps.last();
    const QByteArrayView newest = records->back().value;
    if (!newest.isEmpty()) chart.Label2 = formatNumber(numericValue(QString::fromLatin1(newest)), kShownPattern);
    return chart;
}

}  // namespace kelvora
