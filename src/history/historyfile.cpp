#include "history/historyfile.h"

#include "common/format.h"
#include "common/numeric.h"
#include "common/records.h"

#include <algorithm>

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

bool isRecordBreak(char c) { return c == '"' || c == '\r' || c == '\n'; }

// A stamp as the record writer writes a text: without quotes or line ends.
void appendStamp(QByteArray& out, QByteArrayView stamp) {
    for (char c : stamp)
        if (!isRecordBreak(c)) out += c;
}

void appendRecord(QByteArray& out, QByteArrayView stamp, QByteArrayView value) {
    out += '"';
    appendStamp(out, stamp);
    out += "\",\"";
    appendHistoryValue(out, value);
    out += "\"\r\n";
}

QString textOf(QByteArrayView bytes) { return QString::fromUtf8(bytes); }

}  // namespace

std::optional<std::vector<HistoryRecord>> scanHistory(QByteArrayView content) {
    std::vector<HistoryRecord> records;
    FieldScanner scanner(content);
    while (!scanner.atEnd()) {
        const QByteArrayView stamp = scanner.next();
        if (scanner.atEnd()) break;
        if (records.size() == kMaxHistoryRecords) return std::nullopt;
        records.push_back({stamp, scanner.next()});
    }
    return records;
}

void appendHistoryValue(QByteArray& out, QByteArrayView value) {
    if (hasStoredForm(value))
        out += value;
    else
        out += formatNumber(numericValue(QString::fromLatin1(value)), kStoredPattern).toLatin1();
}

std::optional<QByteArray> withMinuteRecord(QByteArrayView content, int capacity, QByteArrayView stamp,
                                           QByteArrayView value) {
    auto records = scanHistory(content);
    if (!records) return std::nullopt;
    std::erase_if(*records, [](const HistoryRecord& r) { return r.stamp.isEmpty(); });
    const qsizetype count = qsizetype(records->size());
    const qsizetype first = count >= capacity ? 1 : 0;
    const qsizetype end = std::min<qsizetype>(count, capacity);
    QByteArray out;
    out.reserve(content.size() + stamp.size() + value.size() + 8);
    for (qsizetype i = first; i < end; ++i) appendRecord(out, (*records)[i].stamp, (*records)[i].value);
    appendRecord(out, stamp, value);
    return out;
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
