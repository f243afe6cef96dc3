#include "common/datadir.h"
#include "support/fakes.h"

#include <QDir>
#include <QFileInfo>
#include <gtest/gtest.h>

using namespace kelvora;

TEST(DataDir, DisplayFilesAreReplacedWholeWithoutASyncAndTheRestAreSynced) {
    kelvora::testing::TempDataDir tmp;
    const DataDir dir(tmp.path(), {"MeterKWS.dat"});
    EXPECT_FALSE(dir.isSynced("MeterKWS.dat"));
    EXPECT_TRUE(dir.isSynced("KWH_last_data.dat"));
    for (const char* name : {"MeterKWS.dat", "KWH_last_data.dat"}) {
        SCOPED_TRACE(name);
        ASSERT_TRUE(dir.writeWhole(name, "old content that is longer\r\n"));
        ASSERT_TRUE(dir.writeWhole(name, "new\r\n"));
        EXPECT_EQ(tmp.contents(name), QByteArray("new\r\n"));
        EXPECT_TRUE(QFileInfo(dir.filePath(name)).permissions() & QFileDevice::ReadOther);
    }
    // No temporary file is left behind by either kind of write.
    EXPECT_EQ(QDir(tmp.path()).entryList(QDir::Files).size(), 2);
}

TEST(DataDir, AFailedDisplayWriteKeepsTheOldFile) {
    kelvora::testing::TempDataDir tmp;
    const DataDir dir(tmp.path(), {"MeterKWS.dat", "gone.dat"});
    ASSERT_TRUE(dir.writeWhole("MeterKWS.dat", "old\r\n"));
    ASSERT_TRUE(QDir(tmp.path()).mkdir("gone.dat"));  // a directory cannot be replaced by a file
    EXPECT_FALSE(dir.writeWhole("gone.dat", "x"));
    EXPECT_EQ(QDir(tmp.path()).entryList(QDir::Files), QStringList({"MeterKWS.dat"}));
    EXPECT_FALSE(DataDir(tmp.path() + "/missing", {"MeterKWS.dat"}).writeWhole("MeterKWS.dat", "x"));
}
