#include "common/datadir.h"

#include "common/diskwriter.h"

#include <QDir>
#include <QtGlobal>
#include <cerrno>
#include <cstring>

namespace kelvora {

DataDir::DataDir(QString path, QSet<QString> displayOnly)
    : DataDir(std::make_shared<DirectorySink>(path), path, std::move(displayOnly)) {}

DataDir::DataDir(std::shared_ptr<FileSink> files, QString path, QSet<QString> displayOnly)
    : path_(std::move(path)),
      displayOnly_(std::move(displayOnly)),
      files_(std::move(files)),
      shared_(std::make_shared<Shared>()) {}

QString DataDir::filePath(const QString& name) const { return QDir(path_).filePath(name); }

bool DataDir::exists(const QString& name) const {
    if (const DiskWriter* w = writer(); w && w->holds(name)) return true;
    return files_->exists(name);
}

void DataDir::attachWriter(std::shared_ptr<DiskWriter> writer) const {
    shared_->writer = std::move(writer);
    const std::weak_ptr<Shared> shared = shared_;
    QObject::connect(shared_->writer.get(), &DiskWriter::saved, shared_->writer.get(), [shared](const QString& name) {
        if (const auto s = shared.lock(); s && s->savedListener) s->savedListener(name);
    });
}

void DataDir::setSavedListener(std::function<void(const QString&)> listener) const {
    shared_->savedListener = std::move(listener);
}

void DataDir::announceSaved(const QString& name) const {
    if (isSynced(name) && shared_->savedListener) shared_->savedListener(name);
}

DiskWriter* DataDir::writer() const { return shared_->writer.get(); }

DataDir DataDir::withoutWriter() const {
    DataDir direct(files_, path_, displayOnly_);
    direct.shared_->overtaken = shared_->writer ? shared_->writer : shared_->overtaken;
    direct.shared_->savedListener = shared_->savedListener;
    return direct;
}

void DataDir::dropQueued(const QString& name) const {
    if (DiskWriter* w = shared_->writer ? shared_->writer.get() : shared_->overtaken.get()) w->drop(name);
}

DiskWriter* DataDir::writerFor(const QString& name) const { return isSynced(name) ? writer() : nullptr; }

bool DataDir::flush(int timeoutMs) const { return !writer() || writer()->waitUntilSaved(timeoutMs); }

bool DataDir::writeWhole(const QString& name, const QByteArray& content) const {
    if (DiskWriter* w = writerFor(name)) {
        w->replace(name, content);
        return true;
    }
    return writeBatch({WholeFile{name, content}}).value(0);
}

bool DataDir::writePrivate(const QString& name, const QByteArray& content) const {
    return writeSynced(name, content, true);
}

bool DataDir::writeNow(const QString& name, const QByteArray& content) const {
    return writeSynced(name, content, false);
}

bool DataDir::writeSynced(const QString& name, const QByteArray& content, bool ownerOnly) const {
    // Done here and now: an older queued content must not land after it.
    dropQueued(name);
    if (const int err = files_->replace({WholeFile{name, content, true, ownerOnly}}).value(0, EIO)) {
        qWarning("Cannot write %s: %s", qPrintable(filePath(name)), std::strerror(err));
        return false;
    }
    announceSaved(name);
    return true;
}

bool DataDir::append(const QString& name, const QByteArray& content) const {
    if (DiskWriter* w = writerFor(name)) {
        w->append(name, content);
        return true;
    }
    return appendNow(name, content);
}

bool DataDir::appendNow(const QString& name, const QByteArray& content) const {
    dropQueued(name);
    int err = files_->appendUnsynced(name, content);
    // A log a user would lose is on the disk when the append returns.
    if (!err && isSynced(name)) err = files_->sync(name);
    if (err) qWarning("Cannot append to %s: %s", qPrintable(filePath(name)), std::strerror(err));
    else announceSaved(name);
    return !err;
}

std::optional<QByteArray> DataDir::read(const QString& name) const {
    if (const DiskWriter* w = writerFor(name)) return w->readThrough(name, [&] { return readDisk(name); });
    return readDisk(name);
}

std::optional<QByteArray> DataDir::readDisk(const QString& name) const {
    QByteArray data;
    const int err = files_->read(name, kMaxReadBytes, data);
    if (err == EFBIG) qWarning("%s is too large to be a data file; ignored", qPrintable(filePath(name)));
    if (err) return std::nullopt;
    return data;
}

QList<bool> DataDir::writeBatch(const QList<WholeFile>& batch) const {
    QList<bool> replaced(batch.size(), true);
    QList<WholeFile> direct;
    QList<qsizetype> directIndex;
    for (qsizetype i = 0; i < batch.size(); ++i) {
        if (DiskWriter* w = writerFor(batch[i].name)) {
            w->replace(batch[i].name, batch[i].content);
            continue;
        }
        dropQueued(batch[i].name);
        direct << WholeFile{batch[i].name, batch[i].content, isSynced(batch[i].name)};
        directIndex << i;
    }
    if (direct.isEmpty()) return replaced;
    const QList<int> errors = files_->replace(direct);
    for (qsizetype j = 0; j < direct.size(); ++j) {
        if (!errors[j]) {
            announceSaved(direct[j].name);
            continue;
        }
        replaced[directIndex[j]] = false;
        qWarning("Cannot write %s: %s", qPrintable(filePath(direct[j].name)), std::strerror(errors[j]));
    }
    return replaced;
}

bool DataDir::writeRecords(const QString& name, const QList<Record>& records) const {
    return writeWhole(name, recordLines(records));
}

std::optional<QStringList> DataDir::readRecords(const QString& name) const {
    const auto data = read(name);
    if (!data) return std::nullopt;
    return readFields(*data);
}

}  // namespace kelvora
