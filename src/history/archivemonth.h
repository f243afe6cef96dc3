#pragma once
#include "history/archiveformat.h"

#include <QByteArrayView>
#include <vector>

namespace kelvora {

// One month file of the archive as read: its lines in time order (lines
// written out of order after the clock was set back are sorted in), and how
// many lines were damaged and skipped. A last line without its line end was
// torn by a crash while it was written; it is skipped without being counted.
struct MonthMinutes {
    std::vector<MinutePoint> points;
    int damaged = 0;
};

struct MonthHours {
    // One summary per hour: an hour written twice (the clock was set back
    // over it) is merged into one.
    std::vector<HourSummary> hours;
    int damaged = 0;
};

// Longer lines than any the archive writes are damaged, whatever they hold.
inline constexpr qsizetype kMaxArchiveLine = 256;

MonthMinutes parseMonthMinutes(QByteArrayView content);
MonthHours parseMonthHours(QByteArrayView content);

}  // namespace kelvora
