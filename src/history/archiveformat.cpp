#include "history/archiveformat.h"

#include "common/format.h"

#include <array>
#include <charconv>
#include <cmath>

namespace kelvora {
namespace {

constexpr qint64 kMsPerSecond = 1000;
constexpr qint64 kMsPerHour = 3600 * kMsPerSecond;
constexpr qint64 kSecondsPerDay = 86400;
// No meter reading or energy comes near this; larger is a damaged field.
constexpr double kLargestValue = 1e6;

// Days since 1970-01-01 of a civil date, and back (proleptic Gregorian), so
// that stamps are read without asking the time zone database: the offset in
// the stamp says all that is needed.
qint64 daysFromCivil(int y, int m, int d) {
    y -= m <= 2;
    const qint64 era = (y >= 0 ? y : y - 399) / 400;
    const int yoe = int(y - era * 400);
    const int doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

struct Civil {
    int y, m, d;
};

Civil civilFromDays(qint64 z) {
    z += 719468;
    const qint64 era = (z >= 0 ? z : z - 146096) / 146097;
    const int doe = int(z - era * 146097);
    const int yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int mp = (5 * doy + 2) / 153;
    const int d = doy - (153 * mp + 2) / 5 + 1;
    const int m = mp < 10 ? mp + 3 : mp - 9;
    return {int(yoe + era * 400) + (m <= 2), m, d};
}

qint64 floorDiv(qint64 a, qint64 b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0))); }

void putDigits(char*& out, int value, int width) {
    for (int i = width - 1; i >= 0; --i, value /= 10) out[i] = char('0' + value % 10);
    out += width;
}

bool digits(std::string_view text, size_t at, size_t width, int& value) {
    value = 0;
    for (size_t i = at; i < at + width; ++i) {
        const char c = text[i];
        if (c < '0' || c > '9') return false;
        value = value * 10 + (c - '0');
    }
    return true;
}

bool daysInMonthOk(int y, int m, int d) {
    static constexpr std::array<int, 12> days = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (m < 1 || m > 12 || d < 1 || d > days[m - 1]) return false;
    const bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
    return m != 2 || d <= 28 || leap;
}

template <size_t N>
bool splitFields(std::string_view line, std::array<std::string_view, N>& fields) {
    size_t start = 0;
    for (size_t i = 0; i < N; ++i) {
        const size_t comma = line.find(',', start);
        const bool last = i + 1 == N;
        if (last != (comma == std::string_view::npos)) return false;
        fields[i] = line.substr(start, last ? std::string_view::npos : comma - start);
        start = comma + 1;
    }
    return true;
}

bool number(std::string_view text, double& value) {
    if (text.empty()) return false;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::fixed);
    return ec == std::errc() && end == text.data() + text.size() && std::isfinite(value) &&
           std::fabs(value) < kLargestValue;
}

template <size_t N>
bool numbers(const std::array<std::string_view, N>& fields, std::array<double, N - 1>& values) {
    for (size_t i = 1; i < N; ++i)
        if (!number(fields[i], values[i - 1])) return false;
    return true;
}

QByteArray fixed(double value, QStringView pattern) { return formatNumber(value, pattern).toLatin1(); }

}  // namespace

ArchiveStamp archiveStamp(const QDateTime& when) { return {when.toMSecsSinceEpoch(), when.offsetFromUtc()}; }

QByteArray isoStamp(ArchiveStamp stamp) {
    const qint64 local = floorDiv(stamp.ms, kMsPerSecond) + stamp.offsetSeconds;
    const qint64 day = floorDiv(local, kSecondsPerDay);
    const int second = int(local - day * kSecondsPerDay);
    const Civil c = civilFromDays(day);
    std::array<char, 25> buf;
    char* out = buf.data();
    putDigits(out, c.y, 4);
    *out++ = '-';
    putDigits(out, c.m, 2);
    *out++ = '-';
    putDigits(out, c.d, 2);
    *out++ = 'T';
    putDigits(out, second / 3600, 2);
    *out++ = ':';
    putDigits(out, second / 60 % 60, 2);
    *out++ = ':';
    putDigits(out, second % 60, 2);
    const int offset = std::abs(stamp.offsetSeconds) / 60;
    *out++ = stamp.offsetSeconds < 0 ? '-' : '+';
    putDigits(out, offset / 60, 2);
    *out++ = ':';
    putDigits(out, offset % 60, 2);
    return QByteArray(buf.data(), int(buf.size()));
}

