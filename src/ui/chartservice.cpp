#include "ui/chartservice.h"

#include "common/numeric.h"

#include <QApplication>
#include <QBarSeries>
#include <QBarSet>
#include <QCategoryAxis>
#include <QChart>
#include <QChartView>
#include <QClipboard>
#include <QLineSeries>
#include <QRandomGenerator>
#include <QVBoxLayout>
#include <QValueAxis>
#include <algorithm>
#include <cmath>

namespace kelvora {

// The chart's room right of the plot, where half of the last label stands.
constexpr int kRightMargin = 30;

QColor chartColor(int red, int green, int blue) {
    return QColor(std::clamp(red, 0, 255), std::clamp(green, 0, 255), std::clamp(blue, 0, 255));
}

// Ticks on round numbers (1, 2 or 5 times a power of ten, about five of
// them), whatever odd limits a caller sets (-0.8 to 5.4).
// The 1, 2 or 5 times a power of ten at or above `raw`.
static double roundStep(double raw) {
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    for (double m : {1.0, 2.0, 5.0})
        if (raw <= m * power) return m * power;
    return power * 10;
}

static void placeTicks(QValueAxis* axis) {
    const double span = axis->max() - axis->min();
    if (!(span > 0) || !std::isfinite(span)) return;
    const double step = roundStep(span / 5);
    const int decimals = std::max(0, int(-std::floor(std::log10(step))));
    axis->setLabelFormat(QStringLiteral("%.") + QString::number(decimals) + QStringLiteral("f"));
    axis->setTickAnchor(std::ceil(axis->min() / step) * step);
    axis->setTickInterval(step);
    axis->setTickType(QValueAxis::TicksDynamic);
}

// A new range with ticks on round numbers. The ticks are fixed in number
// while the range changes: with the last range's interval still in force a
// range a thousand times wider would lay out a thousand times the ticks (the
// first waveform took seconds of CPU that way).
static void setValueRange(QValueAxis* axis, double lo, double hi, bool niceNumbers = false) {
    axis->setTickType(QValueAxis::TicksFixed);
    axis->setRange(lo, hi);
    if (niceNumbers) axis->applyNiceNumbers();
    placeTicks(axis);
}

// The axis line, its ticks and the grid as one-pixel hair lines, as the
// chart's theme draws them: a line item with a pen of some width works out
// its outline as a stroked path each time the view asks where it is, which
// it does for every line on every refresh of the plot.
static void drawHairLines(QAbstractAxis* axis) {
    for (auto [get, set] : {std::pair{&QAbstractAxis::linePen, &QAbstractAxis::setLinePen},
                            std::pair{&QAbstractAxis::gridLinePen, &QAbstractAxis::setGridLinePen},
                            std::pair{&QAbstractAxis::minorGridLinePen, &QAbstractAxis::setMinorGridLinePen}}) {
        QPen pen = (axis->*get)();
        if (pen.widthF() > 1) continue;
        pen.setWidthF(0);
        (axis->*set)(pen);
    }
}

// The axes and the one series; present only while the column count is 1.
class ChartView::Axes {
public:
    QCategoryAxis* x = nullptr;
    QValueAxis* y = nullptr;
    QLineSeries* line = nullptr;
    QBarSeries* bars = nullptr;
    QAbstractSeries* series() const {
        if (line) return line;
        return bars;
    }
};

ChartView::ChartView(Style style, QWidget* parent)
    : QWidget(parent), style_(style), chart_(new QChart), axes_(new Axes) {
    chart_->legend()->hide();
    chart_->setMargins(QMargins(24, 6, kRightMargin, 6));  // room for the first and last row label
    QFont titleFont = chart_->titleFont();
    titleFont.setBold(true);
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.2);
    chart_->setTitleFont(titleFont);

    axes_->x = new QCategoryAxis;
    axes_->x->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    axes_->x->setGridLineVisible(false);
    axes_->y = new QValueAxis;
    chart_->addAxis(axes_->x, Qt::AlignBottom);
    chart_->addAxis(axes_->y, Qt::AlignLeft);
    drawHairLines(axes_->x);
    drawHairLines(axes_->y);

