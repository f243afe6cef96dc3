#pragma once
// A small file system of its own for a test: full after a few kilobytes, or
// read-only, as a household's disk can be. Mounting needs the rights to; a
// test that gets none skips.
#include <QDir>
#include <QTemporaryDir>
#include <QByteArray>
#include <sys/mount.h>

namespace kelvora::testing {

class ScratchMount {
public:
    // `readOnly`: mounted read-only, empty. Otherwise writable, `kilobytes` large.
    explicit ScratchMount(int kilobytes, bool readOnly = false) {
        const QByteArray options = "size=" + QByteArray::number(kilobytes) + "k";
        const QByteArray at = QFile::encodeName(tmp_.path());
        mounted_ = tmp_.isValid() &&
                   ::mount("tmpfs", at.constData(), "tmpfs", readOnly ? MS_RDONLY : 0, options.constData()) == 0;
    }
    ~ScratchMount() {
        if (mounted_) ::umount2(QFile::encodeName(tmp_.path()).constData(), MNT_DETACH);
    }
    bool mounted() const { return mounted_; }
    QString path() const { return tmp_.path(); }
    // Fills the file system up to its last byte.
    void fill() const {
        QFile filler(QDir(path()).filePath(QStringLiteral("filler")));
        if (!filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) return;
        const QByteArray block(4096, 'x');
        while (filler.write(block) == block.size()) {}
        filler.close();
        QFile small(QDir(path()).filePath(QStringLiteral("filler2")));
        if (small.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) while (small.write("x", 1) == 1) {}
    }
    void emptyAgain() const {
        QFile::remove(QDir(path()).filePath(QStringLiteral("filler")));
        QFile::remove(QDir(path()).filePath(QStringLiteral("filler2")));
    }

private:
    QTemporaryDir tmp_;
    bool mounted_ = false;
};

}  // namespace kelvora::testing
