#pragma once
#include "common/datadir.h"

#include <QStringList>
#include <optional>

// The files that carry the running totals across a restart, each read and
// written here only.
namespace kelvora {

// KWH_last_data.dat: the month-to-date KWH and cost and the price, three
// quoted texts "###0.0", "##0.00" and "0.###0".
struct KwhLastData {
    std::optional<double> totalKwh, totalCost, costPerKwh;  // each as far as the file holds it
};
QByteArray kwhLastDataContent(double totalKwh, double totalCost, double costPerKwh);
bool writeKwhLastData(const DataDir& dir, double totalKwh, double totalCost, double costPerKwh);
KwhLastData readKwhLastData(const DataDir& dir);

// KWH_lifetime.dat: one bare number written with as many digits as it takes
// to read back the same double, so the total never steps back across a
// restart. Reading gives 0 for a missing file, and for a file that is not one
// plain decimal number, which it keeps aside as KWH_lifetime.dat.damaged
// (.damaged.1, ... when that is taken) with a warning.
std::optional<QByteArray> lifetimeKwhContent(double totalKwh);
bool writeLifetimeKwh(const DataDir& dir, double totalKwh);
double readLifetimeKwh(const DataDir& dir);

// Avg_KWHhr.dat: the last 24 hours' and the last hour's KWH and cost as the
// "Current" tab shows them (Text100(8), (12), (13), (14)), four quoted texts.
bool writeKwhAverages(const DataDir& dir, const QStringList& shown);
// The four values as numbers (a cost is read after its dollar sign), as far
// as the file holds them.
QList<double> readKwhAverages(const DataDir& dir);

}  // namespace kelvora
