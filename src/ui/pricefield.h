#pragma once
#include "common/datadir.h"
#include "model/fieldmodel.h"
#include "model/sharedstate.h"

#include <QObject>
#include <functional>

class QLineEdit;

namespace kelvora {

// Makes the price field Text100(7) ask for a new price per KWH when it is
// clicked (or Enter is pressed on it): yellow while asking, light grey after.
// With a tariff file the price comes from it: the click opens the tariff
// editor instead.
class PriceField : public QObject {
    Q_OBJECT
public:
    // The answer to "Enter New Cost per KWH"; empty when cancelled.
    using Ask = std::function<QString(QWidget* parent, const QString& current)>;
    using OpenEditor = std::function<void()>;
    PriceField(SharedState& shared, FieldModel& fields, const DataDir& dir, QLineEdit* field, Ask ask = askPrice,
               OpenEditor openEditor = {});

    void Text100_Click();
    static QString askPrice(QWidget* parent, const QString& current);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    SharedState& shared_;
    FieldModel& fields_;
    const DataDir& dir_;
    QLineEdit* field_;
    Ask ask_;
    OpenEditor openEditor_;
};

}  // namespace kelvora
