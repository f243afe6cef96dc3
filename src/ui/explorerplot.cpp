#include "ui/explorerplot.h"

#include "ui/explorerticks.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QRubberBand>
#include <QVarLengthArray>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

namespace kelvora {
namespace {

constexpr int kLeft = 64, kRight = 16, kTop = 28, kBottom = 40;
const QColor kShown(30, 90, 200);
const QColor kShownBand(30, 90, 200, 70);
const QColor kPrevious(230, 120, 20);
const QColor kPreviousBand(230, 120, 20, 50);
const QColor kGrid(225, 225, 225);

// The values a view needs room for: the extremes of what lies in it.
std::pair<double, double> valueSpan(const PlotSeries& s, TimeRange view, double lo, double hi) {
    for (const PlotPoint& p : s.points)
        if (p.ms >= view.from - s.joinMs && p.ms <= view.to + s.joinMs) {
            lo = std::min(lo, double(p.min));
            hi = std::max(hi, double(p.max));
        }
    for (const Bar& b : s.bars)
        if (b.end > view.from && b.start < view.to) {
            lo = std::min(lo, std::min(0.0, b.value));
            hi = std::max(hi, b.value);
        }
    return {lo, hi};
}

// Runs of points close enough to be joined; a wider distance is a gap.
template <typename F>
void forEachRun(const std::vector<PlotPoint>& pts, qint64 joinMs, F f) {
    size_t begin = 0;
    for (size_t i = 1; i <= pts.size(); ++i)
        if (i == pts.size() || pts[i].ms - pts[i - 1].ms > joinMs) {
            f(begin, i);
            begin = i;
        }
}

}  // namespace

ExplorerPlot::ExplorerPlot(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("ExplorerPlot"));
    setMinimumSize(400, 240);
    setMouseTracking(false);
    setCursor(Qt::OpenHandCursor);
    setToolTip(tr("Wheel: zoom   Drag: pan   Right-drag or Shift-drag: zoom into a stretch"));
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);
    setAutoFillBackground(true);
}

void ExplorerPlot::setWhole(TimeRange whole) {
    whole_ = whole;
    view_ = whole;
    result_ = ExploreResult();
    update();
}

void ExplorerPlot::setResult(const ExploreResult& result, const QString& legend, const QString& compareLegend) {
    result_ = result;
    legend_ = legend;
    compareLegend_ = compareLegend;
    update();
}

QRect ExplorerPlot::plotArea() const { return rect().adjusted(kLeft, kTop, -kRight, -kBottom); }

double ExplorerPlot::xOf(qint64 ms) const {
    const QRect a = plotArea();
    return a.left() + double(ms - view_.from) * a.width() / double(std::max<qint64>(1, view_.span()));
}

qint64 ExplorerPlot::msAt(double x) const {
    const QRect a = plotArea();
    return view_.from + qint64((x - a.left()) * double(view_.span()) / std::max(1, a.width()));
}

void ExplorerPlot::setView(TimeRange v) {
    const qint64 span = std::clamp(v.span(), std::min(kMinSpanMs, whole_.span()), whole_.span());
    const qint64 from = std::clamp(v.from, whole_.from, whole_.to - span);
    const TimeRange clamped{from, from + span};
    if (clamped == view_) return;
    view_ = clamped;
    update();
    Q_EMIT viewChanged(view_);
}

void ExplorerPlot::zoomAt(double x, double factor) {
    const qint64 at = msAt(x);
    const double left = double(at - view_.from) * factor, right = double(view_.to - at) * factor;
    setView({at - qint64(left), at + qint64(right)});
}

void ExplorerPlot::panByPixels(double dx) {
    const qint64 shift = qint64(dx * double(view_.span()) / std::max(1, plotArea().width()));
    setView({view_.from - shift, view_.to - shift});
}

void ExplorerPlot::zoomToPixels(double x0, double x1) {
    if (std::abs(x1 - x0) < 4) return;  // a click, not a stretch
    setView({msAt(std::min(x0, x1)), msAt(std::max(x0, x1))});
}

