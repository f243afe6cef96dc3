#pragma once
#include "common/filesink.h"
#include "common/records.h"

#include <QByteArray>
#include <QSet>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>

namespace kelvora {

class DiskWriter;

// The directory that holds every data file. All reads and writes of data
// files go through here: a whole-file write replaces the file atomically (a
// crash leaves the old or the new file, never half of one), an append adds to
// the end. A file a user would lose is synced to disk before it replaces the
// old one; the files named as display-only are replaced atomically without
// the sync.
//
// Once a disk writer is attached (the running app), the synced writes go to
// it and return at once: it writes them on its own thread and keeps and
// retries what fails, and reads see the newest content whether or not it is
// on the disk yet. Without one (tools, tests, the first-run set-up) every
// write is done before it returns, failures are reported on the standard
// error stream and returned. Copies of a DataDir share the writer.
//
// The files themselves are kept by a FileSink: the directory at `path` on the
// disk, or another store (in memory, for fuzzing and tests), in which case
// the path only names the directory in messages.
class DataDir {
public:
    using WholeFile = ::kelvora::WholeFile;
    explicit DataDir(QString path, QSet<QString> displayOnly = {});
    DataDir(std::shared_ptr<FileSink> files, QString path, QSet<QString> displayOnly = {});

    const QString& path() const { return path_; }
    QString filePath(const QString& name) const;
    bool exists(const QString& name) const;
    // The file on the disk as it is now (nothing when there is none): a
    // different identity means it was replaced or written since.
    std::optional<FileIdentity> identity(const QString& name) const { return files_->identity(name); }

    void attachWriter(std::shared_ptr<DiskWriter> writer) const;
    // Told the name of each synced file once it is on the disk: at once for a
    // direct write, from the writer's thread's report otherwise.
    void setSavedListener(std::function<void(const QString&)> listener) const;
    DiskWriter* writer() const;
    // The same directory written directly, each write done before it
    // returns (the data initialisation, which must know what it created);
    // what the writer still holds for a file written so is dropped.
    DataDir withoutWriter() const;
    // Waits until the writer holds nothing (true), or the time is up.
    bool flush(int timeoutMs) const;

    bool writeWhole(const QString& name, const QByteArray& content) const;
    // Synced and done before it returns, for a file that holds a secret: the
    // new file is readable and writable by the owner only before it replaces
    // the old one.
    bool writePrivate(const QString& name, const QByteArray& content) const;
    // Synced and done before it returns, so that its caller can tell the user.
    bool writeNow(const QString& name, const QByteArray& content) const;
    bool isSynced(const QString& name) const { return !displayOnly_.contains(name); }
    bool append(const QString& name, const QByteArray& content) const;
    // Files larger than this are not data files of ours and are not read.
    static constexpr qint64 kMaxReadBytes = 16 * 1024 * 1024;
    std::optional<QByteArray> read(const QString& name) const;

    // Several whole files replaced together, each atomically as writeWhole
    // does; the synced ones go to the writer when there is one. Written
    // directly, the synced ones are synced as one batch (the disk flushes
    // them together instead of file by file), then each replaces its file
    // and the directory is synced once.
    QList<bool> writeBatch(const QList<WholeFile>& batch) const;

    bool writeRecords(const QString& name, const QList<Record>& records) const;
    // The fields of a record file, or nothing when it cannot be read.
    std::optional<QStringList> readRecords(const QString& name) const;

private:
    bool writeSynced(const QString& name, const QByteArray& content, bool ownerOnly) const;
    bool appendNow(const QString& name, const QByteArray& content) const;
    std::optional<QByteArray> readDisk(const QString& name) const;
    DiskWriter* writerFor(const QString& name) const;

    void announceSaved(const QString& name) const;

    void dropQueued(const QString& name) const;

    struct Shared {
        std::shared_ptr<DiskWriter> writer;
        std::shared_ptr<DiskWriter> overtaken;  // the writer a direct view writes past
        std::function<void(const QString&)> savedListener;
    };
    QString path_;
    QSet<QString> displayOnly_;
    std::shared_ptr<FileSink> files_;
    std::shared_ptr<Shared> shared_;
};

}  // namespace kelvora
