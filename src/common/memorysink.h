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
    std::optional<FileIdentity> identity(const QString& name) const override;

private:
    struct File {
        QByteArray content;
        quint64 writes = 0;
    };
    File& written(const QString& name);

    mutable std::mutex mutex_;
    QHash<QString, File> files_;
};

}  // namespace kelvora
