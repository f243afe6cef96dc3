#include "history/historyupdate.h"

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
    void minute(const std::optional<QByteArray>& minuteFile = std::nullopt) {
        if (minuteFile) dir.writeWhole(quantity.minuteFile, *minuteFile);
        clock.advanceMs(60'000);
        shared.*quantity.ready = 1;
        update.History_Update();
    }
    QByteArray lastLine(int hours) const { return file(hours).split('\n').rbegin()[1] + '\n'; }

    const HistoryQuantity& quantity = kw();
    kelvora::testing::TempDataDir tmp;
    DataDir dir{tmp.dir()};
    ManualClock clock;  // 12/5/2026 2:03:00 PM
    SharedState shared;
    WindowState windows;
    HistoryUpdate update{quantity, shared, windows, dir, clock};
};

int recordCount(const QByteArray& content) { return int(content.count("\r\n")); }

}  // namespace

// A file that is gone is not re-created; the other seven get the minute's value, in the stored form.
TEST(HistoryUpdate, RecordsTheMinuteValueInAllEightFilesButAMissingOne) {
    Recorder r;
    QFile::remove(r.dir.filePath("8KWhr.dat"));
    r.minute("\"0.5\"\r\n");
    EXPECT_FALSE(r.dir.exists("8KWhr.dat"));
    EXPECT_EQ(QDir(r.tmp.path()).entryList(QDir::Files).size(), 8);  // no temporary file left behind
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
    ASSERT_TRUE(InitAllData(r.dir, r.clock, r.shared, fields));
    r.minute("\"2.3\"\r\n");
    const QByteArray initial = "\"12/5/2026  2:03:00 PM\",\".0\"\r\n";
    const QByteArray added = "\"12/5/2026  2:04:00 PM\",\"2.3\"\r\n";
    EXPECT_EQ(r.file(1), initial.repeated(59) + added);
    EXPECT_EQ(r.file(4), initial.repeated(60) + added);
}

// A minute with no value changes nothing; a one-minute file that cannot be
// read gives the value of the minute before again, with the new stamp, and
// nothing before a value was ever read.
TEST(HistoryUpdate, MinuteValueSources) {
    const struct { const char* what; std::optional<QByteArray> first, second; QByteArray line; int n; } cases[] = {
        {"empty field", "\"1.5\"\r\n", QByteArray("\"\"\r\n"), "\"12/5/2026  2:04:00 PM\",\"1.5\"\r\n", 61},
        {"file deleted", "\"1.5\"\r\n", std::nullopt, "\"12/5/2026  2:05:00 PM\",\"1.5\"\r\n", 62},
        {"empty file", "\"1.5\"\r\n", QByteArray(), "\"12/5/2026  2:05:00 PM\",\"1.5\"\r\n", 62},
        {"never a value", std::nullopt, std::nullopt, "\"old\",\"1.5\"\r\n", 60},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Recorder r;
        r.minute(c.first);
        if (!c.second) QFile::remove(r.dir.filePath(files::KW_1m));
        r.minute(c.second);
        EXPECT_EQ(r.lastLine(4), c.line);
        EXPECT_EQ(recordCount(r.file(4)), c.n);
    }
}

TEST(HistoryUpdate, OnlyTheFileOfThePeriodShownIsAnnounced) {
    const struct { const char* what; std::optional<int> period; bool open; QStringList announced; } cases[] = {
        {"4-hour period shown", 4, true, {"4KWhr.dat", "4KWhr.dat"}},
        {"never opened", std::nullopt, false, {}},
        {"closed on its 4-hour period", 4, false, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Recorder r;
        r.windows.KW_Hist_Period = c.period;
        r.windows.setOpen(kw().window, c.open);
        QStringList announced;
        QObject::connect(&r.windows, &WindowState::fileRewritten, [&](const QString& f) { announced << f; });
        r.minute("\"1\"\r\n");
        r.minute();
        EXPECT_EQ(announced, c.announced);
    }
}

TEST(HistoryUpdate, AFailingReloadLeavesNoFileMarkedBusy) {
    Recorder r;
    r.windows.KW_Hist_Period = 4;
    r.windows.setOpen(kw().window, true);
    QObject::connect(&r.windows, &WindowState::fileRewritten, [](const QString&) { throw std::runtime_error("gone"); });
    EXPECT_THROW(r.minute("\"1\"\r\n"), std::runtime_error);
    EXPECT_EQ(r.windows.KW_Hist_Busy, WindowState::HistoryBusy{});
}

TEST(HistoryUpdate, ConsumersRunKwThenPhaseAThenPhaseBThenVoltage) {
    kelvora::testing::StartedApp app;
    // The four histories, then the minute's energy.
    EXPECT_EQ(app.core.scheduler().minuteConsumerFlags(),
              (QList<int SharedState::*>{&SharedState::KW_1m_Ready, &SharedState::AAMP_1m_Ready,
                                         &SharedState::BAMP_1m_Ready, &SharedState::VAC_1m_Ready,
                                         &SharedState::KWH_1m_Ready}));
}
