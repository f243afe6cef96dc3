#include "common/records.h"

#include "support/fakes.h"

#include <gtest/gtest.h>

using namespace kelvora;

struct ReaderCase {
    const char* name;
    QByteArray data;
    QStringList fields;
};

class RecordReaderTest : public ::testing::TestWithParam<ReaderCase> {};

TEST_P(RecordReaderTest, ReadsFieldsInOrder) {
    EXPECT_EQ(readFields(GetParam().data), GetParam().fields);
}

INSTANTIATE_TEST_SUITE_P(
    Files, RecordReaderTest,
    ::testing::Values(
        ReaderCase{"quoted", "\"a\",\"b\"\r\n", {"a", "b"}},
        ReaderCase{"bare", "1,2.5,-3\r\n", {"1", "2.5", "-3"}},
        ReaderCase{"mixed", "12,\"x y\",.5\r\n", {"12", "x y", ".5"}},
        ReaderCase{"comma_in_quotes", "\"a, b\",3\r\n", {"a, b", "3"}},
        ReaderCase{"across_lines", "\"a\"\r\n\"b\"\r\n1\r\n", {"a", "b", "1"}},
        ReaderCase{"empty_field", "\"a\",,\"c\"\r\n", {"a", "", "c"}},
        ReaderCase{"no_line_end", "\"init done\"", {"init done"}},
        ReaderCase{"lf_only", "1\n2\n", {"1", "2"}},
        ReaderCase{"unclosed_quote", "\"abc", {"abc"}},
        ReaderCase{"empty_file", "", {}},
        ReaderCase{"blank_lines_only", "\r\n\r\n", {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(RecordReader, TellsQuotedFromBare) {
    RecordReader r("\"5000\",5000\r\n");
    EXPECT_EQ(r.next(), "5000");
    EXPECT_TRUE(r.lastWasQuoted());
    EXPECT_EQ(r.next(), "5000");
    EXPECT_FALSE(r.lastWasQuoted());
    EXPECT_TRUE(r.atEnd());
}

TEST(RecordWriter, WritesQuotedTextAndBareNumbers) {
    const Record rec{Field::Number(1), Field::Number(121.5), Field::Number(1.49445),
                     Field::Number(0.1 + 0.2), Field::Text("HAVG"), Field::Number(-0.0)};
    EXPECT_EQ(recordLine(rec), QByteArray("1,121.5,1.49445,0.3,\"HAVG\",0\r\n"));
}

TEST(RecordWriter, NumbersKeepFifteenSignificantDigitsWithoutExponent) {
    EXPECT_EQ(numberText(1.0 / 3.0), "0.333333333333333");
    EXPECT_EQ(numberText(1e20), "100000000000000000000");
    EXPECT_EQ(numberText(1.5e-7), "0.00000015");
    EXPECT_EQ(numberText(123456789012345678.0), "123456789012346000");
}

TEST(RecordFiles, WhatIsWrittenReadsBack) {
    const Record rec{Field::Text("12/5/2026  2:03:00 PM"), Field::Text("a, \"b"), Field::Number(2.5)};
    const QStringList back = readFields(recordLine(rec));
    ASSERT_EQ(back.size(), 3 + 0);
    EXPECT_EQ(back[0], "12/5/2026  2:03:00 PM");
    EXPECT_EQ(back[2], "2.5");
}
