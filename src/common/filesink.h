#pragma once
#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>

#include <mutex>
#include <optional>

struct stat;

namespace kelvora {

// One whole file to be replaced: its name in the data directory and content.
struct WholeFile {
    QString name;
    QByteArray content;
    // On the disk before it replaces the old file; display-only files skip the sync.
    bool synced = true;
    // Readable and writable by the owner only, from its first byte on (a
    // file that holds a secret).
    bool ownerOnly = false;
};

// Which file a name stands for now, and its state: equal identities mean
// the file was neither replaced nor written in between.
struct FileIdentity {
    quint64 inode = 0;  // a sink in memory counts its writes of the file here
    qint64 size = -1;
    qint64 modifiedNs = 0;
    bool operator==(const FileIdentity&) const = default;
};

// Where the data files live. Every call reports an errno value, 0 when it
// worked, so that its caller can decide what to keep, retry or tell; nothing
// here writes a warning.
class FileSink {
public:
    virtual ~FileSink() = default;
    // Each file replaced atomically (temporary file, sync when asked, rename,
    // then the directory): a failed file keeps its old content and leaves no
    // temporary file behind.
    virtual QList<int> replace(const QList<WholeFile>& files) = 0;
    // Adds to the end of a file without syncing it; a write that fails part
    // way is cut off again, so the file is as it was.
    virtual int appendUnsynced(const QString& name, const QByteArray& content) = 0;
    // What was appended to the file is on the disk when this returns 0.
    virtual int sync(const QString& name) = 0;
    // The whole file into `content`; EFBIG for one larger than `maxBytes`,
    // which is not read at all.
    virtual int read(const QString& name, qint64 maxBytes, QByteArray& content) const = 0;
    virtual bool exists(const QString& name) const = 0;
    // Nothing when there is no such file.
    virtual std::optional<FileIdentity> identity(const QString& name) const = 0;
};

// The real thing: the files of one directory.
//
// The display-only files it replaced (those written without a sync) are also
// kept in memory: the program reads them back every few seconds, and as long
// as the file on the disk is still the one written (same inode, size and
// modification time) a read takes the kept copy instead of the disk's.
class DirectorySink final : public FileSink {
public:
    explicit DirectorySink(QString path) : path_(std::move(path)) {}
    QList<int> replace(const QList<WholeFile>& files) override;
    int appendUnsynced(const QString& name, const QByteArray& content) override;
    int sync(const QString& name) override;
    int read(const QString& name, qint64 maxBytes, QByteArray& content) const override;
    bool exists(const QString& name) const override;
    std::optional<FileIdentity> identity(const QString& name) const override;

    // Creates, writes, syncs and renames a file of its own in `dir`, and
    // removes it again: 0 when the directory takes data as a data file's
    // write would, else the errno of the step that failed.
    static int probe(const QString& dir);

private:
    // What a display-only file was when this sink wrote it.
    struct Written {
        QByteArray content;
        FileIdentity identity;
    };
    static int syncDirectory(const QString& dir);
    void keepWritten(const QString& name, const struct stat* written, const QByteArray& content);
    std::optional<QByteArray> keptCopy(const QString& name, const QByteArray& path) const;

    QString path_;
    mutable std::mutex keptLock_;  // the writer's thread replaces files too
    QHash<QString, Written> kept_;
};

}  // namespace kelvora
