#include "common/timestamp.h"

#include "support/fakes.h"

#include <gtest/gtest.h>

using namespace kelvora;

TEST(Stamp, WritesTheFixedFormsAndReadsThemAndLenientFormsBack) {
    const struct { QDateTime when; const char* text; } cases[] = {
        {QDateTime(QDate(2026, 12, 5), QTime(0, 0, 0)), "12/5/2026  12:00:00 AM"},
        {QDateTime(QDate(2026, 12, 5), QTime(12, 0, 0)), "12/5/2026  12:00:00 PM"},
        {QDateTime(QDate(2026, 1, 9), QTime(23, 59, 59)), "1/9/2026  11:59:59 PM"},
        {QDateTime(QDate(987, 3, 4), QTime(1, 2, 3)), "3/4/0987  1:02:03 AM"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(stamp(c.when), QString::fromUtf8(c.text));
        EXPECT_EQ(parseStamp(stamp(c.when)), std::optional<QDateTime>(c.when));
    }
    const QDate dec5(2026, 12, 5);  // lenient forms are read, the rest rejected
    const struct { const char* text; QTime time; } accepted[] = {
        {"  12/05/2026  ", QTime(0, 0)}, {"12/5/26  2:03:00 PM", QTime(14, 3)}, {"12/5/2026 14:03:09", QTime(14, 3, 9)},
        {"12/5/2026 2:03 pm", QTime(14, 3)}, {"12/5/2026  12:30:00 AM", QTime(0, 30)}};
    for (const auto& c : accepted)
        EXPECT_EQ(parseStamp(c.text), std::optional<QDateTime>(QDateTime(dec5, c.time))) << c.text;
    const char* const rejected[] = {
        "", "12/5", "2/30/2026", "13/1/2026", "12/5/2026  13:00:00 PM", "12/5/2026  0:30:00 AM", "12/5/2026  24:00:00",
        "12/5/2026  2:61:00 PM", "12/5/2026  garbage", "12/5/2026x", "12/5/202", "12/5/2026  2:03:00 PM junk"};
    for (const char* text : rejected) EXPECT_FALSE(parseStamp(text).has_value()) << text;
    EXPECT_EQ(parseStampDate("12/5/2026  2:03:00 PM"), QDate(2026, 12, 5));
    EXPECT_FALSE(parseStampDate("x 12/5/2026").has_value());
}

