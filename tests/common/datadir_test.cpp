#include "common/datadir.h"
#include "support/fakes.h"

#include <QDir>
#include <QFileInfo>
#include <gtest/gtest.h>

using namespace kelvora;

TEST(DataDir, DisplayFilesAreReplacedWholeWithoutASyncAndTheRestAreSyncedAndAFailureKeepsTheOld) {
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
    // A failed display write keeps the old file: a directory cannot be replaced by a file.
    ASSERT_TRUE(QDir(tmp.path()).mkdir("gone.dat"));
    EXPECT_FALSE(DataDir(tmp.path(), {"gone.dat"}).writeWhole("gone.dat", "x"));
    // No temporary file is left behind by any kind of write.
    EXPECT_EQ(QDir(tmp.path()).entryList(QDir::Files), QStringList({"KWH_last_data.dat", "MeterKWS.dat"}));
    EXPECT_FALSE(DataDir(tmp.path() + "/missing", {"MeterKWS.dat"}).writeWhole("MeterKWS.dat", "x"));
}
