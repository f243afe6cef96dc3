#include "live/meterneedle.h"

#include "common/format.h"
#include "common/numeric.h"
#include "model/datafiles.h"

#include <algorithm>
#include <cmath>

namespace kelvora {

int roundHalfEven(double value) {
    if (!std::isfinite(value)) return 0;
    const double clamped = std::clamp(value, -2147483648.0, 2147483647.0);
    const double lower = std::floor(clamped);
    const double diff = clamped - lower;
    if (diff > 0.5) return int(lower + 1);
    if (diff < 0.5) return int(lower);
    return std::fmod(lower, 2.0) == 0 ? int(lower) : int(lower + 1);
}

Needle needleFor(double width, double height, const NeedleScale& scale, double value) {
    constexpr double kDegreesPerUnit = 6;
    constexpr double kPi = 3.141592654;
    Needle n;
    n.Needle_CX = roundHalfEven(width / 2);
    n.Needle_CY = int(height) - 2;
    n.Needle_Radius = float(std::min(n.Needle_CX, n.Needle_CY) - 5);
    n.Needle_Margin = roundHalfEven(n.Needle_Radius * scale.marginRatio);
    const double span = scale.inputMax - scale.inputMin;
    const double pos = scale.outputMin + (span == 0 ? 0 : value * (scale.outputMax - scale.outputMin) / span);
    const double angle = (270 - kDegreesPerUnit * pos) * kPi / 180;
    const double length = n.Needle_Radius - n.Needle_Margin;
    n.tip = QPointF(std::sin(angle) * length + n.Needle_CX, std::cos(angle) * length + n.Needle_CY);
    return n;
}

std::optional<MeterReading> readMeterKws(const DataDir& dir) {
    const auto fields = dir.readRecords(files::MeterKWS);
    if (!fields || fields->size() < 10) return std::nullopt;
    // The average costs come as shown on the Current tab, with their dollar sign.
    const auto number = [&](int i) { return moneyValue(fields->at(i - 1)); };
    MeterReading m;
    m.kwNeedle = roundHalfEven(number(1));
    m.ampsNeedle = roundHalfEven(number(2));
    m.voltsNeedle = roundHalfEven(number(3));
    m.Label1 = formatNumber(number(4), u"#0.0");
    m.Label2 = formatNumber(number(5), u"##0.0");
    m.Label3 = formatNumber(number(6), u"###.0");
    m.Label5_1 = formatNumber(number(7), u"#0.0");
    // In the currency the main window showed them in.
    const auto money = [&](int i) {
        const QStringView symbol = moneySymbol(fields->at(i - 1));
        return formatMoney(number(i), u"$0.0", symbol.isEmpty() ? u"$" : symbol);
    };
    m.Label5_2 = money(8);
    m.Label7_1 = formatNumber(number(9), u"#0.0");
    m.Label7_2 = money(10);
    return m;
}

}  // namespace kelvora
