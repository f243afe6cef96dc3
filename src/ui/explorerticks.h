#pragma once
#include "history/archivequery.h"

#include <QList>
#include <QString>

namespace kelvora {

struct Tick {
    qint64 ms = 0;  // or the value, for the value axis
    double value = 0;
    QString label;
};

// Time-axis ticks at round local times (minutes, hours, midnights, first
// days of months, new years), spaced at least `minPixels` apart on a plot
// `pixels` wide. Names are English whatever the locale.
QList<Tick> timeTicks(TimeRange view, int pixels, int minPixels = 90);

// Value-axis ticks at 1, 2 or 5 times a power of ten, about `count` of them.
QList<Tick> valueTicks(double low, double high, int count = 6);

}  // namespace kelvora
