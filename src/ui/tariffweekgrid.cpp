#include "ui/tariffweekgrid.h"

#include "common/format.h"

#include <QHelpEvent>
#include <QPainter>
#include <QToolTip>

#include <algorithm>

namespace kelvora {
namespace {

constexpr int kMinutesPerDay = 24 * 60;
const char* const kDays[7] = {"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"};
constexpr int kCell = 22;        // a cell's width and height at the preferred size
constexpr int kLegendRow = 20;

QString clockText(int minute) {
    return QStringLiteral("%1:%2").arg(minute / 60, 2, 10, QLatin1Char('0')).arg(minute % 60, 2, 10, QLatin1Char('0'));
}

}  // namespace

TariffWeekGrid::TariffWeekGrid(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("tariffWeekGrid"));
    setAccessibleName(tr("Week of the selected plan, coloured by price"));
    setMouseTracking(true);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
}

void TariffWeekGrid::setPlan(std::optional<TariffPlan> plan) {
    plan_ = std::move(plan);
    update();
}

void TariffWeekGrid::setCurrencySymbol(const QString& symbol) {
    symbol_ = symbol;
    update();
}

QList<double> TariffWeekGrid::prices() const {
    QList<double> prices;
    if (plan_)
        for (const TariffBand& b : plan_->bands)
            if (!prices.contains(b.price)) prices << b.price;
    std::sort(prices.begin(), prices.end());
    return prices;
}

QColor TariffWeekGrid::colourOf(double price) const {
    const QList<double> all = prices();
    if (all.size() < 2) return QColor::fromHsv(120, 140, 225);
    const double share = (price - all.first()) / (all.last() - all.first());
    return QColor::fromHsv(int(120 * (1 - share)), 150, 230);  // green to red
}

// The legend: a row per price, and one for the daily charge.
int TariffWeekGrid::legendRows() const {
    return std::max<int>(1, int(prices().size()) + (plan_ && plan_->dailyCharge != 0));
}

QSize TariffWeekGrid::sizeHint() const {
    const int legendRows = this->legendRows();
    return {fontMetrics().horizontalAdvance(QStringLiteral("Wed ")) + 24 * kCell + 8,
            fontMetrics().height() + 7 * kCell + 12 + legendRows * kLegendRow};
}

QSize TariffWeekGrid::minimumSizeHint() const { return {24 * 10 + 40, 7 * 12 + 80}; }

QRectF TariffWeekGrid::gridRect() const {
    const int left = fontMetrics().horizontalAdvance(QStringLiteral("Wed ")) + 4;
    const int top = fontMetrics().height() + 4;
    const int legend = legendRows() * kLegendRow + 8;
    return QRectF(left, top, std::max(width() - left - 6, 24), std::max(height() - top - legend, 7));
}

void TariffWeekGrid::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), palette().base());
    const QRectF grid = gridRect();
    const double cellW = grid.width() / 24, cellH = grid.height() / 7;
    p.setPen(palette().color(QPalette::Text));
    for (int h = 0; h <= 24; h += 3)
        p.drawText(QRectF(grid.left() + h * cellW - 20, 0, 40, grid.top()), Qt::AlignCenter, QString::number(h));
    for (int d = 0; d < 7; ++d)
        p.drawText(QRectF(0, grid.top() + d * cellH, grid.left() - 4, cellH), Qt::AlignRight | Qt::AlignVCenter,
                   QLatin1String(kDays[d]));
    if (!plan_) {
        p.fillRect(grid, palette().window());
        p.drawText(grid, Qt::AlignCenter | Qt::TextWordWrap, tr("No week to show: the plan's lines have faults"));
        return;
    }
    // Runs of minutes in one band, day by day.
    for (int d = 0; d < 7; ++d) {
        for (int m = 0; m < kMinutesPerDay;) {
            const qint16 band = plan_->bandOfMinute[size_t(d * kMinutesPerDay + m)];
            int end = m;
            while (end < kMinutesPerDay && plan_->bandOfMinute[size_t(d * kMinutesPerDay + end)] == band) ++end;
            const QRectF run(grid.left() + m * grid.width() / kMinutesPerDay, grid.top() + d * cellH,
                             (end - m) * grid.width() / kMinutesPerDay, cellH);
            p.fillRect(run, colourOf(plan_->bands[size_t(band)].price));
            m = end;
        }
    }
    p.setPen(QPen(palette().color(QPalette::Mid), 0));
    for (int h = 0; h <= 24; ++h) p.drawLine(QPointF(grid.left() + h * cellW, grid.top()), QPointF(grid.left() + h * cellW, grid.bottom()));
    for (int d = 0; d <= 7; ++d) p.drawLine(QPointF(grid.left(), grid.top() + d * cellH), QPointF(grid.right(), grid.top() + d * cellH));
    p.setPen(palette().color(QPalette::Text));
    double y = grid.bottom() + 8;
    for (double price : prices()) {
        p.fillRect(QRectF(grid.left(), y + 3, 28, kLegendRow - 6), colourOf(price));
        p.drawRect(QRectF(grid.left(), y + 3, 28, kLegendRow - 6));
        p.drawText(QRectF(grid.left() + 36, y, grid.width() - 36, kLegendRow), Qt::AlignLeft | Qt::AlignVCenter,
                   tr("%1 per KWH").arg(symbol_ + formatNumber(price, u"0.###0")));
        y += kLegendRow;
    }
    if (plan_->dailyCharge != 0)
        p.drawText(QRectF(grid.left(), y, grid.width(), kLegendRow), Qt::AlignLeft | Qt::AlignVCenter,
                   tr("and a daily charge of %1").arg(symbol_ + formatNumber(plan_->dailyCharge, u"0.00##")));
}

QString TariffWeekGrid::describeAt(QPointF point) const {
    const QRectF grid = gridRect();
    if (!plan_ || !grid.contains(point)) return {};
    const int day = std::clamp(int((point.y() - grid.top()) * 7 / grid.height()), 0, 6);
    const int minute = std::clamp(int((point.x() - grid.left()) * kMinutesPerDay / grid.width()), 0, kMinutesPerDay - 1);
    const TariffBand& band = plan_->bands[size_t(plan_->bandOfMinute[size_t(day * kMinutesPerDay + minute)])];
    return tr("%1 %2: %3 per KWH (line %4: %5 %6-%7)")
        .arg(QLatin1String(kDays[day]), clockText(minute), symbol_ + formatNumber(band.price, u"0.###0"))
        .arg(band.line)
        .arg(band.days, band.from, band.to);
}

bool TariffWeekGrid::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        const QString text = describeAt(help->pos());
        if (text.isEmpty()) QToolTip::hideText();
        else QToolTip::showText(help->globalPos(), text, this);
        return true;
    }
    return QWidget::event(event);
}

}  // namespace kelvora
