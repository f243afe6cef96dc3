#pragma once
// The files of a directory as the disk writer sees them, with faults on
// demand: every write refused with an errno, or held at a gate until the test
// opens it (a disk whose sync takes its time).
#include "common/filesink.h"

#include <atomic>
#include <condition_variable>
#include <mutex>

namespace kelvora::testing {

class FaultySink final : public FileSink {
public:
    explicit FaultySink(QString path) : real_(std::move(path)) {}

    std::atomic<int> failWith{0};
    std::atomic<int> calls{0};

    void closeGate() {
        std::lock_guard lock(m_);
        open_ = false;
    }
    void openGate() {
        std::lock_guard lock(m_);
        open_ = true;
        cv_.notify_all();
    }

    QList<int> replace(const QList<WholeFile>& files) override {
        pass();
        if (const int err = failWith) return QList<int>(files.size(), err);
        return real_.replace(files);
    }
    int appendUnsynced(const QString& name, const QByteArray& content) override {
        ++calls;
        if (const int err = failWith) return err;
        return real_.appendUnsynced(name, content);
    }
    int sync(const QString& name) override {
        pass();
        if (const int err = failWith) return err;
        return real_.sync(name);
    }

    int read(const QString& name, qint64 maxBytes, QByteArray& content) const override {
        return real_.read(name, maxBytes, content);
    }
    bool exists(const QString& name) const override { return real_.exists(name); }
    std::optional<FileIdentity> identity(const QString& name) const override { return real_.identity(name); }

private:
    void pass() {
        ++calls;
        std::unique_lock lock(m_);
        cv_.wait(lock, [this] { return open_; });
    }
    DirectorySink real_;
    std::mutex m_;
    std::condition_variable cv_;
    bool open_ = true;
};

}  // namespace kelvora::testing
