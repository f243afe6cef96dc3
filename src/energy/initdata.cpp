#include "energy/initdata.h"

#include "common/format.h"
#include "common/timestamp.h"
#include "energy/kwhperiods.h"
#include "model/savedtotals.h"

#include <functional>

namespace kelvora {
namespace {

constexpr int kRollingRecords = 60;

QList<Record> rollingFile(const QString& stampText) {
    return QList<Record>(kRollingRecords, Record{Field::Text(stampText), Field::Text(QStringLiteral("0"))});
}

QList<Record> trendFile(const QDateTime& now) {
    const Record r{Field::Text(formatDate(now, u"mm/dd/yyyy")), Field::Text(formatDate(now, u"hh:mm:ss")),
                   Field::Text(QStringLiteral("0"))};
    return QList<Record>(kRollingRecords, r);
}

QList<Record> zeros(int count) {
    return {Record(count, Field::Text(QStringLiteral("0")))};
}

QList<Record> texts(std::initializer_list<const char*> values) {
    Record r;
    for (const char* v : values) r << Field::Text(QString::fromLatin1(v));
    return {r};
}

void resetCalibrationSettings(SharedState& shared, FieldModel& fields) {
    // The calibration returns to its defaults; host, port and the reference
    // voltage stay as they are until the settings are read again.
    const Settings defaults = Settings::defaults();
    Settings& s = shared.settings;
    for (SettingValue Settings::*value : {&Settings::VAC_Cal, &Settings::VAC_Option, &Settings::AAMPS_Cal_Value,
                                          &Settings::BAMPS_Cal_Value, &Settings::AAMPS_Cal, &Settings::BAMPS_Cal})
        s.*value = defaults.*value;
    selectMainsOption(fields, defaults.VAC_Option.text);
    fields.setText(QStringLiteral("Text_A_Cal"), defaults.AAMPS_Cal_Value.text);
    fields.setText(QStringLiteral("Text_B_Cal"), defaults.BAMPS_Cal_Value.text);
}

}  // namespace

bool InitAllData(const DataDir& dir, const Clock& clock, SharedState& shared, FieldModel& fields) {
    const QDateTime now = clock.now();
    const QList<Record> rolling = rollingFile(stamp(now));

    // Each step writes one file; the order is the order the files are created in.
    QList<std::function<bool()>> steps;
    const auto write = [&](const QString& name, const QList<Record>& records) {
        steps << [&dir, name, records] { return dir.writeRecords(name, records); };
    };
    for (const QString& name : files::historyFiles()) write(name, rolling);
    for (const QString& name : {files::VAC_10sec, files::A_AMPS_10sec, files::B_AMPS_10sec})
        write(name, trendFile(now));
    write(files::KW_10sec, zeros(2));
    for (const KwhPeriodRow& period : kwhPeriodTable()) write(period.stateFile, zeros(2));
    write(files::MeterKWS, zeros(10));
    for (const QString& name : {files::KW_1m, files::AAMP_1m, files::BAMP_1m, files::VAC_1m}) write(name, zeros(1));
    write(files::KWH_last_data, texts({"0", "0", "0.0585"}));
    // Only this initialisation clears the lifetime total, in memory as well,
    // so that the next minute step does not write the old total back.
    steps << [&dir, &shared] {
        if (!writeLifetimeKwh(dir, 0)) return false;
        shared.Lifetime_KWH = 0;
        return true;
    };
    steps << [&dir] { return dir.writeWhole(files::AlarmsLog, QByteArray()); };
    for (const KwhPeriodRow& period : kwhPeriodTable())
        steps << [&dir, name = period.costLogFile] { return dir.writeWhole(name, QByteArray()); };
    write(files::KWH_1m, zeros(1));
    write(files::Avg_KWHhr, zeros(4));
    for (const KwhPeriodRow& period : kwhPeriodTable()) write(period.rollingFile, rolling);
    // Every log but the weekly one starts with the same records.
    for (const KwhPeriodRow& period : kwhPeriodTable())
        if (period.period != KwhPeriod::Week) write(period.logFile, rolling);

    for (const auto& step : steps)
        if (!step()) return false;

    resetCalibrationSettings(shared, fields);
    if (!saveSettings(dir, Settings::defaults())) return false;
    return dir.writeRecords(files::InitMarker, {Record{Field::Text(kInitMarkerText)}});
}

}  // namespace kelvora
