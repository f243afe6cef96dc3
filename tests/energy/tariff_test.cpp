#include "energy/tariff.h"
#include "support/fakes.h"
#include "support/zone.h"

#include <gtest/gtest.h>

using namespace kelvora;

namespace {

QDateTime at(int y, int mo, int d, int h, int mi) { return {QDate(y, mo, d), QTime(h, mi)}; }
QDateTime utc(int y, int mo, int d, int h, int mi) { return {QDate(y, mo, d), QTime(h, mi), Qt::UTC}; }

const QByteArray kHeader = "\"valid from\",\"days\",\"from\",\"to\",\"price\"\r\n";
// The house's plan from Tuesday 1 December 2026, and a flat one from New Year.
const QByteArray kTwoPlans = kHeader +
                             "\"2026-12-01\",\"Mon-Fri\",\"07:00\",\"23:00\",\"0.30\"\r\n"
                             "\"2026-12-01\",\"Mon-Sun\",\"23:00\",\"07:00\",\"0.12\"\r\n"
                             "\"2026-12-01\",\"Sat,Sun\",\"07:00\",\"23:00\",\"0.12\"\r\n"
                             "\"2026-12-01\",\"daily charge\",\"\",\"\",\"0.45\"\r\n"
                             "# from New Year one price all week\r\n"
                             "\"2027-01-01\",\"Mon-Sun\",\"00:00\",\"24:00\",\"0.20\"\r\n";

Tariff parsed(const QByteArray& content) {
    auto result = Tariff::parse(content, "Tariffs.dat");
    if (auto* faults = std::get_if<QStringList>(&result)) {
        ADD_FAILURE() << faults->join('\n').toStdString();
        return {};
    }
    return std::get<Tariff>(result);
}

QStringList faultsOf(const QByteArray& content) {
    auto result = Tariff::parse(content, "Tariffs.dat");
    if (auto* faults = std::get_if<QStringList>(&result)) return *faults;
    return {};
}

}  // namespace

// The band in force at each side of the band edges, over midnight and at the
// change of plan (0 for no tariff), and the daily charge of the day's plan.
TEST(Tariff, BandAtEdgesOverMidnightAndAcrossAPlanChange) {
    const Tariff tariff = parsed(kTwoPlans);
    const struct { QDateTime when; int line; double price, dailyCharge; } cases[] = {  // line 0: no tariff
        {at(2026, 11, 30, 23, 59), 0, 0, 0},        // before the first plan
        {at(2026, 12, 1, 0, 0), 3, 0.12, 0.45},     // the plan starts at midnight, in Monday's night band
        {at(2026, 12, 1, 6, 59), 3, 0.12, 0.45},    // Tuesday
        {at(2026, 12, 1, 7, 0), 2, 0.30, 0.45},
        {at(2026, 12, 1, 22, 59), 2, 0.30, 0.45},
        {at(2026, 12, 1, 23, 0), 3, 0.12, 0.45},
        {at(2026, 12, 5, 6, 59), 3, 0.12, 0.45},    // Friday's night runs into Saturday
        {at(2026, 12, 5, 7, 0), 4, 0.12, 0.45},     // Saturday's day band
        {at(2026, 12, 6, 22, 59), 4, 0.12, 0.45},
        {at(2026, 12, 7, 0, 0), 3, 0.12, 0.45},     // Sunday's night runs into Monday
        {at(2026, 12, 7, 6, 59), 3, 0.12, 0.45},
        {at(2026, 12, 7, 7, 0), 2, 0.30, 0.45},
        {at(2026, 12, 31, 23, 59), 3, 0.12, 0.45},  // the old plan's last minute
        {at(2027, 1, 1, 0, 0), 7, 0.20, 0},         // the new plan from its midnight
        {at(2027, 1, 4, 12, 0), 7, 0.20, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.when.toString(Qt::ISODate).toStdString());
        const auto band = tariff.bandAt(c.when);
        EXPECT_EQ(band ? band->line : 0, c.line);
        EXPECT_EQ(tariff.priceAt(c.when).value_or(0), c.price);
        EXPECT_EQ(tariff.dailyCharge(c.when.date()), c.dailyCharge);
    }
    EXPECT_EQ(tariff.bandAt(at(2026, 12, 1, 7, 0))->describe(), "Mon-Fri 07:00-23:00 from 2026-12-01");
}

