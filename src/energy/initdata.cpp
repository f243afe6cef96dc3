#include "energy/initdata.h"

#include "app/setupcontroller.h"
#include "common/format.h"
#include "common/timestamp.h"

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
    SetupController::selectMainsOption(fields, defaults.VAC_Option.text);
    fields.setText(QStringLiteral("Text_A_Cal"), defaults.AAMPS_Cal_Value.text);
    fields.setText(QStringLiteral("Text_B_Cal"), defaults.BAMPS_Cal_Value.text);
}

}  // namespace

QStringList historyFileNames() {
    QStringList names;
    for (const char* quantity : {"A", "B", "V", "KW"})
        for (int hours : {1, 4, 8, 12, 24, 48, 168, 336, 720})
            names << QStringLiteral("%1%2hr.dat").arg(hours).arg(QLatin1String(quantity));
    return names;
}

bool InitAllData(const DataDir& dir, const Clock& clock, SharedState& shared, FieldModel& fields) {
    const QDateTime now = clock.now();
    const QList<Record> rolling = rollingFile(stamp(now));

    // Each step writes one file; the order is the order the files are created in.
    QList<std::function<bool()>> steps;
    const auto write = [&](const QString& name, const QList<Record>& records) {
        steps << [&dir, name, records] { return dir.writeRecords(name, records); };
    };
    for (const QString& name : historyFileNames()) write(name, rolling);
    for (const char* name : {"VAC_10sec.dat", "A_AMPS_10sec.dat", "B_AMPS_10sec.dat"})
        write(QString::fromLatin1(name), trendFile(now));
    write(QStringLiteral("KW_10sec.dat"), zeros(2));
    for (const char* name : {"KWH_Hr.dat", "KWH_Day.dat", "KWH_Week.dat", "KWH_Month.dat", "KWH_Year.dat"})
        write(QString::fromLatin1(name), zeros(2));
    write(QStringLiteral("MeterKWS.dat"), zeros(10));
    for (const char* name : {"KW_1m.dat", "AAMP_1m.dat", "BAMP_1m.dat", "VAC_1m.dat"})
        write(QString::fromLatin1(name), zeros(1));
    write(QStringLiteral("KWH_last_data.dat"), texts({"0", "0", "0.0585"}));
    steps << [&dir] { return dir.writeWhole(QStringLiteral("alarms.log"), QByteArray()); };
    write(QStringLiteral("KWH_1m.dat"), zeros(1));
    write(QStringLiteral("Avg_KWHhr.dat"), zeros(4));
    for (const char* name : {"KWHhr.dat", "KWHday.dat", "KWHweek.dat", "KWHMonth.dat", "KWHyear.dat",
                             "KWHHours.dat", "KWHDays.dat", "KWHMonths.dat", "KWHyears.dat"})
        write(QString::fromLatin1(name), rolling);

    for (const auto& step : steps)
        if (!step()) return false;

    resetCalibrationSettings(shared, fields);
    if (!saveSettings(dir, Settings::defaults())) return false;
    return dir.writeRecords(kInitMarkerFile, {Record{Field::Text(kInitMarkerText)}});
}

}  // namespace kelvora
