#include "history/archivehour.h"

#include <algorithm>

namespace kelvora {

void HourAccumulator::add(double volts, double ampsA, double ampsB, double kw, double kwh, double cost) {
    ++minutes_;
    kwh_ += kwh;
    cost_ += cost;
    kwSum_ += kw;
    kwMin_ = std::min(kwMin_, kw);
    kwMax_ = std::max(kwMax_, kw);
    voltsMin_ = std::min(voltsMin_, volts);
    voltsMax_ = std::max(voltsMax_, volts);
    ampsAMax_ = std::max(ampsAMax_, ampsA);
    ampsBMax_ = std::max(ampsBMax_, ampsB);
}

HourSummary HourAccumulator::summary() const {
    if (empty()) return HourSummary{start_};
    return HourSummary{start_,    kwh_,      cost_,     kwMin_,    kwSum_ / minutes_,
                       kwMax_,    voltsMin_, voltsMax_, ampsAMax_, ampsBMax_};
}

}  // namespace kelvora
