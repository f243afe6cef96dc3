#pragma once
#include "common/datadir.h"

#include <QColor>
#include <QString>

namespace kelvora {

class FieldModel;
struct SharedState;

// The price per KWH in Text100(7), changed by clicking the field: it turns
// yellow while the new price is asked for, and light grey again afterwards.
inline const QColor kPriceAsking = QColor(255, 255, 0);
inline const QColor kPriceShown = QColor(224, 224, 224);
inline const QString kPricePrompt = QStringLiteral("Enter New Cost per KWH");

void beginPriceEntry(FieldModel& fields);
// A number above 0 becomes the price and is saved in KWH_last_data.dat with
// the month-to-date totals; anything else (0, negative, not a number, no
// answer) leaves the price as it was. The field shows the price ("0.###0").
// True when the price changed.
bool endPriceEntry(const QString& answer, SharedState& shared, FieldModel& fields, const DataDir& dir);

}  // namespace kelvora
