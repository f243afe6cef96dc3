#include "ui/currenttrendwindow.h"

#include "common/datadir.h"
#include "common/format.h"
#include "common/timestamp.h"
#include "live/tensecondtrend.h"
#include "model/datafiles.h"
#include "model/sharedstate.h"
#include "ui/chartprint.h"
#include "ui/chartservice.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>
#include <QVBoxLayout>

namespace kelvora {
namespace {

constexpr int kPoints = 60;

struct QuantityLook {
    const char* title;
    int red, green, blue;
    const QString* file;
    const char* unit;
    const char* csvColumn;  // names the quantity and its unit in an export
};

// The chart of each quantity: title, pen (components as given, clamped by
// the chart), file and value-axis title.
const QuantityLook& look(CurrentTrendWindow::Quantity q) {
    static const QuantityLook looks[] = {
        {"Current  VAC  Trend", 0, 400, 0, &files::VAC_10sec, "Volts", "Line voltage (V)"},
        {"Current  Phase 'A' AMPS  Trend", 0, 0, 400, &files::A_AMPS_10sec, "Amps", "Phase A current (A)"},
        {"Current  Phase 'B' AMPS  Trend", 0, 0, 400, &files::B_AMPS_10sec, "Amps", "Phase B current (A)"},
        {"Current  KW  Trend", 400, 0, 0, &files::KW_10sec, "KW", "Power (KW)"},
    };
    return looks[q];
}

}  // namespace

CurrentTrendWindow::CurrentTrendWindow(const DataDir& dir, const SharedState& shared, const TenSecondTrends& trends,
                                       const Clock& clock, QWidget* parent)
    : QWidget(parent),
      dir_(dir),
      shared_(shared),
      trends_(trends),
      dates_(kPoints),
      times_(kPoints),
      values_(kPoints, 0.0) {
    setObjectName(QStringLiteral("CurrentTrend"));
    setWindowTitle(tr("Current Trend"));
    chart_ = new ChartView;
    chart_->setObjectName(QStringLiteral("MSChart1"));
    chart_->setCategoryAxisTitle(QStringLiteral("Time (2 Minute)"));
    chart_->setCategoryLabelLimit(12);
    actions_ = new ChartActions(*chart_, objectName(), dir.path(), clock, this);
    actions_->setCsvRows([this] { return csvRows(); });

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(chart_, 1);
    layout->addWidget(buildButtons());
    layout->addWidget(actions_->statusLine());

    timer1_ = new QTimer(this);
    timer1_->setObjectName(QStringLiteral("Timer1"));
    timer1_->setInterval(5000);
    connect(timer1_, &QTimer::timeout, this, &CurrentTrendWindow::Timer1_Timer);
    resize(920, 560);
    Form_Load();
    timer1_->start();
}

QWidget* CurrentTrendWindow::buildButtons() {
    auto* row = new QWidget;
    auto* h = new QHBoxLayout(row);
    h->setContentsMargins(0, 0, 0, 0);
    const struct { const char* name; const char* caption; void (CurrentTrendWindow::*click)(); } buttons[] = {
        {"CMDCur_VAC", "VAC", &CurrentTrendWindow::CMDCur_VAC_Click},
        {"CMDCur_A", "A AMPS", &CurrentTrendWindow::CMDCur_A_Click},
        {"CMDCur_B", "B AMPS", &CurrentTrendWindow::CMDCur_B_Click},
        {"CMDCur_KW", "KW", &CurrentTrendWindow::CMDCur_KW_Click},
    };
    for (const auto& b : buttons) {
        auto* button = new QPushButton(tr(b.caption));
        button->setObjectName(QString::fromLatin1(b.name));
        connect(button, &QPushButton::clicked, this, b.click);
        h->addWidget(button);
    }
    h->addSpacing(16);
    auto* label = new QLabel(tr("Current Value:"));
    label->setObjectName(QStringLiteral("Label1"));
    text1_ = new QLineEdit(QStringLiteral("Current Value"));
    text1_->setObjectName(QStringLiteral("Text1"));
    text1_->setReadOnly(true);
    text1_->setAlignment(Qt::AlignRight);
    text1_->setAccessibleName(tr("Current value"));
    text1_->setMaximumWidth(120);
    label->setBuddy(text1_);
    h->addWidget(label);
    h->addWidget(text1_);
    h->addStretch();
    h->addWidget(actions_->makePrintButton(QStringLiteral("CNDPrint_KWHistory")));
    h->addWidget(actions_->makeExportButton());
    auto* exit = new QPushButton(tr("Exit"));
    exit->setObjectName(QStringLiteral("CMDCur_Exit"));
    connect(exit, &QPushButton::clicked, this, &QWidget::close);
    h->addWidget(exit);
    return row;
}

void CurrentTrendWindow::Form_Load() {
    ClearCurrentChart();
    startChart(Voltage);
    // Until the first update with a voltage, the scale sits around the
    // highest voltage of the window.
    chart_->setValueAxisMinimum(trends_.VAC_10sec.max - 10);
    chart_->setValueAxisMaximum(trends_.VAC_10sec.max + 10);
    GetCurrentData();
    UpdateCurrentTrend();
}

void CurrentTrendWindow::CMDCur_VAC_Click() {
    if (shared_.Cur_VAC == 0) {
        // No voltage to chart: the shown quantity stays and keeps refreshing.
        text1_->setText(QStringLiteral("VAC=0"));
        return;
    }
    showQuantity(Voltage);
}

void CurrentTrendWindow::showQuantity(Quantity q) {
    ClearCurrentChart();
    startChart(q);
    GetCurrentData();
    UpdateCurrentTrend();
}

void CurrentTrendWindow::startChart(Quantity q) {
    const QuantityLook& l = look(q);
    chart_->setTitle(QString::fromLatin1(l.title));
    chart_->setColumnCount(0);
    chart_->setColumnCount(1);
    chart_->setPenColor(l.red, l.green, l.blue);
    chart_->setValueAxisTitle(tr(l.unit));
    actions_->setCsvColumns(CsvColumns{tr("Time (local)"), tr(l.csvColumn)});
    chart_->setValueAxisAuto(false);
    shown_ = q;
    currentFile_ = *l.file;
}

void CurrentTrendWindow::Timer1_Timer() {
    GetCurrentData();
    UpdateCurrentTrend();
}

void CurrentTrendWindow::ClearCurrentChart() {
    chart_->setColumnCount(0);
    chart_->setRandomFill(false);
    chart_->setColumnCount(1);
    for (int i = 1; i <= kPoints; ++i) {
        chart_->setRow(i);
        chart_->setRowLabel(QString());
    }
}

void CurrentTrendWindow::GetCurrentData() {
    const auto data = dir_.read(currentFile_);
    if (!data) return;
    const QList<TrendRecord> records = readTrendRecords(*data, kPoints);
    for (int i = 0; i < records.size(); ++i) {
        dates_[i] = records[i].date;
        times_[i] = records[i].time;
        values_[i] = records[i].value;
    }
    if (records.size() < kPoints) return;  // a short file: the figures stay
    text1_->setText(formatNumber(values_[kPoints - 1], u"####.00"));
}

QList<CsvRow> CurrentTrendWindow::csvRows() const {
    // A record holds its date and its time apart; together they are the
    // time of the reading set. A blank record (a short file) has neither.
    QList<CsvRow> rows;
    for (int i = 0; i < kPoints; ++i) {
        if (dates_[i].isEmpty() && times_[i].isEmpty()) continue;
        const auto when = parseStamp(dates_[i] + QStringLiteral("  ") + times_[i]);
        rows.append(CsvRow{when.value_or(QDateTime()), times_[i], values_[i]});
    }
    return rows;
}

void CurrentTrendWindow::UpdateCurrentTrend() {
    QList<ChartPoint> points;
    points.reserve(kPoints);
    for (int i = 0; i < kPoints; ++i) points.append(ChartPoint{times_[i], values_[i]});
    chart_->setPoints(points);
    const struct { const TrendRange* range; double margin; } rules[] = {
        {&trends_.VAC_10sec, 10}, {&trends_.A_AMPS_10sec, 2}, {&trends_.B_AMPS_10sec, 2}, {&trends_.KW_10sec, 2}};
    if (shown_ == Voltage && shared_.Cur_VAC <= 0) return;  // the scale stays as it was
    const auto& rule = rules[shown_];
    if (rule.range->min > rule.range->max) {
        // No update since the start (max 0, min at its start value): an
        // upside-down scale would show nothing, so fit the scale to the points.
        chart_->setValueAxisAuto(true);
        return;
    }
    chart_->setValueAxisMinimum(rule.range->min - rule.margin);
    chart_->setValueAxisMaximum(rule.range->max + rule.margin);
}

}  // namespace kelvora
