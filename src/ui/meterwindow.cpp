#include "ui/meterwindow.h"

#include "common/datadir.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

namespace kelvora {
namespace {

// The dial in twips: the band between two radii around the pivot.
constexpr double kBandOuter = 1100;
constexpr double kBandInner = 820;
constexpr double kHubRadius = 80;
const QPointF kPivot(1132, 1183);

struct BandPart {
    double from, to;  // fractions of the sweep, 0 at the left
    QColor color;
};
const BandPart kBand[] = {
    {0.00, 0.15, Qt::white},
    {0.15, 0.40, QColor(40, 170, 60)},
    {0.40, 0.75, QColor(240, 210, 40)},
    {0.75, 1.00, QColor(215, 40, 40)},
};

// A point at a fraction of the sweep (0 left, 1 right, over the top).
QPointF onSweep(double fraction, double radius) {
    const double a = M_PI * (1 - fraction);
    return kPivot + QPointF(std::cos(a) * radius, -std::sin(a) * radius);
}

QPainterPath bandPath(double from, double to) {
    const QRectF outer(kPivot - QPointF(kBandOuter, kBandOuter), QSizeF(2 * kBandOuter, 2 * kBandOuter));
    const QRectF inner(kPivot - QPointF(kBandInner, kBandInner), QSizeF(2 * kBandInner, 2 * kBandInner));
    QPainterPath path;
    path.arcMoveTo(outer, 180 * (1 - from));
    path.arcTo(outer, 180 * (1 - from), -180 * (to - from));
    path.arcTo(inner, 180 * (1 - to), 180 * (to - from));
    path.closeSubpath();
    return path;
}

QPen cosmetic(const QColor& color, double width) {
    QPen pen(color, width);
    pen.setCosmetic(true);  // pixels, whatever the scale
    pen.setCapStyle(Qt::RoundCap);
    return pen;
}

}  // namespace

Gauge::Gauge(double fullScale, QWidget* parent) : QWidget(parent), fullScale_(fullScale) {
    setMinimumSize(151, 79);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

void Gauge::setValue(int value) {
    if (value == value_) return;
    value_ = value;
    update();
}

Needle Gauge::needle() const {
    return needleFor(kGaugeWidth, kGaugeHeight, NeedleScale{0, fullScale_, 0, 30, 0.1}, value_);
}

QRectF Gauge::pictureRect() const {
    // One factor both ways, so the dial stays round.
    const double factor = std::min(width() / kGaugeWidth, height() / kGaugeHeight);
    const QSizeF size(kGaugeWidth * factor, kGaugeHeight * factor);
    return QRectF(QPointF((width() - size.width()) / 2, (height() - size.height()) / 2), size);
}

void Gauge::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF picture = pictureRect();
    p.translate(picture.topLeft());
    p.scale(picture.width() / kGaugeWidth, picture.height() / kGaugeHeight);
    p.setClipRect(QRectF(0, 0, kGaugeWidth, kGaugeHeight));
    drawFace(p);
    const Needle n = needle();
    p.setPen(cosmetic(QColor(255, 0, 0), 3));
    p.drawLine(QPointF(n.Needle_CX, n.Needle_CY), n.tip);
    // The hub over the needle's root, as on a real meter.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(20, 30, 110));
    p.drawEllipse(kPivot, kHubRadius, kHubRadius);
}

void Gauge::drawFace(QPainter& p) const {
    p.fillRect(QRectF(0, 0, kGaugeWidth, kGaugeHeight), QColor(236, 238, 242));
    p.setPen(Qt::NoPen);
    for (const BandPart& part : kBand) {
        p.setBrush(part.color);
        p.drawPath(bandPath(part.from, part.to));
    }
    p.setBrush(Qt::NoBrush);
    p.setPen(cosmetic(QColor(60, 60, 60), 1));
    p.drawPath(bandPath(0, 1));
    p.setPen(cosmetic(QColor(30, 30, 30), 2));
    for (double f : {0.25, 0.5, 0.75}) p.drawLine(onSweep(f, kBandInner - 60), onSweep(f, kBandOuter));
}

MeterWindow::MeterWindow(const DataDir& dir, QWidget* parent) : QWidget(parent), dir_(dir) {
    setObjectName(QStringLiteral("FRM_Meter"));
    setWindowTitle(tr("RT Meters"));
    // The labels and figures stay beside their dials: one column as wide as
    // the dials are drawn, in the middle of a wider window.
    column_ = new QWidget(this);
    auto* outer = new QHBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addStretch(1);
    outer->addWidget(column_, 100);
    outer->addStretch(1);
    auto* layout = new QVBoxLayout(column_);

    QLabel* heading = label(QStringLiteral("Label8"), tr("Hourly / Daily KWH"));
    QFont bold = heading->font();
    bold.setBold(true);
    heading->setFont(bold);
    layout->addWidget(heading, 0, Qt::AlignHCenter);
    auto* averages = new QGridLayout;
    averages->addWidget(label(QStringLiteral("Label9"), QStringLiteral("H:")), 0, 0);
    averages->addWidget(label(QStringLiteral("Label5(1)"), QStringLiteral("XX.X")), 0, 1);
    averages->addWidget(label(QStringLiteral("Label5(2)"), QStringLiteral("$X.X")), 0, 2);
    averages->addWidget(label(QStringLiteral("Label10"), QStringLiteral("D:")), 1, 0);
    averages->addWidget(label(QStringLiteral("Label7(1)"), QStringLiteral("XX.X")), 1, 1);
    averages->addWidget(label(QStringLiteral("Label7(2)"), QStringLiteral("$X.X")), 1, 2);
    averages->setColumnStretch(1, 1);
    averages->setColumnStretch(2, 1);
    layout->addLayout(averages);

    const struct { int index; double fullScale; const char* titleName; const char* title; const char* figures; } gauges[] = {
        {3, 75, "Label4", "Real Time KW", "Label1"},
        {2, 250, "Label7(0)", "Real Time AMPS", "Label2"},
        {1, 480, "Label6(0)", "Real Time VAC", "Label3"},
    };
    for (const auto& g : gauges) {
        auto* gauge = new Gauge(g.fullScale);
        gauge->setObjectName(QStringLiteral("Picture1(%1)").arg(g.index));
        gauge->setAccessibleName(tr(g.title));
        layout->addWidget(gauge, 1);
        auto* caption = new QHBoxLayout;
        caption->addWidget(label(QString::fromLatin1(g.titleName), tr(g.title)));
        caption->addStretch();
        QLabel* figures = label(QString::fromLatin1(g.figures), QStringLiteral("XX.XX"));
        figures->setFont(bold);
        caption->addWidget(figures);
        layout->addLayout(caption);
        (g.index == 3 ? kw_ : g.index == 2 ? amps_ : volts_) = gauge;
    }

    timer1_ = new QTimer(this);
    timer1_->setObjectName(QStringLiteral("Timer1"));
    timer1_->setInterval(1000);
    connect(timer1_, &QTimer::timeout, this, &MeterWindow::Timer1_Timer);
    timer1_->start();
    resize(280, 620);
    Timer1_Timer();
}

void MeterWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    // The dials get their height from the window's; at that height a dial is
    // this wide, and the column no wider.
    const int dialWidth = int(kw_->height() * kGaugeWidth / kGaugeHeight);
    const QMargins m = column_->layout()->contentsMargins();
    column_->setMaximumWidth(std::max(dialWidth, kw_->minimumWidth()) + m.left() + m.right());
}

QLabel* MeterWindow::label(const QString& name, const QString& text) {
    auto* l = new QLabel(text);
    l->setObjectName(name);
    return l;
}

void MeterWindow::Timer1_Timer() {
    const auto reading = readMeterKws(dir_);
    if (!reading) return;  // missing or short: the previous values stay
    const auto set = [this](const char* name, const QString& text) {
        findChild<QLabel*>(QString::fromLatin1(name))->setText(text);
    };
    set("Label1", reading->Label1);
    set("Label2", reading->Label2);
    set("Label3", reading->Label3);
    kw_->setValue(reading->kwNeedle);
    amps_->setValue(reading->ampsNeedle);
    volts_->setValue(reading->voltsNeedle);
    set("Label5(1)", reading->Label5_1);
    set("Label5(2)", reading->Label5_2);
    set("Label7(1)", reading->Label7_1);
    set("Label7(2)", reading->Label7_2);
}

}  // namespace kelvora
