#include "alarm/alarmcenter.h"

#include "alarm/alarmlog.h"
#include "model/datafiles.h"

namespace kelvora {

AlarmCenter::AlarmCenter(const DataDir& dir, const Clock& clock, std::unique_ptr<AlarmNotifier> notifier,
                         QObject* parent)
    : QObject(parent), dir_(dir), clock_(clock), notifier_(std::move(notifier)) {
    connect(&engine_, &AlarmEngine::changed, this, &AlarmCenter::record);
}

void AlarmCenter::start(const QString& mainsOption) {
    const LoadedAlarmSettings loaded = readAlarmSettings(dir_, mainsOption);
    refused_ = loaded.refused;
    for (const QString& why : refused_)
        qWarning("%s: %s; the value before it stays", qPrintable(dir_.filePath(files::AlarmSetup)), qPrintable(why));
    engine_.setSettings(loaded.values, clock_.now());
    tick(clock_.now());
}

bool AlarmCenter::apply(const AlarmSettings& settings) {
    engine_.setSettings(settings, clock_.now());
    return saveAlarmSettings(dir_, settings);
}

void AlarmCenter::onReadings(double volts, double ampsA, double ampsB) {
    const QDateTime now = clock_.now();
    engine_.onMessageDecoded(now);
    engine_.onReadings(volts, ampsA, ampsB, volts * (ampsA + ampsB) / 1000, now);
}

void AlarmCenter::tick(const QDateTime& now) {
    // The daily alarms clear at midnight even when no minute's totals come.
    if (lastTick_.isValid() && now.date() != lastTick_.date()) engine_.onDayRollover(now);
    lastTick_ = now;
    engine_.tick(now);
}

void AlarmCenter::record(const AlarmEvent& event) {
    if (!appendAlarmLog(dir_, event))
        qWarning("%s: the alarm line could not be written", qPrintable(dir_.filePath(files::AlarmsLog)));
    if (notifier_) notifier_->notify(event);
}

}  // namespace kelvora
