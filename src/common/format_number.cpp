// Number picture patterns: "##0.0", "$##0.00", "##,###.0", "##.0#", "0.###0".
#include "common/format.h"

#include "common/numeric.h"
#include "common/records.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace kelvora {
namespace {

bool isPlaceholder(QChar c) { return c == u'0' || c == u'#'; }
bool opensNumber(QChar c) { return isPlaceholder(c) || c == u'.'; }

// Index of the first character matching, or -1.
template <typename Pred>
qsizetype findFirst(const QString& text, Pred pred) {
    for (qsizetype i = 0; i < text.size(); ++i)
        if (pred(text[i])) return i;
    return -1;
}
bool isNonZeroDigit(QChar c) { return c >= u'1' && c <= u'9'; }

// A pattern taken apart: literals before and after the digits, and the
// integer and fraction parts with their placeholders and inner literals
// (grouping commas are taken out and remembered).
struct Picture {
    bool hasDigits = false;
    QString prefix;
    QString integer;
    bool grouped = false;
    bool hasPoint = false;
    QString fraction;
    int decimals = 0;
    QString suffix;
};

Picture parsePicture(QStringView pattern) {
    Picture pic;
    qsizetype first = 0;
    while (first < pattern.size() && !opensNumber(pattern[first])) ++first;
    if (first == pattern.size()) return pic;
    qsizetype last = pattern.size() - 1;
    while (!opensNumber(pattern[last])) --last;
    pic.hasDigits = true;
    pic.prefix = pattern.left(first).toString();
    pic.suffix = pattern.mid(last + 1).toString();
    for (QChar c : pattern.mid(first, last - first + 1)) {
        if (c == u',') {
            pic.grouped = pic.grouped || !pic.hasPoint;  // a comma after the point means nothing
        } else if (c == u'.' && !pic.hasPoint) {
            pic.hasPoint = true;
        } else if (pic.hasPoint) {
            pic.fraction += c;
            if (isPlaceholder(c)) ++pic.decimals;
        } else {
            pic.integer += c;
        }
    }
    return pic;
}

// The 15 significant digits of a finite, non-negative value and the power of
// ten of the first one, as "%.14e" writes them: so 2.675 is 2.67500000000000
// and not the binary 2.67499999...
struct SignificantDigits {
    char digits[15] = {};
    int exponent = 0;
    int at(int power) const {
        const int i = exponent - power;
        return i >= 0 && i < 15 ? digits[i] - '0' : 0;
    }
};

SignificantDigits significantDigits(double magnitude) {
    char buf[48];
    *std::to_chars(buf, buf + sizeof buf - 1, magnitude, std::chars_format::scientific, 14).ptr = '\0';  // locale-free
    SignificantDigits out;
    int n = 0;
    const char* p = buf;
    for (; *p && *p != 'e'; ++p)
        if (*p >= '0' && *p <= '9' && n < 15) out.digits[n++] = *p;
    out.exponent = *p == 'e' ? std::atoi(p + 1) : 0;
    return out;
}

// Adds one to the last digit of a digit string.
void carryOne(QString& digits) {
    qsizetype i = digits.size() - 1;
    for (; i >= 0 && digits[i] == u'9'; --i) digits[i] = u'0';
    if (i >= 0)
        digits[i] = QChar(digits[i].unicode() + 1);
    else
        digits.prepend(u'1');
}

// The magnitude rounded half away from zero to `decimals` places: the integer
// digits without leading zeros (empty for 0) and exactly `decimals` fraction digits.
struct Rounded {
    QString integer;
    QString fraction;
    bool isZero() const { return integer.isEmpty() && findFirst(fraction, isNonZeroDigit) < 0; }
};

Rounded roundTo(double magnitude, int decimals) {
    const SignificantDigits sig = significantDigits(magnitude);
    const int top = std::max(sig.exponent, 0);
    QString all;
    all.reserve(top + 2 + decimals);
    for (int power = top; power >= -decimals; --power) all += QChar(u'0' + sig.at(power));
    if (sig.at(-decimals - 1) >= 5) carryOne(all);
    Rounded r;
    r.fraction = all.right(decimals);
    all.chop(decimals);
    const qsizetype firstSignificant = findFirst(all, isNonZeroDigit);
    r.integer = firstSignificant < 0 ? QString() : all.mid(firstSignificant);
    return r;
}

// The integer digits laid into the integer part right to left: each
// placeholder takes one digit, a `0` with no digit left shows 0, a `#` shows
// nothing, and the leftmost placeholder takes every digit still left, so a
// value is never cut short by its pattern. Grouping puts a comma between
// every three digits shown.
QString integerText(const QString& digits, const Picture& pic) {
    QString reversed;
    qsizetype next = digits.size() - 1;
    int placed = 0;
    auto put = [&](QChar c) {
        if (pic.grouped && placed > 0 && placed % 3 == 0) reversed += u',';
        reversed += c;
        ++placed;
    };
    const qsizetype leftmost = findFirst(pic.integer, isPlaceholder);
    for (qsizetype i = pic.integer.size() - 1; i >= 0; --i) {
        const QChar c = pic.integer[i];
        if (!isPlaceholder(c)) {
            reversed += c;
            continue;
        }
        if (next >= 0)
            put(digits[next--]);
        else if (c == u'0')
            put(u'0');
        if (i == leftmost)
            while (next >= 0) put(digits[next--]);
    }
    // A pattern with no integer placeholder (".00") still shows the integer digits.
    while (next >= 0) put(digits[next--]);
    std::reverse(reversed.begin(), reversed.end());
    return reversed;
}

// The fraction digits laid into the fraction part left to right: a position
// is shown when a `0` stands there or further right, or when it or a later
// position holds a digit other than 0 (so `#` drops trailing zeros only).
// A literal shows when no hidden position stands before it.
QString fractionText(const QString& digits, const QString& part) {
    int shown = 0;
    int k = 0;
    for (QChar c : part) {
        if (!isPlaceholder(c)) continue;
        if (c == u'0' || digits[k] != u'0') shown = k + 1;
        ++k;
    }
    QString out;
    k = 0;
    for (QChar c : part) {
        if (isPlaceholder(c)) {
            if (k < shown) out += digits[k];
            ++k;
        } else if (k <= shown) {
            out += c;
        }
    }
    return out;
}

}  // namespace

// An empty pattern shows the value in the plain record form; a pattern without
// any digit placeholder or point is all literal and shows itself. Otherwise the
// digits go where the placeholders stand. With only `#` before the point and
// no point at all ("######"), zero has no significant digit and shows as the
// empty text, as a yearly log value of nothing does.
QString formatNumber(double value, QStringView pattern) {
    if (!std::isfinite(value)) value = 0;
    value = writableValue(value);
    if (pattern.isEmpty()) return numberText(value);
    const Picture pic = parsePicture(pattern);
    if (!pic.hasDigits) return pattern.toString();
    const Rounded r = roundTo(std::fabs(value), pic.decimals);
    QString text;
    if (value < 0 && !r.isZero()) text += u'-';
    text += pic.prefix;
    text += integerText(r.integer, pic);
    if (pic.hasPoint) {
        text += u'.';
        text += fractionText(r.fraction, pic.fraction);
    }
    text += pic.suffix;
    return text;
}

QString formatMoney(double value, QStringView pattern, QStringView symbol) {
    // A digit or sign is never a `$`: only the pattern's literal is replaced.
    return formatNumber(value, pattern).replace(u'$', symbol.toString());
}

}  // namespace kelvora
