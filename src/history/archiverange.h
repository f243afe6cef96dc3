#pragma once
#include "history/archivequery.h"

#include <QDate>
#include <QDateTime>

namespace kelvora {

// The ranges the explorer offers: whole calendar periods in local time (so a
// week started today still spans its seven days, the days to come empty),
// everything archived, or two dates, both included.
enum class ExploreRange { Today, Yesterday, ThisWeek, LastWeek, ThisMonth, LastMonth, ThisYear, LastYear, All, Dates };
inline constexpr int kExploreRanges = 10;
QString rangeName(ExploreRange r);

struct RangeInput {
    QDateTime now;
    Qt::DayOfWeek firstDayOfWeek = Qt::Monday;
    QDate firstArchived;  // the first day "All" shows
    QDate from, to;       // the two dates
};
TimeRange exploreRange(ExploreRange r, const RangeInput& in);

}  // namespace kelvora
