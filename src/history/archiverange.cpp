#include "history/archiverange.h"

#include <QCoreApplication>

namespace kelvora {
namespace {

TimeRange days(QDate first, QDate afterLast) {
    return {first.startOfDay().toMSecsSinceEpoch(), afterLast.startOfDay().toMSecsSinceEpoch()};
}

}  // namespace

QString rangeName(ExploreRange r) {
    static const char* names[kExploreRanges] = {
        QT_TRANSLATE_NOOP("Archive", "Today"),      QT_TRANSLATE_NOOP("Archive", "Yesterday"),
        QT_TRANSLATE_NOOP("Archive", "This week"),  QT_TRANSLATE_NOOP("Archive", "Last week"),
        QT_TRANSLATE_NOOP("Archive", "This month"), QT_TRANSLATE_NOOP("Archive", "Last month"),
        QT_TRANSLATE_NOOP("Archive", "This year"),  QT_TRANSLATE_NOOP("Archive", "Last year"),
        QT_TRANSLATE_NOOP("Archive", "All"),        QT_TRANSLATE_NOOP("Archive", "Two dates")};
    return QCoreApplication::translate("Archive", names[int(r)]);
}

TimeRange exploreRange(ExploreRange r, const RangeInput& in) {
    const QDate today = in.now.date();
    const QDate weekStart = today.addDays(-((today.dayOfWeek() - int(in.firstDayOfWeek) + 7) % 7));
    const QDate monthStart(today.year(), today.month(), 1);
    const QDate yearStart(today.year(), 1, 1);
    switch (r) {
    case ExploreRange::Today: return days(today, today.addDays(1));
    case ExploreRange::Yesterday: return days(today.addDays(-1), today);
    case ExploreRange::ThisWeek: return days(weekStart, weekStart.addDays(7));
    case ExploreRange::LastWeek: return days(weekStart.addDays(-7), weekStart);
    case ExploreRange::ThisMonth: return days(monthStart, monthStart.addMonths(1));
    case ExploreRange::LastMonth: return days(monthStart.addMonths(-1), monthStart);
    case ExploreRange::ThisYear: return days(yearStart, yearStart.addYears(1));
    case ExploreRange::LastYear: return days(yearStart.addYears(-1), yearStart);
    case ExploreRange::All: {
        const QDate first = in.firstArchived.isValid() && in.firstArchived <= today ? in.firstArchived : today;
        return days(first, today.addDays(1));
    }
    case ExploreRange::Dates: {
        // In either order.
        const QDate a = std::min(in.from, in.to), b = std::max(in.from, in.to);
        return a.isValid() ? days(a, b.addDays(1)) : days(today, today.addDays(1));
    }
    }
    return days(today, today.addDays(1));
}

}  // namespace kelvora
