#pragma once
#include "common/filesink.h"

#include <QHash>
#include <QObject>
#include <QSet>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

namespace kelvora {

// The one writer of the files a user would lose. Writes are queued and done
// in order on a thread of its own, so the thread that draws the windows never
// waits for the disk. A write that fails (no space, read-only, I/O error) is
// kept and tried again until it works: a file rewritten again meanwhile is
// written with its newest content only, appends keep their order, and nothing
// is dropped. Readers go through `readThrough`, so they always see the newest
// content, on the disk or not.
class DiskWriter : public QObject {
    Q_OBJECT
public:
    explicit DiskWriter(std::unique_ptr<FileSink> sink, QObject* parent = nullptr);
    // Waits up to `kExitWaitMs` for what is held to reach the disk.
    ~DiskWriter() override;

    static constexpr int kExitWaitMs = 5000;

    void replace(const QString& name, QByteArray content);
    void append(const QString& name, QByteArray content);
    // A write that is done directly (a file the user saves and waits for)
    // must not be overtaken by an older queued one.
    void drop(const QString& name);

    // What a reader of `name` sees: the newest content queued for it, or the
    // disk's (from `readDisk`) followed by the appends still queued.
    std::optional<QByteArray> readThrough(const QString& name,
                                          const std::function<std::optional<QByteArray>()>& readDisk) const;
    bool holds(const QString& name) const;

    // Blocks until nothing is held or the time is up; true when all is saved.
    bool waitUntilSaved(int timeoutMs);
    int heldWrites() const;
    bool failing() const;
    // How long a failing write waits before it is tried again.
    void setRetryIntervalMs(int ms);

Q_SIGNALS:
    // On the disk (delivered on the receiver's thread).
    void saved(const QString& name);
    // Saving has started to fail, with the system's words for why.
    void savingFailed(const QString& reason, int heldWrites);
    // Everything held was saved after a failure.
    void savingRecovered(int heldWrites);

private:
    struct Append {
        QString name;
        QByteArray content;
    };
    void run();
    bool hasWork() const;
    int heldLocked() const;
    void writeWholeFiles(std::unique_lock<std::mutex>& lock, QStringList& saved, int& error);
    void writeAppends(std::unique_lock<std::mutex>& lock, QStringList& saved, int& error);
    void report(const QStringList& saved, int error);

    std::unique_ptr<FileSink> sink_;
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable idle_;
    QHash<QString, QByteArray> wholes_;    // newest content not yet taken
    QHash<QString, QByteArray> inFlight_;  // being written now
    std::deque<Append> appends_;
    QSet<QString> unsynced_;               // appended, not yet synced
    bool stopping_ = false;
    bool abandon_ = false;
    bool failing_ = false;
    int retryMs_ = 1000;
    int writesWhileFailing_ = 0;
    std::thread thread_;
};

}  // namespace kelvora
