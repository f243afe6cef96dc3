#include "energy/tariff.h"

#include "common/records.h"

#include <algorithm>
#include <charconv>
#include <map>
#include <set>

namespace kelvora {
namespace {

constexpr int kDay = 24 * 60;
constexpr int kWeek = 7 * kDay;
const char* const kDayNames[7] = {"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"};

QString lineRef(const QString& file, int line) { return QStringLiteral("%1 line %2: ").arg(file).arg(line); }

QString minuteName(int minuteOfWeek) {
    const int m = minuteOfWeek % kDay;
    return QStringLiteral("%1 %2:%3")
        .arg(QLatin1String(kDayNames[minuteOfWeek / kDay]))
        .arg(m / 60, 2, 10, QLatin1Char('0'))
        .arg(m % 60, 2, 10, QLatin1Char('0'));
}

std::optional<int> dayIndex(QStringView name) {
    for (int i = 0; i < 7; ++i)
        if (name.compare(QLatin1String(kDayNames[i]), Qt::CaseInsensitive) == 0) return i;
    return std::nullopt;
}

// The weekdays a `days` field names, as bits from Monday (bit 0); a range may
// wrap past Sunday ("Fri-Mon").
std::variant<int, QString> parseDays(const QString& text) {
    int mask = 0;
    const auto mark = [&mask](int day) -> bool {
        const bool twice = mask & (1 << day);
        mask |= 1 << day;
        return !twice;
    };
    for (const QString& rawPart : text.split(QLatin1Char(','))) {
        const QString part = rawPart.trimmed();
        const QStringList ends = part.split(QLatin1Char('-'));
        if (ends.size() > 2) return QStringLiteral("bad day range \"%1\"").arg(part);
        std::optional<int> first = dayIndex(ends[0].trimmed());
        std::optional<int> last = ends.size() == 2 ? dayIndex(ends[1].trimmed()) : first;
        if (!first || !last) {
            const QString bad = !first ? ends[0].trimmed() : ends[1].trimmed();
            return QStringLiteral("unknown day name \"%1\"").arg(bad);
        }
        for (int d = *first;; d = (d + 1) % 7) {
            if (!mark(d)) return QStringLiteral("%1 named twice").arg(QLatin1String(kDayNames[d]));
            if (d == *last) break;
        }
    }
    return mask;
}

// Minutes of the day of "HH:MM"; "24:00" only where it may end a band.
std::optional<int> parseTime(const QString& text, bool isEnd) {
    if (text.size() != 5 || text[2] != QLatin1Char(':')) return std::nullopt;
    for (int i : {0, 1, 3, 4})
        if (!text[i].isDigit() || text[i].unicode() > '9') return std::nullopt;
    const int h = text.left(2).toInt();
    const int m = text.mid(3).toInt();
    if (m > 59) return std::nullopt;
    if (h == 24 && m == 0 && isEnd) return kDay;
    if (h > 23) return std::nullopt;
    return h * 60 + m;
}

// A plain decimal with a point: digits, at most one point, nothing else.
std::optional<double> parsePrice(const QString& text) {
    const QByteArray bytes = text.trimmed().toLatin1();
    const bool negative = bytes.startsWith('-');
    const QByteArray body = negative ? bytes.mid(1) : bytes;
    if (body.isEmpty() || body.count('.') > 1 || body == ".") return std::nullopt;
    for (char c : body)
        if (c != '.' && (c < '0' || c > '9')) return std::nullopt;
    double value = 0;
    const auto [end, ec] = std::from_chars(body.data(), body.data() + body.size(), value);
    if (ec != std::errc() || end != body.data() + body.size()) return std::nullopt;
    return negative ? -value : value;
}

QDate parseDate(const QString& text) {
    if (text.size() != 10) return {};
    return QDate::fromString(text, Qt::ISODate);
}

struct Draft {
    std::vector<TariffBand> bands;
    std::vector<int> dayMasks;
    std::vector<std::pair<int, int>> spans;  // from, to minutes of the day
    QList<int> lines;
    int chargeLine = 0;
    double charge = 0;
};

class Parser {
public:
    explicit Parser(const QString& file) : file_(file) {}

