#pragma once
#include "model/fieldmodel.h"
#include "model/sharedstate.h"
#include "common/clock.h"
#include "common/datadir.h"

#include <QStringList>

namespace kelvora {

inline const QString kInitMarkerText = QStringLiteral("init done");

// Creates every data file with its empty starting content, resets the
// calibration settings and writes the default settings file, and writes the
// first-run marker last. KWHWeeks.dat keeps its content. Stops at the first
// file that cannot be written and returns false.
bool InitAllData(const DataDir& dir, const Clock& clock, SharedState& shared, FieldModel& fields);

}  // namespace kelvora
