#include "alarm/alarmsettings.h"

#include "common/records.h"
#include "model/datafiles.h"

#include <charconv>
#include <cmath>

namespace kelvora {
namespace {

const QString kSection = QStringLiteral("[alarms]");

const AlarmKey* findKey(const QString& name) {
    for (const AlarmKey& k : alarmKeys())
        if (name == QLatin1String(k.name)) return &k;
    return nullptr;
}

// The whole text must be one plain decimal number: "10 A" or "1e3" is no limit.
std::optional<double> plainNumber(const QString& text) {
    const QByteArray bytes = text.trimmed().toLatin1();
    if (bytes.isEmpty() || bytes.contains('e') || bytes.contains('E')) return std::nullopt;
    double value = 0;
    const char* end = bytes.constData() + bytes.size();
    const auto [ptr, ec] = std::from_chars(bytes.constData(), end, value, std::chars_format::fixed);
    if (ec != std::errc() || ptr != end || !std::isfinite(value)) return std::nullopt;
    return value;
}

}  // namespace

AlarmSettings AlarmSettings::defaults(const QString& mainsOption) {
    AlarmSettings s;
    if (mainsOption == QLatin1String("120")) s.voltageNominal = 120;
    return s;
}

const QList<AlarmKey>& alarmKeys() {
    using S = AlarmSettings;
    static const QList<AlarmKey> keys = {
        {"phase_on", &S::phaseOn, nullptr, 0, 0, false},
        {"breaker_amps", nullptr, &S::breakerAmps, 1, 400, false},
        {"phase_percent", nullptr, &S::phasePercent, 10, 100, false},
        {"phase_seconds", nullptr, &S::phaseSeconds, 1, 3600, true},
        {"voltage_on", &S::voltageOn, nullptr, 0, 0, false},
        {"voltage_nominal", nullptr, &S::voltageNominal, 100, 260, false},
        {"voltage_percent", nullptr, &S::voltagePercent, 1, 30, false},
        {"voltage_seconds", nullptr, &S::voltageSeconds, 1, 3600, true},
        {"power_on", &S::powerOn, nullptr, 0, 0, false},
        {"power_kw", nullptr, &S::powerKw, 0.1, 100, false},
        {"power_minutes", nullptr, &S::powerMinutes, 1, 1440, true},
        {"day_kwh_on", &S::dayKwhOn, nullptr, 0, 0, false},
        {"day_kwh", nullptr, &S::dayKwh, 0.1, 10000, false},
        {"day_cost_on", &S::dayCostOn, nullptr, 0, 0, false},
        {"day_cost", nullptr, &S::dayCost, 0.01, 100000, false},
        {"link_on", &S::linkOn, nullptr, 0, 0, false},
        {"link_seconds", nullptr, &S::linkSeconds, 5, 86400, true},
        {"disk_on", &S::diskOn, nullptr, 0, 0, false},
    };
    return keys;
}

QString setAlarmValue(AlarmSettings& s, const QString& key, const QString& text) {
    const AlarmKey* k = findKey(key);
    if (!k) return QStringLiteral("%1 is not an alarm setting").arg(key);
    const QString value = text.trimmed();
    if (k->flag) {
        if (value != QLatin1String("true") && value != QLatin1String("false"))
            return QStringLiteral("%1 must be true or false, not \"%2\"").arg(key, value);
        s.*k->flag = value == QLatin1String("true");
        return {};
    }
    const std::optional<double> number = plainNumber(value);
    if (!number || *number < k->min || *number > k->max || (k->whole && std::floor(*number) != *number))
        return QStringLiteral("%1 must be a %2 from %3 to %4, not \"%5\"")
            .arg(key, QLatin1String(k->whole ? "whole number" : "number"), numberText(k->min), numberText(k->max),
                 value);
    s.*k->number = *number;
    return {};
}

QString alarmValueText(const AlarmSettings& s, const QString& key) {
    const AlarmKey* k = findKey(key);
    if (!k) return {};
    if (k->flag) return QLatin1String(s.*k->flag ? "true" : "false");
    return numberText(s.*k->number);
}

LoadedAlarmSettings parseAlarmSettings(const QByteArray& content, AlarmSettings start) {
    LoadedAlarmSettings loaded{start, {}};
    bool inSection = false;
    for (const QByteArray& raw : content.split('\n')) {
        const QString line = QString::fromUtf8(raw).trimmed();
        if (line.isEmpty() || line.startsWith(u'#') || line.startsWith(u';')) continue;
        if (line.startsWith(u'[')) {
            inSection = line == kSection;
            continue;
        }
        if (!inSection) continue;
        const qsizetype eq = line.indexOf(u'=');
        const QString problem = eq < 0 ? QStringLiteral("\"%1\" is not a key=value line").arg(line)
                                       : setAlarmValue(loaded.values, line.left(eq).trimmed(), line.mid(eq + 1));
        if (!problem.isEmpty()) loaded.refused << problem;
    }
    return loaded;
}

LoadedAlarmSettings readAlarmSettings(const DataDir& dir, const QString& mainsOption) {
    const AlarmSettings defaults = AlarmSettings::defaults(mainsOption);
    if (!dir.exists(files::AlarmSetup)) return {defaults, {}};
    const auto content = dir.read(files::AlarmSetup);
    if (!content) return {defaults, {QStringLiteral("%1 cannot be read").arg(files::AlarmSetup)}};
    return parseAlarmSettings(*content, defaults);
}

QByteArray alarmSettingsText(const AlarmSettings& s) {
    QByteArray text = kSection.toLatin1() + '\n';
    for (const AlarmKey& k : alarmKeys())
        text += QByteArray(k.name) + '=' + alarmValueText(s, QLatin1String(k.name)).toLatin1() + '\n';
    return text;
}

bool saveAlarmSettings(const DataDir& dir, const AlarmSettings& s) {
    return dir.writePrivate(files::AlarmSetup, alarmSettingsText(s));
}

}  // namespace kelvora
