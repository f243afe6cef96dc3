#pragma once
#include "ui/chartcsv.h"

#include <QList>
#include <QString>
#include <QWidget>

class QLineEdit;
class QTimer;

namespace kelvora {

class ChartActions;
class ChartView;
class Clock;
class DataDir;
class TenSecondTrends;
struct SharedState;

// The window CurrentTrend ("Current Trend"): the last 60 values of one
// quantity from its ten-second trend file, refreshed every 5 seconds, the
// newest value in figures, printing and CSV export. It opens on the voltage.
class CurrentTrendWindow : public QWidget {
    Q_OBJECT
public:
    CurrentTrendWindow(const DataDir& dir, const SharedState& shared, const TenSecondTrends& trends,
                       const Clock& clock, QWidget* parent = nullptr);

    enum Quantity { Voltage, PhaseA, PhaseB, KW };
    void CMDCur_VAC_Click();
    void CMDCur_A_Click() { showQuantity(PhaseA); }
    void CMDCur_B_Click() { showQuantity(PhaseB); }
    void CMDCur_KW_Click() { showQuantity(KW); }
    void Timer1_Timer();
    QTimer& timer1() { return *timer1_; }

    void ClearCurrentChart();
    void GetCurrentData();
    void UpdateCurrentTrend();

    ChartView& chart() { return *chart_; }
    ChartActions& actions() { return *actions_; }
    // The quantity whose mode flag is 1.
    Quantity shown() const { return shown_; }
    const QString& currentFile() const { return currentFile_; }

private:
    // The export: one row per record of the file shown, with its date and time.
    QList<CsvRow> csvRows() const;
    void Form_Load();
    void showQuantity(Quantity q);
    void startChart(Quantity q);
    QWidget* buildButtons();

    const DataDir& dir_;
    const SharedState& shared_;
    const TenSecondTrends& trends_;
    ChartView* chart_ = nullptr;
    ChartActions* actions_ = nullptr;
    QLineEdit* text1_ = nullptr;
    QTimer* timer1_ = nullptr;
    Quantity shown_ = Voltage;
    QString currentFile_;
    QList<QString> dates_;
    QList<QString> times_;
    QList<double> values_;
};

}  // namespace kelvora
