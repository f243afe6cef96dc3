#pragma once
#include <QDateTime>
#include <QString>
#include <QtGlobal>
#include <functional>

namespace kelvora::demo {

struct DemoHouseRun {
    QString dataDir;    // filled with the data files (created when missing)
    QDateTime end;      // the last simulated moment
    int minutes = 14 * 24 * 60;
    quint64 seed = 2026;
};

// Fills a data directory with what Kelvora would hold after watching the
// simulator's household for the given minutes up to `end`. Nothing here
// writes a data file itself: the files are initialised as at a first start,
// then every two simulated seconds the household's voltage and phase currents
// go through the app's own processing chain (measurement, minute values and
// every minute consumer, in the order of the one-second tick) on a simulated
// clock. The work runs in memory-backed storage when there is some
// (/dev/shm), where a sync costs nothing, and the files are then copied into
// the directory, synced. `progress` hears of each simulated hour.
// False when the directory cannot be used or a Kelvora runs in it.
bool generateDemoHouse(const DemoHouseRun& run, const std::function<void(int minutesDone)>& progress = {});

}  // namespace kelvora::demo
