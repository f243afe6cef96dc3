#pragma once
#include "common/clock.h"
#include "common/datadir.h"
#include "history/historyquantity.h"
#include "model/windowstate.h"

#include <QColor>
#include <QList>
#include <QString>
#include <QWidget>
#include <array>
#include <optional>

class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;

namespace kelvora {

class ChartActions;
class ChartView;
class MainWindow;

// What sets one history window apart from the other three.
struct HistoryWindowConfig {
    const HistoryQuantity* quantity;  // its files, period and busy flags
    QString caption;                  // "KW HistoryTrend"
    QColor background;
    std::array<QString, WindowState::kHistorySpans> periodButtons;  // "CMD1Hr" ... "CMD14Day"
    QString titlePrefix;              // "Avg KW Usage"
    QString periodFont;               // of the period buttons
    QString valueAxisTitle;           // "AMPS" for the phases
    std::optional<std::pair<double, double>> fixedScale;  // the voltage window's 100 to 250
    QString csvColumn;                // the value column of an export: "Power (KW)"
};

// KW, phase A, phase B and voltage, in the order of historyQuantities().
const std::array<HistoryWindowConfig, 4>& historyWindowConfigs();

// A history trend window (KW_HistoryTrend, A_AMPS_HistoryTrend, ...): the
// chart of one of the quantity's eight history files, chosen with the period
// buttons; it opens on the 1-hour period. While it is open the recorder
// announces each rewrite of the file shown and the chart follows it: the KW
// window at once, each of the others a little after the one before it, so
// that the four windows never hold up the program together at the minute.
class HistoryTrendWindow : public QWidget {
    Q_OBJECT
public:
    HistoryTrendWindow(const HistoryWindowConfig& config, WindowState& windows, const DataDir& dir,
                       const Clock& clock, QWidget* parent = nullptr);
    ~HistoryTrendWindow() override;

    // The captions of the period buttons and the bracket of the chart title.
    static QString periodCaption(const HistorySpan& span);
    static QString periodTitle(const HistorySpan& span);

    // Shows the file named by History_File.
    void Load_History_Chart();
    // The click of period button i (0 = 1 hour .. 7 = 14 days).
    void periodClicked(int i);
    void EnablePButtons();

    ChartView& chart() { return *chart_; }
    ChartActions& actions() { return *actions_; }
    const QString& fileShown() const { return fileShown_; }

private:
    void Form_Load();
    void buildControls();
    void showPeriod(int i);
    void onFileRewritten(const QString& file);
    void followFile();

    const HistoryWindowConfig& config_;
    const HistoryQuantity& quantity_;
    WindowState& windows_;
    const DataDir& dir_;
    ChartView* chart_ = nullptr;
    ChartActions* actions_ = nullptr;
    std::array<QPushButton*, WindowState::kHistorySpans> periodButtons_{};
    QLineEdit* text1_ = nullptr;
    QLineEdit* text2_ = nullptr;
    QLabel* label2_ = nullptr;
    QString fileShown_;
    QTimer* follow_ = nullptr;  // the minute's reload, after the windows before this one
};

// Opens the four history windows from the main window's buttons
// CMD_KW_History_Trend, CMD_A_AMPS_History_Trend, CMD_B_AMPS_History_Trend
// and CMD_VAC_History_Trend.
void addHistoryWindows(MainWindow& main, WindowState& windows, const DataDir& dir, const Clock& clock);

}  // namespace kelvora
