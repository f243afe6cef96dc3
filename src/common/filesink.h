#pragma once
#include <QByteArray>
#include <QList>
#include <QString>

namespace kelvora {

// One whole file to be replaced: its name in the data directory and content.
struct WholeFile {
    QString name;
    QByteArray content;
};

// Where the disk writer puts the files a user would lose. Every call reports
// an errno value per file, 0 when it worked, so that the writer can decide
// what to keep and retry; nothing here writes a warning.
class FileSink {
public:
    virtual ~FileSink() = default;
    // Each file replaced atomically and synced (temporary file, sync, rename,
    // then the directory): a failed file keeps its old content and leaves no
    // temporary file behind.
    virtual QList<int> replace(const QList<WholeFile>& files) = 0;
    // Adds to the end of a file without syncing it; a write that fails part
    // way is cut off again, so the file is as it was.
    virtual int appendUnsynced(const QString& name, const QByteArray& content) = 0;
    // What was appended to the file is on the disk when this returns 0.
    virtual int sync(const QString& name) = 0;
};

// The real thing: the files of one directory.
class DirectorySink final : public FileSink {
public:
    explicit DirectorySink(QString path) : path_(std::move(path)) {}
    QList<int> replace(const QList<WholeFile>& files) override;
    int appendUnsynced(const QString& name, const QByteArray& content) override;
    int sync(const QString& name) override;

    // The same, for callers that write directly: `synced` per file says
    // whether it is synced before its rename.
    static QList<int> replaceFiles(const QString& dir, const QList<WholeFile>& files, const QList<bool>& synced);
    static int syncDirectory(const QString& dir);
    // Creates, writes, syncs and renames a file of its own in `dir`, and
    // removes it again: 0 when the directory takes data as a data file's
    // write would, else the errno of the step that failed.
    static int probe(const QString& dir);

private:
    QString path_;
};

}  // namespace kelvora
