// Replacing several data files at once with a single wait for the disk.
#include "common/datadir.h"

#include <QFile>
#include <QtGlobal>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace kelvora {

#ifdef Q_OS_UNIX
namespace {

bool writeAll(int fd, const QByteArray& content) {
    const char* p = content.constData();
    qsizetype left = content.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, size_t(left));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        p += n;
        left -= n;
    }
    return true;
}

bool syncData(int fd) {
#ifdef Q_OS_LINUX
    return ::fdatasync(fd) == 0;
#else
    return ::fsync(fd) == 0;
#endif
}

// One file of the batch on its way: its temporary file, open until synced.
struct Pending {
    QByteArray target;
    QByteArray temp;
    int fd = -1;
    bool synced = false;
    bool ok = false;
};

void fail(Pending& p, const char* what) {
    qWarning("Cannot %s %s: %s", what, p.target.constData(), std::strerror(errno));
    if (p.fd >= 0) ::close(p.fd);
    p.fd = -1;
    if (!p.temp.isEmpty()) ::unlink(p.temp.constData());
    p.ok = false;
}

void writeTemp(Pending& p, const QByteArray& content) {
    p.temp = p.target + ".XXXXXX";
#ifdef Q_OS_LINUX
    p.fd = ::mkostemp(p.temp.data(), O_CLOEXEC);
#else
    p.fd = ::mkstemp(p.temp.data());
#endif
    if (p.fd < 0) {
        p.temp.clear();
        fail(p, "write");
        return;
    }
    ::fchmod(p.fd, S_IRUSR | S_IWUSR | S_IRGRP | S_IROTH);
    p.ok = writeAll(p.fd, content);
    if (!p.ok) fail(p, "write");
}

}  // namespace

void DataDir::syncDirectory() const {
    const QByteArray dir = QFile::encodeName(path_);
    const int fd = ::open(dir.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    if (::fsync(fd) != 0) qWarning("Cannot sync the directory %s: %s", dir.constData(), std::strerror(errno));
    ::close(fd);
}

QList<bool> DataDir::writeBatch(const QList<WholeFile>& batch) const {
    QList<Pending> pending(batch.size());
    for (qsizetype i = 0; i < batch.size(); ++i) {
        pending[i].target = QFile::encodeName(filePath(batch[i].name));
        pending[i].synced = isSynced(batch[i].name);
        writeTemp(pending[i], batch[i].content);
    }
#ifdef Q_OS_LINUX
    // Start the write-back of every file before waiting for the first, so
    // that the disk takes them in one go.
    for (Pending& p : pending)
        if (p.ok && p.synced) ::sync_file_range(p.fd, 0, 0, SYNC_FILE_RANGE_WRITE);
#endif
    for (Pending& p : pending)
        if (p.ok && p.synced && !syncData(p.fd)) fail(p, "sync");
    bool renamedSynced = false;
    QList<bool> replaced(batch.size(), false);
    for (qsizetype i = 0; i < pending.size(); ++i) {
        Pending& p = pending[i];
        if (!p.ok) continue;
        if (::close(p.fd) != 0) {
            p.fd = -1;
            fail(p, "write");
            continue;
        }
        p.fd = -1;
        // rename(2) replaces the old file in one step.
        if (std::rename(p.temp.constData(), p.target.constData()) != 0) {
            fail(p, "replace");
            continue;
        }
        replaced[i] = true;
        renamedSynced = renamedSynced || p.synced;
    }
    // The new names are on disk only once the directory is.
    if (renamedSynced) syncDirectory();
    return replaced;
}

#else

void DataDir::syncDirectory() const {}

QList<bool> DataDir::writeBatch(const QList<WholeFile>& batch) const {
    QList<bool> replaced;
    for (const WholeFile& f : batch) replaced << writeWhole(f.name, f.content);
    return replaced;
}

#endif

}  // namespace kelvora
