#pragma once
#include "history/archiveformat.h"

#include <limits>

namespace kelvora {

// The running summary of one hour's minutes: energy and cost summed, power,
// voltage and phase currents at their extremes, power at its mean.
class HourAccumulator {
public:
    void start(ArchiveStamp hourStart) {
        *this = HourAccumulator();
        start_ = hourStart;
    }
    bool empty() const { return minutes_ == 0; }
    int minutes() const { return minutes_; }
    const ArchiveStamp& hourStart() const { return start_; }

    void add(double volts, double ampsA, double ampsB, double kw, double kwh, double cost);
    void add(const MinuteRecord& r) { add(r.volts, r.ampsA, r.ampsB, r.kw, r.kwh, r.cost); }
    void add(const MinutePoint& p) { add(p.volts, p.ampsA, p.ampsB, p.kw, p.kwh, p.cost); }

    HourSummary summary() const;

private:
    static constexpr double kInf = std::numeric_limits<double>::infinity();
    ArchiveStamp start_;
    int minutes_ = 0;
    double kwh_ = 0, cost_ = 0, kwSum_ = 0;
    double kwMin_ = kInf, kwMax_ = -kInf, voltsMin_ = kInf, voltsMax_ = -kInf;
    double ampsAMax_ = -kInf, ampsBMax_ = -kInf;
};

}  // namespace kelvora
