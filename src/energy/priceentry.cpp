#include "energy/priceentry.h"

#include "common/format.h"
#include "common/numeric.h"
#include "model/savedtotals.h"
#include "model/fieldmodel.h"
#include "model/sharedstate.h"

#include <QRegularExpression>
#include <cmath>

namespace kelvora {
namespace {

const QString kPriceField = QStringLiteral("Text100(7)");

// The whole answer is one decimal number (blanks around it allowed).
bool isNumber(const QString& text) {
    static const QRegularExpression number(QStringLiteral(R"(^\s*[+-]?(\d+\.?\d*|\.\d+)([eE][+-]?\d+)?\s*$)"));
    return number.match(text).hasMatch();
}

}  // namespace

void beginPriceEntry(FieldModel& fields) { fields.setColor(kPriceField, kPriceAsking); }

bool endPriceEntry(const QString& answer, SharedState& shared, FieldModel& fields, const DataDir& dir) {
    const double price = isNumber(answer) ? numericValue(answer.trimmed()) : 0;
    const bool accepted = price > 0 && std::isfinite(price);
    if (accepted) {
        shared.Cost_per_KWH = price;
        writeKwhLastData(dir, shared.Total_KWH_Saved, shared.Total_Cost_Saved, shared.Cost_per_KWH);
    }
    fields.setText(kPriceField, formatNumber(shared.Cost_per_KWH, u"0.###0"));
    fields.setColor(kPriceField, kPriceShown);
    return accepted;
}

}  // namespace kelvora