    void line(int number, const QByteArray& text) {
        const QStringList fields = readFields(text);
        if (number == 1 && !fields.isEmpty() && fields[0].trimmed().compare(u"valid from", Qt::CaseInsensitive) == 0)
            return;
        if (fields.size() < 5) {
            fault(number, QStringLiteral("too few fields (%1 of 5)").arg(fields.size()));
            return;
        }
        const QDate date = parseDate(fields[0].trimmed());
        if (!date.isValid()) fault(number, QStringLiteral("bad date \"%1\" (YYYY-MM-DD)").arg(fields[0]));
        const std::optional<double> price = parsePrice(fields[4]);
        if (!price) fault(number, QStringLiteral("price \"%1\" is not a number").arg(fields[4]));
        else if (*price < 0) fault(number, QStringLiteral("negative price %1").arg(fields[4].trimmed()));
        const QString days = fields[1].trimmed();
        if (days.compare(u"daily charge", Qt::CaseInsensitive) == 0) {
            dailyCharge(number, date, fields, price);
            return;
        }
        band(number, date, fields, price);
    }

    void finish(std::vector<TariffPlan>& plans) {
        if (drafts_.empty() && faults_.isEmpty()) faults_ << QStringLiteral("%1: holds no tariff plan").arg(file_);
        for (auto& [date, draft] : drafts_) {
            auto plan = cover(date, draft);
            if (plan) plans.push_back(std::move(*plan));
        }
    }

    const QStringList& faults() const { return faults_; }

private:
    void fault(int line, const QString& what) { faults_ << lineRef(file_, line) + what; }

    void dailyCharge(int number, QDate date, const QStringList& fields, std::optional<double> price) {
        if (!fields[2].trimmed().isEmpty() || !fields[3].trimmed().isEmpty())
            fault(number, QStringLiteral("a daily charge has no times"));
        if (!date.isValid() || !price) return;
        Draft& draft = drafts_[date];
        if (draft.chargeLine) {
            fault(number, QStringLiteral("a second daily charge for %1 (first on line %2)")
                              .arg(date.toString(Qt::ISODate))
                              .arg(draft.chargeLine));
            return;
        }
        draft.chargeLine = number;
        draft.charge = *price;
        draft.lines << number;
    }

    void band(int number, QDate date, const QStringList& fields, std::optional<double> price) {
        const auto days = parseDays(fields[1].trimmed());
        if (const QString* bad = std::get_if<QString>(&days)) fault(number, *bad);
        const QString fromText = fields[2].trimmed(), toText = fields[3].trimmed();
        const std::optional<int> from = parseTime(fromText, false);
        const std::optional<int> to = parseTime(toText, true);
        if (!from) fault(number, QStringLiteral("bad time \"%1\" in from (HH:MM, 00:00 to 23:59)").arg(fromText));
        if (!to) fault(number, QStringLiteral("bad time \"%1\" in to (HH:MM, 00:00 to 24:00)").arg(toText));
        if (from && to && *from == *to)
            fault(number, QStringLiteral("band from %1 to %2 is empty").arg(fromText, toText));
        if (!date.isValid() || !price || !from || !to || *from == *to || !std::holds_alternative<int>(days))
            return;
        Draft& draft = drafts_[date];
        draft.bands.push_back(TariffBand{date, fields[1].trimmed(), fromText, toText, *price, number});
        draft.dayMasks.push_back(std::get<int>(days));
        draft.spans.push_back({*from, *to});
        draft.lines << number;
    }

