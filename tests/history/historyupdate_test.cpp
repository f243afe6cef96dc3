#include "history/historyupdate.h"

#include "common/timestamp.h"
#include "energy/initdata.h"
#include "support/started.h"

#include <QDir>
#include <stdexcept>
#include <gtest/gtest.h>

using namespace kelvora;

namespace {

const HistoryQuantity& kw() { return historyQuantities()[0]; }

// One quantity's history in a data directory, with a clock that moves a
// minute at a time.
struct Recorder {
    // All eight files hold 60 records ("old", 1.5).
    Recorder() {
        for (const HistorySpan& s : kHistorySpans)
            dir.writeWhole(quantity.file(s), QByteArray("\"old\",\"1.5\"\r\n").repeated(60));
    }
    QByteArray file(int hours) const { return tmp.contents(files::history(hours, quantity.fileQuantity)); }
    void minute(double kw) {
        clock.advanceMs(60'000);
        MinuteRecord m;
        m.stamp = clock.now();
        m.kw = kw;
        m.volts = 999;  // another quantity's mean: not this history's
        update.History_Update(m);
    }
    QByteArray lastLine(int hours) const { return file(hours).split('\n').rbegin()[1] + '\n'; }

    const HistoryQuantity& quantity = kw();
    kelvora::testing::TempDataDir tmp;
    DataDir dir{tmp.dir()};
    ManualClock clock;  // 12/5/2026 2:03:00 PM
    WindowState windows;
    HistoryUpdate update{quantity, windows, dir};
};

int recordCount(const QByteArray& content) { return int(content.count("\r\n")); }

}  // namespace

// A file that is gone is not re-created; the other seven get the minute's value, in the stored form.
TEST(HistoryUpdate, RecordsTheMinuteValueInAllEightFilesButAMissingOne) {
    Recorder r;
    QFile::remove(r.dir.filePath("8KWhr.dat"));
    r.minute(0.5);
    EXPECT_FALSE(r.dir.exists("8KWhr.dat"));
    EXPECT_EQ(QDir(r.tmp.path()).entryList(QDir::Files).size(), 7);  // no temporary file left behind
    for (const HistorySpan& s : kHistorySpans) {
        if (s.hours == 8) continue;
        SCOPED_TRACE(s.hours);
        EXPECT_EQ(r.lastLine(s.hours), "\"12/5/2026  2:04:00 PM\",\".5\"\r\n");
        EXPECT_EQ(recordCount(r.file(s.hours)), s.hours == 1 ? 60 : 61);
    }
}

TEST(HistoryUpdate, FirstMinuteAfterInitialisation) {
    Recorder r;
    FieldModel fields;
    SharedState shared;
    ASSERT_TRUE(InitAllData(r.dir, r.clock, shared, fields));
    r.minute(2.3);
    const QByteArray initial = "\"12/5/2026  2:03:00 PM\",\".0\"\r\n";
    const QByteArray added = "\"12/5/2026  2:04:00 PM\",\"2.3\"\r\n";
    EXPECT_EQ(r.file(1), initial.repeated(59) + added);
    EXPECT_EQ(r.file(4), initial.repeated(60) + added);
}

// Each file is announced once it is saved, whatever window shows it: the
// window decides what to reload.
TEST(HistoryUpdate, EveryFileIsAnnouncedWhenSaved) {
    Recorder r;
    QStringList announced;
    r.dir.setSavedListener([&](const QString& f) { announced << f; });
    r.minute(1);
    QStringList expected;
    for (const HistorySpan& s : kHistorySpans) expected << kw().file(s);
    EXPECT_EQ(announced, expected);
    // A reload that fails leaves no file marked busy.
    r.dir.setSavedListener([](const QString&) { throw std::runtime_error("gone"); });
    EXPECT_THROW(r.minute(1), std::runtime_error);
    EXPECT_EQ(r.windows.KW_Hist_Busy, WindowState::HistoryBusy{});
}

TEST(HistoryUpdate, ConsumersRunKwThenPhaseAThenPhaseBThenVoltage) {
    kelvora::testing::StartedApp app;
    // The four histories, then the minute's energy, publishing, the archive
    // and the alarms (which read the day's energy the minute has reached).
    EXPECT_EQ(app.core.scheduler().minuteConsumerNames(),
              (QStringList{"KW history", "A_AMPS history", "B_AMPS history", "VAC history", "KWH periods",
                           "publishing", "archive", "alarms"}));
}

// The step builds on what it wrote (or on what it learnt at the start-up); a
// file that another writer replaced in between (the data made afresh) is read
// again. Either way every file ends as a step that reads it afresh would
// leave it.
TEST(HistoryUpdate, BuildsOnWhatItWroteUnlessTheFileWasReplaced) {
    Recorder r;
    r.dir.writeWhole(r.quantity.file(kHistorySpans[0]), QByteArray("\"x\",\"1.5\"\r\n").repeated(61));  // over capacity
    r.dir.writeWhole(r.quantity.file(kHistorySpans[1]), "\"x\",\"1.50\"\r\n\r\n\"y\",\"2\"\r\n");  // another form
    r.update.learnWritten();
    const struct { const char* what; QByteArray replacement; } cases[] = {
        {"learnt", {}},
        {"left alone", {}},
        {"replaced", QByteArray("\"a\",\"1.5\"\r\n\"b\",\"\"\r\n")},
        {"left alone again", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.what != std::string("learnt")) r.minute(1);
        for (const HistorySpan& s : kHistorySpans)
            if (!c.replacement.isEmpty()) r.dir.writeWhole(r.quantity.file(s), c.replacement);
        QList<QByteArray> before;
        for (const HistorySpan& s : kHistorySpans) before << r.file(s.hours);
        r.minute(2.25);
        const QByteArray stampNow = stamp(r.clock.now()).toUtf8();
        for (int i = 0; i < int(kHistorySpans.size()); ++i)
            EXPECT_EQ(r.file(kHistorySpans[i].hours),
                      withMinuteRecord(before[i], kHistorySpans[i].capacity, stampNow, "2.25").value())
                << kHistorySpans[i].hours;
    }
}
