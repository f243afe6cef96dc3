#pragma once
#include <QDateTime>

namespace kelvora {

// One minute of the household's supply, as the minute step measured it: the
// stamp of the step, the minute means of the line voltage, the two phase
// currents and the power, and the minute's energy and its cost. The minute
// step makes one per 30-reading cycle and hands it, in memory, to every
// minute consumer (the histories, the KWH periods, publishing, the archive).
struct MinuteRecord {
    QDateTime stamp;
    double volts = 0;  // V
    double ampsA = 0;  // A
    double ampsB = 0;  // A
    double kw = 0;     // KW
    double kwh = 0;    // KWH of the minute, in full precision
    double cost = 0;   // the minute's energy at the price in force at `stamp`
};

}  // namespace kelvora
