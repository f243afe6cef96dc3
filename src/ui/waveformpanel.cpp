#include "ui/waveformpanel.h"

#include "live/waveforms.h"
#include "ui/chartservice.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QVBoxLayout>

namespace kelvora {
namespace {

QGroupBox* framed(const QString& title, QWidget* chart) {
    auto* box = new QGroupBox(title);
    auto* layout = new QVBoxLayout(box);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(chart);
    return box;
}

ChartView* waveformChart(const QString& name, const QString& designTitle) {
    auto* chart = new ChartView;
    chart->setObjectName(name);
    chart->setTitle(designTitle);
    chart->setCategoryLabelLimit(7);
    chart->setCategoryAxisTitle(QObject::tr("Sample"));
    chart->setMinimumSize(260, 180);
    return chart;
}

// Each refresh starts from a clean chart of one series in the chart's pen
// colour, then loads all 25 points at once.
void plot(ChartView& chart, const QList<double>& wave, int red, int green, int blue) {
    chart.setTitle(QString());
    chart.setColumnCount(0);
    chart.setColumnCount(1);
    chart.setPenColor(red, green, blue);
    QList<ChartPoint> points;
    for (double v : wave) points.append(ChartPoint{QString::number(points.size() + 1), v});
    chart.setPoints(points);
}

}  // namespace

WaveformPanel::WaveformPanel(Waveforms& waveforms, QWidget* parent) : QWidget(parent), waveforms_(waveforms) {
    setObjectName(QStringLiteral("WaveformPanel"));
    vac_ = waveformChart(QStringLiteral("MSChart1"), QString());
    amps_ = waveformChart(QStringLiteral("MSChart2"), QStringLiteral("AMPS"));
    vac_->setPenColor(0, 0, 500);
    amps_->setPenColor(0, 400, 0);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(framed(tr("Line voltage waveform (raw samples)"), vac_));
    layout->addWidget(framed(tr("Phase A current waveform (raw samples)"), amps_));
    connect(&waveforms_, &Waveforms::updated, this, &WaveformPanel::Plot_WaveForms);
}

bool WaveformPanel::seen() const { return isVisible() && !window()->isMinimized(); }

void WaveformPanel::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (stale_) Plot_WaveForms();
}

void WaveformPanel::Plot_WaveForms() {
    // Two charts redrawn every two seconds cost more than all else the
    // program does while it runs; unseen, they wait.
    stale_ = !seen();
    if (stale_) return;
    plot(*vac_, waveforms_.VAC_Wave(), 0, 0, 500);
    plot(*amps_, waveforms_.A_AMP_Wave(), 0, 400, 0);
}

}  // namespace kelvora