    view_ = new QChartView(chart_);
    view_->setRenderHint(QPainter::Antialiasing);
    // The view paints the chart's white itself, with one plain fill: the
    // chart's own background is an antialiased rounded shape, and the theme's
    // brush is a gradient from white to white, fetched pixel by pixel in
    // pieces that Qt hands to its worker threads (a fifteenth of the app's
    // time with every window open).
    view_->setBackgroundBrush(QColor(Qt::white));
    chart_->setBackgroundVisible(false);
    view_->setObjectName(QStringLiteral("chartView"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(view_);
    setMinimumSize(240, 160);
    createSeries();
    loadSeries();
}

ChartView::~ChartView() { delete axes_; }

void ChartView::setTitle(const QString& title) {
    // The waveforms set their title on every refresh; an unchanged one must
    // not lay the chart out again.
    if (chart_->title() != title) chart_->setTitle(title);
}
QString ChartView::title() const { return chart_->title(); }
void ChartView::setCategoryAxisTitle(const QString& title) { axes_->x->setTitleText(title); }
void ChartView::setValueAxisTitle(const QString& title) { axes_->y->setTitleText(title); }
QString ChartView::categoryAxisTitle() const { return axes_->x->titleText(); }
QString ChartView::valueAxisTitle() const { return axes_->y->titleText(); }

void ChartView::setColumnCount(int count) {
    columns_ = count <= 0 ? 0 : 1;
    for (Row& r : rows_) r.value.reset();
    if (columns_ == 1 && randomFill_)
        for (Row& r : rows_) r.value = QRandomGenerator::global()->bounded(100);
    // The one series object stays; hidden and emptied it is no series at all,
    // and a chart cleared on every refresh does not rebuild its series. It is
    // shown or hidden at the load, so "0 then 1" does not hide it in between.
    scheduleLoad();
}

void ChartView::setRowCount(int rows) {
    rows_.resize(std::max(rows, 0));
    scheduleLoad();
}

void ChartView::setRow(int row) {
    if (row < 1) return;
    row_ = row;
    if (row > rowCount()) setRowCount(row);
}

void ChartView::setData(const QString& number) {
    if (row_ > rowCount() || columns_ == 0) return;
    rows_[row_ - 1].value = numericValue(number);
    scheduleLoad();
}

void ChartView::setRowLabel(const QString& label) {
    if (row_ > rowCount()) return;
    rows_[row_ - 1].label = label;
    scheduleLoad();
}

void ChartView::setPoints(const QList<ChartPoint>& points) {
    rows_.clear();
    rows_.reserve(points.size());
    for (const ChartPoint& p : points) rows_.append(Row{columns_ ? std::optional(p.value) : std::nullopt, p.label});
    loadPending_ = false;
    loadSeries();
}

QList<ChartPoint> ChartView::points() const {
    QList<ChartPoint> shown;
    for (const Row& r : rows_)
        if (r.value) shown.append(ChartPoint{r.label, *r.value});
    return shown;
}

std::optional<double> ChartView::value(int row) const {
    if (row < 1 || row > rowCount()) return std::nullopt;
    return rows_[row - 1].value;
}

QString ChartView::rowLabel(int row) const {
    if (row < 1 || row > rowCount()) return {};
    return rows_[row - 1].label;
}

void ChartView::setPenColor(int red, int green, int blue) {
    pen_ = chartColor(red, green, blue);
    if (axes_->line) axes_->line->setPen(QPen(pen_, 2));
    if (axes_->bars) scheduleLoad();
}

void ChartView::setPointFillColor(int red, int green, int blue) {
    fill_ = chartColor(red, green, blue);
    if (axes_->line) axes_->line->setBrush(fill_);
    if (axes_->bars) scheduleLoad();
}

void ChartView::setValueAxisAuto(bool on) {
    auto_ = on;
    if (on) {
        fitValueAxis();
        return;
    }
    // Off keeps the scale shown until a minimum or maximum is set.
    minimum_ = axes_->y->min();
    maximum_ = axes_->y->max();
}

void ChartView::setValueAxisMinimum(double minimum) {
    auto_ = false;
    minimum_ = minimum;
    setValueRange(axes_->y, minimum_, std::max(minimum_, maximum_));
}

void ChartView::setValueAxisMaximum(double maximum) {
    auto_ = false;
    maximum_ = maximum;
    setValueRange(axes_->y, std::min(minimum_, maximum_), maximum_);
}

double ChartView::valueAxisMinimum() const { return axes_->y->min(); }
double ChartView::valueAxisMaximum() const { return axes_->y->max(); }

void ChartView::setCategoryLabelLimit(int labels) {
    labelLimit_ = std::max(labels, 0);
    loadCategoryLabels();
}

void ChartView::setCategoryLabelsFromNewest(bool on) {
    labelsFromNewest_ = on;
    loadCategoryLabels();
}

QPixmap ChartView::picture() {
    flush();
    return view_->grab();
}

void ChartView::copyToClipboard() { QApplication::clipboard()->setPixmap(picture()); }

void ChartView::renderChart(QPainter& painter, const QRectF& target) {
    flush();
    view_->render(&painter, target, view_->viewport()->rect(), Qt::IgnoreAspectRatio);
}

void ChartView::flush() {
    if (!loadPending_) return;
    loadPending_ = false;
    loadSeries();
}

void ChartView::scheduleLoad() {
    if (loadPending_) return;
    loadPending_ = true;
    QMetaObject::invokeMethod(this, &ChartView::flush, Qt::QueuedConnection);
}

void ChartView::createSeries() {
    if (style_ == Style::Line) {
        axes_->line = new QLineSeries;
        axes_->line->setPen(QPen(pen_, 2));
        axes_->line->setBrush(fill_);
    } else {
        axes_->bars = new QBarSeries;
        axes_->bars->setBarWidth(0.8);
    }
    chart_->addSeries(axes_->series());
    axes_->series()->attachAxis(axes_->x);
    axes_->series()->attachAxis(axes_->y);
}

// The x position of a row: rows 1..n on a line chart, bars 0..n-1 (a bar
// series places its bars by index).
static double rowPosition(int row, ChartView::Style style) {
    return style == ChartView::Style::Line ? row : row - 1;
}

void ChartView::loadSeries() {
    ++loads_;
    axes_->series()->setVisible(columns_ == 1);
    if (axes_->line) {
        QList<QPointF> xy;
        xy.reserve(rows_.size());
        for (int i = 0; i < rows_.size(); ++i)
            if (rows_[i].value) xy.append(QPointF(rowPosition(i + 1, style_), *rows_[i].value));
        axes_->line->replace(xy);
    } else if (axes_->bars) {
        QList<qreal> values;
        values.reserve(rows_.size());
        for (const Row& r : rows_) values.append(r.value.value_or(0));
        auto* set = new QBarSet(QString());
        set->setColor(fill_);
        set->setBorderColor(pen_);
        set->append(values);
        axes_->bars->clear();
        axes_->bars->append(set);
    }
    const int n = std::max<int>(rowCount(), 1);
    if (style_ == Style::Line)
        axes_->x->setRange(1, std::max(n, 2));
    else
        axes_->x->setRange(-0.5, n - 0.5);
    loadCategoryLabels();
    if (auto_) fitValueAxis();
}

void ChartView::loadCategoryLabels() {
    // The labels are spread over the rows that have one, so that a chart
    // whose unlabelled rows are gaps (a bar graph that skips zero values)
    // still names the bars it draws.
    QList<int> labelled;
    for (int row = 1; row <= rowCount(); ++row)
        if (!rows_[row - 1].label.isEmpty()) labelled << row;
    const QList<int> rows = labelledRowsToShow(labelled, labelsThatFit());
    QList<std::pair<QString, double>> wanted;
    // The axis wants distinct labels; an invisible suffix keeps equal row
    // labels apart.
    for (int row : rows)
        wanted.append({rows_[row - 1].label + QString(wanted.size(), QChar(0x200B)), rowPosition(row, style_)});
    if (labelsFromNewest_) keepRoomForTheNewestLabel(rows);
    if (wanted == shownLabels_) return;
    shownLabels_ = wanted;
    QCategoryAxis* x = axes_->x;
    for (const QString& old : x->categoriesLabels()) x->remove(old);
    x->setStartValue(rowPosition(1, style_) - 1);
    for (const auto& [label, position] : wanted) x->append(label, position);
}

QList<int> ChartView::labelledRowsToShow(const QList<int>& labelled, int limit) const {
    if (labelled.isEmpty() || limit <= 0) return {};
    // Labels at least this many rows apart do not run into each other.
    const int gap = (rowCount() + limit - 1) / limit;
    // A label is centred on its row; one nearer an end of the axis than half
    // its room would stand out past the axis, and Qt hides it.
    const int margin = gap > 1 ? gap / 2 : 0;
    QList<int> rows;
    if (labelsFromNewest_) {
        // The newest row always; the chart's right margin makes its room.
        for (auto it = labelled.crbegin(); it != labelled.crend(); ++it) {
            if (*it <= margin) break;
            if (!rows.isEmpty() && rows.first() - *it < gap) continue;
            rows.prepend(*it);
        }
        return rows;
    }
    const auto pick = [&](int m) {
        QList<int> picked;
        for (int row : labelled) {
            if (row <= m || row > rowCount() - m) continue;
            if (!picked.isEmpty() && row - picked.last() < gap) continue;
            picked << row;
        }
        return picked;
    };
    rows = pick(margin);
    // A bar graph whose only bars stand at an end still names them.
    if (rows.isEmpty()) rows = pick(0);
    return rows;
}

void ChartView::keepRoomForTheNewestLabel(const QList<int>& shown) {
    const int half = shown.isEmpty()
                         ? 0
                         : QFontMetrics(axes_->x->labelsFont()).horizontalAdvance(rows_[shown.last() - 1].label) / 2;
    QMargins margins = chart_->margins();
    const int right = std::max(kRightMargin, half);
    if (margins.right() == right) return;
    margins.setRight(right);
    chart_->setMargins(margins);
}

// No more labels than the plot's width takes without cutting them short.
// The longest label stands for all: measuring each of 20,160 would cost more
// than the load, and stamps differ in length ("1/1/2026 1:00:00 AM",
// "12/31/2026 11:00:00 PM"), so no one row can stand for the others.
int ChartView::labelsThatFit() const {
    if (labelLimit_ == 0 || rows_.isEmpty()) return 0;
    const QFontMetrics metrics(axes_->x->labelsFont());
    const Row& longest = *std::max_element(rows_.begin(), rows_.end(), [](const Row& a, const Row& b) {
        return a.label.size() < b.label.size();
    });
    const int widest = metrics.horizontalAdvance(longest.label);
    const double plotWidth = chart_->plotArea().width() > 0 ? chart_->plotArea().width() : width() * 0.85;
    // Qt gives each of n category labels the axis width over n + 1, less its
    // padding, and cuts a longer label short.
    const int fit = int(plotWidth / (widest + 3 * metrics.averageCharWidth())) - 1;
    return std::clamp(fit, 1, labelLimit_);
}

void ChartView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    loadCategoryLabels();
}

void ChartView::fitValueAxis() {
    double lo = 0;
    double hi = 0;
    bool any = false;
    for (const Row& r : rows_) {
        if (!r.value || !std::isfinite(*r.value)) continue;
        lo = any ? std::min(lo, *r.value) : *r.value;
        hi = any ? std::max(hi, *r.value) : *r.value;
        any = true;
    }
    if (style_ == Style::Bars) {
        lo = std::min(lo, 0.0);
        hi = std::max(hi, 0.0);
    }
    if (!any) {
        lo = 0;
        hi = 1;
    }
    if (hi - lo < 1e-9) {
        lo -= 1;
        hi += 1;
    }
    const double step = roundStep((hi - lo) / 5);
    const std::pair grid{std::floor(lo / step) * step, std::ceil(hi / step) * step};
    QValueAxis* y = axes_->y;
    const std::pair shown{y->min(), y->max()};
    if (fitted_ && fitted_->grid == grid && fitted_->axis == shown && lo >= shown.first && hi <= shown.second) return;
    setValueRange(y, lo, hi, true);
    fitted_ = Fit{grid, {y->min(), y->max()}};
}

}  // namespace kelvora
