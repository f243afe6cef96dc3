#include "common/records.h"

#include "common/numeric.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace kelvora {

QString numberText(double value) {
    if (!std::isfinite(value) || value == 0) return QStringLiteral("0");  // also folds -0
    value = writableValue(value);
    // Round to 15 significant digits, then write the digits out in plain decimal.
    char buf[64];
    *std::to_chars(buf, buf + sizeof buf - 1, value, std::chars_format::scientific, 14).ptr = '\0';  // locale-free
    const char* e = std::strchr(buf, 'e');
    const int exponent = std::atoi(e + 1);
    QString digits;
    for (const char* p = buf; p < e; ++p)
        if (*p >= '0' && *p <= '9') digits += QLatin1Char(*p);
    while (digits.size() > 1 && digits.endsWith(u'0')) digits.chop(1);
    QString text;
    if (exponent < 0) {
        text = QStringLiteral("0.") + QString(-exponent - 1, u'0') + digits;
    } else if (exponent + 1 >= digits.size()) {
        text = digits + QString(exponent + 1 - digits.size(), u'0');
    } else {
        text = digits.left(exponent + 1) + u'.' + digits.mid(exponent + 1);
    }
    return value < 0 ? u'-' + text : text;
}

QByteArray recordLine(const Record& fields) {
    QByteArray line;
    for (qsizetype i = 0; i < fields.size(); ++i) {
        if (i > 0) line += ',';
        const Field& f = fields[i];
        if (f.isText) {
            // The format has no escapes: a quote or a line end inside a text
            // would end the field or the record for its reader, so they are
            // left out.
            QString text = f.text;
            text.remove(u'"').remove(u'\r').remove(u'\n');
            line += '"';
            line += text.toUtf8();
            line += '"';
        } else {
            line += numberText(f.number).toLatin1();
        }
    }
    line += "\r\n";
    return line;
}

QByteArray recordLines(const QList<Record>& records) {
    QByteArray all;
    for (const Record& r : records) all += recordLine(r);
    return all;
}

static bool isLineEnd(char c) { return c == '\r' || c == '\n'; }
static bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\0'; }
static bool isSeparator(char c) { return isBlank(c) || isLineEnd(c); }

bool FieldScanner::atEnd() const {
    qsizetype p = pos_;
    while (p < data_.size() && isSeparator(data_[p])) ++p;
    return p >= data_.size();
}

QByteArrayView FieldScanner::next() {
    // Line ends between fields are separators; a comma right at the start of a
    // line still opens an empty field, as the writer never produces one.
    while (pos_ < data_.size() && isSeparator(data_[pos_])) ++pos_;
    lastQuoted_ = false;
    if (pos_ >= data_.size()) return {};
    QByteArrayView raw;
    lastQuoted_ = data_[pos_] == '"';
    if (lastQuoted_) {
        const char* from = data_.data() + pos_ + 1;
        const void* quote = std::memchr(from, '"', size_t(data_.size() - pos_ - 1));
        const qsizetype close = quote ? static_cast<const char*>(quote) - data_.data() : -1;
        const qsizetype end = close < 0 ? data_.size() : close;
        raw = data_.sliced(pos_ + 1, end - pos_ - 1);
        pos_ = close < 0 ? data_.size() : close + 1;
        // Whatever stands between the closing quote and the separator is dropped.
        while (pos_ < data_.size() && data_[pos_] != ',' && !isLineEnd(data_[pos_])) ++pos_;
    } else {
        const qsizetype start = pos_;
        while (pos_ < data_.size() && data_[pos_] != ',' && !isLineEnd(data_[pos_])) ++pos_;
        raw = data_.sliced(start, pos_ - start).trimmed();
    }
    if (pos_ < data_.size() && data_[pos_] == ',') ++pos_;
    return raw;
}

RecordReader::RecordReader(const QByteArray& data) : data_(data), scanner_(data_) {}

bool RecordReader::atEnd() const { return scanner_.atEnd(); }

QString RecordReader::next() { return QString::fromUtf8(scanner_.next()); }

double RecordReader::nextNumber() { return numericValue(next()); }

QStringList RecordReader::rest() {
    QStringList fields;
    while (!atEnd()) fields << next();
    return fields;
}

QStringList readFields(const QByteArray& data) { return RecordReader(data).rest(); }

}  // namespace kelvora
