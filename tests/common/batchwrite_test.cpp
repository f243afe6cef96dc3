#include "common/datadir.h"

#include "support/fakes.h"

#include <QDir>
#include <gtest/gtest.h>

using namespace kelvora;
using kelvora::testing::TempDataDir;

// Every file of a batch replaces its old one, synced or not; one that cannot
// be replaced (a directory stands in its place) is reported, keeps what it
// was, and leaves no temporary file behind, while the others are written.
TEST(DataDirBatch, ReplacesEachFileAndReportsTheOneThatFails) {
    TempDataDir tmp;
    const DataDir dir(tmp.path(), {QStringLiteral("shown.dat")});
    ASSERT_TRUE(dir.writeWhole("a.dat", "old"));
    ASSERT_TRUE(QDir(tmp.path()).mkdir("blocked.dat"));
    const QList<bool> replaced = dir.writeBatch({{"a.dat", "new a"}, {"blocked.dat", "x"}, {"shown.dat", "new shown"}});
    EXPECT_EQ(replaced, QList<bool>({true, false, true}));
    EXPECT_EQ(tmp.contents("a.dat"), "new a");
    EXPECT_EQ(tmp.contents("shown.dat"), "new shown");
    EXPECT_EQ(QDir(tmp.path()).entryList(QDir::Files), QStringList({"a.dat", "shown.dat"}));
    EXPECT_TRUE(dir.writeBatch({}).isEmpty());
}
