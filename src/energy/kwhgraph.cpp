#include "energy/kwhgraph.h"

#include "common/format.h"
#include "common/timestamp.h"
#include "energy/kwhrolling.h"
#include "model/datafiles.h"
#include "model/windowstate.h"

namespace kelvora {

QString kwhBarLabel(KwhPeriod period, const QString& stamp) {
    static const char* const months[] = {"JAN", "FEB", "MAR", "APR", "MAY", "JUNE",
                                         "JULY", "AUG", "SEPT", "OCT", "NOV", "DEC"};
    const auto when = parseStamp(stamp);
    if (!when) return stamp;
    switch (period) {
    case KwhPeriod::Hour: return formatDate(*when, u"ddd D H:MM AM/PM");
    case KwhPeriod::Day: return formatDate(*when, u"ddd mmm D");
    case KwhPeriod::Week: return formatDate(*when, u"mmm D");
    case KwhPeriod::Month: return QString::fromLatin1(months[when->date().month() - 1]);
    case KwhPeriod::Year: return formatDate(*when, u"yyyy");
    }
    return stamp;
}

namespace {

// How many records at the front of the file are those it was filled with when
// it was made: zero records that share one stamp, two or more of them. (A
// period's records have stamps of their own, but for the zero record after
// each monthly and yearly total, which follows its total.)
qsizetype fillRecords(const WindowState& windows, qsizetype n) {
    qsizetype run = 0;
    while (run < n && windows.Roll_Stamp[run] == windows.Roll_Stamp[0] && windows.Roll_Value[run].value() == 0) ++run;
    return run >= 2 ? run : 0;
}

}  // namespace

QList<KwhBar> kwhBars(KwhPeriod period, const WindowState& windows) {
    QList<KwhBar> bars(kRollingRecords);
    const qsizetype n = std::min<qsizetype>({kRollingRecords, windows.Roll_Stamp.size(), windows.Roll_Value.size()});
    const qsizetype fill = fillRecords(windows, n);
    for (qsizetype i = 0; i < n; ++i) {
        const double value = windows.Roll_Value[i].value();
        bars[i].stamp = windows.Roll_Stamp[i];
        if (period == KwhPeriod::Hour || value != 0) {
            bars[i].label = kwhBarLabel(period, windows.Roll_Stamp[i]);
            bars[i].value = value;
            bars[i].hasData = i >= fill;
        }
    }
    return bars;
}

QString ytdKwhText(const DataDir& dir) {
    double sum = 0;
    if (const auto months = readRollingFile(dir, files::KWHMonth, QString())) {
        int counted = 0;
        for (qsizetype i = months->values.size() - 1; i >= 0 && counted < 11; --i) {
            const double value = months->values[i].value();
            if (value == 0) continue;
            sum += value;
            ++counted;
        }
    }
    return formatNumber(sum, u"##,###");
}

}  // namespace kelvora
