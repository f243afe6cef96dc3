#include "ui/tariffpanel.h"

#include "common/clock.h"
#include "energy/tariffbook.h"
#include "model/fieldmodel.h"
#include "model/settings.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>

namespace kelvora {

TariffPanel::TariffPanel(Parts parts, QWidget* parent) : QGroupBox(tr("Tariff"), parent), parts_(std::move(parts)) {
    setObjectName(QStringLiteral("frameTariff"));
    inForce_ = new QLabel(this);
    inForce_->setObjectName(QStringLiteral("tariffPlanInForce"));
    inForce_->setWordWrap(true);
    auto* edit = new QPushButton(tr("Edit Tariff\u2026"), this);
    edit->setObjectName(QStringLiteral("CMD_Edit_Tariff"));
    connect(edit, &QPushButton::clicked, this, [this] { parts_.openEditor(); });

    const Settings& s = parts_.settings;
    symbol_ = new QLineEdit(currencySymbol(s), this);
    symbol_->setObjectName(QStringLiteral("currencySymbol"));
    symbol_->setMaxLength(4);
    symbol_->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[^0-9+\\-.,\"\\s]{1,4}")), this));
    code_ = new QLineEdit(currencyCode(s), this);
    code_->setObjectName(QStringLiteral("currencyCode"));
    code_->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[A-Z]{3}")), this));
    code_->setToolTip(tr("Three capital letters (ISO 4217), as the home-automation hub expects: USD, EUR, GBP"));
    auto* save = new QPushButton(tr("Save currency"), this);
    save->setObjectName(QStringLiteral("CMD_Currency_Save"));
    connect(save, &QPushButton::clicked, this, &TariffPanel::saveCurrency);
    currencyMessage_ = new QLabel(this);
    currencyMessage_->setObjectName(QStringLiteral("currencyMessage"));
    currencyMessage_->setWordWrap(true);

    auto* form = new QFormLayout(this);
    form->addRow(inForce_);
    form->addRow(edit);
    form->addRow(tr("Currency symbol:"), symbol_);
    form->addRow(tr("Currency code:"), code_);
    form->addRow(save);
    form->addRow(currencyMessage_);
    connect(&parts_.book, &TariffBook::tariffChanged, this, &TariffPanel::showInForce);
    connect(&parts_.fields, &FieldModel::textChanged, this, [this](const QString& name) {
        if (name == QLatin1String("Text100(7)") || name == QLatin1String("tariffBand")) showInForce();
    });
    showInForce();
}

void TariffPanel::showInForce() {
    const QString price = currencySymbol(parts_.settings) + parts_.fields.text(QStringLiteral("Text100(7)"));
    if (const auto band = parts_.book.bandAt(parts_.clock.now()))
        inForce_->setText(tr("In force: the plan from %1, now %2 per KWH (%3)")
                              .arg(band->validFrom.toString(Qt::ISODate), price, band->describe()));
    else
        inForce_->setText(tr("In force: the flat price, %1 per KWH (no tariff plan)").arg(price));
}

void TariffPanel::saveCurrency() {
    if (!parts_.setCurrency(symbol_->text(), code_->text())) {
        currencyMessage_->setText(tr("Not saved: the symbol takes 1 to 4 characters without digits, signs, points, "
                                     "commas or blanks, the code three capital letters; or the settings file "
                                     "could not be written"));
        return;
    }
    currencyMessage_->setText(tr("Saved"));
    showInForce();
}

}  // namespace kelvora
