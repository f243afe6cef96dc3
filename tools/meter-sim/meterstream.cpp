#include "meterstream.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace kelvora::sim {

namespace {

quint64 splitmix(quint64& x) {
    quint64 z = (x += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
}

quint64 rotl(quint64 x, int k) { return (x << k) | (x >> (64 - k)); }

constexpr double kDay = 86400.0;
constexpr double kLegVolts = 120.0;  // each hot leg to neutral

// Steps a value as a bounded random walk.
double wander(Random& rng, double value, double step, double lo, double hi) {
    return std::clamp(value + rng.normal() * step, lo, hi);
}

}  // namespace

// xoshiro256** seeded through splitmix64.
Random::Random(quint64 seed) {
    quint64 x = seed;
    for (auto& word : s_) word = splitmix(x);
}

quint64 Random::next() {
    const quint64 result = rotl(s_[1] * 5, 7) * 9;
    const quint64 t = s_[1] << 17;
    s_[2] ^= s_[0];
    s_[3] ^= s_[1];
    s_[1] ^= s_[2];
    s_[0] ^= s_[3];
    s_[2] ^= t;
    s_[3] = rotl(s_[3], 45);
    return result;
}

double Random::uniform() { return double(next() >> 11) * 0x1.0p-53; }

double Random::uniform(double lo, double hi) { return lo + (hi - lo) * uniform(); }

double Random::normal() {
    if (hasSpare_) {
        hasSpare_ = false;
        return spare_;
    }
    double u = 0;
    while (u <= 0) u = uniform();
    const double v = uniform();
    const double r = std::sqrt(-2.0 * std::log(u));
    spare_ = r * std::sin(2 * std::numbers::pi * v);
    hasSpare_ = true;
    return r * std::cos(2 * std::numbers::pi * v);
}

HouseholdLoad::HouseholdLoad(quint64 seed, double startSecondOfDay)
    : rng_(seed), secondOfDay_(std::fmod(std::max(0.0, startSecondOfDay), kDay)) {
    //             name          watts  240V   A      min  max  on    off   lag
    appliances_ = {{"kettle",     1500, false, false, 3,   5,   0,    0,    0.0},
                   {"microwave",  1100, false, true,  2,   7,   0,    0,    0.3},
                   {"oven",       3000, true,  false, 30,  75,  90,   45,   0.0},
                   {"dryer",      5000, true,  false, 40,  65,  0,    0,    0.1},
                   {"water heater", 4500, true, false, 15, 40,  0,    0,    0.0}};
    baseA_ = rng_.uniform(0.9, 1.4);
    baseB_ = rng_.uniform(0.7, 1.2);
    shareA_ = rng_.uniform(0.4, 0.6);
    busy_ = rng_.uniform(0.8, 1.2);
    fridgeOn_ = rng_.chance(0.4);
    fridgeLeft_ = fridgeOn_ ? rng_.uniform(0, 12 * 60) : rng_.uniform(0, 20 * 60);
    fridgeRun_ = fridgeOn_ ? 60 : 0;  // already past its start-up surge
}

double HouseholdLoad::dayProfile(double hour) {
    // Piecewise linear through (hour, share) points.
    static constexpr std::array<std::array<double, 2>, 12> kPoints = {{{0, 0.10},
                                                                      {5, 0.05},
                                                                      {6, 0.35},
                                                                      {7.5, 0.70},
                                                                      {9, 0.35},
                                                                      {12, 0.40},
                                                                      {16, 0.40},
                                                                      {18, 0.90},
                                                                      {21, 0.85},
                                                                      {22.5, 0.45},
                                                                      {23.5, 0.15},
                                                                      {24, 0.10}}};
    hour = std::clamp(hour, 0.0, 24.0);
    for (size_t i = 1; i < kPoints.size(); ++i) {
        if (hour <= kPoints[i][0]) {
            const auto& a = kPoints[i - 1];
            const auto& b = kPoints[i];
            return a[1] + (b[1] - a[1]) * (hour - a[0]) / (b[0] - a[0]);
        }
    }
    return kPoints.back()[1];
}

double HouseholdLoad::startRate(const Appliance& a, double h) {
    const QString name = QString::fromLatin1(a.name);
    const bool night = h < 6 || h >= 23;
    if (name == QLatin1String("kettle")) return night ? 0.01 : (h < 9 ? 0.6 : (h >= 16 && h < 21 ? 0.3 : 0.08));
    if (name == QLatin1String("microwave"))
        return night ? 0.01 : ((h >= 7 && h < 8.5) || (h >= 12 && h < 13.5) || (h >= 18 && h < 20) ? 0.5 : 0.05);
    if (name == QLatin1String("oven")) return h >= 16.5 && h < 19 ? 0.3 : (night ? 0.0 : 0.01);
    if (name == QLatin1String("dryer")) return h >= 9 && h < 20 ? 0.05 : 0.0;
    if (name == QLatin1String("water heater")) return (h >= 6 && h < 8.5) ? 0.35 : (h >= 19 && h < 22 ? 0.15 : 0.01);
    return 0;
}

LoadSample HouseholdLoad::step(double dt) {
    dt = std::max(0.0, dt);
    secondOfDay_ = std::fmod(secondOfDay_ + dt, kDay);
    if (secondOfDay_ < dt) busy_ = std::clamp(busy_ + rng_.normal() * 0.1, 0.7, 1.3);  // a new day
    const double hour = secondOfDay_ / 3600.0;

    // Base load and the day's activity, which move slowly.
    const double slow = std::sqrt(dt / 60.0);
    baseA_ = wander(rng_, baseA_, 0.01 * slow, 0.7, 1.8);
    baseB_ = wander(rng_, baseB_, 0.01 * slow, 0.5, 1.6);
    shareA_ = wander(rng_, shareA_, 0.01 * slow, 0.3, 0.7);
    const double activityWatts = 800.0 * busy_ * dayProfile(hour) * (1.0 + 0.05 * rng_.normal());
    double ampsA = baseA_ + std::max(0.0, activityWatts * shareA_) / kLegVolts;
    double ampsB = baseB_ + std::max(0.0, activityWatts * (1 - shareA_)) / kLegVolts;
    double lagWeighted = (baseA_ + activityWatts * shareA_ / kLegVolts) * 0.2;

    // The fridge: runs 8..14 minutes, rests 14..26 minutes; a surge as the motor starts.
    fridgeLeft_ -= dt;
    if (fridgeLeft_ <= 0) {
        fridgeOn_ = !fridgeOn_;
        fridgeLeft_ = fridgeOn_ ? rng_.uniform(8 * 60, 14 * 60) : rng_.uniform(14 * 60, 26 * 60);
        fridgeRun_ = 0;
        if (fridgeOn_) ++fridgeStarts_;
    }
    if (fridgeOn_) {
        fridgeRun_ += dt;
        const double fridgeAmps = (fridgeRun_ <= 2.0 ? 3.0 : 1.0) * 150.0 / kLegVolts;
        ampsA += fridgeAmps;
        lagWeighted += fridgeAmps * 0.65;
    }

    // Appliances start at random, more often at their usual hours.
    for (Appliance& a : appliances_) {
        if (a.remaining > 0) {
            a.remaining = std::max(0.0, a.remaining - dt);
            a.cyclePos += dt;
        } else if (rng_.chance(startRate(a, hour) * busy_ * dt / 3600.0)) {
            a.remaining = rng_.uniform(a.minMinutes, a.maxMinutes) * 60.0;
            a.cyclePos = 0;
            ++a.starts;
        }
        if (a.remaining <= 0) continue;
        bool heating = true;
        if (a.cycleOnSeconds > 0) {
            const double period = a.cycleOnSeconds + a.cycleOffSeconds;
            heating = std::fmod(a.cyclePos, period) < a.cycleOnSeconds;
        }
        if (!heating) continue;
        if (a.bothLegs) {
            const double amps = a.watts / (2 * kLegVolts);
            ampsA += amps;
            ampsB += amps;
            lagWeighted += amps * a.lag;
        } else if (a.onPhaseA) {
            ampsA += a.watts / kLegVolts;
            lagWeighted += a.watts / kLegVolts * a.lag;
        } else {
            ampsB += a.watts / kLegVolts;
        }
    }

    LoadSample s;
    s.secondOfDay = secondOfDay_;
    s.lagA = ampsA > 0 ? lagWeighted / ampsA : 0;
    s.harmonicA = std::clamp(0.15 * (activityWatts * shareA_ / kLegVolts) / std::max(ampsA, 0.1), 0.0, 0.15);
    ampsA *= 1.0 + 0.005 * rng_.normal();
    ampsB *= 1.0 + 0.005 * rng_.normal();
    s.ampsA = std::clamp(ampsA, kMinAmps, kMaxAmps);
    s.ampsB = std::clamp(ampsB, kMinAmps, kMaxAmps);

    voltWander_ = wander(rng_, voltWander_, 0.05 * slow, -4.0, 4.0);
    const double sag = 0.04 * (s.ampsA + s.ampsB);
    s.volts = std::clamp(240.0 + voltWander_ - sag + 0.3 * rng_.normal(), kMinVolts, kMaxVolts);
    return s;
}

QStringList HouseholdLoad::running() const {
    QStringList names;
    if (fridgeOn_) names << QStringLiteral("fridge");
    for (const Appliance& a : appliances_)
        if (a.remaining > 0) names << QString::fromLatin1(a.name);
    return names;
}

int HouseholdLoad::starts(const QString& name) const {
    if (name == QLatin1String("fridge")) return fridgeStarts_;
    for (const Appliance& a : appliances_)
        if (name == QLatin1String(a.name)) return a.starts;
    return 0;
}

MeterStream::MeterStream(quint64 seed, double startSecondOfDay) : load_(seed, startSecondOfDay) {}

QByteArray MeterStream::next(const std::function<void(LoadSample&)>& adjust) {
    last_ = load_.step(kStepSeconds);
    if (adjust) adjust(last_);
    ++sequence_;
    return message(last_);
}

int MeterStream::voltsToRaw(double volts) {
    // Kept where the meter's decoder takes it: at least 800 counts and below 300 V.
    return std::clamp(int(std::lround(511 + volts * 400.0 / 240.0)), 800, 1010);
}

int MeterStream::ampsToRaw(double amps) {
    // Above 511 (0 A is not a reading) and below 210 A.
    return std::clamp(int(std::lround(511 + amps * 2.56)), 512, 1048);
}

QByteArray MeterStream::message(const LoadSample& s) {
    using std::numbers::pi;
    const auto sample = [](double counts) {
        const int v = std::clamp(int(std::lround(counts)), 0, 1000);
        return QByteArray::number(v).rightJustified(4, '0');
    };
    QByteArray m;
    m.reserve(256);
    m += 'v';
    // One mains cycle in 25 samples.
    const double vPeak = std::min(480.0, s.volts * 1.6);
    for (int k = 0; k < kSamples; ++k) m += sample(511 + vPeak * std::sin(2 * pi * k / kSamples));
    m += 'a';
    const double aPeak = std::min(480.0 / (1 + s.harmonicA), s.ampsA * std::numbers::sqrt2 * 2.56);
    for (int k = 0; k < kSamples; ++k) {
        const double x = 2 * pi * k / kSamples - s.lagA;
        m += sample(511 + aPeak * (std::sin(x) + s.harmonicA * std::sin(3 * x)));
    }
    m += 'V' + QByteArray::number(voltsToRaw(s.volts)) + '!';
    m += 'A' + QByteArray::number(ampsToRaw(s.ampsA)) + '!';
    m += 'B' + QByteArray::number(ampsToRaw(s.ampsB)) + '!';
    m += 'e';
    return m;
}

}  // namespace kelvora::sim
