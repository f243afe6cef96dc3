#pragma once
#include "alarm/alarmengine.h"
#include "alarm/alarmsettings.h"
#include "alarm/notifier.h"
#include "common/clock.h"
#include "common/datadir.h"

#include <QObject>
#include <memory>

namespace kelvora {

// The alarms of a running Kelvora: their settings from AlarmSetup.ini, the
// engine that decides, and the outputs every raise and clear reaches at once
// (a line in alarms.log and a desktop notification; the windows and the hub
// listen to `engine().changed`). Its owner calls tick() every second once it
// is started (the app from its one-second tick).
class AlarmCenter : public QObject {
    Q_OBJECT
public:
    AlarmCenter(const DataDir& dir, const Clock& clock, std::unique_ptr<AlarmNotifier> notifier,
                QObject* parent = nullptr);

    // Start-up: the settings from the file (defaults where it has none; the
    // nominal voltage follows the mains option), then the first link check.
    void start(const QString& mainsOption);
    // The Set-Up frame's Save: kept in the file, in force at once. False when
    // the file could not be written (the limits are in force all the same).
    bool apply(const AlarmSettings& settings);
    const AlarmSettings& settings() const { return engine_.settings(); }
    // What the file refused at start-up.
    const QStringList& refusedAtStart() const { return refused_; }

    AlarmEngine& engine() { return engine_; }
    const AlarmEngine& engine() const { return engine_; }

    // The per-reading feed: the readings as decoded (V, A, A) and their KW.
    void onReadings(double volts, double ampsA, double ampsB);
    // Every second: the link alarm, and the day's turn for the daily alarms.
    void tick(const QDateTime& now);

private:
    void record(const AlarmEvent& event);

    DataDir dir_;
    const Clock& clock_;
    std::unique_ptr<AlarmNotifier> notifier_;
    AlarmEngine engine_;
    QStringList refused_;
    QDateTime lastTick_;
};

}  // namespace kelvora
