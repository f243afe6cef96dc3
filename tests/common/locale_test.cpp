#include "common/datadir.h"
#include "common/format.h"
#include "common/numeric.h"
#include "common/records.h"
#include "support/fakes.h"

#include <clocale>
#include <gtest/gtest.h>

using namespace kelvora;

namespace {

// Runs the test body under a locale whose decimal separator is a comma, as a
// German desktop session does, and puts the old locale back afterwards.
class CommaLocale : public ::testing::Test {
protected:
    void SetUp() override {
        saved_ = std::setlocale(LC_ALL, nullptr);
        if (!std::setlocale(LC_ALL, "de_DE.UTF-8") && !std::setlocale(LC_ALL, "de_DE.utf8"))
            GTEST_SKIP() << "the de_DE.UTF-8 locale is not installed (scripts/install-deps.sh generates it)";
        ASSERT_STREQ(std::localeconv()->decimal_point, ",");
    }
    void TearDown() override { std::setlocale(LC_ALL, saved_.c_str()); }

private:
    std::string saved_;
};

}  // namespace

TEST_F(CommaLocale, FileNumbersReadAndWriteWithThePointAndSavedTotalsKeepTheirFraction) {
    const struct { const char* text; double value; } reads[] = {
        {"0.0585", 0.0585}, {"12.5", 12.5}, {".020939", 0.020939}, {"-3.25e2", -325}, {"1,5", 1}};
    for (const auto& r : reads) EXPECT_DOUBLE_EQ(numericValue(QString::fromLatin1(r.text)), r.value) << r.text;
    EXPECT_EQ(numberText(0.1 + 0.2), "0.3");
    EXPECT_EQ(formatNumber(2.675, u"0.00"), "2.68");
    EXPECT_EQ(formatNumber(1234.5, u"#,##0.0"), "1,234.5");
    kelvora::testing::TempDataDir tmp;
    ASSERT_TRUE(tmp.dir().writeRecords(
        "KWH_last_data.dat", {{Field::Number(12.5), Field::Text("0.73"), Field::Text(formatNumber(0.0585, u"0.###0"))}}));
    EXPECT_EQ(tmp.contents("KWH_last_data.dat"), QByteArray("12.5,\"0.73\",\"0.0585\"\r\n"));
    const QStringList fields = tmp.dir().readRecords("KWH_last_data.dat").value();
    EXPECT_DOUBLE_EQ(numericValue(fields[0]), 12.5);
    EXPECT_DOUBLE_EQ(numericValue(fields[2]), 0.0585);
}
