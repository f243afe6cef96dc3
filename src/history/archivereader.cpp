#include "history/archivereader.h"

namespace kelvora {

ExploreResult explore(ArchiveStore& store, const ExploreRequest& request) {
    ExploreResult r;
    r.request = request;
    r.shown = archiveSeries(store, request.quantity, request.range, request.columns);
    if (request.compare != ComparePeriod::None) {
        r.compareRange = previousPeriod(request.range, request.compare);
        r.compare = archiveSeries(store, request.quantity, r.compareRange, request.columns);
        alignSeries(r.compare, r.compareRange, request.range);
    }
    r.damage = archiveDamage(store, request.range);
    return r;
}

// Lives on the reader's thread and owns the parsed months.
class ArchiveReader::Worker : public QObject {
public:
    Worker(DataDir dir, ArchiveReader& reader, std::shared_ptr<std::atomic<quint64>> latest)
        : store_(std::move(dir)), reader_(reader), latest_(std::move(latest)) {}

    void work(const ExploreRequest& request) {
        if (request.serial != latest_->load()) return;  // overtaken
        Q_EMIT reader_.seriesReady(explore(store_, request));
        if (request.serial != latest_->load()) return;
        const auto overtaken = [&] { return request.serial != latest_->load(); };
        const ArchiveStats stats = archiveStats(store_, request.range, overtaken);
        if (!overtaken()) Q_EMIT reader_.statsReady(request.serial, stats);
    }
    void listMonths() { Q_EMIT reader_.monthsFound(store_.months()); }

private:
    ArchiveStore store_;
    ArchiveReader& reader_;
    std::shared_ptr<std::atomic<quint64>> latest_;
};

ArchiveReader::ArchiveReader(DataDir dir, QObject* parent)
    : QObject(parent), latest_(std::make_shared<std::atomic<quint64>>(0)) {
    qRegisterMetaType<ExploreRequest>();
    qRegisterMetaType<ExploreResult>();
    qRegisterMetaType<ArchiveStats>();
    qRegisterMetaType<QList<YearMonth>>();
    thread_.setObjectName(QStringLiteral("ArchiveReader"));
    worker_ = new Worker(std::move(dir), *this, latest_);
    worker_->moveToThread(&thread_);
    connect(&thread_, &QThread::finished, worker_, &QObject::deleteLater);
    thread_.start();
}

ArchiveReader::~ArchiveReader() {
    latest_->store(~quint64(0));  // whatever is queued is dropped
    thread_.quit();
    thread_.wait();
}

void ArchiveReader::request(const ExploreRequest& request) {
    latest_->store(request.serial);
    QMetaObject::invokeMethod(worker_, [w = worker_, request] { w->work(request); }, Qt::QueuedConnection);
}

void ArchiveReader::listMonths() {
    QMetaObject::invokeMethod(worker_, [w = worker_] { w->listMonths(); }, Qt::QueuedConnection);
}

}  // namespace kelvora
