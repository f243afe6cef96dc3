#include "common/timestamp.h"

#include "support/fakes.h"

#include <gtest/gtest.h>

using namespace kelvora;

namespace {

struct StampCase {
    QDateTime when;
    const char* text;
};

TEST(Stamp, WritesTheFixedForms) {
    const StampCase cases[] = {
        {QDateTime(QDate(2026, 12, 5), QTime(14, 3, 0)), "12/5/2026  2:03:00 PM"},
        {QDateTime(QDate(2026, 12, 5), QTime(0, 0, 0)), "12/5/2026  12:00:00 AM"},
        {QDateTime(QDate(2026, 12, 5), QTime(12, 0, 0)), "12/5/2026  12:00:00 PM"},
        {QDateTime(QDate(2026, 1, 9), QTime(23, 59, 59)), "1/9/2026  11:59:59 PM"},
        {QDateTime(QDate(2026, 1, 9), QTime(0, 59, 1)), "1/9/2026  12:59:01 AM"},
        {QDateTime(QDate(987, 3, 4), QTime(1, 2, 3)), "3/4/0987  1:02:03 AM"},
    };
    for (const StampCase& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(stamp(c.when), QString::fromUtf8(c.text));
        const auto back = parseStamp(stamp(c.when));
        ASSERT_TRUE(back.has_value());
        EXPECT_EQ(*back, c.when);
    }
    EXPECT_EQ(stampTime(QTime(0, 0)), "12:00:00 AM");
    EXPECT_EQ(stampTime(QTime(12, 0)), "12:00:00 PM");
    EXPECT_EQ(stampDate(QDate(2026, 12, 5)), "12/5/2026");
}

struct ParseCase {
    const char* text;
    QDateTime expected;  // invalid: the text is rejected
};

TEST(ParseStamp, ReadsLenientFormsAndRejectsTheRest) {
    const QDate dec5(2026, 12, 5);
    const ParseCase cases[] = {
        {"12/5/2026", QDateTime(dec5, QTime(0, 0))},
        {"  12/05/2026  ", QDateTime(dec5, QTime(0, 0))},
        {"12/5/26  2:03:00 PM", QDateTime(dec5, QTime(14, 3))},
        {"12/5/2026 14:03:09", QDateTime(dec5, QTime(14, 3, 9))},
        {"12/5/2026 2:03 pm", QDateTime(dec5, QTime(14, 3))},
        {"12/5/2026  12:30:00 AM", QDateTime(dec5, QTime(0, 30))},
        {"", QDateTime()},
        {"garbage", QDateTime()},
        {"12/5", QDateTime()},
        {"2/30/2026", QDateTime()},
        {"13/1/2026", QDateTime()},
        {"12/5/2026  13:00:00 PM", QDateTime()},
        {"12/5/2026  0:30:00 AM", QDateTime()},
        {"12/5/2026  24:00:00", QDateTime()},
        {"12/5/2026  2:61:00 PM", QDateTime()},
        {"12/5/2026  garbage", QDateTime()},
        {"12/5/2026x", QDateTime()},
        {"12/5/20261", QDateTime()},
        {"12/5/202", QDateTime()},
        {"12/5/2026  2:03:00 PM junk", QDateTime()},
    };
    for (const ParseCase& c : cases) {
        SCOPED_TRACE(c.text);
        const auto parsed = parseStamp(QString::fromUtf8(c.text));
        if (c.expected.isValid()) {
            ASSERT_TRUE(parsed.has_value());
            EXPECT_EQ(*parsed, c.expected);
        } else {
            EXPECT_FALSE(parsed.has_value());
        }
    }
}

TEST(ParseStampDate, TakesTheDateOfAStamp) {
    EXPECT_EQ(parseStampDate("12/5/2026  2:03:00 PM"), QDate(2026, 12, 5));
    EXPECT_EQ(parseStampDate("1/31/26"), QDate(2026, 1, 31));
    EXPECT_FALSE(parseStampDate("2/29/2026").has_value());
    EXPECT_EQ(parseStampDate("2/29/2028"), QDate(2028, 2, 29));
    EXPECT_FALSE(parseStampDate("x 12/5/2026").has_value());
}

}  // namespace
