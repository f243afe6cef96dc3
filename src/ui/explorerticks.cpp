#include "ui/explorerticks.h"

#include <QDateTime>
#include <QLocale>
#include <cmath>

namespace kelvora {
namespace {

constexpr qint64 kMinute = 60'000;

// A step of the time axis: so many minutes, days, months or years.
struct Step {
    enum Unit { Minutes, Days, Months, Years } unit;
    int count;
    qint64 approxMs() const {
        switch (unit) {
        case Minutes: return count * kMinute;
        case Days: return count * 1440 * kMinute;
        case Months: return count * 30 * 1440 * kMinute;
        case Years: return count * 365 * 1440 * kMinute;
        }
        return kMinute;
    }
};

constexpr Step kSteps[] = {{Step::Minutes, 1},  {Step::Minutes, 2},  {Step::Minutes, 5},   {Step::Minutes, 10},
                           {Step::Minutes, 15}, {Step::Minutes, 30}, {Step::Minutes, 60},  {Step::Minutes, 120},
                           {Step::Minutes, 180}, {Step::Minutes, 360}, {Step::Minutes, 720}, {Step::Days, 1},
                           {Step::Days, 2},     {Step::Days, 7},     {Step::Months, 1},    {Step::Months, 3},
                           {Step::Months, 6},   {Step::Years, 1},    {Step::Years, 2},     {Step::Years, 5},
                           {Step::Years, 10}};

// The first tick at or after the start of the view, on the step's grid.
QDateTime firstTick(const QDateTime& from, const Step& s) {
    const QDate d = from.date();
    switch (s.unit) {
    case Step::Minutes: {
        const int minutes = from.time().hour() * 60 + from.time().minute();
        QDateTime t(d, QTime(0, 0));
        t = t.addSecs(qint64(minutes / s.count * s.count) * 60);
        return t < from ? t.addSecs(qint64(s.count) * 60) : t;
    }
    case Step::Days: {
        QDate day = d;
        if (s.count == 7) day = day.addDays(1 - day.dayOfWeek());  // Mondays
        QDateTime t = day.startOfDay();
        while (t < from) t = t.addDays(s.count);
        return t;
    }
    case Step::Months: {
        QDate m(d.year(), (d.month() - 1) / s.count * s.count + 1, 1);
        QDateTime t = m.startOfDay();
        while (t < from) t = t.addMonths(s.count);
        return t;
    }
    case Step::Years: {
        QDateTime t = QDate(d.year() / s.count * s.count, 1, 1).startOfDay();
        while (t < from) t = t.addYears(s.count);
        return t;
    }
    }
    return from;
}

QDateTime next(const QDateTime& t, const Step& s) {
    switch (s.unit) {
    case Step::Minutes: {
        // On the local grid again after a clock change.
        const QDateTime n = t.addSecs(qint64(s.count) * 60);
        return firstTick(n, s) > n ? firstTick(n, s) : n;
    }
    case Step::Days: return t.addDays(s.count).date().startOfDay();
    case Step::Months: return t.addMonths(s.count);
    case Step::Years: return t.addYears(s.count);
    }
    return t;
}

QString label(const QDateTime& t, const Step& s) {
    const QLocale english(QLocale::English, QLocale::UnitedStates);
    switch (s.unit) {
    case Step::Minutes:
        return t.time() == QTime(0, 0) ? english.toString(t.date(), QStringLiteral("ddd d MMM"))
                                       : english.toString(t.time(), QStringLiteral("HH:mm"));
    case Step::Days: return english.toString(t.date(), QStringLiteral("ddd d MMM"));
    case Step::Months:
        return t.date().month() == 1 || s.count >= 3 ? english.toString(t.date(), QStringLiteral("MMM yyyy"))
                                                     : english.toString(t.date(), QStringLiteral("MMM"));
    case Step::Years: return QString::number(t.date().year());
    }
    return QString();
}

}  // namespace

QList<Tick> timeTicks(TimeRange view, int pixels, int minPixels) {
    QList<Tick> ticks;
    if (view.span() <= 0 || pixels <= 0) return ticks;
    const double msPerPixel = double(view.span()) / pixels;
    const Step* step = &kSteps[std::size(kSteps) - 1];
    for (const Step& s : kSteps)
        if (double(s.approxMs()) / msPerPixel >= minPixels) {
            step = &s;
            break;
        }
    const QDateTime end = QDateTime::fromMSecsSinceEpoch(view.to);
    for (QDateTime t = firstTick(QDateTime::fromMSecsSinceEpoch(view.from), *step); t <= end && ticks.size() < 200;
         t = next(t, *step))
        ticks << Tick{t.toMSecsSinceEpoch(), 0, label(t, *step)};
    return ticks;
}

QList<Tick> valueTicks(double low, double high, int count) {
    QList<Tick> ticks;
    if (!(high > low) || !std::isfinite(low) || !std::isfinite(high)) return ticks;
    const double raw = (high - low) / std::max(1, count);
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    double step = power;
    for (double f : {1.0, 2.0, 5.0, 10.0})
        if (f * power >= raw) {
            step = f * power;
            break;
        }
    const int decimals = std::max(0, int(-std::floor(std::log10(step) + 1e-9)));
    for (double v = std::ceil(low / step) * step; v <= high + step * 1e-9; v += step)
        ticks << Tick{0, v, QString::number(std::abs(v) < step * 1e-9 ? 0.0 : v, 'f', decimals)};
    return ticks;
}

}  // namespace kelvora
