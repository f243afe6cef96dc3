#pragma once
#include "common/clock.h"
#include "common/datadir.h"
#include "model/sharedstate.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>

namespace kelvora {

// One record of a ten-second trend file: "mm/dd/yyyy","hh:mm:ss",value.
// A blank record has no date and no time and the value 0.
struct TrendRecord {
    QString date;
    QString time;
    double value = 0;
};

// The records a trend file holds, at most `limit` of them. Each line is one
// record, so a damaged line costs that record alone instead of shifting the
// fields of every later one (a date read as a value); fields a line lacks are
// empty, a missing value is 0. The value is the numeric value of its text,
// quoted or bare.
QList<TrendRecord> readTrendRecords(const QByteArray& data, int limit = 60);

// The highest and lowest value of a trend's 60-value window.
struct TrendRange {
    double max = 0;
    double min = 0;
};

// Current_Trend_Data_Update: the four rolling files of the last 60 live values
// (voltage, phase A, phase B, KW), one record per reading set, and the highest
// and lowest value each held before its last update, for the current-trend
// window. The files exist only for display: replaced atomically, not synced.
class TenSecondTrends {
public:
    TenSecondTrends(const SharedState& shared, const DataDir& dir, const Clock& clock);

    // Runs the four updates in order; called once per reading set.
    void Current_Trend_Update();
    void Update_VAC_10sec();     // skipped while Cur_VAC is 0
    void Update_A_AMPS_10sec();
    void Update_B_AMPS_10sec();
    void Update_KW_10sec();

    // Back to the start values (max 0; min 1000, or 10000 for KW).
    void reset();

    TrendRange VAC_10sec{0, 1000};
    TrendRange A_AMPS_10sec{0, 1000};
    TrendRange B_AMPS_10sec{0, 1000};
    TrendRange KW_10sec{0, 10000};

private:
    // A file as this object last wrote it: its content, and each of its 60
    // lines with the value it holds.
    struct Written {
        QByteArray content;
        QList<QByteArray> lines;
        QList<double> values;
    };
    void update(const QString& file, double value, double minStart, TrendRange& range);
    static Written rebuilt(const QByteArray& content, const TrendRecord& added);
    static Written rolled(const Written& last, const TrendRecord& added);

    const SharedState& shared_;
    const DataDir& dir_;
    const Clock& clock_;
    // Each message rolls the same four files: the step builds on what it
    // wrote, instead of parsing and formatting 60 records again, as long as
    // the file still holds exactly that.
    QHash<QString, Written> written_;
};

}  // namespace kelvora
