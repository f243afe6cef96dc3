#include "common/variant.h"

#include "common/numeric.h"

#include <cmath>

namespace kelvora {

Variant Variant::FromField(const QString& field, bool quoted) {
    bool isNumber = false;
    const double n = field.toDouble(&isNumber);
    return !quoted && isNumber && std::isfinite(n) ? Number(n) : Text(field);
}

double Variant::value() const { return isNumber ? number : numericValue(text); }

QString Variant::display() const { return isNumber ? numberText(number) : text; }

}  // namespace kelvora
