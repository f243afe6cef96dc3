#pragma once
#include "common/records.h"

#include <QByteArray>
#include <QSet>
#include <QString>
#include <QStringList>
#include <optional>

namespace kelvora {

// The directory that holds every data file. All reads and writes of data
// files go through here: a whole-file write replaces the file atomically (a
// crash leaves the old or the new file, never half of one), an append adds to
// the end. Failures are reported on the standard error stream and returned.
// A file a user would lose is synced to disk before it replaces the old one;
// the files named as display-only are replaced atomically without the sync.
class DataDir {
public:
    explicit DataDir(QString path, QSet<QString> displayOnly = {});

    const QString& path() const { return path_; }
    QString filePath(const QString& name) const;
    bool exists(const QString& name) const;

    bool writeWhole(const QString& name, const QByteArray& content) const;
    // As writeWhole, synced, for a file that holds a secret: the new file is
    // readable and writable by the owner only before it replaces the old one.
    bool writePrivate(const QString& name, const QByteArray& content) const;
    bool isSynced(const QString& name) const { return !displayOnly_.contains(name); }
    bool append(const QString& name, const QByteArray& content) const;
    // Files larger than this are not data files of ours and are not read.
    static constexpr qint64 kMaxReadBytes = 16 * 1024 * 1024;
    std::optional<QByteArray> read(const QString& name) const;

    // Several whole files replaced together, each atomically as writeWhole
    // does: all are written to temporary files first, the synced ones are
    // synced as one batch (the disk flushes them together instead of file by
    // file), then each replaces its file and the directory is synced once.
    // When it returns, every file that it reports replaced is on disk.
    struct WholeFile {
        QString name;
        QByteArray content;
    };
    QList<bool> writeBatch(const QList<WholeFile>& batch) const;

    bool writeRecords(const QString& name, const QList<Record>& records) const;
    // The fields of a record file, or nothing when it cannot be read.
    std::optional<QStringList> readRecords(const QString& name) const;

private:
    bool writeSynced(const QString& name, const QByteArray& content, bool ownerOnly = false) const;
    bool writeUnsynced(const QString& name, const QByteArray& content) const;
    // A file renamed into place is on disk only once its directory is.
    void syncDirectory() const;

    QString path_;
    QSet<QString> displayOnly_;
};

}  // namespace kelvora
