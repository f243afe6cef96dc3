#pragma once
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QtGlobal>
#include <array>
#include <functional>
#include <vector>

namespace kelvora::sim {

// Random numbers that come out the same for a seed on every platform and
// standard library (the standard distributions are not specified bit for bit).
class Random {
public:
    explicit Random(quint64 seed);
    quint64 next();
    double uniform();                          // [0, 1)
    double uniform(double lo, double hi);      // [lo, hi)
    double normal();                           // mean 0, deviation 1
    bool chance(double p) { return uniform() < p; }

private:
    std::array<quint64, 4> s_{};
    bool hasSpare_ = false;
    double spare_ = 0;
};

// What the meter sees at one moment: the line voltage (between the two hot
// legs) and the current on each leg.
struct LoadSample {
    double secondOfDay = 0;
    double volts = 240;
    double ampsA = 0;
    double ampsB = 0;
    double lagA = 0;        // phase A current lag in radians (motors lag, heaters do not)
    double harmonicA = 0;   // share of third harmonic in the phase A current (electronics)
};

// A household on a split-phase supply, stepped in simulated seconds:
// - an always-on base load (a few hundred watts) on both legs,
// - lights and electronics following the day (low at night, peaks in the
//   morning and evening),
// - a fridge on phase A cycling on and off (a cycle of about 20 to 40 minutes),
// - occasional appliances: kettle and microwave (120 V, one leg), oven, dryer
//   and water heater (240 V, both legs), more likely at their usual hours.
// The line voltage wanders around 240 V with a little noise and sags slightly
// under load. The same seed and start give the same household.
class HouseholdLoad {
public:
    static constexpr double kMinAmps = 0.25;   // keeps every reading above 0 A
    static constexpr double kMaxAmps = 200.0;  // below the meter's 210 A limit
    static constexpr double kMinVolts = 228.0;
    static constexpr double kMaxVolts = 252.0;

    HouseholdLoad(quint64 seed, double startSecondOfDay);

    // Advances by dt simulated seconds and returns the state at the new time.
    LoadSample step(double dtSeconds);

    double secondOfDay() const { return secondOfDay_; }
    bool fridgeRunning() const { return fridgeOn_; }
    // Names of the appliances running now ("kettle", "oven", ...).
    QStringList running() const;
    // How many times each appliance has been started so far.
    int starts(const QString& name) const;
    int fridgeStarts() const { return fridgeStarts_; }

    // Activity share (0..1) of lights and electronics at an hour of the day.
    static double dayProfile(double hourOfDay);

private:
    struct Appliance {
        const char* name;
        double watts;
        bool bothLegs;        // a 240 V load
        bool onPhaseA;        // for 120 V loads
        double minMinutes, maxMinutes;
        double cycleOnSeconds;   // thermostat: element on this long, then
        double cycleOffSeconds;  // off this long (0: runs steadily)
        double lag;              // current lag in radians
        double remaining = 0;    // seconds left to run; 0 when off
        double cyclePos = 0;
        int starts = 0;
    };
    // Starts per hour for an appliance at an hour of the day.
    static double startRate(const Appliance& a, double hourOfDay);

    Random rng_;
    double secondOfDay_;
    double baseA_ = 1.1, baseB_ = 0.9;  // amps
    double shareA_ = 0.5;               // phase A share of the lights and electronics
    double busy_ = 1.0;                 // how busy the household is today
    double voltWander_ = 0;
    bool fridgeOn_ = false;
    double fridgeLeft_ = 0;
    double fridgeRun_ = 0;
    int fridgeStarts_ = 0;
    std::vector<Appliance> appliances_;
};

// The meter controller's message stream for a household. Each message is one
// reading set (two simulated seconds):
//   "v" + 25 four-digit samples of the voltage waveform around 511
//   + "a" + 25 four-digit samples of the phase A current waveform around 511
//   + "V<raw>!A<raw>!B<raw>!" + "e"
// The raw values follow the meter's default calibration: volts = (raw - 511)
// * 240 / 400 and amps = (raw - 511) * 100 / 256.
class MeterStream {
public:
    static constexpr int kSamples = 25;
    static constexpr double kStepSeconds = 2.0;

    MeterStream(quint64 seed, double startSecondOfDay);

    // The next message; `adjust` may change the household's sample first.
    QByteArray next(const std::function<void(LoadSample&)>& adjust = {});
    // Messages made so far.
    quint64 sequence() const { return sequence_; }
    // The household state behind the last message.
    const LoadSample& last() const { return last_; }
    const HouseholdLoad& load() const { return load_; }

    static QByteArray message(const LoadSample& s);

    static int voltsToRaw(double volts);
    static int ampsToRaw(double amps);
    static double rawToVolts(int raw) { return (raw - 511) * 240.0 / 400.0; }
    static double rawToAmps(int raw) { return (raw - 511) * 100.0 / 256.0; }

private:
    HouseholdLoad load_;
    LoadSample last_;
    quint64 sequence_ = 0;
};

}  // namespace kelvora::sim
