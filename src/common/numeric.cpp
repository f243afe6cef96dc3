#include "common/numeric.h"

#include <QVarLengthArray>
#include <algorithm>
#include <charconv>
#include <cmath>

namespace kelvora {
namespace {

// Length of the numeric prefix starting at pos, or 0 when there is none.
qsizetype numberPrefix(QStringView text, qsizetype pos) {
    qsizetype i = pos;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) ++i;
    qsizetype digits = 0;
    while (i < text.size() && text[i].isDigit() && text[i].unicode() < 128) { ++i; ++digits; }
    if (i < text.size() && text[i] == u'.') {
        ++i;
        while (i < text.size() && text[i].isDigit() && text[i].unicode() < 128) { ++i; ++digits; }
    }
    if (digits == 0) return 0;
    // An exponent counts only when digits follow it.
    if (i < text.size() && (text[i] == u'e' || text[i] == u'E')) {
        qsizetype j = i + 1;
        if (j < text.size() && (text[j] == u'+' || text[j] == u'-')) ++j;
        qsizetype expDigits = 0;
        while (j < text.size() && text[j].isDigit() && text[j].unicode() < 128) { ++j; ++expDigits; }
        if (expDigits > 0) i = j;
    }
    return i - pos;
}

qsizetype skipBlanks(QStringView text) {
    qsizetype i = 0;
    while (i < text.size() && (text[i] == u' ' || text[i] == u'\t')) ++i;
    return i;
}

}  // namespace

bool startsWithNumber(QStringView text) {
    return numberPrefix(text, skipBlanks(text)) > 0;
}

double writableValue(double value) {
    constexpr double kLargest = 1.79769313486231e308;
    if (!std::isfinite(value)) return value;
    return std::clamp(value, -kLargest, kLargest);
}

double numericValue(QStringView text) {
    const qsizetype start = skipBlanks(text);
    const qsizetype len = numberPrefix(text, start);
    if (len == 0) return 0.0;
    // from_chars reads the point whatever the process locale says; it takes
    // no plus sign. The prefix is ASCII: copied on the stack, as the decoder
    // reads a value for every character of a waveform.
    QVarLengthArray<char, 64> ascii(len);
    for (qsizetype i = 0; i < len; ++i) ascii[i] = char(text[start + i].unicode());
    const char* first = ascii.constData();
    const char* last = first + len;
    if (*first == '+') ++first;
    double v = 0.0;
    const auto [end, error] = std::from_chars(first, last, v);
    if (error != std::errc() || end == first) return 0.0;
    return std::isfinite(v) ? v : 0.0;
}

QStringView moneySymbol(QStringView text) {
    text = text.trimmed();
    qsizetype n = 0;
    // The symbols the settings allow hold no digit, sign, point or blank.
    while (n < text.size() && n < 4 && !text[n].isDigit() && !text[n].isSpace() &&
           !QStringView(u"+-.").contains(text[n]))
        ++n;
    return n < text.size() && startsWithNumber(text.mid(n)) ? text.left(n) : QStringView();
}

double moneyValue(QStringView text) {
    text = text.trimmed();
    // The sign of an amount leads its symbol: "-$1.50".
    const bool negative = text.startsWith(u'-') && !moneySymbol(text.mid(1)).isEmpty();
    if (negative) text = text.mid(1);
    const double value = numericValue(text.mid(moneySymbol(text).size()));
    return negative ? -value : value;
}

}  // namespace kelvora