void ExplorerPlot::wheelEvent(QWheelEvent* event) {
    const double notches = event->angleDelta().y() / 120.0;
    if (notches == 0) return;
    zoomAt(event->position().x(), std::pow(0.8, notches));
    event->accept();
}

void ExplorerPlot::mousePressEvent(QMouseEvent* event) {
    dragFrom_ = event->position().toPoint();
    dragView_ = view_;
    const bool band = event->button() == Qt::RightButton ||
                      (event->button() == Qt::LeftButton && event->modifiers() & Qt::ShiftModifier);
    if (band) {
        drag_ = Drag::Band;
        if (!band_) band_ = new QRubberBand(QRubberBand::Rectangle, this);
        band_->setGeometry(QRect(dragFrom_.x(), plotArea().top(), 0, plotArea().height()));
        band_->show();
    } else if (event->button() == Qt::LeftButton) {
        drag_ = Drag::Pan;
        setCursor(Qt::ClosedHandCursor);
    }
}

void ExplorerPlot::mouseMoveEvent(QMouseEvent* event) {
    const int x = event->position().toPoint().x();
    if (drag_ == Drag::Pan) {
        const qint64 shift = qint64(double(x - dragFrom_.x()) * double(dragView_.span()) / std::max(1, plotArea().width()));
        setView({dragView_.from - shift, dragView_.to - shift});
    } else if (drag_ == Drag::Band) {
        band_->setGeometry(QRect(std::min(x, dragFrom_.x()), plotArea().top(), std::abs(x - dragFrom_.x()),
                                 plotArea().height()));
    }
}

void ExplorerPlot::mouseReleaseEvent(QMouseEvent* event) {
    if (drag_ == Drag::Band) {
        band_->hide();
        zoomToPixels(dragFrom_.x(), event->position().x());
    }
    drag_ = Drag::None;
    setCursor(Qt::OpenHandCursor);
}

