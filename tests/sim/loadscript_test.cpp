#include "loadscript.h"
#include "meterserver.h"

#include <gtest/gtest.h>

using namespace kelvora::sim;

TEST(LoadScript, FaultsAreNamedWithTheirLine) {
    const struct { const char* text; const char* says; } bad[] = {
        {"amps 10 10", "line 1: a step starts with its time"},
        {"0 amps 10", "line 1: amps takes two currents"},
        {"0 amps 10 250", "amps takes two currents from 0 to 200"},
        {"# fine\n0 volts 120", "line 2: volts takes one voltage from 180 to 295"},
        {"0 pause 0", "pause takes its length"},
        {"0 household now", "household takes no values"},
        {"0 kettle", "the commands are"},
        {"10 volts 240\n5 volts 230", "line 2: a step goes back in time"},
        {"0 volts 2,4e2", "volts takes one voltage"},
    };
    for (const auto& b : bad) {
        const ParsedScript p = LoadScript::parse(QString::fromLatin1(b.text));
        EXPECT_FALSE(p.script) << b.text;
        EXPECT_TRUE(p.error.contains(QLatin1String(b.says))) << b.text << " -> " << p.error.toStdString();
    }
}

// The server sends the scripted load, keeps silent through a pause and hands
// the load back to the household at the end.
TEST(LoadScript, TheServerFollowsTheSteps) {
    const auto parsed = LoadScript::parse(QStringLiteral("0 amps 170 12.5  # phase A over its limit\n"
                                                         "0 volts 214\n"
                                                         "4 pause 4\n"
                                                         "8 household\n"));
    ASSERT_TRUE(parsed.script) << parsed.error.toStdString();
    EXPECT_EQ(parsed.script->length(), 8);
    MeterServer server(1, 12 * 3600, 2000);
    server.setScript(*parsed.script);
    for (int slot = 0; slot < 2; ++slot) {
        server.sendNext();
        const LoadSample& s = server.stream().last();
        EXPECT_EQ(s.ampsA, 170);
        EXPECT_EQ(s.ampsB, 12.5);
        EXPECT_EQ(s.volts, 214);
    }
    server.sendNext(), server.sendNext();  // seconds 4 and 6: paused
    EXPECT_EQ(server.stream().sequence(), 2u);
    server.sendNext();
    EXPECT_EQ(server.stream().sequence(), 3u);
    EXPECT_LT(server.stream().last().ampsA, 100) << "the household's own load";
    EXPECT_NE(server.stream().last().volts, 214);
}
