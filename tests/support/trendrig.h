#pragma once
// The ten-second trends over a temporary data directory, on a clock set to
// 07/03/2026 14:05:09.
#include "common/records.h"
#include "live/tensecondtrend.h"
#include "support/fakes.h"

namespace kelvora::testing {

struct TrendRig {
    TempDataDir tmp;
    DataDir dir{tmp.path()};
    ManualClock clock{QDateTime(QDate(2026, 7, 3), QTime(14, 5, 9))};
    SharedState shared;
    TenSecondTrends trends{shared, dir, clock};

    // A full trend file of values from..to in even steps.
    void fill(const QString& file, double from, double to) {
        QList<Record> records;
        for (int i = 0; i < 60; ++i)
            records << Record{Field::Text("07/03/2026"), Field::Text(QStringLiteral("14:%1:00").arg(i, 2, 10, QChar(u'0'))),
                              Field::Number(from + (to - from) * i / 59)};
        dir.writeRecords(file, records);
    }
    // One ten-second update, which sets the max and min as the app does.
    void update(double vac, double a, double b, double kw) {
        shared.Cur_VAC = vac, shared.Cur_A_AMPS = a, shared.Cur_B_AMPS = b, shared.Cur_KW = kw;
        trends.Current_Trend_Update();
    }
    QList<TrendRecord> records(const QString& file) { return readTrendRecords(tmp.contents(file), 1000); }
};

}  // namespace kelvora::testing
