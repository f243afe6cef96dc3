#include "common/datadir.h"
#include "support/fakes.h"

#include <QDir>
#include <QFileInfo>
#include <gtest/gtest.h>

using namespace kelvora;

// Display files and synced files alike are replaced whole, readable by others;
// a write that fails (a directory cannot be replaced by a file, or there is no
// directory) leaves no temporary file behind.
TEST(DataDir, WriteWholeReplacesTheFileOrFailsLeavingNoTemporaryFile) {
    kelvora::testing::TempDataDir tmp;
    const DataDir dir(tmp.path(), {"MeterKWS.dat", "gone.dat"});
    ASSERT_TRUE(QDir(tmp.path()).mkdir("gone.dat"));
    for (const char* name : {"MeterKWS.dat", "KWH_last_data.dat"}) {
        ASSERT_TRUE(dir.writeWhole(name, "old content that is longer\r\n"));
        ASSERT_TRUE(dir.writeWhole(name, "new\r\n"));
        EXPECT_EQ(tmp.contents(name), QByteArray("new\r\n")) << name;
        EXPECT_TRUE(QFileInfo(dir.filePath(name)).permissions() & QFileDevice::ReadOther) << name;
    }
    EXPECT_FALSE(dir.writeWhole("gone.dat", "x"));
    EXPECT_EQ(QDir(tmp.path()).entryList(QDir::Files), QStringList({"KWH_last_data.dat", "MeterKWS.dat"}));
    EXPECT_FALSE(DataDir(tmp.path() + "/missing", {"MeterKWS.dat"}).writeWhole("MeterKWS.dat", "x"));
}
