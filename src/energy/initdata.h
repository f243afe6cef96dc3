#pragma once
#include "app/fieldmodel.h"
#include "app/sharedstate.h"
#include "common/clock.h"
#include "common/datadir.h"

#include <QStringList>

namespace kelvora {

inline const QString kInitMarkerFile = QStringLiteral("init.dat");
inline const QString kInitMarkerText = QStringLiteral("init done");

// The history files, per quantity and span: "1Ahr.dat" ... "720KWhr.dat".
QStringList historyFileNames();

// Creates every data file with its empty starting content, resets the
// calibration settings and writes the default settings file, and writes the
// first-run marker last. KWHWeeks.dat keeps its content. Stops at the first
// file that cannot be written and returns false.
bool InitAllData(const DataDir& dir, const Clock& clock, SharedState& shared, FieldModel& fields);

}  // namespace kelvora
