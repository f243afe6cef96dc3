#pragma once
// A synthetic archive of two years, 2025 and 2026, a minute at a time as the
// archive writes them: a household's power (a base load, evenings, a fridge,
// now and then a kettle or an oven), the voltage and both phases, and the
// hour summaries. Written once per run, whole files, into a temporary folder.
#include "common/datadir.h"
#include "history/archivehour.h"
#include "model/datafiles.h"

#include <QDir>
#include <QHash>
#include <QTemporaryDir>
#include <cmath>

namespace kelvora::bench {

inline MinuteRecord householdMinute(qint64 ms, quint32& seed) {
    seed = seed * 1664525u + 1013904223u;
    const double noise = (seed >> 8) / double(1 << 24);
    const QDateTime t = QDateTime::fromMSecsSinceEpoch(ms);
    const double hour = t.time().hour() + t.time().minute() / 60.0;
    double kw = 0.35 + 0.15 * noise + (hour > 17 && hour < 23 ? 1.1 : 0) + ((ms / 60'000) % 40 < 12 ? 0.15 : 0);
    if (noise > 0.995) kw += 3 + 2 * noise;  // a kettle, an oven
    const double volts = 240 + 3 * std::sin(double(ms) / 7.3e6) - kw;
    const double amps = kw * 1000 / volts;
    return MinuteRecord{t, volts, amps * 0.55, amps * 0.45, kw, kw / 60, kw / 60 * 0.165};
}

// The folder holding the archive, made at the first call.
inline const QString& twoYearArchive() {
    static QTemporaryDir tmp;
    static const bool made = [] {
        const DataDir dir(tmp.path(), {});
        QDir().mkpath(dir.filePath(files::ArchiveFolder));
        QHash<QString, QByteArray> content;
        HourAccumulator hour;
        const auto closeHour = [&] {
            if (hour.empty()) return;
            const YearMonth m = localMonth(hour.hourStart());
            QByteArray& f = content[files::archiveHours(m.year, m.month)];
            if (f.isEmpty()) f = QByteArray(kHourHeader.data(), qsizetype(kHourHeader.size())) + "\r\n";
            f += hourLine(hour.summary()) + "\r\n";
        };
        quint32 seed = 2026;
        const qint64 end = QDate(2027, 1, 1).startOfDay().toMSecsSinceEpoch();
        for (qint64 ms = QDate(2025, 1, 1).startOfDay().toMSecsSinceEpoch(); ms < end; ms += 60'000) {
            const MinuteRecord r = householdMinute(ms, seed);
            const ArchiveStamp stamp = archiveStamp(r.stamp);
            if (hour.empty() || hour.hourStart().ms != localHourStart(stamp)) {
                closeHour();
                hour.start({localHourStart(stamp), stamp.offsetSeconds});
            }
            hour.add(r);
            const YearMonth m = localMonth(stamp);
            QByteArray& f = content[files::archiveMinutes(m.year, m.month)];
            if (f.isEmpty()) f = QByteArray(kMinuteHeader.data(), qsizetype(kMinuteHeader.size())) + "\r\n";
            f += minuteLine(r) + "\r\n";
        }
        closeHour();
        for (auto it = content.begin(); it != content.end(); ++it) dir.writeWhole(it.key(), it.value());
        return true;
    }();
    static const QString path = made ? tmp.path() : QString();
    return path;
}

}  // namespace kelvora::bench