void ExplorerPlot::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRect a = plotArea();
    const PlotSeries& shown = result_.shown;
    const PlotSeries& previous = result_.compare;
    const bool empty = shown.points.empty() && shown.bars.empty() && previous.points.empty() && previous.bars.empty();

    auto [lo, hi] = valueSpan(previous, view_, HUGE_VAL, -HUGE_VAL);
    std::tie(lo, hi) = valueSpan(shown, view_, lo, hi);
    if (!(hi >= lo)) lo = 0, hi = 1;
    if (hi - lo < 1e-6) lo -= 0.5, hi += 0.5;
    const double pad = (hi - lo) * 0.05;
    lo = lo >= 0 && lo - pad < 0 ? 0 : lo - pad;
    hi += pad;
    const auto yOf = [&](double v) { return a.bottom() - (v - lo) * a.height() / (hi - lo); };

    // The grid and the labels of both axes.
    p.setPen(kGrid);
    const QFontMetrics fm = p.fontMetrics();
    for (const Tick& t : valueTicks(lo, hi)) {
        const double y = yOf(t.value);
        p.setPen(kGrid);
        p.drawLine(QPointF(a.left(), y), QPointF(a.right(), y));
        p.setPen(Qt::black);
        p.drawText(QRectF(0, y - fm.height() / 2.0, kLeft - 6, fm.height()), Qt::AlignRight | Qt::AlignVCenter, t.label);
    }
    for (const Tick& t : timeTicks(view_, a.width())) {
        const double x = xOf(t.ms);
        p.setPen(kGrid);
        p.drawLine(QPointF(x, a.top()), QPointF(x, a.bottom()));
        p.setPen(Qt::black);
        // Kept whole inside the widget at both ends.
        const double w = fm.horizontalAdvance(t.label) + 4;
        const double left = std::clamp(x - w / 2, 0.0, width() - w);
        p.drawText(QRectF(left, a.bottom() + 4, w, fm.height()), Qt::AlignHCenter | Qt::AlignTop, t.label);
    }
    p.setPen(Qt::gray);
    p.drawRect(a);

    p.save();
    p.setClipRect(a);
    const auto drawBars = [&](const PlotSeries& s, const QColor& fill, const QColor& line, double inset) {
        p.setPen(line);
        p.setBrush(fill);
        for (const Bar& b : s.bars) {
            const double x0 = xOf(b.start), x1 = xOf(b.end);
            const double w = x1 - x0;
            p.drawRect(QRectF(QPointF(x0 + w * inset, yOf(std::max(0.0, b.value))),
                              QPointF(x1 - w * inset, yOf(std::min(0.0, b.value)))));
        }
    };
    // The band as one vertical stroke per pixel column, from the lowest to
    // the highest value there (between points, the straight line between
    // their extremes): a filled polygon of thousands of corners draws a
    // hundred times slower.
    const auto drawBand = [&](QPainter& painter, const PlotSeries& s, size_t begin, size_t end, const QColor& colour) {
        QVarLengthArray<QLineF, 2048> strokes;
        const auto column = [&](double x, double top, double bottom) {
            if (x >= a.left() - 1 && x <= a.right() + 1) strokes.append(QLineF(x, yOf(top), x, yOf(bottom)));
        };
        double lastX = -1e9;
        for (size_t i = begin; i < end; ++i) {
            const PlotPoint& q = s.points[i];
            const double x = std::round(xOf(q.ms));
            if (i > begin) {
                const PlotPoint& o = s.points[i - 1];
                const double x0 = lastX;
                // Only the columns on the plot: a view zoomed far into old
                // data has neighbours millions of pixels apart.
                const double stop = std::min(x, double(a.right() + 2));
                for (double c = std::max(x0 + 1, double(a.left() - 1)); c < stop; ++c) {
                    const double f = (c - x0) / (x - x0);
                    column(c, o.max + (q.max - o.max) * f, o.min + (q.min - o.min) * f);
                }
            }
            column(x, q.max, q.min);
            lastX = x;
        }
        QPen pen(colour, 1);
        pen.setCosmetic(true);
        painter.setPen(pen);
        painter.setRenderHint(QPainter::Antialiasing, false);
        painter.drawLines(strokes.constData(), int(strokes.size()));
        painter.setRenderHint(QPainter::Antialiasing, true);
    };
    const auto drawLine = [&](const PlotSeries& s, const QColor& line, const QColor& bandColour) {
        forEachRun(s.points, s.joinMs, [&](size_t begin, size_t end) {
            if (s.banded) drawBand(p, s, begin, end, bandColour);
            QPolygonF mean;
            mean.reserve(int(end - begin));
            for (size_t i = begin; i < end; ++i) mean << QPointF(xOf(s.points[i].ms), yOf(s.points[i].mean));
            QPen pen(line, 1);
            pen.setCosmetic(true);
            p.setPen(pen);
            if (mean.size() == 1)
                p.drawEllipse(mean[0], 1.5, 1.5);
            else
                p.drawPolyline(mean);
        });
    };
    drawBars(previous, Qt::NoBrush, kPrevious, 0.05);
    drawLine(previous, kPrevious, kPreviousBand);
    drawBars(shown, QColor(30, 90, 200, 170), kShown, 0.15);
    drawLine(shown, kShown, kShownBand);
    p.restore();

    // The legend, and a word where there is nothing to draw.
    p.setPen(kShown);
    p.drawText(QPoint(a.left(), kTop - 8), QStringLiteral("\u25A0 ") + legend_);
    if (!compareLegend_.isEmpty()) {
        p.setPen(kPrevious);
        p.drawText(QPoint(a.left() + fm.horizontalAdvance(legend_) + 40, kTop - 8), QStringLiteral("\u25A0 ") + compareLegend_);
    }
    if (empty) {
        p.setPen(Qt::darkGray);
        p.drawText(a, Qt::AlignCenter, tr("Nothing archived in this range"));
    }
}

}  // namespace kelvora
