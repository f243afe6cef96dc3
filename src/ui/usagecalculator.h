#pragma once
#include "energy/daterange.h"

#include <QGroupBox>

class QCalendarWidget;

namespace kelvora {

// The frame "Usage between two dates": the calendars Calendar_Start and
// Calendar_End, "Get Data" (CMD_Chk) and the result fields Text1(0)..Text1(10).
class UsageCalculator : public QGroupBox {
    Q_OBJECT
public:
    UsageCalculator(SharedState& shared, FieldModel& fields, const DataDir& dir, const Clock& clock,
                    QWidget* parent = nullptr);

    DateRangeCalculator& calculator() { return calc_; }

private:
    QCalendarWidget* calendar(const QString& name);

    DateRangeCalculator calc_;
    QCalendarWidget* start_ = nullptr;
    QCalendarWidget* end_ = nullptr;
};

}  // namespace kelvora
