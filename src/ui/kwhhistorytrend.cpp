#include "ui/kwhhistorytrend.h"

#include "common/timestamp.h"
#include "energy/kwhgraph.h"
#include "energy/kwhperiods.h"
#include "energy/kwhrolling.h"
#include "model/datafiles.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QVBoxLayout>

namespace kelvora {
namespace {

const QString kWindowName = QStringLiteral("KWH_HistoryTrend");

QLineEdit* stampField(const QString& name, const QString& accessible) {
    auto* edit = new QLineEdit;
    edit->setObjectName(name);
    edit->setReadOnly(true);
    edit->setFocusPolicy(Qt::ClickFocus);
    edit->setAccessibleName(accessible);
    edit->setMinimumWidth(170);
    return edit;
}

}  // namespace

KwhHistoryTrend::KwhHistoryTrend(const DataDir& dir, const Clock& clock, WindowState& windows, QWidget* parent)
    : QWidget(parent), dir_(dir), windows_(windows) {
    setObjectName(kWindowName);
    setWindowTitle(QStringLiteral("KWH History Trend"));
    chart_ = new ChartView(ChartView::Style::Bars);
    chart_->setObjectName(QStringLiteral("MSChart1"));
    chart_->setTitle(QStringLiteral("Kelvora (KWH)"));
    chart_->setValueAxisTitle(QStringLiteral("KWH"));
    chart_->setMinimumSize(640, 360);
    // The newest bars matter most: the newest is always named.
    chart_->setCategoryLabelsFromNewest(true);
    actions_ = new ChartActions(*chart_, kWindowName, dir_.path(), clock, this);
    actions_->setCsvRows([this] { return csvRows(); });

    auto* periods = new QHBoxLayout;
    for (const KwhPeriodRow& row : kwhPeriodTable()) {
        auto* b = new QPushButton(tr(row.captions.graphCaption));
        b->setObjectName(QString::fromLatin1(row.captions.graphButton));
        const KwhPeriod period = row.period;
        connect(b, &QPushButton::clicked, this, [this, period] { showPeriod(period); });
        periodButtons_.append(b);
        periods->addWidget(b);
    }
    periods->addStretch();
    periods->addWidget(actions_->makePrintButton(QStringLiteral("CNDPrint_KWHistory")));
    periods->addWidget(actions_->makeExportButton());
    auto* exit = new QPushButton(tr("Exit"));
    exit->setObjectName(QStringLiteral("CMDExit"));
    connect(exit, &QPushButton::clicked, this, &QWidget::close);
    periods->addWidget(exit);

    oldest_ = stampField(QStringLiteral("Text1"), tr("Oldest record"));
    newest_ = stampField(QStringLiteral("Text2"), tr("Newest record"));
    auto* current = new QLabel(tr("Current:"));
    current->setObjectName(QStringLiteral("Label1"));
    auto* ytdCaption = new QLabel(tr("YTD:"));
    ytdCaption->setObjectName(QStringLiteral("Label3"));
    ytd_ = new QLabel;
    ytd_->setObjectName(QStringLiteral("Label2"));
    ytd_->setAccessibleName(tr("Energy of the last eleven months"));
    ytd_->setToolTip(tr("KWH of the eleven latest monthly totals"));
    ytd_->setMinimumWidth(60);
    auto* stamps = new QHBoxLayout;
    stamps->addWidget(oldest_);
    stamps->addStretch();
    stamps->addWidget(ytdCaption);
    stamps->addWidget(ytd_);
    stamps->addSpacing(24);
    stamps->addWidget(current);
    stamps->addWidget(newest_);

    auto* v = new QVBoxLayout(this);
    v->addWidget(chart_, 1);
    v->addLayout(stamps);
    v->addLayout(periods);
    v->addWidget(actions_->statusLine());

    // A rollover rewrote a file: redraw when it is the one shown.
    connect(&windows_, &WindowState::fileRewritten, this, [this](const QString& file) {
        if (file == file_) {
            LoadKwhFile(dir_, file_, windows_);  // what was saved, not what was last read
            UpdateKwhGraph();
        }
        if (file == files::KWHMonth) ShowYtdKwh();
    });
    windows_.setOpen(kWindowName, true);
    showPeriod(KwhPeriod::Hour);
    ShowYtdKwh();
    resize(900, 560);
}

KwhHistoryTrend::~KwhHistoryTrend() {
    windows_.setOpen(kWindowName, false);
}

void KwhHistoryTrend::showPeriod(KwhPeriod period) {
    const KwhPeriodRow& row = kwhPeriodRow(period);
    Graph_Period = period;
    chart_->setTitle(QString::fromLatin1(row.captions.graphTitle));
    const QString category = tr(row.captions.categoryTitle);
    chart_->setCategoryAxisTitle(category);
    actions_->setCsvColumns(CsvColumns{tr("%1 (local)").arg(category), tr("Energy (KWH)")});
    file_ = row.rollingFile;
    ShowKwhGraph();
    periodButtons_.value(qsizetype(period))->setEnabled(false);
}

void KwhHistoryTrend::ShowKwhGraph() {
    if (!LoadKwhFile(dir_, file_, windows_))
        actions_->statusLine()->showMessage(tr("%1 cannot be read").arg(dir_.filePath(file_)));
    else
        actions_->statusLine()->clearMessage();
    UpdateKwhGraph();
    for (QPushButton* b : std::as_const(periodButtons_)) b->setEnabled(true);
}

void KwhHistoryTrend::UpdateKwhGraph() {
    QList<ChartPoint> points;
    for (const KwhBar& bar : kwhBars(Graph_Period, windows_)) points << ChartPoint{bar.label, bar.value};
    chart_->setPoints(points);
    chart_->setPointFillColor(51, 160, 500);
    oldest_->setText(windows_.Roll_Stamp.value(0));
    newest_->setText(windows_.Roll_Stamp.value(kRollingRecords - 1));
}

QList<CsvRow> KwhHistoryTrend::csvRows() const {
    QList<CsvRow> rows;
    for (const KwhBar& bar : kwhBars(Graph_Period, windows_)) {
        const auto when = parseStamp(bar.stamp);
        rows.append(CsvRow{when.value_or(QDateTime()), bar.stamp,
                           bar.hasData ? std::optional(bar.value) : std::nullopt});
    }
    return rows;
}

void KwhHistoryTrend::ShowYtdKwh() { ytd_->setText(ytdKwhText(dir_)); }

}  // namespace kelvora
