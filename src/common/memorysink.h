#pragma once
#include "common/filesink.h"

#include <QHash>
#include <mutex>

namespace kelvora {

// A data directory that lives in memory: reads, whole-file replacements and
// appends behave as on the disk, without its cost. For fuzzing and tests,
// which run a parser or a writer many thousand times a second. Copies of a
// DataDir share it, from any thread.
class MemorySink final : public FileSink {
public:
    QList<int> replace(const QList<WholeFile>& files) override;
    int appendUnsynced(const QString& name, const QByteArray& content) override;
    int sync(const QString& name) override;
    int read(const QString& name, qint64 maxBytes, QByteArray& content) const override;
    bool exists(const QString& name) const override;

private:
    mutable std::mutex mutex_;
    QHash<QString, QByteArray> files_;
};

}  // namespace kelvora
