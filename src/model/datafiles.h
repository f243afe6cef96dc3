#pragma once
#include <QSet>
#include <QString>
#include <QStringList>

// Every data file's one spelling. Readers, writers, the first-run
// initialisation and the tests all take the names from here.
namespace kelvora::files {

inline const QString Settings = QStringLiteral("SetupData.ini");
inline const QString InitMarker = QStringLiteral("init.dat");
inline const QString AlarmsLog = QStringLiteral("alarms.log");
inline const QString InstanceLock = QStringLiteral("kelvora.lock");
// The user manual, opened by the "User Manual" button; written from the copy
// built into the program when the directory has none.
inline const QString UserManual = QStringLiteral("Kelvora User Manual.pdf");
// The home-automation (MQTT) broker settings; readable by the owner only, as
// they hold the broker password.
inline const QString MqttSetup = QStringLiteral("MqttSetup.ini");
// The limits of the alarms; written by the Set-Up frame "Alarms".
inline const QString AlarmSetup = QStringLiteral("AlarmSetup.ini");

// Waveforms of the last message.
inline const QString VAC_WAVE = QStringLiteral("VAC_WAVE.dat");
inline const QString A_AMP_WAVE = QStringLiteral("A_AMP_WAVE.dat");

// Live values and the last minute.
inline const QString MeterKWS = QStringLiteral("MeterKWS.dat");
inline const QString KWH_1m = QStringLiteral("KWH_1m.dat");
inline const QString KW_1m = QStringLiteral("KW_1m.dat");
inline const QString AAMP_1m = QStringLiteral("AAMP_1m.dat");
inline const QString BAMP_1m = QStringLiteral("BAMP_1m.dat");
inline const QString VAC_1m = QStringLiteral("VAC_1m.dat");
inline const QString KWH_last_data = QStringLiteral("KWH_last_data.dat");
// The lifetime energy total: every minute's energy since the data was last
// initialised, never reset by a rollover.
inline const QString KWH_lifetime = QStringLiteral("KWH_lifetime.dat");

// Ten-second trends of the last 60 reading sets.
inline const QString VAC_10sec = QStringLiteral("VAC_10sec.dat");
inline const QString A_AMPS_10sec = QStringLiteral("A_AMPS_10sec.dat");
inline const QString B_AMPS_10sec = QStringLiteral("B_AMPS_10sec.dat");
inline const QString KW_10sec = QStringLiteral("KW_10sec.dat");

// KWH rolling files (60 records each) and their logs.
inline const QString KWHhr = QStringLiteral("KWHhr.dat");
inline const QString KWHday = QStringLiteral("KWHday.dat");
inline const QString KWHweek = QStringLiteral("KWHweek.dat");
inline const QString KWHMonth = QStringLiteral("KWHMonth.dat");
inline const QString KWHyear = QStringLiteral("KWHyear.dat");
inline const QString KWHHours = QStringLiteral("KWHHours.dat");
inline const QString KWHDays = QStringLiteral("KWHDays.dat");
inline const QString KWHWeeks = QStringLiteral("KWHWeeks.dat");
inline const QString KWHMonths = QStringLiteral("KWHMonths.dat");
inline const QString KWHyears = QStringLiteral("KWHyears.dat");
// The cost of each period, beside its KWH log.
inline const QString CostHours = QStringLiteral("CostHours.dat");
inline const QString CostDays = QStringLiteral("CostDays.dat");
inline const QString CostWeeks = QStringLiteral("CostWeeks.dat");
inline const QString CostMonths = QStringLiteral("CostMonths.dat");
inline const QString CostYears = QStringLiteral("CostYears.dat");
// The time-of-use tariff the user writes, and the copy of the last one accepted.
inline const QString Tariffs = QStringLiteral("Tariffs.dat");
inline const QString TariffsAccepted = QStringLiteral("Tariffs.accepted");
inline const QString Avg_KWHhr = QStringLiteral("Avg_KWHhr.dat");

// KWH period state: the lead value and running total of each period.
inline const QString KWH_Hr = QStringLiteral("KWH_Hr.dat");
inline const QString KWH_Day = QStringLiteral("KWH_Day.dat");
inline const QString KWH_Week = QStringLiteral("KWH_Week.dat");
inline const QString KWH_Month = QStringLiteral("KWH_Month.dat");
inline const QString KWH_Year = QStringLiteral("KWH_Year.dat");

// History files: the hours of a span followed by the quantity's suffix,
// "1KWhr.dat" ... "720Vhr.dat".
inline const QStringList historyQuantities = {QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("V"),
                                              QStringLiteral("KW")};
inline const QList<int> historyHours = {1, 4, 8, 12, 24, 48, 168, 336, 720};
inline QString history(int hours, const QString& quantity) {
    return QStringLiteral("%1%2hr.dat").arg(hours).arg(quantity);
}
// All of them, quantity by quantity, each by its hours.
inline QStringList historyFiles() {
    QStringList names;
    for (const QString& q : historyQuantities)
        for (int h : historyHours) names << history(h, q);
    return names;
}

// The minute archive, kept without a horizon in a folder of its own: per
// month one file of every minute and one of the hour summaries, named after
// the month ("archive/2026-12.csv", "archive/2026-12-hours.csv").
inline const QString ArchiveFolder = QStringLiteral("archive");
inline QString archiveMinutes(int year, int month) {
    return QStringLiteral("%1/%2-%3.csv").arg(ArchiveFolder).arg(year, 4, 10, QLatin1Char('0')).arg(month, 2, 10, QLatin1Char('0'));
}
inline QString archiveHours(int year, int month) {
    return QStringLiteral("%1/%2-%3-hours.csv").arg(ArchiveFolder).arg(year, 4, 10, QLatin1Char('0')).arg(month, 2, 10, QLatin1Char('0'));
}

// Files that exist only to be shown and are rewritten every reading set:
// replaced atomically but not synced to disk, since losing one to a power cut
// costs nothing the next message does not bring back. Every other file is
// synced before it replaces the old one.
inline const QSet<QString>& displayOnly() {
    static const QSet<QString> names = {VAC_WAVE, A_AMP_WAVE, MeterKWS, VAC_10sec, A_AMPS_10sec, B_AMPS_10sec,
                                        KW_10sec};
    return names;
}

}  // namespace kelvora::files
