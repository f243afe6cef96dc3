#pragma once
// The KWH accounting of a freshly initialised data directory on a manual
// clock, priced by its tariff book (the flat price of 0.1 without a tariff).
#include "common/records.h"
#include "energy/initdata.h"
#include "energy/kwhaccounting.h"
#include "energy/tariffbook.h"
#include "measure/measurement.h"
#include "model/datafiles.h"
#include "model/windowstate.h"
#include "support/fakes.h"

#include <memory>

namespace kelvora::testing {

inline QDateTime at(int y, int mo, int d, int h, int mi, int s = 0) { return {QDate(y, mo, d), QTime(h, mi, s)}; }

// One record of a rolling file or log.
struct Logged {
    QString stamp, value;
    bool operator==(const Logged&) const = default;
};
inline void PrintTo(const Logged& l, std::ostream* os) { *os << l.stamp.toStdString() << " | " << l.value.toStdString(); }

struct AccountingRig {
    explicit AccountingRig(const QDateTime& start, Qt::DayOfWeek firstDay = Qt::Monday) : clock(start) {
        EXPECT_TRUE(InitAllData(dir, clock, shared, fields));
        shared.Cost_per_KWH = 0.1;
        fields.setText("Text100(7)", "0.1");
        measurement.setPriceAt([this](const QDateTime& t) { return book.priceAt(t); });
        restart(firstDay);
    }
    // A new run of the program on the same files.
    void restart(Qt::DayOfWeek firstDay = Qt::Monday) {
        periods = KwhPeriods{};
        acc = std::make_unique<KwhAccounting>(shared, fields, dir, clock, periods, windows);
        acc->setFirstDayOfWeek(firstDay);
        acc->setDailyCharge([this](QDate d) { return book.dailyCharge(d); });
        acc->LoadKwhPeriodTotals();
    }
    void tick(const QDateTime& when) {
        clock.set(when);
        acc->CheckKwhBoundaries();
    }
    // Ticks every `stepMs` from one time to another, as Timer2 does.
    void walk(const QDateTime& from, const QDateTime& to, int stepMs = 100) {
        for (QDateTime t = from; t <= to; t = t.addMSecs(stepMs)) tick(t);
    }
    QList<Logged> records(const QString& name) const {
        const QStringList f = readFields(tmp.contents(name));
        QList<Logged> pairs;
        for (qsizetype i = 0; i + 1 < f.size(); i += 2) pairs << Logged{f[i], f[i + 1]};
        return pairs;
    }
    QStringList values(const QString& name) const {
        QStringList v;
        for (const Logged& l : records(name)) v << l.value;
        return v;
    }
    Logged last(const QString& name) const { return records(name).value(records(name).size() - 1); }

    TempDataDir tmp;
    DataDir dir = tmp.dir();
    ManualClock clock;
    SharedState shared;
    FieldModel fields;
    KwhPeriods periods;
    WindowState windows;
    TariffBook book{dir};
    Measurement measurement{shared, fields, dir, clock};
    std::unique_ptr<KwhAccounting> acc;
};

}  // namespace kelvora::testing
