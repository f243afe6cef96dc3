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
    QByteArray tariff;  // Tariffs.dat of the household; empty: the flat price
};

// Fills a data directory with what Kelvora would hold after watching the
// simulator's household for the given minutes up to `end`. Nothing here
// writes a data file itself: Kelvora starts on a fresh directory as at a
// first start (at a price of 16.5 cents per KWH), then, minute by minute on a
// simulated clock, the household's mean voltage and phase currents over the
// minute's 30 reading sets go through the app's own steps: the period
// boundary checks, the power and minute steps of the measurement, and every
// minute consumer in the order of the one-second tick (the four histories,
// then the KWH accounting with its hourly to yearly rollovers and logs). The
// per-message work that only feeds the live displays is left out, which
// makes two weeks a matter of seconds. The work runs in memory-backed
// storage when there is some (/dev/shm), where a sync costs nothing, and the
// files are then copied into the directory, synced. `progress` hears of each
// simulated hour. False when the directory cannot be used or a Kelvora runs
// in it.
bool generateDemoHouse(const DemoHouseRun& run, const std::function<void(int minutesDone)>& progress = {});

}  // namespace kelvora::demo
