#include "common/format.h"

#include "support/fakes.h"

#include <gtest/gtest.h>

#include <limits>

using namespace kelvora;
using lim = std::numeric_limits<double>;

TEST(FormatNumber, FollowsThePicture) {
    const struct { double value; const char *pattern, *expected; } cases[] = {
        // The main window's pictures; `#` after the point drops trailing zeros only.
        {121.46, "##0.0", "121.5"}, {0.04, "##0.0", "0.0"}, {72.224, "$##0.00", "$72.22"}, {5.0, "##0.0#", "5.0"},
        {5.25, "##0.0#", "5.25"}, {0.5, "##.0#", ".5"}, {0, "##.0#", ".0"}, {0, "##.##", "."}, {12, "##.##", "12."},
        {0.0234, "##.##", ".02"},
        // A trailing `0` forces every position before it (the price field).
        {0.0585, "0.###0", "0.0585"}, {0.05, "0.###0", "0.0500"}, {0.12345, "0.###0", "0.1235"},
        // The integer part is never cut short; zero with only `#` and no point shows nothing.
        {1234.567, "##.##", "1234.57"}, {5, "000", "005"}, {5, "#0#", "05"}, {0, "######", ""}, {0.5, "######", "1"},
        {1200, "##,###.0", "1,200.0"}, {1234567.8, "#,###.0", "1,234,567.8"}, {999.96, "#,##0.0", "1,000.0"},
        {5, "0,000", "0,005"}, {1234.5, "0.0,0", "1234.50"},
        // The sign leads, before the dollar; nothing that rounds to zero is negative.
        {-1.5, "$##0.00", "-$1.50"}, {-0.5, "##.0#", "-.5"}, {-0.04, "##0.0", "0.0"}, {-0.4, "######", ""},
        // Half away from zero on the 15-digit decimal form, not on the binary value.
        {2.675, "0.00", "2.68"}, {-2.675, "0.00", "-2.68"}, {1.005, "0.00", "1.01"}, {9.995, "0.00", "10.00"},
        {0.1 + 0.2, "0.0000000000000000", "0.3000000000000000"},
        // Literals stay where they stand; odd pictures are safe.
        {12.345, "##0.0 KW", "12.3 KW"}, {1.23, "0.0x0", "1.2x3"}, {1, "#.#x#", "1."}, {-3, "", "-3"},
        {12.5, "KW", "KW"}, {12.5, ".", "13."}, {12.56, "0..0", "12..6"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(formatNumber(c.value, QString::fromUtf8(c.pattern)), QString::fromUtf8(c.expected))
            << c.value << " with \"" << c.pattern << '"';
    }
}

TEST(FormatNumber, NonFiniteValuesShowAsZero) {
    for (double v : {lim::quiet_NaN(), lim::infinity(), -lim::infinity()}) {
        EXPECT_EQ(formatNumber(v, u"$##0.00"), "$0.00") << v;
        EXPECT_EQ(formatNumber(v, u"##.0#"), ".0") << v;
    }
}

TEST(FormatNumber, OutputIsBoundedByTheValueAndThePattern) {
    const QString big = formatNumber(lim::max(), u"#,##0.00");  // 309 digits and 102 commas
    EXPECT_EQ(big.size(), 309 + 102 + 3);
    EXPECT_TRUE(big.startsWith("179,769,313,486,232,000") && big.endsWith(",000.00")) << big.left(40).toStdString();
    EXPECT_EQ(formatNumber(1e300, u"0"), "1" + QString(300, u'0'));
    EXPECT_EQ(formatNumber(1e-300, u"0.00"), "0.00");
    EXPECT_EQ(formatNumber(lim::denorm_min(), u"#.##"), ".");
}

TEST(FormatDate, FollowsThePicture) {
    const QDateTime sat(QDate(2026, 12, 5), QTime(14, 3, 9));  // a Saturday
    const char* const cases[][2] = {
        {"mm/dd/yyyy", "12/05/2026"}, {"hh:mm:ss", "14:03:09"}, {"MM/DD/YY", "12/05/26"}, {"m/d/yyyy", "12/5/2026"},
        {"mmm dd, yyyy", "Dec 05, 2026"}, {"mm/dd/yy h:nn:ss AM/PM", "12/05/26 2:03:09 PM"}, {"n:s", "3:9"},
        {"ddd D H:MM AM/PM", "Sat 5 2:03 PM"}, {"ddd mmm D", "Sat Dec 5"}, {"h:nn am/pm", "2:03 pm"},
        {"hh dd mm", "14 05 12"}, {"dddd, mmmm d", "Saturday, December 5"}, {"hh:mm at y", "14:03 at y"}, {"", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(formatDate(sat, QString::fromUtf8(c[0])), QString::fromUtf8(c[1])) << c[0];
}

TEST(FormatDate, TwelveHourClockShortYearAndInvalidDates) {
    const QDate d(2026, 1, 3);
    EXPECT_EQ(formatDate(QDateTime(d, QTime(0, 5, 7)), u"h:nn:ss AM/PM"), "12:05:07 AM");
    EXPECT_EQ(formatDate(QDateTime(d, QTime(12, 0, 0)), u"h:nn:ss AM/PM"), "12:00:00 PM");
    EXPECT_EQ(formatDate(QDateTime(d, QTime(11, 59, 59)), u"hh:nn:ss AM/PM"), "11:59:59 AM");
    EXPECT_EQ(formatDate(QDateTime(d, QTime(0, 5, 7)), u"hh:mm:ss"), "00:05:07");
    EXPECT_EQ(formatDate(QDateTime(QDate(2007, 7, 1), QTime(9, 5)), u"ddd mmm D, yy"), "Sun Jul 1, 07");
    EXPECT_EQ(formatDate(QDateTime(), u"ddd mmm D"), "");
    EXPECT_EQ(formatDate(QDateTime(QDate(2026, 2, 30), QTime(1, 0)), u"ddd mmm D"), "");
}