TEST(Tariff, WeekdayListsRangesAndRangesThatWrapPastSunday) {
    const Tariff tariff = parsed("\"2026-01-01\",\"Mon-Wed,Fri\",\"00:00\",\"24:00\",\"1\"\r\n"
                                 "\"2026-01-01\",\"Thu\",\"00:00\",\"24:00\",\"2\"\r\n"
                                 "\"2026-01-01\",\"Sat-Sun\",\"00:00\",\"12:00\",\"3\"\r\n"
                                 "\"2026-01-01\",\"Sat,Sun\",\"12:00\",\"24:00\",\"4\"\r\n");
    // 7 December 2026 is a Monday.
    const double expected[7][2] = {{1, 1}, {1, 1}, {1, 1}, {2, 2}, {1, 1}, {3, 4}, {3, 4}};
    for (int d = 0; d < 7; ++d)
        for (int half = 0; half < 2; ++half)
            EXPECT_EQ(tariff.priceAt(at(2026, 12, 7 + d, half ? 18 : 6, 0)), expected[d][half]) << d << " " << half;
    const Tariff wrapped = parsed("\"2026-01-01\",\"Fri-Mon\",\"00:00\",\"24:00\",\"5\"\r\n"
                                  "\"2026-01-01\",\"Tue-Thu\",\"00:00\",\"24:00\",\"6\"\r\n");
    EXPECT_EQ(wrapped.priceAt(at(2026, 12, 7, 9, 0)), 5.0);   // Monday
    EXPECT_EQ(wrapped.priceAt(at(2026, 12, 10, 9, 0)), 6.0);  // Thursday
    EXPECT_EQ(wrapped.priceAt(at(2026, 12, 13, 9, 0)), 5.0);  // Sunday
}

// Bands go by local wall time: on the days the clock moves, 07:00 is still
// where the day band starts, at another offset from UTC.
TEST(Tariff, DaylightSavingDaysUseTheWallClock) {
    kelvora::testing::ZoneScope zone("America/New_York");
    const Tariff tariff = parsed("\"2026-01-01\",\"Mon-Sun\",\"07:00\",\"23:00\",\"0.30\"\r\n"
                                 "\"2026-01-01\",\"Mon-Sun\",\"23:00\",\"07:00\",\"0.12\"\r\n");
    const struct { QDateTime when; double price; } cases[] = {
        {utc(2026, 3, 8, 10, 59), 0.12},  // 06:59 EDT, the day summer time starts
        {utc(2026, 3, 8, 11, 0), 0.30},   // 07:00 EDT
        {utc(2026, 3, 9, 2, 59), 0.30},   // 22:59 EDT
        {utc(2026, 3, 9, 3, 0), 0.12},
        {utc(2026, 11, 1, 11, 59), 0.12},  // 06:59 EST, the day summer time ends
        {utc(2026, 11, 1, 12, 0), 0.30},   // 07:00 EST
        {utc(2026, 11, 2, 3, 59), 0.30},   // 22:59 EST
        {utc(2026, 11, 2, 4, 0), 0.12},
    };
    for (const auto& c : cases) EXPECT_EQ(tariff.priceAt(c.when), c.price) << c.when.toString(Qt::ISODate).toStdString();
}

// Plans may stand in any order in the file, and the header only on line 1.
TEST(Tariff, PlansInAnyOrderAndCommentsAnywhere) {
    const Tariff ordered = parsed("# newest first\n"
                                  "\"2027-01-01\",\"Mon-Sun\",\"00:00\",\"24:00\",\"0.2\"\n"
                                  "# and the old one\n"
                                  "\"2026-01-01\",\"Mon-Sun\",\"00:00\",\"24:00\",\"0.1\"\n");
    EXPECT_EQ(ordered.priceAt(at(2026, 12, 31, 12, 0)), 0.1);
    EXPECT_EQ(ordered.priceAt(at(2027, 1, 1, 12, 0)), 0.2);
}

