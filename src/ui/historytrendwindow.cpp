#include "ui/historytrendwindow.h"

#include "history/historyfile.h"
#include "ui/chartprint.h"
#include "ui/chartservice.h"
#include "ui/mainwindow.h"

#include <QFont>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

namespace kelvora {
namespace {

constexpr int kHoursInAWeek = 168;
// Between the minute's reloads of two history windows: about one window's
// reload and repaint, so that each has the user interface to itself.
constexpr int kFollowStaggerMs = 25;

std::array<QString, WindowState::kHistorySpans> buttonNames(const QString& letter) {
    // "CMD1Hr" for KW, "CMD1AHr" for phase A, ...; the day spans "CMD7Day", "CMD7ADay".
    std::array<QString, WindowState::kHistorySpans> names;
    for (int i = 0; i < int(names.size()); ++i) {
        const int hours = kHistorySpans[i].hours;
        names[i] = hours < kHoursInAWeek ? QStringLiteral("CMD%1%2Hr").arg(hours).arg(letter)
                                         : QStringLiteral("CMD%1%2Day").arg(hours / 24).arg(letter);
    }
    return names;
}

}  // namespace

const std::array<HistoryWindowConfig, 4>& historyWindowConfigs() {
    const auto& q = historyQuantities();
    const QColor grey(192, 192, 192);
    static const std::array<HistoryWindowConfig, 4> configs = {{
        {&q[0], QStringLiteral("KW HistoryTrend"), QColor(192, 255, 192), buttonNames(QString()),
         QStringLiteral("Avg KW Usage"), QStringLiteral("Comic Sans MS"), QString(), std::nullopt,
         QStringLiteral("Average power (KW)")},
        {&q[1], QStringLiteral("A_AMPS History Trend"), grey, buttonNames(QStringLiteral("A")),
         QStringLiteral("A_AMPS Usage"), QStringLiteral("Arial"), QStringLiteral("AMPS"), std::nullopt,
         QStringLiteral("Phase A current (A)")},
        {&q[2], QStringLiteral("B_AMPS_History Trend"), grey, buttonNames(QStringLiteral("B")),
         QStringLiteral("B_AMPS Usage"), QStringLiteral("Arial"), QStringLiteral("AMPS"), std::nullopt,
         QStringLiteral("Phase B current (A)")},
        {&q[3], QStringLiteral("VAC History Trend"), grey, buttonNames(QStringLiteral("V")),
         QStringLiteral("VAC Usage"), QStringLiteral("Arial"), QString(), std::pair(100.0, 250.0),
         QStringLiteral("Line voltage (V)")},
    }};
    return configs;
}

QString HistoryTrendWindow::periodCaption(const HistorySpan& span) {
    return span.hours < kHoursInAWeek ? tr("%1 Hr").arg(span.hours) : tr("%1 Day").arg(span.hours / 24);
}

QString HistoryTrendWindow::periodTitle(const HistorySpan& span) {
    return span.hours < kHoursInAWeek ? tr("%1 Hour Trend").arg(span.hours)
                                      : tr("%1 Day Trend").arg(span.hours / 24);
}

HistoryTrendWindow::HistoryTrendWindow(const HistoryWindowConfig& config, WindowState& windows,
                                       const DataDir& dir, const Clock& clock, QWidget* parent)
    : QWidget(parent), config_(config), quantity_(*config.quantity), windows_(windows), dir_(dir) {
    setObjectName(quantity_.window);
    setWindowTitle(config_.caption);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, config_.background);
    setPalette(pal);
    setAutoFillBackground(true);
    chart_ = new ChartView(ChartView::Style::Line);
    chart_->setObjectName(QStringLiteral("MSChart1"));
    actions_ = new ChartActions(*chart_, quantity_.window, dir_.path(), clock, this);
    actions_->setCsvColumns(CsvColumns{tr("Time (local)"), config_.csvColumn});
    buildControls();
    resize(1000, 640);
    windows_.setOpen(quantity_.window, true);
    follow_ = new QTimer(this);
    follow_->setSingleShot(true);
    follow_->setInterval(kFollowStaggerMs * int(&config - historyWindowConfigs().data()));
    connect(follow_, &QTimer::timeout, this, &HistoryTrendWindow::followFile);
    connect(&windows_, &WindowState::fileRewritten, this, &HistoryTrendWindow::onFileRewritten);
    Form_Load();
}

HistoryTrendWindow::~HistoryTrendWindow() { windows_.setOpen(quantity_.window, false); }