    // Marks each minute of the week with the band that covers it; an overlap
    // is reported once per pair of lines, a gap once per run of minutes.
    std::optional<TariffPlan> cover(QDate date, const Draft& draft) {
        std::vector<qint16> owner(kWeek, -1);
        std::set<std::pair<int, int>> overlaps;
        const int before = faults_.size();
        for (size_t b = 0; b < draft.bands.size(); ++b) {
            const auto [from, to] = draft.spans[b];
            const int length = to > from ? to - from : kDay - from + to;
            for (int day = 0; day < 7; ++day) {
                if (!(draft.dayMasks[b] & (1 << day))) continue;
                for (int i = 0; i < length; ++i) {
                    const int minute = (day * kDay + from + i) % kWeek;
                    if (owner[minute] >= 0) {
                        const int other = draft.bands[owner[minute]].line;
                        if (overlaps.insert({other, draft.bands[b].line}).second)
                            faults_ << QStringLiteral("%1 lines %2 and %3: bands overlap from %4")
                                           .arg(file_)
                                           .arg(other)
                                           .arg(draft.bands[b].line)
                                           .arg(minuteName(minute));
                        continue;
                    }
                    owner[minute] = qint16(b);
                }
            }
        }
        reportGaps(date, draft, owner);
        if (faults_.size() != before) return std::nullopt;
        return TariffPlan{date, draft.bands, std::move(owner), draft.charge};
    }

    void reportGaps(QDate date, const Draft& draft, const std::vector<qint16>& owner) {
        QStringList lines;
        for (int l : draft.lines) lines << QString::number(l);
        for (int m = 0; m < kWeek;) {
            if (owner[m] >= 0) {
                ++m;
                continue;
            }
            int end = m;
            while (end < kWeek && owner[end] < 0) ++end;
            faults_ << QStringLiteral("%1 line%2 %3: the plan from %4 leaves %5 to %6 without a price")
                           .arg(file_, lines.size() > 1 ? QStringLiteral("s") : QString(), lines.join(u", "),
                                date.toString(Qt::ISODate), minuteName(m),
                                end == kWeek ? QStringLiteral("Sun 24:00") : minuteName(end));
            m = end;
        }
    }

    QString file_;
    QStringList faults_;
    std::map<QDate, Draft> drafts_;
};

}  // namespace

QString TariffBand::describe() const {
    return QStringLiteral("%1 %2-%3 from %4").arg(days, from, to, validFrom.toString(Qt::ISODate));
}

std::variant<Tariff, QStringList> Tariff::parse(const QByteArray& content, const QString& fileName) {
    Parser parser(fileName);
    const QList<QByteArray> lines = content.split('\n');
    for (qsizetype i = 0; i < lines.size(); ++i) {
        QByteArray line = lines[i];
        if (line.endsWith('\r')) line.chop(1);
        if (line.trimmed().isEmpty() || line.startsWith('#')) continue;
        parser.line(int(i + 1), line);
    }
    Tariff tariff;
    parser.finish(tariff.plans_);
    if (!parser.faults().isEmpty()) return parser.faults();
    return tariff;
}

const TariffPlan* Tariff::planOn(QDate day) const {
    const auto after = std::upper_bound(plans_.begin(), plans_.end(), day,
                                        [](QDate d, const TariffPlan& p) { return d < p.validFrom; });
    if (after == plans_.begin()) return nullptr;
    return &*std::prev(after);
}

std::optional<TariffBand> Tariff::bandAt(const QDateTime& when) const {
    const QDateTime local = when.toLocalTime();
    const TariffPlan* plan = planOn(local.date());
    if (!plan) return std::nullopt;
    const QTime t = local.time();
    const int minute = (local.date().dayOfWeek() - 1) * kDay + t.hour() * 60 + t.minute();
    return plan->bands[size_t(plan->bandOfMinute[size_t(minute)])];
}

std::optional<double> Tariff::priceAt(const QDateTime& when) const {
    if (auto band = bandAt(when)) return band->price;
    return std::nullopt;
}

double Tariff::dailyCharge(QDate day) const {
    const TariffPlan* plan = planOn(day);
    return plan ? plan->dailyCharge : 0;
}

}  // namespace kelvora