// Each fault of a file is named with its line; the file as a whole is refused.
TEST(Tariff, EveryFaultIsNamedWithItsLine) {
    const QByteArray allWeek = "\"2026-12-01\",\"Mon-Sun\",\"00:00\",\"24:00\",\"0.1\"\r\n";
    const struct { const char* name; QByteArray content; QStringList faults; } cases[] = {
        {"too few fields", kHeader + "\"2026-12-01\",\"Mon-Sun\",\"00:00\",\"24:00\"\r\n" + allWeek,
         {"Tariffs.dat line 2: too few fields (4 of 5)"}},
        {"unknown day", "\"2026-12-01\",\"Mon-Fry\",\"00:00\",\"24:00\",\"0.1\"\r\n" + allWeek,
         {"Tariffs.dat line 1: unknown day name \"Fry\""}},
        {"day twice", "\"2026-12-01\",\"Mon-Wed,Tue\",\"00:00\",\"24:00\",\"0.1\"\r\n",
         {"Tariffs.dat line 1: Tue named twice"}},
        {"bad date", "\"2026-02-30\",\"Mon-Sun\",\"00:00\",\"24:00\",\"0.1\"\r\n" + allWeek,
         {"Tariffs.dat line 1: bad date \"2026-02-30\" (YYYY-MM-DD)"}},
        {"bad times", "\"2026-12-01\",\"Mon-Sun\",\"24:00\",\"7:00\",\"0.1\"\r\n" + allWeek,
         {"Tariffs.dat line 1: bad time \"24:00\" in from (HH:MM, 00:00 to 23:59)",
          "Tariffs.dat line 1: bad time \"7:00\" in to (HH:MM, 00:00 to 24:00)"}},
        {"minutes past 59", "\"2026-12-01\",\"Mon-Sun\",\"00:60\",\"24:00\",\"0.1\"\r\n" + allWeek,
         {"Tariffs.dat line 1: bad time \"00:60\" in from (HH:MM, 00:00 to 23:59)"}},
        {"empty band", "\"2026-12-01\",\"Mon\",\"07:00\",\"07:00\",\"0.1\"\r\n" + allWeek,
         {"Tariffs.dat line 1: band from 07:00 to 07:00 is empty"}},
        {"negative price", "\"2026-12-01\",\"Mon-Sun\",\"00:00\",\"24:00\",\"-0.1\"\r\n",
         {"Tariffs.dat line 1: negative price -0.1"}},
        {"comma price", "\"2026-12-01\",\"Mon-Sun\",\"00:00\",\"24:00\",\"0,1\"\r\n",
         {"Tariffs.dat line 1: price \"0,1\" is not a number"}},
        {"exponent price", "\"2026-12-01\",\"Mon-Sun\",\"00:00\",\"24:00\",\"1e3\"\r\n",
         {"Tariffs.dat line 1: price \"1e3\" is not a number"}},
        {"overlap", "\"2026-12-01\",\"Mon-Sun\",\"00:00\",\"24:00\",\"0.1\"\r\n"
                    "# a weekend band on top\r\n"
                    "\"2026-12-01\",\"Sat\",\"22:00\",\"02:00\",\"0.2\"\r\n",
         {"Tariffs.dat lines 1 and 3: bands overlap from Sat 22:00"}},
        {"gap", "\"2026-12-01\",\"Mon-Sat\",\"00:00\",\"24:00\",\"0.1\"\r\n"
                "\"2026-12-01\",\"Sun\",\"00:00\",\"23:00\",\"0.1\"\r\n"
                "\"2026-12-01\",\"daily charge\",\"\",\"\",\"0.4\"\r\n",
         {"Tariffs.dat lines 1, 2, 3: the plan from 2026-12-01 leaves Sun 23:00 to Sun 24:00 without a price"}},
        {"gap in a later plan", allWeek + "\"2027-01-01\",\"Mon-Fri\",\"00:00\",\"24:00\",\"0.1\"\r\n",
         {"Tariffs.dat line 2: the plan from 2027-01-01 leaves Sat 00:00 to Sun 24:00 without a price"}},
        {"second daily charge", allWeek + "\"2026-12-01\",\"daily charge\",\"\",\"\",\"0.4\"\r\n"
                                          "\"2026-12-01\",\"daily charge\",\"\",\"\",\"0.5\"\r\n",
         {"Tariffs.dat line 3: a second daily charge for 2026-12-01 (first on line 2)"}},
        {"no plan", kHeader + "# nothing yet\r\n", {"Tariffs.dat: holds no tariff plan"}},
    };
    for (const auto& c : cases) EXPECT_EQ(faultsOf(c.content), c.faults) << c.name;
}