void HistoryTrendWindow::buildControls() {
    auto* top = new QHBoxLayout;
    top->addStretch();
    QPushButton* print = actions_->makePrintButton(QStringLiteral("CNDPrint_KWHistory"));
    print->setFont(QFont(QStringLiteral("Arial Black")));
    top->addWidget(print);
    top->addWidget(actions_->makeExportButton());

    chart_->setCategoryAxisTitle(tr("Time"));
    chart_->setValueAxisTitle(config_.valueAxisTitle);
    if (config_.fixedScale) {
        chart_->setValueAxisMinimum(config_.fixedScale->first);
        chart_->setValueAxisMaximum(config_.fixedScale->second);
    }

    text1_ = new QLineEdit;
    text1_->setObjectName(QStringLiteral("Text1"));
    text2_ = new QLineEdit;
    text2_->setObjectName(QStringLiteral("Text2"));
    for (QLineEdit* t : {text1_, text2_}) {
        t->setReadOnly(true);
        t->setMinimumWidth(190);
        t->setMaximumWidth(240);
    }
    text2_->setAlignment(Qt::AlignRight);
    auto* ends = new QHBoxLayout;
    ends->addWidget(text1_);
    ends->addStretch();
    ends->addWidget(text2_);

    auto* bottom = new QHBoxLayout;
    const QFont periodFont(config_.periodFont);
    for (int i = 0; i < int(periodButtons_.size()); ++i) {
        auto* b = new QPushButton(periodCaption(kHistorySpans[i]));
        b->setObjectName(config_.periodButtons[i]);
        b->setFont(periodFont);
        b->setToolTip(tr("Show the %1").arg(periodTitle(kHistorySpans[i]).toLower()));
        connect(b, &QPushButton::clicked, this, [this, i] { periodClicked(i); });
        periodButtons_[i] = b;
        bottom->addWidget(b);
    }
    bottom->addStretch();
    auto* label3 = new QLabel(tr("Current:"));
    label3->setObjectName(QStringLiteral("Label3"));
    label2_ = new QLabel;
    label2_->setObjectName(QStringLiteral("Label2"));
    label2_->setMinimumWidth(60);
    QFont valueFont = label2_->font();
    valueFont.setBold(true);
    valueFont.setPointSizeF(valueFont.pointSizeF() * 1.3);
    label2_->setFont(valueFont);
    bottom->addWidget(label3);
    bottom->addWidget(label2_);
    bottom->addSpacing(12);
    auto* exit = new QPushButton(tr("Exit"));
    exit->setObjectName(QStringLiteral("CMDExit"));
    connect(exit, &QPushButton::clicked, this, &QWidget::close);
    bottom->addWidget(exit);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(chart_, 1);
    layout->addLayout(ends);
    layout->addLayout(bottom);
    layout->addWidget(actions_->statusLine());
}

void HistoryTrendWindow::Form_Load() {
    chart_->setColumnCount(0);
    chart_->setRandomFill(false);
    chart_->setColumnCount(1);
    showPeriod(0);
}

void HistoryTrendWindow::periodClicked(int i) {
    // Never in the middle of a rewrite of the same file.
    if ((windows_.*quantity_.busy)[i] != 0) return;
    showPeriod(i);
}

void HistoryTrendWindow::showPeriod(int i) {
    const HistorySpan& span = kHistorySpans[i];
    chart_->setTitle(QStringLiteral("%1 (%2)").arg(config_.titlePrefix, periodTitle(span)));
    chart_->setColumnCount(0);
    chart_->setColumnCount(1);
    windows_.*quantity_.period = span.hours;
    windows_.History_File = quantity_.file(span);
    follow_->stop();  // the new file is read now
    Load_History_Chart();
    EnablePButtons();
    periodButtons_[i]->setEnabled(false);
}

void HistoryTrendWindow::EnablePButtons() {
    for (QPushButton* b : periodButtons_) b->setEnabled(true);
}

void HistoryTrendWindow::onFileRewritten(const QString& file) {
    if (file != fileShown_) return;
    if (follow_->interval() == 0)
        followFile();
    else
        follow_->start();
}

void HistoryTrendWindow::followFile() {
    windows_.History_File = fileShown_;
    Load_History_Chart();
}

void HistoryTrendWindow::Load_History_Chart() {
    fileShown_ = windows_.History_File;
    // A missing file shows as an empty chart, as an empty one does.
    const HistoryChart data = historyChart(dir_.read(fileShown_).value_or(QByteArray()));
    chart_->setPenColor(0, 400, 0);  // a green line
    const bool everyRowHasAValue =
        std::all_of(data.values.begin(), data.values.end(), [](const auto& v) { return v.has_value(); });
    if (everyRowHasAValue) {
        QList<ChartPoint> points;
        points.reserve(data.values.size());
        for (qsizetype j = 0; j < data.values.size(); ++j) points.append(ChartPoint{data.stamps[j], *data.values[j]});
        chart_->setPoints(points);
    } else {
        // Rows without a value stay in their place, as gaps.
        chart_->setRowCount(int(data.values.size()));
        for (int j = 1; j <= int(data.values.size()); ++j) {
            chart_->setRow(j);
            chart_->setRowLabel(data.stamps[j - 1]);
            if (data.values[j - 1]) chart_->setData(QString::number(*data.values[j - 1], 'g', 15));
        }
        chart_->flush();
    }
    text1_->setText(data.Text1);
    text2_->setText(data.Text2);
    label2_->setText(data.Label2);
}

void addHistoryWindows(MainWindow& main, WindowState& windows, const DataDir& dir, const Clock& clock) {
    for (const HistoryWindowConfig& c : historyWindowConfigs()) {
        main.setWindowFactory(QStringLiteral("CMD_%1_History_Trend").arg(c.quantity->name),
                              [&windows, &dir, &clock, &c](QWidget* parent) {
                                  return new HistoryTrendWindow(c, windows, dir, clock, parent);
                              });
    }
}

}  // namespace kelvora
