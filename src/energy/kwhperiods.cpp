#include "energy/kwhperiods.h"

#include "model/datafiles.h"

namespace kelvora {

const std::array<KwhPeriods::File, 5>& KwhPeriods::stateFiles() {
    static const std::array<File, 5> list = {{
        {files::KWH_Hr, &KwhPeriods::Hour_Lead, &KwhPeriods::Hour_KWH},
        {files::KWH_Day, &KwhPeriods::Day_Lead, &KwhPeriods::Day_KWH},
        {files::KWH_Week, &KwhPeriods::Week_Lead, &KwhPeriods::Week_KWH},
        {files::KWH_Month, &KwhPeriods::Month_Lead, &KwhPeriods::Month_KWH},
        {files::KWH_Year, &KwhPeriods::Year_Lead, &KwhPeriods::Year_KWH},
    }};
    return list;
}

void KwhPeriods::LoadKwhPeriodTotals(const DataDir& dir) {
    for (const File& file : stateFiles()) {
        const auto data = dir.read(file.name);
        if (!data) continue;
        RecordReader reader(*data);
        for (Variant KwhPeriods::*member : {file.lead, file.total}) {
            if (reader.atEnd()) break;
            const QString field = reader.next();
            this->*member = Variant::FromField(field, reader.lastWasQuoted());
        }
    }
}

bool KwhPeriods::SaveKwhPeriodTotals(const DataDir& dir) const {
    // Saved every minute: the five files go to the disk together, one wait.
    QList<DataDir::WholeFile> batch;
    for (const File& file : stateFiles())
        batch << DataDir::WholeFile{file.name,
                                    recordLines({Record{(this->*file.lead).toField(), (this->*file.total).toField()}})};
    const QList<bool> written = dir.writeBatch(batch);
    return !written.contains(false);
}

}  // namespace kelvora
