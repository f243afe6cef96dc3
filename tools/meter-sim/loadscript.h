#pragma once
#include "meterstream.h"

#include <QList>
#include <QString>
#include <optional>

namespace kelvora::sim {

// A script of timed steps that takes the load out of the household's hands,
// so that a run can trip and clear the app's alarms on purpose. One step a
// line, "<seconds from the start> <command> [values]":
//   20  amps 170 12     phase A and phase B currents (A)
//   20  volts 214       the line voltage (V)
//   90  pause 130       no messages for 130 s (the meter link falls silent)
//   300 household       the simulated household again
// Blank lines and "#" comments are skipped; steps must not go back in time.
struct ParsedScript;
class LoadScript {
public:
    // The script of a text, or the first fault with its line number.
    static ParsedScript parse(const QString& text);

    // Sets what the steps up to `second` say on the household's sample.
    void apply(double second, LoadSample& sample) const;
    // True while a pause runs at `second`.
    bool paused(double second) const;
    // The time of the last step and the end of the last pause.
    double length() const;

private:
    struct Step {
        double at = 0;
        enum class What { Amps, Volts, Pause, Household } what = What::Household;
        double a = 0;
        double b = 0;
    };
    QList<Step> steps_;
};

struct ParsedScript {
    std::optional<LoadScript> script;
    QString error;
};

}  // namespace kelvora::sim
