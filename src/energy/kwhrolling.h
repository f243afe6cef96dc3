#pragma once
#include "common/datadir.h"
#include "common/variant.h"

#include <QList>
#include <QString>
#include <optional>

namespace kelvora {

class WindowState;

// A rolling KWH file holds the last 60 periods, oldest first, each a record
// of two quoted texts: the stamp and the value.
inline constexpr int kRollingRecords = 60;

struct RollingRecords {
    QList<QString> stamps;
    QList<Variant> values;
};

// The records of a rolling file, always 60: a longer file gives its newest 60,
// a shorter one is filled in front (the oldest end) with zero records that
// carry the stamp of its oldest record, or `padStamp` when it has none. A file
// that does not exist reads as empty; one that cannot be read gives nothing.
std::optional<RollingRecords> readRollingFile(const DataDir& dir, const QString& name, const QString& padStamp);

// Reads a rolling file into Roll_Stamp and Roll_Value. When it cannot be read
// they hold 60 zero records without stamps, and false is returned.
bool LoadKwhFile(const DataDir& dir, const QString& name, WindowState& windows);

// Drops the oldest record of a rolling file and appends (stamp, value "0.00");
// the kept records are written back as they were read. Roll_Stamp and
// Roll_Value then hold the new contents. A file that exists but cannot be
// read is left alone (false).
bool RollKwhFile(const DataDir& dir, const QString& name, const QString& stamp, double value, WindowState& windows);

// The sum of the values of the last `count` records of a record file of
// (stamp, value) pairs; nothing when the file cannot be read.
std::optional<double> sumOfLastValues(const DataDir& dir, const QString& name, int count);

// Appends one (stamp, value) record of two quoted texts to a log file.
bool appendKwhLog(const DataDir& dir, const QString& name, const QString& stamp, const QString& value);

}  // namespace kelvora
