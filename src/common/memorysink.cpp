#include "common/memorysink.h"

#include <cerrno>

namespace kelvora {

MemorySink::File& MemorySink::written(const QString& name) {
    File& f = files_[name];
    ++f.writes;
    return f;
}

QList<int> MemorySink::replace(const QList<WholeFile>& files) {
    std::lock_guard lock(mutex_);
    for (const WholeFile& f : files) written(f.name).content = f.content;
    return QList<int>(files.size(), 0);
}

int MemorySink::appendUnsynced(const QString& name, const QByteArray& content) {
    std::lock_guard lock(mutex_);
    written(name).content += content;
    return 0;
}

int MemorySink::sync(const QString& name) {
    std::lock_guard lock(mutex_);
    return files_.contains(name) ? 0 : ENOENT;
}

int MemorySink::read(const QString& name, qint64 maxBytes, QByteArray& content) const {
    std::lock_guard lock(mutex_);
    const auto it = files_.constFind(name);
    if (it == files_.cend()) return ENOENT;
    if (it->content.size() > maxBytes) return EFBIG;
    content = it->content;
    return 0;
}

bool MemorySink::exists(const QString& name) const {
    std::lock_guard lock(mutex_);
    return files_.contains(name);
}

std::optional<FileIdentity> MemorySink::identity(const QString& name) const {
    std::lock_guard lock(mutex_);
    const auto it = files_.constFind(name);
    if (it == files_.cend()) return std::nullopt;
    return FileIdentity{it->writes, it->content.size(), 0};
}

}  // namespace kelvora
