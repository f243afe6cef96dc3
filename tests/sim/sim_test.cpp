#include "meterserver.h"
#include "meterstream.h"

#include "app/fieldmodel.h"
#include "app/sharedstate.h"
#include "link/meterdecoder.h"
#include "support/fakes.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QRegularExpression>
#include <QTcpSocket>
#include <gtest/gtest.h>

#include <functional>

using namespace kelvora;
using namespace kelvora::sim;

namespace {

bool waitUntil(const std::function<bool()>& cond, int ms = 5000) {
    QElapsedTimer t;
    t.start();
    while (!cond()) {
        if (t.elapsed() > ms) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

const QRegularExpression kGrammar(QStringLiteral("^v((?:\\d{4}){25})a((?:\\d{4}){25})V(\\d+)!A(\\d+)!B(\\d+)!e$"));

struct Parsed {
    QList<int> vWave, aWave;
    int v = 0, a = 0, b = 0;
};

// Parses one message by the grammar; nothing when it does not match.
std::optional<Parsed> parse(const QByteArray& message) {
    const auto m = kGrammar.match(QString::fromLatin1(message));
    if (!m.hasMatch()) return std::nullopt;
    Parsed p;
    for (int k = 0; k < 25; ++k) {
        p.vWave << m.captured(1).mid(4 * k, 4).toInt();
        p.aWave << m.captured(2).mid(4 * k, 4).toInt();
    }
    p.v = m.captured(3).toInt();
    p.a = m.captured(4).toInt();
    p.b = m.captured(5).toInt();
    return p;
}

constexpr double kHalfVoltCount = 240.0 / 400.0 / 2;  // rounding of one raw count
constexpr double kHalfAmpCount = 100.0 / 256.0 / 2;

}  // namespace

TEST(MeterStream, RawValuesFollowTheDefaultCalibration) {
    struct Case {
        double value;
        int raw;
        bool volts;
    };
    const Case cases[] = {{240, 911, true}, {120, 800, true} /* kept at the glitch limit */, {250, 928, true},
                          {299.9, 1010, true}, {100, 767, false}, {0.2, 512, false}, {0, 512, false},
                          {10, 537, false}, {209.9, 1048, false}, {500, 1048, false}};
    for (const Case& c : cases) {
        EXPECT_EQ(c.volts ? MeterStream::voltsToRaw(c.value) : MeterStream::ampsToRaw(c.value), c.raw) << c.value;
    }
    EXPECT_DOUBLE_EQ(MeterStream::rawToVolts(911), 240.0);
    EXPECT_DOUBLE_EQ(MeterStream::rawToAmps(767), 100.0);
}

TEST(MeterStream, MessagesMatchTheGrammarAndDecodeToTheLoad) {
    MeterStream stream(7, 17.5 * 3600);  // the evening, when most runs
    for (int i = 0; i < 3000; ++i) {
        const QByteArray msg = stream.next();
        const auto p = parse(msg);
        ASSERT_TRUE(p) << i << ": " << msg.toStdString();
        const LoadSample& s = stream.last();
        ASSERT_NEAR(MeterStream::rawToVolts(p->v), s.volts, kHalfVoltCount + 1e-9) << i;
        ASSERT_NEAR(MeterStream::rawToAmps(p->a), s.ampsA, kHalfAmpCount + 0.15) << i;
        ASSERT_NEAR(MeterStream::rawToAmps(p->b), s.ampsB, kHalfAmpCount + 0.15) << i;
        // Inside what the app accepts: voltage raw at least 800 and below 300 V,
        // currents above 0 A and below 210 A.
        ASSERT_GE(p->v, 800);
        ASSERT_LT(MeterStream::rawToVolts(p->v), 300);
        for (int raw : {p->a, p->b}) {
            ASSERT_GT(MeterStream::rawToAmps(raw), 0);
            ASSERT_LT(MeterStream::rawToAmps(raw), 210);
        }
        for (int k = 0; k < 25; ++k) {
            ASSERT_LE(p->vWave[k], 1000);
            ASSERT_LE(p->aWave[k], 1000);
        }
    }
}

TEST(MeterStream, WaveformsSwingAroundTheZeroLevel) {
    MeterStream stream(3, 12 * 3600);
    const auto p = parse(stream.next());
    ASSERT_TRUE(p);
    const auto [vMin, vMax] = std::minmax_element(p->vWave.begin(), p->vWave.end());
    EXPECT_LT(*vMin, 200);
    EXPECT_GT(*vMax, 800);
    EXPECT_NEAR((*vMin + *vMax) / 2.0, 511, 15);
    double sum = 0;
    for (int s : p->aWave) sum += s - 511;
    EXPECT_NEAR(sum / 25, 0, 5);  // a whole cycle: no offset
    const auto [aMin, aMax] = std::minmax_element(p->aWave.begin(), p->aWave.end());
    EXPECT_LT(*aMin, 511);
    EXPECT_GT(*aMax, 511);
}

TEST(MeterStream, SameSeedSameStreamOtherSeedOtherStream) {
    MeterStream a(42, 8 * 3600), b(42, 8 * 3600), c(43, 8 * 3600);
    bool differs = false;
    for (int i = 0; i < 2000; ++i) {
        const QByteArray ma = a.next();
        ASSERT_EQ(ma, b.next()) << i;
        differs |= ma != c.next();
    }
    EXPECT_TRUE(differs);
    EXPECT_EQ(a.sequence(), 2000u);
}

TEST(HouseholdLoad, AWeekStaysInBoundsWithARealisticRhythm) {
    HouseholdLoad load(11, 0);
    constexpr int kStepsPerDay = 43200;  // 2-second readings
    double minA = 1e9, maxA = 0, minB = 1e9, maxB = 0, minV = 1e9, maxV = 0;
    double night = 0, evening = 0;
    int nightN = 0, eveningN = 0;
    double fridgeOnSeconds = 0;
    for (int i = 0; i < 7 * kStepsPerDay; ++i) {
        const LoadSample s = load.step(2.0);
        ASSERT_TRUE(std::isfinite(s.ampsA) && std::isfinite(s.ampsB) && std::isfinite(s.volts));
        minA = std::min(minA, s.ampsA), maxA = std::max(maxA, s.ampsA);
        minB = std::min(minB, s.ampsB), maxB = std::max(maxB, s.ampsB);
        minV = std::min(minV, s.volts), maxV = std::max(maxV, s.volts);
        const double hour = s.secondOfDay / 3600;
        const double watts = s.volts / 2 * (s.ampsA + s.ampsB);
        if (hour >= 2 && hour < 5) night += watts, ++nightN;
        if (hour >= 18 && hour < 21) evening += watts, ++eveningN;
        if (load.fridgeRunning()) fridgeOnSeconds += 2;
    }
    EXPECT_GE(std::min(minA, minB), HouseholdLoad::kMinAmps);
    EXPECT_LE(std::max(maxA, maxB), HouseholdLoad::kMaxAmps);
    EXPECT_GE(minV, HouseholdLoad::kMinVolts);
    EXPECT_LE(maxV, HouseholdLoad::kMaxVolts);
    EXPECT_LT(maxV - minV, 24.0);
    // Base load of a few hundred watts at night, much more in the evening.
    EXPECT_GT(night / nightN, 150);
    EXPECT_LT(night / nightN, 700);
    EXPECT_GT(evening / eveningN, 2 * night / nightN);
    // Big loads run now and then: above 20 A on both legs at some time.
    EXPECT_GT(std::min(maxA, maxB), 20);
    // The fridge cycles every 20 to 40 minutes: 36 to 72 starts a day.
    EXPECT_GE(load.fridgeStarts(), 7 * 36 - 2);
    EXPECT_LE(load.fridgeStarts(), 7 * 72 + 2);
    EXPECT_GT(fridgeOnSeconds, 7 * 86400 * 0.2);
    EXPECT_LT(fridgeOnSeconds, 7 * 86400 * 0.6);
    for (const char* name : {"kettle", "microwave", "oven", "dryer", "water heater"})
        EXPECT_GT(load.starts(QString::fromLatin1(name)), 0) << name;
    EXPECT_LT(load.starts(QStringLiteral("oven")), 7 * 4);
}

TEST(HouseholdLoad, DayProfileRisesInTheMorningAndEvening) {
    EXPECT_LT(HouseholdLoad::dayProfile(3), HouseholdLoad::dayProfile(7.5));
    EXPECT_LT(HouseholdLoad::dayProfile(13), HouseholdLoad::dayProfile(19));
    EXPECT_NEAR(HouseholdLoad::dayProfile(0), HouseholdLoad::dayProfile(24), 1e-12);
    for (double h = 0; h <= 24; h += 0.25) {
        EXPECT_GE(HouseholdLoad::dayProfile(h), 0);
        EXPECT_LE(HouseholdLoad::dayProfile(h), 1);
    }
}

// The app's own decoder reads the simulator's messages as the simulator meant
// them, also when they come split at any point.
TEST(MeterStream, AppDecoderReadsTheStream) {
    kelvora::testing::TempDataDir tmp;
    SharedState shared;
    FieldModel fields;
    fields.setChecked(QStringLiteral("Option_240vac"), true);
    MeterDecoder decoder(shared, fields, tmp.dir());
    decoder.setVacGood(240);

    MeterStream stream(5, 18 * 3600);
    for (int i = 0; i < 60; ++i) {
        const QByteArray msg = stream.next();
        const qsizetype cut = 1 + (i * 37) % (msg.size() - 1);
        shared.New_Message = 0;
        decoder.DecodeMeterMessage(QString::fromLatin1(msg.left(cut)));
        decoder.DecodeMeterMessage(QString::fromLatin1(msg.mid(cut)));
        ASSERT_EQ(shared.New_Message, 1) << i;
        const LoadSample& s = stream.last();
        ASSERT_NEAR(shared.VAC_Reading, s.volts, kHalfVoltCount + 1e-9) << i;
        ASSERT_NEAR(shared.A_AMPS_Reading, s.ampsA, kHalfAmpCount + 0.15) << i;
        ASSERT_NEAR(shared.B_AMPS_Reading, s.ampsB, kHalfAmpCount + 0.15) << i;
    }
    EXPECT_EQ(tmp.contents(QStringLiteral("VAC_WAVE.dat")).count("\r\n"), 25);
}

namespace {

// A client that collects the stream and cuts it into messages at "e".
struct Reader {
    QTcpSocket socket;
    QByteArray buffer;
    QList<QByteArray> messages;
    int reads = 0;

    Reader() {
        QObject::connect(&socket, &QTcpSocket::readyRead, [this] {
            ++reads;
            buffer += socket.readAll();
            qsizetype end;
            while ((end = buffer.indexOf('e')) >= 0) {
                messages << buffer.left(end + 1);
                buffer.remove(0, end + 1);
            }
        });
    }
    bool connectTo(quint16 port) {
        socket.connectToHost(QHostAddress::LocalHost, port);
        return waitUntil([this] { return socket.state() == QAbstractSocket::ConnectedState; });
    }
};

}  // namespace

TEST(MeterServer, NextClientGetsTheContinuingStream) {
    constexpr quint64 kSeed = 9;
    constexpr double kStart = 7 * 3600;
    MeterServer server(kSeed, kStart, 5);
    ASSERT_TRUE(server.listen(QHostAddress::LocalHost, 0));
    server.start();

    // The same household, message by message, to find where each one stands.
    MeterStream reference(kSeed, kStart);
    QList<QByteArray> expected;
    const auto indexOf = [&](const QByteArray& m) {
        for (int i = 0; i < 5000; ++i) {
            if (i >= expected.size()) expected << reference.next();
            if (expected[i] == m) return i;
        }
        return -1;
    };

    Reader first;
    ASSERT_TRUE(first.connectTo(server.serverPort()));
    ASSERT_TRUE(waitUntil([&] { return first.messages.size() >= 5 && server.messagesSplit() > 0; }));
    first.socket.disconnectFromHost();
    ASSERT_TRUE(waitUntil([&] { return !server.hasClient(); }));
    const quint64 madeBefore = server.stream().sequence();

    Reader second;
    ASSERT_TRUE(second.connectTo(server.serverPort()));
    ASSERT_TRUE(waitUntil([&] { return second.messages.size() >= 5; }));
    server.stop();
    EXPECT_EQ(server.clientsAccepted(), 2);

    // Each client sees consecutive messages of one stream; the second one
    // picks up later in it, not at its start.
    for (const Reader* r : {&first, &second}) {
        const int start = indexOf(r->messages.first());
        ASSERT_GE(start, 0);
        for (int k = 0; k < r->messages.size(); ++k) {
            ASSERT_TRUE(parse(r->messages[k])) << k;
            ASSERT_EQ(indexOf(r->messages[k]), start + k) << k;
        }
    }
    EXPECT_GE(indexOf(second.messages.first()), int(madeBefore));
    EXPECT_GT(indexOf(second.messages.first()), indexOf(first.messages.last()));
}

TEST(MeterServer, NewClientReplacesTheOldOne) {
    MeterServer server(1, 0, 5);
    ASSERT_TRUE(server.listen(QHostAddress::LocalHost, 0));
    server.start();

    Reader old;
    ASSERT_TRUE(old.connectTo(server.serverPort()));
    ASSERT_TRUE(waitUntil([&] { return !old.messages.isEmpty(); }));
    Reader fresh;
    ASSERT_TRUE(fresh.connectTo(server.serverPort()));
    EXPECT_TRUE(waitUntil([&] { return old.socket.state() == QAbstractSocket::UnconnectedState; }));
    ASSERT_TRUE(waitUntil([&] { return fresh.messages.size() >= 3; }));
    // The new client's stream starts at a message boundary.
    for (const QByteArray& m : fresh.messages) EXPECT_TRUE(parse(m)) << m.toStdString();
    EXPECT_EQ(server.clientsAccepted(), 2);
}
