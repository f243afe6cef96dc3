#pragma once
#include "common/clock.h"
#include "common/datadir.h"
#include "energy/kwhdates.h"
#include "model/windowstate.h"
#include "ui/chartprint.h"
#include "ui/chartservice.h"

#include <QList>
#include <QWidget>

class QLabel;
class QLineEdit;
class QPushButton;

namespace kelvora {

// The window KWH_HistoryTrend: one of the five rolling KWH files as 60 bars,
// oldest on the left, chosen with the buttons "Hourly" .. "Years"; the stamps
// of the oldest and newest record shown (Text1, Text2) and the energy of the
// latest eleven monthly totals (Label2). A rollover that rewrites the file
// shown redraws it (so the hourly graph follows every hour).
class KwhHistoryTrend : public QWidget {
    Q_OBJECT
public:
    KwhHistoryTrend(const DataDir& dir, const Clock& clock, WindowState& windows, QWidget* parent = nullptr);
    ~KwhHistoryTrend() override;

    // The period buttons "Hourly" .. "Years".
    void showPeriod(KwhPeriod period);
    KwhPeriod period() const { return Graph_Period; }
    // LoadKwhFile on the file shown, then UpdateKwhGraph.
    void ShowKwhGraph();
    // Draws the bars from Roll_Stamp and Roll_Value.
    void UpdateKwhGraph();
    void ShowYtdKwh();

    ChartView& chart() { return *chart_; }
    ChartActions& actions() { return *actions_; }

private:
    // The export: each bar's period stamp and value, empty for a bar without data.
    QList<CsvRow> csvRows() const;

    const DataDir& dir_;
    WindowState& windows_;
    KwhPeriod Graph_Period = KwhPeriod::Hour;
    ChartView* chart_ = nullptr;
    ChartActions* actions_ = nullptr;
    QString file_;
    QList<QPushButton*> periodButtons_;
    QLineEdit* oldest_ = nullptr;
    QLineEdit* newest_ = nullptr;
    QLabel* ytd_ = nullptr;
};

}  // namespace kelvora
