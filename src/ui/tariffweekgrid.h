#pragma once
#include "energy/tariff.h"

#include <QWidget>

#include <optional>

namespace kelvora {

// The week of one tariff plan as a grid of 7 days by 24 hours, each minute
// coloured by its price (cheapest green, dearest red), with a legend of the
// plan's prices below. A band that starts within an hour shows as part of
// that hour's cell. Without a plan (its lines are faulty) the grid says so.
class TariffWeekGrid : public QWidget {
    Q_OBJECT
public:
    explicit TariffWeekGrid(QWidget* parent = nullptr);

    void setPlan(std::optional<TariffPlan> plan);
    // Put before each price of the legend ("$").
    void setCurrencySymbol(const QString& symbol);
    const std::optional<TariffPlan>& plan() const { return plan_; }
    // The colour the grid gives a price, from the plan's cheapest to its dearest.
    QColor colourOf(double price) const;
    // The distinct prices of the plan, cheapest first: the legend.
    QList<double> prices() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    bool event(QEvent* event) override;

private:
    QRectF gridRect() const;
    int legendRows() const;
    // The band under a point of the grid, as its tooltip text.
    QString describeAt(QPointF point) const;

    std::optional<TariffPlan> plan_;
    QString symbol_ = QStringLiteral("$");
};

}  // namespace kelvora
