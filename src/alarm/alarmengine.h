#pragma once
#include "alarm/alarmsettings.h"
#include "model/alarmkinds.h"

#include <QDateTime>
#include <QObject>
#include <QString>
#include <array>
#include <functional>
#include <optional>

namespace kelvora {

// One raise or clear: the text is what alarms.log writes after ALARM or CLEAR.
struct AlarmEvent {
    AlarmKind kind = AlarmKind::PhaseA;
    bool raised = false;
    QString text;
    QDateTime when;
    bool operator==(const AlarmEvent&) const = default;
};

// A limit that a run of readings must stay past for a delay. It raises when
// every reading since the first one past the limit has stayed past it for the
// delay, and clears when every reading has stayed back inside the limit less
// the hysteresis for the same delay; one reading the other way starts the run
// afresh, so a single glitch never raises or clears anything.
class SustainedLimit {
public:
    enum class Step { None, Raise, Clear };
    // `past`: the reading is past the limit; `back`: it is back inside the
    // limit less the hysteresis (neither: in the band between the two).
    Step step(bool past, bool back, const QDateTime& now, qint64 delayMs);
    bool raised() const { return raised_; }
    void reset() { *this = SustainedLimit(); }

private:
    bool heldFor(std::optional<QDateTime>& since, bool holds, const QDateTime& now, qint64 delayMs);
    bool raised_ = false;
    std::optional<QDateTime> pastSince_;
    std::optional<QDateTime> backSince_;
};

// Decides when each alarm raises and clears, from the entry points below;
// `changed` reports every raise and clear. Knows nothing of where the events
// go (the log, the desktop, the hub, the window).
class AlarmEngine : public QObject {
    Q_OBJECT
public:
    explicit AlarmEngine(AlarmSettings settings = AlarmSettings::defaults(), QObject* parent = nullptr);

    // New limits take effect at the next reading; an alarm switched off while
    // raised clears at once.
    void setSettings(const AlarmSettings& settings, const QDateTime& now);
    const AlarmSettings& settings() const { return settings_; }
    // Put before the amounts of the cost alarm's text ("$").
    void setCurrencySymbol(const QString& symbol) { symbol_ = symbol; }
    const QString& currencySymbol() const { return symbol_; }

    // Every decoded reading set (V, A, A, KW).
    void onReadings(double volts, double ampsA, double ampsB, double kw, const QDateTime& now);
    // Today's energy (KWH) and booked cost (dollars), after every minute,
    // stamped with the minute they count to (totals of a date after the
    // last rollover's turn the day first).
    void onDayTotals(double kwh, double cost, const QDateTime& now);
    // The day has turned: the daily alarms clear and may raise again. Once
    // per date: later calls of the same day change nothing.
    void onDayRollover(const QDateTime& now);
    // A message was decoded: the meter link lives.
    void onMessageDecoded(const QDateTime& now);
    // Every second: the link alarm counts the silence.
    void tick(const QDateTime& now);
    // The disk writer's retry state: failing with its reason, or everything saved.
    void onSavingState(bool failing, const QString& reason, const QDateTime& now);

    bool isRaised(AlarmKind kind) const { return state(kind).raised; }
    // The raise text and time of a raised alarm (empty when it is not raised).
    QString raisedText(AlarmKind kind) const { return state(kind).raised ? state(kind).text : QString(); }
    QDateTime raisedSince(AlarmKind kind) const { return state(kind).since; }
    QList<AlarmEvent> raisedAlarms() const;

Q_SIGNALS:
    void changed(const kelvora::AlarmEvent& event);

private:
    struct State {
        bool raised = false;
        QString text;
        QDateTime since;
    };
    State& state(AlarmKind kind) { return states_[static_cast<int>(kind)]; }
    const State& state(AlarmKind kind) const { return states_[static_cast<int>(kind)]; }
    bool enabled(AlarmKind kind) const;
    void raise(AlarmKind kind, const QString& text, const QDateTime& now);
    void clear(AlarmKind kind, const QString& text, const QDateTime& now);
    void phaseStep(AlarmKind kind, SustainedLimit& limit, double amps, const QDateTime& now);
    void voltageStep(double volts, const QDateTime& now);
    void powerStep(double kw, const QDateTime& now);
    void dailyStep(AlarmKind kind, bool over, const QString& text, const QDateTime& now);
    void newDay(const QDateTime& now);

    AlarmSettings settings_;
    QString symbol_ = QStringLiteral("$");
    std::array<State, kAlarmKindCount> states_;
    SustainedLimit phaseA_;
    SustainedLimit phaseB_;
    SustainedLimit voltage_;
    SustainedLimit power_;
    QDate day_;                               // the day the daily alarms belong to
    std::array<bool, 2> raisedToday_{};       // energy, cost: at most once a day
    std::optional<QDateTime> lastMessage_;    // or the first tick, before any message
};

}  // namespace kelvora

Q_DECLARE_METATYPE(kelvora::AlarmEvent)
