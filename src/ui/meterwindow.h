#pragma once
#include "live/meterneedle.h"

#include <QWidget>

class QLabel;
class QTimer;

namespace kelvora {

class DataDir;

// One analogue gauge: the dial face (a semicircular band white, green, yellow
// over the top, red over the last quarter, ticks at a quarter, half and three
// quarters, a dark blue hub at the bottom centre) and a red needle, drawn in
// the gauge picture's twip coordinates scaled to the widget. The picture
// keeps its proportions at every size, centred in the widget.
class Gauge : public QWidget {
    Q_OBJECT
public:
    Gauge(double fullScale, QWidget* parent = nullptr);

    void setValue(int value);
    int value() const { return value_; }
    // The needle as last drawn, in twips.
    Needle needle() const;
    // Where the gauge picture lies in the widget.
    QRectF pictureRect() const;

    QSize sizeHint() const override { return QSize(227, 119); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void drawFace(QPainter& p) const;

    double fullScale_;
    int value_ = 0;
};

// The window FRM_Meter ("RT Meters"): real-time KW, total amps and line
// voltage as gauges with their figures, and the hourly and daily average KWH
// and cost, all re-read from MeterKWS.dat once a second. A missing or short
// file leaves the previous values and needles.
class MeterWindow : public QWidget {
    Q_OBJECT
public:
    explicit MeterWindow(const DataDir& dir, QWidget* parent = nullptr);

    void Timer1_Timer();
    QTimer& timer1() { return *timer1_; }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    QLabel* label(const QString& name, const QString& text);

    const DataDir& dir_;
    QWidget* column_ = nullptr;
    Gauge* kw_ = nullptr;
    Gauge* amps_ = nullptr;
    Gauge* volts_ = nullptr;
    QTimer* timer1_ = nullptr;
};

}  // namespace kelvora
