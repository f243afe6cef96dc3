#include "energy/kwhaccounting.h"

#include "common/format.h"
#include "common/timestamp.h"
#include "energy/kwhrolling.h"
#include "model/datafiles.h"
#include "model/fieldmodel.h"
#include "model/savedtotals.h"
#include "model/sharedstate.h"

#include <QLocale>

namespace kelvora {
namespace {

QString text100(int index) { return arrayName("Text100", index); }

// The sum of the values of a rolling file's records whose stamps lie within
// (after, until]: the records a period rolled before the program counted
// minutes in the periods above the hour.
double sumOfRecordsBetween(const DataDir& dir, const QString& name, const QDateTime& after, const QDateTime& until) {
    const auto records = readRollingFile(dir, name, QString());
    if (!records) return 0;
    double sum = 0;
    for (qsizetype i = 0; i < records->stamps.size(); ++i) {
        const auto when = parseStamp(records->stamps[i]);
        if (when && *when > after && *when <= until) sum += records->values[i].value();
    }
    return sum;
}

}  // namespace

KwhAccounting::KwhAccounting(SharedState& shared, FieldModel& fields, const DataDir& dir, const Clock& clock,
                             KwhPeriods& periods, WindowState& windows)
    : shared_(shared), fields_(fields), dir_(dir), clock_(clock), periods_(periods), windows_(windows),
      firstDay_(QLocale::system().firstDayOfWeek()) {}

void KwhAccounting::LoadKwhPeriodTotals() {
    if (periods_.LoadKwhPeriodTotals(dir_)) seedFromOldForm();
    loaded_ = true;
}

// State files of the old form kept a running total for the hour only; the
// day, week, month and year summed the records of the periods below them at
// their rollovers. Their totals so far are made up once from those records
// and the month-to-date total, so that the first rollovers after an update
// still record whole periods.
void KwhAccounting::seedFromOldForm() {
    const QDateTime now = clock_.now();
    const double price = shared_.Cost_per_KWH;
    const auto seed = [&](KwhPeriod period, double kwh) {
        KwhPeriodState& state = periods_[period];
        state.kwh = kwh;
        state.cost = kwh * price;
        state.start = kwhPeriodStart(period, now, firstDay_);
    };
    const auto startOf = [&](KwhPeriod period) { return kwhPeriodStart(period, now, firstDay_); };
    const double hour = periods_[KwhPeriod::Hour].kwh;
    const double day = hour + sumOfRecordsBetween(dir_, files::KWHhr, startOf(KwhPeriod::Day), now);
    const double week =
        day + sumOfRecordsBetween(dir_, files::KWHday, startOf(KwhPeriod::Week), startOf(KwhPeriod::Day));
    const double month = shared_.Total_KWH_Saved;
    const double year =
        month + sumOfRecordsBetween(dir_, files::KWHMonth, startOf(KwhPeriod::Year), startOf(KwhPeriod::Month));
    seed(KwhPeriod::Hour, hour);
    seed(KwhPeriod::Day, day);
    seed(KwhPeriod::Week, week);
    seed(KwhPeriod::Month, month);
    periods_[KwhPeriod::Month].cost = shared_.Total_Cost_Saved;
    seed(KwhPeriod::Year, year);
}

void KwhAccounting::KwhMinuteStep(const MinuteRecord& minute) {
    if (!loaded_) return;
    periods_.add(minute);
    SaveKwhPeriodTotals();
}

void KwhAccounting::CheckKwhBoundaries() {
    if (!loaded_) return;
    const QDateTime now = clock_.now();
    bool changed = false;
    for (const KwhPeriodRow& row : kwhPeriodTable()) {
        KwhPeriodState& state = periods_[row.period];
        const qint64 key = kwhPeriodKey(row.period, now, firstDay_);
        if (!state.start.isValid()) {
            state.start = kwhPeriodStart(row.period, now, firstDay_);
            changed = true;
            continue;
        }
        const qint64 counted = kwhPeriodKey(row.period, state.start, firstDay_);
        if (key > counted) {
            if (row.period == KwhPeriod::Day) bookDailyCharge(state.start.date());
            rollOver(row, kwhNextPeriodStart(row.period, state.start, firstDay_));
            state.start = kwhPeriodStart(row.period, now, firstDay_);
            changed = true;
        } else if (key < counted - kwhPeriodStep(row.period)) {
            // Put back by more than a whole period: no longer a correction of
            // a few seconds but a clock that was wrong. What was counted stays
            // and goes into the period of the corrected clock.
            state.start = kwhPeriodStart(row.period, now, firstDay_);
            changed = true;
        }
    }
    if (changed) SaveKwhPeriodTotals();
}

void KwhAccounting::rollOver(const KwhPeriodRow& row, const QDateTime& boundary) {
    KwhPeriodState& state = periods_[row.period];
    const QString stamp = row.midnightStamp ? midnightStamp(boundary.date()) : kelvora::stamp(boundary);
    if (row.averages) {
        showAverages(*row.averages, state);
        writeAverages();
    }
    const QString logStamp = row.logStampPattern ? formatDate(boundary, row.logStampPattern) : stamp;
    appendKwhLog(dir_, row.logFile, logStamp, formatNumber(state.kwh, row.logPattern));
    appendKwhLog(dir_, row.costLogFile, logStamp, formatNumber(state.cost, u"0.00"));
    RollKwhFile(dir_, row.rollingFile, stamp, state.kwh, windows_);
    if (row.zeroRecordAfter) RollKwhFile(dir_, row.rollingFile, stamp, 0, windows_);
    state.kwh = 0;
    state.cost = 0;
    if (row.leadResets) state.lead = Variant::Number(0);
    if (row.period == KwhPeriod::Month) ResetKwData();
}

void KwhAccounting::bookDailyCharge(QDate day) {
    const double charge = dailyCharge_ ? dailyCharge_(day) : 0;
    if (charge == 0) return;
    // The day ends before the week, month and year roll in the same tick,
    // so the charge lands in the periods that hold the day.
    for (KwhPeriod period : {KwhPeriod::Day, KwhPeriod::Week, KwhPeriod::Month, KwhPeriod::Year})
        periods_[period].cost += charge;
    shared_.Total_Cost_Saved += charge;
    fields_.setText(text100(5), formatMoney(shared_.Total_Cost_Saved, u"$##0.00", currencySymbol(shared_.settings)));
    writeKwhLastData(dir_, shared_.Total_KWH_Saved, shared_.Total_Cost_Saved, shared_.Cost_per_KWH);
}

void KwhAccounting::showAverages(const KwhAverageFields& f, const KwhPeriodState& state) {
    fields_.setText(text100(f.kwhField), formatNumber(state.kwh, f.kwhPattern));
    fields_.setText(text100(f.costField), formatMoney(state.cost, f.costPattern, currencySymbol(shared_.settings)));
}

void KwhAccounting::writeAverages() {
    QStringList shown;
    for (int field : {8, 12, 13, 14}) shown << fields_.text(text100(field));
    writeKwhAverages(dir_, shown);
}

bool KwhAccounting::SaveKwhPeriodTotals() { return periods_.SaveKwhPeriodTotals(dir_); }

void KwhAccounting::ResetKwData() {
    shared_.Total_Cost_Saved = 0;
    shared_.Total_KWH_Saved = 0;
    fields_.setText(text100(5), formatMoney(shared_.Total_Cost_Saved, u"$##0.00", currencySymbol(shared_.settings)));
    fields_.setText(text100(6), formatNumber(shared_.Total_KWH_Saved, u"###0.0"));
    // Saved at once, so that a restart before the next minute does not bring
    // the old month's totals back.
    writeKwhLastData(dir_, shared_.Total_KWH_Saved, shared_.Total_Cost_Saved, shared_.Cost_per_KWH);
}

void KwhAccounting::startAfresh() {
    periods_ = KwhPeriods{};
    LoadKwhPeriodTotals();
    ResetKwData();
}

}  // namespace kelvora
