#pragma once
#include "history/archivereader.h"

#include <QByteArray>

namespace kelvora {

// What the explorer shows, as CSV (CR LF lines, a header, ISO 8601 stamps
// with their offset): for a line one row per point with its minimum, mean
// and maximum, for bars one row per bar with its start and end. The compare
// series follows with its own dates, "previous" in the first column.
QByteArray exploreCsv(const ExploreResult& result);

}  // namespace kelvora
