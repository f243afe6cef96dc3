#include "energy/kwhperiods.h"

#include "model/datafiles.h"

#include <cmath>

namespace kelvora {
namespace {

KwhPeriodState readState(const QByteArray& data, KwhPeriodState state, bool& oldForm) {
    RecordReader reader(data);
    if (reader.atEnd()) return state;
    const QString lead = reader.next();
    state.lead = Variant::FromField(lead, reader.lastWasQuoted());
    if (reader.atEnd()) return state;
    const double kwh = reader.nextNumber();
    if (std::isfinite(kwh)) state.kwh = kwh;
    if (reader.atEnd()) {
        oldForm = true;
        return state;
    }
    const double cost = reader.nextNumber();
    if (std::isfinite(cost)) state.cost = cost;
    if (!reader.atEnd()) {
        const QDateTime start = QDateTime::fromString(reader.next(), Qt::ISODate);
        if (start.isValid()) state.start = start.toLocalTime();
    }
    return state;
}

QString isoStamp(const QDateTime& when) {
    return when.toOffsetFromUtc(when.offsetFromUtc()).toString(Qt::ISODate);
}

}  // namespace

const std::array<KwhPeriodRow, 5>& kwhPeriodTable() {
    static const std::array<KwhPeriodRow, 5> table = {{
        {KwhPeriod::Hour, "hourly", files::KWH_Hr, files::KWHhr, files::KWHHours, files::CostHours, u"0.00",
         u"mm/dd/yy h:nn:ss AM/PM", false, false, true, KwhAverageFields{13, u"#0.0", 14, u"$0.0"},
         {"CMD_Hourly", "Hourly", "KWH Hourly - Usage", "Hour ending", "CMD_KWH_hrs", "KWH   hours", "Command1", "Total KWH hours"}},
        {KwhPeriod::Day, "daily", files::KWH_Day, files::KWHday, files::KWHDays, files::CostDays, u"0.00", nullptr, true, false, true,
         KwhAverageFields{8, u"#0.0", 12, u"$#0.0"},
         {"CMD_Daily", "Daily", "Daily - Usage", "Day ending", "CMD_KWH_days", " KWH   days", "Command3", "Total KWH days"}},
        {KwhPeriod::Week, "weekly", files::KWH_Week, files::KWHweek, files::KWHWeeks, files::CostWeeks, u"####.##", nullptr, true, false,
         false, std::nullopt,
         {"CMD_Weekly", "Weekly", "Weekly - Usage", "Week ending", "CMD_KWH_weeks", " KWH   weeks", "Command2", "Total KWH weeks"}},
        {KwhPeriod::Month, "monthly", files::KWH_Month, files::KWHMonth, files::KWHMonths, files::CostMonths, u"####.##", nullptr, true,
         true, true, std::nullopt,
         {"CMD_Monthly", "Monthly", "Monthly - Usage", "Month ending", "CMD_KWH_months", "KWH months", "Command4", "Total KWH months"}},
        {KwhPeriod::Year, "yearly", files::KWH_Year, files::KWHyear, files::KWHyears, files::CostYears, u"######", nullptr, true, true,
         false, std::nullopt,
         {"CMD_Years", "Years", "Year to Date - Usage", "Year ending", "CMD_KWH_years", "KWH   years", "Command5", "Total KWH years"}},
    }};
    return table;
}

void KwhPeriods::add(const MinuteRecord& minute) {
    for (KwhPeriodState& state : states_) {
        state.kwh += minute.kwh;
        state.cost += minute.cost;
    }
}

bool KwhPeriods::LoadKwhPeriodTotals(const DataDir& dir) {
    bool oldForm = false;
    for (const KwhPeriodRow& row : kwhPeriodTable())
        if (const auto data = dir.read(row.stateFile)) (*this)[row.period] = readState(*data, (*this)[row.period], oldForm);
    return oldForm;
}

bool KwhPeriods::SaveKwhPeriodTotals(const DataDir& dir) const {
    // Saved every minute: the five files go to the disk together, one wait.
    QList<WholeFile> batch;
    for (const KwhPeriodRow& row : kwhPeriodTable()) {
        const KwhPeriodState& s = (*this)[row.period];
        Record record{s.lead.toField(), Field::Number(s.kwh), Field::Number(s.cost)};
        if (s.start.isValid()) record << Field::Text(isoStamp(s.start));
        batch << WholeFile{row.stateFile, recordLines({record})};
    }
    return !dir.writeBatch(batch).contains(false);
}

}  // namespace kelvora
