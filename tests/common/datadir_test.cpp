#include "common/datadir.h"
#include "common/memorysink.h"
#include "support/fakes.h"

#include <QDir>
#include <QFileInfo>
#include <cstdio>
#include <functional>
#include <gtest/gtest.h>
#include <optional>

using namespace kelvora;

// Display files and synced files alike are replaced whole, readable by others
// (one who had the old file open reads it to its end);
// a write that fails (a directory cannot be replaced by a file, or there is no
// directory) leaves no temporary file behind. In a batch the file that fails
// is reported and keeps what it was, while the others are written.
TEST(DataDir, WriteWholeReplacesTheFileOrFailsLeavingNoTemporaryFile) {
    kelvora::testing::TempDataDir tmp;
    const DataDir dir(tmp.path(), {"MeterKWS.dat", "gone.dat"});
    ASSERT_TRUE(QDir(tmp.path()).mkdir("gone.dat"));
    for (const char* name : {"MeterKWS.dat", "KWH_last_data.dat"}) {
        ASSERT_TRUE(dir.writeWhole(name, "old content that is longer\r\n"));
        QFile reader(dir.filePath(name));  // opened before the new file came
        ASSERT_TRUE(reader.open(QIODevice::ReadOnly));
        ASSERT_TRUE(dir.writeWhole(name, "new\r\n"));
        EXPECT_EQ(tmp.contents(name), QByteArray("new\r\n")) << name;
        EXPECT_EQ(reader.readAll(), QByteArray("old content that is longer\r\n")) << name;
        EXPECT_TRUE(QFileInfo(dir.filePath(name)).permissions() & QFileDevice::ReadOther) << name;
    }
    EXPECT_FALSE(dir.writeWhole("gone.dat", "x"));
    EXPECT_EQ(dir.writeBatch({{"KWH_last_data.dat", "batch"}, {"gone.dat", "x"}, {"MeterKWS.dat", "shown"}}),
              QList<bool>({true, false, true}));
    EXPECT_EQ(tmp.contents("KWH_last_data.dat") + tmp.contents("MeterKWS.dat"), "batchshown");
    EXPECT_TRUE(QFileInfo(dir.filePath("gone.dat")).isDir());
    EXPECT_TRUE(dir.writeBatch({}).isEmpty());
    EXPECT_EQ(QDir(tmp.path()).entryList(QDir::Files), QStringList({"KWH_last_data.dat", "MeterKWS.dat"}));
    EXPECT_FALSE(DataDir(tmp.path() + "/missing", {"MeterKWS.dat"}).writeWhole("MeterKWS.dat", "x"));
}

// Every kind of write and read answers alike on the disk and in memory, so
// that what runs in memory (the fuzz targets) runs as it would on the disk.
TEST(DataDir, MemoryAndDiskKeepTheSameFiles) {
    kelvora::testing::TempDataDir tmp;
    const QSet<QString> shown{"shown.dat"};
    const DataDir stores[] = {DataDir(tmp.path(), shown), DataDir(std::make_shared<MemorySink>(), "memory", shown)};
    for (const DataDir& dir : stores) {
        SCOPED_TRACE(dir.path().toStdString());
        EXPECT_FALSE(dir.exists("a.dat"));
        EXPECT_FALSE(dir.read("a.dat").has_value());
        EXPECT_TRUE(dir.writeWhole("a.dat", "old"));
        EXPECT_TRUE(dir.append("a.dat", "+1"));
        EXPECT_TRUE(dir.append("log.dat", "\"x\",1\r\n"));
        EXPECT_EQ(dir.writeBatch({{"shown.dat", "s"}, {"b.dat", "b"}}), QList<bool>({true, true}));
        EXPECT_TRUE(dir.writePrivate("secret.ini", "p"));
        EXPECT_TRUE(dir.writeNow("a.dat", dir.read("a.dat").value_or("") + "+2"));
        EXPECT_EQ(dir.read("a.dat"), QByteArray("old+1+2"));
        EXPECT_EQ(dir.read("shown.dat"), QByteArray("s"));
        EXPECT_EQ(dir.readRecords("log.dat"), QStringList({"x", "1"}));
        EXPECT_TRUE(dir.exists("secret.ini"));
    }
    EXPECT_EQ(QFileInfo(tmp.path() + "/secret.ini").permissions() & ~(QFile::ReadUser | QFile::WriteUser),
              QFile::ReadOwner | QFile::WriteOwner);
}

// A display file is read back from the copy kept when it was written, but
// only while the disk still holds that very file: whatever another program
// did to it since is what a read sees.
TEST(DataDir, ReadsADisplayFileAsTheDiskHoldsItNow) {
    const auto sameSizeByRename = [](const QString& path) {
        QFile other(path + ".other");
        if (!other.open(QIODevice::WriteOnly) || other.write("mine\r\n") != 6) return false;
        other.close();
        return std::rename(QFile::encodeName(other.fileName()).constData(), QFile::encodeName(path).constData()) == 0;
    };
    const auto longerInPlace = [](const QString& path) {
        QFile file(path);
        return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write("a longer line\r\n") == 15;
    };
    const auto removed = [](const QString& path) { return QFile::remove(path); };
    const struct {
        const char* change;
        std::function<bool(const QString&)> act;
        std::optional<QByteArray> read;
    } cases[] = {
        {"left alone", [](const QString&) { return true; }, QByteArray("ours\r\n")},
        {"replaced by a file of the same size", sameSizeByRename, QByteArray("mine\r\n")},
        {"rewritten in place", longerInPlace, QByteArray("a longer line\r\n")},
        {"removed", removed, std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.change);
        kelvora::testing::TempDataDir tmp;
        const DataDir dir(tmp.path(), {"VAC_10sec.dat"});
        ASSERT_TRUE(dir.writeWhole("VAC_10sec.dat", "ours\r\n"));
        ASSERT_TRUE(c.act(dir.filePath("VAC_10sec.dat")));
        EXPECT_EQ(dir.read("VAC_10sec.dat"), c.read);
        EXPECT_EQ(dir.read("VAC_10sec.dat"), c.read) << "read twice";
    }
}
