#pragma once
#include "common/datadir.h"
#include "history/archivemonth.h"

#include <QDateTime>
#include <QHash>
#include <QList>
#include <memory>

namespace kelvora {

// The archive's month files as parsed, kept for the next look. A file is
// parsed again only when it changed on disk (the current month grows every
// minute). Parsed minutes are kept up to a budget, the least recently used
// month going first; the small hour summaries are all kept. Not shared
// between threads: the explorer's reader owns one.
class ArchiveStore {
public:
    // A month file larger than this is no archive of ours (a month of minutes
    // is about 3 MB) and is refused unread.
    static constexpr qint64 kMaxMonthBytes = 16 * 1024 * 1024;
    // About 40 MB of minutes: two years and more.
    static constexpr qsizetype kDefaultMinuteBudget = 1'100'000;

    explicit ArchiveStore(DataDir dir, qsizetype minuteBudget = kDefaultMinuteBudget);

    // Null when the month has no such file or it was refused.
    std::shared_ptr<const MonthMinutes> minutes(YearMonth month);
    std::shared_ptr<const MonthHours> hours(YearMonth month);
    // The months with a minute or hours file, oldest first.
    QList<YearMonth> months() const;

    // The damaged lines of the files last read, and the files refused.
    int damagedLines(YearMonth month) const;
    bool refused(YearMonth month) const;

    qsizetype minutesHeld() const { return held_; }

private:
    template <typename T>
    struct Entry {
        std::shared_ptr<const T> data;
        qint64 size = -1;
        QDateTime modified;
        quint64 used = 0;
        bool refused = false;
    };
    template <typename T, typename Parse>
    std::shared_ptr<const T> load(QHash<int, Entry<T>>& cache, const QString& name, YearMonth month, Parse parse);
    void trimMinutes(int keep);

    DataDir dir_;
    qsizetype budget_;
    qsizetype held_ = 0;
    quint64 clock_ = 0;
    QHash<int, Entry<MonthMinutes>> minutes_;
    QHash<int, Entry<MonthHours>> hours_;
};

}  // namespace kelvora
