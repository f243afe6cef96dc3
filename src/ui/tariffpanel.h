#pragma once
#include <QGroupBox>
#include <functional>

class QLabel;
class QLineEdit;

namespace kelvora {

class KelvoraCore;

// The Set-Up page "Tariff": which plan is in force, "Edit Tariff…" (opens the
// tariff editor), and the currency: the symbol shown with amounts and the
// code told to the home-automation hub.
class TariffPanel : public QGroupBox {
    Q_OBJECT
public:
    TariffPanel(KelvoraCore& core, std::function<void()> openEditor, QWidget* parent = nullptr);

private:
    void showInForce();
    void saveCurrency();

    KelvoraCore& core_;
    QLabel* inForce_;
    QLineEdit* symbol_;
    QLineEdit* code_;
    QLabel* currencyMessage_;
};

}  // namespace kelvora
