#include "common/numeric.h"
#include "common/format.h"

#include "support/fakes.h"

#include <gtest/gtest.h>

using namespace kelvora;

TEST(NumericValue, TakesTheLeadingDecimalNumber) {
    // "\xd9\xa3" is an Arabic-Indic three, which is no digit here.
    const struct { const char* text; double value; bool starts; } cases[] = {
        {"12.5 V", 12.5, true}, {"", 0, false}, {"$5", 0, false}, {"  -3", -3, true}, {"1e", 1, true},
        {"1.2.3", 1.2, true}, {"+7", 7, true}, {".", 0, false}, {"-.25A", -0.25, true}, {"2.5E-1", 0.25, true},
        {"--1", 0, false}, {"1,200", 1, true}, {"3e-", 3, true}, {"1e999", 0, true}, {"\xd9\xa3", 0, false},
    };
    for (const auto& c : cases) {
        EXPECT_DOUBLE_EQ(numericValue(QString::fromUtf8(c.text)), c.value) << c.text;
        EXPECT_EQ(startsWithNumber(QString::fromUtf8(c.text)), c.starts) << c.text;
    }
}

// An amount shown in any currency the settings allow reads back as shown,
// sign included; a design text that only looks like one ("$DAVG") is none.
TEST(MoneyValue, ReadsBackWhatFormatMoneyShows) {
    const struct { double value; const char* symbol; } cases[] = {
        {8.5, "$"}, {-1.5, "$"}, {12.25, "\u20ac"}, {-0.75, "kr"}, {1234.5, "CHF"}, {0, "\u00a3"}};
    for (const auto& c : cases) {
        const QString symbol = QString::fromUtf8(c.symbol);
        const QString shown = formatMoney(c.value, u"$##0.00", symbol);
        EXPECT_DOUBLE_EQ(moneyValue(shown), c.value) << shown.toStdString();
        EXPECT_EQ(moneySymbol(QStringView(shown).mid(c.value < 0 ? 1 : 0)).toString(), symbol);
    }
    EXPECT_TRUE(moneySymbol(u"$DAVG").isEmpty());
    EXPECT_EQ(moneyValue(u"no data"), 0);
}
