#include "common/records.h"

#include "support/fakes.h"

#include <gtest/gtest.h>

using namespace kelvora;

TEST(RecordReader, ReadsFieldsInOrder) {
    const struct { QByteArray data; QStringList fields; } cases[] = {
        {"\"a, b\",3\r\n", {"a, b", "3"}}, {"\"a\"\r\n\"b\"\r\n1\r\n", {"a", "b", "1"}},
        {"\"a\",,\"c\"\r\n", {"a", "", "c"}}, {"\"init done\"", {"init done"}},
        {"1\n2\n", {"1", "2"}}, {"\"abc", {"abc"}}, {"", {}}, {"\r\n\r\n", {}},
    };
    for (const auto& c : cases) EXPECT_EQ(readFields(c.data), c.fields) << c.data.toStdString();
}

TEST(RecordWriter, WritesQuotedTextAndBareNumbersThatReadBack) {
    const Record rec{Field::Number(1),          Field::Number(121.5), Field::Number(0.1 + 0.2),
                     Field::Text("12/5/2026  2:03:00 PM"), Field::Number(-0.0)};
    EXPECT_EQ(recordLine(rec), QByteArray("1,121.5,0.3,\"12/5/2026  2:03:00 PM\",0\r\n"));
    EXPECT_EQ(readFields(recordLine(rec)), QStringList({"1", "121.5", "0.3", "12/5/2026  2:03:00 PM", "0"}));
    RecordReader r(recordLine(rec));  // the reader tells quoted text from bare numbers
    for (bool q : {false, false, false, true, false}) EXPECT_TRUE(!r.next().isNull() && r.lastWasQuoted() == q);
    EXPECT_TRUE(r.atEnd());
    for (const auto& [value, text] : {std::pair{1.0 / 3.0, "0.333333333333333"}, {1.5e-7, "0.00000015"},
                                      {123456789012345678.0, "123456789012346000"}})
        EXPECT_EQ(numberText(value), text) << text;
}
