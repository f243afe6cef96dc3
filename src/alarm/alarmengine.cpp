#include "alarm/alarmengine.h"

#include "common/format.h"
#include "common/records.h"

#include <algorithm>
#include <cmath>

namespace kelvora {
namespace {

// Readings with one decimal, limits as plain numbers.
QString reading(double v) { return formatNumber(v, u"0.0"); }
QString plain(double v) { return numberText(v); }
QString money(double v, const QString& symbol) { return formatMoney(v, u"$##0.00", symbol); }

constexpr double kCurrentHysteresis = 0.05;  // of the current or power limit
constexpr double kVoltageHysteresis = 0.02;  // of the nominal voltage

}  // namespace

bool SustainedLimit::heldFor(std::optional<QDateTime>& since, bool holds, const QDateTime& now, qint64 delayMs) {
    // A clock set back would otherwise hold the run forever: it starts again.
    if (!holds || (since && now < *since)) since.reset();
    if (!holds) return false;
    if (!since) since = now;
    return since->msecsTo(now) >= delayMs;
}

SustainedLimit::Step SustainedLimit::step(bool past, bool back, const QDateTime& now, qint64 delayMs) {
    if (!raised_) {
        backSince_.reset();
        if (!heldFor(pastSince_, past, now, delayMs)) return Step::None;
        raised_ = true;
        pastSince_.reset();
        return Step::Raise;
    }
    pastSince_.reset();
    if (!heldFor(backSince_, back, now, delayMs)) return Step::None;
    raised_ = false;
    backSince_.reset();
    return Step::Clear;
}

AlarmEngine::AlarmEngine(AlarmSettings settings, QObject* parent) : QObject(parent), settings_(settings) {
    qRegisterMetaType<kelvora::AlarmEvent>();
}

bool AlarmEngine::enabled(AlarmKind kind) const {
    switch (kind) {
    case AlarmKind::PhaseA:
    case AlarmKind::PhaseB: return settings_.phaseOn;
    case AlarmKind::Voltage: return settings_.voltageOn;
    case AlarmKind::Power: return settings_.powerOn;
    case AlarmKind::EnergyToday: return settings_.dayKwhOn;
    case AlarmKind::CostToday: return settings_.dayCostOn;
    case AlarmKind::Link: return settings_.linkOn;
    case AlarmKind::Disk: return settings_.diskOn;
    }
    return false;
}

void AlarmEngine::setSettings(const AlarmSettings& settings, const QDateTime& now) {
    settings_ = settings;
    for (const AlarmKindInfo& k : kAlarmKinds) {
        if (enabled(k.kind)) continue;
        if (isRaised(k.kind)) clear(k.kind, QStringLiteral("switched off"), now);
    }
    // A switched-off alarm starts from nothing when it is switched on again.
    if (!settings_.phaseOn) phaseA_.reset(), phaseB_.reset();
    if (!settings_.voltageOn) voltage_.reset();
    if (!settings_.powerOn) power_.reset();
}

void AlarmEngine::raise(AlarmKind kind, const QString& text, const QDateTime& now) {
    State& s = state(kind);
    s = State{true, text, now};
    Q_EMIT changed(AlarmEvent{kind, true, text, now});
}

void AlarmEngine::clear(AlarmKind kind, const QString& text, const QDateTime& now) {
    State& s = state(kind);
    s = State{false, text, now};
    Q_EMIT changed(AlarmEvent{kind, false, text, now});
}

QList<AlarmEvent> AlarmEngine::raisedAlarms() const {
    QList<AlarmEvent> raised;
    for (const AlarmKindInfo& k : kAlarmKinds)
        if (isRaised(k.kind)) raised << AlarmEvent{k.kind, true, raisedText(k.kind), raisedSince(k.kind)};
    return raised;
}

void AlarmEngine::onReadings(double volts, double ampsA, double ampsB, double kw, const QDateTime& now) {
    if (settings_.phaseOn) {
        phaseStep(AlarmKind::PhaseA, phaseA_, ampsA, now);
        phaseStep(AlarmKind::PhaseB, phaseB_, ampsB, now);
    }
    if (settings_.voltageOn) voltageStep(volts, now);
    if (settings_.powerOn) powerStep(kw, now);
}

void AlarmEngine::phaseStep(AlarmKind kind, SustainedLimit& limit, double amps, const QDateTime& now) {
    const double over = settings_.phaseLimit();
    const auto step = limit.step(amps > over, amps <= over * (1 - kCurrentHysteresis), now,
                                 qint64(settings_.phaseSeconds * 1000));
    if (step == SustainedLimit::Step::Raise)
        raise(kind, QStringLiteral("%1 A over %2 A (%3 % of %4 A)")
                        .arg(reading(amps), plain(over), plain(settings_.phasePercent), plain(settings_.breakerAmps)),
              now);
    else if (step == SustainedLimit::Step::Clear)
        clear(kind, QStringLiteral("%1 A").arg(reading(amps)), now);
}

void AlarmEngine::voltageStep(double volts, const QDateTime& now) {
    const double nominal = settings_.voltageNominal;
    const double halfBand = nominal * settings_.voltagePercent / 100;
    // A narrow band keeps half of itself to clear in.
    const double hysteresis = std::min(nominal * kVoltageHysteresis, halfBand / 2);
    const double off = std::abs(volts - nominal);
    const auto step = voltage_.step(off > halfBand, off <= halfBand - hysteresis, now,
                                    qint64(settings_.voltageSeconds * 1000));
    if (step == SustainedLimit::Step::Raise)
        raise(AlarmKind::Voltage,
              QStringLiteral("%1 V outside %2 to %3 V (%4 V \u00b1 %5 %)")
                  .arg(reading(volts), plain(nominal - halfBand), plain(nominal + halfBand), plain(nominal),
                       plain(settings_.voltagePercent)),
              now);
    else if (step == SustainedLimit::Step::Clear)
        clear(AlarmKind::Voltage, QStringLiteral("%1 V").arg(reading(volts)), now);
}

void AlarmEngine::powerStep(double kw, const QDateTime& now) {
    const double over = settings_.powerKw;
    const auto step = power_.step(kw > over, kw <= over * (1 - kCurrentHysteresis), now,
                                  qint64(settings_.powerMinutes * 60'000));
    const int minutes = int(settings_.powerMinutes);
    if (step == SustainedLimit::Step::Raise)
        raise(AlarmKind::Power,
              QStringLiteral("%1 KW over %2 KW for %3 %4")
                  .arg(reading(kw), plain(over), QString::number(minutes),
                       QLatin1String(minutes == 1 ? "minute" : "minutes")),
              now);
    else if (step == SustainedLimit::Step::Clear)
        clear(AlarmKind::Power, QStringLiteral("%1 KW").arg(reading(kw)), now);
}

void AlarmEngine::onDayTotals(double kwh, double cost, const QDateTime& now) {
    // A late minute of a day already over says nothing about today.
    if (day_.isValid() && now.date() < day_) return;
    // Totals of a new day before its rollover arrived: the day turns here.
    newDay(now);
    dailyStep(AlarmKind::EnergyToday, settings_.dayKwhOn && kwh > settings_.dayKwh,
              QStringLiteral("%1 KWH over %2 KWH").arg(reading(kwh), plain(settings_.dayKwh)), now);
    dailyStep(AlarmKind::CostToday, settings_.dayCostOn && cost > settings_.dayCost,
              QStringLiteral("%1 over %2").arg(money(cost, symbol_), money(settings_.dayCost, symbol_)), now);
}

void AlarmEngine::dailyStep(AlarmKind kind, bool over, const QString& text, const QDateTime& now) {
    bool& once = raisedToday_[kind == AlarmKind::EnergyToday ? 0 : 1];
    if (!over || once) return;
    once = true;
    raise(kind, text, now);
}

void AlarmEngine::onDayRollover(const QDateTime& now) { newDay(now); }

// Once a day, whoever tells first: a second rollover of the same day must not
// clear what raised since the first.
void AlarmEngine::newDay(const QDateTime& now) {
    // A minute of yesterday counted after midnight belongs to no new day.
    if (day_.isValid() && now.date() <= day_) return;
    day_ = now.date();
    raisedToday_ = {};
    for (AlarmKind kind : {AlarmKind::EnergyToday, AlarmKind::CostToday})
        if (isRaised(kind)) clear(kind, QStringLiteral("new day"), now);
}

void AlarmEngine::onMessageDecoded(const QDateTime& now) {
    lastMessage_ = now;
    if (isRaised(AlarmKind::Link)) clear(AlarmKind::Link, QStringLiteral("messages again"), now);
}

void AlarmEngine::tick(const QDateTime& now) {
    // Before the first message the silence counts from the first tick.
    if (!lastMessage_ || now < *lastMessage_) lastMessage_ = now;
    if (!settings_.linkOn || isRaised(AlarmKind::Link)) return;
    if (lastMessage_->msecsTo(now) >= qint64(settings_.linkSeconds * 1000))
        raise(AlarmKind::Link, QStringLiteral("no message for %1 s").arg(plain(settings_.linkSeconds)), now);
}

void AlarmEngine::onSavingState(bool failing, const QString& reason, const QDateTime& now) {
    if (failing && settings_.diskOn && !isRaised(AlarmKind::Disk))
        raise(AlarmKind::Disk, reason.isEmpty() ? QStringLiteral("the data cannot be written") : reason, now);
    else if (!failing && isRaised(AlarmKind::Disk))
        clear(AlarmKind::Disk, QStringLiteral("saved again"), now);
}

}  // namespace kelvora
