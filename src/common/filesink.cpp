// Writing data files with POSIX calls, so that each failure has its errno.
#include "common/filesink.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kelvora {
namespace {

int writeAll(int fd, const QByteArray& content) {
    const char* p = content.constData();
    qsizetype left = content.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, size_t(left));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return errno;
        if (n == 0) return EIO;
        p += n;
        left -= n;
    }
    return 0;
}

int syncData(int fd) {
#ifdef Q_OS_LINUX
    return ::fdatasync(fd) == 0 ? 0 : errno;
#else
    return ::fsync(fd) == 0 ? 0 : errno;
#endif
}

// One file of a batch on its way: its temporary file, open until synced.
struct Pending {
    QByteArray target;
    QByteArray temp;
    int fd = -1;
    bool synced = false;
    int error = 0;

    void fail(int err) {
        error = err ? err : EIO;
        if (fd >= 0) ::close(fd);
        fd = -1;
        if (!temp.isEmpty()) ::unlink(temp.constData());
        temp.clear();
    }
};

void writeTemp(Pending& p, const QByteArray& content, bool ownerOnly) {
    p.temp = p.target + ".XXXXXX";
    p.fd = ::mkostemp(p.temp.data(), O_CLOEXEC);
    if (p.fd < 0) {
        const int err = errno;
        p.temp.clear();
        p.fail(err);
        return;
    }
    // mkostemp made it the owner's alone; a file without a secret is opened to others.
    if (!ownerOnly) ::fchmod(p.fd, S_IRUSR | S_IWUSR | S_IRGRP | S_IROTH);
    if (const int err = writeAll(p.fd, content)) p.fail(err);
}

void syncAll(QList<Pending>& pending) {
#ifdef Q_OS_LINUX
    // Start the write-back of every file before waiting for the first, so
    // that the disk takes them in one go.
    for (Pending& p : pending)
        if (!p.error && p.synced) ::sync_file_range(p.fd, 0, 0, SYNC_FILE_RANGE_WRITE);
#endif
    for (Pending& p : pending)
        if (!p.error && p.synced)
            if (const int err = syncData(p.fd)) p.fail(err);
}

// rename(2) replaces the old file in one step.
int renameOver(const Pending& p) { return std::rename(p.temp.constData(), p.target.constData()) == 0 ? 0 : errno; }

// A display file takes the new file's place in one step too, by swapping the
// two names; the old file, now under the temporary name, is then removed.
// Renaming over it would do the same for a reader, but ext4 then starts
// writing the new file out at once (its guard for files replaced without a
// sync), which for a file replaced every message is most of the cost of
// writing it; swapped, the next message's file takes its place before it
// ever reaches the disk. Where the swap is not supported, or there is no old
// file yet, the file is renamed (as it is over a directory, which the swap
// would move aside and rename refuses).
int swapIn(const Pending& p) {
#ifdef RENAME_EXCHANGE
    struct stat old {};
    if (::lstat(p.target.constData(), &old) == 0 && !S_ISDIR(old.st_mode) &&
        ::renameat2(AT_FDCWD, p.temp.constData(), AT_FDCWD, p.target.constData(), RENAME_EXCHANGE) == 0) {
        ::unlink(p.temp.constData());
        return 0;
    }
#endif
    return renameOver(p);
}

QByteArray pathOf(const QString& dir, const QString& name) { return QFile::encodeName(QDir(dir).filePath(name)); }

FileIdentity identityOf(const struct stat& st) {
    return {quint64(st.st_ino), qint64(st.st_size), qint64(st.st_mtim.tv_sec) * 1'000'000'000 + st.st_mtim.tv_nsec};
}

std::optional<FileIdentity> identityAt(const QByteArray& path) {
    struct stat st {};
    if (::stat(path.constData(), &st) != 0) return std::nullopt;
    return identityOf(st);
}

}  // namespace

