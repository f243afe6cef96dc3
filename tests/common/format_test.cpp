#include "common/format.h"

#include "support/fakes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace kelvora;

namespace {

struct NumberCase {
    double value;
    const char* pattern;
    const char* expected;
};

std::ostream& operator<<(std::ostream& os, const NumberCase& c) {
    return os << c.value << " with \"" << c.pattern << "\"";
}

class FormatNumberTest : public ::testing::TestWithParam<NumberCase> {};

TEST_P(FormatNumberTest, FollowsThePicture) {
    const NumberCase& c = GetParam();
    EXPECT_EQ(formatNumber(c.value, QString::fromUtf8(c.pattern)), QString::fromUtf8(c.expected));
}

INSTANTIATE_TEST_SUITE_P(
    Displays, FormatNumberTest,
    ::testing::Values(
        // The patterns the main window uses.
        NumberCase{121.46, "##0.0", "121.5"}, NumberCase{0.04, "##0.0", "0.0"},
        NumberCase{1234.5, "###0.0", "1234.5"}, NumberCase{0, "###0.0", "0.0"},
        NumberCase{72.224, "$##0.00", "$72.22"}, NumberCase{0, "$##0.00", "$0.00"},
        NumberCase{5, "$#0.0", "$5.0"}, NumberCase{0.3, "$0.0", "$0.3"},
        NumberCase{1.5, "##0.00", "1.50"}, NumberCase{1234.567, "####.00", "1234.57"},
        // `#` after the point drops trailing zeros only.
        NumberCase{0.5, "##.0#", ".5"}, NumberCase{0, "##.0#", ".0"},
        NumberCase{5.0, "##0.0#", "5.0"}, NumberCase{5.25, "##0.0#", "5.25"},
        NumberCase{0, "##.##", "."}, NumberCase{12, "##.##", "12."},
        NumberCase{1.5, "##.##", "1.5"}, NumberCase{0.0234, "##.##", ".02"},
        NumberCase{0.004, "##.######", ".004"}, NumberCase{0.6, "##.######", ".6"},
        // A trailing `0` forces every position before it (the price field).
        NumberCase{0.0585, "0.###0", "0.0585"}, NumberCase{0.05, "0.###0", "0.0500"},
        NumberCase{0.1, "0.###0", "0.1000"}, NumberCase{0.0585, "$0.###0", "$0.0585"},
        NumberCase{0.12345, "0.###0", "0.1235"},
        // The integer part is never cut short by the pattern.
        NumberCase{1234.567, "##.##", "1234.57"}, NumberCase{1234.567, "######", "1235"},
        NumberCase{12, "0", "12"}, NumberCase{5, "000", "005"}, NumberCase{5, "#0#", "05"},
        // Zero with only `#` and no point has no significant digit: empty text.
        NumberCase{0, "######", ""}, NumberCase{0.4, "######", ""}, NumberCase{0.5, "######", "1"},
        NumberCase{0, "####.##", "."},
        // Thousands grouping covers the whole integer part.
        NumberCase{1200, "##,###.0", "1,200.0"}, NumberCase{1234567.8, "#,###.0", "1,234,567.8"},
        NumberCase{12.3, "##,###", "12"}, NumberCase{999.96, "#,##0.0", "1,000.0"},
        NumberCase{1e12, "#,##0", "1,000,000,000,000"}, NumberCase{5, "0,000", "0,005"},
        NumberCase{1234.5, "$#,##0.00", "$1,234.50"}, NumberCase{1234.5, "0.0,0", "1234.50"},
        // Negative values: the sign leads, before the dollar; nothing that rounds to zero is negative.
        NumberCase{-1.5, "$##0.00", "-$1.50"}, NumberCase{-121.46, "##0.0", "-121.5"},
        NumberCase{-1234567.8, "#,###.0", "-1,234,567.8"}, NumberCase{-0.5, "##.0#", "-.5"},
        NumberCase{-0.04, "##0.0", "0.0"}, NumberCase{-0.0, "##0.0", "0.0"},
        NumberCase{-0.004, "$0.00", "$0.00"}, NumberCase{-0.4, "######", ""},
        // Half away from zero on the 15-digit decimal form, not on the binary value.
        NumberCase{2.675, "0.00", "2.68"}, NumberCase{1.005, "0.00", "1.01"},
        NumberCase{-2.675, "0.00", "-2.68"}, NumberCase{0.15, "0.0", "0.2"},
        NumberCase{0.25, "0.0", "0.3"}, NumberCase{0.35, "0.0", "0.4"},
        NumberCase{0.249999, "0.0", "0.2"}, NumberCase{2.5, "#", "3"}, NumberCase{-2.5, "#", "-3"},
        NumberCase{9.995, "0.00", "10.00"}, NumberCase{99.95, "##0.0", "100.0"},
        NumberCase{0.1 + 0.2, "0.0000000000000000", "0.3000000000000000"},
        // Literals stay where they stand.
        NumberCase{12.345, "##0.0 KW", "12.3 KW"}, NumberCase{7, "(#)", "(7)"},
        NumberCase{12.5, ".00", "12.50"}, NumberCase{1.23, "0.0x0", "1.2x3"},
        NumberCase{1.2, "0.0x#", "1.2x"}, NumberCase{1, "#.#x#", "1."}));

TEST(FormatNumber, NonFiniteValuesShowAsZero) {
    const double cases[] = {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(),
                            -std::numeric_limits<double>::infinity()};
    for (double v : cases) {
        SCOPED_TRACE(v);
        EXPECT_EQ(formatNumber(v, u"$##0.00"), "$0.00");
        EXPECT_EQ(formatNumber(v, u"##.0#"), ".0");
    }
}

TEST(FormatNumber, OddPatternsAreSafe) {
    EXPECT_EQ(formatNumber(12.5, u""), "12.5");  // no picture: the plain record form
    EXPECT_EQ(formatNumber(-3, u""), "-3");
    EXPECT_EQ(formatNumber(12.5, u"KW"), "KW");  // no placeholder: literal text only
    EXPECT_EQ(formatNumber(12.5, u"$"), "$");
    EXPECT_EQ(formatNumber(12.5, u","), ",");
    EXPECT_EQ(formatNumber(12.5, u"."), "13.");  // rounded to units
    EXPECT_EQ(formatNumber(12.56, u"0..0"), "12..6");  // a second point is a literal
}

TEST(FormatNumber, OutputIsBoundedByTheValueAndThePattern) {
    // The largest double has 309 integer digits; grouping adds 102 commas.
    const QString big = formatNumber(std::numeric_limits<double>::max(), u"#,##0.00");
    EXPECT_EQ(big.size(), 309 + 102 + 3);
    EXPECT_TRUE(big.startsWith("179,769,313,486,232,000"));
    EXPECT_TRUE(big.endsWith(",000.00"));
    EXPECT_EQ(formatNumber(1e300, u"0"), "1" + QString(300, u'0'));

    // Tiny values round to zero, however far down they are.
    EXPECT_EQ(formatNumber(1e-300, u"0.00"), "0.00");
    EXPECT_EQ(formatNumber(std::numeric_limits<double>::denorm_min(), u"#.##"), ".");

    // A very long pattern: output as long as the pattern asks for, no more.
    const QString zeros(100000, u'0');
    const QString longFraction = formatNumber(1.0 / 3.0, QStringLiteral("0.") + zeros);
    ASSERT_EQ(longFraction.size(), 2 + zeros.size());
    EXPECT_TRUE(longFraction.startsWith("0.333333333333333000"));
    EXPECT_EQ(formatNumber(0.5, QStringLiteral(".") + QString(100000, u'#')), ".5");
    EXPECT_EQ(formatNumber(5, QString(100000, u'#')), "5");
}

struct DateCase {
    const char* pattern;
    const char* expected;
};

class FormatDateTest : public ::testing::TestWithParam<DateCase> {};

// 5 Dec 2026 14:03:09, a Saturday.
const QDateTime kAfternoon(QDate(2026, 12, 5), QTime(14, 3, 9));

TEST_P(FormatDateTest, FollowsThePicture) {
    EXPECT_EQ(formatDate(kAfternoon, QString::fromUtf8(GetParam().pattern)), QString::fromUtf8(GetParam().expected));
}

INSTANTIATE_TEST_SUITE_P(
    Displays, FormatDateTest,
    ::testing::Values(DateCase{"mm/dd/yyyy", "12/05/2026"}, DateCase{"hh:mm:ss", "14:03:09"},
                      DateCase{"MM/DD/YY", "12/05/26"}, DateCase{"mmm dd, yyyy", "Dec 05, 2026"},
                      DateCase{"mm/dd/yy h:nn:ss AM/PM", "12/05/26 2:03:09 PM"},
                      DateCase{"ddd D H:MM AM/PM", "Sat 5 2:03 PM"}, DateCase{"ddd mmm D", "Sat Dec 5"},
                      DateCase{"mmm D", "Dec 5"}, DateCase{"yyyy", "2026"}, DateCase{"mm", "12"},
                      DateCase{"m/d/yyyy", "12/5/2026"}, DateCase{"h:nn am/pm", "2:03 pm"},
                      DateCase{"hh mm", "14 03"}, DateCase{"hh dd mm", "14 05 12"},
                      DateCase{"n:s", "3:9"}, DateCase{"dddd, mmmm d", "Saturday, December 5"},
                      DateCase{"hh:mm at y", "14:03 at y"}, DateCase{"", ""}, DateCase{"Week: ", "Week: "}));

struct ClockCase {
    QDateTime when;
    const char* pattern;
    const char* expected;
};

TEST(FormatDate, TwelveHourClockAndShortFields) {
    const ClockCase cases[] = {
        {QDateTime(QDate(2026, 1, 3), QTime(0, 5, 7)), "h:nn:ss AM/PM", "12:05:07 AM"},
        {QDateTime(QDate(2026, 1, 3), QTime(12, 0, 0)), "h:nn:ss AM/PM", "12:00:00 PM"},
        {QDateTime(QDate(2026, 1, 3), QTime(11, 59, 59)), "hh:nn:ss AM/PM", "11:59:59 AM"},
        {QDateTime(QDate(2026, 1, 3), QTime(0, 5, 7)), "hh:mm:ss", "00:05:07"},
        {QDateTime(QDate(2026, 1, 3), QTime(9, 5, 7)), "m/d/yy h:m", "1/3/26 9:5"},
        {QDateTime(QDate(2007, 7, 1), QTime(9, 5, 7)), "ddd mmm D, yy", "Sun Jul 1, 07"},
        {QDateTime(QDate(2024, 2, 29), QTime(23, 0, 0)), "ddd mm/dd/yyyy", "Thu 02/29/2024"},
    };
    for (const ClockCase& c : cases) {
        SCOPED_TRACE(c.pattern);
        EXPECT_EQ(formatDate(c.when, QString::fromUtf8(c.pattern)), QString::fromUtf8(c.expected));
    }
}

TEST(FormatDate, InvalidDateShowsNothing) {
    EXPECT_EQ(formatDate(QDateTime(), u"ddd mmm D"), "");
    EXPECT_EQ(formatDate(QDateTime(QDate(2026, 2, 30), QTime(1, 0)), u"ddd mmm D"), "");
}

}  // namespace
