#include "history/historyupdate.h"

#include "app/kelvoracore.h"
#include "energy/initdata.h"
#include "support/fakes.h"
#include "support/started.h"

#include <QDir>
#include <gtest/gtest.h>

using namespace kelvora;
using kelvora::testing::TempDataDir;

namespace {

const HistoryQuantity& kw() { return historyQuantities()[0]; }

QByteArray records(int count, const char* stamp = "old", const char* value = "1.5") {
    QByteArray all;
    for (int i = 0; i < count; ++i) all += QByteArray("\"") + stamp + "\",\"" + value + "\"\r\n";
    return all;
}

// One quantity's history in a data directory, with a clock that moves a
// minute at a time.
struct Recorder {
    explicit Recorder(const HistoryQuantity& q = kw()) : quantity(q), update(q, shared, windows, dir, clock) {}

    void setMinuteFile(const QByteArray& content) { dir.writeWhole(quantity.minuteFile, content); }
    void fillHistory(int records60Each = 60) {
        for (const HistorySpan& s : kHistorySpans) dir.writeWhole(quantity.file(s), records(records60Each));
    }
    QByteArray file(int hours) const { return tmp.contents(files::history(hours, quantity.fileQuantity)); }
    void minute() {
        clock.advanceMs(60'000);
        shared.*quantity.ready = 1;
        update.History_Update();
    }
    QByteArray lastLine(int hours) const {
        const QList<QByteArray> lines = file(hours).split('\n');
        return lines.size() >= 2 ? lines[lines.size() - 2] + '\n' : QByteArray();
    }

    const HistoryQuantity& quantity;
    TempDataDir tmp;
    DataDir dir{tmp.dir()};
    ManualClock clock;  // 12/5/2026 2:03:00 PM
    SharedState shared;
    WindowState windows;
    HistoryUpdate update;
};

int recordCount(const QByteArray& content) { return int(content.count("\r\n")); }

// The files announced as rewritten, in order.
struct Announced {
    explicit Announced(WindowState& windows) {
        QObject::connect(&windows, &WindowState::fileRewritten, &context, [this](const QString& f) { files << f; });
    }
    QObject context;
    QStringList files;
};

}  // namespace

TEST(HistoryUpdate, RecordsTheMinuteValueInAllEightFiles) {
    Recorder r;
    r.fillHistory();
    r.setMinuteFile("\"0.5\"\r\n");
    r.minute();
    EXPECT_EQ(r.shared.KW_1m_Ready, 0);
    for (const HistorySpan& s : kHistorySpans) {
        SCOPED_TRACE(s.hours);
        EXPECT_EQ(r.lastLine(s.hours), "\"12/5/2026  2:04:00 PM\",\".5\"\r\n");
        EXPECT_EQ(recordCount(r.file(s.hours)), s.hours == 1 ? 60 : 61);
    }
    EXPECT_EQ(r.windows.KW_Hist_Busy, WindowState::HistoryBusy{});
}

TEST(HistoryUpdate, FirstMinuteAfterInitialisation) {
    Recorder r;
    FieldModel fields;
    ASSERT_TRUE(InitAllData(r.dir, r.clock, r.shared, fields));
    r.setMinuteFile("\"2.3\"\r\n");
    r.minute();
    const QByteArray initial = "\"12/5/2026  2:03:00 PM\",\".0\"\r\n";
    const QByteArray added = "\"12/5/2026  2:04:00 PM\",\"2.3\"\r\n";
    EXPECT_EQ(r.file(1), initial.repeated(59) + added);
    EXPECT_EQ(r.file(4), initial.repeated(60) + added);
    EXPECT_EQ(r.tmp.contents("720KWhr.dat"), QByteArray("\"12/5/2026  2:03:00 PM\",\"0\"\r\n").repeated(60));
}

// A minute with no value changes nothing; a one-minute file that cannot be
// read gives the value of the minute before again, with the new stamp.
TEST(HistoryUpdate, MinuteValueSources) {
    const struct { const char* what; std::optional<QByteArray> secondMinute; QByteArray lastLine; int records; } cases[] = {
        {"empty field", QByteArray("\"\"\r\n"), "\"12/5/2026  2:04:00 PM\",\"1.5\"\r\n", 61},
        {"file deleted", std::nullopt, "\"12/5/2026  2:05:00 PM\",\"1.5\"\r\n", 62},
        {"empty file", QByteArray(), "\"12/5/2026  2:05:00 PM\",\"1.5\"\r\n", 62},
        {"a new value", QByteArray("\"121.4\"\r\n"), "\"12/5/2026  2:05:00 PM\",\"121.4\"\r\n", 62},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Recorder r;
        r.fillHistory();
        r.setMinuteFile("\"1.5\"\r\n");
        r.minute();
        if (c.secondMinute)
            r.setMinuteFile(*c.secondMinute);
        else
            QFile::remove(r.dir.filePath(files::KW_1m));
        r.minute();
        EXPECT_EQ(r.lastLine(4), c.lastLine);
        EXPECT_EQ(recordCount(r.file(4)), c.records);
    }
}

TEST(HistoryUpdate, NothingBeforeAValueWasEverRead) {
    Recorder r;
    r.fillHistory();
    r.minute();  // no KW_1m.dat
    EXPECT_EQ(r.file(4), records(60));
}

TEST(HistoryUpdate, AMissingFileIsNotRecreatedAndTheOthersGoOn) {
    Recorder r;
    r.fillHistory();
    QFile::remove(r.dir.filePath("8KWhr.dat"));
    r.setMinuteFile("\"3.1\"\r\n");
    r.minute();
    EXPECT_FALSE(r.dir.exists("8KWhr.dat"));
    for (int hours : {1, 4, 12, 24, 48, 168, 336}) EXPECT_TRUE(r.lastLine(hours).endsWith("\"3.1\"\r\n")) << hours;
    EXPECT_EQ(QDir(r.tmp.path()).entryList(QDir::Files).size(), 8);  // no temporary file left behind
}

TEST(HistoryUpdate, OnlyTheFileOfThePeriodShownIsAnnounced) {
    const struct { const char* what; std::optional<int> period; bool open; QStringList announced; } cases[] = {
        {"4-hour period shown", 4, true, {"4KWhr.dat", "4KWhr.dat"}},
        {"14-day period shown", 336, true, {"336KWhr.dat", "336KWhr.dat"}},
        {"never opened", std::nullopt, false, {}},
        {"closed on its 4-hour period", 4, false, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Recorder r;
        r.fillHistory();
        r.setMinuteFile("\"1\"\r\n");
        r.windows.KW_Hist_Period = c.period;
        r.windows.setOpen(kw().window, c.open);
        Announced announced(r.windows);
        r.minute();
        r.minute();
        EXPECT_EQ(announced.files, c.announced);
    }
}

// The files of one quantity are its own: the phase A history writes only the
// "A" files and reads AAMP_1m.dat.
TEST(HistoryUpdate, EachQuantityKeepsToItsOwnFiles) {
    for (const HistoryQuantity& q : historyQuantities()) {
        SCOPED_TRACE(q.name.toStdString());
        Recorder r(q);
        for (const HistoryQuantity& other : historyQuantities()) r.dir.writeWhole(other.file(kHistorySpans[1]), records(60));
        r.setMinuteFile("\"7\"\r\n");
        r.minute();
        for (const HistoryQuantity& other : historyQuantities())
            EXPECT_EQ(recordCount(r.tmp.contents(other.file(kHistorySpans[1]))), &other == &q ? 61 : 60);
    }
}

TEST(HistoryUpdate, ConsumersRunKwThenPhaseAThenPhaseBThenVoltage) {
    TempDataDir tmp;
    ManualClock clock;
    kelvora::testing::StartedCore started(tmp.path(), clock);
    const QList<int SharedState::*> flags = started.core.scheduler().minuteConsumerFlags();
    // The four histories, then the minute's energy.
    EXPECT_EQ(flags, (QList<int SharedState::*>{&SharedState::KW_1m_Ready, &SharedState::AAMP_1m_Ready,
                                                &SharedState::BAMP_1m_Ready, &SharedState::VAC_1m_Ready,
                                                &SharedState::KWH_1m_Ready}));

    // And one tick records all four.
    WindowState& windows = started.core.windows();
    for (const HistoryQuantity& q : historyQuantities()) {
        windows.*q.period = 1;
        windows.setOpen(q.window, true);
        started.core.dir().writeWhole(q.minuteFile, "\"5\"\r\n");
        started.core.shared().*q.ready = 1;
    }
    Announced announced(windows);
    started.core.scheduler().Timer1_Timer();
    EXPECT_EQ(announced.files, QStringList({"1KWhr.dat", "1Ahr.dat", "1Bhr.dat", "1Vhr.dat"}));
}