int DirectorySink::syncDirectory(const QString& dir) {
    const int fd = ::open(QFile::encodeName(dir).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return errno;
    const int err = ::fsync(fd) == 0 ? 0 : errno;
    ::close(fd);
    return err;
}

QList<int> DirectorySink::replace(const QList<WholeFile>& files) {
    QList<Pending> pending(files.size());
    for (qsizetype i = 0; i < files.size(); ++i) {
        pending[i].target = pathOf(path_, files[i].name);
        pending[i].synced = files[i].synced;
        writeTemp(pending[i], files[i].content, files[i].ownerOnly);
    }
    syncAll(pending);
    bool renamedSynced = false;
    for (qsizetype i = 0; i < pending.size(); ++i) {
        Pending& p = pending[i];
        if (p.error) continue;
        struct stat written {};
        const bool known = !p.synced && ::fstat(p.fd, &written) == 0;
        const int closed = ::close(p.fd);
        p.fd = -1;
        if (closed != 0) {
            p.fail(errno);
            continue;
        }
        if (const int err = p.synced ? renameOver(p) : swapIn(p)) {
            p.fail(err);
            continue;
        }
        if (!p.synced) keepWritten(files[i].name, known ? &written : nullptr, files[i].content);
        renamedSynced = renamedSynced || p.synced;
    }
    QList<int> errors;
    for (const Pending& p : pending) errors << p.error;
    // The new names are on the disk only once the directory is; a directory
    // that cannot be synced leaves every synced file of the batch unsure.
    if (renamedSynced)
        if (const int err = syncDirectory(path_))
            for (qsizetype i = 0; i < pending.size(); ++i)
                if (!errors[i] && pending[i].synced) errors[i] = err;
    return errors;
}

void DirectorySink::keepWritten(const QString& name, const struct stat* written, const QByteArray& content) {
    const std::lock_guard lock(keptLock_);
    // Without the file's identity the copy could not be checked: not kept.
    if (!written) {
        kept_.remove(name);
        return;
    }
    kept_.insert(name, Written{content, identityOf(*written)});
}

std::optional<QByteArray> DirectorySink::keptCopy(const QString& name, const QByteArray& path) const {
    const std::lock_guard lock(keptLock_);
    const auto it = kept_.constFind(name);
    if (it == kept_.cend()) return std::nullopt;
    if (identityAt(path) != it->identity) return std::nullopt;
    return it->content;
}

int DirectorySink::probe(const QString& dir) {
    const QString name = QStringLiteral(".kelvora-probe-%1").arg(::getpid());
    const QList<int> errors = DirectorySink(dir).replace({WholeFile{name, QByteArrayLiteral("probe\r\n")}});
    const int err = errors.value(0, EIO);
    if (!err) ::unlink(pathOf(dir, name).constData());
    return err;
}

int DirectorySink::appendUnsynced(const QString& name, const QByteArray& content) {
    const QByteArray path = pathOf(path_, name);
    const int fd = ::open(path.constData(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) return errno;
    struct stat before {};
    int err = ::fstat(fd, &before) == 0 ? 0 : errno;
    if (!err) err = writeAll(fd, content);
    // A line written half way would be followed by the whole line when the
    // append is tried again: cut it off.
    if (err && before.st_size >= 0) (void)::ftruncate(fd, before.st_size);
    ::close(fd);
    return err;
}

int DirectorySink::sync(const QString& name) {
    const int fd = ::open(pathOf(path_, name).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return errno;
    int err = ::fsync(fd) == 0 ? 0 : errno;
    ::close(fd);
    // A file that the append created is found again only once its directory is on the disk.
    if (!err) err = syncDirectory(path_);
    return err;
}

int DirectorySink::read(const QString& name, qint64 maxBytes, QByteArray& content) const {
    const QByteArray path = pathOf(path_, name);
    if (auto kept = keptCopy(name, path)) {
        content = *std::move(kept);
        return 0;
    }
    QFile file(QFile::decodeName(path));
    if (!file.open(QIODevice::ReadOnly)) return file.exists() ? EACCES : ENOENT;
    if (file.size() > maxBytes) return EFBIG;
    // Sized by the file: read(maxBytes) would allocate the whole limit for
    // every small file it reads.
    content = file.readAll();
    if (file.error() != QFileDevice::NoError) return EIO;
    // It may have grown while it was read.
    return content.size() > maxBytes ? EFBIG : 0;
}

bool DirectorySink::exists(const QString& name) const { return QFileInfo::exists(QDir(path_).filePath(name)); }

std::optional<FileIdentity> DirectorySink::identity(const QString& name) const {
    return identityAt(pathOf(path_, name));
}

}  // namespace kelvora
