#include "common/diskwriter.h"

#include <QtGlobal>
#include <chrono>
#include <cstring>

namespace kelvora {
namespace {

QString reasonText(int error) { return QString::fromLocal8Bit(std::strerror(error)); }

}  // namespace

DiskWriter::DiskWriter(std::unique_ptr<FileSink> sink, QObject* parent)
    : QObject(parent), sink_(std::move(sink)), thread_([this] { run(); }) {}

DiskWriter::~DiskWriter() {
    std::unique_lock lock(mutex_);
    stopping_ = true;
    wake_.notify_all();
    idle_.wait_for(lock, std::chrono::milliseconds(kExitWaitMs), [this] { return heldLocked() == 0; });
    const int lost = heldLocked();
    abandon_ = true;
    wake_.notify_all();
    lock.unlock();
    thread_.join();
    if (lost > 0) qWarning("%d writes of data files could not be saved before Kelvora ended", lost);
}

int DiskWriter::heldLocked() const {
    return int(wholes_.size() + inFlight_.size() + appends_.size() + unsynced_.size());
}

bool DiskWriter::hasWork() const { return !wholes_.isEmpty() || !appends_.empty() || !unsynced_.isEmpty(); }

void DiskWriter::replace(const QString& name, QByteArray content) {
    std::lock_guard lock(mutex_);
    // The new content supersedes whatever was still to be added to the old.
    std::erase_if(appends_, [&name](const Append& a) { return a.name == name; });
    wholes_.insert(name, std::move(content));
    wake_.notify_all();
}

void DiskWriter::append(const QString& name, QByteArray content) {
    std::lock_guard lock(mutex_);
    appends_.push_back(Append{name, std::move(content)});
    wake_.notify_all();
}

void DiskWriter::drop(const QString& name) {
    std::lock_guard lock(mutex_);
    wholes_.remove(name);
    std::erase_if(appends_, [&name](const Append& a) { return a.name == name; });
}

std::optional<QByteArray> DiskWriter::readThrough(const QString& name,
                                                  const std::function<std::optional<QByteArray>()>& readDisk) const {
    std::lock_guard lock(mutex_);
    std::optional<QByteArray> data;
    if (const auto queued = wholes_.constFind(name); queued != wholes_.cend()) data = *queued;
    else if (const auto writing = inFlight_.constFind(name); writing != inFlight_.cend()) data = *writing;
    else data = readDisk();
    for (const Append& a : appends_) {
        if (a.name != name) continue;
        if (!data) data = QByteArray();
        *data += a.content;
    }
    return data;
}

bool DiskWriter::holds(const QString& name) const {
    std::lock_guard lock(mutex_);
    return wholes_.contains(name) || inFlight_.contains(name) ||
           std::any_of(appends_.begin(), appends_.end(), [&name](const Append& a) { return a.name == name; });
}

bool DiskWriter::waitUntilSaved(int timeoutMs) {
    std::unique_lock lock(mutex_);
    wake_.notify_all();
    return idle_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this] { return heldLocked() == 0; });
}

int DiskWriter::heldWrites() const {
    std::lock_guard lock(mutex_);
    return heldLocked();
}

bool DiskWriter::failing() const {
    std::lock_guard lock(mutex_);
    return failing_;
}

void DiskWriter::setRetryIntervalMs(int ms) {
    std::lock_guard lock(mutex_);
    retryMs_ = ms;
}

void DiskWriter::run() {
    std::unique_lock lock(mutex_);
    for (;;) {
        if (failing_)
            wake_.wait_for(lock, std::chrono::milliseconds(retryMs_), [this] { return abandon_; });
        else
            wake_.wait(lock, [this] { return abandon_ || stopping_ || hasWork(); });
        if (abandon_ || (stopping_ && !hasWork() && !failing_)) break;
        if (!hasWork()) {
            // What failed was dropped for a direct write: nothing is held any more.
            lock.unlock();
            report({}, 0);
            lock.lock();
            continue;
        }
        QStringList saved;
        int error = 0;
        writeWholeFiles(lock, saved, error);
        if (!error) writeAppends(lock, saved, error);
        lock.unlock();
        report(saved, error);
        lock.lock();
        if (heldLocked() == 0) idle_.notify_all();
    }
    idle_.notify_all();
}

void DiskWriter::writeWholeFiles(std::unique_lock<std::mutex>& lock, QStringList& saved, int& error) {
    if (wholes_.isEmpty()) return;
    inFlight_.swap(wholes_);
    QList<WholeFile> files;
    for (auto it = inFlight_.cbegin(); it != inFlight_.cend(); ++it) files << WholeFile{it.key(), it.value()};
    lock.unlock();
    const QList<int> errors = sink_->replace(files);
    lock.lock();
    for (qsizetype i = 0; i < files.size(); ++i) {
        const int err = errors.value(i, EIO);
        if (!err) {
            saved << files[i].name;
            continue;
        }
        error = err;
        // Newest wins: a content queued meanwhile replaces the one that failed.
        if (!wholes_.contains(files[i].name)) wholes_.insert(files[i].name, files[i].content);
    }
    inFlight_.clear();
}

void DiskWriter::writeAppends(std::unique_lock<std::mutex>& lock, QStringList& saved, int& error) {
    // The bytes are added under the lock, so a reader never sees an append
    // both in the file and in the queue; the slow sync runs without it.
    while (!appends_.empty()) {
        const Append& next = appends_.front();
        // A rewrite queued before this append goes first: the next round.
        if (wholes_.contains(next.name)) break;
        if (const int err = sink_->appendUnsynced(next.name, next.content)) {
            error = err;  // this one and all after it stay, in their order
            break;
        }
        unsynced_.insert(next.name);
        appends_.pop_front();
    }
    const QSet<QString> toSync = std::exchange(unsynced_, {});
    lock.unlock();
    QSet<QString> notSynced;
    for (const QString& name : toSync) {
        if (const int err = sink_->sync(name)) {
            error = err;
            notSynced.insert(name);
        } else {
            saved << name;
        }
    }
    lock.lock();
    unsynced_ += notSynced;
}

void DiskWriter::report(const QStringList& saved, int error) {
    for (const QString& name : saved) Q_EMIT this->saved(name);
    std::unique_lock lock(mutex_);
    if (failing_) writesWhileFailing_ += int(saved.size());
    if (error && !failing_) {
        failing_ = true;
        writesWhileFailing_ = 0;
        const int held = heldLocked();
        lock.unlock();
        Q_EMIT savingFailed(reasonText(error), held);
    } else if (!error && failing_ && heldLocked() == 0) {
        failing_ = false;
        const int written = writesWhileFailing_;
        lock.unlock();
        Q_EMIT savingRecovered(written);
    }
}

}  // namespace kelvora
