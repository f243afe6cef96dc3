#include "common/format.h"
#include "common/numeric.h"
#include "common/records.h"

#include "support/fakes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace kelvora;
using lim = std::numeric_limits<double>;

TEST(FormatNumber, FollowsThePicture) {
    const struct { double value; const char *pattern, *expected; } cases[] = {
        // The main window's pictures; `#` after the point drops trailing zeros only.
        {121.46, "##0.0", "121.5"}, {72.224, "$##0.00", "$72.22"}, {5.0, "##0.0#", "5.0"}, {0.5, "##.0#", ".5"},
        {0, "##.##", "."}, {0.0234, "##.##", ".02"}, {0.05, "0.###0", "0.0500"},  // a trailing `0` forces those before
        // The integer part is never cut short; zero with only `#` and no point shows nothing.
        {1234.567, "##.##", "1234.57"}, {0, "######", ""}, {0.5, "######", "1"}, {999.96, "#,##0.0", "1,000.0"},
        {5, "0,000", "0,005"},
        // The sign leads, before the dollar; nothing that rounds to zero is negative.
        {-1.5, "$##0.00", "-$1.50"}, {-0.04, "##0.0", "0.0"}, {-0.4, "######", ""},
        // Half away from zero on the 15-digit decimal form, not on the binary value.
        {2.675, "0.00", "2.68"}, {9.995, "0.00", "10.00"}, {0.1 + 0.2, "0.0000000000000000", "0.3000000000000000"},
        // Literals stay where they stand; odd pictures are safe.
        {12.345, "##0.0 KW", "12.3 KW"}, {1.23, "0.0x0", "1.2x3"}, {-3, "", "-3"}, {12.5, "KW", "KW"},
        {12.5, ".", "13."}, {1234.5, "0.0,0", "1234.50"},  // not-finite values show as zero
        {lim::quiet_NaN(), "$##0.00", "$0.00"}, {-lim::infinity(), "$##0.00", "$0.00"}, {1e-300, "0.00", "0.00"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(formatNumber(c.value, QString::fromUtf8(c.pattern)), QString::fromUtf8(c.expected))
            << c.value << " with \"" << c.pattern << '"';
    }
}

// The output is bounded by the value and the pattern. The largest doubles are
// written as the largest 15-digit decimal that a double holds: rounded up,
// they read back as 0 and a saved value is lost.
TEST(FormatNumber, LargestValue) {
    const QString big = formatNumber(lim::max(), u"#,##0.00");  // 309 digits and 102 commas
    EXPECT_EQ(big.size(), 309 + 102 + 3);
    EXPECT_TRUE(big.startsWith("179,769,313,486,231,000") && big.endsWith(",000.00")) << big.left(40).toStdString();
    for (const double v : {lim::max(), -lim::max()}) {
        EXPECT_DOUBLE_EQ(numericValue(numberText(v)), std::copysign(1.79769313486231e308, v)) << v;
        EXPECT_DOUBLE_EQ(numericValue(formatNumber(v, u"##.0#")), std::copysign(1.79769313486231e308, v)) << v;
    }
}

TEST(FormatDate, FollowsThePicture) {
    const QDate sat(2026, 12, 5);  // a Saturday
    const struct { QTime time; const char *pattern, *expected; } cases[] = {
        {{14, 3, 9}, "m/d/yyyy", "12/5/2026"}, {{14, 3, 9}, "mm/dd/yy h:nn:ss AM/PM", "12/05/26 2:03:09 PM"},
        {{14, 3, 9}, "ddd D H:MM AM/PM", "Sat 5 2:03 PM"}, {{14, 3, 9}, "h:nn am/pm", "2:03 pm"},
        {{14, 3, 9}, "hh dd mm", "14 05 12"}, {{14, 3, 9}, "dddd, mmmm d", "Saturday, December 5"},
        {{14, 3, 9}, "hh:mm at y", "14:03 at y"}, {{0, 5, 7}, "h:nn:ss AM/PM", "12:05:07 AM"},
        {{12, 0, 0}, "h:nn:ss AM/PM", "12:00:00 PM"}, {{0, 5, 7}, "hh:mm:ss", "00:05:07"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(formatDate(QDateTime(sat, c.time), QString::fromUtf8(c.pattern)), c.expected) << c.pattern;
    EXPECT_EQ(formatDate(QDateTime(), u"ddd mmm D"), "");
}

