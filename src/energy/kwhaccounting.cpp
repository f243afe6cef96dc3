#include "energy/kwhaccounting.h"

#include "common/format.h"
#include "common/numeric.h"
#include "common/records.h"
#include "common/timestamp.h"
#include "energy/kwhrolling.h"
#include "measure/measurement.h"
#include "model/datafiles.h"
#include "model/fieldmodel.h"
#include "model/sharedstate.h"
#include "model/windowstate.h"

#include <QLocale>

namespace kelvora {
namespace {

QString text100(int index) { return arrayName("Text100", index); }

}  // namespace

KwhAccounting::KwhAccounting(SharedState& shared, FieldModel& fields, const DataDir& dir, const Clock& clock,
                             KwhPeriods& periods, WindowState& windows)
    : shared_(shared), fields_(fields), dir_(dir), clock_(clock), periods_(periods), windows_(windows),
      firstDay_(QLocale::system().firstDayOfWeek()) {}

void KwhAccounting::LoadKwhPeriodTotals() {
    periods_.LoadKwhPeriodTotals(dir_);
    loaded_ = true;
}

void KwhAccounting::KwhMinuteStep() {
    if (!loaded_ || shared_.KWH_1m_Ready != 1) return;
    shared_.KWH_1m_Ready = 2;
    const auto data = dir_.read(files::KWH_1m);
    if (!data) {
        qWarning("Cannot read %s; this minute is not counted", qPrintable(dir_.filePath(files::KWH_1m)));
        return;
    }
    const QString minute = RecordReader(*data).next().trimmed();
    if (minute.isEmpty()) return;
    // The value in full: rounding each minute first would lose up to half a
    // thousandth of a KWH sixty times an hour.
    periods_.Hour_KWH = Variant::Number(periods_.Hour_KWH.value() + numericValue(minute));
    SaveKwhPeriodTotals();
}

void KwhAccounting::CheckKwhBoundaries() {
    now_ = clock_.now();
    std::array<qint64, 5> keys{};
    for (KwhPeriod period : kKwhPeriods) {
        const size_t i = size_t(period);
        keys[i] = kwhPeriodKey(period, now_, firstDay_);
        // The first tick arms each period; one that falls in a boundary
        // second rolls it, as any tick in that second would.
        if (!handled_[i]) handled_[i] = inBoundarySecond(period, now_, firstDay_) ? keys[i] - kwhPeriodStep(period) : keys[i];
    }
    // A boundary passed before the saved state is back rolls at the first tick after.
    if (!loaded_) return;
    for (KwhPeriod period : kKwhPeriods) {
        const size_t i = size_t(period);
        qint64& handled = *handled_[i];
        if (keys[i] > handled) {
            handled = keys[i];
            rollOver(period);
        } else if (keys[i] < handled - kwhPeriodStep(period)) {
            // Put back by more than a whole period: no longer a correction of a
            // few seconds but a clock that was wrong; count from here.
            handled = keys[i];
        }
    }
}

void KwhAccounting::rollOver(KwhPeriod period) {
    if (period == KwhPeriod::Hour) {
        KWH_Stamp_ = stamp(QDateTime(now_.date(), QTime(now_.time().hour(), 0, 0)));
        HourRollover();
    } else {
        KWH_Stamp_ = midnightStamp(now_.date());
        PeriodRollover(period);
    }
}

void KwhAccounting::showAverage(int kwhField, const char16_t* kwhPattern, int costField, const char16_t* costPattern,
                                double kwh) {
    fields_.setText(text100(kwhField), formatNumber(kwh, kwhPattern));
    fields_.setText(text100(costField), formatNumber(shared_.Cost_per_KWH * kwh, costPattern));
}

void KwhAccounting::writeAverages() {
    Record r;
    for (int field : {8, 12, 13, 14}) r << Field::Text(fields_.text(text100(field)));
    dir_.writeRecords(files::Avg_KWHhr, {r});
}

void KwhAccounting::HourRollover() {
    const double kwh = periods_.Hour_KWH.value();
    showAverage(13, u"#0.0", 14, u"$0.0", kwh);
    const auto when = parseStamp(KWH_Stamp_);
    const QString logStamp = when ? formatDate(*when, u"mm/dd/yy h:nn:ss AM/PM") : KWH_Stamp_;
    appendKwhLog(dir_, files::KWHHours, logStamp, formatNumber(kwh, u"0.00"));
    writeAverages();
    RollKwhFile(dir_, files::KWHhr, KWH_Stamp_, kwh, windows_);
    periods_.Hour_Lead = Variant::Number(0);
    periods_.Hour_KWH = Variant::Number(0);
    // Saved at once: a restart before the next minute must not count the
    // hour just recorded a second time.
    SaveKwhPeriodTotals();
}

void KwhAccounting::PeriodRollover(KwhPeriod period) {
    switch (period) {
    case KwhPeriod::Day: rollDay(); break;
    case KwhPeriod::Week: rollWeek(); break;
    case KwhPeriod::Month: rollMonth(); break;
    case KwhPeriod::Year: rollYear(); break;
    case KwhPeriod::Hour: break;
    }
    SaveKwhPeriodTotals();
}

std::optional<double> KwhAccounting::periodSum(const QString& source, int records, const char* period) {
    const auto sum = sumOfLastValues(dir_, source, records);
    if (!sum) qWarning("The %s total is not recorded: %s cannot be read", period, qPrintable(source));
    return sum;
}

void KwhAccounting::rollDay() {
    if (const auto sum = periodSum(files::KWHhr, 24, "daily")) {
        showAverage(8, u"#0.0", 12, u"$#0.0", *sum);
        writeAverages();
        appendKwhLog(dir_, files::KWHDays, KWH_Stamp_, formatNumber(*sum, u"0.00"));
        RollKwhFile(dir_, files::KWHday, KWH_Stamp_, *sum, windows_);
    }
    periods_.Day_Lead = Variant::Number(0);
    periods_.Day_KWH = Variant::Number(0);
}

void KwhAccounting::rollWeek() {
    if (const auto sum = periodSum(files::KWHday, 7, "weekly")) {
        appendKwhLog(dir_, files::KWHWeeks, KWH_Stamp_, formatNumber(*sum, u"####.##"));
        RollKwhFile(dir_, files::KWHweek, KWH_Stamp_, *sum, windows_);
    }
}

void KwhAccounting::rollMonth() {
    // The days of the month that has just ended, not of the one beginning.
    const int days = FirstOfMonth(now_.date()).addDays(-1).daysInMonth();
    if (const auto sum = periodSum(files::KWHday, days, "monthly")) {
        appendKwhLog(dir_, files::KWHMonths, KWH_Stamp_, formatNumber(*sum, u"####.##"));
        // Each month adds its total and a zero record with the same stamp.
        RollKwhFile(dir_, files::KWHMonth, KWH_Stamp_, *sum, windows_);
        RollKwhFile(dir_, files::KWHMonth, KWH_Stamp_, 0, windows_);
    }
    ResetKwData();
    periods_.Month_Lead = Variant::Number(0);
    periods_.Month_KWH = Variant::Number(0);
}

void KwhAccounting::rollYear() {
    // Twelve monthly totals, each followed by its zero record.
    if (const auto sum = periodSum(files::KWHMonth, 24, "yearly")) {
        appendKwhLog(dir_, files::KWHyears, KWH_Stamp_, formatNumber(*sum, u"######"));
        RollKwhFile(dir_, files::KWHyear, KWH_Stamp_, *sum, windows_);
        RollKwhFile(dir_, files::KWHyear, KWH_Stamp_, 0, windows_);
    }
}

bool KwhAccounting::SaveKwhPeriodTotals() { return periods_.SaveKwhPeriodTotals(dir_); }

void KwhAccounting::ResetKwData() {
    shared_.Total_Cost_Saved = 0;
    shared_.Total_KWH_Saved = 0;
    fields_.setText(text100(5), formatNumber(shared_.Total_Cost_Saved, u"$##0.00"));
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
