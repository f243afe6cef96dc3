#pragma once
#include "history/archivereader.h"

#include <QPointer>
#include <QWidget>

class QRubberBand;

namespace kelvora {

// The explorer's plot: a time axis of any length, the quantity as a mean
// line inside the band of its extremes (or as bars), the previous period
// beneath it. Zoom with the wheel or a rubber band (right button, or Shift
// with the left), pan by dragging; the view never leaves the whole range.
// It draws what it was given on the view it has, at once, and tells the
// window which view it needs data for.
class ExplorerPlot : public QWidget {
    Q_OBJECT
public:
    explicit ExplorerPlot(QWidget* parent = nullptr);

    // The range zoom and pan stay within; the view becomes all of it.
    void setWhole(TimeRange whole);
    TimeRange whole() const { return whole_; }
    TimeRange view() const { return view_; }
    // Within the whole range, no narrower than kMinSpanMs.
    void setView(TimeRange view);
    void setResult(const ExploreResult& result, const QString& legend, const QString& compareLegend);
    const ExploreResult& result() const { return result_; }

    QRect plotArea() const;
    // Pixel columns of the plot area: the width data is asked for.
    int columns() const { return std::max(1, plotArea().width()); }

    // The steps behind the mouse, in plot pixels.
    void zoomAt(double x, double factor);  // factor < 1 zooms in
    void panByPixels(double dx);
    void zoomToPixels(double x0, double x1);

    // No view narrower than this.
    static constexpr qint64 kMinSpanMs = 10 * 60'000;

Q_SIGNALS:
    void viewChanged(const kelvora::TimeRange& view);

protected:
    void paintEvent(QPaintEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    double xOf(qint64 ms) const;
    qint64 msAt(double x) const;

    TimeRange whole_;
    TimeRange view_;
    ExploreResult result_;
    QString legend_, compareLegend_;
    // Dragging: where it began and the view then.
    enum class Drag { None, Pan, Band } drag_ = Drag::None;
    QPoint dragFrom_;
    TimeRange dragView_;
    QRubberBand* band_ = nullptr;
};

}  // namespace kelvora
