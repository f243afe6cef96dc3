#include "energy/kwhperiods.h"

namespace kelvora {

const std::array<KwhPeriods::File, 5>& KwhPeriods::files() {
    static const std::array<File, 5> list = {{
        {"KWH_Hr.dat", &KwhPeriods::Hour_Lead, &KwhPeriods::Hour_KWH},
        {"KWH_Day.dat", &KwhPeriods::Day_Lead, &KwhPeriods::Day_KWH},
        {"KWH_Week.dat", &KwhPeriods::Week_Lead, &KwhPeriods::Week_KWH},
        {"KWH_Month.dat", &KwhPeriods::Month_Lead, &KwhPeriods::Month_KWH},
        {"KWH_Year.dat", &KwhPeriods::Year_Lead, &KwhPeriods::Year_KWH},
    }};
    return list;
}

void KwhPeriods::LoadKwhPeriodTotals(const DataDir& dir) {
    for (const File& file : files()) {
        const auto data = dir.read(QString::fromLatin1(file.name));
        if (!data) continue;
        RecordReader reader(*data);
        for (Variant KwhPeriods::*member : {file.lead, file.total}) {
            if (reader.atEnd()) break;
            const QString field = reader.next();
            this->*member = Variant::FromField(field, reader.lastWasQuoted());
        }
    }
}

}  // namespace kelvora