std::optional<ArchiveStamp> parseIsoStamp(std::string_view t) {
    const bool zulu = t.size() == 20 && t[19] == 'Z';
    if (!zulu && t.size() != 25) return std::nullopt;
    if (t[4] != '-' || t[7] != '-' || t[10] != 'T' || t[13] != ':' || t[16] != ':') return std::nullopt;
    int y, mo, d, h, mi, s;
    if (!digits(t, 0, 4, y) || !digits(t, 5, 2, mo) || !digits(t, 8, 2, d) || !digits(t, 11, 2, h) ||
        !digits(t, 14, 2, mi) || !digits(t, 17, 2, s))
        return std::nullopt;
    if (!daysInMonthOk(y, mo, d) || h > 23 || mi > 59 || s > 59) return std::nullopt;
    int offset = 0;
    if (!zulu) {
        int oh, om;
        if ((t[19] != '+' && t[19] != '-') || t[22] != ':' || !digits(t, 20, 2, oh) || !digits(t, 23, 2, om) ||
            oh > 18 || om > 59)
            return std::nullopt;
        offset = (oh * 3600 + om * 60) * (t[19] == '-' ? -1 : 1);
    }
    const qint64 local = daysFromCivil(y, mo, d) * kSecondsPerDay + h * 3600 + mi * 60 + s;
    return ArchiveStamp{(local - offset) * kMsPerSecond, offset};
}

qint64 localHourStart(ArchiveStamp stamp) {
    const qint64 local = stamp.ms + stamp.offsetSeconds * kMsPerSecond;
    return stamp.ms - (local - floorDiv(local, kMsPerHour) * kMsPerHour);
}

YearMonth localMonth(ArchiveStamp stamp) {
    const qint64 local = floorDiv(stamp.ms, kMsPerSecond) + stamp.offsetSeconds;
    const Civil c = civilFromDays(floorDiv(local, kSecondsPerDay));
    return {c.y, c.m};
}

QByteArray minuteLine(const MinuteRecord& r) {
    // The same figures as the one-minute files, energy and cost to 4 decimals.
    return isoStamp(archiveStamp(r.stamp)) + ',' + fixed(r.volts, u"##0.0") + ',' + fixed(r.ampsA, u"##0.0") + ',' +
           fixed(r.ampsB, u"##0.0") + ',' + fixed(r.kw, u"##0.0") + ',' + fixed(r.kwh, u"0.0000") + ',' +
           fixed(r.cost, u"0.0000");
}

QByteArray hourLine(const HourSummary& h) {
    return isoStamp(h.start) + ',' + fixed(h.kwh, u"0.0000") + ',' + fixed(h.cost, u"0.0000") + ',' +
           fixed(h.kwMin, u"0.000") + ',' + fixed(h.kwMean, u"0.000") + ',' + fixed(h.kwMax, u"0.000") + ',' +
           fixed(h.voltsMin, u"0.0") + ',' + fixed(h.voltsMax, u"0.0") + ',' + fixed(h.ampsAMax, u"0.0") + ',' +
           fixed(h.ampsBMax, u"0.0");
}

std::optional<MinutePoint> parseMinuteLine(std::string_view line) {
    std::array<std::string_view, 7> f;
    std::array<double, 6> v;
    if (!splitFields(line, f) || !numbers(f, v)) return std::nullopt;
    const auto stamp = parseIsoStamp(f[0]);
    if (!stamp) return std::nullopt;
    return MinutePoint{stamp->ms,        float(v[0]), float(v[1]), float(v[2]), float(v[3]),
                       float(v[4]),      float(v[5]), qint16(stamp->offsetSeconds / 60)};
}

std::optional<HourSummary> parseHourLine(std::string_view line) {
    std::array<std::string_view, 10> f;
    std::array<double, 9> v;
    if (!splitFields(line, f) || !numbers(f, v)) return std::nullopt;
    const auto stamp = parseIsoStamp(f[0]);
    if (!stamp || v[2] > v[3] || v[3] > v[4] || v[5] > v[6]) return std::nullopt;
    return HourSummary{*stamp, v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7], v[8]};
}

}  // namespace kelvora
