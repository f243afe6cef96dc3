#include "common/datadir.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTemporaryFile>
#include <QtGlobal>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace kelvora {

DataDir::DataDir(QString path, QSet<QString> displayOnly)
    : path_(std::move(path)), displayOnly_(std::move(displayOnly)) {}

QString DataDir::filePath(const QString& name) const { return QDir(path_).filePath(name); }

bool DataDir::exists(const QString& name) const { return QFileInfo::exists(filePath(name)); }

bool DataDir::writeWhole(const QString& name, const QByteArray& content) const {
    return isSynced(name) ? writeSynced(name, content) : writeUnsynced(name, content);
}

bool DataDir::writePrivate(const QString& name, const QByteArray& content) const {
    return writeSynced(name, content, true);
}

bool DataDir::writeSynced(const QString& name, const QByteArray& content, bool ownerOnly) const {
    // QSaveFile syncs the new file before it renames it over the old one.
    QSaveFile file(filePath(name));
    if (!file.open(QIODevice::WriteOnly) ||
        (ownerOnly && !file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner))) {
        qWarning("Cannot write %s: %s", qPrintable(file.fileName()), qPrintable(file.errorString()));
        return false;
    }
    if (file.write(content) != content.size() || !file.commit()) {
        qWarning("Cannot write %s: %s", qPrintable(file.fileName()), qPrintable(file.errorString()));
        file.cancelWriting();
        return false;
    }
    // Without it a power cut could bring the old file back, and with it a
    // total already counted.
    syncDirectory();
    return true;
}

bool DataDir::writeUnsynced(const QString& name, const QByteArray& content) const {
    const QString target = filePath(name);
    QTemporaryFile file(target + QStringLiteral(".XXXXXX"));
    if (!file.open() || file.write(content) != content.size() || !file.flush()) {
        qWarning("Cannot write %s: %s", qPrintable(target), qPrintable(file.errorString()));
        return false;
    }
    file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup |
                        QFileDevice::ReadOther);
    file.close();
    // rename(2) replaces the old file in one step; QFile::rename would refuse.
    if (std::rename(QFile::encodeName(file.fileName()).constData(), QFile::encodeName(target).constData()) != 0) {
        qWarning("Cannot replace %s: %s", qPrintable(target), std::strerror(errno));
        return false;
    }
    file.setAutoRemove(false);
    return true;
}

bool DataDir::append(const QString& name, const QByteArray& content) const {
    QFile file(filePath(name));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append)) {
        qWarning("Cannot append to %s: %s", qPrintable(file.fileName()), qPrintable(file.errorString()));
        return false;
    }
    bool ok = file.write(content) == content.size() && file.flush();
    // A log a user would lose is on the disk when the append returns.
    if (ok && isSynced(name)) ok = ::fsync(file.handle()) == 0;
    if (!ok) qWarning("Cannot append to %s: %s", qPrintable(file.fileName()), qPrintable(file.errorString()));
    return ok;
}

std::optional<QByteArray> DataDir::read(const QString& name) const {
    QFile file(filePath(name));
    if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
    if (file.size() > kMaxReadBytes) {
        qWarning("%s is too large to be a data file; ignored", qPrintable(file.fileName()));
        return std::nullopt;
    }
    // Sized by the file: read(kMaxReadBytes) would allocate the whole limit
    // for every small file it reads.
    QByteArray data = file.readAll();
    if (data.size() > kMaxReadBytes) {
        qWarning("%s grew too large to be a data file while it was read; ignored", qPrintable(file.fileName()));
        return std::nullopt;
    }
    return data;
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
