#include "common/datadir.h"
#include "common/diskwriter.h"

#include "support/faultysink.h"
#include "support/fakes.h"
#include "support/scratchmount.h"
#include "support/wait.h"

#include <QDir>
#include <cstring>
#include <gtest/gtest.h>

using namespace kelvora;
using namespace kelvora::testing;

namespace {

// A data directory written by a disk writer over a sink with faults.
struct Rig {
    Rig() {
        auto owned = std::make_unique<FaultySink>(tmp.path());
        sink = owned.get();
        writer = std::make_shared<DiskWriter>(std::move(owned));
        writer->setRetryIntervalMs(10);
        dir.attachWriter(writer);
    }
    QStringList onDisk() const { return QDir(tmp.path()).entryList(QDir::Files, QDir::Name); }

    TempDataDir tmp;
    DataDir dir = tmp.dir();
    FaultySink* sink = nullptr;
    std::shared_ptr<DiskWriter> writer;
};

}  // namespace

// Failed writes are kept: readers see the newest content, the user is told
// once, and on recovery every file holds what it would have, appends in order.
TEST(DiskWriter, FailedWritesAreKeptInOrderNewestFirstAndSavedWhenTheDiskRecovers) {
    for (const int error : {ENOSPC, EROFS, EIO}) {
        // The system's own words, in the user's language.
        const QString reason = QString::fromLocal8Bit(std::strerror(error));
        SCOPED_TRACE(reason.toStdString());
        Rig rig;
        QStringList failed;
        int recovered = 0;
        QObject::connect(rig.writer.get(), &DiskWriter::savingFailed, [&](const QString& why, int) { failed << why; });
        QObject::connect(rig.writer.get(), &DiskWriter::savingRecovered, [&](int) { ++recovered; });
        rig.sink->failWith = error;
        rig.dir.writeWhole("a.dat", "1");
        rig.dir.append("log.dat", "x\r\n");
        ASSERT_TRUE(waitUntil([&] { return failed.size() == 1; }));
        rig.dir.writeWhole("a.dat", "2");
        rig.dir.append("log.dat", "y\r\n");
        rig.dir.writeWhole("b.dat", "b");
        EXPECT_FALSE(rig.dir.flush(50));
        EXPECT_EQ(failed.value(0), reason);
        EXPECT_EQ(rig.dir.read("a.dat"), QByteArray("2"));
        EXPECT_EQ(rig.dir.read("log.dat"), QByteArray("x\r\ny\r\n"));
        EXPECT_TRUE(rig.onDisk().isEmpty());

        rig.sink->failWith = 0;
        ASSERT_TRUE(rig.dir.flush(5000));
        ASSERT_TRUE(waitUntil([&] { return recovered == 1; }));
        EXPECT_EQ(failed.size(), 1);  // told once, not at every retry
        EXPECT_EQ(rig.onDisk(), QStringList({"a.dat", "b.dat", "log.dat"}));
        EXPECT_EQ(rig.tmp.contents("a.dat"), "2");
        EXPECT_EQ(rig.tmp.contents("log.dat"), "x\r\ny\r\n");
    }
}

// A rewrite supersedes what was still to be appended to the old content, and
// an append queued after it lands after it, even while the writer is busy; a
// file written directly is not overtaken by an older queued content.
TEST(DiskWriter, RewritesAndDirectWritesSupersedeWhatWasQueued) {
    Rig rig;
    rig.sink->closeGate();
    rig.dir.writeWhole("held.dat", "first");  // taken by the writer, which waits at the gate
    ASSERT_TRUE(waitUntil([&] { return rig.sink->calls > 0; }));
    rig.dir.append("log.dat", "old\r\n");
    rig.dir.writeWhole("log.dat", "fresh\r\n");
    rig.dir.append("log.dat", "line\r\n");
    rig.dir.writeWhole("settings.dat", "queued");
    ASSERT_TRUE(rig.dir.writeNow("settings.dat", "typed"));
    EXPECT_EQ(rig.dir.read("log.dat"), QByteArray("fresh\r\nline\r\n"));
    EXPECT_EQ(rig.dir.read("held.dat"), QByteArray("first"));  // being written: still what readers see
    rig.sink->openGate();
    ASSERT_TRUE(rig.dir.flush(5000));
    EXPECT_EQ(rig.tmp.contents("log.dat"), "fresh\r\nline\r\n");
    EXPECT_EQ(rig.tmp.contents("settings.dat"), "typed");
    EXPECT_EQ(rig.tmp.contents("held.dat"), "first");
}

// On a full file system an append that does not fit is cut off again, so its
// retry leaves no half line.
TEST(DirectorySink, AnAppendThatDoesNotFitLeavesTheFileAsItWas) {
    ScratchMount disk(64);
    if (!disk.mounted()) GTEST_SKIP() << "no rights to mount a scratch file system";
    DirectorySink sink(disk.path());
    ASSERT_EQ(sink.appendUnsynced("log.dat", "kept\r\n"), 0);
    disk.fill();
    EXPECT_EQ(sink.appendUnsynced("log.dat", QByteArray(64 * 1024, 'z')), ENOSPC);
    EXPECT_EQ(sink.replace({WholeFile{"new.dat", QByteArray(8192, 'n')}}), QList<int>{ENOSPC});
    disk.emptyAgain();
    EXPECT_EQ(DataDir(disk.path()).read("log.dat"), QByteArray("kept\r\n"));
    EXPECT_EQ(QDir(disk.path()).entryList(QDir::Files), QStringList{"log.dat"});
}
