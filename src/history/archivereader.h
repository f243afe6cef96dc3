#pragma once
#include "history/archivequery.h"

#include <QObject>
#include <QThread>
#include <atomic>
#include <memory>

namespace kelvora {

// What the explorer asks of the archive: a quantity over a range, for a plot
// `columns` pixels wide, with the previous period beside it or not.
struct ExploreRequest {
    quint64 serial = 0;
    ArchiveQuantity quantity = ArchiveQuantity::Kw;
    TimeRange range;
    int columns = 1000;
    ComparePeriod compare = ComparePeriod::None;
};

struct ExploreResult {
    ExploreRequest request;
    PlotSeries shown;
    PlotSeries compare;  // moved onto the range shown
    TimeRange compareRange;
    ArchiveDamage damage;
};

// The whole answer, on the calling thread (the reader's work, and the
// benchmark's).
ExploreResult explore(ArchiveStore& store, const ExploreRequest& request);

// Reads the archive on a thread of its own, so that the window never waits
// for a disk or a parse. Requests overtaken by a newer one before their turn
// are dropped: while the user zooms, only the last step is worked out. The
// statistics follow each answer; they need every minute of the range, which
// over a year is a second or so of reading the first time.
class ArchiveReader : public QObject {
    Q_OBJECT
public:
    explicit ArchiveReader(DataDir dir, QObject* parent = nullptr);
    ~ArchiveReader() override;

    // Thread-safe; the answer comes as seriesReady, then statsReady.
    void request(const ExploreRequest& request);
    // The months that have a file, as monthsFound.
    void listMonths();

Q_SIGNALS:
    void seriesReady(const kelvora::ExploreResult& result);
    void statsReady(quint64 serial, const kelvora::ArchiveStats& stats);
    void monthsFound(const QList<kelvora::YearMonth>& months);

private:
    class Worker;
    QThread thread_;
    Worker* worker_;
    std::shared_ptr<std::atomic<quint64>> latest_;
};

}  // namespace kelvora

Q_DECLARE_METATYPE(kelvora::ExploreRequest)
Q_DECLARE_METATYPE(kelvora::ExploreResult)
Q_DECLARE_METATYPE(kelvora::ArchiveStats)
Q_DECLARE_METATYPE(kelvora::YearMonth)
