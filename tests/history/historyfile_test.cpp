#include "history/historyfile.h"

#include "support/fakes.h"

#include <gtest/gtest.h>

using namespace kelvora;

namespace {

QByteArray records(int from, int to, const char* value = ".5") {
    QByteArray all;
    for (int i = from; i <= to; ++i) all += "\"s" + QByteArray::number(i) + "\",\"" + value + "\"\r\n";
    return all;
}

}  // namespace

// The rolling rule: short files grow, full ones drop the first record, one
// beyond capacity keeps its records 2 to N; a blank stamp drops only itself.
TEST(HistoryFile, KeepsItsCapacityWithTheMinuteRecordLast) {
    const struct { const char* what; QByteArray before; int capacity; QByteArray after; } cases[] = {
        {"full 1-hour file", records(1, 60), 60, records(2, 60) + "\"new\",\"2.3\"\r\n"},
        {"4-hour file one short", records(1, 239), 240, records(1, 239) + "\"new\",\"2.3\"\r\n"},
        {"4-hour file full", records(1, 240), 240, records(2, 240) + "\"new\",\"2.3\"\r\n"},
        {"blank stamp in the middle", records(1, 2) + "\"\",\"9\"\r\n" + records(3, 4), 60,
         records(1, 4) + "\"new\",\"2.3\"\r\n"},
        // Written as an empty stamp, it was dropped only at the next minute:
        // a step that builds on what it wrote kept it.
        {"stamp of a line end only", records(1, 2) + "\"\r\",\"9\"\r\n", 60, records(1, 2) + "\"new\",\"2.3\"\r\n"},
        {"cut-off last line", records(1, 2) + "\"s3\"", 60, records(1, 2) + "\"new\",\"2.3\"\r\n"},
        {"bare fields and LF lines", "s1,0.5\ns2,7\n", 60, "\"s1\",\".5\"\r\n\"s2\",\"7.0\"\r\n\"new\",\"2.3\"\r\n"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(withMinuteRecord(c.before, c.capacity, "new", "2.3").value_or("refused"), c.after) << c.what;
    // An empty value is a gap written as an empty text; its copy touched no
    // bytes through a null pointer (undefined behaviour, which the sanitizer
    // build stops at).
    EXPECT_EQ(withMinuteRecord(records(1, 1), 60, "new", "").value_or("refused"), records(1, 1) + "\"new\",\"\"\r\n");
}

// Values already in the stored form are copied as they are; every value must come out as the pattern would write
// it, and an empty value stays a gap, not a zero.
TEST(HistoryFile, WritesEveryValueAsThePatternDoes) {
    const char* cases[][2] = {
        {"0", ".0"},     {".5", ".5"},     {"0.5", ".5"},     {"1.50", "1.5"},   {"2.345", "2.35"}, {"-.05", "-.05"},
        {"5.", "5.0"},   {"05.5", "5.5"},  {"abc", ".0"},     {"", ""},          {"1e3", "1000.0"}, {" 2.5", "2.5"},
        {"+1.5", "1.5"}, {"12.3x", "12.3"}, {"99.999", "100.0"}, {"1234567890123456.5", "1234567890123460.0"},
    };
    for (const auto& [in, expected] : cases) {
        QByteArray out;
        appendHistoryValue(out, in);
        EXPECT_EQ(out, expected) << in;
    }
}

// A file of more than 21000 records is left alone and not shown.
TEST(HistoryFile, ChartShowsEveryRecordAndTheNewestValueButLeavesAFileOfMoreThan21000RecordsAlone) {
    EXPECT_TRUE(withMinuteRecord(records(1, kMaxHistoryRecords), 20160, "new", "1"));
    EXPECT_FALSE(withMinuteRecord(records(1, kMaxHistoryRecords + 1), 20160, "new", "1"));
    EXPECT_TRUE(historyChart(records(1, kMaxHistoryRecords + 1)).stamps.isEmpty());
    const HistoryChart chart = historyChart("\"first\",\"1.25\"\r\n\"mid\",\"\"\r\n\"last\",\".5\"\r\n");
    EXPECT_EQ(chart.stamps, QList<QString>({"first", "mid", "last"}));
    EXPECT_EQ(chart.values, (QList<std::optional<double>>{1.25, std::nullopt, 0.5}));
    EXPECT_EQ(chart.Label2, "0.50");
}
