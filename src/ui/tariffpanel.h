#pragma once
#include <QGroupBox>
#include <functional>

class QLabel;
class QLineEdit;

namespace kelvora {

class Clock;
class FieldModel;
class TariffBook;
struct Settings;

// The Set-Up page "Tariff": which plan is in force, "Edit Tariff…" (opens the
// tariff editor), and the currency: the symbol shown with amounts and the
// code told to the home-automation hub.
class TariffPanel : public QGroupBox {
    Q_OBJECT
public:
    struct Parts {
        const TariffBook& book;
        FieldModel& fields;  // Text100(7), the price shown
        const Clock& clock;
        const Settings& settings;  // the currency in use
        // Saves a new symbol and code; false when refused.
        std::function<bool(const QString& symbol, const QString& code)> setCurrency;
        std::function<void()> openEditor;
    };
    explicit TariffPanel(Parts parts, QWidget* parent = nullptr);

private:
    void showInForce();
    void saveCurrency();

    Parts parts_;
    QLabel* inForce_;
    QLineEdit* symbol_;
    QLineEdit* code_;
    QLabel* currencyMessage_;
};

}  // namespace kelvora
